// SPDX-License-Identifier: MIT
// What a frame costs and how evenly frames come, against yardsticks from the same run: a full tick (and
// its heap allocations) against the least any frame costs, the window's frame intervals against its timer's.
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QString>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fakes.h"
#include "form1.h" // and with it the play field, the status display and the game state
#include "tick.h"

// Heap allocations made by this thread while `counting` is set. Qt allocates with malloc and operator new
// ends in it, so counting malloc, calloc and realloc sees them all; glibc's own allocator does the work.
static thread_local bool counting = false;
static thread_local std::size_t allocations = 0;

extern "C" {
void* __libc_malloc(std::size_t size) noexcept;
void* __libc_calloc(std::size_t count, std::size_t size) noexcept;
void* __libc_realloc(void* ptr, std::size_t size) noexcept;

void* malloc(std::size_t size) noexcept
{
    allocations += counting ? 1 : 0;
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept
{
    allocations += counting ? 1 : 0;
    return __libc_calloc(count, size);
}
void* realloc(void* ptr, std::size_t size) noexcept
{
    allocations += counting ? 1 : 0;
    return __libc_realloc(ptr, size);
}
}

namespace {

// Every slot of both pools live and standing still, apart enough that nothing is ever hit: each tick
// moves, draws and hit-tests all 21 enemies and 201 shots, for as long as the benchmark runs.
game::GameState FullPools()
{
    game::GameState state;
    game::ResetGame(state);
    state.halted = false;
    for (int i = 0; i < static_cast<int>(game::EnemySlots); ++i) {
        game::AddEnemy(state, 10 + 14 * i, 40, 0, 0);
    }
    for (int k = 0; k < static_cast<int>(game::ShotSlots); ++k) {
        game::AddShot(state, 10 + 14 * (k % 21), 100 + 12 * (k / 21), 0, 0, k % 2 == 0);
    }
    return state;
}

void BM_Floor(benchmark::State& state)
{
    constexpr std::size_t Pixels = game::FieldWidth.value() * game::FieldHeight.value();
    std::vector<std::uint32_t> image(Pixels), presented(Pixels);
    const std::size_t bytes = Pixels * sizeof(std::uint32_t);
    int value = 0xA0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(image.data());
        std::memset(image.data(), value ^= 1, bytes);
        benchmark::ClobberMemory();
        std::memcpy(presented.data(), image.data(), bytes);
        benchmark::DoNotOptimize(presented.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Floor);

void BM_FullTick(benchmark::State& state)
{
    ui::PlayField field;
    ui::StatusDisplay status;
    test::Fakes random; // with nothing scripted: no enemy spawns and none fires
    random.quiet = true;
    field.setBackColour(game::PaleCyan);
    game::GameState game = FullPools();
    // The first ticks make the play field's two frame buffers; from then on nothing should allocate.
    for (int i = 0; i < 3; ++i) {
        game::Tick(game, field, status, random);
    }
    counting = true;
    allocations = 0;
    benchmark::DoNotOptimize(QString::number(123456789));
    const bool counterSeesQt = allocations > 0;
    allocations = 0;
    for (auto _ : state) {
        game::Tick(game, field, status, random);
    }
    counting = false;
    const auto live = [](const auto& slot) { return static_cast<bool>(slot.active); };
    if (!counterSeesQt || game.halted || !std::ranges::all_of(game.enemies, live) ||
        !std::ranges::all_of(game.shots, live)) {
        state.SkipWithError(counterSeesQt ? "the pools emptied or the game ended" : "no allocation counted");
    }
    // What the window repaints of such a frame: rectangles, and pixels of the field.
    int rects = 0, pixels = 0;
    field.presentedDamage().forEachRect(
        [&](const QRect& box) { ++rects, pixels += box.width() * box.height(); });
    state.counters["damage_rects"] = rects;
    state.counters["damage_share"] = pixels / double(game::FieldWidth.value() * game::FieldHeight.value());
    state.counters["allocs_per_tick"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FullTick);

// The real window on its own timer with a game always running: an iteration is the wait for the next
// presented frame. A game that ends is restarted right after its last frame, as a player would.
void BM_Cadence(benchmark::State& state)
{
    ui::Form1 form;
    form.show();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QEventLoop frame;
    QObject::connect(&form.playField(), &ui::PlayField::presented, &frame, &QEventLoop::quit);
    frame.exec();
    std::vector<double> ms;
    auto last = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (form.state().halted) {
            QApplication::sendEvent(&form, &enter);
        }
        frame.exec();
        const auto now = std::chrono::steady_clock::now();
        const std::chrono::duration<double> interval = now - last;
        last = now;
        state.SetIterationTime(interval.count());
        ms.push_back(interval.count() * 1e3);
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p99_ms"] = ms[ms.size() * 99 / 100];
    state.counters["max_ms"] = ms.back();
}
// 20 s of frames; repetitions would only repeat them.
BENCHMARK(BM_Cadence)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(400)->Repetitions(1);

// Whether a run stopped on SkipWithError: its `error_occurred` until Google Benchmark 1.8, `skipped` since.
template <typename Run> bool skipped(const Run& run)
{
    if constexpr (requires { run.skipped; }) {
        return run.skipped != decltype(run.skipped){};
    } else {
        return run.error_occurred;
    }
}

// The console report, keeping each benchmark's median (or its one run) for the ratios printed after it.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!skipped(run) &&
                (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")) {
                runs_[run.run_name.function_name] = run;
            }
        }
    }

    void PrintRatios() const
    {
        const auto counter = [this](const char* run, const char* name) {
            return runs_.at(run).counters.at(name).value;
        };
        if (runs_.contains("BM_FullTick") && runs_.contains("BM_Floor")) {
            const Run &tick = runs_.at("BM_FullTick"), &floor = runs_.at("BM_Floor");
            std::printf(
                "\nframe:   BM_FullTick / BM_Floor = %.2f (CPU time), %.2f (real time); %g heap allocations "
                "per tick\ndamage:  %g rectangles covering %.0f%% of the field, with every slot of both "
                "pools live\n",
                tick.GetAdjustedCPUTime() / floor.GetAdjustedCPUTime(),
                tick.GetAdjustedRealTime() / floor.GetAdjustedRealTime(),
                counter("BM_FullTick", "allocs_per_tick"), counter("BM_FullTick", "damage_rects"),
                100 * counter("BM_FullTick", "damage_share"));
        }
        if (runs_.contains("BM_Cadence")) {
            const double ms = static_cast<double>(game::TickInterval.count());
            std::printf("cadence: interval / %.0f ms = %.3f median, %.3f 99th percentile, %.3f largest\n", ms,
                        counter("BM_Cadence", "median_ms") / ms, counter("BM_Cadence", "p99_ms") / ms,
                        counter("BM_Cadence", "max_ms") / ms);
        }
        std::string load;
        std::getline(std::ifstream("/proc/loadavg"), load);
        std::printf("load average: %s\n", load.c_str());
    }

private:
    std::map<std::string, Run> runs_;
};

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // unless set already
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    QApplication app(argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
