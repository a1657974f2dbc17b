// Long games with a restless random player, every step checked, with the real
// game library and the game's own random generator.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "checked_session.h"
#include "random.h"
#include "random_player.h"

namespace game::checks {
namespace {

// The generator mixes the clock into its state at every running tick. A clock
// that never moves keeps every run of these tests the same, and the mixing
// must still give fresh numbers from tick to tick, which is exactly what a
// clock coarser than the tick would do to it.
std::uint64_t StoppedClock() noexcept
{
    return 0x4B4C4F434BULL;
}

// Five players of 50 000 ticks each: hundreds of games per player, and still
// only seconds in a Debug build, where the game's own ticks take half the time.
constexpr int TicksPerPlayer = 50000;

class LongGames : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(LongGames, EveryStepKeepsTheRules)
{
    ClockSeededRandom random(&StoppedClock);
    CheckedSession session(random);
    RandomPlayer player(GetParam());
    ASSERT_EQ(session.load(), "");
    for (int n = 0; n < TicksPerPlayer; ++n) {
        const std::string problem = player.playTick(session);
        ASSERT_EQ(problem, "") << "player seed " << GetParam();
    }

    const SessionStats& s = session.stats();
    RecordProperty("played", Describe(s));
    std::printf("[ stats    ] seed %u: %s\n", GetParam(), Describe(s).c_str());

    // Without these the checks above could have passed on games that never
    // really happened.
    EXPECT_EQ(s.ticks, static_cast<std::uint64_t>(TicksPerPlayer));
    EXPECT_GE(s.gamesOver, 5U) << "games must end when a shot reaches the player";
    EXPECT_GE(s.scoringGames, 1U) << "some game must end with points";
    EXPECT_GT(s.enemiesAdded, 100U);
    EXPECT_GT(s.enemyShotsAdded, 100U);
    EXPECT_GT(s.playerShotsAdded, 100U);
    EXPECT_GT(s.enemiesShot, 10U);
    EXPECT_GT(s.runningTicks, s.ticks / 2) << "the player must not sit at the panel most of the time";
    // Only a game over halts, and the panel waits for Enter: every game that
    // ended was started again, except perhaps the last.
    EXPECT_GE(s.gamesStarted, s.gamesOver);
    EXPECT_LE(s.gamesStarted, s.gamesOver + 1);
}

INSTANTIATE_TEST_SUITE_P(Players, LongGames, ::testing::Values(1U, 2U, 3U, 4U, 5U));

// The promise the generator makes to the rules: a stopped clock still gives
// every tick numbers of its own, and none of them reaches 1.
TEST(StoppedClockRandom, SuccessiveTicksDrawFreshNumbers)
{
    ClockSeededRandom random(&StoppedClock);
    std::array<float, 4> last{};
    for (int tick = 0; tick < 20000; ++tick) {
        random.reseed();
        std::array<float, 4> drawn{};
        for (float& v : drawn) {
            v = random.next();
            ASSERT_GE(v, 0.0F);
            ASSERT_LT(v, 1.0F);
        }
        ASSERT_NE(drawn, last) << "tick " << tick << " repeats the numbers of the tick before";
        last = drawn;
    }
}

} // namespace
} // namespace game::checks
