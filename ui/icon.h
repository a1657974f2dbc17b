// SPDX-License-Identifier: MIT
// The program's icon: a tiny play field with an enemy, the player and their
// shots. Drawn at start-up rather than shipped as files, so the program needs
// nothing beside itself; packaging renders its PNGs from the same artwork.
#pragma once

#include <QIcon>
#include <QImage>
#include <array>

namespace ui {

// The sizes the window system asks for most: small, title bar and taskbar.
inline constexpr std::array<int, 3> IconSizes{16, 32, 48};

// The artwork at `size` x `size` pixels.
[[nodiscard]] QImage IconImage(int size);

// One image for each of IconSizes.
[[nodiscard]] QIcon AppIcon();

} // namespace ui
