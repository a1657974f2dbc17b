// SPDX-License-Identifier: MIT
// The game's one seam with the window system: Qt opened at a whole scale
// factor, the window adapted to what X11 and Wayland make of it, and the
// arithmetic of that factor. Everything here is about the desktop, nothing
// about the game.
#pragma once

#include <QApplication>
#include <QSize>

#include <memory>

class QWidget;

namespace desktop {

struct Application {
    std::unique_ptr<QApplication> app;
    // Whether Qt maps the window's pixels by a fraction all the same (a
    // Wayland output scaled further than the window fits): partial repaints
    // leave streaks there, so the window should repaint whole.
    bool fractionalMapping = false;
};

// Qt's application for a window of `content` pixels, drawn at the whole
// factor that FittingScale gives for the desktop's own scale. Qt is started
// once where that scale already is the factor; otherwise again, and on
// Wayland with the user's own scale factors set, a third time.
// Where no display can be used, says so in one line and ends the program with
// status 1. `argc` and `argv` must outlive the application, as Qt's own.
[[nodiscard]] Application Open(int& argc, char** argv, QSize content);

// What a fixed-size top-level window needs before it is first shown: on X11
// the hints and keyboard mode it asks for, and an end to the program when
// the window is destroyed from outside; everywhere, a maximise undone.
void Adapt(QWidget& window);

// The whole factor a window of `content` pixels is drawn at: the desktop's
// `scale` rounded, lowered until the window and a frame around it fit in
// `available` device pixels, and never below 1.
[[nodiscard]] int FittingScale(double scale, QSize available, QSize content);

} // namespace desktop
