#include "app/diagnostics/diagnostics_log.h"
#include "app/shell/widgets/diagnostics_view.h"
#include "tests/support/gui_application.h"

#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace morvanta {
namespace {

class DiagnosticsViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::guiApplication();
        folder_ = std::filesystem::temp_directory_path() /
                  ("morvanta-diagnostics-view-" + std::to_string(getpid()));
        std::filesystem::remove_all(folder_);
        log_.emplace(folder_);
    }
    void TearDown() override {
        log_.reset();
        std::filesystem::remove_all(folder_);
    }

    // The list's rows, one per block.
    static QStringList rows(const DiagnosticsView& view) {
        QStringList out;
        const QTextDocument* document = view.lineList()->document();
        if (document->isEmpty())
            return out;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            out << block.text();
        return out;
    }
    QStringList logLines() const {
        QStringList out;
        for (const auto& line : log_->lines())
            out << QString::fromStdString(line);
        return out;
    }
    static bool atNewest(const DiagnosticsView& view) {
        const QScrollBar* bar = view.lineList()->verticalScrollBar();
        return bar->maximum() > 0 && bar->value() == bar->maximum();
    }

    std::filesystem::path folder_;
    std::optional<DiagnosticsLog> log_;
};

TEST(DiagnosticsStatusText, NamesTheStateAndTheCurrentWorkspace) {
    EXPECT_EQ((DiagnosticsStatus{false, false, "3"}.text()), "X11 session needed");
    EXPECT_EQ((DiagnosticsStatus{false, true, "3"}.text()), "X11 session needed");
    EXPECT_EQ((DiagnosticsStatus{true, false, "3"}.text()), "Tiling [3]");
    EXPECT_EQ((DiagnosticsStatus{true, true, "A"}.text()), "Tiling paused [A]");
    EXPECT_EQ((DiagnosticsStatus{true, false, ""}.text()), "Tiling");
}

TEST_F(DiagnosticsViewTest, StatusRowOffersHelpOnlyWithoutASession) {
    DiagnosticsView view(*log_);
    int requests = 0;
    view.setRequestPermission([&] { ++requests; });
    view.show();
    EXPECT_EQ(view.statusLabel()->text(), "X11 session needed");
    ASSERT_TRUE(view.requestPermissionButton()->isVisible());
    EXPECT_EQ(view.requestPermissionButton()->text(), QString::fromUtf8("How to Fix…"));
    view.requestPermissionButton()->click();
    EXPECT_EQ(requests, 1);

    view.setStatus({true, true, "7"});
    EXPECT_EQ(view.statusLabel()->text(), "Tiling paused [7]");
    EXPECT_FALSE(view.requestPermissionButton()->isVisible());
    view.setStatus({true, false, "B"});
    EXPECT_EQ(view.statusLabel()->text(), "Tiling [B]");
    EXPECT_NE(view.statusLabel()->palette().color(QPalette::WindowText), QColor(0xE0, 0x7A, 0x00));
}

TEST_F(DiagnosticsViewTest, CopyLogPutsExactlyTheLinesOnTheClipboard) {
    log_->append("Started");
    log_->append("New windows: xterm — “~”");
    log_->append("a message\nwith a line feed inside");
    DiagnosticsView view(*log_);
    QGuiApplication::clipboard()->setText("something else");
    ASSERT_EQ(view.copyLogButton()->text(), "Copy Log");
    view.copyLogButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), logLines().join('\n'));
    // The line with a line feed stays one row of the list.
    EXPECT_EQ(rows(view).size(), 3);

    log_->clear();
    view.copyLogButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "");
}

TEST_F(DiagnosticsViewTest, ClearEmptiesTheListButNotTheFile) {
    log_->append("one");
    log_->append("two");
    DiagnosticsView view(*log_);
    ASSERT_EQ(rows(view), logLines());
    ASSERT_EQ(view.clearButton()->text(), "Clear");
    view.clearButton()->click();
    EXPECT_TRUE(log_->lines().empty());
    EXPECT_TRUE(rows(view).isEmpty());

    log_->append("three");
    EXPECT_EQ(rows(view), logLines());
    ASSERT_TRUE(log_->fileURL());
    std::ifstream file(*log_->fileURL());
    std::stringstream text;
    text << file.rdbuf();
    for (const char* word : {"] one\n", "] two\n", "] three\n"})
        EXPECT_NE(text.str().find(word), std::string::npos) << word;
}

TEST_F(DiagnosticsViewTest, NewLinesAppearAndTheListStaysAtTheNewest) {
    DiagnosticsView view(*log_);
    view.resize(520, 300);
    view.show();
    for (int i = 0; i < 120; ++i)
        log_->append("line " + std::to_string(i));
    EXPECT_EQ(rows(view), logLines());
    EXPECT_TRUE(atNewest(view));

    // A reader scrolled back is brought to the newest line by the next one.
    view.lineList()->verticalScrollBar()->setValue(0);
    log_->append("newest");
    EXPECT_EQ(rows(view).back(), logLines().back());
    EXPECT_TRUE(atNewest(view));

    // Past the log's limit the oldest lines leave the list as they leave the log.
    for (int i = 0; i < 450; ++i)
        log_->append("more " + std::to_string(i));
    EXPECT_EQ(log_->lines().size(), DiagnosticsLog::maxLines);
    EXPECT_EQ(rows(view), logLines());
    EXPECT_TRUE(atNewest(view));
}

TEST_F(DiagnosticsViewTest, ListIsMonospacedAndSelectableButNotEditable) {
    DiagnosticsView view(*log_);
    const QPlainTextEdit* list = view.lineList();
    const QFontMetrics metrics(list->font());
    EXPECT_EQ(metrics.horizontalAdvance("iiiiii"), metrics.horizontalAdvance("MMMMMM"));
    EXPECT_TRUE(list->isReadOnly());
    EXPECT_TRUE(list->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(list->textInteractionFlags() & Qt::TextSelectableByKeyboard);
}

TEST_F(DiagnosticsViewTest, ViewLeavesTheLogWhenItGoes) {
    {
        DiagnosticsView view(*log_);
        log_->append("seen");
    }
    log_->append("after the view"); // would reach a destroyed view if it still observed
    EXPECT_EQ(log_->lines().size(), 2u);
}

} // namespace
} // namespace morvanta
