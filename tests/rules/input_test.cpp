// The keyboard and the window's start-up, as far as the rules see them: flags
// follow the keys, Enter starts or restarts, everything else is ignored.
#include "fixture.h"
#include "input.h"

namespace {

using test::Dump;
using test::RulesTest;
using Strings = std::vector<std::string>;

// A game in full swing, so that any reset or stray change shows in a dump.
void Dirty(game::GameState& state)
{
    state.score = 120;
    state.playerX = 40;
    state.playerY = 200;
    game::AddShot(state, 10, 20, 0, -5, true);
    game::AddEnemy(state, 30, 40, 1, 2);
}

TEST_F(RulesTest, ArrowsAndShiftHoldTheirFlagWhetherRunningOrHalted)
{
    const std::pair<std::int16_t, game::Boolean game::GameState::*> keys[] = {
        {38, &game::GameState::upHeld},    {40, &game::GameState::downHeld}, {37, &game::GameState::leftHeld},
        {39, &game::GameState::rightHeld}, {16, &game::GameState::fireHeld},
    };
    Dirty(state);
    for (const bool halted : {false, true}) {
        state.halted = halted;
        for (const auto& [code, flag] : keys) {
            SCOPED_TRACE(code);
            const std::string before = Dump(state);
            game::GameState expected = state;
            expected.*flag = true;

            game::KeyDown(state, status, code);
            game::KeyDown(state, status, code); // auto-repeat
            EXPECT_EQ(Dump(state), Dump(expected));
            EXPECT_EQ((state.*flag).bits(), -1);
            game::KeyUp(state, code);
            EXPECT_EQ(Dump(state), before);
            game::KeyUp(state, code); // never pressed now: still nothing
            EXPECT_EQ(Dump(state), before);
        }
    }
    EXPECT_TRUE(status.calls.empty());
}

TEST_F(RulesTest, OtherKeysAndTheReleaseOfEnterDoNothing)
{
    Dirty(state);
    state.upHeld = state.fireHeld = true;
    state.halted = true;
    const std::string before = Dump(state);
    for (const std::int16_t code :
         {0, 8, 9, 12, 14, 15, 17, 18, 27, 32, 36, 41, 65, 112, 255, -1, 32767, -32768}) {
        game::KeyDown(state, status, code);
        game::KeyUp(state, code);
    }
    game::KeyUp(state, 13);
    EXPECT_EQ(Dump(state), before);
    EXPECT_TRUE(status.calls.empty());
}

// Enter always resets; only from a panel does it also un-halt and hide it.
// Shift outlives the reset, so fire resumes at once; the arrows do not.
TEST_F(RulesTest, EnterStartsFromThePanelAndRestartsARunningGame)
{
    for (const bool halted : {true, false}) {
        SCOPED_TRACE(halted ? "from the panel" : "while running");
        status.calls.clear();
        Dirty(state);
        state.upHeld = state.downHeld = state.leftHeld = state.rightHeld = state.fireHeld = true;
        state.halted = halted;
        game::GameState expected = state;
        game::ResetGame(expected);
        expected.halted = false;

        game::KeyDown(state, status, 13);
        EXPECT_EQ(Dump(state), Dump(expected));
        EXPECT_EQ(state.fireHeld.bits(), -1);
        EXPECT_EQ(status.calls, halted ? Strings{"hide"} : Strings{});

        game::StartOrRestart(state, status); // a held Enter repeats: still running, still fresh
        EXPECT_EQ(Dump(state), Dump(expected));
        EXPECT_EQ(status.calls.size(), halted ? 1U : 0U);
    }
}

TEST_F(RulesTest, ReleaseHeldKeysClearsAllFiveFlagsAndNothingElse)
{
    Dirty(state);
    state.upHeld = state.downHeld = state.leftHeld = state.rightHeld = state.fireHeld = true;
    game::GameState expected = state;
    expected.upHeld = expected.downHeld = expected.leftHeld = expected.rightHeld = expected.fireHeld = false;
    game::ReleaseHeldKeys(state);
    EXPECT_EQ(Dump(state), Dump(expected));
}

TEST_F(RulesTest, LoadGameLeavesAFreshHaltedGameOnAPaleCyanField)
{
    Dirty(state);
    state.upHeld = state.downHeld = state.leftHeld = state.rightHeld = state.fireHeld = true;
    game::GameState expected = state;
    game::ResetGame(expected);
    expected.fireHeld = false;
    expected.halted = true;

    game::LoadGame(state, canvas);
    EXPECT_EQ(Dump(state), Dump(expected));
    EXPECT_EQ(state.halted.bits(), -1);
    EXPECT_EQ(canvas.calls, Strings{"back 16777120"}) << "no drawing and no present before the first game";
    EXPECT_TRUE(status.calls.empty());
}

TEST(CaptionTest, TitleIdeographicSpaceVersionAndAFinalFullStop)
{
    EXPECT_EQ(game::MakeCaption(1, 0, 1), "ケルバド\u30001.0.1.");
    EXPECT_EQ(game::MakeCaption(1, 10, 1), "ケルバド\u30001.10.1.");
    EXPECT_EQ(game::MakeCaption(2, 3, 1024), "ケルバド\u30002.3.1024.");
}

} // namespace
