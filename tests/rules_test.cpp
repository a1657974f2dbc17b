// SPDX-License-Identifier: MIT
// The rules through the fakes. Most tables are scripts played on a fresh game,
// one row per case: "script => what is seen;".
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <numeric>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "fakes.h"
#include "input.h"
#include "tick.h"

namespace {

using game::Enemy;
using game::Shot;
using Args = std::vector<int>;

struct Rules : ::testing::Test {
    game::GameState state;
    test::RecordingCanvas canvas;
    test::RecordingStatus status;
    test::ScriptedRandom random;
    test::Recorder calls; // the canvas's and the status's, in order

    void SetUp() override { Fresh(); }
    void Fresh()
    {
        state = {}, canvas = {}, status = {}, random = {}, calls = {}, game::ResetGame(state);
        canvas.echo = status.echo = &calls;
    }

    // Plays a script: a number with a point is queued as a draw ("max" is the
    // largest, 0.99999994), "*N" makes N of the step before, and any other
    // word is a verb taking the whole numbers after it.
    void Run(const std::string& script)
    {
        const std::map<std::string, std::function<void(const Args&)>> verbs = {
            {"player", [&](auto& a) { state.playerX = a.at(0), state.playerY = a.at(1); }},
            {"hold", [](auto&) {}}, // then the keys: U D L R, F for Shift
            {"U", [&](auto&) { state.upHeld = true; }},
            {"D", [&](auto&) { state.downHeld = true; }},
            {"L", [&](auto&) { state.leftHeld = true; }},
            {"R", [&](auto&) { state.rightHeld = true; }},
            {"F", [&](auto&) { state.fireHeld = true; }},
            {"score", [&](auto& a) { state.score = a.at(0); }},
            {"halted", [&](auto&) { state.halted = true; }},
            {"enemy", [&](auto& a) { game::AddEnemy(state, a.at(0), a.at(1), a.at(2), a.at(3)); }},
            {"shot", [&](auto& a) { game::AddShot(state, a.at(0), a.at(1), a.at(2), a.at(3), true); }},
            {"eshot", [&](auto& a) { game::AddShot(state, a.at(0), a.at(1), a.at(2), a.at(3), false); }},
            {"tick", [&](auto&) { game::Tick(state, canvas, status, random); }},
            {"enemies", [&](auto&) { game::UpdateEnemies(state, canvas, random); }},
            {"shots", [&](auto&) { game::UpdateShots(state, canvas, status); }},
            {"reset", [&](auto&) { game::ResetGame(state); }},
            {"press", [&](auto& a) { game::KeyDown(state, status, std::int16_t(a.at(0))); }},
            {"lift", [&](auto& a) { game::KeyUp(state, std::int16_t(a.at(0))); }},
            {"unfocus", [&](auto&) { game::ReleaseHeldKeys(state); }},
            {"load", [&](auto&) { game::LoadGame(state, canvas); }},
        };
        std::vector<std::pair<std::string, Args>> steps;
        std::istringstream in(script);
        for (std::string w; in >> w;) {
            if (w == "max" || w.find('.') != std::string::npos) {
                random.script.push_back(w == "max" ? std::nextafter(1.0F, 0.0F) : std::stof(w));
            } else if (w[0] == '*') {
                steps.insert(steps.end(), std::stoul(w.substr(1)) - 1, steps.at(steps.size() - 1));
            } else if (w[0] >= 'A') {
                steps.emplace_back(w, Args{});
            } else {
                steps.at(steps.size() - 1).second.push_back(std::stoi(w));
            }
        }
        for (const auto& [verb, args] : steps) {
            verbs.at(verb)(args);
        }
    }
    // Each row is played on a fresh game between the setup and the steps after.
    void Check(const std::string& rows, const std::function<std::string()>& seen,
               const std::string& setup = "", const std::string& after = "")
    {
        std::istringstream in(rows);
        for (std::string row; std::getline(in, row, ';');) {
            const auto arrow = row.find("=>");
            Fresh();
            Run(setup + " " + row.substr(0, arrow) + " " + after);
            EXPECT_EQ(Squeeze(seen()), Squeeze(row.substr(arrow + 2))) << Squeeze(row.substr(0, arrow));
        }
    }
    static std::string Squeeze(const std::string& text)
    {
        return std::regex_replace(" " + text + " ", std::regex("\\s+"), " ");
    }

    static std::string S(game::Integer v) { return std::to_string(v.value()); }
    static std::string B(game::Boolean b) { return std::to_string(b.bits()) + " "; }
    static std::string Xy(const auto& r) { return S(r.x) + " " + S(r.y) + " " + S(r.dx) + " " + S(r.dy); }
    static std::string Describe(const Enemy& e) { return (e.active ? "enemy " : "idle enemy ") + Xy(e); }
    static std::string Describe(const Shot& s)
    {
        return (s.active ? "shot " : "idle shot ") + Xy(s) + (s.fromPlayer ? " player" : " enemy");
    }
    static long Count(const auto& p)
    {
        return std::ranges::count_if(p, [](auto& r) { return bool(r.active); });
    }
    std::string Live() const { return std::to_string(Count(state.shots) + Count(state.enemies)) + " live"; }
    // Flag bits (up left right down fire halted), the player and the score.
    std::string Head() const
    {
        const auto& s = state;
        return B(s.upHeld) + B(s.leftHeld) + B(s.rightHeld) + B(s.downHeld) + B(s.fireHeld) + B(s.halted) +
               S(s.playerX) + " " + S(s.playerY) + " " + std::to_string(s.score.value());
    }
    // Everything, stale slots included.
    std::string Dump() const
    {
        const auto add = [](std::string out, const auto& r) { return out + ", " + Describe(r); };
        const std::string shots = std::accumulate(state.shots.begin(), state.shots.end(), Head(), add);
        return std::accumulate(state.enemies.begin(), state.enemies.end(), shots, add);
    }
};

// Each limit is tested before the step, so the last step may cross it.
TEST_F(Rules, PlayerStopsAtItsLimitsTestedBeforeTheStep)
{
    Check(R"(
        hold L tick *33 => 5 380;    player 6 380 hold L tick => 1 380;
        hold R tick *31 => 295 380;  player 294 380 hold R tick => 299 380;
        hold U tick *95 => 155 104;  player 155 106 hold U tick => 155 103;
        player 155 105 hold U tick => 155 105;
        hold D tick *8 => 155 395;   player 155 394 hold D tick => 155 397;
        player 5 380 hold L R tick *3 => 10 380;  player 155 104 hold U D tick *3 => 155 107)",
          [&] { return S(state.playerX) + " " + S(state.playerY); });
}

// It is seen where it is after its first move, in the tick that fires it.
TEST_F(Rules, PlayerShotTakesTheMoveMade)
{
    Check(R"(
        hold F => shot 155 369 0 -5 player;    hold F U => shot 155 364 0 -7 player;
        hold F D => shot 155 374 0 -3 player;  hold F L => shot 145 369 -5 -5 player;
        hold F R => shot 165 369 5 -5 player;  player 5 380 hold F L => shot 5 369 0 -5 player;
        player 155 105 hold F U => shot 155 94 0 -5 player)",
          [&] { return Describe(state.shots[0]); }, "", "tick");
}

// The roll is Int(r * 50) of the exact product: 0-2 top, 3 left, 4 right. The
// floats 0.06, 0.08 and 0.1 lie a hair below those bounds, 0.060000002 and
// 0.080000004 just above, 0.099999994 just below. From the right, dx rounds
// down: 0 only for r2 = 0, -1 for a tiny r2, -6 (not -5) for a half.
TEST_F(Rules, EachEntryKindAtTheEndsOfItsDraws)
{
    Check(
        R"(
        0.0 0.0 0.0 0.0 => enemy 5 3 -5 2;          0.03 0.25 0.5 0.4 => enemy 80 5 0 4;
        0.06 max max max => enemy 294 7 5 6;        0.060000002 0.0 0.0 0.0 => enemy 1 11 0 1;
        0.08 max max max => enemy 11 292 10 3;      0.080000004 0.0 0.0 0.0 => enemy 299 11 0 1;
        0.09 0.5 0.01 0.5 => enemy 298 152 -1 2;    0.09 0.5 0.5 0.5 => enemy 293 152 -6 2;
        0.099999994 max max max => enemy 288 292 -11 3;  0.07 0.25 0.75 0.5 => enemy 9 82 8 2;
        0.1 0.5 0.5 0.5 => 0 live, reseed, 1 draw)",
        [&] { return Count(state.enemies) ? Describe(state.enemies[0]) : Live() + ", " + random.summary(); },
        "", "enemies");
}

// It draws r1 and r2 only if it fires: the spawn roll and its fire roll else.
TEST_F(Rules, EnemyFiresOnARollBelowAQuarterFromBelowItsNewPosition)
{
    Check(R"(
        0.0 0.0 0.0 => shot 102 109 -3 5 enemy;   0.1 0.1 0.9 => shot 102 109 -2 9 enemy;
        0.2 0.5 0.5 => shot 102 109 2 7 enemy;    0.24999999 max max => shot 102 109 7 9 enemy;
        0.25 0.0 0.0 => 1 live, reseed, 2 draws)",
          [&] { return Count(state.shots) ? Describe(state.shots[0]) : Live() + ", " + random.summary(); },
          "enemy 100 100 2 3 0.99", "enemies");
}

TEST_F(Rules, PoolsFillTheLowestFreeSlotAndDropWhenFull)
{
    Run("shot 20 200 0 0 *201 enemy 100 100 0 0 *21 hold F");
    const std::string full = Dump();
    Run("eshot 7 7 7 7 enemy 7 7 7 7 0.0 0.3 0.4 0.5 0.0 0.5 0.5 tick"); // an entry, and enemy 0 fires
    EXPECT_EQ(Dump(), full);
    EXPECT_EQ(random.summary(), "reseed, 27 draws") << "4 for the entry, 3 for enemy 0, 20 fire rolls";
    state.shots[150].active = state.shots[40].active = false;
    state.enemies[2].active = state.enemies[0].active = false;
    Run("eshot 77 78 1 2 shot 88 89 3 4 enemy 10 20 -3 4 enemy 30 40 5 6");
    EXPECT_EQ(Describe(state.shots[40]) + ", " + Describe(state.shots[150]) + ", " +
                  Describe(state.enemies[0]) + ", " + Describe(state.enemies[2]),
              "shot 77 78 1 2 enemy, shot 88 89 3 4 player, enemy 10 20 -3 4, enemy 30 40 5 6");
    EXPECT_EQ(state.shots[150].active.bits() + state.shots[150].fromPlayer.bits(), -2) << "true is -1";
}

TEST_F(Rules, ResetKeepsFireHaltedAndStaleSlotsAndClearsTheRest)
{
    Run("hold U D L R F halted player 7 200 score 1230 shot 11 22 3 -4 *201 enemy 33 44 -5 6 *21 reset");
    EXPECT_EQ(Head() + ", " + Live() + ", " + Describe(state.shots[200]) + ", " + Describe(state.enemies[20]),
              "0 0 0 0 -1 -1 155 380 0, 0 live, idle shot 11 22 3 -4 player, idle enemy 33 44 -5 6");
}

// Enemies and shots move only from strictly inside 0 < x < 300, 0 < y < 400.
// On each edge the one at 1 (or 299, 399) steps out and is drawn there once,
// the one on the edge is dropped undrawn, and neither rolls to fire once out.
TEST_F(Rules, LiveAreaIsTestedBeforeTheMove)
{
    Check(R"(
        enemy 1 200 -1 0 enemy 0 200 1 0 => circle 0 200 5 255, 0 live, reseed, 2 draws, reseed, 1 draw;
        enemy 299 200 5 0 enemy 300 200 -1 0 => circle 304 200 5 255, 0 live, reseed, 2 draws, reseed, 1 draw;
        enemy 200 1 0 -1 enemy 200 0 0 1 => circle 200 0 5 255, 0 live, reseed, 2 draws, reseed, 1 draw;
        enemy 200 399 0 3 enemy 200 400 0 -1 => circle 200 402 5 255, 0 live, reseed, 2 draws, reseed, 1 draw;
        eshot 1 200 -1 0 eshot 0 200 5 0 => point 0 200 255, 0 live, reseed, 1 draw, reseed, 1 draw;
        eshot 299 200 5 0 eshot 300 200 -5 0 => point 304 200 255, 0 live, reseed, 1 draw, reseed, 1 draw;
        eshot 200 1 0 -1 eshot 200 0 0 5 => point 200 0 255, 0 live, reseed, 1 draw, reseed, 1 draw;
        eshot 50 399 0 3 eshot 50 400 0 -5 => point 50 402 255, 0 live, reseed, 1 draw, reseed, 1 draw)",
          [&] { return canvas.text() + ", " + Live() + ", " + random.summary(); }, "",
          "enemies shots enemies shots");
}

// A shot hits an enemy within 5 pixels on both axes, the player within 4.
// An enemy waits at 100,100 and each shot moves 5 up onto its spot.
TEST_F(Rules, HitReachOnBothSidesOfEachBound)
{
    Check(R"(
        shot 105 110 0 -5 => 10, 0 live;  shot 95 100 0 -5 => 10, 0 live;   shot 106 105 0 -5 => 0, 2 live;
        shot 94 105 0 -5 => 0, 2 live;    shot 100 111 0 -5 => 0, 2 live;  shot 100 99 0 -5 => 0, 2 live;
        shot 159 389 0 -5 => 0, 0 live gameover 0;  shot 151 381 0 -5 => 0, 0 live gameover 0;
        shot 160 385 0 -5 => 0, 2 live;   shot 150 385 0 -5 => 0, 2 live;
        shot 155 390 0 -5 => 0, 2 live;   shot 155 380 0 -5 => 0, 2 live;
        enemy 155 372 0 0 shot 155 381 0 -5 => 0, 0 live gameover 10)",
          [&] { return std::to_string(state.score.value()) + ", " + Live() + " " + status.text(); },
          "enemy 100 100 0 0", "shots");
}

// One shot takes out every enemy in reach, here on its last pass just outside
// the field, and scores 10 for each if it is the player's.
TEST_F(Rules, EachKillScoresTenButAnEnemyShotScoresNothing)
{
    Check(R"(
        shot 297 105 5 -5 => point 302 100 0, 50, 1 live;
        eshot 297 105 5 -5 => point 302 100 255, 20, 1 live)",
          [&] { return canvas.text() + ", " + std::to_string(state.score.value()) + ", " + Live(); },
          "score 20 enemy 300 100 0 0 enemy 305 95 0 0 enemy 308 100 0 0 enemy 297 105 0 0", "shots");
}

// Seen: the canvas's and the status's calls in order, the flags, player and
// score after, and the random source's calls. Rows: everything at once; a
// game over at shot 1 of 3 (shot 2 left alone, the frame still finished); a
// halted tick.
TEST_F(Rules, ATickKeepsItsOrderFinishesAfterAGameOverAndDoesNothingHalted)
{
    Check(R"(
        hold R F shot 199 70 0 -5 enemy 50 50 1 1 enemy 200 60 -1 2 0.01 0.5 0.5 0.0 0.0 0.5 0.5 0.5 0.5
            => clear, fill 255, circle 51 51 5 255, circle 199 62 5 255, circle 150 3 5 255, point 199 65 0,
               point 165 369 0, point 52 62 255, fill 0, circle 160 380 5, present, score 10
             | 0 0 -1 0 -1 0 160 380 10, reseed, 9 draws;
        player 100 300 score 30 enemy 20 20 0 1 shot 50 50 0 -5 eshot 100 290 0 6 eshot 200 200 0 6
            => clear, fill 255, circle 20 21 5 255, point 50 45 0, point 100 296 255, gameover 30, fill 0,
               circle 155 380 5, present, score 0 | 0 0 0 0 0 -1 155 380 0, reseed, 2 draws;
        halted hold F L U score 70 enemy 100 100 1 1 eshot 155 370 0 10 tick
            => | -1 -1 0 0 -1 -1 155 380 70,)",
          [&] { return calls.text() + " | " + Head() + ", " + random.summary(); }, "", "tick");
}

// From a game with the player at 40,380, score 120 and one shot: the flags,
// player and score, live records and the calls made.
TEST_F(Rules, KeysHoldFlagsAndEnterStartsAGame)
{
    Check(R"(
        press 38 => -1 0 0 0 0 0 40 380 120, 1 live;   halted press 37 => 0 -1 0 0 0 -1 40 380 120, 1 live;
        press 39 => 0 0 -1 0 0 0 40 380 120, 1 live;   halted press 40 => 0 0 0 -1 0 -1 40 380 120, 1 live;
        press 16 => 0 0 0 0 -1 0 40 380 120, 1 live;   halted press 16 => 0 0 0 0 -1 -1 40 380 120, 1 live;
        hold U D L R F halted lift 38 => 0 -1 -1 -1 -1 -1 40 380 120, 1 live;
        hold U D L R F lift 37 => -1 0 -1 -1 -1 0 40 380 120, 1 live;
        hold U D L R F halted lift 39 => -1 -1 0 -1 -1 -1 40 380 120, 1 live;
        hold U D L R F lift 40 => -1 -1 -1 0 -1 0 40 380 120, 1 live;
        hold U D L R F halted lift 16 => -1 -1 -1 -1 0 -1 40 380 120, 1 live;
        hold U F halted press 0 press 12 press 17 press 36 press 41 press 294 press 269 press -1 press -32768
            lift 12 lift 41 lift 294 lift 269 lift -1 lift 13 => -1 0 0 0 -1 -1 40 380 120, 1 live;
        hold U D L R F halted press 13 => 0 0 0 0 -1 0 155 380 0, 0 live hide;
        hold U D L R F press 13 => 0 0 0 0 -1 0 155 380 0, 0 live;
        hold U D L R F unfocus => 0 0 0 0 0 0 40 380 120, 1 live;
        hold U D L R F load => 0 0 0 0 0 -1 155 380 0, 0 live back 16777120)",
          [&] { return Head() + ", " + Live() + " " + status.text() + canvas.text(); },
          "player 40 380 score 120 shot 10 20 0 -5");
    EXPECT_EQ(game::MakeCaption(1, 0, 1), "ケルバド\u30001.0.1.");
    EXPECT_EQ(game::MakeCaption(1, 10, 1), "ケルバド\u30001.10.1.");
}

// Int rounds down; an overflow anywhere ends the program with status 70.
using RulesDeathTest = Rules;
TEST_F(RulesDeathTest, IntRoundsDownAndOverflowEndsTheProgram)
{
    for (const auto& [v, floor] :
         {std::pair{-0.11, -1}, {-5.5, -6}, {2.999, 2}, {-0.0, 0}, {32767.9, 32767}}) {
        EXPECT_EQ(game::Int(v).value(), floor) << v;
    }
    const std::pair<const char*, std::function<void()>> faults[] = {
        {"Integer 32767 + 1", [] { (void)(game::Integer(32767) + game::Integer(1)); }},
        {"Int(32768.0)", [] { (void)game::Int(32768.0); }},
        {"Abs(-32768)", [] { (void)game::Abs(game::Integer(-32768)); }},
        {"score from a hit", [this] { Run("score 2147483645 enemy 100 100 0 0 shot 100 105 0 -5 shots"); }},
    };
    for (const auto& [what, run] : faults) {
        EXPECT_EXIT(run(), ::testing::ExitedWithCode(70), "overflow") << what;
    }
}

// A stopped clock makes every run the same, so none of this can flake.
TEST(ClockSeededRandom, UniformInZeroToOneAndFreshAfterEveryReseed)
{
    constexpr auto stopped = []() noexcept -> std::uint64_t { return 1'234'567'890'123ULL; };
    game::ClockSeededRandom a(stopped);
    game::ClockSeededRandom b(stopped);
    std::array<float, 5> tick{}, last{};
    float lo = 1.0F, hi = 0.0F;
    for (int t = 0; t < 200'000; ++t) {
        a.reseed(), b.reseed(), last = tick;
        for (float& v : tick) {
            v = a.next();
            ASSERT_EQ(v, b.next()) << "same clock, same sequence";
            ASSERT_EQ(v * 16777216.0F, std::floor(v * 16777216.0F)) << "k / 2^24, so never 1";
            lo = std::min(lo, v), hi = std::max(hi, v);
        }
        ASSERT_NE(tick, last) << "an unchanged clock must still give new numbers";
    }
    EXPECT_TRUE(lo >= 0.0F && lo < 1e-5F && hi < 1.0F && hi > 1.0F - 1e-5F) << lo << " " << hi;
}

} // namespace
