// SPDX-License-Identifier: MIT
// The rules through the fake, as tables: each row a script played on a fresh game in place of its table's
// '%', then the facts seen, "script => fact: value ...;". A row that differs, or cannot be read, fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
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

using namespace std::literals;

// The whole word as a T, or none.
template <typename T> std::optional<T> Parse(const std::string& word)
{
    T value{};
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() ? std::optional(value) : std::nullopt;
}

// The words of a text, one space apart.
std::string Words(const std::string& text)
{
    return std::regex_replace(std::regex_replace(text, std::regex("\\s+"), " "), std::regex("^ | $"), "");
}

struct Rules : testing::Test {
    game::GameState state;
    test::Fakes fake;

    // U D L R F H set flags; +K and -K press and lift the key of flag K (+E: Enter); a number with a point
    // is a random number to come (max: just below 1); *N makes N of the step before. Says what is unread.
    std::string Run(const std::string& script)
    {
        using Step = std::pair<std::size_t, std::function<void(const std::vector<int>&)>>;
        std::map<std::string, Step> steps{
            {"at", {2, [this](auto& a) { state.playerX = a[0], state.playerY = a[1]; }}},
            {"score", {1, [this](auto& a) { state.score = a[0]; }}},
            {"enemy", {4, [this](auto& a) { game::AddEnemy(state, a[0], a[1], a[2], a[3]); }}},
            {"shot", {4, [this](auto& a) { game::AddShot(state, a[0], a[1], a[2], a[3], true); }}},
            {"eshot", {4, [this](auto& a) { game::AddShot(state, a[0], a[1], a[2], a[3], false); }}},
            {"tick", {0, [this](auto&) { game::Tick(state, fake, fake, fake); }}},
            {"enemies", {0, [this](auto&) { game::UpdateEnemies(state, fake, fake); }}},
            {"shots", {0, [this](auto&) { game::UpdateShots(state, fake, fake); }}},
            {"unfocus", {0, [this](auto&) { game::ReleaseHeldKeys(state); }}},
            {"load", {0, [this](auto&) { game::LoadGame(state, fake); }}},
            {"reset", {0, [this](auto&) { game::ResetGame(state); }}}};
        using enum game::KeyCode;
        const game::KeyCode keys[] = {Up, Down, Left, Right, Shift, Enter};
        for (std::size_t i = 0; i < std::size(keys); ++i) {
            steps["UDLRFH"s.substr(i, 1)] = {0, [this, f = test::Flags[i]](auto&) { state.*f = true; }};
            steps["+"s + "UDLRFE"[i]] = {0, [this, k = keys[i]](auto&) { game::KeyDown(state, fake, k); }};
            steps["-"s + "UDLRFE"[i]] = {0, [this, k = keys[i]](auto&) { game::KeyUp(state, k); }};
        }
        std::function<void()> last;
        std::istringstream in(script);
        for (std::string word; in >> word;) {
            const auto step = steps.find(word);
            std::vector<int> args;
            for (std::string arg;
                 step != steps.end() && args.size() < step->second.first && in >> arg && Parse<int>(arg);) {
                args.push_back(*Parse<int>(arg));
            }
            if (word == "max" || (word.find('.') != std::string::npos && Parse<float>(word))) {
                fake.script.push_back(word == "max" ? std::nextafter(1.0F, 0.0F) : *Parse<float>(word));
            } else if (word[0] == '*' && last && Parse<int>(word.substr(1)) > 1) {
                for (int n = *Parse<int>(word.substr(1)); n > 1; --n) {
                    last();
                }
            } else if (step != steps.end() && args.size() == step->second.first) {
                (last = [&run = step->second.second, args] { run(args); })();
            } else {
                return "cannot read " + word;
            }
        }
        return {};
    }

    // Plays each row of a table on a fresh game and fails it where it cannot be read, checks nothing, or
    // names a fact after its "=>" that is not as seen.
    void Check(const std::string& around, const std::string& table)
    {
        std::istringstream rows(table);
        for (std::string row; std::getline(rows, row, ';');) {
            const auto arrow = std::min(row.find("=>"), row.size());
            state = {}, fake = {};
            game::ResetGame(state);
            const std::string unread = Run(std::regex_replace(around, std::regex("%"), row.substr(0, arrow)));
            const std::map<std::string, std::string> facts{
                {"at:", N(state.playerX) + " " + N(state.playerY)},
                {"score:", N(state.score)},
                {"shot0:", Describe(state.shots[0])},
                {"shot200:", Describe(state.shots[200])},
                {"enemy0:", Describe(state.enemies[0])},
                {"enemy20:", Describe(state.enemies[20])},
                {"live:", std::to_string(Live(state.shots) + Live(state.enemies))},
                {"draws:", std::to_string(fake.draws)},
                {"calls:", fake.calls},
                {"flags:", test::Held(state)}};
            const std::string expected = Words(row.substr(std::min(arrow + 2, row.size())));
            std::string seen, word;
            for (std::istringstream in(expected); in >> word;) {
                seen += facts.contains(word) ? " " + word + " " + facts.at(word) : "";
            }
            seen = !unread.empty() ? unread : seen.empty() ? "checks nothing" : Words(seen);
            EXPECT_EQ(seen, expected) << "in the row \"" << Words(row) << '"';
        }
    }

    static long Live(auto& p)
    {
        return std::ranges::count_if(p, [](auto& s) { return bool(s.active); });
    }
    static std::string N(auto v) { return std::to_string(v.value()); }
    static std::string Describe(const auto& r) // a shot's ends in whose it is
    {
        std::string text = (r.active ? "" : "idle ") + N(r.x) + " " + N(r.y) + " " + N(r.dx) + " " + N(r.dy);
        if constexpr (requires { r.fromPlayer; }) {
            text += r.fromPlayer ? " player" : " enemy";
        }
        return text;
    }
};

// A test of one rule: its table played round the given script.
#define RULE(name, around, table)                                                                            \
    TEST_F(Rules, name)                                                                                      \
    {                                                                                                        \
        Check(around, table);                                                                                \
    }

// Each limit is tested before the step, which may cross it; a shot is seen after its first move.
RULE(PlayerStopsAtItsLimitsAndItsShotTakesTheMoveMade, "%", R"(
        L tick *33 => at: 5 380;    R tick *31 => at: 295 380;   at 6 380 L tick => at: 1 380;
        U tick *95 => at: 155 104;  D tick *8 => at: 155 395;    at 294 380 R tick => at: 299 380;
        at 155 106 U tick => at: 155 103;  at 155 105 U tick => at: 155 105;
        at 155 394 D tick => at: 155 397;  at 5 380 L R tick *3 => at: 10 380;
        at 155 104 U D tick *3 => at: 155 107;   F tick => shot0: 155 369 0 -5 player;
        F U tick => shot0: 155 364 0 -7 player;      F D tick => shot0: 155 374 0 -3 player;
        F L tick => shot0: 145 369 -5 -5 player;     F R tick => shot0: 165 369 5 -5 player;
        at 5 380 F L tick => shot0: 5 369 0 -5 player;  at 155 105 F U tick => shot0: 155 94 0 -5 player)")

// Rolls Int(r * 50) 0-2 top, 3 left, 4 right (0.06F, 0.08F lie a hair below);
// from the right dx rounds down. An enemy fires on a roll below a quarter.
RULE(EachEntryKindAtTheEndsOfItsDrawsAndEnemyFire, "% enemies", R"(
        0.0 0.0 0.0 0.0 => enemy0: 5 3 -5 2;               0.03 0.25 0.5 0.4 => enemy0: 80 5 0 4;
        0.06 max max max => enemy0: 294 7 5 6;             0.060000002 0.0 0.0 0.0 => enemy0: 1 11 0 1;
        0.08 max max max => enemy0: 11 292 10 3;           0.080000004 0.0 0.0 0.0 => enemy0: 299 11 0 1;
        0.09 0.5 0.01 0.5 => enemy0: 298 152 -1 2;         0.09 0.5 0.5 0.5 => enemy0: 293 152 -6 2;
        0.099999994 max max max => enemy0: 288 292 -11 3;  0.07 0.25 0.75 0.5 => enemy0: 9 82 8 2;
        0.1 0.5 0.5 0.5 => live: 0 draws: 1;
        enemy 100 100 2 3 0.99 0.0 0.0 0.0 => shot0: 102 109 -3 5 enemy;
        enemy 100 100 2 3 0.99 0.2 0.5 0.5 => shot0: 102 109 2 7 enemy;
        enemy 100 100 2 3 0.99 0.24999999 max max => shot0: 102 109 7 9 enemy;
        enemy 100 100 2 3 0.99 0.25 0.0 0.0 => live: 1 draws: 2)")

// Full pools drop what comes but still draw its numbers: 4 for the newcomer,
// 21 fire rolls, 2 for enemy 0's lost shot. A reset keeps Shift and halted.
RULE(PoolsFillTheLowestFreeSlotDropWhenFullAndResetKeepsStaleSlots, "%", R"(
        F shot 20 200 0 0 *201 enemy 100 100 0 0 *21 eshot 7 7 7 7 enemy 7 7 7 7
            0.0 0.3 0.4 0.5 0.0 0.5 0.5 tick => live: 222 draws: 27 shot0: 20 200 0 0 player
            shot200: 20 200 0 0 player enemy0: 100 100 0 0 enemy20: 100 100 0 0;
        U D L R F H at 7 200 score 1230 shot 11 22 3 -4 *201 enemy 33 44 -5 6 *21 reset
            => flags: ----FH at: 155 380 score: 0 live: 0
               shot200: idle 11 22 3 -4 player enemy20: idle 33 44 -5 6)")

// Only inside 0 < x < 300, 0 < y < 400 does anything move, so it goes undrawn.
RULE(LiveAreaIsTestedBeforeTheMove, "% enemies shots enemies shots", R"(
        enemy 1 200 -1 0 enemy 0 200 1 0 => calls: reseed 0, circle 0 200 5 red, reseed 2 draws: 3 live: 0;
        enemy 299 200 5 0 enemy 300 200 -1 0 => calls: reseed 0, circle 304 200 5 red, reseed 2 live: 0;
        enemy 200 1 0 -1 enemy 200 0 0 1 => calls: reseed 0, circle 200 0 5 red, reseed 2 live: 0;
        enemy 200 399 0 3 enemy 200 400 0 -1 => calls: reseed 0, circle 200 402 5 red, reseed 2 live: 0;
        eshot 50 399 0 3 eshot 50 400 0 -5 => calls: reseed 0, point 50 402 red, reseed 1 live: 0)")

// A shot hits an enemy within 5 pixels on both axes, the player within 4. It
// takes out every enemy in reach, even on its last pass outside the field,
// and scores 10 for each if it is the player's; an enemy's shot, none.
RULE(HitReachOnBothSidesOfEachBoundAndTenPointsAKill, "enemy 100 100 0 0 % shots", R"(
        shot 105 110 0 -5 => score: 10 live: 0;  shot 95 100 0 -5 => score: 10 live: 0;
        shot 106 105 0 -5 shot 94 105 0 -5 shot 100 111 0 -5 shot 100 99 0 -5 => score: 0 live: 5;
        shot 159 389 0 -5 => calls: point 159 384 black, gameover 0;
        shot 151 381 0 -5 => calls: point 151 376 black, gameover 0;
        shot 160 385 0 -5 shot 150 385 0 -5 shot 155 390 0 -5 shot 155 380 0 -5 => live: 5;
        enemy 155 372 0 0 shot 155 381 0 -5 => calls: point 155 376 black, gameover 10 live: 0;
        score 20 enemy 300 100 0 0 enemy 305 95 0 0 enemy 308 100 0 0 enemy 297 105 0 0 shot 297 105 5 -5
            => calls: point 302 100 black score: 50 live: 2;
        score 20 enemy 300 100 0 0 enemy 305 95 0 0 enemy 308 100 0 0 enemy 297 105 0 0 eshot 297 105 5 -5
            => calls: point 302 100 red score: 20 live: 2)")

// Everything at once; a game over at shot 1 of 3, the frame still finished; halted.
RULE(ATickKeepsItsOrderFinishesAfterAGameOverAndDoesNothingHalted, "% tick", R"(
        R F shot 199 70 0 -5 enemy 50 50 1 1 enemy 200 60 -1 2 0.01 0.5 0.5 0.0 0.0 0.5 0.5 0.5 0.5
            => calls: clear, fill red, reseed 0, circle 51 51 5 red, circle 199 62 5 red, circle 150 3 5 red,
               point 199 65 black, point 165 369 black, point 52 62 red, fill black, circle 160 380 5,
               present, score 10 draws: 9 score: 10;
        at 100 300 score 30 enemy 20 20 0 1 shot 50 50 0 -5 eshot 100 290 0 6 eshot 200 200 0 6
            => calls: clear, fill red, reseed 0, circle 20 21 5 red, point 50 45 black, point 100 296 red,
               gameover 30, fill black, circle 155 380 5, present, score 0 flags: -----H;
        H F L U score 70 enemy 100 100 1 1 eshot 155 370 0 10
            => calls: draws: 0 flags: U-L-FH at: 155 380 score: 70 live: 2)")

// Arrows and Shift hold their flags, halted or not; Enter starts a game, taking any panel down.
RULE(KeysHoldFlagsAndEnterStartsAGame, "at 40 380 score 120 shot 10 20 0 -5 %", R"(
        +U => flags: U-----;  +D => flags: -D----;  H +L => flags: --L--H;  +R => flags: ---R--;
        H +F => flags: ----FH;  U L R -L => flags: U--R--;
        U D L R F H -F => flags: UDLR-H at: 40 380 score: 120 live: 1 calls: ;
        U F H -E => flags: U---FH at: 40 380 score: 120 live: 1 calls: ;
        U D L R F H +E => flags: ----F- at: 155 380 score: 0 live: 0 calls: hide;
        U D L R F +E => flags: ----F- at: 155 380 score: 0 live: 0 calls: ;
        U D L R F unfocus => flags: ------ at: 40 380 live: 1;
        U D L R F load => flags: -----H at: 155 380 score: 0 live: 0 calls: back cyan)")

// An overflow anywhere ends the program with status 70.
using RulesDeathTest = Rules;
TEST_F(RulesDeathTest, OverflowEndsTheProgram)
{
    const auto ends = testing::ExitedWithCode(70);
    EXPECT_EXIT((void)(game::Integer(32767) + game::Integer(1)), ends, "overflow");
    EXPECT_EXIT((void)game::Int(32768.0), ends, "overflow");
    EXPECT_EXIT((void)game::Abs(game::Integer(-32768)), ends, "overflow");
    EXPECT_EXIT(Run("score 2147483645 enemy 100 100 0 0 shot 100 105 0 -5 shots"), ends, "overflow");
}

// A stopped clock makes every run the same, so none of this can flake.
TEST(ClockSeededRandom, FreshNumbersFromZeroToJustBelowOneAfterEveryReseed)
{
    game::ClockSeededRandom random([]() noexcept -> std::uint64_t { return 1'234'567'890'123ULL; });
    std::set<float> seen;
    for (int tick = 0; tick < 100'000; ++tick) {
        random.reseed();
        const float v = *seen.insert(random.next()).first;
        ASSERT_TRUE(v >= 0.0F && v < 1.0F && v * 16777216.0F == std::floor(v * 16777216.0F)) << v;
    }
    EXPECT_GT(seen.size(), 99'000U) << "an unchanged clock must still give new numbers";
    EXPECT_TRUE(*seen.begin() < 1e-4F && *seen.rbegin() > 1.0F - 1e-4F) << "the whole range";
}

} // namespace
