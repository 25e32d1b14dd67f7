// Shared pieces of the welcome guide's pages: the page title, body text and a status row.
#pragma once

#include <QLabel>
#include <QString>

namespace morvanta::onboarding {

// A page title: larger, bold, wrapping.
QLabel* titleLabel(const char* text);
// Body text: wrapping; rich text where it carries <b> marks.
QLabel* bodyLabel(const char* text);
// A secondary line (hints, footnotes).
QLabel* secondaryLabel(const char* text);

} // namespace morvanta::onboarding
