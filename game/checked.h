// SPDX-License-Identifier: MIT
// Checked whole-number types for the game state.
//
// Positions and velocities are 16-bit signed Integers and the score a 32-bit
// signed Long. Arithmetic on them never wraps: an overflow is a fault
// that ends the program (see fault.h), so a broken invariant shows up at once
// instead of as a disc drifting in from the wrong edge.
#pragma once

#include <compare>
#include <concepts>
#include <cstdint>
#include <limits>
#include <utility>

#include "fault.h"

namespace game {

template <std::signed_integral T> class Checked {
public:
    constexpr Checked() = default;
    // Implicit on purpose, so that rules read as written: `playerX > 5`.
    // A value that does not fit the type is a fault, not a silent narrowing.
    template <std::integral U>
    constexpr Checked(U v) // NOLINT(google-explicit-constructor)
        : value_(narrow(v))
    {
    }

    [[nodiscard]] constexpr T value() const { return value_; }

    friend constexpr Checked operator+(Checked a, Checked b)
    {
        T r{};
        if (__builtin_add_overflow(a.value_, b.value_, &r)) {
            RaiseFault("arithmetic overflow in addition");
        }
        return Checked(r);
    }
    friend constexpr Checked operator-(Checked a, Checked b)
    {
        T r{};
        if (__builtin_sub_overflow(a.value_, b.value_, &r)) {
            RaiseFault("arithmetic overflow in subtraction");
        }
        return Checked(r);
    }
    friend constexpr Checked operator*(Checked a, Checked b)
    {
        T r{};
        if (__builtin_mul_overflow(a.value_, b.value_, &r)) {
            RaiseFault("arithmetic overflow in multiplication");
        }
        return Checked(r);
    }
    constexpr Checked& operator+=(Checked b) { return *this = *this + b; }

    friend constexpr bool operator==(Checked, Checked) = default;
    friend constexpr auto operator<=>(Checked, Checked) = default;

private:
    template <std::integral U> static constexpr T narrow(U v)
    {
        if (!std::in_range<T>(v)) {
            RaiseFault("arithmetic overflow: value out of range");
        }
        return static_cast<T>(v);
    }

    T value_ = 0;
};

using Integer = Checked<std::int16_t>;
using Long = Checked<std::int32_t>;

// |v|, itself checked: the magnitude of the smallest value does not fit.
template <std::signed_integral T> constexpr Checked<T> Abs(Checked<T> v)
{
    return v < Checked<T>(0) ? Checked<T>(0) - v : v;
}

// Int(v): the product rounded down (towards minus infinity), stored as an
// Integer. Truncation would be wrong for negative products.
Integer Int(double v);

// A 16-bit flag: true is stored as -1 (all bits set), false as 0, and any
// non-zero value tests as true.
class Boolean {
public:
    constexpr Boolean() = default;
    constexpr Boolean(bool b) // NOLINT(google-explicit-constructor)
        : bits_(b ? std::int16_t{-1} : std::int16_t{0})
    {
    }

    [[nodiscard]] constexpr std::int16_t bits() const { return bits_; }
    constexpr explicit operator bool() const { return bits_ != 0; }

private:
    std::int16_t bits_ = 0;
};

} // namespace game
