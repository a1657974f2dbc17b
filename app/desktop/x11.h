// SPDX-License-Identifier: MIT
// The X11 protocol through xcb: what the window asks of the X server on Qt's own
// connection, and whether a display answers at all, on a connection of its own.
#pragma once

#include <string>

class QWidget;

namespace desktop::x11 {

// Whether Qt is talking to an X server.
[[nodiscard]] bool IsX11();

// Whether the X server of `display` (empty for $DISPLAY) takes a connection:
// asked only once Qt has failed to open it, to say why.
[[nodiscard]] bool Answers(const std::string& display);

// Asks window managers for what a fixed-size window allows: to be moved and
// closed, under a border and a title bar with its menu. Before mapping.
void AskForMoveAndCloseOnly(QWidget& window);

// Held keys send repeated presses and one release, instead of release and
// press pairs that Qt has to guess about.
void EnableDetectableAutoRepeat();

// Ends the program, with status 0 as a close does, when another client
// destroys the window.
void EndWhenDestroyed(QWidget& window);

} // namespace desktop::x11
