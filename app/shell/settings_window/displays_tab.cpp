#include "app/shell/settings_window/displays_tab.h"

#include "app/controller/tiling_controller.h"
#include "app/shell/settings_window/screen_arrangement.h"
#include "app/shell/settings_window/settings_texts.h"
#include "core/workspace_numbers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <charconv>
#include <map>

namespace morvanta {

namespace {

// A decimal integer with an optional leading "+" or "-", nothing else; none when it does not
// fit an int.
std::optional<int> parseNumber(const QString& text) {
    std::string digits = text.trimmed().toStdString();
    if (!digits.empty() && digits.front() == '+') {
        digits.erase(0, 1);
        if (digits.empty() || digits.front() < '0' || digits.front() > '9')
            return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

} // namespace

DisplaysTab::DisplaysTab(TilingController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller), explanation_(new QLabel), messageRow_(new QWidget),
      messageIcon_(new QLabel), message_(new QLabel),
      reset_(new QPushButton(SettingsTexts::resetSplit)) {
    explanation_->setWordWrap(true);
    explanation_->setForegroundRole(QPalette::PlaceholderText);

    ScreenArrangement::Actions actions;
    actions.drop = [this](const QStringList& texts, const DisplaySummary& screen) {
        return drop(texts, screen);
    };
    actions.target = [this](std::optional<DisplayID> screen) { setTargeted(std::move(screen)); };
    actions.dragging = [this](bool running) { setDragging(running); };
    arrangement_ = new ScreenArrangement(std::move(actions));

    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    messageIcon_->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(iconSize, iconSize));
    message_->setWordWrap(true);
    auto* messageLayout = new QHBoxLayout(messageRow_);
    messageLayout->setContentsMargins(0, 0, 0, 0);
    messageLayout->addWidget(messageIcon_, 0, Qt::AlignTop);
    messageLayout->addWidget(message_, 1);
    messageRow_->hide();

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(reset_);
    buttonRow->addStretch();

    auto* column = new QVBoxLayout(this);
    column->addWidget(explanation_);
    column->addWidget(arrangement_, 1);
    column->addWidget(messageRow_);
    column->addLayout(buttonRow);

    connect(reset_, &QPushButton::clicked, this, [this] { resetDefaultSplit(); });
    summariesObserver_ = controller_.summaries().addObserver(
        [this](const std::vector<DisplaySummary>&) { scheduleShowSummaries(); });
    showSummaries();
}

DisplaysTab::~DisplaysTab() = default;

bool DisplaysTab::drop(const QStringList& texts, const DisplaySummary& screen) {
    const auto& summaries = controller_.summaries().get();
    const auto& counts = summaries.empty() ? std::map<int, int>{} : summaries.front().counts;
    bool accepted = false;
    for (const QString& text : texts) {
        const auto number = parseNumber(text);
        // Text from elsewhere that happens to be a number is no workspace of ours.
        if (!number || !counts.contains(*number))
            continue;
        const std::string label = workspaceLabel(*number);
        if (controller_.commands().assignWorkspace(*number, screen.id)) {
            setMessage(QString::fromStdString(SettingsTexts::movedTo(label, screen.name)));
            accepted = true;
        } else {
            setMessage(QString::fromStdString(SettingsTexts::hasToStay(label)));
        }
    }
    return accepted;
}

void DisplaysTab::resetDefaultSplit() {
    controller_.commands().resetDefaultSplit();
    setMessage({});
}

QString DisplaysTab::message() const {
    return message_->text();
}

QString DisplaysTab::explanation() const {
    return explanation_->text();
}

void DisplaysTab::setMessage(const QString& message) {
    message_->setText(message);
    messageRow_->setVisible(!message.isEmpty());
}

void DisplaysTab::setTargeted(std::optional<DisplayID> screen) {
    targeted_ = std::move(screen);
    arrangement_->setTargeted(targeted_);
}

void DisplaysTab::setDragging(bool running) {
    dragging_ = running;
    if (!running && showPending_)
        scheduleShowSummaries();
}

// Summaries are published in the middle of a drop; the tiles (and the dragged chip) are
// rebuilt once control is back in the event loop and no drag is running.
void DisplaysTab::scheduleShowSummaries() {
    showPending_ = true;
    if (dragging_ || timerQueued_)
        return;
    timerQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        timerQueued_ = false;
        if (!dragging_ && showPending_)
            showSummaries();
    });
}

void DisplaysTab::showSummaries() {
    showPending_ = false;
    const auto& summaries = controller_.summaries().get();
    explanation_->setText(summaries.size() <= 1 ? SettingsTexts::oneScreen
                                                : SettingsTexts::manyScreens);
    arrangement_->setSummaries(summaries);
    arrangement_->setTargeted(targeted_);
}

} // namespace morvanta
