// SPDX-License-Identifier: MIT
#include "damage.h"

#include <bit>

namespace ui {
namespace {

constexpr int Width = game::FieldWidth.value();
constexpr int Height = game::FieldHeight.value();

// Bits lo <= bit < hi of a word.
constexpr std::uint64_t Bits(int lo, int hi)
{
    return lo >= hi ? 0 : (~std::uint64_t{0} >> (64 - (hi - lo))) << lo;
}

} // namespace

void Damage::add(QRect box)
{
    // Called for every box of every frame: plain integer clipping, and only
    // the words and bands the box touches.
    const int left = std::max(box.left(), 0);
    const int right = std::min(box.right(), Width - 1);
    const int top = std::max(box.top(), 0);
    const int bottom = std::min(box.bottom(), Height - 1);
    if (left > right || top > bottom) {
        return;
    }
    const int firstWord = left / 64;
    const int lastWord = right / 64;
    for (int word = firstWord; word <= lastWord; ++word) {
        const std::uint64_t mask =
            Bits(word == firstWord ? left % 64 : 0, word == lastWord ? right % 64 + 1 : 64);
        for (int band = top / BandHeight; band <= bottom / BandHeight; ++band) {
            bands_[band][word] |= mask;
        }
    }
}

void Damage::addAll()
{
    add(QRect(0, 0, Width, Height));
}

int Damage::nextColumn(int band, int x, bool marked) const
{
    for (int word = x / 64; word < Words; ++word) {
        const std::uint64_t columns = marked ? bands_[band][word] : ~bands_[band][word];
        if (const std::uint64_t from = columns & Bits(x - word * 64, 64); from != 0) {
            return std::min(word * 64 + std::countr_zero(from), Width);
        }
        x = (word + 1) * 64;
    }
    return Width;
}

} // namespace ui
