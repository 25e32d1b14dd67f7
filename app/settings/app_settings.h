// AppSettings: every user choice Morvanta keeps, loaded from a preferences domain at creation
// and written back under its key the moment a field is assigned (also when the value is the
// same). After the write, onChange runs for the fields that affect tiling and the border,
// and observers hear of a field only when its value really changed. Main thread only.
#pragma once

#include "app/settings/app_rule.h"
#include "app/settings/launch_at_login.h"
#include "app/settings/preferences_domain.h"
#include "app/settings/settings_field.h"
#include "app/settings/shortcut_style.h"
#include "app/settings/srgb_color.h"
#include "core/core.h"
#include "core/observer_list.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvanta {

// What AppSettings needs from the desktop; an empty member means the standard one.
struct AppSettingsPlatform {
    // The name a user knows an application by (desktop entry Name), else the identifier.
    std::function<std::string(const std::string& identifier)> appDisplayName;
    // The autostart entry behind launchAtLogin.
    std::optional<LaunchAtLogin> loginItem;
    // Where a failed launch-at-login change is reported (standard error by default).
    std::function<void(const std::string& line)> systemLog;
};

class AppSettings {
public:
    using StringMap = std::map<std::string, std::string>;

    explicit AppSettings(PreferencesDomain& defaults);
    AppSettings(PreferencesDomain& defaults, AppSettingsPlatform platform);
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    // Called after the write of most fields (see callsOnChange in settings_field.h).
    std::function<void()> onChange;
    // Follow-ups the shortcut actions fill: every assignment of shortcutsEnabled runs the
    // first with the new value; an assignment that changes shortcutStyle runs the second.
    std::function<void(bool enabled)> shortcutsEnabledFollowUp;
    std::function<void(ShortcutStyle style)> shortcutStyleFollowUp;

    PreferencesDomain& defaults() const { return defaults_; }

    LayoutKind defaultLayout() const { return defaultLayout_; }
    double innerGap() const { return innerGap_; }
    double outerGap() const { return outerGap_; }
    double mainRatio() const { return mainRatio_; }
    const std::vector<std::string>& workspaceNames() const { return workspaceNames_; }
    const StringMap& layoutsByWorkspace() const { return layoutsByWorkspace_; }
    const StringMap& workspaceDisplays() const { return workspaceDisplays_; }
    const std::vector<int>& letterWorkspaces() const { return letterWorkspaces_; }
    const StringMap& letterWorkspaceNames() const { return letterWorkspaceNames_; }
    const std::vector<AppRule>& appRules() const { return appRules_; }
    bool borderEnabled() const { return borderEnabled_; }
    double borderWidth() const { return borderWidth_; }
    const std::string& borderColorHex() const { return borderColorHex_; }
    bool hideBorderWhileDragging() const { return hideBorderWhileDragging_; }
    bool shortcutsEnabled() const { return shortcutsEnabled_; }
    ShortcutStyle shortcutStyle() const { return shortcutStyle_; }
    bool onboardingCompleted() const { return onboardingCompleted_; }

    void setDefaultLayout(LayoutKind layout);
    // Numbers that are not finite are refused: the field and the store keep their value.
    void setInnerGap(double gap);
    void setOuterGap(double gap);
    void setMainRatio(double ratio);
    void setWorkspaceNames(std::vector<std::string> names);
    void setLayoutsByWorkspace(StringMap layouts);
    void setWorkspaceDisplays(StringMap displays);
    void setLetterWorkspaces(std::vector<int> numbers);
    void setLetterWorkspaceNames(StringMap names);
    void setAppRules(std::vector<AppRule> rules);
    void setBorderEnabled(bool enabled);
    void setBorderWidth(double width);
    void setBorderColorHex(std::string hex);
    void setHideBorderWhileDragging(bool hide);
    void setShortcutsEnabled(bool enabled);
    void setShortcutStyle(ShortcutStyle style);
    void setOnboardingCompleted(bool completed);

    // The login item: read from the autostart entry each time, never from the domain.
    bool launchAtLogin() const;
    void setLaunchAtLogin(bool enabled);

    LayoutOptions layoutOptions() const { return {innerGap_, outerGap_, mainRatio_}; }
    // A letter workspace's name under its letter, a digit workspace's by position; else "".
    std::string workspaceName(int number) const;
    // Empty names remove a letter workspace's entry; numbers without a slot are ignored.
    void setWorkspaceName(const std::string& name, int number);
    // "3 · Web" for a named workspace, "Workspace 3" otherwise.
    std::string workspaceDisplayName(int number) const;
    // The first rule naming exactly this application; none for an absent identifier.
    std::optional<AppRule> ruleForBundleID(std::optional<std::string_view> bundleID) const;

    static std::optional<SrgbColor> colorFromHex(std::string_view text) {
        return SrgbColor::fromHex(text);
    }
    static std::string hexFromColor(const SrgbColor& color) { return color.hex(); }

    // The two rules used when none are stored: the desktop's settings and calculator apps.
    static std::vector<AppRule> builtInRules();

    using Observer = ObserverList<SettingsField>::Observer;
    [[nodiscard]] Subscription addObserver(Observer observer) {
        return observers_.add(std::move(observer));
    }

private:
    void load();
    void loadLayouts();
    void loadRules();
    // Stores the value, tells observers when it changed, then runs onChange when the field
    // calls for it.
    template <class T> void assign(T& field, T value, SettingsField which, PreferenceValue stored);
    void notify(SettingsField field);

    PreferencesDomain& defaults_;
    AppSettingsPlatform platform_;

    LayoutKind defaultLayout_ = LayoutKind::mainStack;
    double innerGap_ = 0;
    double outerGap_ = 0;
    double mainRatio_ = 0.58;
    std::vector<std::string> workspaceNames_;
    StringMap layoutsByWorkspace_;
    StringMap workspaceDisplays_;
    std::vector<int> letterWorkspaces_;
    StringMap letterWorkspaceNames_;
    std::vector<AppRule> appRules_;
    bool borderEnabled_ = true;
    double borderWidth_ = 4;
    std::string borderColorHex_ = "#2A8FD8";
    bool hideBorderWhileDragging_ = false;
    bool shortcutsEnabled_ = true;
    ShortcutStyle shortcutStyle_ = ShortcutStyle::option;
    bool onboardingCompleted_ = false;

    ObserverList<SettingsField> observers_;
};

} // namespace morvanta
