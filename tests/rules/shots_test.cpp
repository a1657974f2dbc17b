// Shots: how close counts as a hit, who scores, where shots leave the field,
// and the game over that can strike in the middle of a pass.
#include "fixture.h"

namespace {

using test::Describe;
using test::RulesTest;
using Strings = std::vector<std::string>;

struct Reach {
    int dx, dy; // where the shot lands, relative to its target
    bool hit;
};

class EnemyReachTest : public RulesTest, public ::testing::WithParamInterface<Reach> {};
class PlayerReachTest : public RulesTest, public ::testing::WithParamInterface<Reach> {};

TEST_P(EnemyReachTest, HitsUpToFivePixelsAwayOnBothAxes)
{
    const Reach& c = GetParam();
    game::AddEnemy(state, 100, 100, 0, 0);
    game::AddShot(state, 100 + c.dx, 105 + c.dy, 0, -5, true);
    game::UpdateShots(state, canvas, status);

    EXPECT_EQ(canvas.calls,
              Strings{"point " + std::to_string(100 + c.dx) + " " + std::to_string(100 + c.dy) + " 0"});
    EXPECT_EQ(bool(state.enemies[0].active), !c.hit);
    EXPECT_EQ(bool(state.shots[0].active), !c.hit);
    EXPECT_EQ(state.score, c.hit ? 10 : 0);
}

TEST_P(PlayerReachTest, EndsTheGameUpToFourPixelsAwayOnBothAxes)
{
    const Reach& c = GetParam();
    game::AddShot(state, 155 + c.dx, 374 + c.dy, 0, 6, false);
    game::UpdateShots(state, canvas, status);

    EXPECT_EQ(bool(state.halted), c.hit);
    EXPECT_EQ(status.calls, c.hit ? Strings{"gameover 0"} : Strings{});
}

INSTANTIATE_TEST_SUITE_P(UpdateShots, EnemyReachTest,
                         ::testing::Values(Reach{5, 5, true}, Reach{-5, -5, true}, Reach{5, -5, true},
                                           Reach{-5, 5, true}, Reach{6, 0, false}, Reach{-6, 0, false},
                                           Reach{0, 6, false}, Reach{0, -6, false}));
INSTANTIATE_TEST_SUITE_P(UpdateShots, PlayerReachTest,
                         ::testing::Values(Reach{4, 4, true}, Reach{-4, -4, true}, Reach{4, -4, true},
                                           Reach{-4, 4, true}, Reach{5, 0, false}, Reach{-5, 0, false},
                                           Reach{0, 5, false}, Reach{0, -5, false}));

TEST_F(RulesTest, OneShotDestroysEveryEnemyInReachAndScoresForEach)
{
    state.score = 20;
    game::AddEnemy(state, 100, 100, 0, 0);
    game::AddEnemy(state, 105, 95, 0, 0);
    game::AddEnemy(state, 106, 100, 0, 0); // one pixel too far
    game::AddEnemy(state, 95, 105, 0, 0);
    game::AddShot(state, 100, 105, 0, -5, true);
    game::UpdateShots(state, canvas, status);

    EXPECT_FALSE(state.enemies[0].active || state.enemies[1].active || state.enemies[3].active);
    EXPECT_TRUE(state.enemies[2].active);
    EXPECT_FALSE(state.shots[0].active);
    EXPECT_EQ(state.score, 50);
}

TEST_F(RulesTest, AnEnemyShotDestroysAnotherEnemyButScoresNothing)
{
    state.score = 50;
    game::AddEnemy(state, 103, 103, 0, 0);
    game::AddShot(state, 100, 94, 0, 6, false);
    game::UpdateShots(state, canvas, status);

    EXPECT_EQ(canvas.calls, Strings{"point 100 100 255"});
    EXPECT_FALSE(state.enemies[0].active);
    EXPECT_FALSE(state.shots[0].active);
    EXPECT_EQ(state.score, 50);
}

// The area test comes before the move: a shot on the edge goes without moving
// or being drawn, one that has just moved out is drawn and tested once more.
TEST_F(RulesTest, ShotsOnTheEdgeAreRemovedAndShotsThatCrossItGetOneLastPass)
{
    game::AddShot(state, 150, 0, 0, 5, true);
    game::AddShot(state, 300, 200, -5, 0, false);
    game::AddShot(state, 0, 200, 5, 0, true);
    game::AddShot(state, 150, 400, 0, -5, true);
    game::AddShot(state, 298, 50, 5, 0, true);  // to (303, 50), next to an enemy
    game::AddShot(state, 297, 60, 5, 0, false); // to (302, 60), nothing there
    game::AddEnemy(state, 305, 53, 0, 0);
    game::UpdateShots(state, canvas, status);

    EXPECT_EQ(canvas.calls, (Strings{"point 303 50 0", "point 302 60 255"}));
    EXPECT_EQ(Describe(state.shots[0]), "idle shot 150 0 0 5 player");
    EXPECT_EQ(Describe(state.shots[1]), "idle shot 300 200 -5 0 enemy");
    EXPECT_EQ(Describe(state.shots[2]), "idle shot 0 200 5 0 player");
    EXPECT_EQ(Describe(state.shots[3]), "idle shot 150 400 0 -5 player");
    EXPECT_FALSE(state.enemies[0].active);
    EXPECT_EQ(state.score, 10);

    canvas.calls.clear();
    game::UpdateShots(state, canvas, status);
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_EQ(Describe(state.shots[5]), "idle shot 302 60 5 0 enemy");
}

// Game over in slot 1 of 3: slot 0 has been moved and drawn, slot 2 is never
// touched, and the frame is still finished with the player back at the start
// and a zero score line, while the panel gets the score of the game just lost.
TEST_F(RulesTest, GameOverMidPassStopsTheShotsButFinishesTheFrame)
{
    state.score = 30;
    state.playerX = 100;
    state.playerY = 300;
    game::AddEnemy(state, 20, 20, 0, 1);
    game::AddShot(state, 50, 50, 0, -5, true);
    game::AddShot(state, 100, 290, 0, 6, false);
    game::AddShot(state, 200, 200, 0, 6, false);
    tick();

    EXPECT_EQ(canvas.calls, (Strings{"clear", "fill 255", "circle 20 21 5 255", "point 50 45 0",
                                     "point 100 296 255", "fill 0", "circle 155 380 5", "present"}));
    EXPECT_EQ(status.calls, (Strings{"gameover 30", "score 0"}));
    EXPECT_EQ(state.halted.bits(), -1);
    EXPECT_EQ(state.score, 0);
    EXPECT_EQ(state.playerX, 155);
    EXPECT_EQ(state.playerY, 380);
    EXPECT_EQ(test::CountActive(state.shots) + test::CountActive(state.enemies), 0);
    EXPECT_EQ(Describe(state.shots[2]), "idle shot 200 200 0 6 enemy");
}

TEST_F(RulesTest, AShotThatHitsAnEnemyAndReachesThePlayerStillEndsTheGame)
{
    game::AddEnemy(state, 155, 372, 0, 0);
    game::AddShot(state, 155, 381, 0, -5, true); // to (155, 376): 4 from both
    game::UpdateShots(state, canvas, status);

    EXPECT_EQ(status.calls, Strings{"gameover 10"}) << "the hit scores before the game ends";
    EXPECT_TRUE(state.halted);
    EXPECT_FALSE(state.enemies[0].active);
}

} // namespace
