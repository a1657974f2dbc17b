// SPDX-License-Identifier: MIT
#include "icon.h"

#include <QPainter>

#include "colour_conversion.h"

namespace ui {
namespace {

// The artwork is laid out on a 16-unit grid and scaled whole, so every size
// shows the same scene; antialiasing stays off to keep the pixel look of the
// play field itself.
constexpr double GridUnits = 16.0;

void DrawDisc(QPainter& painter, double cx, double cy, double radius, game::Colour colour)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(colour));
    painter.drawEllipse(QRectF(cx - radius, cy - radius, 2 * radius, 2 * radius));
}

void DrawDot(QPainter& painter, double cx, double cy, game::Colour colour)
{
    painter.fillRect(QRectF(cx - 0.5, cy - 0.5, 1.0, 1.0), ToQColor(colour));
}

void DrawScene(QPainter& painter)
{
    // An enemy high on the left firing down, the player low on the right
    // firing up, as in a game in progress.
    DrawDisc(painter, 5.0, 5.0, 3.5, game::Red);
    DrawDot(painter, 5.5, 10.5, game::Red);
    DrawDot(painter, 6.5, 13.5, game::Red);
    DrawDisc(painter, 11.0, 12.0, 3.5, game::Black);
    DrawDot(painter, 11.5, 6.5, game::Black);
    DrawDot(painter, 11.5, 2.5, game::Black);
}

} // namespace

QImage IconImage(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(ToQColor(game::White));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.scale(size / GridUnits, size / GridUnits);
    DrawScene(painter);
    return image;
}

QIcon AppIcon()
{
    QIcon icon;
    for (const int size : IconSizes) {
        icon.addPixmap(QPixmap::fromImage(IconImage(size)));
    }
    return icon;
}

} // namespace ui
