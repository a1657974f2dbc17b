// SPDX-License-Identifier: MIT
// The one fake of the play field, the status display and the random source:
// calls land in one line ("clear, fill red, reseed 0" with the draws so far);
// the script runs out into 0.99: no enemy, no shot. `quiet` keeps no calls.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "canvas.h"
#include "random.h"
#include "state.h"
#include "status.h"

namespace test {

// The flags in the order every test shares, U D L R F H: up, down, left, right, fire (Shift), halted; as
// Held writes them, '-' for one not set and '?' for one set to other than -1.
inline constexpr game::Boolean game::GameState::*Flags[] = {
    &game::GameState::upHeld,    &game::GameState::downHeld, &game::GameState::leftHeld,
    &game::GameState::rightHeld, &game::GameState::fireHeld, &game::GameState::halted};
inline std::string Held(const game::GameState& s)
{
    std::string held;
    for (const auto flag : Flags) {
        held += (s.*flag).bits() == -1 ? "UDLRFH"[held.size()] : (s.*flag).bits() == 0 ? '-' : '?';
    }
    return held;
}

struct Fakes final : game::Canvas, game::Status, game::RandomSource {
    std::string calls;
    std::deque<float> script;
    long draws = 0;
    bool quiet = false;

    static std::string Text(double v) { return std::to_string(static_cast<long long>(v)); }
    static std::string Text(game::Colour c) // the game's colours by name
    {
        return c == 0xFF ? "red" : c == 0 ? "black" : c == 0xFFFFA0 ? "cyan" : std::to_string(c);
    }
    void add(std::string call, auto... values)
    {
        if (!quiet) {
            // append, not " " + ...: GCC 12 warns falsely (-Wrestrict) on that at -O2
            ((call.append(" ").append(Text(values))), ...);
            calls.append(calls.empty() ? "" : ", ").append(call);
        }
    }
    void setBackColour(game::Colour c) override { add("back", c); }
    void clear() override { add("clear"); }
    void setFillColour(game::Colour c) override { add("fill", c); }
    void drawCircle(double x, double y, double r, game::Colour c) override { add("circle", x, y, r, c); }
    void drawCircle(double x, double y, double r) override { add("circle", x, y, r); }
    void drawPoint(double x, double y, game::Colour c) override { add("point", x, y, c); }
    void present() override { add("present"); }
    void showScore(std::int32_t s) override { add("score", double(s)); }
    void showGameOver(std::int32_t s) override { add("gameover", double(s)); }
    void hidePanel() override { add("hide"); }
    void reseed() override { add("reseed", double(draws)); }
    float next() override
    {
        ++draws;
        const float v = script.empty() ? 0.99F : script.front();
        script.erase(script.begin(), script.begin() + (script.empty() ? 0 : 1));
        return v;
    }
};

} // namespace test
