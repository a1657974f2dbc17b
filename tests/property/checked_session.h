// A game as the window runs it, with every step checked.
//
// The session owns the state and the recording fakes of tests/rules/fakes.h,
// performs one step at a time (a key going down or up, the window losing the
// focus, a tick) and checks the state against what must always hold, and each
// tick against what every tick must do (invariants.h). Each step returns an
// empty string, or the first problem prefixed with the step's number, so that
// a failure can be found again in a replay.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "fakes.h"
#include "input.h"
#include "invariants.h"
#include "tick.h"

namespace game::checks {

// What was played, so that a test can tell that the checks saw real games.
struct SessionStats {
    std::uint64_t steps = 0;
    std::uint64_t ticks = 0;
    std::uint64_t runningTicks = 0;
    std::uint64_t gamesStarted = 0; // Enter with the panel up
    std::uint64_t restarts = 0;     // Enter during a game
    std::uint64_t gamesOver = 0;
    std::uint64_t scoringGames = 0; // ended by a hit with a score above 0
    std::int32_t bestScore = 0;
    std::uint64_t enemiesAdded = 0;
    std::uint64_t playerShotsAdded = 0;
    std::uint64_t enemyShotsAdded = 0;
    std::uint64_t enemiesShot = 0;        // by the player: points scored / 10
    std::uint64_t fullEnemyPoolTicks = 0; // running ticks that began with the pool full
    std::uint64_t fullShotPoolTicks = 0;
    std::size_t mostShots = 0;
    std::size_t mostEnemies = 0;

    void add(const SessionStats& o)
    {
        steps += o.steps;
        ticks += o.ticks;
        runningTicks += o.runningTicks;
        gamesStarted += o.gamesStarted;
        restarts += o.restarts;
        gamesOver += o.gamesOver;
        scoringGames += o.scoringGames;
        bestScore = std::max(bestScore, o.bestScore);
        enemiesAdded += o.enemiesAdded;
        playerShotsAdded += o.playerShotsAdded;
        enemyShotsAdded += o.enemyShotsAdded;
        enemiesShot += o.enemiesShot;
        fullEnemyPoolTicks += o.fullEnemyPoolTicks;
        fullShotPoolTicks += o.fullShotPoolTicks;
        mostShots = std::max(mostShots, o.mostShots);
        mostEnemies = std::max(mostEnemies, o.mostEnemies);
    }
};

inline std::string Describe(const SessionStats& s)
{
    return Say("ticks ", s.ticks, " (running ", s.runningTicks, "), games started ", s.gamesStarted,
               ", restarts ", s.restarts, ", games over ", s.gamesOver, " (", s.scoringGames,
               " with points, best ", s.bestScore, "), enemies added ", s.enemiesAdded, " shot ",
               s.enemiesShot, ", shots added ", s.playerShotsAdded, " by the player and ", s.enemyShotsAdded,
               " by enemies, ticks with a full pool ", s.fullEnemyPoolTicks, " (enemies) ",
               s.fullShotPoolTicks, " (shots), most live shots ", s.mostShots, ", most live enemies ",
               s.mostEnemies);
}

class CheckedSession {
public:
    explicit CheckedSession(RandomSource& source) : random_(source) {}

    // The window's start-up; must come first, as it does in the program.
    std::string load()
    {
        begin();
        LoadGame(state_, canvas_);
        end();
        return finish({}, "start-up");
    }

    std::string keyDown(std::int16_t code)
    {
        begin();
        KeyDown(state_, status_, code);
        end();
        if (code == 13) {
            ++(before_.halted != False ? stats_.gamesStarted : stats_.restarts);
        }
        return finish({}, "key down", code, true);
    }

    std::string keyUp(std::int16_t code)
    {
        begin();
        KeyUp(state_, code);
        end();
        return finish({}, "key up", code, true);
    }

    std::string loseFocus()
    {
        begin();
        ReleaseHeldKeys(state_);
        end();
        return finish({}, "focus lost");
    }

    std::string tick()
    {
        MarkStaleSlots(state_);
        begin();
        Tick(state_, canvas_, status_, random_);
        end();
        ++stats_.ticks;
        if (before_.halted != False) {
            return finish(CheckHaltedTick(before_, after_, canvas_.calls, status_.calls, random_.log),
                          "tick");
        }
        ++stats_.runningTicks;
        TickAdds adds;
        std::string problem = CheckTickTransition(before_, after_, adds);
        if (problem.empty()) {
            problem = CheckDrawingBounds(canvas_.calls);
        }
        if (problem.empty()) {
            count(adds);
        }
        return finish(std::move(problem), "tick");
    }

    [[nodiscard]] const GameState& state() const { return state_; }
    [[nodiscard]] const SessionStats& stats() const { return stats_; }

private:
    void begin()
    {
        Capture(state_, before_);
        canvas_.calls.clear(); // keeps the capacity: no allocation per tick
        status_.calls.clear();
        random_.log.clear();
        ++stats_.steps;
    }

    void end() { Capture(state_, after_); }

    std::string finish(std::string problem, const char* what, int code = 0, bool hasCode = false)
    {
        if (problem.empty()) {
            problem = CheckState(after_);
        }
        if (problem.empty()) {
            return problem;
        }
        const std::string step = hasCode ? Say(what, " ", code) : std::string(what);
        return Say("step ", stats_.steps, " (", step, ", tick ", stats_.ticks, "): ", problem);
    }

    void count(const TickAdds& adds)
    {
        stats_.enemiesAdded += adds.enemies;
        stats_.playerShotsAdded += adds.playerShots;
        stats_.enemyShotsAdded += adds.enemyShots;
        std::int32_t scoreAfter = after_.score;
        for (const std::string& call : status_.calls) {
            if (call.starts_with("gameover ")) {
                scoreAfter = static_cast<std::int32_t>(std::atoi(call.c_str() + 9));
                ++stats_.gamesOver;
                stats_.scoringGames += scoreAfter > 0 ? 1 : 0;
                stats_.bestScore = std::max(stats_.bestScore, scoreAfter);
            }
        }
        stats_.enemiesShot += static_cast<std::uint64_t>(std::max(0, scoreAfter - before_.score) / 10);
        const auto live = [](const auto& pool) {
            return static_cast<std::size_t>(
                std::count_if(pool.begin(), pool.end(), [](const auto& r) { return r.active != False; }));
        };
        stats_.fullEnemyPoolTicks += live(before_.enemies) == EnemySlots ? 1 : 0;
        stats_.fullShotPoolTicks += live(before_.shots) == ShotSlots ? 1 : 0;
        stats_.mostShots = std::max(stats_.mostShots, live(after_.shots));
        stats_.mostEnemies = std::max(stats_.mostEnemies, live(after_.enemies));
    }

    GameState state_{}; // every field zero, as when the window is created
    Snapshot before_;
    Snapshot after_;
    test::RecordingCanvas canvas_;
    test::RecordingStatus status_;
    test::RecordingRandom random_;
    SessionStats stats_;
};

} // namespace game::checks
