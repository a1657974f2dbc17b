// SPDX-License-Identifier: MIT
// The desktop module's arithmetic by tables, and the window kept at its size, headless.
#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <array>

#include "desktop.h"

namespace {

// One factor for every screen a window may be moved to: the largest that fits on each, whatever their
// order; a small monitor beside a large one holds a scaled desktop to 1.
TEST(FittingScale, OneFactorFitsEveryScreen)
{
    using Screens = std::array<desktop::Screen, 2>;
    const std::tuple<Screens, int> cases[] = {{Screens{{{2.0, {1920, 1080}}, {2.0, {3840, 2160}}}}, 2},
                                              {Screens{{{1.0, {1024, 768}}, {2.0, {2560, 1600}}}}, 1},
                                              {Screens{{{2.0, {2560, 1600}}, {2.0, {1024, 768}}}}, 1},
                                              {Screens{{{3.0, {3840, 2160}}, {2.0, {1920, 1200}}}}, 2},
                                              {Screens{{{1.5, {1920, 1080}}, {1.5, {1920, 1080}}}}, 2}};
    for (const auto& [screens, factor] : cases) {
        EXPECT_EQ(desktop::FittingScale(screens, {300, 400}), factor)
            << screens[0].scale << ", " << screens[1].scale;
    }
}

// Where a compositor takes SCALE logical pixels for each of the window's, the window is grown to the first
// size whose logical size is whole: 150 % at twice the size and at once, 125 %, 175 %, and a whole scale.
TEST(WholeSurfaceSize, GrowsTheWindowToWholeLogicalPixels)
{
    const std::tuple<double, QSize> cases[] = {{2 / 1.5, {300, 402}},
                                               {1 / 1.5, {300, 402}},
                                               {1 / 1.25, {300, 400}},
                                               {2 / 1.75, {301, 406}},
                                               {1.0, {300, 400}}};
    for (const auto& [scale, size] : cases) {
        EXPECT_EQ(desktop::WholeSurfaceSize({300, 400}, scale), size) << scale;
    }
}

// A maximise that the window system applies anyway is undone at once; the window keeps its size.
TEST(Adapt, UndoesAMaximise)
{
    QWidget window;
    window.setFixedSize(300, 400);
    desktop::Adapt(window, desktop::Application{});
    window.show();
    window.windowHandle()->setWindowStates(Qt::WindowMaximized);
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_FALSE(window.windowHandle()->windowStates().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(window.size(), QSize(300, 400));
}

} // namespace
