// SPDX-License-Identifier: MIT
// How evenly the real window presents its frames: runs ui::Form1 with a game
// kept running (Enter at the start and again whenever a game ends), records
// the moment of every presented frame, and prints the median and 99th
// percentile of the intervals between them and the largest gap.
//
//   cadence [SECONDS]        (default 20)
//
// On Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise. Timer
// wake-ups are only as punctual as the machine is idle: the load average is
// printed with the figures.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "form1.h"
#include "play_field.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string LoadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one;
    std::string five;
    std::string fifteen;
    if (!(file >> one >> five >> fifteen)) {
        return "unknown";
    }
    return one + " " + five + " " + fifteen;
}

void PressEnter(ui::Form1& form)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &release);
}

// The value at fraction `q` of the sorted values, by the nearest rank.
double Quantile(const std::vector<double>& sorted, double q)
{
    const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    if (seconds <= 0) {
        std::fputs("usage: cadence [SECONDS]\n", stderr);
        return 2;
    }

    ui::Form1 form;
    std::vector<Clock::time_point> frames;
    frames.reserve(static_cast<std::size_t>(seconds) * 1000 / ui::Form1::TimerIntervalMs * 2 + 16);
    int gamesEnded = 0;
    QObject::connect(&form.playField(), &ui::PlayField::presented, &form, [&] {
        frames.push_back(Clock::now());
        if (form.state().halted) {
            // The game ended in this tick. Enter once the tick has returned,
            // well before the next one, as a player would.
            ++gamesEnded;
            QTimer::singleShot(0, &form, [&form] { PressEnter(form); });
        }
    });
    form.show();
    QTimer::singleShot(0, &form, [&form] { PressEnter(form); });
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);

    const std::string loadBefore = LoadAverage();
    QApplication::exec();
    const std::string loadAfter = LoadAverage();

    if (frames.size() < 3) {
        std::fprintf(stderr, "cadence: only %zu frames were presented\n", frames.size());
        return 1;
    }
    std::vector<double> intervals;
    intervals.reserve(frames.size() - 1);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        intervals.push_back(std::chrono::duration<double, std::milli>(frames[i] - frames[i - 1]).count());
    }
    std::sort(intervals.begin(), intervals.end());
    double sum = 0;
    for (const double v : intervals) {
        sum += v;
    }
    const double mean = sum / static_cast<double>(intervals.size());
    const double median = Quantile(intervals, 0.5);
    const double p99 = Quantile(intervals, 0.99);
    const double p1 = Quantile(intervals, 0.01);
    const double largest = intervals.back();
    const double expected = ui::Form1::TimerIntervalMs;

    std::printf("platform %s, %d s, %zu frames presented (%d games ended and restarted)\n",
                qPrintable(QGuiApplication::platformName()), seconds, frames.size(), gamesEnded);
    std::printf("interval between presented frames, ms:\n");
    std::printf("  mean              %7.2f\n", mean);
    std::printf("  median            %7.2f\n", median);
    std::printf("  1st percentile    %7.2f\n", p1);
    std::printf("  99th percentile   %7.2f\n", p99);
    std::printf("  largest gap       %7.2f\n", largest);
    std::printf(
        "  frames more than 2 ms off %.0f ms: %zu of %zu\n", expected,
        static_cast<std::size_t>(std::count_if(intervals.begin(), intervals.end(),
                                               [&](double v) { return std::abs(v - expected) > 2.0; })),
        intervals.size());
    std::printf("load average before: %s\nload average after:  %s\n", loadBefore.c_str(), loadAfter.c_str());
    return 0;
}
