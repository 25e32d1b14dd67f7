#include "app/shell/widgets/layout_card.h"

#include "app/shell/widgets/layout_preview.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>

namespace morvanta {

namespace {

constexpr int cardContentWidth = 144;

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// `text` broken into at most `lines` lines of `width`, the last one ending in an ellipsis when
// the text is longer.
QString fitToLines(const QString& text, const QFont& font, int width, int lines) {
    if (width <= 0)
        return text;
    QTextLayout layout(text, font);
    layout.beginLayout();
    QStringList shown;
    int start = 0;
    for (int i = 0; i < lines; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        start = line.textStart();
        shown << text.mid(start, line.textLength()).trimmed();
    }
    const bool more = layout.createLine().isValid();
    layout.endLayout();
    if (more && !shown.isEmpty())
        shown.back() = QFontMetrics(font).elidedText(text.mid(start), Qt::ElideRight, width);
    return shown.join('\n');
}

} // namespace

LayoutCard::LayoutCard(LayoutKind layout, bool selected, std::function<void()> action,
                       QWidget* parent)
    : QAbstractButton(parent), layout_(layout), selected_(selected), action_(std::move(action)),
      preview_(new LayoutPreview(layout)), name_(new QLabel(toQString(displayName(layout)))),
      description_(new QLabel), fullDescription_(toQString(layoutDescription(layout))) {
    setCheckable(false);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(fullDescription_);
    setAccessibleName(name_->text());
    setAccessibleDescription(fullDescription_);

    preview_->setCount(4);
    preview_->setOptions({24, 24, 0.58});
    preview_->setBorderColor(std::nullopt);
    preview_->setBorderWidth(2);
    preview_->setScreenWidth(1440);
    preview_->setMinimumSize(cardContentWidth, preview_->heightForWidth(cardContentWidth));

    QFont nameFont = name_->font();
    nameFont.setBold(true);
    name_->setFont(nameFont);
    // The preview sets the card's width; the texts fit themselves into it.
    name_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    description_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    description_->setWordWrap(false);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    description_->setForegroundRole(QPalette::PlaceholderText);
    reserveDescriptionLines();

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(margin, margin, margin, margin);
    stack->setSpacing(spacing);
    stack->addWidget(preview_);
    stack->addWidget(name_);
    stack->addWidget(description_);
    // Clicks anywhere on the card belong to the card.
    for (QWidget* child : {static_cast<QWidget*>(preview_), static_cast<QWidget*>(name_),
                           static_cast<QWidget*>(description_)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);

    connect(this, &QAbstractButton::clicked, this, [this] {
        if (action_)
            action_();
    });
    fitDescription();
}

void LayoutCard::setSelected(bool selected) {
    if (selected_ == selected)
        return;
    selected_ = selected;
    update();
}

QColor LayoutCard::outlineColor() const {
    if (selected_)
        return palette().color(QPalette::Highlight);
    QColor secondary = palette().color(QPalette::PlaceholderText);
    secondary.setAlphaF(secondary.alphaF() * 0.25f);
    return secondary;
}

QString LayoutCard::shownDescription() const {
    return description_->text();
}

QSize LayoutCard::sizeHint() const {
    return layout()->sizeHint();
}

void LayoutCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double width = outlineWidth();
    const double half = width / 2;
    const QRectF inner = QRectF(rect()).adjusted(half, half, -half, -half);
    const double radius = cornerRadius - half;
    if (hasFocus()) {
        QColor focus = palette().color(QPalette::Highlight);
        focus.setAlphaF(0.12f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(focus);
        painter.drawRoundedRect(inner, radius, radius);
    }
    painter.setPen(QPen(outlineColor(), width));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(inner, radius, radius);
}

void LayoutCard::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    fitDescription();
}

void LayoutCard::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        reserveDescriptionLines();
        fitDescription();
    }
}

void LayoutCard::reserveDescriptionLines() {
    description_->setFixedHeight(descriptionLines * description_->fontMetrics().lineSpacing());
}

void LayoutCard::fitDescription() {
    const int width = std::max(this->width() - 2 * margin, cardContentWidth);
    description_->setText(
        fitToLines(fullDescription_, description_->font(), width, descriptionLines));
}

} // namespace morvanta
