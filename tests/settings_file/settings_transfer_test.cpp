// Export and import against the controller and the shortcut actions: a round trip changes
// nothing, an import undoes later changes, refused files change nothing and say why, letter
// workspaces, rules and layout keys convert, unbound shortcuts travel as null, and the log.
#include "tests/settings_file/settings_transfer_fixture.h"

#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>

namespace morvanta::testing {
namespace {

using nlohmann::json;

class SettingsRoundTripTest : public SettingsTransferTest {
protected:
    // A setup far from the defaults in every part the file carries.
    void customise() {
        settings.setShortcutStyle(ShortcutStyle::controlOption);
        controller->addLetterWorkspace(102);
        controller->addLetterWorkspace(103);
        settings.setDefaultLayout(LayoutKind::grid);
        settings.setInnerGap(8);
        settings.setOuterGap(4.5);
        settings.setMainRatio(0.63);
        settings.setWorkspaceNames({"Mail", "", "Web", "", "", "", "", "", "Chat"});
        settings.setLetterWorkspaceNames({{"B", "Books"}, {"C", "Code"}});
        settings.setAppRules({{"org.example.Editor", "Editor", 103, false, true},
                              {"XTerm", "XTerm", 2, true, false},
                              {"calc", "Calculator", std::nullopt, true, false}});
        settings.setBorderEnabled(false);
        settings.setBorderWidth(6);
        settings.setBorderColorHex("#FF8800");
        settings.setHideBorderWhileDragging(true);
        controller->commands().reloadFromSettings({{"2", "columns"}, {"102", "monocle"}},
                                                  {{"3", "S1"}, {"103", "S1"}});
        keys->storeShortcut(Shortcut{3, ctrlAltShift}, name("nextLayout"));
        keys->storeShortcut(std::nullopt, name("previousWorkspace"));
        settings.setShortcutsEnabled(false);
    }
    KeyboardShortcuts::Name name(const std::string& raw) {
        for (auto& entry : actions->shortcutEntries())
            if (entry.name.rawValue == raw)
                return entry.name;
        return {raw, std::nullopt};
    }
};

TEST_F(SettingsRoundTripTest, ExportingAndImportingChangesNothing) {
    customise();
    settle();
    const auto before = snapshot();
    const auto letters = controller->manager().letterWorkspaces();

    ASSERT_EQ(transfer->exportTo(file("Morvanta Settings.json")), std::nullopt);
    EXPECT_TRUE(logged("Exported settings to Morvanta Settings.json."));
    ASSERT_EQ(transfer->importFrom(file("Morvanta Settings.json")), std::nullopt);
    settle();

    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(controller->manager().letterWorkspaces(), letters);
    EXPECT_EQ(controller->manager().workspaceRecord(102).layout, LayoutKind::monocle);
    EXPECT_FALSE(binding("previousWorkspace"));
    EXPECT_TRUE(keys->isDisabled(name("switchToWorkspace1")));
}

TEST_F(SettingsRoundTripTest, ImportingUndoesWhatChangedSinceTheExport) {
    customise();
    settle();
    const auto before = snapshot();
    ASSERT_EQ(transfer->exportTo(file("backup.json")), std::nullopt);

    controller->removeLetterWorkspace(102);
    controller->addLetterWorkspace(104);
    settings.setShortcutStyle(ShortcutStyle::option);
    settings.setInnerGap(0);
    settings.setWorkspaceNames({});
    settings.setAppRules({});
    settings.setShortcutsEnabled(true);
    controller->commands().reloadFromSettings({}, {});
    keys->storeShortcut(Shortcut{0, alt}, name("previousWorkspace"));
    settle();
    ASSERT_NE(snapshot(), before);

    ASSERT_EQ(transfer->importFrom(file("backup.json")), std::nullopt);
    settle();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(controller->manager().letterWorkspaces(), (std::vector<int>{102, 103}));
}

TEST_F(SettingsTransferTest, ExportHoldsLabelsAndNullForUnboundShortcuts) {
    controller->addLetterWorkspace(103);
    settings.setAppRules({{"a", "A", 103, false, false}, {"b", "B", 4, false, false}});
    controller->commands().reloadFromSettings({{"103", "rows"}}, {});
    keys->storeShortcut(std::nullopt, {"nextLayout", std::nullopt});

    const json document = json::parse(encodeSettingsFile(transfer->makeSettingsFile()));
    EXPECT_EQ(document["appVersion"], "1.2.3");
    EXPECT_EQ(document["exportedAt"], "2025-03-01T09:30:00Z");
    EXPECT_EQ(document["letterWorkspaces"], json::array({"C"}));
    EXPECT_EQ(document["appRules"][0]["workspace"], "C");
    EXPECT_EQ(document["appRules"][1]["workspace"], "4");
    EXPECT_EQ(document["layouts"]["C"], "rows");
    EXPECT_TRUE(document["shortcuts"]["nextLayout"].is_null());
    EXPECT_EQ(document["shortcuts"]["switchToWorkspace1"],
              json({{"carbonKeyCode", 18}, {"carbonModifiers", alt}}));
    // One member per shortcut entry, letter entries included.
    EXPECT_EQ(document["shortcuts"].size(), actions->shortcutEntries().size());
    EXPECT_TRUE(document["shortcuts"].contains("moveToWorkspaceC"));
}

class SettingsImportTest : public SettingsTransferTest {
protected:
    // This setup's own export, changed by `edit`, written to a file and imported.
    std::optional<std::string> importEdited(const std::function<void(json&)>& edit) {
        json document = json::parse(encodeSettingsFile(transfer->makeSettingsFile()));
        edit(document);
        write(file("edited.json"), document.dump(2));
        return transfer->importFrom(file("edited.json"));
    }
};

TEST_F(SettingsImportTest, RefusedFilesChangeNothingAndSayWhy) {
    controller->addLetterWorkspace(102);
    settle();
    const auto before = snapshot();
    clearLog();
    const std::string notOurs = "This file isn't a Morvanta settings file.";
    const std::string newer = "These settings were exported from a newer version of Morvanta. "
                              "Update Morvanta, then try again.";
    // Each refused file would otherwise have changed a good deal.
    const auto changeEverything = [](json& d) {
        d["letterWorkspaces"] = json::array({"Z"});
        d["innerGap"] = 30;
        d["shortcutStyle"] = "controlOption";
    };
    EXPECT_EQ(importEdited([&](json& d) { changeEverything(d), d["format"] = 2; }), newer);
    EXPECT_EQ(importEdited([&](json& d) { changeEverything(d), d["app"] = "Tiler"; }), notOurs);
    EXPECT_EQ(importEdited([&](json& d) { changeEverything(d), d.erase("shortcuts"); }), notOurs);
    write(file("notes.txt"), "Buy milk\n");
    EXPECT_EQ(transfer->importFrom(file("notes.txt")), notOurs);
    const auto missing = transfer->importFrom(file("absent.json"));
    ASSERT_TRUE(missing);
    EXPECT_EQ(*missing, "The file \u201Cabsent.json\u201D couldn't be read: No such file or "
                        "directory.");
    EXPECT_TRUE(transfer->importFrom(folder));

    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(controller->manager().letterWorkspaces(), (std::vector<int>{102}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(SettingsImportTest, AFileWithoutAppVersionImportsAndLogsItsExportTime) {
    const char* zone = std::getenv("TZ");
    const std::optional<std::string> oldZone =
        zone ? std::optional<std::string>(zone) : std::nullopt;
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ASSERT_EQ(importEdited([](json& d) {
                  d.erase("appVersion");
                  d["innerGap"] = 12;
              }),
              std::nullopt);
    EXPECT_EQ(settings.innerGap(), 12);
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages().back(), "Imported settings (exported Mar 1, 2025 at 9:30 AM).");
    if (oldZone)
        ::setenv("TZ", oldZone->c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST_F(SettingsImportTest, LetterWorkspacesAreReplacedThroughTheController) {
    controller->addLetterWorkspace(102);
    controller->addLetterWorkspace(103);
    const AXWindow onB = open(editor, "notes");
    settle();
    controller->commands().moveFocusedWindow(102);
    settle();
    const auto id = controller->registry().idFor(onB);
    ASSERT_TRUE(id);
    ASSERT_EQ(controller->manager().workspaceNumberOf(*id), 102);
    clearLog();
    ASSERT_EQ(importEdited([](json& d) {
                  d["letterWorkspaces"] = json::array({"A", "C"});
                  d["letterWorkspaceNames"] = {{"A", "Admin"}, {"B", "Books"}, {"C", "Code"}};
              }),
              std::nullopt);
    EXPECT_EQ(controller->manager().letterWorkspaces(), (std::vector<int>{101, 103}));
    EXPECT_EQ(settings.letterWorkspaces(), (std::vector<int>{101, 103}));
    EXPECT_EQ(settings.letterWorkspaceNames(),
              (AppSettings::StringMap{{"A", "Admin"}, {"C", "Code"}}));
    EXPECT_TRUE(logged("Removed workspace B."));
    EXPECT_TRUE(logged("Added workspace A."));
    EXPECT_FALSE(logged("Added workspace C."));
    // B's window moved to what its display shows; A has its keys.
    EXPECT_EQ(controller->manager().workspaceNumberOf(*id), 1);
    EXPECT_EQ(binding("switchToWorkspaceA"), (Shortcut{0, alt}));
}

TEST_F(SettingsImportTest, RulesAndLayoutKeysConvertFromLabels) {
    ASSERT_EQ(
        importEdited([](json& d) {
            d["appRules"] = json::array(
                {{{"bundleID", "c"},
                  {"appName", "C"},
                  {"workspace", "C"},
                  {"floating", false},
                  {"noBorder", false}},
                 {{"bundleID", "t"},
                  {"appName", "T"},
                  {"workspace", "12"},
                  {"floating", true},
                  {"noBorder", false}},
                 {{"bundleID", "n"}, {"appName", "N"}, {"floating", false}, {"noBorder", true}}});
            d["layouts"] = {{"b", "grid"}, {"B1", "rows"}, {"4", "columns"}};
            d["letterWorkspaces"] = json::array({"B", "C"});
            d["defaultLayout"] = "spiral";
        }),
        std::nullopt);
    const auto& rules = settings.appRules();
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[0].workspace, 103);
    EXPECT_EQ(rules[1].workspace, std::nullopt);
    EXPECT_EQ(rules[2], (AppRule{"n", "N", std::nullopt, false, true}));
    EXPECT_EQ(settings.layoutsByWorkspace().at("102"), "grid");
    EXPECT_EQ(settings.layoutsByWorkspace().at("4"), "columns");
    EXPECT_EQ(controller->manager().workspaceRecord(4).layout, LayoutKind::columns);
    // The unknown layout name left the default layout as it was.
    EXPECT_EQ(settings.defaultLayout(), LayoutKind::mainStack);
}

TEST_F(SettingsImportTest, BindingsFollowTheFileAfterItsStyle) {
    ASSERT_EQ(importEdited([](json& d) {
                  d["shortcutStyle"] = "controlOption";
                  d["shortcuts"]["nextLayout"] = nullptr;
                  d["shortcuts"]["growMain"] = {{"carbonKeyCode", 24}, {"carbonModifiers", 256}};
                  d["shortcuts"].erase("shrinkMain");
                  d["shortcuts"]["notAnAction"] = {{"carbonKeyCode", 1}, {"carbonModifiers", 0}};
              }),
              std::nullopt);
    EXPECT_EQ(settings.shortcutStyle(), ShortcutStyle::controlOption);
    EXPECT_EQ(binding("nextLayout"), std::nullopt);
    EXPECT_EQ(binding("growMain"), (Shortcut{24, 256}));
    // Named in the file: the file's binding (the old style's). Left out: the new style's.
    EXPECT_EQ(binding("switchToWorkspace1"), (Shortcut{18, alt}));
    EXPECT_EQ(binding("shrinkMain"), (Shortcut{27, ctrlAlt}));
    EXPECT_EQ(binding("notAnAction"), std::nullopt);
}

TEST_F(SettingsTransferTest, AFailedExportSaysWhyAndKeepsWhatWasThere) {
    clearLog();
    const auto error = transfer->exportTo(file("missing") / "Morvanta Settings.json");
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "The file \u201CMorvanta Settings.json\u201D couldn't be saved: No such "
                      "file or directory.");
    // A folder in the way is not replaced.
    std::filesystem::create_directories(file("taken.json") / "inside");
    EXPECT_TRUE(transfer->exportTo(file("taken.json")));
    EXPECT_TRUE(std::filesystem::is_directory(file("taken.json") / "inside"));
    EXPECT_TRUE(messages().empty());
}

} // namespace
} // namespace morvanta::testing
