// SPDX-License-Identifier: MIT
// A fixed-size window kept so where the window system offers more.
#pragma once

class QWidget;

namespace desktop {

// Where a maximise cannot be refused beforehand, it is undone at once; where
// the window is resized all the same, it goes back to its size. Under Qt's
// own Wayland title bar (natively on weston and mutter), which offers to
// maximise and resize whatever the window asks, and where weston disconnects
// a maximised window that keeps a smaller size, the window announces no
// maximum size, and comes back from a maximise or a drag of its edges.
void KeepFixedSize(QWidget& window);

} // namespace desktop
