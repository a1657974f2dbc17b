// SPDX-License-Identifier: MIT
#include "fault.h"

#include <cstdio>
#include <cstdlib>

namespace game {

void RaiseFault(const char* what) noexcept
{
    // stderr is unbuffered; _Exit skips destructors that might touch a
    // half-updated state or a window system that just said no.
    std::fprintf(stderr, "%.*sfatal error: %s\n", static_cast<int>(ErrorPrefix.size()), ErrorPrefix.data(), what);
    std::_Exit(FaultExitStatus);
}

} // namespace game
