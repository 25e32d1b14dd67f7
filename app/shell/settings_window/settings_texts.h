// SettingsTexts: every fixed text of the settings window and its displays tab, in one place.
// Texts that on other desktops name a system place (a permission pane, the menu bar, an
// applications folder, a Mac, modifier glyphs) say the Linux equivalent: Morvanta's
// "permission" is an X11 session, its menu lives in the panel's system tray, applications are
// desktop entries, and shortcuts print as "Alt+/". Texts built from parts are made by the
// functions at the end.
#pragma once

#include <string>

namespace morvanta {

struct SettingsTexts {
    static constexpr const char* windowTitle = "Morvanta Settings";

    // General.
    static constexpr const char* permissionNeeded = "X11 session needed";
    static constexpr const char* permissionNeededText =
        "Morvanta needs an X11 session to arrange windows.";
    static constexpr const char* grantPermission = "How to Fix…";
    static constexpr const char* permissionGranted =
        "X11 session found. Morvanta only moves and resizes windows; it never reads what's "
        "inside them.";
    static constexpr const char* tileAutomatically = "Tile windows automatically";
    static constexpr const char* openAtLogin = "Open Morvanta when I log in";
    static constexpr const char* updates = "Updates";
    static constexpr const char* checkAutomatically = "Check for updates automatically";
    static constexpr const char* betaUpdates = "Get beta updates";
    static constexpr const char* betaNote =
        "Beta versions have the newest features first and may have more bugs.";

    // Layout.
    static constexpr const char* defaultLayout = "Default layout";
    static constexpr const char* defaultLayoutNote =
        "New workspaces start with this. Change a workspace's own layout from the tray icon, "
        "with Alt+/, or in Workspaces.";
    static constexpr const char* livePreview = "Live preview";
    static constexpr const char* livePreviewNote =
        "Drag a slider: the preview and your real windows change as you go.";
    static constexpr const char* mainRatio = "Main window size (Main + Stack)";
    static constexpr const char* innerGap = "Gap between windows";
    static constexpr const char* outerGap = "Space around the screen edge";

    // Workspaces.
    static constexpr const char* workspacesHeader =
        "Name your workspaces and choose each one's layout. Choose which screen each workspace "
        "is on in Displays.";
    static constexpr const char* advanced = "Advanced";
    static constexpr const char* letterWorkspaces = "Letter workspaces";
    static constexpr const char* letterWorkspacesText =
        "Add extra workspaces named A to Z, one at a time. Each gets Alt + its letter to switch "
        "to it and Alt+Shift + its letter to move a window there, unless another shortcut "
        "already uses those keys.";
    static constexpr const char* addWorkspace = "Add Workspace";
    static constexpr const char* remove = "Remove";

    // App rules.
    static constexpr const char* rulesHeader =
        "Tell Morvanta how to treat specific apps. Dialogs, sheets and pop-ups always float.";
    static constexpr const char* noRules = "No rules yet.";
    static constexpr const char* addApp = "Add App";
    static constexpr const char* chooseApplication = "Choose from Applications…";
    static constexpr const char* applicationsFolder = "/usr/share/applications";
    static constexpr const char* openIn = "Open in";
    static constexpr const char* anyWorkspace = "Any workspace";
    static constexpr const char* floatToggle = "Float";
    static constexpr const char* borderToggle = "Border";

    // Shortcuts.
    static constexpr const char* useShortcuts = "Use keyboard shortcuts";
    static constexpr const char* style = "Style";
    static constexpr const char* standardStyle = "Standard";
    static constexpr const char* saferStyle = "Safer";
    static constexpr const char* styleText =
        "Standard uses Alt, which many apps use for their own keys (e.g. Alt+F opens a File "
        "menu). Safer adds Ctrl to every shortcut. Changing the style resets all shortcuts.";
    static constexpr const char* restoreDefaults = "Restore Defaults";

    // Appearance.
    static constexpr const char* focusBorder = "Focus border";
    static constexpr const char* showBorder = "Show a border around the active window";
    static constexpr const char* hideWhileDragging = "Hide the border while dragging a window";
    static constexpr const char* width = "Width";
    static constexpr const char* colour = "Colour";
    static constexpr const char* customColour = "Custom colour";
    static constexpr const char* preview = "Preview";

    // Advanced.
    static constexpr const char* backup = "Backup settings";
    static constexpr const char* backupText =
        "Saves your layouts, workspaces, app rules, appearance and shortcuts to a file. Keep it "
        "as a backup, or import it on another computer to set Morvanta up exactly the same.";
    static constexpr const char* exportSettings = "Export Settings…";
    static constexpr const char* importSettings = "Import Settings…";
    static constexpr const char* help = "Help";
    static constexpr const char* showWelcome = "Show Welcome Guide…";
    static constexpr const char* diagnostics = "Diagnostics…";
    static constexpr const char* bringBack = "Bring Back All Windows";

    // Displays.
    static constexpr const char* oneScreen =
        "You have one screen, so it has all nine workspaces. Connect another display to share "
        "them between screens.";
    static constexpr const char* manyScreens =
        "Drag a workspace onto another screen to move it there. Alt + its number always takes "
        "you to it, on whichever screen it's on.";
    static constexpr const char* resetSplit = "Reset to Default Split";

    // The shortcut recorder.
    static constexpr const char* recorderPlaceholder = "Record Shortcut";
    static constexpr const char* recorderRecording = "Type a shortcut…";
    static constexpr const char* recorderClear = "Clear";
    static constexpr const char* disallowed =
        "This shortcut can't be used: add Ctrl, Alt or Super so it doesn't take over typing.";
    static constexpr const char* systemShortcut =
        "Another program already uses this shortcut, so it may not reach Morvanta.";
    static constexpr const char* menuItemShortcut = "Morvanta's menu already uses this shortcut.";
    static constexpr const char* useAnyway = "Use Anyway";

    static std::string layoutForAll(const std::string& layoutName) {
        return "Use " + layoutName + " for every workspace";
    }
    static std::string namePlaceholder(int number) { return "Workspace " + std::to_string(number); }
    static std::string layoutPickerLabel(int number) {
        return "Layout for workspace " + std::to_string(number);
    }
    static std::string addedBoth(const std::string& letter, const std::string& switchKeys,
                                 const std::string& moveKeys) {
        return "Added workspace " + letter + ": " + switchKeys + " switches, " + moveKeys +
               " moves a window there.";
    }
    static std::string addedNeither(const std::string& letter) {
        return "Added workspace " + letter +
               ". Its keys are already used, so set shortcuts in "
               "Shortcuts.";
    }
    static std::string addedOne(const std::string& letter) {
        return "Added workspace " + letter +
               ". One of its keys is already used; set it in Shortcuts.";
    }
    static std::string removeHelp(const std::string& letter) {
        return "Remove workspace " + letter + ". Its windows move to the workspace on screen.";
    }
    static std::string removed(const std::string& letter) {
        return "Removed workspace " + letter + ". Its windows moved to the workspace on screen.";
    }
    static std::string removeRuleLabel(const std::string& appName) {
        return "Remove rule for " + appName;
    }
    static std::string swatchLabel(const std::string& hex) { return "Colour " + hex; }
    static std::string chipTooltip(const std::string& label, bool showing) {
        return "Workspace " + label + (showing ? " (showing now)" : "") +
               ". Drag to another screen to move it.";
    }
    static std::string movedTo(const std::string& label, const std::string& screen) {
        return "Workspace " + label + " is now on " + screen + ".";
    }
    static std::string hasToStay(const std::string& label) {
        return "Each screen needs at least one workspace, so workspace " + label + " has to stay.";
    }
    static std::string windowCount(int count) {
        if (count == 0)
            return "empty";
        if (count == 1)
            return "1 win";
        return std::to_string(count) + " wins";
    }
    static std::string alreadyUsedBy(const std::string& title) {
        return "“" + title + "” already uses this shortcut.";
    }
};

} // namespace morvanta
