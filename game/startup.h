// SPDX-License-Identifier: MIT
// What the window's start-up takes from the rules: the game set up and
// halted, the game's title, and the caption made from it.
#pragma once

#include <string>
#include <string_view>

#include "canvas.h"
#include "state.h"
#include "version.h"

namespace game {

// The caption and the start panel both show it.
inline constexpr std::string_view Title = "ケルバド";

// The window's start-up: keys released, a fresh game, the field's background
// colour set, and halted until Enter.
void LoadGame(GameState& state, Canvas& canvas);

// The version in decimal, "1.0.1".
std::string VersionText(Version version);

// The title and an ideographic space, followed by the version and a final
// full stop.
std::string MakeCaption(Version version);

} // namespace game
