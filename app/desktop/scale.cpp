// SPDX-License-Identifier: MIT
// The whole scale factor: arithmetic only.
#include <algorithm>
#include <cmath>

#include "desktop.h"

namespace desktop {

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

} // namespace desktop
