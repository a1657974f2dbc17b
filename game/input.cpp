// SPDX-License-Identifier: MIT
#include "input.h"

#include <algorithm>

namespace game {
namespace {

// The flag a key holds, if any.
Boolean* HeldFlag(GameState& state, KeyCode code)
{
    const auto* key = std::ranges::find(Keys, code, &Key::code);
    return key != Keys.end() && key->held != nullptr ? &(state.*key->held) : nullptr;
}

// Enter: takes down the panel if it is up, and always starts a fresh game.
void StartOrRestart(GameState& state, Status& status)
{
    if (state.halted) {
        state.halted = false;
        status.hidePanel();
    }
    ResetGame(state);
}

} // namespace

void KeyDown(GameState& state, Status& status, KeyCode code)
{
    if (Boolean* flag = HeldFlag(state, code)) {
        *flag = true;
    } else if (code == KeyCode::Enter) {
        StartOrRestart(state, status);
    }
}

void KeyUp(GameState& state, KeyCode code)
{
    if (Boolean* flag = HeldFlag(state, code)) {
        *flag = false;
    }
}

void ReleaseHeldKeys(GameState& state)
{
    ReleaseArrows(state);
    state.fireHeld = false;
}

} // namespace game
