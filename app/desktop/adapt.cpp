// SPDX-License-Identifier: MIT
// What a window needs of the desktop it is shown on.
#include "desktop.h"
#include "fixed_size.h"
#include "x11.h"

namespace desktop {

void Adapt(QWidget& window)
{
    if (x11::IsX11()) {
        x11::AskForMoveAndCloseOnly(window);
        x11::EnableDetectableAutoRepeat();
        x11::EndWhenDestroyed(window);
    }
    KeepFixedSize(window);
}

} // namespace desktop
