// A running tick every 50 ms should cost no heap allocation at all once the
// first frame has been presented: the pools, the image and the presented frame
// are all made once.
#include <QImage>
#include <QString>

#include <algorithm>
#include <cstddef>

#include <gtest/gtest.h>

#include "colour_conversion.h"
#include "counting_allocator.h"
#include "play_field.h"
#include "random.h"
#include "state.h"
#include "status_display.h"
#include "tick.h"

namespace {

// Always the same number, high enough that no enemy spawns (roll 49 of 50)
// and none fires (roll 3 of 4): the pools stay exactly as the test fills them.
class SteadyRandom final : public game::RandomSource {
public:
    void reseed() override { ++reseeds; }
    float next() override { return 0.99F; }

    int reseeds = 0;
};

// Every slot of both pools live and standing still, far enough apart that no
// shot touches an enemy or the player: every tick moves, draws and tests all
// 21 enemies and 201 shots, and nothing ever ends.
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

bool PoolsFull(const game::GameState& state)
{
    const auto live = [](const auto& slot) { return static_cast<bool>(slot.active); };
    return std::all_of(state.enemies.begin(), state.enemies.end(), live) &&
           std::all_of(state.shots.begin(), state.shots.end(), live);
}

TEST(FrameAllocations, CounterSeesTheToolkitsAllocations)
{
    allocation_count::Start();
    const QString text = QString::number(123456789);
    const QImage image(64, 64, QImage::Format_RGB32);
    const std::size_t allocations = allocation_count::Stop();
    EXPECT_GE(allocations, 2U);
    EXPECT_EQ(text.size(), 9);
    EXPECT_FALSE(image.isNull());
}

TEST(FrameAllocations, RunningFrameWithFullPoolsAllocatesNothing)
{
    ui::PlayField field;
    ui::StatusDisplay status;
    SteadyRandom random;
    field.setBackColour(game::PaleCyan);
    int presentations = 0;
    QRgb shownPixel = 0;
    // What a window does with a frame: look at it.
    QObject::connect(&field, &ui::PlayField::presented, [&] {
        ++presentations;
        shownPixel = field.presentedFrame().pixel(10, 40);
    });

    game::GameState state = FullPools();
    ASSERT_TRUE(PoolsFull(state));
    // The first present makes the presented frame; after that nothing new.
    for (int i = 0; i < 3; ++i) {
        game::Tick(state, field, status, random);
    }

    constexpr int Frames = 50;
    allocation_count::Start();
    for (int i = 0; i < Frames; ++i) {
        game::Tick(state, field, status, random);
    }
    const std::size_t allocations = allocation_count::Stop();

    EXPECT_EQ(allocations, 0U);
    // The frames were real ones: every tick ran, drew and presented.
    EXPECT_EQ(presentations, 3 + Frames);
    EXPECT_EQ(random.reseeds, 3 + Frames);
    EXPECT_TRUE(PoolsFull(state));
    EXPECT_FALSE(static_cast<bool>(state.halted));
    EXPECT_EQ(state.score, game::Long(0));
    EXPECT_EQ(status.scoreLine(), QStringLiteral("0p"));
    EXPECT_EQ(shownPixel, ui::ToQRgb(game::Red));                               // an enemy's centre
    EXPECT_EQ(field.presentedFrame().pixel(10, 100), ui::ToQRgb(game::Black));  // a player's shot
    EXPECT_EQ(field.presentedFrame().pixel(24, 100), ui::ToQRgb(game::Red));    // an enemy's shot
    EXPECT_EQ(field.presentedFrame().pixel(155, 380), ui::ToQRgb(game::Black)); // the player
    EXPECT_EQ(field.presentedFrame().pixel(150, 300), ui::ToQRgb(game::PaleCyan));
}

TEST(FrameAllocations, ShowingAnUnchangedScoreAllocatesNothing)
{
    ui::StatusDisplay status;
    status.showScore(120);
    allocation_count::Start();
    for (int i = 0; i < 100; ++i) {
        status.showScore(120);
    }
    EXPECT_EQ(allocation_count::Stop(), 0U);
    EXPECT_EQ(status.scoreLine(), QStringLiteral("120p"));
}

} // namespace
