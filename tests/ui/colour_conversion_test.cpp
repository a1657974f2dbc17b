#include "colour_conversion.h"

#include <gtest/gtest.h>

namespace {

// The conversion is usable in constant expressions (the play field keeps its
// fore colour as one).
static_assert(ui::ToQRgb(game::Red) == qRgb(255, 0, 0));

TEST(ColourConversion, PaleCyanBackgroundKeepsRedInTheLowByte)
{
    const QRgb rgb = ui::ToQRgb(0x00FFFFA0);
    EXPECT_EQ(qRed(rgb), 160);
    EXPECT_EQ(qGreen(rgb), 255);
    EXPECT_EQ(qBlue(rgb), 255);
}

TEST(ColourConversion, LightBluePanel)
{
    const QRgb rgb = ui::ToQRgb(0x00FFC0C0);
    EXPECT_EQ(qRed(rgb), 192);
    EXPECT_EQ(qGreen(rgb), 192);
    EXPECT_EQ(qBlue(rgb), 255);
}

TEST(ColourConversion, GameColours)
{
    EXPECT_EQ(ui::ToQRgb(game::Black), qRgb(0, 0, 0));
    EXPECT_EQ(ui::ToQRgb(game::White), qRgb(255, 255, 255));
    EXPECT_EQ(ui::ToQRgb(game::Red), qRgb(255, 0, 0));
    EXPECT_EQ(ui::ToQRgb(game::DarkRed), qRgb(192, 0, 0));
    EXPECT_EQ(ui::ToQRgb(game::DarkGreen), qRgb(0, 128, 0));
}

TEST(ColourConversion, IsOpaqueAndIgnoresTheUnusedTopByte)
{
    const QRgb rgb = ui::ToQRgb(0x12345678);
    EXPECT_EQ(qAlpha(rgb), 255);
    EXPECT_EQ(qRed(rgb), 0x78);
    EXPECT_EQ(qGreen(rgb), 0x56);
    EXPECT_EQ(qBlue(rgb), 0x34);
    EXPECT_EQ(qAlpha(ui::ToQRgb(game::Black)), 255);
}

TEST(ColourConversion, QColorAgreesWithQRgb)
{
    for (const game::Colour colour : {game::Black, game::Red, game::PaleCyan, game::LightBlue, game::DarkRed,
                                      game::DarkGreen, game::Colour{0x00123456}}) {
        const QColor qcolor = ui::ToQColor(colour);
        EXPECT_EQ(qcolor.rgb(), ui::ToQRgb(colour));
        EXPECT_EQ(qcolor.red(), game::RedOf(colour));
        EXPECT_EQ(qcolor.green(), game::GreenOf(colour));
        EXPECT_EQ(qcolor.blue(), game::BlueOf(colour));
        EXPECT_EQ(qcolor.alpha(), 255);
    }
}

} // namespace
