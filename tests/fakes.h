// SPDX-License-Identifier: MIT
// The one stand-in for each thing the rules talk to. Calls are kept as short
// text ("circle 155 380 5", "point 10 20 255", "gameover 30") so a test
// compares a whole frame with one list; `quiet` skips the text for the fuzzer.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "canvas.h"
#include "random.h"
#include "status.h"

namespace test {

using Calls = std::vector<std::string>;

struct Recorder {
    Calls calls;
    bool quiet = false;
    void add(std::string call)
    {
        if (!quiet) {
            calls.push_back(std::move(call));
        }
    }
    static std::string n(double v) { return std::to_string(static_cast<long long>(v)); }
};

struct RecordingCanvas final : game::Canvas, Recorder {
    void setBackColour(game::Colour c) override { add("back " + n(c)); }
    void clear() override { add("clear"); }
    void setFillColour(game::Colour c) override { add("fill " + n(c)); }
    void drawCircle(double x, double y, double r, game::Colour c) override
    {
        add("circle " + n(x) + " " + n(y) + " " + n(r) + " " + n(c));
    }
    void drawCircle(double x, double y, double r) override { add("circle " + n(x) + " " + n(y) + " " + n(r)); }
    void drawPoint(double x, double y, game::Colour c) override { add("point " + n(x) + " " + n(y) + " " + n(c)); }
    void present() override { add("present"); }
};

struct RecordingStatus final : game::Status, Recorder {
    void showScore(std::int32_t s) override { add("score " + n(s)); }
    void showGameOver(std::int32_t s) override { add("gameover " + n(s)); }
    void hidePanel() override { add("hide"); }
};

// The scripted values in order, then 0.99: roll 49 of 50 (no enemy) and 3 of
// 4 (no shot), so a test scripts only the draws it cares about. `log` counts
// reseeds as "reseed" and draws as "draw".
struct ScriptedRandom final : game::RandomSource {
    std::deque<float> script;
    Calls log;
    void reseed() override { log.emplace_back("reseed"); }
    float next() override
    {
        log.emplace_back("draw");
        if (script.empty()) {
            return 0.99F;
        }
        const float v = script.front();
        script.pop_front();
        return v;
    }
};

} // namespace test
