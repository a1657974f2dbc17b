// SPDX-License-Identifier: MIT
#pragma once

#include "checked.h"
#include "colour.h"

namespace game {

// The play field's size in pixels; the window's inside is the same.
inline constexpr Integer FieldWidth = 300;
inline constexpr Integer FieldHeight = 400;

// The drawing operations a running tick uses. Coordinates are pixels with the
// origin at the top-left of the field; anything outside is clipped.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void setBackColour(Colour colour) = 0;
    // Fills the whole field with the back colour; the fill colour is kept.
    virtual void clear() = 0;
    virtual void setFillColour(Colour colour) = 0;
    // A circle filled with the fill colour, its 3-pixel outline in `outline`.
    virtual void drawCircle(double x, double y, double radius, Colour outline) = 0;
    // The same with the outline in the fore colour, black.
    virtual void drawCircle(double x, double y, double radius) = 0;
    // A dot 3 pixels across centred on (x, y).
    virtual void drawPoint(double x, double y, Colour colour) = 0;
    // Hands the finished frame to the window.
    virtual void present() = 0;

protected:
    Canvas() = default;
    Canvas(const Canvas&) = default;
    Canvas& operator=(const Canvas&) = default;
};

} // namespace game
