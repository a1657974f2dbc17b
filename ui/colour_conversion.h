// SPDX-License-Identifier: MIT
// The one place where a game colour becomes a toolkit colour. The game writes
// colours 0x00BBGGRR (red in the low byte) while Qt's QRgb is 0xAARRGGBB, so
// a colour passed through unconverted would swap red and blue; everything that
// shows a game colour goes through ToQRgb. (Not called colour.h: that name
// is the game's header, included below.)
#pragma once

#include <QColor>
#include <QRgb>

#include "colour.h"

namespace ui {

// Opaque: the game's colours have no transparency.
constexpr QRgb ToQRgb(game::Colour colour)
{
    return qRgb(game::RedOf(colour), game::GreenOf(colour), game::BlueOf(colour));
}

inline QColor ToQColor(game::Colour colour)
{
    return QColor::fromRgb(ToQRgb(colour));
}

} // namespace ui
