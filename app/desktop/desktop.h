// SPDX-License-Identifier: MIT
// The game's one seam with the window system: Qt opened at a whole scale
// factor, the window adapted to what X11 and Wayland make of it, and the
// arithmetic of that factor. Everything here is about the desktop, nothing
// about the game.
#pragma once

#include <QApplication>
#include <QSize>

#include <memory>
#include <span>

class QWidget;

namespace desktop {

struct Application {
    std::unique_ptr<QApplication> app;
    // Whether Qt maps the window's pixels onto the compositor's logical ones
    // by a fraction (a fractional Wayland scale, or an output scaled further
    // than the window fits): partial repaints leave streaks and white rows
    // there, so the window should repaint whole.
    bool fractionalMapping = false;
    // The compositor's logical pixels per window pixel where Qt is told to
    // draw at a factor other than the Wayland output's own scale; 1 elsewhere.
    double surfaceScale = 1.0;
};

// Qt's application for a window of `content` pixels, drawn at the whole
// factor that FittingScale gives for the desktop's own scale. Qt is started
// once where that scale already is the factor on every screen; otherwise
// again, and on Wayland with the user's own scale factors set, a third time.
// In a Wayland session Qt's Wayland platform is preferred where Qt takes
// fractional scales, since compositors enlarge X clients by resampling.
// Where no display can be used, says so in one line and ends the program with
// status 1. `argc` and `argv` must outlive the application, as Qt's own.
[[nodiscard]] Application Open(int& argc, char** argv, QSize content);

// What a fixed-size top-level window needs before it is first shown: on X11
// the hints and keyboard mode it asks for, and an end to the program when
// the window is destroyed from outside; on a fractionally scaled Wayland
// output a size that spans whole logical pixels; everywhere, a maximise undone.
void Adapt(QWidget& window, const Application& opened);

// A screen as Qt first finds it: the scale the desktop asks for there, and
// its free area in device pixels.
struct Screen {
    double scale = 1.0;
    QSize available;
};

// The whole factor a window of `content` pixels is drawn at: the desktop's
// `scale` rounded, lowered until the window and a frame around it fit in
// `available` device pixels, and never below 1.
[[nodiscard]] int FittingScale(double scale, QSize available, QSize content);

// The one factor for a window that may be moved to any of `screens`: the
// largest that FittingScale allows on each.
[[nodiscard]] int FittingScale(std::span<const Screen> screens, QSize content);

// The smallest size, no smaller than `content`, at which a window spans whole
// logical pixels of a compositor that takes `surfaceScale` of them for each
// of the window's: only then does each of its device pixels land on one of
// the output's.
[[nodiscard]] QSize WholeSurfaceSize(QSize content, double surfaceScale);

} // namespace desktop
