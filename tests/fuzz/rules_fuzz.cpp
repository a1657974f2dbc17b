// libFuzzer entry: every input is a game script (see script.h), played from
// the window's start-up with every step checked. A broken promise aborts with
// its description, so libFuzzer keeps the input as a crash file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string problem = game::checks::RunScript(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "rules_fuzz: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
