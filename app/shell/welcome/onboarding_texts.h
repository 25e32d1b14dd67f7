// OnboardingTexts: every text of the welcome guide, in one place. Texts that on other desktops
// name a system place (a permission pane, a menu bar, an applications folder, modifier key
// glyphs) say the Linux equivalent here: Morvanta's "permission" is an X11 session, its menu
// lives in the panel's system tray, and shortcuts print as "Alt+1".
#pragma once

namespace morvanta {

struct OnboardingTexts {
    static constexpr const char* windowTitle = "Welcome to Morvanta";
    static constexpr const char* continueButton = "Continue";
    static constexpr const char* getStartedButton = "Get Started";

    static constexpr const char* welcomeTitle = "Morvanta arranges your windows for you";
    static constexpr const char* welcomeText =
        "Open an app and it slides into place. No dragging, no resizing, no config files. "
        "Switch between workspaces from the tray icon or the keyboard.";

    static constexpr const char* permissionTitle = "Let Morvanta move your windows";
    // Rich text: the bold part marks what to look for.
    static constexpr const char* permissionText =
        "Linux allows this in an <b>X11 session</b>, chosen on the login screen. It's the same "
        "access every window manager uses.";
    static constexpr const char* permissionDoes =
        "• Move and resize windows\n• Notice when windows open and close\n• Know which window "
        "is in front";
    static constexpr const char* permissionNeverTitle = "Morvanta will never";
    static constexpr const char* permissionNever =
        "• Read what's inside your windows\n• Record your screen or keystrokes\n• Send your "
        "data anywhere";
    static constexpr const char* permissionNeeded = "X11 session needed";
    static constexpr const char* grantPermissionButton = "How to Fix…";
    static constexpr const char* openSettingsButton = "Open Session Help";
    static constexpr const char* waiting = "Waiting for permission… this updates by itself.";
    static constexpr const char* waitingHint =
        "On Wayland? Log out, pick an <b>Xorg</b> or <b>X11</b> session on the login screen "
        "and open Morvanta again.";
    // In place of waitingHint on a Wayland desktop other than Plasma, and in the log at start.
    static constexpr const char* otherWaylandDesktop =
        "Morvanta can't arrange windows on this Wayland desktop. It works in an X11 session with "
        "any window manager, and in KDE Plasma's Wayland session: log out, pick one of those on "
        "the login screen and open Morvanta again.";
    static constexpr const char* granted = "Permission granted. You're ready.";
    static constexpr const char* grantedNoWindows =
        "Permission granted, but the X server hasn't let Morvanta see your windows yet.";
    static constexpr const char* relaunchButton = "Relaunch Morvanta";
    static constexpr const char* relaunchFailed =
        "Morvanta couldn't start itself again. Quit it from the tray icon and open it again.";

    static constexpr const char* layoutTitle = "How should your windows be arranged?";
    static constexpr const char* layoutText =
        "Pick one to start. You can change it any time, even per workspace.";

    static constexpr const char* shortcutsTitle = "Keyboard shortcuts";
    static constexpr const char* shortcutsText =
        "Everything also works from the tray icon, so shortcuts are optional.";
    static constexpr const char* standardChoice = "Standard: Alt+1 switches to workspace 1";
    static constexpr const char* saferChoice =
        "Safer: Ctrl+Alt+1 switches to workspace 1 (keeps Alt free for your apps' own keys "
        "like Alt+F)";
    static constexpr const char* noShortcutsChoice = "No shortcuts, I'll use the tray icon";
    static constexpr const char* learnTitle = "Three worth learning";
    static constexpr const char* searchEveryAction = "Search every action";
    static constexpr const char* goToWorkspace2 = "Go to workspace 2";
    static constexpr const char* sendToWorkspace2 = "Send this window to workspace 2";
    static constexpr const char* unbound = "Not set";

    static constexpr const char* launchAtLoginToggle = "Open Morvanta when I log in";
    static constexpr const char* borderToggle = "Show a coloured border around the active window";
    static constexpr const char* anotherWindowManager =
        "Another window manager is running. It will fight Morvanta over your windows and "
        "shortcuts.";
    static constexpr const char* whereItLives =
        "Morvanta lives in your panel's system tray: look for the number of the workspace "
        "you're on. Click it to switch workspaces, change layouts or open Settings.";
    static constexpr const char* cantSeeIt =
        "Can't see it? Your panel may have no system tray. Open Morvanta again from your "
        "applications menu any time to get to Settings.";
};

} // namespace morvanta
