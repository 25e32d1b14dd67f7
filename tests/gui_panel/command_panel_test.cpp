// The command panel on Qt's offscreen platform over the fake desktop: the rows of both modes,
// filtering, the keys, the toggle, the return of the focus, and the delayed run.
#include "app/commands/key_panel.h"
#include "ax/own_window_placer.h"
#include "tests/gui_panel/panel_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace morvanta::testing {
namespace {

std::vector<std::string> expectedActionIDs(const std::vector<std::string>& workspaces) {
    std::vector<std::string> ids;
    for (const auto& n : workspaces)
        ids.push_back("switch" + n);
    for (const auto& n : workspaces)
        ids.push_back("move" + n);
    for (const char* layout : {"columns", "rows", "mainStack", "grid", "monocle"})
        ids.push_back(std::string("layout-") + layout);
    for (const char* id : {"back", "next-layout", "float", "grow", "shrink", "border", "settings",
                           "pause", "diagnostics", "quit"})
        ids.emplace_back(id);
    return ids;
}

TEST_F(PanelTest, ActionRowsInOrderWithCountsAndShortcuts) {
    desktop.openWindow(term, "one", {0, 0, 400, 300});
    desktop.openWindow(term, "two", {0, 0, 400, 300});
    auto focused = desktop.openWindow(editor, "notes", {0, 0, 400, 300});
    startController();
    desktop.focus(focused);
    controller->commands().moveFocusedWindow(3);
    controller->addLetterWorkspace(103);
    auto items = makePanel().items(CommandPanelController::Mode::actions);

    EXPECT_EQ(ids(items), expectedActionIDs({"1", "2", "3", "4", "5", "6", "7", "8", "9", "103"}));
    EXPECT_EQ(item(items, "switch1").title, "Switch to workspace 1");
    EXPECT_EQ(item(items, "switch1").detail, "2 windows");
    EXPECT_EQ(item(items, "switch3").detail, "1 window");
    EXPECT_EQ(item(items, "switch4").detail, "empty");
    EXPECT_EQ(item(items, "switch103").title, "Switch to workspace C");
    EXPECT_EQ(item(items, "move103").title, "Move window to workspace C");
    EXPECT_EQ(item(items, "move103").shortcut, "");
    EXPECT_EQ(item(items, "switch3").shortcut, "Alt+3");
    EXPECT_EQ(item(items, "move9").shortcut, "Alt+Shift+9");
    EXPECT_EQ(item(items, "move9").detail, "");
    EXPECT_EQ(item(items, "layout-mainStack").title, "Layout: Main + Stack");
    EXPECT_EQ(item(items, "layout-mainStack").shortcut, "");
    EXPECT_EQ(item(items, "back").shortcut, "Alt+Tab");
    EXPECT_EQ(item(items, "float").title, "Float or tile this window");
    EXPECT_EQ(item(items, "pause").shortcut, "Alt+Shift+P");
    EXPECT_EQ(item(items, "border").title, "Hide focus border");
    EXPECT_EQ(item(items, "pause").title, "Pause tiling (show all windows)");
    for (const auto& row : items) {
        EXPECT_FALSE(row.digit) << row.id;
        EXPECT_TRUE(row.icons.empty()) << row.id;
    }

    // Titles that depend on state follow it the next time the rows are built.
    settings.setBorderEnabled(false);
    controller->commands().setPaused(true);
    items = panel->items(CommandPanelController::Mode::actions);
    EXPECT_EQ(item(items, "border").title, "Show focus border");
    EXPECT_EQ(item(items, "pause").title, "Resume tiling");
}

TEST_F(PanelTest, FixedRowsRunTheirCommands) {
    startController();
    auto items = makePanel().items(CommandPanelController::Mode::actions);
    item(items, "settings").run();
    item(items, "diagnostics").run();
    item(items, "quit").run();
    EXPECT_EQ(settingsShown, 1);
    EXPECT_EQ(diagnosticsShown, 1);
    EXPECT_EQ(quits, 1);

    item(items, "border").run();
    EXPECT_FALSE(settings.borderEnabled());
    item(items, "pause").run();
    EXPECT_TRUE(controller->isPaused().get());
    // The row built while running pauses reads the state when it runs: it resumes now.
    item(items, "pause").run();
    EXPECT_FALSE(controller->isPaused().get());
    item(items, "layout-grid").run();
    EXPECT_TRUE(logged("Layout Grid for workspace 1."));

    // Rows outliving the controller do nothing.
    panel.reset();
    controller.reset();
    item(items, "switch2").run();
    item(items, "pause").run();
}

TEST_F(PanelTest, WorkspacePickerRowsWithApplications) {
    desktop.openWindow(term, "one", {0, 0, 400, 300});
    desktop.openWindow(editor, "notes", {0, 0, 400, 300});
    desktop.openWindow(term, "two", {0, 0, 400, 300});
    auto moved = desktop.openWindow(editor, "todo", {0, 0, 400, 300});
    startController();
    desktop.focus(moved);
    controller->commands().moveFocusedWindow(2);
    controller->addLetterWorkspace(101);
    auto items = makePanel().items(CommandPanelController::Mode::workspaces);

    EXPECT_EQ(ids(items), (std::vector<std::string>{"ws1", "ws2", "ws3", "ws4", "ws5", "ws6", "ws7",
                                                    "ws8", "ws9", "ws101"}));
    const auto& first = item(items, "ws1");
    EXPECT_EQ(first.title, "1");
    // One name per window in window order, the editor by its desktop entry's name.
    EXPECT_EQ(first.detail.find("Terminal"), 0u) << first.detail;
    EXPECT_NE(first.detail.find("Text Editor"), std::string::npos) << first.detail;
    EXPECT_EQ(std::count(first.detail.begin(), first.detail.end(), ','), 2);
    EXPECT_EQ(first.shortcut, "showing");
    EXPECT_EQ(first.digit, 1);
    // One icon per process, the editor's first (it started first), from the file its entry
    // names.
    ASSERT_EQ(first.icons.size(), 2u);
    const QImage editorIcon = first.icons[0].pixmap(16, 16).toImage();
    EXPECT_EQ(QColor(editorIcon.pixel(8, 8)), QColor(40, 120, 220));

    EXPECT_EQ(item(items, "ws2").detail, "Text Editor");
    EXPECT_EQ(item(items, "ws2").shortcut, "");
    EXPECT_EQ(item(items, "ws2").icons.size(), 1u);
    EXPECT_EQ(item(items, "ws5").detail, "empty");
    EXPECT_TRUE(item(items, "ws5").icons.empty());
    EXPECT_EQ(item(items, "ws101").title, "A");
    EXPECT_FALSE(item(items, "ws101").digit);

    // A process that has gone is left out of names and icons.
    desktop.quitApp(editor);
    items = panel->items(CommandPanelController::Mode::workspaces);
    EXPECT_EQ(item(items, "ws2").detail, "empty");
    EXPECT_EQ(item(items, "ws1").icons.size(), 1u);
}

TEST_F(PanelTest, PickerNamesTheDisplayOnlyWithSeveralAndSkipsUnownedWorkspaces) {
    // Before the controller has published anything no display owns a workspace.
    ControllerDevices devices;
    controller = std::make_unique<TilingController>(desktop.system(), loop, log, settings,
                                                    std::move(devices));
    EXPECT_TRUE(makePanel().items(CommandPanelController::Mode::workspaces).empty());
    EXPECT_EQ(item(panel->items(CommandPanelController::Mode::actions), "switch1").detail, "empty");
    panel.reset();
    controller.reset();

    desktop.addScreen(FakeDesktop::makeScreen("S2", {1200, 0, 1000, 800}));
    startController();
    auto items = makePanel().items(CommandPanelController::Mode::workspaces);
    ASSERT_EQ(items.size(), 9u);
    const auto& summaries = controller->summaries().get();
    ASSERT_EQ(summaries.size(), 2u);
    const auto& first = item(items, "ws" + std::to_string(summaries[0].numbers.front()));
    EXPECT_EQ(first.detail, "empty  ·  " + summaries[0].name);
    const auto& second = item(items, "ws" + std::to_string(summaries[1].numbers.front()));
    EXPECT_EQ(second.detail, "empty  ·  " + summaries[1].name);
    EXPECT_EQ(second.shortcut, "showing");
}

TEST_F(PanelTest, FilteringKeepsOrderAndIgnoresCase) {
    startController();
    auto items = makePanel().items(CommandPanelController::Mode::actions);
    EXPECT_EQ(ids(CommandPanelView::filteredItems(items, "move 3")),
              std::vector<std::string>{"move3"});
    EXPECT_EQ(ids(CommandPanelView::filteredItems(items, "  3   move ")),
              std::vector<std::string>{"move3"});
    const auto upper = ids(CommandPanelView::filteredItems(items, "MOVE"));
    EXPECT_EQ(upper, ids(CommandPanelView::filteredItems(items, "move")));
    EXPECT_EQ(upper, (std::vector<std::string>{"move1", "move2", "move3", "move4", "move5", "move6",
                                               "move7", "move8", "move9"}));
    // Pieces match the detail too: "empty" is every empty workspace's switch row.
    EXPECT_EQ(CommandPanelView::filteredItems(items, "switch empty").size(), 9u);
    EXPECT_TRUE(CommandPanelView::filteredItems(items, "move empty").empty());
    EXPECT_EQ(CommandPanelView::filteredItems(items, "").size(), items.size());

    panel->show(CommandPanelController::Mode::actions);
    auto* view = panel->view();
    ASSERT_NE(view, nullptr);
    QTest::keyClicks(view->searchField(), "zz");
    EXPECT_EQ(view->query(), "zz");
    EXPECT_TRUE(view->filteredItems().empty());
    EXPECT_TRUE(view->noMatchLabel()->isVisible());
    EXPECT_FALSE(view->list()->isVisible());
    EXPECT_EQ(view->noMatchLabel()->text(), QStringLiteral("No actions match “zz”."));
    // Return with nothing listed runs nothing and keeps the panel.
    QTest::keyClick(view->searchField(), Qt::Key_Return);
    EXPECT_TRUE(panel->isShown());
    view->setQuery("");
    EXPECT_TRUE(view->list()->isVisible());
    EXPECT_EQ(view->list()->count(), static_cast<int>(items.size()));
}

TEST_F(PanelTest, ArrowsWrapRoundAndTypingResetsTheSelection) {
    startController();
    makePanel().show(CommandPanelController::Mode::actions);
    auto* view = panel->view();
    auto* field = view->searchField();
    const int count = static_cast<int>(view->items().size());
    EXPECT_EQ(view->selection(), 0);
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(view->selection(), count - 1);
    EXPECT_EQ(view->list()->currentRow(), count - 1);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(view->selection(), 0);
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(view->selection(), 2);

    QTest::keyClicks(field, "layout");
    EXPECT_EQ(view->selection(), 0);
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(view->selection(), 5);
    EXPECT_EQ(view->filteredItems()[5].id, "next-layout");

    QTest::keyClicks(field, "zz");
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(view->selection(), 0);
}

TEST_F(PanelTest, ReturnRunsTheSelectedRowAfterThePanelHides) {
    auto first = desktop.openWindow(term, "one", {0, 0, 400, 300});
    startController();
    desktop.focus(first);
    makePanel().show(CommandPanelController::Mode::actions);
    EXPECT_EQ(panel->previousWindow(), first);
    auto* view = panel->view();
    auto* field = view->searchField();
    EXPECT_EQ(view->placeholder(), "Type an action, e.g. “move to 3”");
    EXPECT_EQ(field->placeholderText(), QStringLiteral("Type an action, e.g. “move to 3”"));
    EXPECT_TRUE(panel->panel()->isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(panel->panel()));
    EXPECT_TRUE(view->searchFocused());

    QTest::keyClicks(field, "switch 3");
    const int focusRequests = desktop.count(first, FakeOperation::Kind::focus);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(panel->isShown());
    EXPECT_EQ(desktop.count(first, FakeOperation::Kind::focus), focusRequests + 1);

    loop.advance(CommandPanelController::runDelay - 1ms);
    EXPECT_EQ(controller->manager().activeWorkspaceNumber(controller->summaries().get().front().id),
              1);
    loop.advance(1ms);
    EXPECT_TRUE(logged("Workspace 3 on S1.")) << log.lines().back();
}

TEST_F(PanelTest, DigitsRunPickerRowsOnlyFromAnEmptyQuery) {
    startController();
    makePanel().show(CommandPanelController::Mode::workspaces);
    auto* view = panel->view();
    EXPECT_EQ(view->placeholder(), "Pick a workspace (1–9)");
    QTest::keyClicks(view->searchField(), "a");
    QTest::keyClicks(view->searchField(), "4");
    EXPECT_EQ(view->query(), "a4");
    EXPECT_TRUE(panel->isShown());

    view->setQuery("");
    QTest::keyClick(view->searchField(), Qt::Key_4);
    EXPECT_FALSE(panel->isShown());
    loop.advance(CommandPanelController::runDelay);
    EXPECT_TRUE(logged("Workspace 4 on S1."));

    // In the action mode no row has a digit: a digit starts the query.
    panel->show(CommandPanelController::Mode::actions);
    QTest::keyClicks(panel->view()->searchField(), "3");
    EXPECT_EQ(panel->view()->query(), "3");
    EXPECT_TRUE(panel->isShown());
}

TEST_F(PanelTest, ShowingAgainClosesThePanelAndReturnsTheFocus) {
    auto first = desktop.openWindow(term, "one", {0, 0, 400, 300});
    auto other = desktop.openWindow(editor, "notes", {0, 0, 400, 300});
    startController();
    desktop.focus(first);
    makePanel().show(CommandPanelController::Mode::workspaces);
    ASSERT_TRUE(panel->isShown());
    desktop.focus(other); // what the panel taking the focus stands for here
    panel->show(CommandPanelController::Mode::workspaces);
    EXPECT_FALSE(panel->isShown());
    EXPECT_EQ(panel->panel(), nullptr);
    EXPECT_EQ(desktop.focusedWindow(), first);
    QApplication::processEvents();

    // Escape cancels: hidden, focus back, nothing runs.
    panel->show(CommandPanelController::Mode::actions);
    ASSERT_TRUE(panel->isShown());
    desktop.focus(other);
    const auto pending = loop.pendingCount();
    QTest::keyClick(panel->view()->searchField(), Qt::Key_Escape);
    EXPECT_FALSE(panel->isShown());
    EXPECT_EQ(desktop.focusedWindow(), first);
    EXPECT_EQ(loop.pendingCount(), pending);
}

TEST_F(PanelTest, PanelWindowIsAFramelessFloatingToolBelowTheTopOfTheScreen) {
    EXPECT_EQ(KeyPanel::originOn({0, 0, 1920, 1080}), QPoint(650, 194));
    EXPECT_EQ(KeyPanel::originOn({1920, 30, 1280, 994}), QPoint(2250, 209));
    startController();
    makePanel().show(CommandPanelController::Mode::actions);
    auto* window = panel->panel();
    EXPECT_EQ(window->size(), QSize(620, 420));
    const auto flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window->pos(), KeyPanel::originOn(area));
}

TEST_F(PanelTest, WhereQtCannotPlaceThePanelThePlacerIsAskedEachTimeItOpens) {
    struct Placer final : OwnWindowPlacer {
        void centreOnPointerScreen(const std::string& caption, double top) override {
            asked.emplace_back(caption, top);
        }
        std::vector<std::pair<std::string, double>> asked;
    } placer;
    startController();
    makePanel().setPlacer(&placer);
    panel->show(CommandPanelController::Mode::actions);
    EXPECT_EQ(panel->panel()->windowTitle().toStdString(), KeyPanel::caption);
    panel->show(CommandPanelController::Mode::actions); // closes it
    panel->show(CommandPanelController::Mode::workspaces);
    const std::pair<std::string, double> centred{"Morvanta command panel", 0.18};
    EXPECT_EQ(placer.asked, (std::vector{centred, centred}));
}

} // namespace
} // namespace morvanta::testing
