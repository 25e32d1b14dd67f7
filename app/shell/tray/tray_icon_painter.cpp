#include "app/shell/tray/tray_icon_painter.h"

#include "core/workspace_numbers.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

namespace morvanta {

namespace {

QFont labelFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(static_cast<int>(TrayIconPainter::fontSize));
    font.setWeight(QFont::DemiBold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage transparentImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

const std::vector<int>& TrayIconPainter::iconSizes() {
    static const std::vector<int> sizes{16, 18, 22, 24, 32, 48, 64};
    return sizes;
}

QImage TrayIconPainter::labels(const std::vector<int>& numbers, int active, QColor ink,
                               double scale, double width, double gap, double height) {
    const double total = numbers.empty() ? 0 : numbers.size() * (width + gap) - gap;
    QImage image =
        transparentImage(std::max(1, qRound(total * scale)), std::max(1, qRound(height * scale)));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    painter.setFont(labelFont());
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const QRectF cell(i * (width + gap), 0, width, height);
        const QString text = QString::fromStdString(workspaceLabel(numbers[i]));
        if (numbers[i] == active) {
            QPainterPath rounded;
            rounded.addRoundedRect(cell, cornerRadius, cornerRadius);
            painter.fillPath(rounded, ink);
            // The glyphs punch holes into the filled cell.
            painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            painter.setPen(Qt::black);
            painter.drawText(cell, Qt::AlignCenter, text);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        } else {
            painter.setPen(ink);
            painter.drawText(cell, Qt::AlignCenter, text);
        }
    }
    return image;
}

QImage TrayIconPainter::label(int number, QColor ink, int pixels) {
    const double scale = pixels / cellWidth;
    const QImage cell = labels({number}, number, ink, scale);
    QImage image = transparentImage(pixels, pixels);
    QPainter painter(&image);
    painter.drawImage((pixels - cell.width()) / 2, (pixels - cell.height()) / 2, cell);
    return image;
}

QImage TrayIconPainter::state(TrayState state, QColor ink, int pixels) {
    QImage image = transparentImage(pixels, pixels);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = pixels / cellWidth;
    painter.scale(unit, unit);
    const QRectF window(1.5, 2.5, 15, 13);
    QPen pen(ink, 1.5);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawRoundedRect(window, 3, 3);
    switch (state) {
    case TrayState::paused:
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawRoundedRect(QRectF(6, 5.5, 2, 7), 0.8, 0.8);
        painter.drawRoundedRect(QRectF(10, 5.5, 2, 7), 0.8, 0.8);
        break;
    case TrayState::noPermission:
        painter.drawLine(QPointF(9, 2.5), QPointF(9, 15.5));
        painter.drawLine(QPointF(0.5, 0.5), QPointF(17.5, 17.5));
        break;
    case TrayState::noDisplays:
    case TrayState::workspace:
        painter.drawLine(QPointF(9, 2.5), QPointF(9, 15.5));
        break;
    }
    return image;
}

QIcon TrayIconPainter::labelIcon(int number, QColor ink) {
    QIcon icon;
    for (const int size : iconSizes())
        icon.addPixmap(QPixmap::fromImage(label(number, ink, size)));
    return icon;
}

QIcon TrayIconPainter::stateIcon(TrayState state, QColor ink) {
    QIcon icon;
    for (const int size : iconSizes())
        icon.addPixmap(QPixmap::fromImage(TrayIconPainter::state(state, ink, size)));
    return icon;
}

QColor TrayIconPainter::inkFor(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5 ? QColor(Qt::white)
                                                              : QColor(Qt::black);
}

} // namespace morvanta
