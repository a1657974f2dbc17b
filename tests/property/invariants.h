// What must hold of the game state between any two steps, and of the pools
// across any running tick.
//
// Shared by the fuzzer, the long seeded games and the headless session, so all
// three hold the rules to the same promises. A check returns an empty string
// when all is well, or a description of the first broken promise: the fuzzer
// aborts with it, the tests fail with it.
//
// The checks read a Snapshot, the state copied out as plain numbers. They run
// after every step of every long game, in Debug builds too, where reading
// each checked field through a call would cost more than the game itself.
#pragma once

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "state.h"

namespace game::checks {

// Builds a message out of anything that streams; only ever called once
// something is already wrong, so the cost does not matter.
template <typename... Parts> std::string Say(const Parts&... parts)
{
    std::ostringstream out;
    (out << ... << parts);
    return out.str();
}

// The live area of enemies and shots, and the player's reachable box. Written
// out again here on purpose rather than taken from tick.h, so that a wrong
// constant in the rules cannot agree with itself.
inline bool Live(int x, int y)
{
    return 0 < x && x < 300 && 0 < y && y < 400;
}
inline constexpr int PlayerMinX = 5;
inline constexpr int PlayerMaxX = 295;
inline constexpr int PlayerMinY = 104; // the last step up starts at 107
inline constexpr int PlayerMaxY = 395;
inline constexpr int StartX = 155;
inline constexpr int StartY = 380;

// Velocities that an add can ever hand out. Enemies: the entry table (top
// -5..5 × 2/4/6, left 0..10 × 1..3, right -11..0 × 1..3). Enemy shots: the
// enemy's own plus -5..5 sideways and 2/4/6 more downwards. Player shots:
// the player's step sideways, -7/-5/-3 upwards.
inline constexpr int EnemyMinDx = -11;
inline constexpr int EnemyMaxDx = 10;
inline constexpr int EnemyMinDy = 1;
inline constexpr int EnemyMaxDy = 6;
inline constexpr int EnemyShotMinDx = EnemyMinDx - 5;
inline constexpr int EnemyShotMaxDx = EnemyMaxDx + 5;
inline constexpr int EnemyShotMinDy = EnemyMinDy + 2;
inline constexpr int EnemyShotMaxDy = EnemyMaxDy + 6;

// Anything drawn is a live record after one step, so it lies within one of the
// largest steps of the live area; further out means a record escaped.
inline constexpr int DrawMinX = 1 + EnemyShotMinDx;
inline constexpr int DrawMaxX = 299 + EnemyShotMaxDx;
inline constexpr int DrawMinY = 1 - 7;
inline constexpr int DrawMaxY = 399 + EnemyShotMaxDy;

inline constexpr std::int16_t True = -1;
inline constexpr std::int16_t False = 0;
inline bool IsFlag(std::int16_t bits)
{
    return bits == False || bits == True;
}

// ---------------------------------------------------------------------------
// Snapshots.

// A pool record as its 16-bit values, in declaration order.
struct ShotBits {
    std::int16_t active;
    std::int16_t x;
    std::int16_t y;
    std::int16_t dx;
    std::int16_t dy;
    std::int16_t fromPlayer;

    friend bool operator==(const ShotBits&, const ShotBits&) = default;
};
struct EnemyBits {
    std::int16_t active;
    std::int16_t x;
    std::int16_t y;
    std::int16_t dx;
    std::int16_t dy;

    friend bool operator==(const EnemyBits&, const EnemyBits&) = default;
};

// The records hold nothing but 16-bit values without padding, so their bits
// are exactly those of the plain records above.
static_assert(std::has_unique_object_representations_v<Shot> && std::is_standard_layout_v<Shot> &&
              sizeof(Shot) == sizeof(ShotBits));
static_assert(std::has_unique_object_representations_v<Enemy> && std::is_standard_layout_v<Enemy> &&
              sizeof(Enemy) == sizeof(EnemyBits));

using ShotPool = std::array<ShotBits, ShotSlots>;
using EnemyPool = std::array<EnemyBits, EnemySlots>;

struct Snapshot {
    std::int16_t upHeld = 0;
    std::int16_t leftHeld = 0;
    std::int16_t rightHeld = 0;
    std::int16_t downHeld = 0;
    std::int16_t fireHeld = 0;
    std::int16_t playerX = 0;
    std::int16_t playerY = 0;
    ShotPool shots{};
    EnemyPool enemies{};
    std::int32_t score = 0;
    std::int16_t halted = 0;

    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

inline void Capture(const GameState& s, Snapshot& out)
{
    out.upHeld = s.upHeld.bits();
    out.leftHeld = s.leftHeld.bits();
    out.rightHeld = s.rightHeld.bits();
    out.downHeld = s.downHeld.bits();
    out.fireHeld = s.fireHeld.bits();
    out.playerX = s.playerX.value();
    out.playerY = s.playerY.value();
    out.shots = std::bit_cast<ShotPool>(s.shots);
    out.enemies = std::bit_cast<EnemyPool>(s.enemies);
    out.score = s.score.value();
    out.halted = s.halted.bits();
}

// ---------------------------------------------------------------------------
// Stale slots.
//
// An inactive slot keeps stale values that nothing may read until an add
// overwrites all of them. Before each tick the session fills them with marks
// that no add ever writes (a flag that is neither true nor false, numbers far
// outside the field), so that afterwards exactly the slots an add took stand
// out, and any rule that wrongly read or half-wrote a stale slot shows up too.

inline constexpr std::int16_t StaleNumber = std::numeric_limits<std::int16_t>::min();
inline constexpr std::int16_t StaleFlag = 0x5A5A;

inline void MarkStaleSlots(GameState& state)
{
    auto shots = std::bit_cast<ShotPool>(state.shots);
    for (ShotBits& shot : shots) {
        if (shot.active == False) {
            shot = {False, StaleNumber, StaleNumber, StaleNumber, StaleNumber, StaleFlag};
        }
    }
    auto enemies = std::bit_cast<EnemyPool>(state.enemies);
    for (EnemyBits& enemy : enemies) {
        if (enemy.active == False) {
            enemy = {False, StaleNumber, StaleNumber, StaleNumber, StaleNumber};
        }
    }
    state.shots = std::bit_cast<std::array<Shot, ShotSlots>>(shots);
    state.enemies = std::bit_cast<std::array<Enemy, EnemySlots>>(enemies);
}

// What differs between two snapshots, for the messages.

inline std::string Describe(const ShotBits& r)
{
    return Say("(active ", r.active, ", x ", r.x, ", y ", r.y, ", dx ", r.dx, ", dy ", r.dy, ", fromPlayer ",
               r.fromPlayer, ")");
}
inline std::string Describe(const EnemyBits& r)
{
    return Say("(active ", r.active, ", x ", r.x, ", y ", r.y, ", dx ", r.dx, ", dy ", r.dy, ")");
}

template <typename Record, std::size_t Slots>
std::string FirstDifference(const char* pool, const std::array<Record, Slots>& want,
                            const std::array<Record, Slots>& got)
{
    for (std::size_t i = 0; i < Slots; ++i) {
        if (!(want[i] == got[i])) {
            return Say(pool, "[", i, "] is ", Describe(got[i]), ", expected ", Describe(want[i]));
        }
    }
    return {};
}

inline std::string FirstDifference(const Snapshot& want, const Snapshot& got)
{
    const std::tuple<const char*, std::int32_t, std::int32_t> fields[] = {
        {"upHeld", want.upHeld, got.upHeld},          {"leftHeld", want.leftHeld, got.leftHeld},
        {"rightHeld", want.rightHeld, got.rightHeld}, {"downHeld", want.downHeld, got.downHeld},
        {"fireHeld", want.fireHeld, got.fireHeld},    {"playerX", want.playerX, got.playerX},
        {"playerY", want.playerY, got.playerY},       {"score", want.score, got.score},
        {"halted", want.halted, got.halted}};
    for (const auto& [name, w, g] : fields) {
        if (w != g) {
            return Say(name, " is ", g, ", expected ", w);
        }
    }
    if (std::string diff = FirstDifference("shots", want.shots, got.shots); !diff.empty()) {
        return diff;
    }
    return FirstDifference("enemies", want.enemies, got.enemies);
}

// ---------------------------------------------------------------------------
// Invariants of every state the game can be in between two steps, once the
// window has loaded.

inline std::string CheckState(const Snapshot& s)
{
    const std::pair<const char*, std::int16_t> flags[] = {
        {"upHeld", s.upHeld},     {"leftHeld", s.leftHeld}, {"rightHeld", s.rightHeld},
        {"downHeld", s.downHeld}, {"fireHeld", s.fireHeld}, {"halted", s.halted}};
    for (const auto& [name, bits] : flags) {
        if (!IsFlag(bits)) {
            return Say(name, " holds ", bits, ", neither true (-1) nor false (0)");
        }
    }

    // The player only ever steps by 5 and 3 from (155, 380) and stops at the
    // limits, so it stays on that grid inside the box.
    const int px = s.playerX;
    const int py = s.playerY;
    if (px < PlayerMinX || px > PlayerMaxX || (px - StartX) % 5 != 0) {
        return Say("player x ", px, " is off the grid 5, 10, ..., 295");
    }
    if (py < PlayerMinY || py > PlayerMaxY || (py - StartY) % 3 != 0) {
        return Say("player y ", py, " is off the grid 104, 107, ..., 395");
    }

    if (s.score < 0 || s.score % 10 != 0) {
        return Say("score ", s.score, " is not a non-negative multiple of 10");
    }

    // Plain pointers and no helper calls below: in a Debug build every call
    // counts, and these loops run after every step.
    const EnemyBits* enemies = s.enemies.data();
    const ShotBits* shots = s.shots.data();
    int liveEnemies = 0;
    int enemyAt[EnemySlots] = {}; // indices of the live enemies
    for (std::size_t i = 0; i < EnemySlots; ++i) {
        const EnemyBits& e = enemies[i];
        if (e.active != False && e.active != True) {
            return Say("enemies[", i, "].active holds ", e.active);
        }
        if (e.active == False) {
            continue;
        }
        if (e.dx < EnemyMinDx || e.dx > EnemyMaxDx || e.dy < EnemyMinDy || e.dy > EnemyMaxDy) {
            return Say("enemies[", i, "] has velocity (", e.dx, ", ", e.dy, "), which no entry gives");
        }
        // The live-area test comes before the move, so an active enemy either
        // is inside or got out by exactly one step from inside; a step back
        // must land in the live area.
        if (!Live(e.x - e.dx, e.y - e.dy)) {
            return Say("enemies[", i, "] at (", e.x, ", ", e.y, ") is more than one step (", e.dx, ", ", e.dy,
                       ") outside the live area");
        }
        enemyAt[liveEnemies++] = static_cast<int>(i);
    }

    int liveShots = 0;
    for (std::size_t j = 0; j < ShotSlots; ++j) {
        const ShotBits& sh = shots[j];
        if (sh.active != False && sh.active != True) {
            return Say("shots[", j, "].active holds ", sh.active);
        }
        if (sh.active == False) {
            continue;
        }
        ++liveShots;
        if (sh.fromPlayer != False && sh.fromPlayer != True) {
            return Say("shots[", j, "].fromPlayer holds ", sh.fromPlayer);
        }
        const bool player = sh.fromPlayer == True;
        const bool velocityOk =
            player ? (sh.dx == -5 || sh.dx == 0 || sh.dx == 5) && (sh.dy == -7 || sh.dy == -5 || sh.dy == -3)
                   : sh.dx >= EnemyShotMinDx && sh.dx <= EnemyShotMaxDx && sh.dy >= EnemyShotMinDy &&
                         sh.dy <= EnemyShotMaxDy;
        if (!velocityOk) {
            return Say("shots[", j, "] (", player ? "player's" : "enemy's", ") has velocity (", sh.dx, ", ",
                       sh.dy, "), which no fire gives");
        }
        if (!Live(sh.x - sh.dx, sh.y - sh.dy)) {
            return Say("shots[", j, "] at (", sh.x, ", ", sh.y, ") is more than one step (", sh.dx, ", ",
                       sh.dy, ") outside the live area");
        }
        // Every live shot was tested at its present position against every
        // enemy still active and against the player where it stands now, so
        // none can be left within reach of either.
        if (std::abs(py - sh.y) < 5 && std::abs(px - sh.x) < 5) {
            return Say("shots[", j, "] at (", sh.x, ", ", sh.y, ") is within reach of the player at (", px,
                       ", ", py, ") but the game goes on");
        }
        for (int n = 0; n < liveEnemies; ++n) {
            const int i = enemyAt[n];
            const EnemyBits& e = enemies[i];
            if (std::abs(e.y - sh.y) < 6 && std::abs(e.x - sh.x) < 6) {
                return Say("shots[", j, "] at (", sh.x, ", ", sh.y, ") and enemies[", i, "] at (", e.x, ", ",
                           e.y, ") are within reach of each other and both survive");
            }
        }
    }

    // Between games the pools are already empty and the player waits at the
    // start: the game over and start-up both reset before halting.
    if (s.halted != False &&
        (liveEnemies != 0 || liveShots != 0 || px != StartX || py != StartY || s.score != 0)) {
        return Say("halted with ", liveEnemies, " enemies, ", liveShots, " shots, player at (", px, ", ", py,
                   "), score ", s.score, ": a halted game must be reset");
    }
    return {};
}

// What every running tick must do to the pools, whatever the random numbers:
// a record still active afterwards was either active before and moved exactly
// one step of its own velocity (a record that stood still would be one left
// outside the live area instead of being removed), or sat in a free slot that
// an add took during the tick; and the slots the adds took are the lowest
// free ones (first fit), at most one of them an enemy. `before` is the state
// with its stale slots marked (MarkStaleSlots), so taken slots show; the adds
// are counted in `adds`.
struct TickAdds {
    std::uint64_t enemies = 0;
    std::uint64_t playerShots = 0;
    std::uint64_t enemyShots = 0;

    void count(const EnemyBits&) { ++enemies; }
    void count(const ShotBits& shot) { ++(shot.fromPlayer == True ? playerShots : enemyShots); }
};

template <typename Record, std::size_t Slots>
std::string CheckPoolTransition(const char* pool, const std::array<Record, Slots>& before,
                                const std::array<Record, Slots>& after, std::size_t maxTaken, TickAdds& adds)
{
    const Record* was = before.data();
    const Record* is = after.data();
    bool freeSlotSkipped = false;
    std::size_t taken = 0;
    for (std::size_t i = 0; i < Slots; ++i) {
        const Record& b = was[i];
        const Record& a = is[i];
        if (b.active != False) {
            if (a.active != False &&
                (a.dx != b.dx || a.dy != b.dy || a.x != b.x + b.dx || a.y != b.y + b.dy)) {
                return Say(pool, "[", i, "] went from (", b.x, ", ", b.y, ") to (", a.x, ", ", a.y,
                           ") with velocity (", a.dx, ", ", a.dy,
                           "): a record that stays active moves exactly one step of its own velocity");
            }
            continue;
        }
        if (a.x == StaleNumber && a.dy == StaleNumber) { // not taken
            if (a.active != False) {
                return Say(pool, "[", i, "] came back to life without an add");
            }
            freeSlotSkipped = true;
            continue;
        }
        if (freeSlotSkipped) {
            return Say("an add took ", pool, "[", i,
                       "] while a lower slot was free: adds take the first free slot");
        }
        if (++taken > maxTaken) {
            return Say(taken, " adds to ", pool, " in one tick; at most ", maxTaken, " can happen");
        }
        adds.count(a);
    }
    return {};
}

inline std::string CheckTickTransition(const Snapshot& before, const Snapshot& after, TickAdds& adds)
{
    if (std::string problem = CheckPoolTransition("enemies", before.enemies, after.enemies, 1, adds);
        !problem.empty()) {
        return problem;
    }
    // One shot by the player and at most one by each enemy that moved.
    return CheckPoolTransition("shots", before.shots, after.shots, 1 + EnemySlots, adds);
}

// A halted tick changes nothing and asks nothing of anybody. Takes the calls
// and the log of the recording fakes (tests/rules/fakes.h).
inline std::string CheckHaltedTick(const Snapshot& before, const Snapshot& after,
                                   const std::vector<std::string>& canvasCalls,
                                   const std::vector<std::string>& statusCalls,
                                   const std::vector<std::string>& randomLog)
{
    if (!(before == after)) {
        return "a halted tick changed the state: " + FirstDifference(before, after);
    }
    if (!canvasCalls.empty()) {
        return "a halted tick drew: " + canvasCalls.front();
    }
    if (!statusCalls.empty()) {
        return "a halted tick touched the status display: " + statusCalls.front();
    }
    if (!randomLog.empty()) {
        return "a halted tick used the random source: " + randomLog.front();
    }
    return {};
}

// Whatever a tick draws is a record at most one step outside the live area,
// or the player; nothing may be drawn absurdly far away or between pixels.
// Reads the calls as the recording canvas writes them: "circle X Y ...",
// "point X Y ...".
inline std::string CheckDrawingBounds(const std::vector<std::string>& calls)
{
    for (std::size_t n = 0; n < calls.size(); ++n) {
        std::string_view call = calls[n];
        if (call.starts_with("circle ")) {
            call.remove_prefix(7);
        } else if (call.starts_with("point ")) {
            call.remove_prefix(6);
        } else {
            continue;
        }
        double xy[2] = {};
        for (double& v : xy) {
            const auto [end, error] = std::from_chars(call.data(), call.data() + call.size(), v);
            if (error != std::errc() || (end != call.data() + call.size() && *end != ' ')) {
                return Say("canvas call ", n, " \"", calls[n], "\" does not read as a position");
            }
            call.remove_prefix(static_cast<std::size_t>(end - call.data()));
            if (!call.empty()) {
                call.remove_prefix(1);
            }
        }
        const double x = xy[0];
        const double y = xy[1];
        if (x != std::floor(x) || y != std::floor(y)) {
            return Say("canvas call ", n, " \"", calls[n], "\" is not at whole pixels");
        }
        if (x < DrawMinX || x > DrawMaxX || y < DrawMinY || y > DrawMaxY) {
            return Say("canvas call ", n, " \"", calls[n],
                       "\" is further out than one step from the live area");
        }
    }
    return {};
}

} // namespace game::checks
