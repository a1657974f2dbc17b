// Every script in the fuzzer's corpus, played through the real game library.
// It runs with any compiler, so the corpus guards builds without libFuzzer
// too, and a crash file the fuzzer finds can be dropped into the corpus as a
// regression.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "checked_session.h"
#include "script.h"

namespace game::checks {
namespace {

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzCorpus, EveryScriptKeepsTheRules)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(KERUBADO_FUZZ_CORPUS)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "no corpus in " << KERUBADO_FUZZ_CORPUS;

    SessionStats total;
    for (const auto& file : files) {
        const std::vector<std::uint8_t> bytes = ReadBytes(file);
        SessionStats stats;
        EXPECT_EQ(RunScript(bytes.data(), bytes.size(), &stats), "") << file.filename();
        total.add(stats);
    }
    std::printf("[ stats    ] %zu scripts: %s\n", files.size(), Describe(total).c_str());

    // The corpus is there to start the fuzzer near the rare paths; these say
    // it still reaches them.
    EXPECT_GT(total.gamesOver, 0U);
    EXPECT_GT(total.scoringGames, 0U);
    EXPECT_GT(total.fullShotPoolTicks, 0U) << "no script fills the shot pool";
    EXPECT_GT(total.fullEnemyPoolTicks, 0U) << "no script fills the enemy pool";
    EXPECT_GT(total.restarts, 0U);
}

} // namespace
} // namespace game::checks
