#include "app/shell/welcome/onboarding_style.h"

namespace morvanta::onboarding {

QLabel* titleLabel(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    label->setFont(font);
    label->setWordWrap(true);
    return label;
}

QLabel* bodyLabel(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setWordWrap(true);
    label->setTextFormat(Qt::AutoText);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.1);
    label->setFont(font);
    return label;
}

QLabel* secondaryLabel(const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace morvanta::onboarding
