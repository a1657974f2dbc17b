// The fuzzer's stand-in for game/fault.cpp.
//
// The game ends on a fault with _Exit, which skips libFuzzer's exit hook: the
// run would stop with status 70 but no message from libFuzzer and no crash
// file, and the input that caused the fault would be lost. Aborting instead is
// caught by libFuzzer like any crash and the input is saved. To see the real
// fault and its exit status, replay the saved file with
// `headless_session --replay FILE`, which is linked with the real game library.
#include <cstdio>
#include <cstdlib>

#include "fault.h"

namespace game {

void RaiseFault(const char* what) noexcept
{
    std::fprintf(stderr, "kerubado: fatal error: %s\n", what);
    std::abort();
}

} // namespace game
