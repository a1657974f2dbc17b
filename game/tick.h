// SPDX-License-Identifier: MIT
// One tick of the game: the window's timer runs it once every TickInterval.
#pragma once

#include <chrono>

#include "canvas.h"
#include "random.h"
#include "state.h"
#include "status.h"

namespace game {

// How often a running game ticks.
inline constexpr std::chrono::milliseconds TickInterval{50};

// Player movement and limits.
inline constexpr Integer PlayerSpeedX = 5;
inline constexpr Integer PlayerSpeedY = 3;
inline constexpr Integer PlayerLeftLimit = 5;    // move left only while x > 5
inline constexpr Integer PlayerRightLimit = 295; // move right only while x < 295
inline constexpr Integer PlayerTopLimit = 105;   // move up only while y > 105
inline constexpr Integer PlayerBottomLimit = 395;
inline constexpr Integer PlayerShotOffset = 6;     // above the player's centre
inline constexpr Integer PlayerShotBaseSpeed = -5; // along y
inline constexpr Integer DiscRadius = 5;           // player and enemies alike

// Enemies.
inline constexpr int SpawnRollRange = 50;
inline constexpr int FireRollRange = 4;
inline constexpr Integer EnemyShotOffset = 6; // below the enemy's centre

// Hits: the distance in x and in y must both be below the reach.
inline constexpr Integer EnemyReach = 6;
inline constexpr Integer PlayerReach = 5;
inline constexpr Long PointsPerEnemy = 10;

// The whole tick. Does nothing at all while the game is halted.
void Tick(GameState& state, Canvas& canvas, Status& status, RandomSource& random);

// The enemies' turn: reseed, maybe spawn one enemy, then move, draw and maybe
// fire every live enemy.
void UpdateEnemies(GameState& state, Canvas& canvas, RandomSource& random);

// The shots' turn: move and draw every live shot, test it against every enemy
// and then the player; a shot that reaches the player ends the game.
void UpdateShots(GameState& state, Canvas& canvas, Status& status);

} // namespace game
