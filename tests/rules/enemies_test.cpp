// Enemies: where they enter, how they fire, when they leave, and exactly which
// random numbers each of those decisions uses.
#include "fixture.h"

namespace {

using test::AlmostOne;
using test::Describe;
using test::RulesTest;
using Strings = std::vector<std::string>;

struct Spawn {
    const char* name;
    float roll, r1, r2, r3;
    const char* afterFirstMove; // the entry position plus one step
};

class SpawnTest : public RulesTest, public ::testing::WithParamInterface<Spawn> {};

TEST_P(SpawnTest, EntersAtItsEdgeAndMovesInTheSameTick)
{
    const Spawn& c = GetParam();
    random.script({c.roll, c.r1, c.r2, c.r3});
    game::UpdateEnemies(state, canvas, random);

    ASSERT_EQ(test::CountActive(state.enemies), 1);
    EXPECT_EQ(Describe(state.enemies[0]), c.afterFirstMove);
    const std::string circle = "circle " + std::to_string(state.enemies[0].x.value()) + " " +
                               std::to_string(state.enemies[0].y.value()) + " 5 255";
    EXPECT_EQ(canvas.calls, Strings{circle});
    EXPECT_EQ(random.remaining(), 0U);
    EXPECT_EQ(random.overDrawn(), 1U) << "after the entry draws, only the newcomer's fire roll";
}

// Rolls 0-2 top, 3 left, 4 right, each with r1 (position), r2 (sideways
// speed), r3 (downward speed) at both ends of their range.
INSTANTIATE_TEST_SUITE_P(
    UpdateEnemies, SpawnTest,
    ::testing::Values(Spawn{"TopLowest", 0.0F, 0.0F, 0.0F, 0.0F, "enemy 5 3 -5 2"},
                      Spawn{"TopMiddle", 0.03F, 0.25F, 0.5F, 0.75F, "enemy 80 7 0 6"},
                      Spawn{"TopHighest", 0.05F, AlmostOne, AlmostOne, AlmostOne, "enemy 294 7 5 6"},
                      Spawn{"LeftLowest", 0.07F, 0.0F, 0.0F, 0.0F, "enemy 1 11 0 1"},
                      Spawn{"LeftMixed", 0.07F, 0.25F, 0.75F, 0.5F, "enemy 9 82 8 2"},
                      Spawn{"LeftHighest", 0.07F, AlmostOne, AlmostOne, AlmostOne, "enemy 11 292 10 3"},
                      // From the right dx is rounded down: 0 only for r2 exactly 0,
                      // -1 for a tiny r2 and -6 for a half.
                      Spawn{"RightStandingStill", 0.09F, 0.0F, 0.0F, 0.0F, "enemy 299 11 0 1"},
                      Spawn{"RightSlowest", 0.09F, 0.5F, 0.01F, 0.0F, "enemy 298 151 -1 1"},
                      Spawn{"RightHalfSpeed", 0.09F, 0.5F, 0.5F, 0.5F, "enemy 293 152 -6 2"},
                      Spawn{"RightHighestRoll", std::nextafter(0.1F, 0.0F), AlmostOne, AlmostOne, AlmostOne,
                            "enemy 288 292 -11 3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RulesTest, RollsFiveAndAboveAddNothingAndDrawNothingMore)
{
    for (const float roll : {0.1F, 0.5F, AlmostOne}) {
        random = test::ScriptedRandom({roll});
        game::UpdateEnemies(state, canvas, random);
        EXPECT_EQ(random.log, (Strings{"reseed", "draw " + test::FormatNumber(roll)}));
        EXPECT_EQ(random.overDrawn(), 0U);
    }
    EXPECT_EQ(test::CountActive(state.enemies), 0);
    EXPECT_TRUE(canvas.calls.empty());
}

TEST_F(RulesTest, AFullEnemyPoolStillDrawsTheEntryNumbers)
{
    for (int i = 0; i < 21; ++i) {
        game::AddEnemy(state, 100, 100 + i, 0, 0); // parked in the field
    }
    const std::string full = test::Dump(state);
    random.script({0.0F, 0.3F, 0.4F, 0.5F});
    game::UpdateEnemies(state, canvas, random);

    EXPECT_EQ(test::Dump(state), full);
    EXPECT_EQ(random.remaining(), 0U);
    EXPECT_EQ(random.overDrawn(), 21U) << "one fire roll per enemy";
    EXPECT_EQ(canvas.calls.size(), 21U);
}

struct Volley {
    const char* name;
    float fireRoll, r1, r2;
    const char* shot; // empty when the enemy holds fire
};

class EnemyFireTest : public RulesTest, public ::testing::WithParamInterface<Volley> {};

// The shot leaves 6 pixels below the enemy's new centre, sideways within 5 of
// the enemy's own dx and 2, 4 or 6 faster downward than the enemy.
TEST_P(EnemyFireTest, FiresOneTimeInFourFromBelowItsNewPosition)
{
    const Volley& c = GetParam();
    game::AddEnemy(state, 100, 100, 2, 3);
    random.script({0.99F, c.fireRoll, c.r1, c.r2});
    game::UpdateEnemies(state, canvas, random);

    EXPECT_EQ(Describe(state.enemies[0]), "enemy 102 103 2 3");
    EXPECT_EQ(canvas.calls, Strings{"circle 102 103 5 255"});
    if (*c.shot == '\0') {
        EXPECT_EQ(test::CountActive(state.shots), 0);
        EXPECT_EQ(random.remaining(), 2U) << "no r1, r2 without a shot";
    } else {
        EXPECT_EQ(Describe(state.shots[0]), c.shot);
        EXPECT_EQ(state.shots[0].active.bits(), -1);
        EXPECT_EQ(random.remaining(), 0U);
    }
}

INSTANTIATE_TEST_SUITE_P(UpdateEnemies, EnemyFireTest,
                         ::testing::Values(Volley{"Slowest", 0.0F, 0.0F, 0.0F, "shot 102 109 -3 5 enemy"},
                                           Volley{"Fastest", std::nextafter(0.25F, 0.0F), AlmostOne,
                                                  AlmostOne, "shot 102 109 7 9 enemy"},
                                           Volley{"Middle", 0.1F, 0.1F, 0.9F, "shot 102 109 -2 9 enemy"},
                                           Volley{"HoldsFire", 0.25F, 0.0F, 0.0F, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RulesTest, AnEnemyFiringIntoAFullShotPoolStillDrawsItsNumbers)
{
    for (int i = 0; i < 201; ++i) {
        game::AddShot(state, 10, 10, 0, 0, true);
    }
    game::AddEnemy(state, 100, 100, 0, 1);
    game::GameState expected = state;
    expected.enemies[0].y = 101;
    random.script({0.99F, 0.0F, 0.5F, 0.5F});
    game::UpdateEnemies(state, canvas, random);
    EXPECT_EQ(test::Dump(state), test::Dump(expected));
    EXPECT_EQ(random.remaining(), 0U);
    EXPECT_EQ(random.overDrawn(), 0U);
}

// A left entry with dx 0 slides down x = 1 from y = 289 in steps of 3: it is
// drawn at y = 400 (moved from 397, still inside) and vanishes the tick after.
TEST_F(RulesTest, AnEnemyIsRemovedUndrawnTheTickAfterItLeaves)
{
    random.script({0.07F, AlmostOne, 0.0F, AlmostOne});
    for (int y = 292; y <= 400; y += 3) {
        canvas.calls.clear();
        random.log.clear();
        game::UpdateEnemies(state, canvas, random);
        ASSERT_EQ(Describe(state.enemies[0]), "enemy 1 " + std::to_string(y) + " 0 3");
        ASSERT_EQ(canvas.calls, Strings{"circle 1 " + std::to_string(y) + " 5 255"});
        ASSERT_EQ(random.log.back(), "draw 0.99") << "it rolls to fire every tick it is drawn";
    }
    canvas.calls.clear();
    random.log.clear();
    game::UpdateEnemies(state, canvas, random);
    EXPECT_EQ(Describe(state.enemies[0]), "idle enemy 1 400 0 3");
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_EQ(random.log, (Strings{"reseed", "draw 0.99"})) << "no fire roll once removed";
}

// Just across the right edge the enemy is still drawn, still fires (its shot
// starts outside, so it is dropped undrawn in the shot stage) and can still be
// shot down for points.
TEST_F(RulesTest, AnEnemyOneStepOutsideIsStillDrawnFiresAndCanBeHit)
{
    game::AddEnemy(state, 298, 200, 5, 0);
    game::AddShot(state, 294, 205, 5, -5, true);
    random.script({0.99F, 0.0F, 0.5F, 0.5F});
    tick();

    EXPECT_EQ(canvas.calls, (Strings{"clear", "fill 255", "circle 303 200 5 255", "point 299 200 0", "fill 0",
                                     "circle 155 380 5", "present"}));
    EXPECT_EQ(Describe(state.enemies[0]), "idle enemy 303 200 5 0");
    EXPECT_EQ(Describe(state.shots[1]), "idle shot 303 206 5 4 enemy");
    EXPECT_EQ(status.calls, Strings{"score 10"});
    EXPECT_EQ(random.remaining(), 0U);
}

} // namespace
