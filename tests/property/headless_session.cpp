// Plays the rules without a window, every step checked: the program that
// memory checkers run. With --replay it plays fuzzer scripts instead, linked
// with the real game library, so a crash file from the fuzzer shows the real
// fault message and exit status here.
//
//   headless_session [--ticks N] [--seed S] [--system-clock]
//   headless_session --replay FILE...
//
// Exit status: 0 all steps kept the rules, 1 a step broke one, 2 bad usage;
// a fault in the rules ends the program with game::FaultExitStatus.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "checked_session.h"
#include "random.h"
#include "random_player.h"
#include "script.h"

namespace {

using game::checks::CheckedSession;
using game::checks::Describe;
using game::checks::SessionStats;

int Usage()
{
    std::fprintf(stderr, "usage: headless_session [--ticks N] [--seed S] [--system-clock]\n"
                         "       headless_session --replay FILE...\n");
    return 2;
}

int Replay(const std::vector<std::string>& files)
{
    int status = 0;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read\n", file.c_str());
            return 2;
        }
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        SessionStats stats;
        const std::string problem = game::checks::RunScript(bytes.data(), bytes.size(), &stats);
        std::printf("%s: %s\n", file.c_str(), Describe(stats).c_str());
        if (!problem.empty()) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), problem.c_str());
            status = 1;
        }
    }
    return status;
}

// Constant, so that a run under a memory checker can be repeated exactly.
std::uint64_t StoppedClock() noexcept
{
    return 0x484541444C455353ULL;
}

int Play(unsigned long ticks, std::uint32_t seed, bool systemClock)
{
    game::ClockSeededRandom random(systemClock ? &game::ClockSeededRandom::SystemClock : &StoppedClock);
    CheckedSession session(random);
    game::checks::RandomPlayer player(seed);
    std::string problem = session.load();
    for (unsigned long n = 0; n < ticks && problem.empty(); ++n) {
        problem = player.playTick(session);
    }
    std::printf("seed %u: %s\n", seed, Describe(session.stats()).c_str());
    if (!problem.empty()) {
        std::fprintf(stderr, "seed %u: %s\n", seed, problem.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned long ticks = 5000;
    std::uint32_t seed = 1;
    bool systemClock = false;
    std::vector<std::string> replay;
    bool replaying = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (replaying) {
            replay.emplace_back(arg);
        } else if (arg == "--replay") {
            replaying = true;
        } else if (arg == "--ticks" && i + 1 < argc) {
            ticks = std::strtoul(argv[++i], nullptr, 10);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--system-clock") {
            systemClock = true;
        } else {
            return Usage();
        }
    }
    if (replaying) {
        return replay.empty() ? Usage() : Replay(replay);
    }
    return Play(ticks, seed, systemClock);
}
