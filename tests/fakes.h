// SPDX-License-Identifier: MIT
// The one stand-in for each thing the rules talk to. Calls are kept as short
// text ("circle 155 380 5", "point 10 20 255", "gameover 30") so a test
// compares a whole frame with one list; `quiet` skips the text for the fuzzer,
// which still gets the number of calls in `count`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "canvas.h"
#include "random.h"
#include "status.h"

namespace test {

using Calls = std::vector<std::string>;

struct Recorder {
    Calls calls;
    bool quiet = false;
    std::size_t count = 0;
    Recorder* echo = nullptr; // also gets every call, to see the order across fakes
    // Counts the call and, unless quiet, keeps it as text: its name and numbers.
    void add(const char* name, std::initializer_list<double> numbers = {})
    {
        ++count;
        if (echo != nullptr) {
            echo->add(name, numbers);
        }
        if (!quiet) {
            std::string call = name;
            for (const double v : numbers) {
                call += " " + std::to_string(static_cast<long long>(v));
            }
            calls.push_back(std::move(call));
        }
    }
    // The calls as one line: "clear, fill 255, present".
    [[nodiscard]] std::string text() const
    {
        std::string out;
        for (const auto& call : calls) {
            out += (out.empty() ? "" : ", ") + call;
        }
        return out;
    }
};

struct RecordingCanvas final : game::Canvas, Recorder {
    void setBackColour(game::Colour c) override { add("back", {double(c)}); }
    void clear() override { add("clear"); }
    void setFillColour(game::Colour c) override { add("fill", {double(c)}); }
    void drawCircle(double x, double y, double r, game::Colour c) override
    {
        add("circle", {x, y, r, double(c)});
    }
    void drawCircle(double x, double y, double r) override { add("circle", {x, y, r}); }
    void drawPoint(double x, double y, game::Colour c) override { add("point", {x, y, double(c)}); }
    void present() override { add("present"); }
};

struct RecordingStatus final : game::Status, Recorder {
    void showScore(std::int32_t s) override { add("score", {double(s)}); }
    void showGameOver(std::int32_t s) override { add("gameover", {double(s)}); }
    void hidePanel() override { add("hide"); }
};

// The scripted values in order, then 0.99: roll 49 of 50 (no enemy) and 3 of
// 4 (no shot), so a test scripts only the draws it cares about. `log` lists
// reseeds as "reseed" and draws as "draw"; `quiet` keeps only their `count`.
struct ScriptedRandom final : game::RandomSource {
    std::deque<float> script;
    Calls log;
    bool quiet = false;
    std::size_t count = 0;
    void note(const char* what)
    {
        ++count;
        if (!quiet) {
            log.emplace_back(what);
        }
    }
    // The log with each run of draws counted: "reseed, 4 draws, reseed, 1 draw".
    [[nodiscard]] std::string summary() const
    {
        std::string out;
        for (std::size_t i = 0, run = 0; i < log.size(); ++i) {
            run = log[i] == "draw" ? run + 1 : 0;
            if (run == 0 || i + 1 == log.size() || log[i + 1] != "draw") {
                const std::string what =
                    run == 0 ? log[i] : std::to_string(run) + (run == 1 ? " draw" : " draws");
                out += (out.empty() ? "" : ", ") + what;
            }
        }
        return out;
    }
    void reseed() override { note("reseed"); }
    float next() override
    {
        note("draw");
        if (script.empty()) {
            return 0.99F;
        }
        const float v = script.front();
        script.pop_front();
        return v;
    }
};

} // namespace test
