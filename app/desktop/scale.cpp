// SPDX-License-Identifier: MIT
// The whole scale factor: arithmetic only.
#include <algorithm>
#include <cmath>

#include "desktop.h"

namespace desktop {
namespace {

// The smallest length from `length` on that, times `scale`, is whole
// (within the rounding of a double); `length` itself where none is near.
int WholeLength(int length, double scale)
{
    constexpr int Tries = 120; // compositors scale in 120ths
    constexpr double Tolerance = 1e-6;
    for (int extra = 0; extra < Tries; ++extra) {
        const double logical = (length + extra) * scale;
        if (std::abs(logical - std::round(logical)) < Tolerance) {
            return length + extra;
        }
    }
    return length;
}

} // namespace

int FittingScale(double scale, QSize available, QSize content)
{
    // Room for a window manager's title bar and border, which are only known
    // once the window is mapped: enough for the usual ones at any scale.
    constexpr QSize Frame(16, 48);
    const QSize window = content + Frame;
    int factor = std::isfinite(scale) ? std::max(1, static_cast<int>(std::lround(scale))) : 1;
    while (factor > 1 && (window * factor).boundedTo(available) != window * factor) {
        --factor;
    }
    return factor;
}

int FittingScale(std::span<const Screen> screens, QSize content)
{
    int factor =
        screens.empty() ? 1 : FittingScale(screens.front().scale, screens.front().available, content);
    for (const Screen& screen : screens) {
        factor = std::min(factor, FittingScale(screen.scale, screen.available, content));
    }
    return factor;
}

QSize WholeSurfaceSize(QSize content, double surfaceScale)
{
    return {WholeLength(content.width(), surfaceScale), WholeLength(content.height(), surfaceScale)};
}

} // namespace desktop
