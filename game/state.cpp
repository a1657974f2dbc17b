// SPDX-License-Identifier: MIT
#include "state.h"

#include <algorithm>

namespace game {

void ResetGame(GameState& state)
{
    state.playerX = PlayerStartX;
    state.playerY = PlayerStartY;
    ReleaseArrows(state);
    state.score = 0;
    for (auto& shot : state.shots) {
        shot.active = false;
    }
    for (auto& enemy : state.enemies) {
        enemy.active = false;
    }
}

void ReleaseArrows(GameState& state)
{
    state.upHeld = false;
    state.downHeld = false;
    state.leftHeld = false;
    state.rightHeld = false;
}

namespace {

template <typename Pool> auto FirstFreeSlot(Pool& pool)
{
    return std::find_if(pool.begin(), pool.end(), [](const auto& slot) { return !slot.active; });
}

} // namespace

void AddShot(GameState& state, Integer x, Integer y, Integer dx, Integer dy, Boolean fromPlayer)
{
    const auto slot = FirstFreeSlot(state.shots);
    if (slot != state.shots.end()) {
        *slot = Shot{true, x, y, dx, dy, fromPlayer};
    }
}

void AddEnemy(GameState& state, Integer x, Integer y, Integer dx, Integer dy)
{
    const auto slot = FirstFreeSlot(state.enemies);
    if (slot != state.enemies.end()) {
        *slot = Enemy{true, x, y, dx, dy};
    }
}

} // namespace game
