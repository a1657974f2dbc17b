// SPDX-License-Identifier: MIT
// What a window needs of the desktop it is shown on.
#include <QWidget>

#include "desktop.h"
#include "fixed_size.h"
#include "x11.h"

namespace desktop {

void Adapt(QWidget& window, const Application& opened)
{
    if (x11::IsX11()) {
        x11::AskForMoveAndCloseOnly(window);
        x11::EnableDetectableAutoRepeat();
        x11::EndWhenDestroyed(window);
    }
    if (opened.surfaceScale != 1.0) {
        window.setFixedSize(WholeSurfaceSize(window.size(), opened.surfaceScale));
    }
    KeepFixedSize(window);
}

} // namespace desktop
