// The tick as a whole: the player's movement and fire, the order in which a
// frame is built, and the halted tick that must leave everything alone.
#include "fixture.h"

namespace {

using test::Describe;
using test::RulesTest;
using Strings = std::vector<std::string>;

TEST_F(RulesTest, AnEmptyFieldStillGetsAWholeFrameAndTheScore)
{
    state.score = 40;
    tick();
    EXPECT_EQ(canvas.calls, (Strings{"clear", "fill 255", "fill 0", "circle 155 380 5", "present"}));
    EXPECT_EQ(status.calls, Strings{"score 40"});
    EXPECT_EQ(random.log, (Strings{"reseed", "draw 0.99"}));
}

// Everything at once, to pin the order: the player moves and fires first, the
// enemies (a new one among them, in the slot it took) are moved, drawn and
// fire in slot order, then the shots in slot order, the player last.
TEST_F(RulesTest, ATickDrawsAndConsumesRandomNumbersInAFixedOrder)
{
    state.rightHeld = true;
    state.fireHeld = true;
    game::AddEnemy(state, 50, 50, 1, 1);
    game::AddEnemy(state, 0, 0, 0, 0);
    game::AddEnemy(state, 200, 60, -1, 2);
    state.enemies[1].active = false;        // the newcomer goes here
    random.script({0.01F, 0.5F, 0.5F, 0.0F, // top entry at (150, 1), velocity (0, 2)
                   0.0F, 0.5F, 0.5F,        // enemy 0 fires with (1, 5)
                   0.5F, 0.5F});            // the other two hold fire

    tick();

    EXPECT_EQ(canvas.calls,
              (Strings{"clear", "fill 255", "circle 51 51 5 255", "circle 150 3 5 255", "circle 199 62 5 255",
                       "point 165 369 0", "point 52 62 255", "fill 0", "circle 160 380 5", "present"}));
    EXPECT_EQ(status.calls, Strings{"score 0"});
    EXPECT_EQ(random.log, (Strings{"reseed", "draw 0.01", "draw 0.5", "draw 0.5", "draw 0", "draw 0",
                                   "draw 0.5", "draw 0.5", "draw 0.5", "draw 0.5"}));
    EXPECT_EQ(random.overDrawn(), 0U);
    EXPECT_EQ(Describe(state.shots[0]), "shot 165 369 5 -5 player");
    EXPECT_EQ(Describe(state.shots[1]), "shot 52 62 1 5 enemy");
}

TEST_F(RulesTest, AHaltedTickDoesNothingAtAll)
{
    state.halted = true;
    state.fireHeld = state.leftHeld = state.upHeld = true;
    state.score = 70;
    game::AddEnemy(state, 100, 100, 1, 1);
    game::AddShot(state, 155, 330, 0, 50, false); // would reach the player if it moved
    const std::string before = test::Dump(state);

    for (int i = 0; i < 3; ++i) {
        tick();
    }
    EXPECT_EQ(test::Dump(state), before);
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_TRUE(status.calls.empty());
    EXPECT_TRUE(random.log.empty()) << "not even a reseed";
}

struct Limit {
    const char* name;
    game::Boolean game::GameState::*key;
    game::Integer game::GameState::*axis;
    int start, step, stop, moves;
};

class PlayerLimitTest : public RulesTest, public ::testing::WithParamInterface<Limit> {};

TEST_P(PlayerLimitTest, MovesInWholeStepsAndStopsExactlyAtTheLimit)
{
    const Limit& c = GetParam();
    state.*c.key = true;
    for (int k = 1; k <= c.moves + 3; ++k) {
        tick();
        ASSERT_EQ((state.*c.axis).value(), k <= c.moves ? c.start + k * c.step : c.stop) << "tick " << k;
    }
    const bool horizontal = c.axis == &game::GameState::playerX;
    EXPECT_EQ(horizontal ? state.playerY : state.playerX, horizontal ? 380 : 155)
        << "the other axis stays put";
}

INSTANTIATE_TEST_SUITE_P(
    Tick, PlayerLimitTest,
    ::testing::Values(Limit{"Left", &game::GameState::leftHeld, &game::GameState::playerX, 155, -5, 5, 30},
                      Limit{"Right", &game::GameState::rightHeld, &game::GameState::playerX, 155, 5, 295, 28},
                      // The last move up starts at 107, still above 105.
                      Limit{"Up", &game::GameState::upHeld, &game::GameState::playerY, 380, -3, 104, 92},
                      Limit{"Down", &game::GameState::downHeld, &game::GameState::playerY, 380, 3, 395, 5}),
    [](const auto& info) { return std::string(info.param.name); });

// The limit is tested before the step, so a step may end just beyond it.
TEST_F(RulesTest, EachLimitIsTestedBeforeTheStep)
{
    const struct {
        game::Boolean game::GameState::*key;
        int x, y, afterX, afterY;
    } cases[] = {
        {&game::GameState::leftHeld, 6, 380, 1, 380},      {&game::GameState::leftHeld, 5, 380, 5, 380},
        {&game::GameState::rightHeld, 294, 380, 299, 380}, {&game::GameState::rightHeld, 295, 380, 295, 380},
        {&game::GameState::upHeld, 155, 106, 155, 103},    {&game::GameState::upHeld, 155, 105, 155, 105},
        {&game::GameState::downHeld, 155, 394, 155, 397},  {&game::GameState::downHeld, 155, 395, 155, 395},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "from " << c.x << "," << c.y);
        game::ResetGame(state);
        state.playerX = c.x;
        state.playerY = c.y;
        state.*c.key = true;
        tick();
        EXPECT_EQ(state.playerX, c.afterX);
        EXPECT_EQ(state.playerY, c.afterY);
    }
}

// Left wins over Right (and Up over Down) until its limit blocks it; then the
// other key takes over for one tick, and the player bounces by one step.
TEST_F(RulesTest, BothDirectionsHeldOscillateAtTheFirstKeysLimit)
{
    state.leftHeld = state.rightHeld = state.upHeld = state.downHeld = true;
    for (int i = 0; i < 92; ++i) {
        tick();
    }
    ASSERT_EQ(state.playerX, 5);
    ASSERT_EQ(state.playerY, 104);
    for (const auto& [x, y] : {std::pair{10, 107}, {5, 104}, {10, 107}, {5, 104}}) {
        tick();
        EXPECT_EQ(state.playerX, x);
        EXPECT_EQ(state.playerY, y);
    }
}

struct Fire {
    const char* name;
    bool up, down, left, right;
    int x, y;           // where the player starts
    const char* stored; // the shot after its first move
};

class PlayerFireTest : public RulesTest, public ::testing::WithParamInterface<Fire> {};

// The shot leaves 6 pixels above the player's new centre, takes the
// player's actual step sideways and -5 +- 2 vertically, and moves once in the
// same tick before it is first drawn.
TEST_P(PlayerFireTest, ShotInheritsTheMoveActuallyMade)
{
    const Fire& c = GetParam();
    state.playerX = c.x;
    state.playerY = c.y;
    state.upHeld = c.up;
    state.downHeld = c.down;
    state.leftHeld = c.left;
    state.rightHeld = c.right;
    state.fireHeld = true;
    tick();
    ASSERT_EQ(test::CountActive(state.shots), 1);
    EXPECT_EQ(Describe(state.shots[0]), c.stored);
    const std::string point = "point " + std::to_string(state.shots[0].x.value()) + " " +
                              std::to_string(state.shots[0].y.value()) + " 0";
    EXPECT_EQ(canvas.calls.at(2), point);
}

INSTANTIATE_TEST_SUITE_P(
    Tick, PlayerFireTest,
    ::testing::Values(Fire{"Still", false, false, false, false, 155, 380, "shot 155 369 0 -5 player"},
                      Fire{"Up", true, false, false, false, 155, 380, "shot 155 364 0 -7 player"},
                      Fire{"Down", false, true, false, false, 155, 380, "shot 155 374 0 -3 player"},
                      Fire{"Left", false, false, true, false, 155, 380, "shot 145 369 -5 -5 player"},
                      Fire{"Right", false, false, false, true, 155, 380, "shot 165 369 5 -5 player"},
                      Fire{"UpRight", true, false, false, true, 155, 380, "shot 165 364 5 -7 player"},
                      Fire{"DownLeft", false, true, true, false, 155, 380, "shot 145 374 -5 -3 player"},
                      Fire{"LeftAtTheEdge", false, false, true, false, 5, 380, "shot 5 369 0 -5 player"},
                      Fire{"UpAtTheTop", true, false, false, false, 155, 104, "shot 155 93 0 -5 player"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RulesTest, AFullShotPoolIgnoresShiftUntilASlotFrees)
{
    state.fireHeld = true;
    for (int i = 0; i < 201; ++i) {
        game::AddShot(state, 20, 200, 0, 0, true); // parked: never moves, never hits
    }
    const std::string full = test::Dump(state);
    tick();
    EXPECT_EQ(test::Dump(state), full);

    state.shots[9].active = false;
    state.shots[7].active = false;
    tick();
    EXPECT_EQ(Describe(state.shots[7]), "shot 155 369 0 -5 player");
    EXPECT_FALSE(state.shots[9].active) << "one shot per tick";
    tick();
    EXPECT_EQ(Describe(state.shots[9]), "shot 155 369 0 -5 player");
}

} // namespace
