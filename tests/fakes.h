// SPDX-License-Identifier: MIT
// The one fake of the play field, the status display and the random source:
// calls land in one list as made ("circle 155 380 5", "reseed 0" with the draws
// so far); the script runs out into 0.99, no enemy, no shot. `quiet` keeps none.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "canvas.h"
#include "random.h"
#include "status.h"

namespace test {

struct Fakes final : game::Canvas, game::Status, game::RandomSource {
    std::vector<std::string> calls;
    std::deque<float> script;
    long draws = 0;
    bool quiet = false;

    void add(std::string call, std::initializer_list<double> numbers = {})
    {
        if (quiet) {
            return;
        }
        for (const double v : numbers) {
            call.append(" ").append(std::to_string(static_cast<long long>(v)));
        }
        calls.push_back(std::move(call));
    }
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
    void showScore(std::int32_t s) override { add("score", {double(s)}); }
    void showGameOver(std::int32_t s) override { add("gameover", {double(s)}); }
    void hidePanel() override { add("hide"); }
    void reseed() override { add("reseed", {double(draws)}); }
    float next() override
    {
        ++draws;
        const float v = script.empty() ? 0.99F : script.front();
        if (!script.empty()) {
            script.pop_front();
        }
        return v;
    }
};

} // namespace test
