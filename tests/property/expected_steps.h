// What each step must do, worked out independently of the rules' own code.
//
// A running tick is replayed here in plain numbers from the state before it
// and the random numbers it actually drew; the game's state, drawing and
// status calls must then agree field for field. Together with the stale-slot
// marks this also pins down first fit: the prediction says exactly which free
// slot each new enemy and shot must take.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "invariants.h"
#include "recorders.h"

namespace game::checks {

inline int Floor(double v)
{
    return static_cast<int>(std::floor(v));
}
inline std::int16_t I16(int v)
{
    return static_cast<std::int16_t>(v);
}

struct PlayerStep {
    int hdir = 0;
    int vdir = 0;
    int x = 0;
    int y = 0;
};

// Left wins over right and up over down, each only while short of its limit.
inline PlayerStep StepPlayer(const Snapshot& s)
{
    PlayerStep step;
    if (s.leftHeld != False && s.playerX > 5) {
        step.hdir = -1;
    } else if (s.rightHeld != False && s.playerX < 295) {
        step.hdir = 1;
    }
    if (s.upHeld != False && s.playerY > 105) {
        step.vdir = -1;
    } else if (s.downHeld != False && s.playerY < 395) {
        step.vdir = 1;
    }
    step.x = s.playerX + 5 * step.hdir;
    step.y = s.playerY + 3 * step.vdir;
    return step;
}

// Player to the start, arrows up, score 0, pools empty; the rest stays.
inline void ExpectReset(Snapshot& s)
{
    s.playerX = StartX;
    s.playerY = StartY;
    s.upHeld = s.downHeld = s.leftHeld = s.rightHeld = False;
    s.score = 0;
    for (ShotBits& shot : s.shots) {
        shot.active = False;
    }
    for (EnemyBits& enemy : s.enemies) {
        enemy.active = False;
    }
}

// What the tick did, as counts, once it has been found to agree.
struct TickCounts {
    int enemiesAdded = 0;
    int enemiesDropped = 0; // spawned into a full pool
    int playerShotsAdded = 0;
    int enemyShotsAdded = 0;
    int shotsDropped = 0; // fired into a full pool
    int enemiesDestroyed = 0;
};

struct TickPrediction {
    Snapshot state;
    std::vector<CanvasCall> canvas;
    std::vector<std::int32_t> gameOvers;
    std::int32_t shownScore = 0;
    std::size_t drawsNeeded = 0;
    TickCounts counts;
};

class TickPredictor {
public:
    // Fills `out`, reusing its buffers: the prediction runs every tick.
    TickPredictor(const Snapshot& before, const std::vector<float>& draws, TickPrediction& out)
        : draws_(draws), p_(out)
    {
        p_.state = before;
        p_.canvas.clear();
        p_.gameOvers.clear();
        p_.counts = {};
    }

    void run()
    {
        Snapshot& s = p_.state;
        const PlayerStep step = StepPlayer(s);
        s.playerX = I16(step.x);
        s.playerY = I16(step.y);
        if (s.fireHeld != False) {
            addShot(step.x, step.y - 6, 5 * step.hdir, 2 * step.vdir - 5, True);
        }
        p_.canvas.push_back({CanvasCall::Kind::Clear});
        p_.canvas.push_back({CanvasCall::Kind::SetFillColour, 0, 0, 0, Red});
        enemies();
        shots();
        p_.canvas.push_back({CanvasCall::Kind::SetFillColour, 0, 0, 0, Black});
        p_.canvas.push_back({CanvasCall::Kind::DrawPlayerCircle, static_cast<double>(s.playerX),
                             static_cast<double>(s.playerY), 5, 0});
        p_.canvas.push_back({CanvasCall::Kind::Present});
        p_.shownScore = s.score;
        p_.drawsNeeded = next_;
    }

private:
    // Past the end of what was drawn the prediction is already known to be
    // off (drawsNeeded tells), so any value will do to finish it.
    double draw()
    {
        const double v = next_ < draws_.size() ? static_cast<double>(draws_[next_]) : 0.5;
        ++next_;
        return v;
    }

    void addShot(int x, int y, int dx, int dy, std::int16_t fromPlayer)
    {
        for (ShotBits& shot : p_.state.shots) {
            if (shot.active == False) {
                shot = {True, I16(x), I16(y), I16(dx), I16(dy), fromPlayer};
                ++(fromPlayer == True ? p_.counts.playerShotsAdded : p_.counts.enemyShotsAdded);
                return;
            }
        }
        ++p_.counts.shotsDropped;
    }

    void addEnemy(int x, int y, int dx, int dy)
    {
        for (EnemyBits& enemy : p_.state.enemies) {
            if (enemy.active == False) {
                enemy = {True, I16(x), I16(y), I16(dx), I16(dy)};
                ++p_.counts.enemiesAdded;
                return;
            }
        }
        ++p_.counts.enemiesDropped;
    }

    void enemies()
    {
        const int roll = Floor(draw() * 50);
        if (roll <= 4) {
            const double r1 = draw();
            const double r2 = draw();
            const double r3 = draw();
            if (roll <= 2) {
                addEnemy(Floor(r1 * 280) + 10, 1, Floor(r2 * 11) - 5, 2 * Floor(r3 * 3) + 2);
            } else if (roll == 3) {
                addEnemy(1, Floor(r1 * 280) + 10, Floor(r2 * 11), Floor(r3 * 3) + 1);
            } else {
                addEnemy(299, Floor(r1 * 280) + 10, Floor(r2 * -11), Floor(r3 * 3) + 1);
            }
        }
        for (EnemyBits& e : p_.state.enemies) {
            if (e.active != False && Live(e.x, e.y)) {
                e.x = I16(e.x + e.dx);
                e.y = I16(e.y + e.dy);
                p_.canvas.push_back({CanvasCall::Kind::DrawCircle, static_cast<double>(e.x),
                                     static_cast<double>(e.y), 5, Red});
                if (Floor(draw() * 4) == 0) {
                    const double r1 = draw();
                    const double r2 = draw();
                    addShot(e.x, e.y + 6, Floor(r1 * 11) + e.dx - 5, 2 * Floor(r2 * 3) + e.dy + 2, False);
                }
            } else if (e.active != False) {
                e.active = False;
            }
        }
    }

    void shots()
    {
        Snapshot& s = p_.state;
        for (ShotBits& shot : s.shots) {
            if (shot.active == False) {
                continue;
            }
            if (!Live(shot.x, shot.y)) {
                shot.active = False;
                continue;
            }
            shot.x = I16(shot.x + shot.dx);
            shot.y = I16(shot.y + shot.dy);
            const bool fromPlayer = shot.fromPlayer != False;
            p_.canvas.push_back({CanvasCall::Kind::DrawPoint, static_cast<double>(shot.x),
                                 static_cast<double>(shot.y), 0, fromPlayer ? Black : Red});
            for (EnemyBits& e : s.enemies) {
                if (e.active != False && std::abs(e.y - shot.y) < 6 && std::abs(e.x - shot.x) < 6) {
                    e.active = False;
                    shot.active = False;
                    ++p_.counts.enemiesDestroyed;
                    if (fromPlayer) {
                        s.score += 10;
                    }
                }
            }
            if (std::abs(s.playerY - shot.y) < 5 && std::abs(s.playerX - shot.x) < 5) {
                s.halted = True;
                p_.gameOvers.push_back(s.score);
                ExpectReset(s);
                return; // every slot is inactive now: the rest of the pass does nothing
            }
        }
    }

    const std::vector<float>& draws_;
    std::size_t next_ = 0;
    TickPrediction& p_;
};

inline void PredictRunningTick(const Snapshot& before, const std::vector<float>& draws, TickPrediction& out)
{
    TickPredictor(before, draws, out).run();
}

// Checks a running tick against its prediction: random numbers first (a
// different count makes everything after meaningless), then the state, the
// drawing and the status display.
inline std::string CheckRunningTick(const TickPrediction& want, const Snapshot& got,
                                    const RecordingCanvas& canvas, const RecordingStatus& status,
                                    const RecordingRandom& random)
{
    if (random.reseeds != 1 || random.drawsBeforeReseed != 0) {
        return Say("a running tick must reseed once before drawing; it reseeded ", random.reseeds,
                   " times and drew ", random.drawsBeforeReseed, " numbers first");
    }
    for (std::size_t n = 0; n < random.draws.size(); ++n) {
        const float v = random.draws[n];
        if (!(v >= 0.0F && v < 1.0F)) {
            return Say("random number ", n, " of the tick is ", v, ", outside [0, 1)");
        }
    }
    if (random.draws.size() != want.drawsNeeded) {
        return Say("the tick drew ", random.draws.size(), " random numbers where the rules draw ",
                   want.drawsNeeded);
    }
    if (std::string diff = CompareSnapshots(want.state, got); !diff.empty()) {
        return "after the tick " + diff;
    }
    const std::size_t calls = std::max(want.canvas.size(), canvas.calls.size());
    for (std::size_t n = 0; n < calls; ++n) {
        if (n >= canvas.calls.size()) {
            return Say("canvas call ", n, " is missing: expected ", Describe(want.canvas[n]));
        }
        if (n >= want.canvas.size()) {
            return Say("canvas call ", n, " is extra: ", Describe(canvas.calls[n]));
        }
        if (!(want.canvas[n] == canvas.calls[n])) {
            return Say("canvas call ", n, " is ", Describe(canvas.calls[n]), ", expected ",
                       Describe(want.canvas[n]));
        }
    }
    if (status.gameOvers != want.gameOvers) {
        return Say("the game-over panel came up ", status.gameOvers.size(), " times (first score ",
                   status.gameOvers.empty() ? -1 : status.gameOvers.front(), "), expected ",
                   want.gameOvers.size(), " (score ", want.gameOvers.empty() ? -1 : want.gameOvers.front(),
                   ")");
    }
    if (status.scores.size() != 1 || status.scores.front() != want.shownScore) {
        return Say("the score line was set ", status.scores.size(), " times (first ",
                   status.scores.empty() ? -1 : status.scores.front(), "), expected once to ",
                   want.shownScore);
    }
    if (status.panelsHidden != 0) {
        return "a tick hid the panel";
    }
    return {};
}

// A halted tick changes nothing and asks nothing of anybody.
inline std::string CheckHaltedTick(const Snapshot& before, const Snapshot& got, const RecordingCanvas& canvas,
                                   const RecordingStatus& status, const RecordingRandom& random)
{
    if (std::string diff = CompareSnapshots(before, got); !diff.empty()) {
        return "a halted tick changed the state: " + diff;
    }
    if (!canvas.calls.empty()) {
        return "a halted tick drew: " + Describe(canvas.calls.front());
    }
    if (!status.untouched()) {
        return "a halted tick touched the score line or the panel";
    }
    if (!random.untouched()) {
        return "a halted tick used the random source";
    }
    return {};
}

// The flag a key holds, if any.
inline std::int16_t* HeldFlag(Snapshot& s, std::int16_t code)
{
    switch (code) {
    case 38:
        return &s.upHeld;
    case 40:
        return &s.downHeld;
    case 37:
        return &s.leftHeld;
    case 39:
        return &s.rightHeld;
    case 16:
        return &s.fireHeld;
    default:
        return nullptr;
    }
}

// Key-down: arrows and Shift hold their flag; Enter takes the panel down if it
// is up and always starts a fresh game; every other code is ignored.
inline Snapshot ExpectKeyDown(const Snapshot& before, std::int16_t code, int& panelsHidden)
{
    Snapshot s = before;
    panelsHidden = 0;
    if (std::int16_t* flag = HeldFlag(s, code)) {
        *flag = True;
    } else if (code == 13) {
        if (s.halted != False) {
            s.halted = False;
            panelsHidden = 1;
        }
        ExpectReset(s);
    }
    return s;
}

// Key-up: only the flag of its key, if it has one; Enter has none.
inline Snapshot ExpectKeyUp(const Snapshot& before, std::int16_t code)
{
    Snapshot s = before;
    if (std::int16_t* flag = HeldFlag(s, code)) {
        *flag = False;
    }
    return s;
}

// Losing the focus releases all five flags and nothing else.
inline Snapshot ExpectFocusLost(const Snapshot& before)
{
    Snapshot s = before;
    s.upHeld = s.downHeld = s.leftHeld = s.rightHeld = s.fireHeld = False;
    return s;
}

} // namespace game::checks
