// SPDX-License-Identifier: MIT
// Unrecoverable run-time faults.
//
// The game raises and catches nothing itself: an arithmetic overflow, or a
// platform that refuses to do what it is asked, is reported on standard error
// and the program ends with a non-zero status.
#pragma once

namespace game {

inline constexpr int FaultExitStatus = 70; // EX_SOFTWARE: an internal error

[[noreturn]] void RaiseFault(const char* what) noexcept;

} // namespace game
