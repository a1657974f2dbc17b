// SPDX-License-Identifier: MIT
// libFuzzer over the rules. Bytes from the front are steps: a key down (0-95)
// or up (96-191) of one of eight (the game's six; two it ignores), focus lost
// (192-199) or 1 to 56 ticks; from the back, random numbers b / 256.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fakes.h"
#include "input.h"
#include "startup.h"
#include "tick.h"

// Instead of game/fault.cpp: libFuzzer notices an abort, not an _Exit.
void game::RaiseFault(const char* what) noexcept
{
    std::fprintf(stderr, "%sfatal error: %s\n", std::string(ErrorPrefix).c_str(), what);
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    static long long runningTicks = 0; // told at the end
    [[maybe_unused]] static const int told =
        std::atexit([] { std::printf("rules_fuzz: %lld running ticks\n", runningTicks); });
    const auto ensure = [](bool kept, const char* rule) {
        kept ? void() : (std::fprintf(stderr, "rules_fuzz: broken: %s\n", rule), std::abort());
    };
    game::GameState state;
    test::Fakes fake;
    fake.quiet = true;
    game::LoadGame(state, fake);
    for (std::size_t front = 0, back = size, ticks = 0; front < back && ticks < 1000;) {
        const unsigned step = data[front++];
        if (step < 192 && step % 8 < game::Keys.size()) {
            const game::KeyCode key = game::Keys[step % 8].code;
            step < 96 ? game::KeyDown(state, fake, key) : game::KeyUp(state, key);
        } else if (step >= 192 && step < 200) {
            game::ReleaseHeldKeys(state);
        }
        for (unsigned n = step < 200 ? 0 : step - 199; n > 0; --n, ++ticks) {
            // The most one tick draws: 4 for a new enemy, then for each enemy a fire roll and 2 for its shot.
            while (fake.script.size() < 4 + 3 * game::EnemySlots && back > front) {
                fake.script.push_back(static_cast<float>(data[--back]) / 256.0F);
            }
            const game::GameState was = state;
            game::Tick(state, fake, fake, fake);
            runningTicks += was.halted ? 0 : 1;
            const int x = state.playerX.value(), y = state.playerY.value(), score = state.score.value();
            ensure(!was.halted || std::memcmp(&was, &state, sizeof state) == 0, "a halted tick does nothing");
            ensure(was.halted || !state.halted || (score == 0 && x == 155), "a game over resets the game");
            ensure(x >= 5 && x <= 295 && x % 5 == 0 && y >= 104 && y <= 395 && y % 3 == 2, "player's grid");
            ensure(score >= 0 && score % 10 == 0, "10 points a kill");
        }
    }
    return 0;
}
