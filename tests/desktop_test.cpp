// SPDX-License-Identifier: MIT
// The whole scale factor the window is drawn at.
#include <gtest/gtest.h>

#include "desktop.h"

namespace {

// The desktop's scale rounded, lowered until the window and a frame fit the screen: 150 % on a large
// screen and on a small one, a fraction the user asked for, 200 % just fitting and just not, three
// steps down to two, and nonsense from a broken screen.
TEST(FittingScale, RoundsTheDesktopsScaleAndLowersItUntilTheWindowFits)
{
    const std::tuple<double, QSize, int> scales[] = {
        {1.5, {1920, 1080}, 2}, {1.5, {1366, 768}, 1},  {2.25, {1920, 1080}, 2}, {0.6, {640, 480}, 1},
        {2.0, {632, 896}, 2},   {2.0, {632, 895}, 1},   {2.0, {631, 896}, 1},    {3.0, {3840, 2160}, 3},
        {2.6, {1920, 1200}, 2}, {NAN, {1920, 1080}, 1}, {1.0, {100, 100}, 1}};
    for (const auto& [scale, screen, factor] : scales) {
        EXPECT_EQ(desktop::FittingScale(scale, screen, {300, 400}), factor)
            << scale << " on " << screen.width() << "x" << screen.height();
    }
}

} // namespace
