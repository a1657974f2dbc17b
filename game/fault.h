// SPDX-License-Identifier: MIT
// Unrecoverable run-time faults.
//
// The game raises and catches nothing itself: an arithmetic overflow, or a
// platform that refuses to do what it is asked, is reported on standard error
// and the program ends with a non-zero status.
#pragma once

#include <string_view>

namespace game {

// What starts every line the program writes on standard error.
inline constexpr std::string_view ErrorPrefix = "kerubado: ";

inline constexpr int FaultExitStatus = 70; // EX_SOFTWARE: an internal error, not the user's

[[noreturn]] void RaiseFault(const char* what) noexcept;

} // namespace game
