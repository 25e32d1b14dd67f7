// The settings file as a document: how it is written, what reading refuses and with which
// error, label conversions, and what an import plan keeps of a file.
#include "app/settings/settings_file.h"
#include "app/settings/settings_import_plan.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace morvanta {
namespace {

using nlohmann::json;
using namespace std::chrono;

SettingsFile sample() {
    SettingsFile file;
    file.appVersion = "1.2.3";
    file.exportedAt = sys_days{2025y / March / 1} + 9h + 30min;
    file.defaultLayout = "grid";
    file.innerGap = 8;
    file.outerGap = 4.5;
    file.mainRatio = 0.6;
    file.workspaceNames = {"Mail", "", "Web"};
    file.letterWorkspaces = {"A", "C"};
    file.letterWorkspaceNames = {{"A", "Admin"}, {"B", "Books"}};
    file.layouts = {{"2", "columns"}, {"b", "rows"}, {"B1", "grid"}, {"C", "monocle"}};
    file.screens = {{"3", "S1"}, {"12", "S2"}};
    file.appRules = {{"mail", "Mail", "C", false, false},
                     {"calc", "Calculator", std::nullopt, true, false},
                     {"odd", "Odd", "12", false, true},
                     {"gone", "Gone", "D", false, false}};
    file.borderColor = "#FF0000";
    file.borderWidth = 3;
    file.shortcutStyle = "controlOption";
    file.shortcuts = {{"nextLayout", std::nullopt}, {"switchToWorkspace1", {{18, 2048}}}};
    return file;
}

json encoded(const SettingsFile& file) {
    return json::parse(encodeSettingsFile(file));
}

std::string withMember(const std::string& name, const json& value) {
    json document = encoded(sample());
    document[name] = value;
    return document.dump();
}

std::string without(const std::string& name) {
    json document = encoded(sample());
    document.erase(name);
    return document.dump();
}

std::optional<SettingsTransferError> errorOf(const std::string& text) {
    return readSettingsFile(text).error;
}

TEST(SettingsFileTest, IsWrittenSortedPrettyWithUtcTimeAndReadsBackEqual) {
    const std::string text = encodeSettingsFile(sample());
    EXPECT_NE(text.find("\n  \"app\": \"Morvanta\",\n  \"appRules\": ["), std::string::npos);
    EXPECT_NE(text.find("\"exportedAt\": \"2025-03-01T09:30:00Z\""), std::string::npos);
    EXPECT_NE(text.find("\"nextLayout\": null"), std::string::npos);
    // Every member, in name order; a rule without a workspace leaves the member out.
    const json document = json::parse(text);
    std::vector<std::string> names;
    for (const auto& [name, value] : document.items())
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"app",
                                               "appRules",
                                               "appVersion",
                                               "borderColor",
                                               "borderEnabled",
                                               "borderWidth",
                                               "defaultLayout",
                                               "exportedAt",
                                               "format",
                                               "hideBorderWhileDragging",
                                               "innerGap",
                                               "layouts",
                                               "letterWorkspaceNames",
                                               "letterWorkspaces",
                                               "mainRatio",
                                               "outerGap",
                                               "screens",
                                               "shortcutStyle",
                                               "shortcuts",
                                               "shortcutsEnabled",
                                               "workspaceNames"}));
    EXPECT_FALSE(document["appRules"][1].contains("workspace"));
    EXPECT_EQ(text.find("\"app\"") < text.find("\"appRules\""), true);

    const auto reading = readSettingsFile(text);
    ASSERT_TRUE(reading.file);
    EXPECT_EQ(*reading.file, sample());

    SettingsFile unknownVersion = sample();
    unknownVersion.appVersion.reset();
    EXPECT_FALSE(encoded(unknownVersion).contains("appVersion"));
}

TEST(SettingsFileTest, RefusesNewerFormatsForeignAppsAndAnythingNotADocument) {
    using E = SettingsTransferError;
    EXPECT_EQ(errorOf(withMember("format", 2)), E::newerFormat);
    EXPECT_EQ(errorOf(withMember("format", 2.0)), E::newerFormat);
    // A newer Morvanta's file is recognised even when its members changed shape.
    EXPECT_EQ(errorOf(R"({"app": "Morvanta", "format": 7})"), E::newerFormat);
    EXPECT_EQ(errorOf(withMember("app", "Tiler")), E::notMorvanta);
    EXPECT_EQ(errorOf(R"({"app": "Tiler", "format": 2})"), E::notMorvanta);
    for (const char* text : {"", "not json", "[]", "null", "42", "{", "{}"})
        EXPECT_EQ(errorOf(text), E::notMorvanta) << text;
    EXPECT_EQ(description(E::notMorvanta), "This file isn't a Morvanta settings file.");
    EXPECT_EQ(description(E::newerFormat),
              "These settings were exported from a newer version of Morvanta. Update Morvanta, "
              "then try again.");
}

TEST(SettingsFileTest, EveryMemberButAppVersionIsRequiredWithItsKind) {
    EXPECT_FALSE(errorOf(without("appVersion")));
    EXPECT_FALSE(errorOf(withMember("appVersion", nullptr)));
    const json whole = encoded(sample());
    for (const auto& [name, value] : whole.items()) {
        if (name == "appVersion")
            continue;
        EXPECT_EQ(errorOf(without(name)), SettingsTransferError::notMorvanta) << name;
        // A value of another kind: strings become numbers, everything else a string.
        const json other = value.is_string() ? json(1) : json("x");
        EXPECT_EQ(errorOf(withMember(name, other)), SettingsTransferError::notMorvanta) << name;
    }
    // Kinds inside containers are checked too.
    EXPECT_TRUE(errorOf(withMember("workspaceNames", json::array({"a", 1}))));
    EXPECT_TRUE(errorOf(withMember("layouts", {{"1", 2}})));
    EXPECT_TRUE(errorOf(withMember("shortcuts", {{"nextLayout", {{"carbonKeyCode", 1}}}})));
    EXPECT_TRUE(errorOf(
        withMember("shortcuts", {{"x", {{"carbonKeyCode", 1.5}, {"carbonModifiers", 0}}}})));
    EXPECT_TRUE(errorOf(
        withMember("shortcuts", {{"x", {{"carbonKeyCode", 1ll << 40}, {"carbonModifiers", 0}}}})));
    EXPECT_TRUE(errorOf(withMember("appRules", json::array({{{"bundleID", "a"}}}))));
    EXPECT_TRUE(errorOf(withMember("exportedAt", "yesterday")));
    EXPECT_TRUE(errorOf(withMember("exportedAt", "2025-02-30T09:30:00Z")));
    // A literal beyond a double's range is no usable number.
    json document = encoded(sample());
    std::string text = document.dump();
    text.replace(text.find("\"innerGap\":8.0"), 14, "\"innerGap\":1e999");
    EXPECT_TRUE(errorOf(text));
}

TEST(SettingsFileTest, ReadsIsoTimesWithZonesAndFractions) {
    const auto at = sys_days{2025y / March / 1} + 9h + 30min;
    EXPECT_EQ(parseIso8601("2025-03-01T09:30:00Z"), at);
    EXPECT_EQ(parseIso8601("2025-03-01T10:30:00+01:00"), at);
    EXPECT_EQ(parseIso8601("2025-03-01T04:00:00-0530"), at);
    EXPECT_EQ(parseIso8601("2025-03-01T09:30:00.250Z"), at);
    for (const char* bad : {"2025-03-01", "2025-03-01T09:30:00", "2025-13-01T09:30:00Z",
                            "2025-03-01T24:00:00Z", "2025-03-01 09:30:00Z", "2025-03-01T09:30Z",
                            "2025-03-01T09:30:00Z junk", "2025-03-01T09:30:00.Z"})
        EXPECT_FALSE(parseIso8601(bad)) << bad;
    EXPECT_EQ(formatIso8601(at), "2025-03-01T09:30:00Z");
}

TEST(SettingsFileTest, LabelsNameDigitAndLetterWorkspacesOnly) {
    EXPECT_EQ(SettingsFile::numberFromLabel("3"), 3);
    EXPECT_EQ(SettingsFile::numberFromLabel("C"), 103);
    EXPECT_EQ(SettingsFile::numberFromLabel("b"), 102);
    for (const char* none : {"", "0", "10", "12", "101", "B1", "AB", "é", " 3"})
        EXPECT_FALSE(SettingsFile::numberFromLabel(none)) << none;
    EXPECT_EQ(SettingsFile::label(126), "Z");
    EXPECT_EQ(SettingsFile::label(7), "7");
}

TEST(SettingsFileTest, ImportPlanConvertsLabelsAndDropsWhatNamesNothing) {
    const auto plan = SettingsImportPlan::from(sample());
    EXPECT_EQ(plan.letterWorkspaces, (std::vector<int>{101, 103}));
    // B is not among the file's letter workspaces: its name goes.
    EXPECT_EQ(plan.letterWorkspaceNames, (SettingsImportPlan::StringMap{{"A", "Admin"}}));
    EXPECT_EQ(plan.layouts, (SettingsImportPlan::StringMap{
                                {"2", "columns"}, {"102", "rows"}, {"103", "monocle"}}));
    EXPECT_EQ(plan.screens, (SettingsImportPlan::StringMap{{"3", "S1"}}));
    ASSERT_EQ(plan.appRules.size(), 4u);
    EXPECT_EQ(plan.appRules[0].workspace, 103);
    EXPECT_EQ(plan.appRules[1].workspace, std::nullopt);
    EXPECT_EQ(plan.appRules[2].workspace, std::nullopt);
    EXPECT_TRUE(plan.appRules[2].noBorder);
    // D is not among the file's letter workspaces.
    EXPECT_EQ(plan.appRules[3].workspace, std::nullopt);
    EXPECT_EQ(plan.defaultLayout, LayoutKind::grid);
    EXPECT_EQ(plan.shortcutStyle, ShortcutStyle::controlOption);

    SettingsFile odd = sample();
    odd.defaultLayout = "spiral";
    odd.shortcutStyle = "command";
    odd.letterWorkspaces = {"c", "C", "3", "AA"};
    const auto oddPlan = SettingsImportPlan::from(odd);
    EXPECT_FALSE(oddPlan.defaultLayout);
    EXPECT_FALSE(oddPlan.shortcutStyle);
    EXPECT_EQ(oddPlan.letterWorkspaces, (std::vector<int>{103}));
}

} // namespace
} // namespace morvanta
