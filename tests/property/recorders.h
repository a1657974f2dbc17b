// Recording fakes for the canvas, the status display and the random source,
// so that every step can be checked for what it asked of each.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "canvas.h"
#include "random.h"
#include "status.h"

namespace game::checks {

// Builds a message out of anything that streams; only ever called once
// something is already wrong, so the cost does not matter.
template <typename... Parts> std::string Say(const Parts&... parts)
{
    std::ostringstream out;
    (out << ... << parts);
    return out.str();
}

struct CanvasCall {
    enum class Kind : std::uint8_t {
        SetBackColour,
        Clear,
        SetFillColour,
        DrawCircle,       // with an outline colour: the enemies
        DrawPlayerCircle, // outline in the fore colour: the player
        DrawPoint,
        Present,
    };
    Kind kind = Kind::Clear;
    double x = 0;
    double y = 0;
    double radius = 0;
    Colour colour = 0;

    friend bool operator==(const CanvasCall&, const CanvasCall&) = default;
};

inline const char* KindName(CanvasCall::Kind kind)
{
    switch (kind) {
    case CanvasCall::Kind::SetBackColour:
        return "setBackColour";
    case CanvasCall::Kind::Clear:
        return "clear";
    case CanvasCall::Kind::SetFillColour:
        return "setFillColour";
    case CanvasCall::Kind::DrawCircle:
        return "drawCircle(outline)";
    case CanvasCall::Kind::DrawPlayerCircle:
        return "drawCircle";
    case CanvasCall::Kind::DrawPoint:
        return "drawPoint";
    case CanvasCall::Kind::Present:
        return "present";
    }
    return "?";
}

inline std::string Describe(const CanvasCall& call)
{
    return Say(KindName(call.kind), "(x ", call.x, ", y ", call.y, ", r ", call.radius, ", colour ",
               call.colour, ")");
}

class RecordingCanvas final : public Canvas {
public:
    void setBackColour(Colour colour) override { add({CanvasCall::Kind::SetBackColour, 0, 0, 0, colour}); }
    void clear() override { add({CanvasCall::Kind::Clear}); }
    void setFillColour(Colour colour) override { add({CanvasCall::Kind::SetFillColour, 0, 0, 0, colour}); }
    void drawCircle(double x, double y, double radius, Colour outline) override
    {
        add({CanvasCall::Kind::DrawCircle, x, y, radius, outline});
    }
    void drawCircle(double x, double y, double radius) override
    {
        add({CanvasCall::Kind::DrawPlayerCircle, x, y, radius, 0});
    }
    void drawPoint(double x, double y, Colour colour) override
    {
        add({CanvasCall::Kind::DrawPoint, x, y, 0, colour});
    }
    void present() override { add({CanvasCall::Kind::Present}); }

    void forget() { calls.clear(); } // keeps the capacity: no allocation per tick

    std::vector<CanvasCall> calls;

private:
    void add(CanvasCall call) { calls.push_back(call); }
};

class RecordingStatus final : public Status {
public:
    void showScore(std::int32_t score) override { scores.push_back(score); }
    void showGameOver(std::int32_t score) override { gameOvers.push_back(score); }
    void hidePanel() override { ++panelsHidden; }

    void forget()
    {
        scores.clear();
        gameOvers.clear();
        panelsHidden = 0;
    }
    [[nodiscard]] bool untouched() const { return scores.empty() && gameOvers.empty() && panelsHidden == 0; }

    std::vector<std::int32_t> scores;
    std::vector<std::int32_t> gameOvers;
    int panelsHidden = 0;
};

// Passes every call through to a real or scripted source and keeps what it
// handed out, so that a tick can be checked against the numbers it really drew.
class RecordingRandom final : public RandomSource {
public:
    explicit RecordingRandom(RandomSource& source) : source_(&source) {}

    void reseed() override
    {
        if (!draws.empty()) {
            ++reseedsAfterDraws;
        }
        ++reseeds;
        source_->reseed();
    }
    float next() override
    {
        const float value = source_->next();
        if (reseeds == 0) {
            ++drawsBeforeReseed;
        }
        draws.push_back(value);
        return value;
    }

    void forget()
    {
        draws.clear();
        reseeds = 0;
        reseedsAfterDraws = 0;
        drawsBeforeReseed = 0;
    }
    [[nodiscard]] bool untouched() const { return draws.empty() && reseeds == 0; }

    std::vector<float> draws;
    int reseeds = 0;
    int reseedsAfterDraws = 0;
    int drawsBeforeReseed = 0;

private:
    RandomSource* source_;
};

} // namespace game::checks
