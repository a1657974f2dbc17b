// Recording stand-ins for the three things the rules talk to: the play field,
// the status display and the random source. Every call is kept as a short
// line of text, so a test can compare a whole frame with one expected list.
//
// No test framework in here: fuzzers, benchmarks and the window tests include
// this header too.
#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

#include "canvas.h"
#include "random.h"
#include "status.h"

namespace test {

// Whole numbers print without a fraction ("155"), anything else in the
// shortest form that reads back as the same value ("0.99", "0.99999994").
template <typename Real> std::string FormatNumber(Real v)
{
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15) {
        return std::to_string(static_cast<long long>(v));
    }
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, result.ptr);
}

// "clear", "fill 255", "circle 160 20 5 255", "circle 155 380 5",
// "point 10 20 0", "present", "back 16777120".
class RecordingCanvas final : public game::Canvas {
public:
    std::vector<std::string> calls;

    void setBackColour(game::Colour colour) override { calls.push_back("back " + std::to_string(colour)); }
    void clear() override { calls.emplace_back("clear"); }
    void setFillColour(game::Colour colour) override { calls.push_back("fill " + std::to_string(colour)); }
    void drawCircle(double x, double y, double radius, game::Colour outline) override
    {
        calls.push_back("circle " + FormatNumber(x) + " " + FormatNumber(y) + " " + FormatNumber(radius) +
                        " " + std::to_string(outline));
    }
    void drawCircle(double x, double y, double radius) override
    {
        calls.push_back("circle " + FormatNumber(x) + " " + FormatNumber(y) + " " + FormatNumber(radius));
    }
    void drawPoint(double x, double y, game::Colour colour) override
    {
        calls.push_back("point " + FormatNumber(x) + " " + FormatNumber(y) + " " + std::to_string(colour));
    }
    void present() override { calls.emplace_back("present"); }
};

// "score 30", "gameover 30", "hide".
class RecordingStatus final : public game::Status {
public:
    std::vector<std::string> calls;

    void showScore(std::int32_t score) override { calls.push_back("score " + std::to_string(score)); }
    void showGameOver(std::int32_t score) override { calls.push_back("gameover " + std::to_string(score)); }
    void hidePanel() override { calls.emplace_back("hide"); }
};

// Hands out the scripted values in order; once they run out it answers
// `fallback`, by default 0.99: no spawn (roll 49) and no fire (roll 3), so a
// test scripts only the draws it cares about. The log reads "reseed" and
// "draw 0.25" in call order.
class ScriptedRandom final : public game::RandomSource {
public:
    static constexpr float DefaultFallback = 0.99F;

    explicit ScriptedRandom(std::initializer_list<float> values = {}, float fallback = DefaultFallback)
        : script_(values), fallback_(fallback)
    {
    }

    // Appends to what is left of the script.
    void script(std::initializer_list<float> values) { script_.insert(script_.end(), values); }

    void reseed() override { log.emplace_back("reseed"); }
    float next() override
    {
        float v = fallback_;
        if (script_.empty()) {
            ++overDrawn_;
        } else {
            v = script_.front();
            script_.pop_front();
        }
        log.push_back("draw " + FormatNumber(v));
        return v;
    }

    // Scripted values not drawn yet.
    [[nodiscard]] std::size_t remaining() const { return script_.size(); }
    // Draws answered with the fallback because the script had run out.
    [[nodiscard]] std::size_t overDrawn() const { return overDrawn_; }

    std::vector<std::string> log;

private:
    std::deque<float> script_;
    float fallback_;
    std::size_t overDrawn_ = 0;
};

// Passes every call on to another source and logs it as ScriptedRandom does,
// for checking what a real or fuzzed source was asked for.
class RecordingRandom final : public game::RandomSource {
public:
    explicit RecordingRandom(game::RandomSource& source) : source_(&source) {}

    void reseed() override
    {
        log.emplace_back("reseed");
        source_->reseed();
    }
    float next() override
    {
        const float v = source_->next();
        log.push_back("draw " + FormatNumber(v));
        return v;
    }

    std::vector<std::string> log;

private:
    game::RandomSource* source_;
};

} // namespace test
