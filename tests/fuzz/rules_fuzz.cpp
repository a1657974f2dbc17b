// SPDX-License-Identifier: MIT
// libFuzzer over the rules. Bytes from the front are steps: a key down (0-95)
// or up (96-191) of one of eight codes, focus lost (192-199) or 1 to 56 ticks;
// bytes from the back are the random numbers, b / 256. Broken rules abort.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fakes.h"
#include "input.h"
#include "tick.h"

// Stands in for game/fault.cpp: libFuzzer notices an abort, not an _Exit.
void game::RaiseFault(const char* what) noexcept
{
    std::fprintf(stderr, "kerubado: fatal error: %s\n", what);
    std::abort();
}

namespace {

unsigned long long runningTicks = 0;
const struct Report {
    ~Report() { std::printf("rules_fuzz: %llu running ticks\n", runningTicks); }
} report;

const auto Ensure = [](bool ok, const char* why) {
    ok ? void() : (std::fprintf(stderr, "rules_fuzz: %s\n", why), std::abort());
};
const auto Live = [](const auto& r) { return bool(r.active); };
// A live record moved this tick, so it came from inside the field.
const auto CameFromInside = [](const auto& r) {
    return Abs(r.x - r.dx - 150) < 150 && Abs(r.y - r.dy - 200) < 200;
};
// A live shot this close to a live target would have hit it.
const auto OutOfReach = [](const game::Shot& shot, game::Integer x, game::Integer y, int reach) {
    return Abs(shot.x - x) >= reach || Abs(shot.y - y) >= reach;
};

void CheckState(const game::GameState& s)
{
    const int x = s.playerX.value(), y = s.playerY.value(), score = s.score.value();
    Ensure(x >= 5 && x <= 295 && x % 5 == 0 && y >= 104 && y <= 395 && y % 3 == 2, "player off its grid");
    Ensure(score >= 0 && score % 10 == 0, "score not a multiple of 10");
    for (const auto& shot : s.shots) {
        Ensure(!Live(shot) || (CameFromInside(shot) && OutOfReach(shot, s.playerX, s.playerY, 5)),
               "a live shot that did not move or that reaches the player");
    }
    for (const auto& e : s.enemies) {
        if (Live(e)) {
            Ensure(CameFromInside(e), "a live enemy that did not move");
            for (const auto& shot : s.shots) {
                Ensure(!Live(shot) || OutOfReach(shot, e.x, e.y, 6), "a live shot in reach of a live enemy");
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    static constexpr std::int16_t Codes[] = {13, 16, 37, 38, 39, 40, 17, 294};
    game::GameState state;
    test::RecordingCanvas canvas;
    test::RecordingStatus status;
    test::ScriptedRandom random;
    canvas.quiet = status.quiet = random.quiet = true;
    game::LoadGame(state, canvas);
    for (std::size_t front = 0, back = size, ticks = 0; front < back && ticks < 1000; CheckState(state)) {
        const unsigned step = data[front++];
        if (step < 192) {
            step < 96 ? game::KeyDown(state, status, Codes[step % 8]) : game::KeyUp(state, Codes[step % 8]);
        } else if (step < 200) {
            game::ReleaseHeldKeys(state);
        }
        for (unsigned n = step < 200 ? 0 : step - 199; n > 0; --n, ++ticks, CheckState(state)) {
            while (random.script.size() < 67 && back > front) { // the most one tick can draw
                random.script.push_back(static_cast<float>(data[--back]) / 256.0F);
            }
            unsigned char before[sizeof state];
            std::memcpy(before, &state, sizeof state);
            const bool halted = bool(state.halted);
            const auto calls = canvas.count + status.count + random.count;
            game::Tick(state, canvas, status, random);
            runningTicks += halted ? 0 : 1;
            Ensure(!halted || (std::memcmp(before, &state, sizeof state) == 0 &&
                               calls == canvas.count + status.count + random.count),
                   "a halted tick did something");
            Ensure(halted || !state.halted ||
                       (state.score == 0 && state.playerX == 155 && state.playerY == 380 &&
                        std::none_of(state.shots.begin(), state.shots.end(), Live) &&
                        std::none_of(state.enemies.begin(), state.enemies.end(), Live)),
                   "a game over left the game behind");
        }
    }
    return 0;
}
