// SPDX-License-Identifier: MIT
// The game state: held keys, the player, the shot and enemy pools, the score.
#pragma once

#include <array>
#include <cstddef>

#include "checked.h"

namespace game {

struct Shot {
    Boolean active;
    Integer x;
    Integer y;
    Integer dx;
    Integer dy; // negative is upward
    Boolean fromPlayer;
};

struct Enemy {
    Boolean active;
    Integer x;
    Integer y;
    Integer dx;
    Integer dy;
};

inline constexpr std::size_t ShotSlots = 201;
inline constexpr std::size_t EnemySlots = 21;

// Every field is zero (false, 0) when the state is created. Inactive slots
// keep stale values that nothing reads until an add overwrites them all.
struct GameState {
    Boolean upHeld;
    Boolean leftHeld;
    Boolean rightHeld;
    Boolean downHeld;
    Boolean fireHeld;
    Integer playerX;
    Integer playerY;
    std::array<Shot, ShotSlots> shots{};
    std::array<Enemy, EnemySlots> enemies{};
    Long score;
    Boolean halted; // the start or game-over panel is up; ticks do nothing
};

// Where every game starts.
inline constexpr Integer PlayerStartX = 155;
inline constexpr Integer PlayerStartY = 380;

// Player back at the start, arrows released, score 0, both pools empty.
// fireHeld and halted are left as they are.
void ResetGame(GameState& state);

// The four arrows' flags released; Shift's is left as it is.
void ReleaseArrows(GameState& state);

// Takes the first free slot from index 0; a full pool drops the new shot.
void AddShot(GameState& state, Integer x, Integer y, Integer dx, Integer dy, Boolean fromPlayer);

// The same for enemies.
void AddEnemy(GameState& state, Integer x, Integer y, Integer dx, Integer dy);

} // namespace game
