// The fuzzer's input read as a game script, checked step by step.
//
// The first byte h splits the rest: its last 4 × h bytes (or all of it, if
// shorter) are the tape of random numbers the game draws, in order; the bytes
// before them are the steps. Steps and tape stay apart, so a mutation in one
// leaves the meaning of the other alone. Once the tape runs out, the game's
// own generator (reseeded from a clock that never moves) takes over.
//
// A step is one byte; its low four bits say what, its high four bits how:
//
//   0-3   key down of a game key: Enter, Shift, Left, Up, Right, Down,
//         chosen by (high bits) mod 6
//   4-6   key up of a game key, chosen the same way
//   7     key down of any 16-bit code, from the next two bytes
//   8     key up of any 16-bit code, from the next two bytes
//   9-12  (high bits) + 1 ticks
//   13    16 × ((high bits) + 1) ticks
//   14    the window loses the focus: every held key is released
//   15    Enter
//
// A random number is one tape byte b: 0 gives 0, 255 gives the largest float
// below 1, 254 followed by three more bytes k (high byte first) gives k / 2^24,
// anything else b / 256.
//
// Scripts are cut off after MaxScriptTicks ticks, so one input stays fast.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "checked_session.h"
#include "random.h"

namespace game::checks {

inline constexpr std::uint64_t MaxScriptTicks = 1024;

// One input split into its steps and its tape.
class ScriptBytes {
public:
    ScriptBytes(const std::uint8_t* data, std::size_t size)
        : data_(data), step_(size == 0 ? 0 : 1), tape_(size), end_(size)
    {
        if (size != 0) {
            const std::size_t tapeLength = std::min<std::size_t>(4U * data[0], size - 1);
            tape_ = size - tapeLength;
        }
        stepsEnd_ = tape_;
    }

    [[nodiscard]] bool stepsLeft() const { return step_ < stepsEnd_; }
    // Past the end of the steps, a step's operand reads as 0.
    std::uint8_t step() { return stepsLeft() ? data_[step_++] : 0; }

    [[nodiscard]] bool tapeLeft() const { return tape_ < end_; }
    // Only called while tapeLeft().
    std::uint8_t tape() { return data_[tape_++]; }

private:
    const std::uint8_t* data_;
    std::size_t step_;
    std::size_t tape_;
    std::size_t end_;
    std::size_t stepsEnd_ = 0;
};

class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(ScriptBytes& bytes)
        : bytes_(&bytes), fallback_([]() noexcept -> std::uint64_t { return 0x5EED; })
    {
    }

    void reseed() override { fallback_.reseed(); }

    float next() override
    {
        if (!bytes_->tapeLeft()) {
            return fallback_.next();
        }
        const std::uint8_t b = bytes_->tape();
        if (b == 0) {
            return 0.0F;
        }
        if (b == 255) {
            return std::nextafter(1.0F, 0.0F);
        }
        if (b == 254) {
            std::uint32_t k = 0;
            for (int n = 0; n < 3 && bytes_->tapeLeft(); ++n) {
                k = (k << 8U) | bytes_->tape();
            }
            return static_cast<float>(k) / 16777216.0F;
        }
        return static_cast<float>(b) / 256.0F;
    }

private:
    ScriptBytes* bytes_;
    ClockSeededRandom fallback_;
};

// Runs a whole script from the window's start-up on; returns the first
// problem, or an empty string. `stats`, if given, receives what was played.
inline std::string RunScript(const std::uint8_t* data, std::size_t size, SessionStats* stats = nullptr)
{
    static constexpr std::array<std::int16_t, 6> GameKeys{13, 16, 37, 38, 39, 40};
    ScriptBytes bytes(data, size);
    ScriptedRandom scripted(bytes);
    CheckedSession session(scripted);
    std::string problem = session.load();

    auto anyCode = [&bytes]() {
        const auto high = static_cast<std::uint16_t>(bytes.step() << 8U);
        return static_cast<std::int16_t>(high | bytes.step());
    };
    auto ticks = [&](unsigned count) {
        for (unsigned n = 0; n < count && problem.empty() && session.stats().ticks < MaxScriptTicks; ++n) {
            problem = session.tick();
        }
    };

    while (problem.empty() && bytes.stepsLeft() && session.stats().ticks < MaxScriptTicks) {
        const std::uint8_t op = bytes.step();
        const unsigned what = op & 0x0FU;
        const unsigned how = op >> 4U;
        const std::int16_t key = GameKeys[how % GameKeys.size()];
        if (what <= 3) {
            problem = session.keyDown(key);
        } else if (what <= 6) {
            problem = session.keyUp(key);
        } else if (what == 7) {
            problem = session.keyDown(anyCode());
        } else if (what == 8) {
            problem = session.keyUp(anyCode());
        } else if (what <= 12) {
            ticks(how + 1);
        } else if (what == 13) {
            ticks(16 * (how + 1));
        } else if (what == 14) {
            problem = session.loseFocus();
        } else {
            problem = session.keyDown(13);
        }
    }
    if (stats != nullptr) {
        *stats = session.stats();
    }
    return problem;
}

} // namespace game::checks
