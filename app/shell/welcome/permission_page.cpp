#include "app/shell/welcome/permission_page.h"

#include "app/controller/tiling_controller.h"
#include "app/shell/welcome/onboarding_style.h"
#include "app/shell/welcome/onboarding_texts.h"
#include "app/shell/welcome/status_marker.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace morvanta {

using namespace onboarding;
using T = OnboardingTexts;
using Clock = std::chrono::steady_clock;

namespace {

QWidget* listColumn(const char* heading, const char* items) {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    // An empty heading keeps a list without one level with its neighbour's items.
    auto* title = new QLabel(QString::fromUtf8(heading ? heading : ""));
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    title->setMinimumHeight(title->sizeHint().height());
    layout->addWidget(title);
    auto* list = new QLabel(QString::fromUtf8(items));
    list->setWordWrap(true);
    layout->addWidget(list);
    column->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    return column;
}

} // namespace

PermissionPage::State PermissionPage::stateFor(bool trusted, bool seesWindows,
                                               bool waitedLongEnough) {
    if (!trusted)
        return State::needed;
    if (seesWindows)
        return State::granted;
    return waitedLongEnough ? State::grantedNoWindows : State::waiting;
}

PermissionPage::PermissionPage(TilingController& controller, Actions actions,
                               std::chrono::milliseconds relaunchDelay, QWidget* parent)
    : QWidget(parent), controller_(controller), actions_(std::move(actions)),
      relaunchDelay_(relaunchDelay) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(14);
    layout->addWidget(titleLabel(T::permissionTitle));
    layout->addWidget(bodyLabel(T::permissionText));

    auto* lists = new QHBoxLayout;
    lists->setSpacing(24);
    lists->addWidget(listColumn(nullptr, T::permissionDoes), 1);
    lists->addWidget(listColumn(T::permissionNeverTitle, T::permissionNever), 1);
    layout->addLayout(lists);

    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    needed_ = makeNeededRow();
    waiting_ = makeWaitingRows();
    granted_ =
        makeStatusRow(static_cast<int>(StatusMarker::Kind::checkFilled), T::granted, nullptr);
    auto* relaunchButton = new QPushButton(QString::fromUtf8(T::relaunchButton));
    connect(relaunchButton, &QPushButton::clicked, this, [this] { relaunch(); });
    noWindows_ = makeStatusRow(-1, T::grantedNoWindows, relaunchButton);
    relaunchFailed_ = secondaryLabel(T::relaunchFailed);
    relaunchFailed_->hide();
    for (QWidget* row : {needed_, waiting_, granted_, noWindows_})
        layout->addWidget(row);
    layout->addWidget(relaunchFailed_);
    layout->addStretch();

    trustObserver_ = controller_.isTrusted().addObserver([this](const bool&) { update(); });
    windowsObserver_ = controller_.seesWindows().addObserver([this](const bool&) { update(); });
    update();
}

PermissionPage::~PermissionPage() = default;

QWidget* PermissionPage::makeStatusRow(int marker, const char* text, QWidget* trailing) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    if (marker >= 0)
        layout->addWidget(new StatusMarker(static_cast<StatusMarker::Kind>(marker)), 0,
                          Qt::AlignTop);
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setWordWrap(true);
    layout->addWidget(label, 1);
    if (trailing)
        layout->addWidget(trailing, 0, Qt::AlignTop);
    return row;
}

QWidget* PermissionPage::makeNeededRow() {
    auto* grant = new QPushButton(QString::fromUtf8(T::grantPermissionButton));
    auto* help = new QPushButton(QString::fromUtf8(T::openSettingsButton));
    grant->setDefault(true);
    connect(grant, &QPushButton::clicked, this, [this] { controller_.requestPermission(); });
    connect(help, &QPushButton::clicked, this, [this] {
        if (actions_.openSessionHelp)
            actions_.openSessionHelp();
    });
    auto* buttons = new QWidget;
    auto* layout = new QHBoxLayout(buttons);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grant);
    layout->addWidget(help);
    return makeStatusRow(static_cast<int>(StatusMarker::Kind::warning), T::permissionNeeded,
                         buttons);
}

QWidget* PermissionPage::makeWaitingRows() {
    auto* rows = new QWidget;
    auto* layout = new QVBoxLayout(rows);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        makeStatusRow(static_cast<int>(StatusMarker::Kind::clock), T::waiting, nullptr));
    auto* hint = secondaryLabel(actions_.sessionHint.empty() ? T::waitingHint
                                                             : actions_.sessionHint.c_str());
    hint->setTextFormat(Qt::RichText);
    layout->addWidget(hint);
    return rows;
}

void PermissionPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    update();
}

void PermissionPage::update() {
    const bool trusted = controller_.isTrusted().get();
    const bool sees = controller_.seesWindows().get();
    // The wait starts the first time the page is on screen without everything in place.
    if (!waitingSince_ && isVisible() && !(trusted && sees)) {
        waitingSince_ = Clock::now();
        // The wait is over when this timer fires, not when a clock says so: a coarse timer may
        // fire a little early, and nothing would look again.
        QTimer::singleShot(relaunchDelay_, this, [this] {
            waitOver_ = true;
            update();
        });
    }
    const bool waitedLongEnough = waitOver_;
    state_ = stateFor(trusted, sees, waitedLongEnough);
    needed_->setVisible(state_ == State::needed);
    // The wait and its session hint are for a session Morvanta cannot use. A trusted session
    // whose first windows have not been seen yet shows no status until they come or the
    // relaunch is offered.
    waiting_->setVisible(state_ == State::needed);
    granted_->setVisible(state_ == State::granted);
    noWindows_->setVisible(state_ == State::grantedNoWindows);
    relaunchFailed_->setVisible(!relaunchFailed_->isHidden() && state_ == State::grantedNoWindows);
}

void PermissionPage::relaunch() {
    const bool started = actions_.relaunch && actions_.relaunch();
    relaunchFailed_->setVisible(!started);
}

} // namespace morvanta
