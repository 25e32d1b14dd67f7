#include "app/shell/settings_window/settings_style.h"

#include <QLabel>
#include <QVBoxLayout>

namespace morvanta::settings_ui {

QLabel* sectionTitle(const QString& content) {
    auto* label = new QLabel(content);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.1);
    label->setFont(font);
    return label;
}

QLabel* note(const QString& content) {
    auto* label = text(content);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QLabel* text(const QString& content) {
    auto* label = new QLabel(content);
    label->setWordWrap(true);
    return label;
}

QVBoxLayout* pageColumn(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(20, 16, 20, 16);
    column->setSpacing(10);
    return column;
}

} // namespace morvanta::settings_ui
