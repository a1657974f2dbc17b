// SPDX-License-Identifier: MIT
// The program's own command-line options.
#pragma once

#include <optional>

namespace app {

// --help and --version, answered on standard output before any display is
// looked for: the exit status, or none to go on. Every other argument is
// Qt's (-platform, -display, ...) or ignored, so none of them is an error.
[[nodiscard]] std::optional<int> AnswerOptions(int argc, char** argv);

} // namespace app
