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

std::string VersionText(Version version)
{
    return std::to_string(version.majorPart) + "." + std::to_string(version.minorPart) + "." +
           std::to_string(version.revision);
}

std::string MakeCaption(Version version)
{
    return std::string(Title) + "\u3000" + VersionText(version) + ".";
}

} // namespace game
