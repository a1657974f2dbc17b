// The game record and its pools: what a reset clears and what it leaves, and
// how the first-fit pools fill up.
#include "fixture.h"

namespace {

using game::AddEnemy;
using game::AddShot;
using test::Describe;
using test::Dump;

TEST(GameStateTest, StartsAllZero)
{
    const game::GameState state;
    std::string expected = "0 0 0 0 0 0 0 0 0\n";
    for (int i = 0; i < 201; ++i) {
        expected += "idle shot 0 0 0 0 enemy 0\n";
    }
    for (int i = 0; i < 21; ++i) {
        expected += "idle enemy 0 0 0 0 0\n";
    }
    EXPECT_EQ(Dump(state), expected);
}

TEST(ResetGameTest, PutsTheGameBackToItsStartAndKeepsFireHaltedAndStaleRecords)
{
    game::GameState state;
    state.upHeld = state.downHeld = state.leftHeld = state.rightHeld = true;
    state.fireHeld = true;
    state.halted = true;
    state.playerX = 7;
    state.playerY = 200;
    state.score = 1230;
    AddShot(state, 11, 22, 3, -4, true);
    AddEnemy(state, 33, 44, -5, 6);

    game::ResetGame(state);

    EXPECT_EQ(state.playerX, 155);
    EXPECT_EQ(state.playerY, 380);
    EXPECT_FALSE(state.upHeld || state.downHeld || state.leftHeld || state.rightHeld);
    EXPECT_EQ(state.fireHeld.bits(), -1) << "Shift still held: fire resumes in the new game";
    EXPECT_EQ(state.halted.bits(), -1) << "starting and ending games is not the reset's business";
    EXPECT_EQ(state.score, 0);
    EXPECT_EQ(test::CountActive(state.shots), 0);
    EXPECT_EQ(test::CountActive(state.enemies), 0);
    // Only the flags go: the rest waits, unread, for the next add.
    EXPECT_EQ(Describe(state.shots[0]), "idle shot 11 22 3 -4 player");
    EXPECT_EQ(Describe(state.enemies[0]), "idle enemy 33 44 -5 6");

    state.halted = false;
    game::ResetGame(state);
    EXPECT_FALSE(state.halted);
}

TEST(PoolTest, AddShotStoresTrueAsAllBitsAndOverwritesEveryStaleField)
{
    game::GameState state;
    AddShot(state, 1, 2, 3, 4, true);
    state.shots[0].active = false;
    AddShot(state, -5, 6, -7, 8, false);
    EXPECT_EQ(Describe(state.shots[0]), "shot -5 6 -7 8 enemy");
    EXPECT_EQ(state.shots[0].active.bits(), -1);
    EXPECT_EQ(state.shots[0].fromPlayer.bits(), 0);
    AddShot(state, 9, 9, 0, -5, true);
    EXPECT_EQ(state.shots[1].fromPlayer.bits(), -1);

    // Any non-zero flag marks a slot in use, not just -1.
    state.shots[2].active = game::Boolean::FromBits(1);
    state.enemies[0].active = game::Boolean::FromBits(0x100);
    AddShot(state, 4, 4, 0, 0, false);
    AddEnemy(state, 4, 4, 0, 0);
    EXPECT_EQ(Describe(state.shots[3]), "shot 4 4 0 0 enemy");
    EXPECT_EQ(Describe(state.enemies[1]), "enemy 4 4 0 0");
}

TEST(PoolTest, ShotsFillTheLowestFreeSlotAndAFullPoolDropsTheNewShot)
{
    game::GameState state;
    for (int i = 0; i < 201; ++i) {
        AddShot(state, i, 1, 0, 0, true);
    }
    ASSERT_EQ(test::CountActive(state.shots), 201);
    EXPECT_EQ(Describe(state.shots[200]), "shot 200 1 0 0 player");

    const std::string full = Dump(state);
    AddShot(state, 77, 77, 7, 7, false);
    EXPECT_EQ(Dump(state), full) << "a full pool is not an error: nothing changes";

    state.shots[150].active = false;
    state.shots[40].active = false;
    AddShot(state, 77, 78, 1, 2, false);
    AddShot(state, 88, 89, 3, 4, false);
    EXPECT_EQ(Describe(state.shots[40]), "shot 77 78 1 2 enemy");
    EXPECT_EQ(Describe(state.shots[150]), "shot 88 89 3 4 enemy");
}

TEST(PoolTest, EnemiesFillTheLowestFreeSlotAndAFullPoolDropsTheNewEnemy)
{
    game::GameState state;
    for (int i = 0; i < 21; ++i) {
        AddEnemy(state, i, 2, 1, 1);
    }
    const std::string full = Dump(state);
    AddEnemy(state, 50, 50, 0, 1);
    EXPECT_EQ(Dump(state), full);

    state.enemies[2].active = false;
    state.enemies[0].active = false;
    AddEnemy(state, 10, 20, -3, 4);
    EXPECT_EQ(Describe(state.enemies[0]), "enemy 10 20 -3 4");
    EXPECT_EQ(state.enemies[0].active.bits(), -1);
    AddEnemy(state, 30, 40, 5, 6);
    EXPECT_EQ(Describe(state.enemies[2]), "enemy 30 40 5 6");
    EXPECT_EQ(Describe(state.enemies[1]), "enemy 1 2 1 1");
}

TEST(BooleanTest, AnyNonZeroBitsTestTrue)
{
    EXPECT_EQ(game::Boolean(true).bits(), -1);
    EXPECT_EQ(game::Boolean(false).bits(), 0);
    EXPECT_TRUE(game::Boolean::FromBits(1));
    EXPECT_TRUE(game::Boolean::FromBits(-32768));
    EXPECT_FALSE(game::Boolean::FromBits(0));
}

} // namespace
