// AppSettings: loading with defaults and legacy keys, the writes and who hears of them,
// workspace names, colours, and a full round trip through the file on disk.
#include "app/settings/app_settings.h"
#include "app/settings/file_preferences_domain.h"
#include "app/settings/memory_preferences_domain.h"
#include "tests/support/xdg_sandbox.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace morvanta {
namespace {

namespace fs = std::filesystem;
using Dictionary = PreferenceValue::Dictionary;
using Array = PreferenceValue::Array;
using StringMap = AppSettings::StringMap;

AppSettingsPlatform testPlatform() {
    AppSettingsPlatform platform;
    platform.appDisplayName = [](const std::string& id) { return "Name of " + id; };
    platform.loginItem.emplace(std::nullopt, "/usr/bin/morvanta");
    platform.systemLog = [](const std::string&) {};
    return platform;
}

void expectDefaults(const AppSettings& settings) {
    EXPECT_EQ(settings.defaultLayout(), LayoutKind::mainStack);
    EXPECT_EQ(settings.layoutOptions(), LayoutOptions{});
    EXPECT_EQ(settings.workspaceNames(), std::vector<std::string>(9));
    EXPECT_TRUE(settings.layoutsByWorkspace().empty());
    EXPECT_TRUE(settings.workspaceDisplays().empty());
    EXPECT_TRUE(settings.letterWorkspaces().empty());
    EXPECT_TRUE(settings.letterWorkspaceNames().empty());
    EXPECT_EQ(settings.appRules(), AppSettings::builtInRules());
    EXPECT_TRUE(settings.borderEnabled());
    EXPECT_EQ(settings.borderWidth(), 4);
    EXPECT_EQ(settings.borderColorHex(), "#2A8FD8");
    EXPECT_FALSE(settings.hideBorderWhileDragging());
    EXPECT_TRUE(settings.shortcutsEnabled());
    EXPECT_EQ(settings.shortcutStyle(), ShortcutStyle::option);
    EXPECT_FALSE(settings.onboardingCompleted());
}

TEST(AppSettingsLoading, AnEmptyDomainGivesTheDefaultsAndTheTwoBuiltInRules) {
    MemoryPreferencesDomain domain;
    AppSettings settings(domain, testPlatform());
    expectDefaults(settings);
    ASSERT_EQ(settings.appRules().size(), 2u);
    EXPECT_EQ(settings.appRules()[0].appName, "Settings");
    EXPECT_EQ(settings.appRules()[1].appName, "Calculator");
    EXPECT_TRUE(settings.appRules()[0].floating);
    EXPECT_TRUE(domain.values().empty()) << "loading writes nothing back";
}

// Every key holding a kind it never has: a number as a string, strings as numbers, and so on.
Dictionary wrongKindsForEveryKey() {
    return Dictionary{
        {"defaultLayout", 2},
        {"innerGap", "4"},
        {"outerGap", true},
        {"mainRatio", Array{0.5}},
        {"workspaceNames", Array{"Mail", 2}},
        {"layoutsByWorkspace", Dictionary{{"1", 3}}},
        {"workspaceDisplays", "DISPLAY"},
        {"letterWorkspaces", Array{101, "B"}},
        {"letterWorkspaceNames", Dictionary{{"A", Array{}}}},
        {"appRules", "[]"},
        {"borderEnabled", 0},
        {"borderWidth", "9"},
        {"borderColor", 0xFF0000},
        {"hideBorderWhileDragging", "true"},
        {"shortcutsEnabled", "false"},
        {"shortcutStyle", 1},
        {"onboardingCompleted", 1},
        {"workspaceLayouts", Dictionary{{"d", "grid"}}},
        {"appWorkspaceRules", Dictionary{{"x", "3"}}},
    };
}

TEST(AppSettingsLoading, WrongKindsForEveryKeyGiveTheDefaults) {
    MemoryPreferencesDomain domain(wrongKindsForEveryKey());
    AppSettings settings(domain, testPlatform());
    expectDefaults(settings);
    EXPECT_EQ(domain.values(), wrongKindsForEveryKey()) << "the bad values stay until assigned";
}

TEST(AppSettingsLoading, AWrongKindsDocumentOnDiskLoadsDefaultsAndIsLeftAsItIs) {
    testing::XdgSandbox sandbox;
    fs::path file = sandbox.config() / "morvanta" / "org.morvanta.Morvanta.json";
    {
        FilePreferencesDomain writer("org.morvanta.Morvanta", nullptr);
        for (const auto& [key, value] : wrongKindsForEveryKey())
            writer.set(key, value);
    }
    auto contents = [&file] {
        std::ifstream stream(file);
        std::stringstream text;
        text << stream.rdbuf();
        return text.str();
    };
    std::string before = contents();
    FilePreferencesDomain domain("org.morvanta.Morvanta", nullptr);
    AppSettings settings(domain, testPlatform());
    expectDefaults(settings);
    EXPECT_EQ(contents(), before);
    auto entries =
        std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator());
    EXPECT_EQ(entries, 1) << "nothing was moved aside";
}

TEST(AppSettingsLoading, StoredValuesAreCheckedOneByOne) {
    MemoryPreferencesDomain domain(Dictionary{
        {"defaultLayout", "spiral"},
        {"letterWorkspaces", Array{101, 5, 126, 127, 3.0}},
        {"workspaceNames", Array{"Mail"}},
        {"innerGap", 7.0},
        {"outerGap", std::nan("")},
        {"shortcutStyle", "controlOption"},
        {"hideBorderWhileDragging", true},
    });
    AppSettings settings(domain, testPlatform());
    EXPECT_EQ(settings.defaultLayout(), LayoutKind::mainStack);
    EXPECT_EQ(settings.letterWorkspaces(), (std::vector<int>{101, 126}));
    EXPECT_EQ(settings.workspaceNames(), std::vector<std::string>{"Mail"});
    EXPECT_EQ(settings.innerGap(), 7);
    EXPECT_EQ(settings.outerGap(), 0) << "a gap that is not a finite number loads as 0";
    EXPECT_EQ(settings.shortcutStyle(), ShortcutStyle::controlOption);
    EXPECT_TRUE(settings.hideBorderWhileDragging());
}

TEST(AppSettingsLoading, LegacyLayoutsAreUsedOnlyWithoutTheNewKey) {
    Dictionary legacy{{"workspaceLayouts", Dictionary{{"DISPLAY-B", Dictionary{{"2", "grid"}}},
                                                      {"DISPLAY-C", Dictionary{{"2", "rows"}}}}}};
    MemoryPreferencesDomain onlyLegacy(legacy);
    EXPECT_EQ(AppSettings(onlyLegacy, testPlatform()).layoutsByWorkspace(),
              (StringMap{{"2", "grid"}}));
    EXPECT_EQ(onlyLegacy.values(), legacy) << "the migration is not written back";

    legacy["layoutsByWorkspace"] = Dictionary{{"5", "monocle"}};
    MemoryPreferencesDomain both(legacy);
    EXPECT_EQ(AppSettings(both, testPlatform()).layoutsByWorkspace(),
              (StringMap{{"5", "monocle"}}));

    MemoryPreferencesDomain badLegacy(Dictionary{
        {"workspaceLayouts", Dictionary{{"A", Dictionary{{"2", "grid"}}}, {"B", "rows"}}}});
    EXPECT_TRUE(AppSettings(badLegacy, testPlatform()).layoutsByWorkspace().empty());
}

TEST(AppSettingsLoading, LegacyWorkspaceRulesFollowTheBuiltInRulesSortedByIdentifier) {
    MemoryPreferencesDomain domain(
        Dictionary{{"appWorkspaceRules", Dictionary{{"b", 3}, {"a", 2}, {"B", 4}}}});
    AppSettings settings(domain, testPlatform());
    auto rules = AppSettings::builtInRules();
    rules.push_back({"B", "Name of B", 4, false, false});
    rules.push_back({"a", "Name of a", 2, false, false});
    rules.push_back({"b", "Name of b", 3, false, false});
    EXPECT_EQ(settings.appRules(), rules);
    EXPECT_FALSE(domain.object("appRules"));
}

TEST(AppSettingsLoading, UndecodableRulesFallBackAndStayUntilRulesAreAssigned) {
    std::string bad =
        R"([{"bundleID": "x", "appName": "X", "floating": "yes", "noBorder": false}])";
    MemoryPreferencesDomain domain(
        Dictionary{{"appRules", PreferenceValue::Data(bad.begin(), bad.end())},
                   {"appWorkspaceRules", Dictionary{{"term", 2}}}});
    AppSettings settings(domain, testPlatform());
    ASSERT_EQ(settings.appRules().size(), 3u);
    EXPECT_EQ(settings.appRules()[2].bundleID, "term");
    EXPECT_EQ(domain.data("appRules"), PreferenceValue::Data(bad.begin(), bad.end()));

    settings.setAppRules({{"xterm", "XTerm", 3, false, true}});
    AppSettings reloaded(domain, testPlatform());
    EXPECT_EQ(reloaded.appRules(), (std::vector<AppRule>{{"xterm", "XTerm", 3, false, true}}));
}

TEST(AppSettingsWrites, EveryAssignmentStoresAndOnlySomeCallOnChange) {
    MemoryPreferencesDomain domain;
    AppSettings settings(domain, testPlatform());
    std::vector<std::string> order;
    settings.onChange = [&] { order.push_back("onChange"); };

    struct Case {
        std::function<void()> assign;
        const char* key;
        PreferenceValue stored;
        bool callsOnChange;
    };
    std::vector<Case> cases = {
        {[&] { settings.setDefaultLayout(LayoutKind::grid); }, "defaultLayout", "grid", true},
        {[&] { settings.setInnerGap(8); }, "innerGap", 8.0, true},
        {[&] { settings.setOuterGap(0); }, "outerGap", 0.0, true},
        {[&] { settings.setMainRatio(0.7); }, "mainRatio", 0.7, true},
        {[&] { settings.setWorkspaceNames({"Mail"}); }, "workspaceNames", Array{"Mail"}, true},
        {[&] {
             settings.setLayoutsByWorkspace({{"2", "rows"}});
         },
         "layoutsByWorkspace", Dictionary{{"2", "rows"}}, false},
        {[&] {
             settings.setWorkspaceDisplays({{"1", "D"}});
         },
         "workspaceDisplays", Dictionary{{"1", "D"}}, false},
        {[&] {
             settings.setLetterWorkspaces({101, 103});
         },
         "letterWorkspaces", Array{101, 103}, false},
        {[&] {
             settings.setLetterWorkspaceNames({{"A", "Art"}});
         },
         "letterWorkspaceNames", Dictionary{{"A", "Art"}}, true},
        {[&] { settings.setBorderEnabled(false); }, "borderEnabled", false, true},
        {[&] { settings.setBorderWidth(6); }, "borderWidth", 6.0, true},
        {[&] { settings.setBorderColorHex("#FF0000"); }, "borderColor", "#FF0000", true},
        {[&] { settings.setHideBorderWhileDragging(true); }, "hideBorderWhileDragging", true, true},
        {[&] { settings.setShortcutsEnabled(true); }, "shortcutsEnabled", true, true},
        {[&] { settings.setShortcutStyle(ShortcutStyle::controlOption); }, "shortcutStyle",
         "controlOption", true},
        {[&] { settings.setOnboardingCompleted(true); }, "onboardingCompleted", true, false},
    };
    for (auto& c : cases) {
        order.clear();
        c.assign();
        EXPECT_EQ(domain.object(c.key), c.stored) << c.key;
        EXPECT_EQ(order.size(), c.callsOnChange ? 1u : 0u) << c.key;
    }
    order.clear();
    settings.setAppRules({{"xterm", "XTerm", std::nullopt, true, false}});
    auto data = domain.data("appRules");
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->begin(), data->end()),
              R"([{"bundleID":"xterm","appName":"XTerm","floating":true,"noBorder":false}])");
    EXPECT_EQ(order.size(), 1u);
}

TEST(AppSettingsWrites, ObserversHearOnlyRealChangesButTheStoreIsWrittenAlways) {
    MemoryPreferencesDomain domain;
    AppSettings settings(domain, testPlatform());
    std::vector<SettingsField> heard;
    auto subscription = settings.addObserver([&](SettingsField field) { heard.push_back(field); });
    int changes = 0;
    settings.onChange = [&] { ++changes; };

    settings.setInnerGap(0); // same as before
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(domain.number("innerGap"), 0.0);
    EXPECT_EQ(changes, 1);

    settings.setInnerGap(5);
    settings.setInnerGap(std::nan(""));
    EXPECT_EQ(settings.innerGap(), 5) << "a gap that is not a number is refused";
    EXPECT_EQ(heard, std::vector<SettingsField>{SettingsField::innerGap});

    subscription.cancel();
    settings.setInnerGap(6);
    EXPECT_EQ(heard.size(), 1u);
}

TEST(AppSettingsWrites, ShortcutFollowUps) {
    MemoryPreferencesDomain domain;
    AppSettings settings(domain, testPlatform());
    std::vector<std::string> calls;
    settings.onChange = [&] { calls.push_back("onChange"); };
    settings.shortcutsEnabledFollowUp = [&](bool on) { calls.push_back(on ? "on" : "off"); };
    settings.shortcutStyleFollowUp = [&](ShortcutStyle style) {
        calls.push_back(std::string(rawValue(style)));
    };

    settings.setShortcutsEnabled(true);               // current value: still re-sent
    settings.setShortcutStyle(ShortcutStyle::option); // current value: bindings untouched
    settings.setShortcutStyle(ShortcutStyle::controlOption);
    EXPECT_EQ(calls, (std::vector<std::string>{"onChange", "on", "onChange", "onChange",
                                               "controlOption"}));
}

TEST(AppSettingsNames, WorkspaceNamesByPositionAndByLetter) {
    MemoryPreferencesDomain domain;
    AppSettings settings(domain, testPlatform());
    EXPECT_EQ(settings.workspaceDisplayName(3), "Workspace 3");
    settings.setWorkspaceName("Web", 3);
    EXPECT_EQ(settings.workspaceDisplayName(3), "3 · Web");
    EXPECT_EQ(domain.stringArray("workspaceNames")->at(2), "Web");
    EXPECT_EQ(settings.workspaceName(10), "");
    EXPECT_EQ(settings.workspaceName(0), "");

    settings.setWorkspaceName("Build", 102);
    EXPECT_EQ(settings.workspaceDisplayName(102), "B · Build");
    EXPECT_EQ(settings.letterWorkspaceNames(), (StringMap{{"B", "Build"}}));
    settings.setWorkspaceName("", 102);
    EXPECT_TRUE(settings.letterWorkspaceNames().empty());
    EXPECT_EQ(settings.workspaceDisplayName(102), "Workspace B");

    int changes = 0;
    settings.onChange = [&] { ++changes; };
    settings.setWorkspaceName("Ten", 10); // no slot: ignored
    settings.setWorkspaceName("Neg", -1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(settings.workspaceNames().size(), 9u);
}

TEST(AppSettingsNames, RulesMatchTheIdentifierExactly) {
    MemoryPreferencesDomain domain;
    AppSettings settings(domain, testPlatform());
    settings.setAppRules(
        {{"XTerm", "XTerm", 2, false, false}, {"XTerm", "Second", 3, false, false}});
    EXPECT_EQ(settings.ruleForBundleID("XTerm")->appName, "XTerm");
    EXPECT_FALSE(settings.ruleForBundleID("xterm"));
    EXPECT_FALSE(settings.ruleForBundleID(std::nullopt));
}

TEST(AppSettingsColours, HexFormsInAndOut) {
    auto blue = AppSettings::colorFromHex("#2A8FD8");
    ASSERT_TRUE(blue);
    EXPECT_EQ(AppSettings::colorFromHex("2a8fd8"), blue);
    EXPECT_EQ(AppSettings::colorFromHex("##2A8FD8#"), blue);
    EXPECT_DOUBLE_EQ(blue->red, 0x2A / 255.0);
    EXPECT_EQ(blue->alpha, 1);
    for (const char* bad : {"#2A8FD", "#2A8FDG", "+2A8FD", " 2A8FD8", "#2A#8FD8", ""})
        EXPECT_FALSE(AppSettings::colorFromHex(bad)) << bad;
    EXPECT_EQ(AppSettings::hexFromColor({1, 0, 0, 1}), "#FF0000");
    EXPECT_EQ(AppSettings::hexFromColor(*blue), "#2A8FD8");
    EXPECT_EQ(AppSettings::hexFromColor({0.5 / 255, 1.5 / 255, 0, 1}), "#010200");
    EXPECT_EQ(AppSettings::hexFromColor({1.2, -0.1, 0, 1}), "#FF0000");
    EXPECT_EQ(AppSettings::hexFromColor({std::nan(""), 0, 0, 1}), "#2A8FD8");
}

TEST(AppSettingsRoundTrip, EveryFieldComesBackFromTheFile) {
    testing::XdgSandbox sandbox;
    std::vector<AppRule> rules{{"Firefox-esr", "Firefox ESR", 2, false, false},
                               {"Gimp", "GNU Image · Manipulation", std::nullopt, true, true}};
    {
        FilePreferencesDomain domain("org.morvanta.Morvanta", nullptr);
        AppSettings settings(domain, testPlatform());
        settings.setDefaultLayout(LayoutKind::monocle);
        settings.setInnerGap(-4);
        settings.setOuterGap(12.5);
        settings.setMainRatio(2);
        settings.setWorkspaceNames({"Mail", "", "Web ⚠️"});
        settings.setLayoutsByWorkspace({{"1", "grid"}, {"101", "rows"}});
        settings.setWorkspaceDisplays({{"1", "5A1B0C2D-0000-4000-8000-00000000000A"}});
        settings.setLetterWorkspaces({101, 126});
        settings.setLetterWorkspaceNames({{"A", "Art"}, {"$data", "marker-like key"}});
        settings.setAppRules(rules);
        settings.setBorderEnabled(false);
        settings.setBorderWidth(0.5);
        settings.setBorderColorHex("#00FF7F");
        settings.setHideBorderWhileDragging(true);
        settings.setShortcutsEnabled(false);
        settings.setShortcutStyle(ShortcutStyle::controlOption);
        settings.setOnboardingCompleted(true);
    }
    FilePreferencesDomain domain("org.morvanta.Morvanta", nullptr);
    AppSettings settings(domain, testPlatform());
    EXPECT_EQ(settings.defaultLayout(), LayoutKind::monocle);
    EXPECT_EQ(settings.layoutOptions(), (LayoutOptions{-4, 12.5, 2}));
    EXPECT_EQ(settings.workspaceNames(), (std::vector<std::string>{"Mail", "", "Web ⚠️"}));
    EXPECT_EQ(settings.layoutsByWorkspace(), (StringMap{{"1", "grid"}, {"101", "rows"}}));
    EXPECT_EQ(settings.workspaceDisplays(),
              (StringMap{{"1", "5A1B0C2D-0000-4000-8000-00000000000A"}}));
    EXPECT_EQ(settings.letterWorkspaces(), (std::vector<int>{101, 126}));
    EXPECT_EQ(settings.letterWorkspaceNames(),
              (StringMap{{"A", "Art"}, {"$data", "marker-like key"}}));
    EXPECT_EQ(settings.appRules(), rules);
    EXPECT_FALSE(settings.borderEnabled());
    EXPECT_EQ(settings.borderWidth(), 0.5);
    EXPECT_EQ(settings.borderColorHex(), "#00FF7F");
    EXPECT_TRUE(settings.hideBorderWhileDragging());
    EXPECT_FALSE(settings.shortcutsEnabled());
    EXPECT_EQ(settings.shortcutStyle(), ShortcutStyle::controlOption);
    EXPECT_TRUE(settings.onboardingCompleted());
}

} // namespace
} // namespace morvanta
