// SPDX-License-Identifier: MIT
// What the game asks of a Wayland compositor directly, on Qt's own connection.
#pragma once

#include <optional>

class QScreen;

namespace desktop::wayland {

// The compositor's own scale for `screen`'s output, fractions included: its
// device pixels per logical pixel. Qt reports only the output's whole scale
// until a window is on it, and learns the fraction only then; nothing where
// Qt is not on Wayland, cannot take fractional scales, or the compositor
// offers none.
[[nodiscard]] std::optional<double> FractionalScale(const QScreen& screen);

} // namespace desktop::wayland
