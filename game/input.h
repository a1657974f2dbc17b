// SPDX-License-Identifier: MIT
// What the keyboard does to the game.
#pragma once

#include <array>
#include <cstdint>

#include "state.h"
#include "status.h"

namespace game {

// The game's keys. A key the game does not use never gets this far.
enum class KeyCode : std::uint8_t { Enter, Shift, Left, Up, Right, Down };

// The game's keys: each arrow and Shift holds its flag while down; Enter,
// which holds none, starts a game.
struct Key {
    KeyCode code;
    Boolean GameState::*held;
};
inline constexpr std::array<Key, 6> Keys{{
    {KeyCode::Enter, nullptr},
    {KeyCode::Shift, &GameState::fireHeld},
    {KeyCode::Left, &GameState::leftHeld},
    {KeyCode::Up, &GameState::upHeld},
    {KeyCode::Right, &GameState::rightHeld},
    {KeyCode::Down, &GameState::downHeld},
}};

// A key went down, or repeated while held: its flag is held, or Enter starts
// or restarts a game.
void KeyDown(GameState& state, Status& status, KeyCode code);

// A key came up: its flag, if it has one, is released.
void KeyUp(GameState& state, KeyCode code);

// Every held-key flag released: at start-up, and whenever the window stops
// receiving keys (focus lost or window deactivated), since the key-ups that
// follow would never reach it and a released key would stay "held".
void ReleaseHeldKeys(GameState& state);

} // namespace game
