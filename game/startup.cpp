// SPDX-License-Identifier: MIT
#include "startup.h"

#include "input.h"

namespace game {

void LoadGame(GameState& state, Canvas& canvas)
{
    ReleaseHeldKeys(state);
    ResetGame(state);
    canvas.setBackColour(PaleCyan);
    state.halted = true;
}

std::string MakeCaption(int major, int minor, int revision)
{
    return std::string(Title) + "\u3000" + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision) + ".";
}

} // namespace game
