// KeyPanel: the command panel's frameless, floating window.
#include "app/commands/key_panel.h"

#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

namespace morvanta {

KeyPanel::KeyPanel(QWidget* content)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("MorvantaCommandPanel"));
    setWindowTitle(QString::fromUtf8(caption));
    setFixedSize(panelWidth, panelHeight);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(content);
    setFocusProxy(content);
}

QPoint KeyPanel::originOn(const QRect& area) {
    const double midX = area.x() + area.width() / 2.0;
    return {static_cast<int>(std::lround(midX - panelWidth / 2.0)),
            static_cast<int>(std::lround(area.y() + topFraction * area.height()))};
}

void KeyPanel::paintEvent(QPaintEvent*) {
    // Without a compositor a translucent window shows black corners, so the panel is an
    // opaque rectangle with a thin outline that sets it off from the windows beneath.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    QColor outline = palette().color(QPalette::WindowText);
    outline.setAlphaF(0.25f);
    painter.setPen(outline);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace morvanta
