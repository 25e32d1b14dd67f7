// The settings window over the fake desktop: the sidebar, controls that act on the real
// (fake) windows at once, letter workspaces, the shortcut style and the other tabs' wiring.
#include "app/shell/settings_window/advanced_tab.h"
#include "app/shell/settings_window/general_tab.h"
#include "app/shell/settings_window/layout_tab.h"
#include "app/shell/settings_window/rules_tab.h"
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/shortcut_recorder.h"
#include "app/shell/settings_window/shortcuts_tab.h"
#include "app/shell/settings_window/slider_row.h"
#include "app/shell/settings_window/workspaces_tab.h"
#include "app/shell/updates/updater.h"
#include "app/shell/widgets/layout_card.h"
#include "app/shell/widgets/layout_preview.h"
#include "tests/shell/settings_window/settings_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <fstream>

namespace morvanta::testing {
namespace {

QStringList menuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text();
    return texts;
}

QStringList visibleLabels(QWidget* page) {
    QStringList texts;
    for (auto* label : page->findChildren<QLabel*>())
        if (label->isVisibleTo(page))
            texts << label->text();
    return texts;
}

QPushButton* button(QWidget* page, const char* text) {
    for (auto* b : page->findChildren<QPushButton*>())
        if (b->text() == QString::fromUtf8(text))
            return b;
    return nullptr;
}

TEST_F(SettingsTest, TheSidebarListsTheEightTabsInOrderAndStartsOnGeneral) {
    start();
    auto& w = openWindow();
    EXPECT_EQ(w.windowTitle(), "Morvanta Settings");
    QStringList titles;
    for (int i = 0; i < w.sidebar()->count(); ++i)
        titles << w.sidebar()->item(i)->text();
    EXPECT_EQ(titles, (QStringList{"General", "Layout", "Workspaces", "Displays", "App Rules",
                                   "Shortcuts", "Appearance", "Advanced"}));
    EXPECT_EQ(w.tab(), SettingsTab::general);
    w.sidebar()->setCurrentRow(4);
    EXPECT_EQ(w.tab(), SettingsTab::rules);
    EXPECT_EQ(settingsTabFromRaw("rules"), SettingsTab::rules);
}

TEST_F(SettingsTest, MovingTheGapSliderToZeroRemovesTheGapsWhileItMoves) {
    settings.setInnerGap(20);
    settings.setOuterGap(20);
    const AXWindow a = desktop.openWindow(editor, "a", {10, 10, 300, 200});
    const AXWindow b = desktop.openWindow(term, "b", {40, 40, 300, 200});
    start();
    auto& w = openWindow();
    SliderRow* inner = w.layoutTab()->innerGapRow();
    SliderRow* outer = w.layoutTab()->outerGapRow();
    EXPECT_EQ(inner->minimum(), 0);
    EXPECT_EQ(inner->maximum(), 40);
    EXPECT_EQ(inner->step(), 2);
    EXPECT_EQ(inner->displayText(), "20 pt");
    const Rect before = frame(a);
    EXPECT_EQ(before.x, 20);

    // One step at a time, as a drag moves it: each step reaches the windows at once, with
    // no refresh or timer in between.
    outer->slider()->setValue(outer->slider()->value() - 1);
    EXPECT_EQ(settings.outerGap(), 18);
    EXPECT_EQ(frame(a).x, 18);
    outer->slider()->setValue(0);
    inner->slider()->setValue(0);
    EXPECT_EQ(inner->displayText(), "0 pt");
    EXPECT_EQ(settings.innerGap(), 0);
    EXPECT_EQ(frame(a).x, 0);
    EXPECT_EQ(frame(a).y, 0);
    EXPECT_EQ(frame(a).maxX(), frame(b).x); // windows touch
    EXPECT_EQ(frame(b).maxX(), 1200);

    SliderRow* ratio = w.layoutTab()->mainRatioRow();
    EXPECT_DOUBLE_EQ(ratio->minimum(), 0.35);
    EXPECT_DOUBLE_EQ(ratio->maximum(), 0.75);
    ratio->setValue(0.75);
    EXPECT_EQ(ratio->displayText(), "75%");
    EXPECT_NEAR(settings.mainRatio(), 0.75, 1e-9);
    EXPECT_NEAR(frame(a).width, 900, 1);
}

TEST_F(SettingsTest, TheDefaultLayoutCardsAndTheEveryWorkspaceButton) {
    start();
    auto& w = openWindow();
    LayoutTab* tab = w.layoutTab();
    ASSERT_EQ(tab->cards().size(), 5u);
    tab->cards()[0]->click(); // Columns
    EXPECT_EQ(settings.defaultLayout(), LayoutKind::columns);
    EXPECT_TRUE(tab->cards()[0]->isSelected());
    EXPECT_FALSE(tab->cards()[2]->isSelected());
    EXPECT_EQ(tab->everyWorkspaceButton()->text(), "Use Columns for every workspace");
    EXPECT_EQ(tab->preview()->layoutKind(), LayoutKind::columns);
    tab->everyWorkspaceButton()->click();
    EXPECT_EQ(controller->manager().workspaceRecord(7).layout, LayoutKind::columns);
}

TEST_F(SettingsTest, AddingALetterWhoseKeysAreTakenSaysSoAndStillAddsIt) {
    start();
    // Alt+C and Alt+Shift+C already belong to other actions.
    keys->storeShortcut(Shortcut{keyC, alt}, KeyboardShortcuts::Name{"nextLayout", std::nullopt});
    keys->storeShortcut(Shortcut{keyC, altShift},
                        KeyboardShortcuts::Name{"toggleFloating", std::nullopt});
    auto& w = openWindow();
    WorkspacesTab* tab = w.workspacesTab();
    tab->addLetter(103);
    EXPECT_EQ(tab->message(),
              "Added workspace C. Its keys are already used, so set shortcuts in Shortcuts.");
    EXPECT_EQ(settings.letterWorkspaces(), std::vector<int>{103});
    EXPECT_TRUE(has(tab->rowNumbers(), 103));
    QApplication::processEvents();
    EXPECT_NE(w.shortcutsTab()->recorder("switchToWorkspaceC"), nullptr);
    EXPECT_NE(w.shortcutsTab()->recorder("moveToWorkspaceC"), nullptr);

    tab->addLetter(104);
    EXPECT_EQ(tab->message(),
              "Added workspace D: Alt+D switches, Alt+Shift+D moves a window there.");
    keys->storeShortcut(Shortcut{keyA, alt}, KeyboardShortcuts::Name{"nextLayout", std::nullopt});
    tab->addLetter(101);
    EXPECT_EQ(tab->message(), "Added workspace A. One of its keys is already used; set it in "
                              "Shortcuts.");

    tab->removeLetter(104);
    EXPECT_EQ(tab->message(), "Removed workspace D. Its windows moved to the workspace on screen.");
    QApplication::processEvents();
    EXPECT_FALSE(has(tab->rowNumbers(), 104));
    EXPECT_EQ(tab->nameField(104), nullptr);
}

TEST_F(SettingsTest, AddWorkspaceOffersOnlyTheMissingLetters) {
    start();
    auto& w = openWindow();
    WorkspacesTab* tab = w.workspacesTab();
    EXPECT_EQ(tab->rowNumbers(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    QStringList all;
    for (char c = 'A'; c <= 'Z'; ++c)
        all << QString(c);
    EXPECT_EQ(menuTexts(tab->addMenu()), all);
    tab->addLetter(103);
    tab->addLetter(101);
    QStringList rest = all;
    rest.removeAll("A");
    rest.removeAll("C");
    EXPECT_EQ(menuTexts(tab->addMenu()), rest);
    EXPECT_EQ(tab->offeredLetters().front(), 102);
    // Rows stay in order: digits, then letters ascending.
    EXPECT_EQ(tab->rowNumbers(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 101, 103}));
}

TEST_F(SettingsTest, WorkspaceRowsNameAndLayOutTheirWorkspace) {
    start();
    auto& w = openWindow();
    WorkspacesTab* tab = w.workspacesTab();
    QLineEdit* name = tab->nameField(3);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->placeholderText(), "Workspace 3");
    name->setFocus();
    QTest::keyClicks(name, "Web");
    EXPECT_EQ(settings.workspaceName(3), "Web");
    // A name keeps its spaces as typed, also while the space is the last key so far; a name of
    // spaces alone is no name.
    name->clear();
    QTest::keyClicks(name, " My ");
    EXPECT_EQ(settings.workspaceName(3), " My ");
    QTest::keyClicks(name, "Web ");
    EXPECT_EQ(settings.workspaceName(3), " My Web ");
    QComboBox* picker = tab->layoutPicker(3);
    EXPECT_EQ(picker->accessibleName(), "Layout for workspace 3");
    EXPECT_EQ(picker->count(), 5);
    emit picker->activated(4);
    EXPECT_EQ(controller->manager().workspaceRecord(3).layout, LayoutKind::monocle);
    EXPECT_EQ(settings.layoutsByWorkspace().at("3"), "monocle");
    tab->addLetter(105);
    EXPECT_EQ(tab->nameField(105)->placeholderText(), "Workspace E");
    QLineEdit* letterName = tab->nameField(105);
    letterName->setFocus();
    QTest::keyClicks(letterName, "Mail box");
    EXPECT_EQ(settings.workspaceName(105), "Mail box");
    letterName->selectAll();
    QTest::keyClicks(letterName, "  ");
    EXPECT_EQ(settings.workspaceName(105), "");
    EXPECT_FALSE(settings.letterWorkspaceNames().contains("E"));
}

TEST_F(SettingsTest, SwitchingTheStyleResetsCustomRecordings) {
    start();
    auto& w = openWindow();
    ShortcutsTab* tab = w.shortcutsTab();
    ShortcutRecorder* recorder = tab->recorder("switchToWorkspace1");
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(recorder->text(), "Alt+1");
    recorder->startRecording();
    ASSERT_TRUE(recorder->record(Shortcut{keyK, ctrlAlt}));
    EXPECT_EQ(binding("switchToWorkspace1"), (Shortcut{keyK, ctrlAlt}));
    EXPECT_EQ(recorder->text(), "Ctrl+Alt+K");

    emit tab->stylePicker()->activated(1);
    EXPECT_EQ(settings.shortcutStyle(), ShortcutStyle::controlOption);
    EXPECT_EQ(binding("switchToWorkspace1"), (Shortcut{key1, ctrlAlt}));
    EXPECT_EQ(tab->recorder("switchToWorkspace1")->text(), "Ctrl+Alt+1");

    // Restore Defaults does the same within the style.
    tab->recorder("switchToWorkspace2")->record(Shortcut{keyK, ctrlAlt});
    tab->restoreButton()->click();
    EXPECT_EQ(binding("switchToWorkspace2"), (Shortcut{key2, ctrlAlt}));

    tab->enabledToggle()->setChecked(false);
    EXPECT_FALSE(settings.shortcutsEnabled());
    EXPECT_TRUE(backend->grabbed.empty());
}

TEST_F(SettingsTest, ARecorderRefusesAnotherActionsCombination) {
    start();
    auto& w = openWindow();
    ShortcutRecorder* recorder = w.shortcutsTab()->recorder("switchToWorkspace1");
    EXPECT_FALSE(recorder->record(Shortcut{key2, alt}));
    EXPECT_EQ(recorder->lastMessage(), "“Switch to workspace 2” already uses this shortcut.");
    EXPECT_EQ(binding("switchToWorkspace1"), (Shortcut{key1, alt}));
}

TEST_F(SettingsTest, GeneralTabSwitchesTilingAndTheLoginItem) {
    start();
    auto& w = openWindow();
    GeneralTab* tab = w.generalTab();
    EXPECT_TRUE(tab->tilingToggle()->isChecked());
    tab->tilingToggle()->setChecked(false);
    EXPECT_TRUE(controller->isPaused().get());
    controller->commands().setPaused(false);
    EXPECT_TRUE(tab->tilingToggle()->isChecked());

    tab->loginToggle()->setChecked(true);
    EXPECT_TRUE(std::filesystem::exists(autostartEntry()));
    EXPECT_TRUE(tab->loginToggle()->isChecked());
    tab->loginToggle()->setChecked(false);
    EXPECT_FALSE(settings.launchAtLogin());

    // No updater: the switches give way to the note.
    EXPECT_EQ(tab->automaticUpdatesToggle(), nullptr);
    EXPECT_TRUE(visibleLabels(tab).contains(Updater::switchedOffText));
    EXPECT_TRUE(visibleLabels(tab).contains(SettingsTexts::permissionGranted));
}

TEST_F(SettingsTest, ALoginItemThatCannotBeWrittenShowsTheRealState) {
    // A file where the autostart folder should be: the entry cannot be written.
    std::ofstream(autostartFolder()) << "x";
    start();
    auto& w = openWindow();
    w.generalTab()->loginToggle()->setChecked(true);
    EXPECT_FALSE(w.generalTab()->loginToggle()->isChecked());
}

TEST_F(SettingsTest, RulesAreAddedFromRunningAppsChangedAndRemoved) {
    desktop.openWindow(term, "shell", {10, 10, 300, 200});
    start();
    auto& w = openWindow();
    RulesTab* tab = w.rulesTab();
    const auto builtIn = settings.appRules().size();
    const auto running = tab->runningApplications();
    ASSERT_EQ(running.size(), 1u);
    EXPECT_EQ(running[0].identifier, "XTerm");
    EXPECT_TRUE(menuTexts(tab->addMenu()).contains(SettingsTexts::chooseApplication));
    tab->addRule(running[0]);
    tab->addRule(running[0]); // a second rule for the same app would never apply
    ASSERT_EQ(settings.appRules().size(), builtIn + 1);
    EXPECT_EQ(settings.appRules().back().bundleID, "XTerm");
    EXPECT_FALSE(settings.appRules().back().workspace.has_value());

    QApplication::processEvents();
    auto toggles = tab->findChildren<QCheckBox*>();
    QCheckBox* border = nullptr;
    for (QCheckBox* t : toggles)
        if (t->isVisibleTo(tab) && t->text() == "Border")
            border = t; // the last row's
    ASSERT_NE(border, nullptr);
    EXPECT_TRUE(border->isChecked());
    border->setChecked(false);
    EXPECT_TRUE(settings.appRules().back().noBorder);
    tab->removeRule(settings.appRules().size() - 1);
    EXPECT_EQ(settings.appRules().size(), builtIn);

    QTemporaryDir entries;
    const auto entry =
        std::filesystem::path(entries.path().toStdString()) / "org.gnome.Foo.desktop";
    std::ofstream(entry) << "[Desktop Entry]\nName=Foo Editor\nStartupWMClass=foo\n"
                            "[Desktop Action New]\nName=New Window\n";
    EXPECT_EQ(RulesTab::readDesktopEntry(entry), (RuleApplication{"foo", "Foo Editor"}));
    const auto bare = std::filesystem::path(entries.path().toStdString()) / "bar.desktop";
    std::ofstream(bare) << "[Desktop Entry]\nType=Application\n";
    EXPECT_EQ(RulesTab::readDesktopEntry(bare), (RuleApplication{"bar", "bar"}));
    EXPECT_FALSE(RulesTab::readDesktopEntry(entries.path().toStdString() + "/none.desktop"));
}

TEST_F(SettingsTest, AdvancedAndAppearanceButtonsReachTheirActions) {
    const AXWindow a = desktop.openWindow(editor, "a", {10, 10, 300, 200});
    start();
    auto& w = openWindow();
    QWidget* advanced = w.advancedTab();
    button(advanced, "Export Settings…")->click();
    button(advanced, "Import Settings…")->click();
    button(advanced, "Show Welcome Guide…")->click();
    button(advanced, "Diagnostics…")->click();
    EXPECT_EQ(exported + imported + onboardingShown + diagnosticsShown, 4);
    button(advanced, "Bring Back All Windows")->click();
    EXPECT_TRUE(controller->isPaused().get());
    (void)a;
}

} // namespace
} // namespace morvanta::testing
