// SPDX-License-Identifier: MIT
// A fixed-size window kept so where the window system offers more.
#pragma once

class QWidget;

namespace desktop {

// Where a maximise cannot be refused beforehand, it is undone at once. Where
// Qt draws the title bar itself (natively on weston and mutter), with a
// maximise button whatever the window allows, and weston disconnects a
// maximised window that keeps a smaller fixed size, the window keeps only its
// minimum size; what it grows to beyond its content is the window's to fill.
void KeepFixedSize(QWidget& window);

} // namespace desktop
