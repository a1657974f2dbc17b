// The game's own random source. A fixed clock makes every run identical, so
// the statistical checks here are deterministic and cannot flake.
#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "fixture.h"

namespace {

using game::ClockSeededRandom;

std::uint64_t StoppedClock() noexcept
{
    return 1'234'567'890'123ULL;
}
std::uint64_t OtherStoppedClock() noexcept
{
    return 1'234'567'890'124ULL;
}

// What the game does: a reseed at every tick, then a handful of draws.
std::vector<float> Play(ClockSeededRandom& random, int ticks, int drawsPerTick)
{
    std::vector<float> out;
    for (int t = 0; t < ticks; ++t) {
        random.reseed();
        for (int d = 0; d < drawsPerTick; ++d) {
            out.push_back(random.next());
        }
    }
    return out;
}

TEST(ClockSeededRandomTest, StaysInsideZeroToOneAndNeverGivesOne)
{
    for (const auto clock : {&StoppedClock, &ClockSeededRandom::SystemClock}) {
        ClockSeededRandom random(clock);
        const auto values = Play(random, 200'000, 5);
        const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
        EXPECT_GE(*lo, 0.0F);
        EXPECT_LT(*hi, 1.0F);
        if (clock == &StoppedClock) { // both ends reached, so the range is not cut short
            EXPECT_LT(*lo, 1e-5F);
            EXPECT_GT(*hi, 1.0F - 1e-5F);
        }
    }
}

// Ticks come faster than a coarse clock moves: the same reading must still
// give new numbers, because the reseed mixes into the old state.
TEST(ClockSeededRandomTest, ReseedingWithAnUnchangedClockStillGivesNewNumbers)
{
    ClockSeededRandom random(&StoppedClock);
    const auto first = Play(random, 1, 4);
    const auto second = Play(random, 1, 4);
    EXPECT_NE(first, second);

    const auto many = Play(random, 1000, 1);
    EXPECT_GT(std::set<float>(many.begin(), many.end()).size(), 990U);
}

TEST(ClockSeededRandomTest, SameClockSameSequenceOtherClockOtherSequence)
{
    ClockSeededRandom a(&StoppedClock);
    ClockSeededRandom b(&StoppedClock);
    ClockSeededRandom c(&OtherStoppedClock);
    const auto fromA = Play(a, 1000, 5);
    EXPECT_EQ(Play(b, 1000, 5), fromA);
    EXPECT_NE(Play(c, 1000, 5), fromA);
}

TEST(ClockSeededRandomTest, SpreadsEvenlyOverTwentyBuckets)
{
    ClockSeededRandom random(&StoppedClock);
    std::array<int, 20> buckets{};
    for (const float v : Play(random, 40'000, 5)) {
        ++buckets.at(static_cast<std::size_t>(static_cast<double>(v) * 20.0));
    }
    // 10000 expected in each; +-5 % is about five standard deviations.
    for (std::size_t i = 0; i < buckets.size(); ++i) {
        EXPECT_GT(buckets[i], 9500) << "bucket " << i;
        EXPECT_LT(buckets[i], 10500) << "bucket " << i;
    }
}

} // namespace
