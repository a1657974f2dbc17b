// A game as the window runs it, with every step checked.
//
// The session owns the state and recording fakes, performs one step at a time
// (a key going down or up, the window losing the focus, a tick) and checks it:
// the step against what it must do, then the state against what must always
// hold. Each step returns an empty string, or the first problem prefixed with
// the step's number, so that a failure can be found again in a replay.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "expected_steps.h"
#include "input.h"
#include "invariants.h"
#include "recorders.h"
#include "tick.h"

namespace game::checks {

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
    std::uint64_t enemiesDropped = 0;
    std::uint64_t playerShotsAdded = 0;
    std::uint64_t enemyShotsAdded = 0;
    std::uint64_t shotsDropped = 0;
    std::uint64_t enemiesDestroyed = 0;
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
        enemiesDropped += o.enemiesDropped;
        playerShotsAdded += o.playerShotsAdded;
        enemyShotsAdded += o.enemyShotsAdded;
        shotsDropped += o.shotsDropped;
        enemiesDestroyed += o.enemiesDestroyed;
        mostShots = std::max(mostShots, o.mostShots);
        mostEnemies = std::max(mostEnemies, o.mostEnemies);
    }
};

inline std::string Describe(const SessionStats& s)
{
    return Say("ticks ", s.ticks, " (running ", s.runningTicks, "), games started ", s.gamesStarted,
               ", restarts ", s.restarts, ", games over ", s.gamesOver, " (", s.scoringGames,
               " with points, best ", s.bestScore, "), enemies added ", s.enemiesAdded, " dropped ",
               s.enemiesDropped, " destroyed ", s.enemiesDestroyed, ", shots added ", s.playerShotsAdded,
               " by the player and ", s.enemyShotsAdded, " by enemies, dropped ", s.shotsDropped,
               ", most live shots ", s.mostShots, ", most live enemies ", s.mostEnemies);
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
        Snapshot want = ExpectFocusLost(before_);
        ExpectReset(want);
        want.halted = True;
        std::string problem = CompareSnapshots(want, after_);
        if (problem.empty() &&
            (canvas_.calls.size() != 1 || canvas_.calls.front().kind != CanvasCall::Kind::SetBackColour)) {
            problem =
                Say("start-up made ", canvas_.calls.size(), " canvas calls; expected one setBackColour");
        }
        if (problem.empty() && (!status_.untouched() || !random_.untouched())) {
            problem = "start-up touched the status display or the random source";
        }
        return finish(std::move(problem), "start-up");
    }

    std::string keyDown(std::int16_t code)
    {
        begin();
        KeyDown(state_, status_, code);
        end();
        int panelsHidden = 0;
        std::string problem = CompareSnapshots(ExpectKeyDown(before_, code, panelsHidden), after_);
        if (problem.empty() &&
            (status_.panelsHidden != panelsHidden || !status_.scores.empty() || !status_.gameOvers.empty() ||
             !canvas_.calls.empty() || !random_.untouched())) {
            problem = Say("hid the panel ", status_.panelsHidden, " times (expected ", panelsHidden,
                          ") or touched the score line, canvas or random source");
        }
        if (code == 13) {
            ++(before_.halted != False ? stats_.gamesStarted : stats_.restarts);
        }
        return finish(std::move(problem), "key down", code, true);
    }

    std::string keyUp(std::int16_t code)
    {
        begin();
        KeyUp(state_, code);
        end();
        return finish(CompareSnapshots(ExpectKeyUp(before_, code), after_), "key up", code, true);
    }

    std::string loseFocus()
    {
        begin();
        ReleaseHeldKeys(state_);
        end();
        return finish(CompareSnapshots(ExpectFocusLost(before_), after_), "focus lost");
    }

    std::string tick()
    {
        MarkStaleSlots(state_);
        begin();
        Tick(state_, canvas_, status_, random_);
        end();
        ++stats_.ticks;
        std::string problem;
        if (before_.halted != False) {
            problem = CheckHaltedTick(before_, after_, canvas_, status_, random_);
        } else {
            ++stats_.runningTicks;
            problem = CheckTickTransition(before_, after_);
            if (problem.empty()) {
                problem = CheckDrawingBounds(canvas_.calls);
            }
            if (problem.empty()) {
                PredictRunningTick(before_, random_.draws, want_);
                problem = CheckRunningTick(want_, after_, canvas_, status_, random_);
                if (problem.empty()) {
                    count(want_);
                }
            }
        }
        return finish(std::move(problem), "tick");
    }

    [[nodiscard]] const GameState& state() const { return state_; }
    [[nodiscard]] const SessionStats& stats() const { return stats_; }

private:
    void begin()
    {
        Capture(state_, before_);
        canvas_.forget();
        status_.forget();
        random_.forget();
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

    void count(const TickPrediction& want)
    {
        stats_.enemiesAdded += static_cast<std::uint64_t>(want.counts.enemiesAdded);
        stats_.enemiesDropped += static_cast<std::uint64_t>(want.counts.enemiesDropped);
        stats_.playerShotsAdded += static_cast<std::uint64_t>(want.counts.playerShotsAdded);
        stats_.enemyShotsAdded += static_cast<std::uint64_t>(want.counts.enemyShotsAdded);
        stats_.shotsDropped += static_cast<std::uint64_t>(want.counts.shotsDropped);
        stats_.enemiesDestroyed += static_cast<std::uint64_t>(want.counts.enemiesDestroyed);
        for (const std::int32_t score : want.gameOvers) {
            ++stats_.gamesOver;
            if (score > 0) {
                ++stats_.scoringGames;
            }
            stats_.bestScore = std::max(stats_.bestScore, score);
        }
        const auto shots = static_cast<std::size_t>(std::count_if(
            after_.shots.begin(), after_.shots.end(), [](const ShotBits& r) { return r.active != False; }));
        const auto enemies =
            static_cast<std::size_t>(std::count_if(after_.enemies.begin(), after_.enemies.end(),
                                                   [](const EnemyBits& r) { return r.active != False; }));
        stats_.mostShots = std::max(stats_.mostShots, shots);
        stats_.mostEnemies = std::max(stats_.mostEnemies, enemies);
    }

    GameState state_{}; // every field zero, as when the window is created
    Snapshot before_;
    Snapshot after_;
    TickPrediction want_;
    RecordingCanvas canvas_;
    RecordingStatus status_;
    RecordingRandom random_;
    SessionStats stats_;
};

} // namespace game::checks
