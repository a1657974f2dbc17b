// A restless player at the keyboard, driven by a seeded generator so that a
// failing game can be played again exactly.
//
// Between two ticks it presses and releases arrows (with the repeats a held
// key produces), holds Shift a good part of the time so that games score,
// presses Enter when a panel is up and now and then in the middle of a game,
// loses the focus and presses keys the game does not use.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "checked_session.h"

namespace game::checks {

class RandomPlayer {
public:
    explicit RandomPlayer(std::uint32_t seed) : rng_(seed) {}

    // The key events before one tick, then the tick; the first problem, if any.
    std::string playTick(CheckedSession& session)
    {
        if (std::string problem = keys(session); !problem.empty()) {
            return problem;
        }
        return session.tick();
    }

private:
    static constexpr std::array<std::int16_t, 4> Arrows{37, 38, 39, 40};
    static constexpr std::int16_t Shift = 16;
    static constexpr std::int16_t Enter = 13;

    bool chance(unsigned oneIn) { return rng_() % oneIn == 0; }

    std::string keys(CheckedSession& session)
    {
        std::string problem;
        auto press = [&](std::int16_t code) {
            if (problem.empty()) {
                problem = session.keyDown(code);
            }
        };
        auto release = [&](std::int16_t code) {
            if (problem.empty()) {
                problem = session.keyUp(code);
            }
        };

        if (session.state().halted ? chance(8) : chance(3000)) {
            press(Enter); // start from the panel, or now and then restart
            release(Enter);
        }
        for (std::size_t i = 0; i < Arrows.size(); ++i) {
            if (!arrowHeld_[i] && chance(10)) {
                arrowHeld_[i] = true;
                press(Arrows[i]);
            } else if (arrowHeld_[i] && chance(6)) {
                arrowHeld_[i] = false;
                release(Arrows[i]);
            } else if (arrowHeld_[i] && chance(3)) {
                press(Arrows[i]); // the key repeating while held
            }
        }
        // Shift is held about a third of the time: enough for games to score,
        // few enough shots for long games to stay quick in a Debug build.
        if (!shiftHeld_ && chance(24)) {
            shiftHeld_ = true;
            press(Shift);
        } else if (shiftHeld_ && chance(12)) {
            shiftHeld_ = false;
            release(Shift);
        } else if (shiftHeld_ && chance(4)) {
            press(Shift); // repeating
        }
        if (chance(50)) {
            // Any code at all; the six game codes are as likely as any other.
            const auto code = static_cast<std::int16_t>(static_cast<std::uint16_t>(rng_()));
            press(code);
            release(code);
        }
        if (chance(2000)) {
            arrowHeld_.fill(false);
            shiftHeld_ = false;
            if (problem.empty()) {
                problem = session.loseFocus();
            }
        }
        return problem;
    }

    std::mt19937 rng_;
    std::array<bool, 4> arrowHeld_{};
    bool shiftHeld_ = false;
};

} // namespace game::checks
