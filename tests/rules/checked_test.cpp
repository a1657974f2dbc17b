// Checked arithmetic: Int() rounds down, and every overflow ends the program
// with the fault status instead of wrapping.
#include <cmath>
#include <cstdint>
#include <limits>

#include "fixture.h"

namespace {

using game::Int;
using game::Integer;
using game::Long;

TEST(IntTest, RoundsDownTowardsMinusInfinity)
{
    const std::pair<double, int> cases[] = {
        {0.0, 0},   {-0.0, 0},    {2.999, 2},        {-0.11, -1},
        {-5.5, -6}, {-11.0, -11}, {32767.99, 32767}, {-32768.0, -32768},
    };
    for (const auto& [v, expected] : cases) {
        EXPECT_EQ(Int(v), expected) << v;
    }
}

TEST(CheckedTest, ArithmeticUpToTheLimitsIsExact)
{
    EXPECT_EQ(Integer(32766) + Integer(1), 32767);
    EXPECT_EQ(Integer(-32767) - Integer(1), -32768);
    EXPECT_EQ(Integer(-128) * Integer(256), -32768);
    EXPECT_EQ(game::Abs(Integer(-32767)), 32767);
    EXPECT_EQ(Long(2147483637) + Long(10), std::numeric_limits<std::int32_t>::max());
}

const auto Fault = ::testing::ExitedWithCode(game::FaultExitStatus);

TEST(CheckedDeathTest, IntegerOverflowEndsTheProgram)
{
    EXPECT_EXIT(Integer(32767) + Integer(1), Fault, "overflow in addition");
    EXPECT_EXIT(Integer(-32768) - Integer(1), Fault, "overflow in subtraction");
    EXPECT_EXIT(Integer(200) * Integer(200), Fault, "overflow in multiplication");
    EXPECT_EXIT(Integer(-1) * Integer(-32768), Fault, "overflow in multiplication");
    EXPECT_EXIT(Integer(40000), Fault, "value out of range");
    {
        Integer x = 32765;
        EXPECT_EXIT(x += Integer(5), Fault, "overflow in addition");
    }
}

TEST(CheckedDeathTest, IntOutsideTheIntegerRangeEndsTheProgram)
{
    EXPECT_EXIT(Int(32768.0), Fault, "value out of range");
    EXPECT_EXIT(Int(-32768.5), Fault, "value out of range");
    EXPECT_EXIT(Int(std::nan("")), Fault, "value out of range");
}

TEST(CheckedDeathTest, MagnitudeOfTheSmallestValueEndsTheProgram)
{
    EXPECT_EXIT(game::Abs(Integer(-32768)), Fault, "overflow");
    EXPECT_EXIT(game::Abs(Long(std::numeric_limits<std::int32_t>::min())), Fault, "overflow");
}

// The score is only ever changed by a hit, so that is where it must overflow.
TEST(CheckedDeathTest, ScoreOverflowFromAHitEndsTheProgram)
{
    game::GameState state;
    game::ResetGame(state);
    test::RecordingCanvas canvas;
    test::RecordingStatus status;
    state.score = std::numeric_limits<std::int32_t>::max() - 5;
    game::AddEnemy(state, 100, 100, 0, 0);
    game::AddShot(state, 100, 105, 0, -5, true);
    EXPECT_EXIT(game::UpdateShots(state, canvas, status), Fault,
                "kerubado: fatal error: .*overflow in addition");
}

} // namespace
