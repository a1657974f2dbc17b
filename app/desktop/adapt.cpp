// SPDX-License-Identifier: MIT
// What a window needs of the desktop it is shown on.
#include <QWidget>
#include <QWindow>

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
        // A title bar Qt draws itself is part of the surface, and counts.
        window.winId();
        window.setFixedSize(
            WholeSurfaceSize(window.size(), window.windowHandle()->frameMargins(), opened.surfaceScale));
    }
    KeepFixedSize(window);
}

} // namespace desktop
