// SPDX-License-Identifier: MIT
// Which pixels of the play field may have changed, kept so that a frame
// repaints and sends to the window system only those.
#pragma once

#include <QRect>

#include <algorithm>
#include <array>
#include <cstdint>

#include "canvas.h"

namespace ui {

// Boxes marked on a coarse grid: the field's rows in bands of BandHeight, and
// in each band the columns that any box touching it covers. Bands keep the
// rectangle count low (a toolkit region never merges rectangles, and each one
// costs protocol and clipping work), and fixed masks make marking, uniting
// and clearing cost no allocation.
class Damage {
public:
    static constexpr int BandHeight = 8;
    static constexpr int Bands = (game::FieldHeight.value() + BandHeight - 1) / BandHeight;

    // Whatever part of `box` lies on the field.
    void add(QRect box);
    void addAll();
    void reset() { bands_ = {}; }

    // Rectangles covering every marked pixel, in the y-x banded order that
    // QRegion::setRects takes: each run of columns in each band, with runs
    // of neighbouring bands that cover the same columns joined into one.
    template <typename Visit> void forEachRect(Visit visit) const
    {
        for (int first = 0; first < Bands;) {
            int last = first + 1;
            while (last < Bands && bands_[last] == bands_[first]) {
                ++last;
            }
            const int top = first * BandHeight;
            const int height = std::min(last * BandHeight, int{game::FieldHeight.value()}) - top;
            for (int x = nextColumn(first, 0, true); x < game::FieldWidth.value();) {
                const int end = nextColumn(first, x, false);
                visit(QRect(x, top, end - x, height));
                x = nextColumn(first, end, true);
            }
            first = last;
        }
    }

private:
    static constexpr int Words = (game::FieldWidth.value() + 63) / 64;
    using Columns = std::array<std::uint64_t, Words>;

    // The first column from `x` on that is marked (or, with `marked` false,
    // unmarked) in `band`; the field's width if there is none.
    [[nodiscard]] int nextColumn(int band, int x, bool marked) const;

    std::array<Columns, Bands> bands_{};
};

} // namespace ui
