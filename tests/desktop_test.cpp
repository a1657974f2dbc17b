// SPDX-License-Identifier: MIT
// The desktop module's arithmetic by tables, and the window kept at its size, headless.
#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "desktop.h"

namespace {

// The desktop's scale rounded, lowered until the window and a frame fit: 150 % on a large screen and on a
// small one, a fraction the user asked for, 200 % just fitting and just not, three steps down to two,
// nonsense from a broken screen. Then the largest that fits every screen a window may be moved to: a small
// monitor beside a large one holds a scaled desktop to 1, whichever comes first.
TEST(FittingScale, RoundsTheScaleAndFitsEveryScreen)
{
    const std::tuple<std::vector<desktop::Screen>, int> cases[] = {
        {{{1.5, {1920, 1080}}}, 2},
        {{{1.5, {1366, 768}}}, 1},
        {{{2.25, {1920, 1080}}}, 2},
        {{{0.6, {640, 480}}}, 1},
        {{{2.0, {632, 896}}}, 2},
        {{{2.0, {632, 895}}}, 1},
        {{{2.0, {631, 896}}}, 1},
        {{{3.0, {3840, 2160}}}, 3},
        {{{2.6, {1920, 1200}}}, 2},
        {{{NAN, {1920, 1080}}}, 1},
        {{{1.0, {100, 100}}}, 1},
        {{{2.0, {1920, 1080}}, {2.0, {3840, 2160}}}, 2},
        {{{1.0, {1024, 768}}, {2.0, {2560, 1600}}}, 1},
        {{{2.0, {2560, 1600}}, {2.0, {1024, 768}}}, 1},
        {{{3.0, {3840, 2160}}, {2.0, {1920, 1200}}}, 2}};
    for (const auto& [screens, factor] : cases) {
        EXPECT_EQ(desktop::FittingScale(screens, {300, 400}), factor)
            << screens.front().scale << " on " << screens.front().available.width() << " of "
            << screens.size();
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
TEST(Adapt, UndoesAMaximiseAndGrowsTheWindowToWholeLogicalPixels)
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

    // Drawn at twice the size on a 150 % output, the window grows to whole logical pixels.
    QWidget grown;
    grown.setFixedSize(300, 400);
    desktop::Application atTwiceOn150;
    atTwiceOn150.surfaceScale = 2 / 1.5;
    desktop::Adapt(grown, atTwiceOn150);
    EXPECT_EQ(grown.size(), QSize(300, 402));
}

} // namespace
