// SPDX-License-Identifier: MIT
#include "panel.h"

#include <QPainter>

namespace ui {

Panel::Panel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Panel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect().adjusted(Border, Border, -Border, -Border), palette().window());
    // The light edges own the top-right and bottom-left corners.
    painter.fillRect(0, 0, w - Border, Border, palette().dark());
    painter.fillRect(0, 0, Border, h - Border, palette().dark());
    painter.fillRect(0, h - Border, w, Border, palette().light());
    painter.fillRect(w - Border, 0, Border, h - Border, palette().light());
}

} // namespace ui
