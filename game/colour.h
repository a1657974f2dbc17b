// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace game {

// A 24-bit colour written 0x00BBGGRR: red in the low byte.
using Colour = std::uint32_t;

inline constexpr Colour Black = 0x000000;
inline constexpr Colour Red = 0x0000FF;
inline constexpr Colour White = 0xFFFFFF;
inline constexpr Colour PaleCyan = 0xFFFFA0;  // the play field's background
inline constexpr Colour LightBlue = 0xFFC0C0; // the start / game-over panel
inline constexpr Colour DarkRed = 0x0000C0;   // the result line
inline constexpr Colour DarkGreen = 0x008000; // the title line

constexpr int RedOf(Colour c)
{
    return static_cast<int>(c & 0xFFU);
}
constexpr int GreenOf(Colour c)
{
    return static_cast<int>((c >> 8U) & 0xFFU);
}
constexpr int BlueOf(Colour c)
{
    return static_cast<int>((c >> 16U) & 0xFFU);
}

} // namespace game
