// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace game {

// The score line and the start / game-over panel, as the rules change them.
class Status {
public:
    virtual ~Status() = default;

    // The score line reads the score followed by "p".
    virtual void showScore(std::int32_t score) = 0;
    // The panel comes up with the game-over title and the final score.
    virtual void showGameOver(std::int32_t score) = 0;
    virtual void hidePanel() = 0;

protected:
    Status() = default;
    Status(const Status&) = default;
    Status& operator=(const Status&) = default;
};

} // namespace game
