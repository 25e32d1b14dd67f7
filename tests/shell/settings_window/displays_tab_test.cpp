// The displays tab over the fake desktop: the screens' arrangement, the explanation, and what
// dropping text on a screen does.
#include "app/shell/settings_window/displays_tab.h"
#include "app/shell/settings_window/screen_arrangement.h"
#include "app/shell/settings_window/screen_tile.h"
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/workspace_chip.h"
#include "tests/shell/settings_window/settings_fixture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>

namespace morvanta::testing {
namespace {

class DisplaysTabTest : public SettingsTest {
protected:
    std::unique_ptr<DisplaysTab> makeTab() {
        auto tab = std::make_unique<DisplaysTab>(*controller);
        tab->resize(640, 420);
        tab->show();
        QApplication::processEvents();
        return tab;
    }
    static ScreenTile* tile(DisplaysTab& tab, const std::string& id) {
        for (ScreenTile* t : tab.arrangement()->tiles())
            if (t->summary().id.raw == id)
                return t;
        return nullptr;
    }
    static std::vector<int> chips(DisplaysTab& tab, const std::string& id) {
        std::vector<int> numbers;
        if (ScreenTile* t = tile(tab, id))
            for (WorkspaceChip* chip : t->chips())
                numbers.push_back(chip->number());
        return numbers;
    }
    // Sends the drag of a text onto a tile the way Qt delivers it: enter, then drop.
    static void dragAndDrop(ScreenTile* target, const QString& text) {
        QMimeData data;
        data.setText(text);
        const QPoint middle = target->rect().center();
        QDragEnterEvent enter(middle, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(middle), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
    }
    void addSecondScreen() {
        desktop.addScreen(FakeDesktop::makeScreen("S2", {1200, 0, 1000, 800}));
        settle();
    }
};

TEST_F(DisplaysTabTest, OneScreenExplainsAndHoldsEveryWorkspace) {
    start();
    auto tab = makeTab();
    EXPECT_EQ(tab->explanation(), SettingsTexts::oneScreen);
    ASSERT_EQ(tab->arrangement()->tiles().size(), 1u);
    EXPECT_EQ(chips(*tab, "S1"), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_TRUE(tab->message().isEmpty());

    WorkspaceChip* first = tile(*tab, "S1")->chips().front();
    EXPECT_TRUE(first->isShowing());
    EXPECT_EQ(first->toolTip(), "Workspace 1 (showing now). Drag to another screen to move it.");
    EXPECT_EQ(tile(*tab, "S1")->chips()[1]->toolTip(),
              "Workspace 2. Drag to another screen to move it.");
    EXPECT_EQ(first->countText(), "empty");

    addSecondScreen();
    QApplication::processEvents();
    EXPECT_EQ(tab->explanation(), SettingsTexts::manyScreens);
    EXPECT_EQ(tab->arrangement()->tiles().size(), 2u);
}

TEST_F(DisplaysTabTest, TilesFollowTheRealArrangementAndKeepAMinimumSize) {
    // Side by side, the second one higher up (smaller y on X11): no flip.
    const auto rects =
        ScreenArrangement::tileRects({{0, 200, 1000, 600}, {1000, 0, 1000, 800}}, QSizeF(400, 200));
    ASSERT_EQ(rects.size(), 2u);
    const double scale = 0.2; // min(400 / 2000, 200 / 800)
    EXPECT_DOUBLE_EQ(rects[0].width(), std::max(120.0, 1000 * scale - 10));
    EXPECT_DOUBLE_EQ(rects[0].x(), 5 + (400 - 2000 * scale) / 2);
    EXPECT_DOUBLE_EQ(rects[0].y(), 5 + (200 - 800 * scale) / 2 + 200 * scale);
    EXPECT_DOUBLE_EQ(rects[1].x(), rects[0].x() + 1000 * scale);
    EXPECT_LT(rects[1].y(), rects[0].y());

    // A tiny screen beside a huge one still gets a usable tile.
    const auto tiny =
        ScreenArrangement::tileRects({{0, 0, 5000, 4000}, {5000, 0, 100, 60}}, QSizeF(500, 300));
    EXPECT_GE(tiny[1].width(), 120);
    EXPECT_GE(tiny[1].height(), 90);

    // Without frames the scale is 1 and tiles take the minimum size.
    const auto none = ScreenArrangement::tileRects({Rect{}}, QSizeF(300, 200));
    EXPECT_EQ(none[0], QRectF(5, 5, 120, 90));

    desktop.addScreen(FakeDesktop::makeScreen("Tiny", {1200, 0, 80, 50}));
    start();
    auto tab = makeTab();
    ScreenTile* small = tile(*tab, "Tiny");
    ASSERT_NE(small, nullptr);
    EXPECT_GE(small->width(), 120);
    EXPECT_GE(small->height(), 90);
}

TEST_F(DisplaysTabTest, TheOnlyWorkspaceOfAScreenHasToStay) {
    addSecondScreen();
    start();
    // Leave S2 with workspace 9 only.
    for (int number : controller->manager().workspacesOnDisplay(DisplayID{"S2"}))
        if (number != 9) {
            ASSERT_TRUE(controller->commands().assignWorkspace(number, DisplayID{"S1"}));
        }
    settle();
    auto tab = makeTab();
    ASSERT_EQ(chips(*tab, "S2"), std::vector<int>{9});
    const auto storedSplit = settings.workspaceDisplays();

    dragAndDrop(tile(*tab, "S1"), "9");
    EXPECT_EQ(tab->message(), QString::fromStdString(SettingsTexts::hasToStay("9")));
    QApplication::processEvents();
    EXPECT_EQ(controller->manager().displayForWorkspace(9), DisplayID{"S2"});
    EXPECT_EQ(settings.workspaceDisplays(), storedSplit);
    EXPECT_EQ(chips(*tab, "S2"), std::vector<int>{9});

    // Dropping a chip on the screen that already owns it is refused the same way.
    dragAndDrop(tile(*tab, "S1"), "1");
    EXPECT_EQ(tab->message(), QString::fromStdString(SettingsTexts::hasToStay("1")));
    EXPECT_FALSE(tab->targeted().has_value());
}

TEST_F(DisplaysTabTest, TextThatIsNotAWorkspaceNumberIsIgnored) {
    addSecondScreen();
    start();
    auto tab = makeTab();
    const auto before = controller->manager().assignmentStrings();
    for (const char* text : {"abc", "2x", " ", "--2", "+-2", "99999999999999", "42", "-3"})
        dragAndDrop(tile(*tab, "S2"), text);
    EXPECT_TRUE(tab->message().isEmpty());
    EXPECT_EQ(controller->manager().assignmentStrings(), before);
    EXPECT_FALSE(tab->drop({"abc"}, controller->summaries().get().back()));
}

TEST_F(DisplaysTabTest, ADroppedChipMovesWithTheNextPublication) {
    addSecondScreen();
    start();
    auto tab = makeTab();
    ASSERT_FALSE(has(chips(*tab, "S2"), 2));
    ScreenTile* target = tile(*tab, "S2");

    // The hover highlight follows the drag.
    QMimeData data;
    data.setText("+2");
    QDragEnterEvent enter(target->rect().center(), Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_EQ(tab->targeted(), DisplayID{"S2"});
    EXPECT_TRUE(target->isTargeted());
    EXPECT_TRUE(target->fillColor().has_value());
    EXPECT_FALSE(tile(*tab, "S1")->isTargeted());
    QDropEvent drop(QPointF(target->rect().center()), Qt::MoveAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_FALSE(tab->targeted().has_value());
    EXPECT_EQ(tab->message(), "Workspace 2 is now on " +
                                  QString::fromStdString(controller->screenName(DisplayID{"S2"})) +
                                  ".");
    QApplication::processEvents();
    EXPECT_TRUE(has(chips(*tab, "S2"), 2));
    EXPECT_FALSE(has(chips(*tab, "S1"), 2));
    EXPECT_EQ(settings.workspaceDisplays().at("2"), "S2");

    // Reset to Default Split takes it back and clears the message.
    tab->resetButton()->click();
    QApplication::processEvents();
    EXPECT_TRUE(tab->message().isEmpty());
    EXPECT_TRUE(has(chips(*tab, "S1"), 2));
    EXPECT_TRUE(settings.workspaceDisplays().empty());
}

} // namespace
} // namespace morvanta::testing
