// SPDX-License-Identifier: MIT
#include "input.h"

namespace game {
namespace {

// The flag a key holds, if any.
Boolean* HeldFlag(GameState& state, std::int16_t code)
{
    switch (static_cast<KeyCode>(code)) {
    case KeyCode::Up:
        return &state.upHeld;
    case KeyCode::Down:
        return &state.downHeld;
    case KeyCode::Left:
        return &state.leftHeld;
    case KeyCode::Right:
        return &state.rightHeld;
    case KeyCode::Shift:
        return &state.fireHeld;
    case KeyCode::Enter:
        break;
    }
    return nullptr;
}

} // namespace

void KeyDown(GameState& state, Status& status, std::int16_t code)
{
    if (Boolean* flag = HeldFlag(state, code)) {
        *flag = true;
    } else if (code == static_cast<std::int16_t>(KeyCode::Enter)) {
        StartOrRestart(state, status);
    }
}

void KeyUp(GameState& state, std::int16_t code)
{
    if (Boolean* flag = HeldFlag(state, code)) {
        *flag = false;
    }
}

void StartOrRestart(GameState& state, Status& status)
{
    if (state.halted) {
        state.halted = false;
        status.hidePanel();
    }
    ResetGame(state);
}

void ReleaseHeldKeys(GameState& state)
{
    ReleaseArrows(state);
    state.fireHeld = false;
}

} // namespace game
