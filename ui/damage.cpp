// SPDX-License-Identifier: MIT
#include "damage.h"

#include <bit>

namespace ui {
namespace {

// Bits lo <= bit < hi of a word.
constexpr std::uint64_t Bits(int lo, int hi)
{
    return lo >= hi ? 0 : (~std::uint64_t{0} >> (64 - (hi - lo))) << lo;
}

} // namespace

void Damage::add(QRect box)
{
    box &= QRect(0, 0, Width, Height);
    if (box.isEmpty()) {
        return;
    }
    Columns mask{};
    for (int word = 0; word < Words; ++word) {
        mask[word] =
            Bits(std::clamp(box.left() - word * 64, 0, 64), std::clamp(box.right() + 1 - word * 64, 0, 64));
    }
    for (int band = box.top() / BandHeight; band <= box.bottom() / BandHeight; ++band) {
        for (int word = 0; word < Words; ++word) {
            bands_[band][word] |= mask[word];
        }
    }
}

void Damage::addAll()
{
    add(QRect(0, 0, Width, Height));
}

Damage& Damage::operator|=(const Damage& other)
{
    for (int band = 0; band < Bands; ++band) {
        for (int word = 0; word < Words; ++word) {
            bands_[band][word] |= other.bands_[band][word];
        }
    }
    return *this;
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
