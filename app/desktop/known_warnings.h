// SPDX-License-Identifier: MIT
// Qt's warnings that tell a player nothing, kept off stderr.
#pragma once

namespace desktop {

// From here on Qt's warning that it found a window's device pixel ratio
// stale is dropped: on Wayland the compositor's fractional scale reaches a
// window only once it is shown, and Qt 6.8 may meet a pending update before
// it has taken the new ratio in; the next frame is drawn at it. Every other
// message goes where it went before.
void DropStaleRatioWarnings();

} // namespace desktop
