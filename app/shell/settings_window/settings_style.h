// Small builders shared by the settings window's tabs: section titles, secondary notes, and a
// page column that keeps its rows at the top.
#pragma once

#include <QLabel>
#include <QString>
#include <QVBoxLayout>

class QWidget;

namespace morvanta::settings_ui {

QLabel* sectionTitle(const QString& text);
// Wrapped text in the secondary text colour.
QLabel* note(const QString& text);
// Wrapped text in the primary colour.
QLabel* text(const QString& text);
// The column a tab lays its rows out in.
QVBoxLayout* pageColumn(QWidget* page);

} // namespace morvanta::settings_ui
