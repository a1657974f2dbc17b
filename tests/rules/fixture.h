// Shared set-up for the rules tests: a running game with recording fakes, and
// one-line descriptions of records so that a failure prints what went wrong.
#pragma once

#include <cmath>
#include <gtest/gtest.h>
#include <string>

#include "fakes.h"
#include "state.h"
#include "tick.h"

namespace test {

// The largest value the random source can give.
inline const float AlmostOne = std::nextafter(1.0F, 0.0F);

inline std::string Describe(const game::Shot& s)
{
    return std::string(s.active ? "shot " : "idle shot ") + std::to_string(s.x.value()) + " " +
           std::to_string(s.y.value()) + " " + std::to_string(s.dx.value()) + " " +
           std::to_string(s.dy.value()) + (s.fromPlayer ? " player" : " enemy");
}

inline std::string Describe(const game::Enemy& e)
{
    return std::string(e.active ? "enemy " : "idle enemy ") + std::to_string(e.x.value()) + " " +
           std::to_string(e.y.value()) + " " + std::to_string(e.dx.value()) + " " +
           std::to_string(e.dy.value());
}

// Every field and every bit of every flag, stale slots included.
inline std::string Dump(const game::GameState& s)
{
    std::string out;
    for (const game::Boolean b : {s.upHeld, s.leftHeld, s.rightHeld, s.downHeld, s.fireHeld, s.halted}) {
        out += std::to_string(b.bits()) + " ";
    }
    out += std::to_string(s.playerX.value()) + " " + std::to_string(s.playerY.value()) + " " +
           std::to_string(s.score.value()) + "\n";
    for (const auto& shot : s.shots) {
        out += Describe(shot) + " " + std::to_string(shot.active.bits()) + "\n";
    }
    for (const auto& enemy : s.enemies) {
        out += Describe(enemy) + " " + std::to_string(enemy.active.bits()) + "\n";
    }
    return out;
}

inline int CountActive(const auto& pool)
{
    int n = 0;
    for (const auto& slot : pool) {
        n += slot.active ? 1 : 0;
    }
    return n;
}

// A game in progress: player at the start, empty pools, not halted.
class RulesTest : public ::testing::Test {
protected:
    void SetUp() override { game::ResetGame(state); }

    void tick() { game::Tick(state, canvas, status, random); }

    game::GameState state;
    RecordingCanvas canvas;
    RecordingStatus status;
    ScriptedRandom random;
};

} // namespace test
