// The records' JSON forms, the rule list's stored form, the autostart entry behind
// launchAtLogin, and application names from desktop entries.
#include "app/settings/app_settings.h"
#include "app/settings/desktop_entry_names.h"
#include "app/settings/memory_preferences_domain.h"
#include "app/settings/record_json.h"
#include "tests/support/xdg_sandbox.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace morvanta {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

TEST(RecordJson, DisplayIDIsAnObjectWithExactlyRaw) {
    json encoded = toJson(DisplayID{"5A1B-EDID"});
    EXPECT_EQ(encoded, json({{"raw", "5A1B-EDID"}}));
    EXPECT_EQ(encoded.size(), 1u);
    EXPECT_EQ(displayIDFromJson(encoded), DisplayID{"5A1B-EDID"});
    EXPECT_EQ(displayIDFromJson(json{{"raw", ""}, {"extra", 1}}), DisplayID{""});
    EXPECT_FALSE(displayIDFromJson(json{{"Raw", "x"}}));
    EXPECT_FALSE(displayIDFromJson(json{{"raw", 5}}));
    EXPECT_FALSE(displayIDFromJson("x"));
}

TEST(RecordJson, LayoutOptionsNeedAllThreeNumbersAndAreNotClamped) {
    EXPECT_EQ(layoutOptionsFromJson(toJson(LayoutOptions{1, 2, 0.3})), (LayoutOptions{1, 2, 0.3}));
    EXPECT_EQ(layoutOptionsFromJson(json::parse(R"({"innerGap":-4,"outerGap":0,"mainRatio":2})")),
              (LayoutOptions{-4, 0, 2}));
    EXPECT_FALSE(layoutOptionsFromJson(json::parse(R"({"innerGap":1,"outerGap":2})")));
    EXPECT_FALSE(
        layoutOptionsFromJson(json::parse(R"({"innerGap":1,"outerGap":"2","mainRatio":0.5})")));
    EXPECT_FALSE(
        layoutOptionsFromJson(json::parse(R"({"innerGap":1,"outerGap":true,"mainRatio":0.5})")));
    EXPECT_FALSE(layoutOptionsFromJson(json::array({1, 2, 3})));
}

TEST(AppRuleJson, MemberNamesWorkspaceOmittedAndStrictKinds) {
    AppRule rule{"xterm", "XTerm", std::nullopt, true, false};
    EXPECT_EQ(rule.toJson().dump(),
              R"({"bundleID":"xterm","appName":"XTerm","floating":true,"noBorder":false})");
    rule.workspace = 101;
    EXPECT_EQ(AppRule::fromJson(json::parse(rule.toJson().dump())), rule);
    EXPECT_EQ(
        AppRule::fromJson(json::parse(
            R"({"bundleID":"a","appName":"A","workspace":null,"floating":false,"noBorder":true,"x":1})")),
        (AppRule{"a", "A", std::nullopt, false, true}));
    for (const char* bad : {
             R"({"appName":"A","floating":false,"noBorder":false})",
             R"({"bundleID":"a","appName":"A","floating":0,"noBorder":false})",
             R"({"bundleID":"a","appName":"A","workspace":"2","floating":false,"noBorder":false})",
             R"({"bundleID":"a","appName":"A","workspace":2.5,"floating":false,"noBorder":false})",
             R"({"bundleID":"a","appName":"A","workspace":1e20,"floating":false,"noBorder":false})",
         })
        EXPECT_FALSE(AppRule::fromJson(json::parse(bad))) << bad;
    std::string notArray = R"({"bundleID":"a"})";
    EXPECT_FALSE(AppRule::decodeList({notArray.begin(), notArray.end()}));
    std::string broken = "[{";
    EXPECT_FALSE(AppRule::decodeList({broken.begin(), broken.end()}));
    EXPECT_EQ(AppRule::decodeList(AppRule::encodeList({})), std::vector<AppRule>{});
}

TEST(LaunchAtLogin, WritesAndRemovesTheAutostartEntry) {
    testing::XdgSandbox sandbox;
    LaunchAtLogin standard;
    EXPECT_EQ(standard.entryPath(), sandbox.config() / "autostart" / "morvanta.desktop");

    LaunchAtLogin item(sandbox.config() / "autostart" / "morvanta.desktop",
                       "/opt/My Apps/morvanta");
    EXPECT_FALSE(item.enabled());
    std::string error;
    ASSERT_TRUE(item.setEnabled(true, &error)) << error;
    EXPECT_TRUE(item.enabled());
    std::ifstream entry(*item.entryPath());
    std::string text((std::istreambuf_iterator<char>(entry)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\nExec=\"/opt/My Apps/morvanta\"\n"), std::string::npos) << text;
    ASSERT_TRUE(item.setEnabled(false, &error)) << error;
    EXPECT_FALSE(item.enabled());
    EXPECT_TRUE(item.setEnabled(false, &error)) << "removing an absent entry is no failure";

    std::ofstream(*item.entryPath()) << "[Desktop Entry]\nExec=x\nHidden=true\n";
    // Quoting: reserved characters escaped, "%" doubled, then backslashes doubled.
    EXPECT_NE(
        LaunchAtLogin::entryText("/a/$b\"c\\d 100%")->find(R"(Exec="/a/\\$b\\"c\\\\d 100%%")"),
        std::string::npos);
    EXPECT_FALSE(LaunchAtLogin::entryText("/a/new\nline"));
    EXPECT_FALSE(item.enabled()) << "a hidden entry does not start anything";
}

TEST(LaunchAtLogin, AFailedChangeIsReportedAndTheRealStateReadAgain) {
    testing::XdgSandbox sandbox;
    fs::create_directories(sandbox.config());
    std::ofstream(sandbox.config() / "autostart") << "a file where the folder belongs";
    std::vector<std::string> reported;
    AppSettingsPlatform platform;
    platform.appDisplayName = [](const std::string& id) { return id; };
    platform.systemLog = [&](const std::string& line) { reported.push_back(line); };
    MemoryPreferencesDomain domain;
    AppSettings settings(domain, platform);
    std::vector<SettingsField> heard;
    const auto subscription =
        settings.addObserver([&](SettingsField field) { heard.push_back(field); });

    settings.setLaunchAtLogin(true);
    EXPECT_FALSE(settings.launchAtLogin());
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_TRUE(reported[0].starts_with("Morvanta: launch at login change failed: "))
        << reported[0];
    EXPECT_TRUE(heard.empty());
    EXPECT_FALSE(domain.object("launchAtLogin"));

    fs::remove(sandbox.config() / "autostart");
    settings.setLaunchAtLogin(true);
    EXPECT_TRUE(settings.launchAtLogin());
    EXPECT_EQ(heard, std::vector<SettingsField>{SettingsField::launchAtLogin});
}

void writeEntry(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

TEST(DesktopEntryNames, MatchByWmClassThenByFileNameElseTheIdentifier) {
    testing::XdgSandbox sandbox;
    writeEntry(
        sandbox.systemData() / "applications" / "org.gnome.Calculator.desktop",
        "[Desktop Entry]\nName=Calculator\nName[de]=Rechner\nStartupWMClass=gnome-calculator\n");
    writeEntry(sandbox.systemData() / "applications" / "xterm.desktop",
               "[Desktop Entry]\nName=XTerm\n[Desktop Action new]\nName=New Window\n");
    writeEntry(sandbox.data() / "applications" / "xterm.desktop",
               "[Desktop Entry]\r\nName = My XTerm\r\n");
    DesktopEntryNames names;
    EXPECT_EQ(names.displayName("gnome-calculator"), "Calculator");
    EXPECT_EQ(names.displayName("XTerm"), "My XTerm") << "the user's own entry comes first";
    EXPECT_EQ(names.displayName("Gnome-calculator"), "Gnome-calculator");
    EXPECT_EQ(names.displayName("unknown.app"), "unknown.app");

    MemoryPreferencesDomain domain(PreferenceValue::Dictionary{
        {"appWorkspaceRules", PreferenceValue::Dictionary{{"gnome-calculator", 4}}}});
    AppSettingsPlatform platform;
    platform.systemLog = [](const std::string&) {};
    AppSettings settings(domain, platform);
    EXPECT_EQ(settings.appRules().back(),
              (AppRule{"gnome-calculator", "Calculator", 4, false, false}));
}

} // namespace
} // namespace morvanta
