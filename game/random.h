// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

namespace game {

// Where the rules take their random numbers from.
class RandomSource {
public:
    virtual ~RandomSource() = default;

    // Called once a running tick, as the enemies' turn begins: mixes the
    // current time into the generator.
    virtual void reseed() = 0;
    // A uniform single-precision value in [0, 1); never 1.
    virtual float next() = 0;

protected:
    RandomSource() = default;
    RandomSource(const RandomSource&) = default;
    RandomSource& operator=(const RandomSource&) = default;
};

// The game's own source: xoshiro128** with a clock mixed into its state at
// every reseed, so that successive ticks never repeat their numbers even when
// the clock has not moved (the old state still differs).
class ClockSeededRandom final : public RandomSource {
public:
    // A reading of a clock in any unit; the finer the better.
    using Clock = std::uint64_t (*)() noexcept;

    // The real clock: the steady high-resolution clock in nanoseconds.
    static std::uint64_t SystemClock() noexcept;

    explicit ClockSeededRandom(Clock clock = &SystemClock);

    void reseed() override;
    float next() override;

private:
    std::uint32_t nextBits();

    Clock clock_;
    std::array<std::uint32_t, 4> s_{};
};

} // namespace game
