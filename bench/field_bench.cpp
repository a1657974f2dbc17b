// SPDX-License-Identifier: MIT
// What a running frame costs through the play field, against the least any
// frame can cost: memset over a 300 x 400 32-bit buffer and one memcpy of it.
//
// After the benchmarks it prints the full tick as a multiple of that floor.
// Run it from a Release build, see README.md.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QtGlobal>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "colour_conversion.h"
#include "form1.h"
#include "play_field.h"
#include "random.h"
#include "state.h"
#include "status_display.h"
#include "tick.h"

namespace {

constexpr int Width = ui::PlayField::Width;
constexpr int Height = ui::PlayField::Height;

// Always 0.99: no enemy spawns (roll 49 of 50) and none fires (roll 3 of 4),
// so the pools stay exactly as FullPools leaves them.
class SteadyRandom final : public game::RandomSource {
public:
    void reseed() override {}
    float next() override { return 0.99F; }
};

// Every slot of both pools live and standing still, apart enough that no shot
// touches an enemy or the player: each tick moves, draws and hit-tests all 21
// enemies and 201 shots, for as many iterations as the benchmark runs.
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

bool StillAFullFrame(const game::GameState& state)
{
    const bool enemies =
        std::all_of(state.enemies.begin(), state.enemies.end(), [](const auto& e) { return bool(e.active); });
    const bool shots =
        std::all_of(state.shots.begin(), state.shots.end(), [](const auto& s) { return bool(s.active); });
    return enemies && shots && !state.halted;
}

class NullCanvas final : public game::Canvas {
public:
    void setBackColour(game::Colour /*colour*/) override {}
    void clear() override {}
    void setFillColour(game::Colour /*colour*/) override {}
    void drawCircle(double x, double y, double radius, game::Colour /*outline*/) override
    {
        benchmark::DoNotOptimize(x + y + radius);
    }
    void drawCircle(double x, double y, double radius) override { benchmark::DoNotOptimize(x + y + radius); }
    void drawPoint(double x, double y, game::Colour /*colour*/) override { benchmark::DoNotOptimize(x + y); }
    void present() override {}
};

class NullStatus final : public game::Status {
public:
    void showScore(std::int32_t score) override { benchmark::DoNotOptimize(score); }
    void showGameOver(std::int32_t /*score*/) override {}
    void hidePanel() override {}
};

// Everything through QPainter, one painter kept open on the image: the plain
// way to draw the frame, and the rendering the play field's own paths match.
class QPainterCanvas final : public game::Canvas {
public:
    explicit QPainterCanvas(QImage::Format format)
        : image_(Width, Height, format), presented_(Width, Height, format), painter_(&image_)
    {
        painter_.setRenderHint(QPainter::Antialiasing, false);
    }

    void setBackColour(game::Colour colour) override { back_ = ui::ToQRgb(colour); }
    void clear() override { painter_.fillRect(image_.rect(), QColor::fromRgb(back_)); }
    void setFillColour(game::Colour colour) override { fill_ = ui::ToQRgb(colour); }
    void drawCircle(double x, double y, double radius, game::Colour outline) override
    {
        ui::PaintReferenceDisc(painter_, x, y, radius, ui::ToQRgb(outline), fill_);
    }
    void drawCircle(double x, double y, double radius) override
    {
        ui::PaintReferenceDisc(painter_, x, y, radius, ui::ToQRgb(game::Black), fill_);
    }
    void drawPoint(double x, double y, game::Colour colour) override
    {
        ui::PaintReferenceDot(painter_, x, y, ui::ToQRgb(colour));
    }
    void present() override
    {
        std::memcpy(presented_.bits(), image_.constBits(), static_cast<std::size_t>(image_.sizeInBytes()));
    }

    [[nodiscard]] const QImage& presented() const { return presented_; }

private:
    QImage image_;
    QImage presented_;
    QPainter painter_;
    QRgb back_ = ui::ToQRgb(game::White);
    QRgb fill_ = ui::ToQRgb(game::Black);
};

void BM_Floor(benchmark::State& state)
{
    constexpr auto Pixels = static_cast<std::size_t>(Width) * Height;
    std::vector<std::uint32_t> image(Pixels);
    std::vector<std::uint32_t> presented(Pixels);
    const std::size_t bytes = image.size() * sizeof(std::uint32_t);
    int value = 0xA0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(image.data());
        std::memset(image.data(), value, bytes);
        benchmark::ClobberMemory();
        std::memcpy(presented.data(), image.data(), bytes);
        benchmark::DoNotOptimize(presented.data());
        benchmark::ClobberMemory();
        value ^= 1;
    }
}
BENCHMARK(BM_Floor);

void BM_FullTick(benchmark::State& state)
{
    ui::PlayField field;
    ui::StatusDisplay status;
    SteadyRandom random;
    field.setBackColour(game::PaleCyan);
    game::GameState game = FullPools();
    for (auto _ : state) {
        game::Tick(game, field, status, random);
    }
    if (!StillAFullFrame(game)) {
        state.SkipWithError("the pools emptied or the game ended: not a full frame");
    }
    benchmark::DoNotOptimize(field.presentedFrame().constBits());
}
BENCHMARK(BM_FullTick);

// The play field's share of the floor: its clear and its present alone.
void BM_ClearAndPresent(benchmark::State& state)
{
    ui::PlayField field;
    field.setBackColour(game::PaleCyan);
    for (auto _ : state) {
        field.clear();
        field.present();
    }
    benchmark::DoNotOptimize(field.presentedFrame().constBits());
}
BENCHMARK(BM_ClearAndPresent);

void BM_RulesOnly(benchmark::State& state)
{
    NullCanvas canvas;
    NullStatus status;
    SteadyRandom random;
    game::GameState game = FullPools();
    for (auto _ : state) {
        game::Tick(game, canvas, status, random);
    }
    if (!StillAFullFrame(game)) {
        state.SkipWithError("the pools emptied or the game ended: not a full frame");
    }
}
BENCHMARK(BM_RulesOnly);

// The same full tick drawn entirely with QPainter, in the play field's format
// and in the packed 24-bit one.
void BM_QPainterFrame(benchmark::State& state, QImage::Format format)
{
    QPainterCanvas canvas(format);
    NullStatus status;
    SteadyRandom random;
    canvas.setBackColour(game::PaleCyan);
    game::GameState game = FullPools();
    for (auto _ : state) {
        game::Tick(game, canvas, status, random);
    }
    if (!StillAFullFrame(game)) {
        state.SkipWithError("the pools emptied or the game ended: not a full frame");
    }
    benchmark::DoNotOptimize(canvas.presented().constBits());
}
BENCHMARK_CAPTURE(BM_QPainterFrame, RGB32, QImage::Format_RGB32);
BENCHMARK_CAPTURE(BM_QPainterFrame, RGB888, QImage::Format_RGB888);

// Showing a presented frame: the window paints it onto its backing store,
// which on X11 is a 32-bit image (RGB32 for an opaque window,
// ARGB32_Premultiplied for a translucent one).
void BM_ShowFrame(benchmark::State& state, QImage::Format frameFormat, QImage::Format storeFormat)
{
    QImage frame(Width, Height, frameFormat);
    frame.fill(ui::ToQColor(game::PaleCyan));
    QImage store(Width, Height, storeFormat);
    store.fill(Qt::black);
    for (auto _ : state) {
        QPainter painter(&store);
        painter.drawImage(0, 0, frame);
        painter.end();
        benchmark::DoNotOptimize(store.constBits());
    }
}
// Qt converts a packed 24-bit frame on worker threads, so these count the CPU
// time of the whole process, not just of the thread that asked.
BENCHMARK_CAPTURE(BM_ShowFrame, RGB32_on_RGB32, QImage::Format_RGB32, QImage::Format_RGB32)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_ShowFrame, RGB888_on_RGB32, QImage::Format_RGB888, QImage::Format_RGB32)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_ShowFrame, RGB32_on_ARGB32PM, QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_ShowFrame, RGB888_on_ARGB32PM, QImage::Format_RGB888,
                  QImage::Format_ARGB32_Premultiplied)
    ->MeasureProcessCPUTime();

// ---- The window ------------------------------------------------------------

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QObject* watched) { watched->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

void PressEnter(ui::Form1& form)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &release);
}

// A real game window, shown (on the offscreen platform unless told
// otherwise), with a game running: the panel is hidden and a frame has been
// presented. The random source never spawns an enemy, so every tick is the
// same light one: clear, the player, present.
std::unique_ptr<ui::Form1> RunningWindow()
{
    auto form = std::make_unique<ui::Form1>(std::make_unique<SteadyRandom>());
    form->show();
    QCoreApplication::processEvents();
    PressEnter(*form);
    form->Timer1_Timer();
    QCoreApplication::processEvents();
    return form;
}

// The window painting itself whole, children included, onto a 32-bit image
// of its size: what every frame cost when the window repainted everything.
void BM_WindowRender(benchmark::State& state)
{
    const auto form = RunningWindow();
    if (form->state().halted || form->playField().presentedFrame().isNull()) {
        state.SkipWithError("the game did not start");
        return;
    }
    QImage store(form->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        form->render(&store);
        benchmark::DoNotOptimize(store.constBits());
    }
}
BENCHMARK(BM_WindowRender);

// One tick as the window runs it: the tick presents a frame, the window asks
// for the repaint it needs, and the event loop paints it onto the backing
// store. Only the light tick, so this is mostly the window's share.
void BM_WindowTick(benchmark::State& state)
{
    const auto form = RunningWindow();
    if (form->state().halted) {
        state.SkipWithError("the game did not start");
        return;
    }
    PaintCounter counter(form.get());
    std::int64_t ticks = 0;
    for (auto _ : state) {
        form->Timer1_Timer();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        ++ticks;
    }
    if (counter.paints != ticks) {
        state.SkipWithError(
            ("painted " + std::to_string(counter.paints) + " times in " + std::to_string(ticks) + " ticks")
                .c_str());
    }
}
BENCHMARK(BM_WindowTick);

// The console report, plus the times it saw, so that main can set them
// against each other: medians when repetitions were asked for, else the one run.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) {
                continue;
            }
            Time& time = times_[run.run_name.str()];
            if (median || !time.median) {
                const double seconds = benchmark::GetTimeUnitMultiplier(run.time_unit);
                time = Time{run.GetAdjustedRealTime() / seconds, run.GetAdjustedCPUTime() / seconds, median};
            }
        }
    }

    void PrintRatio(const std::string& name, const std::string& floor) const
    {
        const auto n = times_.find(name);
        const auto f = times_.find(floor);
        if (n == times_.end() || f == times_.end()) {
            return;
        }
        std::printf("%-24s / %s = %5.2f (real time)  %5.2f (CPU time)%s\n", name.c_str(), floor.c_str(),
                    n->second.real / f->second.real, n->second.cpu / f->second.cpu,
                    n->second.median ? "  medians" : "");
    }

private:
    struct Time {
        double real = 0;
        double cpu = 0;
        bool median = false;
    };
    std::map<std::string, Time> times_;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    QApplication app(argc, argv);
    // Colour only for a terminal, as the library's own reporter does.
    RatioReporter reporter(isatty(fileno(stdout)) != 0 ? benchmark::ConsoleReporter::OO_ColorTabular
                                                       : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintRatio("BM_FullTick", "BM_Floor");
    reporter.PrintRatio("BM_ClearAndPresent", "BM_Floor");
    reporter.PrintRatio("BM_RulesOnly", "BM_Floor");
    reporter.PrintRatio("BM_QPainterFrame/RGB32", "BM_Floor");
    benchmark::Shutdown();
    return 0;
}
