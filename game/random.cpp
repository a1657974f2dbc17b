// SPDX-License-Identifier: MIT
#include "random.h"

#include <chrono>

namespace game {
namespace {

// splitmix64: spreads the bits of a counter or a clock reading over a word.
std::uint64_t SplitMix(std::uint64_t& x)
{
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31U);
}

constexpr std::uint32_t Rotl(std::uint32_t x, unsigned k)
{
    return (x << k) | (x >> (32U - k));
}

} // namespace

std::uint64_t ClockSeededRandom::SystemClock() noexcept
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

ClockSeededRandom::ClockSeededRandom(Clock clock) : clock_(clock)
{
    std::uint64_t seed = 0x4B45525542414430ULL; // any fixed non-zero start
    for (auto& word : s_) {
        word = static_cast<std::uint32_t>(SplitMix(seed) >> 32U);
    }
}

void ClockSeededRandom::reseed()
{
    // Mix, do not replace: the state carries on from the last tick, so an
    // unchanged clock reading still gives fresh numbers.
    std::uint64_t reading = clock_();
    const std::uint64_t a = SplitMix(reading);
    const std::uint64_t b = SplitMix(reading);
    s_[0] ^= static_cast<std::uint32_t>(a);
    s_[1] ^= static_cast<std::uint32_t>(a >> 32U);
    s_[2] ^= static_cast<std::uint32_t>(b);
    s_[3] ^= static_cast<std::uint32_t>(b >> 32U);
    if ((s_[0] | s_[1] | s_[2] | s_[3]) == 0) {
        s_[0] = 1; // the one state xoshiro cannot leave
    }
    nextBits(); // let the new bits reach every word before the first draw
}

float ClockSeededRandom::next()
{
    // The top 24 bits fill a float's mantissa exactly: k / 2^24, at most
    // 1 - 2^-24, so the value is never rounded up to 1.
    constexpr float scale = 1.0F / 16777216.0F;
    return static_cast<float>(nextBits() >> 8U) * scale;
}

std::uint32_t ClockSeededRandom::nextBits()
{
    const std::uint32_t result = Rotl(s_[1] * 5U, 7U) * 9U;
    const std::uint32_t t = s_[1] << 9U;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 11U);
    return result;
}

} // namespace game
