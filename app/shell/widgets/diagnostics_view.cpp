#include "app/shell/widgets/diagnostics_view.h"

#include "app/diagnostics/diagnostics_log.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

namespace morvanta {

namespace {

const QColor warningColor(0xE0, 0x7A, 0x00);
const QColor goodColor(0x1E, 0x9E, 0x3E);

QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A line as the list shows it: a line feed inside a message breaks the row without starting
// a new one, so every log line stays one block of the list.
QString shownLine(const std::string& line) {
    return toQString(line).replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
}

// The status row's symbols: a warning triangle, and a check mark in a circle.
QPixmap statusSymbol(bool warning, int size, qreal ratio) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double side = size;
    QPen mark(Qt::white, side * 0.13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (warning) {
        QPainterPath triangle;
        triangle.moveTo(side * 0.5, side * 0.06);
        triangle.lineTo(side * 0.97, side * 0.92);
        triangle.lineTo(side * 0.03, side * 0.92);
        triangle.closeSubpath();
        painter.fillPath(triangle, warningColor);
        painter.setPen(mark);
        painter.drawLine(QPointF(side * 0.5, side * 0.36), QPointF(side * 0.5, side * 0.6));
        painter.drawPoint(QPointF(side * 0.5, side * 0.78));
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(goodColor);
        painter.drawEllipse(QRectF(0.5, 0.5, side - 1, side - 1));
        painter.setPen(mark);
        painter.setBrush(Qt::NoBrush);
        QPainterPath check;
        check.moveTo(side * 0.28, side * 0.52);
        check.lineTo(side * 0.44, side * 0.68);
        check.lineTo(side * 0.73, side * 0.34);
        painter.drawPath(check);
    }
    return pixmap;
}

} // namespace

DiagnosticsView::DiagnosticsView(DiagnosticsLog& log, QWidget* parent)
    : QWidget(parent), log_(log) {
    list_ = new QPlainTextEdit;
    list_->setReadOnly(true);
    list_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    list_->setUndoRedoEnabled(false);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->setFrameShape(QFrame::NoFrame);
    list_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);

    auto* column = new QVBoxLayout(this);
    column->addWidget(buildStatusRow());
    column->addWidget(divider);
    column->addWidget(list_, 1);

    // Keep the newest line in view, also when the list's size changes; a reader who scrolled
    // up stays where they are until the next line arrives.
    QScrollBar* bar = list_->verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (followNewest_)
            bar->setValue(maximum);
    });
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { followNewest_ = value == bar->maximum(); });

    logSubscription_ = log_.addObserver([this] { syncLines(); });
    showStatus();
    syncLines();
}

DiagnosticsView::~DiagnosticsView() = default;

QWidget* DiagnosticsView::buildStatusRow() {
    statusSymbol_ = new QLabel;
    statusText_ = new QLabel;
    requestButton_ = new QPushButton(QString::fromUtf8(DiagnosticsStatus::requestPermissionButton));
    copyButton_ = new QPushButton(QString::fromUtf8(copyLogTitle));
    clearButton_ = new QPushButton(QString::fromUtf8(clearTitle));
    connect(requestButton_, &QPushButton::clicked, this, [this] {
        if (request_)
            request_();
    });
    connect(copyButton_, &QPushButton::clicked, this, [this] { copyLog(); });
    connect(clearButton_, &QPushButton::clicked, this, [this] { clearLog(); });

    auto* rowWidget = new QWidget;
    auto* row = new QHBoxLayout(rowWidget);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(statusSymbol_);
    row->addWidget(statusText_);
    row->addWidget(requestButton_);
    row->addStretch(1);
    row->addWidget(copyButton_);
    row->addWidget(clearButton_);
    return rowWidget;
}

void DiagnosticsView::setStatus(const DiagnosticsStatus& status) {
    if (status == status_ && !statusText_->text().isEmpty())
        return;
    status_ = status;
    showStatus();
}

void DiagnosticsView::setRequestPermission(std::function<void()> request) {
    request_ = std::move(request);
}

void DiagnosticsView::showStatus() {
    const bool warning = !status_.isTrusted;
    const int size = statusText_->fontMetrics().height();
    statusSymbol_->setPixmap(statusSymbol(warning, size, devicePixelRatioF()));
    statusText_->setText(toQString(status_.text()));
    QPalette palette = statusText_->palette();
    palette.setColor(QPalette::WindowText, warning ? warningColor : goodColor);
    statusText_->setPalette(palette);
    requestButton_->setVisible(warning);
}

void DiagnosticsView::copyLog() {
    QStringList lines;
    for (const auto& line : log_.lines())
        lines << toQString(line);
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void DiagnosticsView::clearLog() {
    log_.clear();
}

void DiagnosticsView::syncLines() {
    const auto& lines = log_.lines();
    // The shown lines are usually the log's lines less a few newest ones, perhaps with the
    // oldest ones since dropped by the log's limit: find how many of the oldest went.
    std::size_t dropped = shown_.size();
    for (std::size_t k = 0; k < shown_.size(); ++k) {
        const std::size_t kept = shown_.size() - k;
        if (kept <= lines.size() && std::equal(shown_.begin() + static_cast<std::ptrdiff_t>(k),
                                               shown_.end(), lines.begin())) {
            dropped = k;
            break;
        }
    }
    const std::size_t kept = shown_.size() - dropped;

    if (kept == 0)
        list_->document()->clear();
    QTextCursor cursor(list_->document());
    cursor.beginEditBlock();
    if (kept > 0 && dropped > 0) {
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor,
                            static_cast<int>(dropped));
        cursor.removeSelectedText();
    }
    cursor.movePosition(QTextCursor::End);
    for (std::size_t i = kept; i < lines.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        cursor.insertText(shownLine(lines[i]));
    }
    cursor.endEditBlock();
    shown_ = lines;
    scrollToNewest();
}

void DiagnosticsView::scrollToNewest() {
    followNewest_ = true;
    QScrollBar* bar = list_->verticalScrollBar();
    bar->setValue(bar->maximum());
}

} // namespace morvanta
