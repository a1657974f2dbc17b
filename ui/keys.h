// SPDX-License-Identifier: MIT
// Which of the toolkit's keys are the game's.
#pragma once

#include <optional>

#include "input.h"

namespace ui {

// The game's key for a key, or none for a key the game does not use. Only the
// key itself counts, never the modifiers: Shift is a key of its own here, and
// every Shift and every Enter key counts alike.
[[nodiscard]] std::optional<game::KeyCode> GameKey(int qtKey);

} // namespace ui
