// SPDX-License-Identifier: MIT
// What the keyboard does to the game.
#pragma once

#include <cstdint>

#include "state.h"
#include "status.h"

namespace game {

// Virtual-key codes, as the window system names the game's keys.
enum class KeyCode : std::int16_t {
    Enter = 13,
    Shift = 16,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
};

// A key went down, or repeated while held. Arrows and Shift hold their flag;
// Enter starts or restarts a game; every other code is ignored.
void KeyDown(GameState& state, Status& status, std::int16_t code);

// A key came up: its flag, if it has one, is released.
void KeyUp(GameState& state, std::int16_t code);

// Enter: takes down the panel if it is up, and always starts a fresh game.
void StartOrRestart(GameState& state, Status& status);

// Every held-key flag released: at start-up, and whenever the window stops
// receiving keys (focus lost or window deactivated), since the key-ups that
// follow would never reach it and a released key would stay "held".
void ReleaseHeldKeys(GameState& state);

} // namespace game
