// SPDX-License-Identifier: MIT
// The rules through the fake, as tables. Each row is a script played on a
// fresh game and the facts then seen, "script => fact: value ...;".
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "fakes.h"
#include "input.h"
#include "startup.h"
#include "tick.h"

namespace {

using Args = std::vector<int>;
using game::GameState;

struct Rules : testing::Test {
    GameState state;
    test::Fakes fake;

    void SetUp() override { game::ResetGame(state); }

    // A number with a point is queued as a random number ("max": just below 1),
    // "*N" makes N of the step before, U D L R F (Shift) and "halted" set their
    // flags, and any other word is a step taking the whole numbers after it.
    void Run(const std::string& script)
    {
        const std::map<std::string, game::Boolean GameState::*> flags{
            {"U", &GameState::upHeld},    {"D", &GameState::downHeld}, {"L", &GameState::leftHeld},
            {"R", &GameState::rightHeld}, {"F", &GameState::fireHeld}, {"halted", &GameState::halted}};
        const std::map<std::string, std::function<void(const Args&)>> steps{
            {"player", [this](auto& a) { state.playerX = a.at(0), state.playerY = a.at(1); }},
            {"score", [this](auto& a) { state.score = a.at(0); }},
            {"enemy", [this](auto& a) { game::AddEnemy(state, a.at(0), a.at(1), a.at(2), a.at(3)); }},
            {"shot", [this](auto& a) { game::AddShot(state, a.at(0), a.at(1), a.at(2), a.at(3), true); }},
            {"eshot", [this](auto& a) { game::AddShot(state, a.at(0), a.at(1), a.at(2), a.at(3), false); }},
            {"tick", [this](auto&) { game::Tick(state, fake, fake, fake); }},
            {"enemies", [this](auto&) { game::UpdateEnemies(state, fake, fake); }},
            {"shots", [this](auto&) { game::UpdateShots(state, fake, fake); }},
            {"press", [this](auto& a) { game::KeyDown(state, fake, static_cast<game::KeyCode>(a.at(0))); }},
            {"lift", [this](auto& a) { game::KeyUp(state, static_cast<game::KeyCode>(a.at(0))); }},
            {"unfocus", [this](auto&) { game::ReleaseHeldKeys(state); }},
            {"load", [this](auto&) { game::LoadGame(state, fake); }},
            {"reset", [this](auto&) { game::ResetGame(state); }},
        };
        std::vector<std::pair<std::string, Args>> plan;
        std::istringstream in(script);
        for (std::string word; in >> word;) {
            if (word == "max" || word.find('.') != std::string::npos) {
                fake.script.push_back(word == "max" ? std::nextafter(1.0F, 0.0F) : std::stof(word));
            } else if (word[0] == '*') {
                plan.insert(plan.end(), std::stoul(word.substr(1)) - 1, plan.back());
            } else if (std::isalpha(word[0]) != 0) {
                plan.emplace_back(word, Args{});
            } else {
                plan.back().second.push_back(std::stoi(word));
            }
        }
        for (const auto& [step, args] : plan) {
            flags.contains(step) ? void(state.*flags.at(step) = true) : steps.at(step)(args);
        }
    }

    // The facts a row names, as they are now.
    std::string Seen(const std::string& expected) const
    {
        const std::map<std::string, std::function<std::string()>> facts{
            {"at:", [this] { return N(state.playerX) + " " + N(state.playerY); }},
            {"score:", [this] { return N(state.score); }},
            {"shot0:", [this] { return Describe(state.shots[0]); }},
            {"shot200:", [this] { return Describe(state.shots[200]); }},
            {"enemy0:", [this] { return Describe(state.enemies[0]); }},
            {"enemy20:", [this] { return Describe(state.enemies[20]); }},
            {"live:", [this] { return std::to_string(Live(state.shots) + Live(state.enemies)); }},
            {"draws:", [this] { return std::to_string(fake.draws); }},
            {"calls:", [this] { return Join(fake.calls); }},
            {"flags:", // up left right down fire halted
             [this] {
                 return Join({N(state.upHeld), N(state.leftHeld), N(state.rightHeld), N(state.downHeld),
                              N(state.fireHeld), N(state.halted)});
             }},
        };
        std::string seen;
        std::istringstream in(expected);
        for (std::string word; in >> word;) {
            seen += facts.contains(word) ? word + " " + facts.at(word)() + " " : "";
        }
        return seen;
    }

    // Plays each row on a fresh game, between `before` and `after`.
    void Check(const std::string& rows, const std::string& before = "", const std::string& after = "")
    {
        std::istringstream in(rows);
        for (std::string row; std::getline(in, row, ';');) {
            const auto arrow = row.find("=>");
            state = {}, fake = {};
            game::ResetGame(state);
            Run(before + " " + row.substr(0, arrow) + " " + after);
            const auto squeeze = [](const std::string& s) {
                return std::regex_replace(s, std::regex("\\s+"), " ");
            };
            const std::string expected = squeeze(row.substr(arrow + 2) + " ");
            EXPECT_EQ(squeeze(" " + Seen(expected)), expected) << row.substr(0, arrow);
        }
    }

    static std::string N(game::Boolean b) { return std::to_string(b.bits()); }
    static std::string N(auto v) { return std::to_string(v.value()); }
    static std::string Join(const std::vector<std::string>& words)
    {
        std::string out;
        for (const auto& word : words) {
            out += (out.empty() ? "" : ", ") + word;
        }
        return out;
    }
    static long Live(const auto& pool)
    {
        return std::count_if(pool.begin(), pool.end(), [](const auto& r) { return bool(r.active); });
    }
    static std::string Describe(const game::Enemy& r)
    {
        return (r.active ? "" : "idle ") + N(r.x) + " " + N(r.y) + " " + N(r.dx) + " " + N(r.dy);
    }
    static std::string Describe(const game::Shot& s)
    {
        return Describe(game::Enemy{s.active, s.x, s.y, s.dx, s.dy}) + (s.fromPlayer ? " player" : " enemy");
    }
};

// Each limit is tested before the step, so the last step may cross it. A
// shot is seen after its first move, in the tick that fires it.
TEST_F(Rules, PlayerStopsAtItsLimitsAndItsShotTakesTheMoveMade)
{
    Check(R"(
        L tick *33 => at: 5 380;    R tick *31 => at: 295 380;   player 6 380 L tick => at: 1 380;
        U tick *95 => at: 155 104;  D tick *8 => at: 155 395;    player 294 380 R tick => at: 299 380;
        player 155 106 U tick => at: 155 103;  player 155 105 U tick => at: 155 105;
        player 155 394 D tick => at: 155 397;  player 5 380 L R tick *3 => at: 10 380;
        player 155 104 U D tick *3 => at: 155 107;   F tick => shot0: 155 369 0 -5 player;
        F U tick => shot0: 155 364 0 -7 player;      F D tick => shot0: 155 374 0 -3 player;
        F L tick => shot0: 145 369 -5 -5 player;     F R tick => shot0: 165 369 5 -5 player;
        player 5 380 F L tick => shot0: 5 369 0 -5 player;
        player 155 105 F U tick => shot0: 155 94 0 -5 player)");
}

// Rolls Int(r * 50) 0-2 top, 3 left, 4 right (0.06F, 0.08F lie a hair below);
// from the right dx rounds down. An enemy fires on a roll below a quarter.
TEST_F(Rules, EachEntryKindAtTheEndsOfItsDrawsAndEnemyFire)
{
    Check(R"(
        0.0 0.0 0.0 0.0 => enemy0: 5 3 -5 2;               0.03 0.25 0.5 0.4 => enemy0: 80 5 0 4;
        0.06 max max max => enemy0: 294 7 5 6;             0.060000002 0.0 0.0 0.0 => enemy0: 1 11 0 1;
        0.08 max max max => enemy0: 11 292 10 3;           0.080000004 0.0 0.0 0.0 => enemy0: 299 11 0 1;
        0.09 0.5 0.01 0.5 => enemy0: 298 152 -1 2;         0.09 0.5 0.5 0.5 => enemy0: 293 152 -6 2;
        0.099999994 max max max => enemy0: 288 292 -11 3;  0.07 0.25 0.75 0.5 => enemy0: 9 82 8 2;
        0.1 0.5 0.5 0.5 => live: 0 draws: 1;
        enemy 100 100 2 3 0.99 0.0 0.0 0.0 => shot0: 102 109 -3 5 enemy;
        enemy 100 100 2 3 0.99 0.1 0.1 0.9 => shot0: 102 109 -2 9 enemy;
        enemy 100 100 2 3 0.99 0.2 0.5 0.5 => shot0: 102 109 2 7 enemy;
        enemy 100 100 2 3 0.99 0.24999999 max max => shot0: 102 109 7 9 enemy;
        enemy 100 100 2 3 0.99 0.25 0.0 0.0 => live: 1 draws: 2)",
          "", "enemies");
}

// Full pools drop what comes but still draw its numbers: 4 for the newcomer,
// 21 fire rolls, 2 for enemy 0's lost shot. A reset keeps Shift and halted.
TEST_F(Rules, PoolsFillTheLowestFreeSlotDropWhenFullAndResetKeepsStaleSlots)
{
    Check(R"(
        F shot 20 200 0 0 *201 enemy 100 100 0 0 *21 eshot 7 7 7 7 enemy 7 7 7 7
            0.0 0.3 0.4 0.5 0.0 0.5 0.5 tick => live: 222 draws: 27 shot0: 20 200 0 0 player
            shot200: 20 200 0 0 player enemy0: 100 100 0 0 enemy20: 100 100 0 0;
        U D L R F halted player 7 200 score 1230 shot 11 22 3 -4 *201 enemy 33 44 -5 6 *21 reset
            => flags: 0, 0, 0, 0, -1, -1 at: 155 380 score: 0 live: 0
               shot200: idle 11 22 3 -4 player enemy20: idle 33 44 -5 6)");
}

// Only inside 0 < x < 300, 0 < y < 400 does anything move, so it goes undrawn.
TEST_F(Rules, LiveAreaIsTestedBeforeTheMove)
{
    Check(R"(
        enemy 1 200 -1 0 enemy 0 200 1 0 => calls: reseed 0, circle 0 200 5 255, reseed 2 draws: 3 live: 0;
        enemy 299 200 5 0 enemy 300 200 -1 0 => calls: reseed 0, circle 304 200 5 255, reseed 2 live: 0;
        enemy 200 1 0 -1 enemy 200 0 0 1 => calls: reseed 0, circle 200 0 5 255, reseed 2 live: 0;
        enemy 200 399 0 3 enemy 200 400 0 -1 => calls: reseed 0, circle 200 402 5 255, reseed 2 live: 0;
        eshot 50 399 0 3 eshot 50 400 0 -5 => calls: reseed 0, point 50 402 255, reseed 1 live: 0)",
          "", "enemies shots enemies shots");
}

// A shot hits an enemy within 5 pixels on both axes, the player within 4.
TEST_F(Rules, HitReachOnBothSidesOfEachBound)
{
    Check(R"(
        shot 105 110 0 -5 => score: 10 live: 0;  shot 95 100 0 -5 => score: 10 live: 0;
        shot 106 105 0 -5 => score: 0 live: 2;   shot 94 105 0 -5 => score: 0 live: 2;
        shot 100 111 0 -5 => score: 0 live: 2;   shot 100 99 0 -5 => score: 0 live: 2;
        shot 159 389 0 -5 => calls: point 159 384 0, gameover 0;
        shot 151 381 0 -5 => calls: point 151 376 0, gameover 0;
        shot 160 385 0 -5 => live: 2;  shot 150 385 0 -5 => live: 2;  shot 155 390 0 -5 => live: 2;
        shot 155 380 0 -5 => live: 2;
        enemy 155 372 0 0 shot 155 381 0 -5 => calls: point 155 376 0, gameover 10 live: 0)",
          "enemy 100 100 0 0", "shots");
}

// One shot takes out every enemy in reach, even on its last pass outside the
// field, and scores 10 for each if it is the player's; an enemy's shot, none.
TEST_F(Rules, EachKillScoresTenButAnEnemyShotScoresNothing)
{
    Check(R"(
        shot 297 105 5 -5 => calls: point 302 100 0 score: 50 live: 1;
        eshot 297 105 5 -5 => calls: point 302 100 255 score: 20 live: 1)",
          "score 20 enemy 300 100 0 0 enemy 305 95 0 0 enemy 308 100 0 0 enemy 297 105 0 0", "shots");
}

// Everything at once; a game over at shot 1 of 3, the frame still finished; halted.
TEST_F(Rules, ATickKeepsItsOrderFinishesAfterAGameOverAndDoesNothingHalted)
{
    Check(R"(
        R F shot 199 70 0 -5 enemy 50 50 1 1 enemy 200 60 -1 2 0.01 0.5 0.5 0.0 0.0 0.5 0.5 0.5 0.5
            => calls: clear, fill 255, reseed 0, circle 51 51 5 255, circle 199 62 5 255, circle 150 3 5 255,
               point 199 65 0, point 165 369 0, point 52 62 255, fill 0, circle 160 380 5, present, score 10
               draws: 9 score: 10;
        player 100 300 score 30 enemy 20 20 0 1 shot 50 50 0 -5 eshot 100 290 0 6 eshot 200 200 0 6
            => calls: clear, fill 255, reseed 0, circle 20 21 5 255, point 50 45 0, point 100 296 255,
               gameover 30, fill 0, circle 155 380 5, present, score 0 flags: 0, 0, 0, 0, 0, -1;
        halted F L U score 70 enemy 100 100 1 1 eshot 155 370 0 10
            => calls: draws: 0 flags: -1, -1, 0, 0, -1, -1 at: 155 380 score: 70 live: 2)",
          "", "tick");
}

TEST_F(Rules, KeysHoldFlagsAndEnterStartsAGame)
{
    Check(R"(
        press 38 => flags: -1, 0, 0, 0, 0, 0;         halted press 37 => flags: 0, -1, 0, 0, 0, -1;
        press 39 => flags: 0, 0, -1, 0, 0, 0;         halted press 40 => flags: 0, 0, 0, -1, 0, -1;
        press 16 => flags: 0, 0, 0, 0, -1, 0;         U D L R F lift 37 => flags: -1, 0, -1, -1, -1, 0;
        U D L R F halted lift 16 => flags: -1, -1, -1, -1, 0, -1 at: 40 380 score: 120 live: 1 calls: ;
        U F halted press 0 press 12 press 17 press 36 press 41 press 294 press -1 press -32768
            lift 12 lift 41 lift 294 lift -1 lift 13 => flags: -1, 0, 0, 0, -1, -1 at: 40 380 live: 1 calls: ;
        U D L R F halted press 13 => flags: 0, 0, 0, 0, -1, 0 at: 155 380 score: 0 live: 0 calls: hide;
        U D L R F press 13 => flags: 0, 0, 0, 0, -1, 0 at: 155 380 score: 0 live: 0 calls: ;
        U D L R F unfocus => flags: 0, 0, 0, 0, 0, 0 at: 40 380 live: 1;
        U D L R F load => flags: 0, 0, 0, 0, 0, -1 at: 155 380 score: 0 live: 0 calls: back 16777120)",
          "player 40 380 score 120 shot 10 20 0 -5");
}

// An overflow anywhere ends the program with status 70.
using RulesDeathTest = Rules;
TEST_F(RulesDeathTest, OverflowEndsTheProgram)
{
    const std::function<void()> overflows[] = {
        [] { (void)(game::Integer(32767) + game::Integer(1)); }, [] { (void)game::Int(32768.0); },
        [] { (void)game::Abs(game::Integer(-32768)); },
        [this] { Run("score 2147483645 enemy 100 100 0 0 shot 100 105 0 -5 shots"); }};
    for (const auto& overflow : overflows) {
        EXPECT_EXIT(overflow(), testing::ExitedWithCode(70), "overflow");
    }
}

// A stopped clock makes every run the same, so none of this can flake.
TEST(ClockSeededRandom, FreshNumbersFromZeroToJustBelowOneAfterEveryReseed)
{
    game::ClockSeededRandom random([]() noexcept -> std::uint64_t { return 1'234'567'890'123ULL; });
    std::set<float> seen;
    for (int tick = 0; tick < 100'000; ++tick) {
        random.reseed();
        const float v = random.next();
        ASSERT_TRUE(v >= 0.0F && v < 1.0F && v * 16777216.0F == std::floor(v * 16777216.0F)) << v;
        seen.insert(v);
    }
    EXPECT_GT(seen.size(), 99'000U) << "an unchanged clock must still give new numbers";
    EXPECT_TRUE(*seen.begin() < 1e-4F && *seen.rbegin() > 1.0F - 1e-4F) << "the whole range";
}

} // namespace
