#include "play_field.h"

#include <QPainter>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "colour_conversion.h"

// Failures show rectangles as rectangles.
void PrintTo(const QRect& r, std::ostream* os)
{
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}

namespace {

using ui::PlayField;

constexpr QRgb Background = ui::ToQRgb(game::PaleCyan);
constexpr QRgb White = ui::ToQRgb(game::White);
constexpr QRgb Black = ui::ToQRgb(game::Black);
constexpr QRgb Red = ui::ToQRgb(game::Red);

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// Pixels of `image` that are not `colour`.
int CountOther(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) != colour ? 1 : 0;
        }
    }
    return count;
}

// The smallest rectangle holding every pixel that is not `colour`.
QRect BoundsOfOther(const QImage& image, QRgb colour)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != colour) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

// Every pixel that is not `background` is one of `allowed`.
bool OnlyColours(const QImage& image, QRgb background, std::initializer_list<QRgb> allowed)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel != background && std::find(allowed.begin(), allowed.end(), pixel) == allowed.end()) {
                return false;
            }
        }
    }
    return true;
}

QImage BlankReference()
{
    QImage image(PlayField::Width, PlayField::Height, PlayField::ImageFormat);
    image.fill(Background);
    return image;
}

class PlayFieldTest : public testing::Test {
protected:
    PlayFieldTest()
    {
        field.setBackColour(game::PaleCyan);
        field.clear();
    }

    PlayField field;
};

TEST(PlayFieldImage, Is300By400With24BitColour)
{
    const PlayField field;
    EXPECT_EQ(field.image().width(), 300);
    EXPECT_EQ(field.image().height(), 400);
    EXPECT_EQ(field.image().format(), QImage::Format_RGB32);
    EXPECT_FALSE(field.image().hasAlphaChannel());
    const QPixelFormat format = field.image().pixelFormat();
    EXPECT_EQ(format.redSize(), 8);
    EXPECT_EQ(format.greenSize(), 8);
    EXPECT_EQ(format.blueSize(), 8);
}

TEST(PlayFieldImage, BackColourStartsWhite)
{
    PlayField field;
    field.clear();
    EXPECT_EQ(CountOther(field.image(), White), 0);
}

TEST(PlayFieldImage, SetBackColourIsUsedByTheNextClear)
{
    PlayField field;
    field.clear();
    field.setBackColour(game::PaleCyan);
    EXPECT_EQ(CountOther(field.image(), White), 0) << "setting the colour alone repaints nothing";
    field.clear();
    EXPECT_EQ(CountOther(field.image(), Background), 0);
    EXPECT_EQ(qRed(field.image().pixel(0, 0)), 160);
    EXPECT_EQ(qGreen(field.image().pixel(299, 399)), 255);
    EXPECT_EQ(qBlue(field.image().pixel(150, 200)), 255);
}

TEST_F(PlayFieldTest, ClearCoversEverythingDrawn)
{
    field.setFillColour(game::Red);
    field.drawCircle(150, 200, 5);
    field.drawCircle(0, 0, 5, game::Red);
    field.drawPoint(299, 399, game::Black);
    ASSERT_GT(CountOther(field.image(), Background), 0);
    field.clear();
    EXPECT_EQ(CountOther(field.image(), Background), 0);
}

TEST_F(PlayFieldTest, ClearKeepsTheFillColour)
{
    field.setFillColour(game::Red);
    field.clear();
    field.drawCircle(150, 200, 5);
    EXPECT_EQ(field.image().pixel(150, 200), Red);
}

TEST_F(PlayFieldTest, DiscWithoutColourIsFillInsideABlackRimThreePixelsWide)
{
    field.setFillColour(game::Red);
    field.drawCircle(150, 200, 5);
    const QImage& image = field.image();
    // Across the middle, both ways: the rim covers 3.5 to 6.5 pixels from the
    // centre, the fill the rest.
    for (int d = -6; d <= 6; ++d) {
        const QRgb expected = std::abs(d) >= 4 ? Black : Red;
        EXPECT_EQ(image.pixel(150 + d, 200), expected) << "dx " << d;
        EXPECT_EQ(image.pixel(150, 200 + d), expected) << "dy " << d;
    }
    for (const int d : {-7, 7}) {
        EXPECT_EQ(image.pixel(150 + d, 200), Background) << "dx " << d;
        EXPECT_EQ(image.pixel(150, 200 + d), Background) << "dy " << d;
    }
    EXPECT_EQ(BoundsOfOther(image, Background), QRect(144, 194, 13, 13));
    EXPECT_TRUE(OnlyColours(image, Background, {Black, Red}));
}

TEST_F(PlayFieldTest, EnemyDiscIsRedThroughout)
{
    field.setFillColour(game::Red);
    field.drawCircle(100, 120, 5, game::Red);
    const QImage& image = field.image();
    EXPECT_EQ(BoundsOfOther(image, Background), QRect(94, 114, 13, 13));
    EXPECT_TRUE(OnlyColours(image, Background, {Red}));
    EXPECT_EQ(image.pixel(100, 120), Red);
    EXPECT_EQ(image.pixel(94, 120), Red);
    // A round disc, not its bounding square.
    EXPECT_EQ(image.pixel(94, 114), Background);
    EXPECT_EQ(image.pixel(106, 126), Background);
}

TEST_F(PlayFieldTest, PlayerDiscIsBlackThroughout)
{
    field.setFillColour(game::Black);
    field.drawCircle(155, 380, 5);
    EXPECT_EQ(BoundsOfOther(field.image(), Background), QRect(149, 374, 13, 13));
    EXPECT_TRUE(OnlyColours(field.image(), Background, {Black}));
}

TEST_F(PlayFieldTest, GivenOutlineColourIsUsedForTheRim)
{
    constexpr game::Colour Orange = 0x0080FF; // red 255, green 128
    field.setFillColour(game::Black);
    field.drawCircle(50, 60, 5, Orange);
    EXPECT_EQ(field.image().pixel(44, 60), qRgb(255, 128, 0));
    EXPECT_EQ(field.image().pixel(50, 60), Black);
}

TEST_F(PlayFieldTest, LaterDrawingCoversEarlier)
{
    field.setFillColour(game::Red);
    field.drawCircle(100, 100, 5, game::Red);
    field.drawPoint(100, 100, game::Black);
    field.setFillColour(game::Black);
    field.drawCircle(104, 100, 5);
    EXPECT_EQ(field.image().pixel(100, 100), Black); // the second disc's fill
    EXPECT_EQ(field.image().pixel(95, 100), Red);    // first disc, left uncovered
}

TEST_F(PlayFieldTest, DotIsThreeByThreeInItsColour)
{
    field.drawPoint(100, 150, game::Red);
    EXPECT_EQ(BoundsOfOther(field.image(), Background), QRect(99, 149, 3, 3));
    EXPECT_EQ(CountOther(field.image(), Background), 9);
    EXPECT_TRUE(OnlyColours(field.image(), Background, {Red}));

    field.drawPoint(10, 20, game::Black);
    EXPECT_EQ(CountOther(field.image(), Background), 18);
    EXPECT_EQ(field.image().pixel(9, 19), Black);
    EXPECT_EQ(field.image().pixel(11, 21), Black);
}

struct ClipCase {
    double x;
    double y;
    QRect shown; // empty: the image is left unchanged
};

void PrintTo(const ClipCase& c, std::ostream* os)
{
    *os << "(" << c.x << ", " << c.y << ")";
}

class DotClipping : public PlayFieldTest, public testing::WithParamInterface<ClipCase> {};

TEST_P(DotClipping, ShowsOnlyThePartOnTheImage)
{
    const ClipCase& c = GetParam();
    field.drawPoint(c.x, c.y, game::Red);
    EXPECT_EQ(BoundsOfOther(field.image(), Background), c.shown);
    EXPECT_EQ(CountOther(field.image(), Background), c.shown.width() * c.shown.height());
}

INSTANTIATE_TEST_SUITE_P(EveryEdge, DotClipping,
                         testing::Values(
                             // left
                             ClipCase{0, 200, QRect(0, 199, 2, 3)}, ClipCase{-1, 200, QRect(0, 199, 1, 3)},
                             ClipCase{-2, 200, QRect()}, ClipCase{-3, 200, QRect()},
                             // right
                             ClipCase{299, 200, QRect(298, 199, 2, 3)},
                             ClipCase{300, 200, QRect(299, 199, 1, 3)}, ClipCase{301, 200, QRect()},
                             ClipCase{302, 200, QRect()},
                             // top
                             ClipCase{150, 0, QRect(149, 0, 3, 2)}, ClipCase{150, -1, QRect(149, 0, 3, 1)},
                             ClipCase{150, -2, QRect()},
                             // bottom
                             ClipCase{150, 399, QRect(149, 398, 3, 2)},
                             ClipCase{150, 400, QRect(149, 399, 3, 1)}, ClipCase{150, 401, QRect()},
                             // corners
                             ClipCase{-1, -1, QRect(0, 0, 1, 1)}, ClipCase{300, 400, QRect(299, 399, 1, 1)},
                             ClipCase{-1, 400, QRect(0, 399, 1, 1)}, ClipCase{300, -1, QRect(299, 0, 1, 1)},
                             ClipCase{-2, -2, QRect()}, ClipCase{301, 401, QRect()}));

struct DiscEdgeCase {
    double x;
    double y;
    int edgeX; // a pixel of the rim on the image's edge, or -1 if nothing shows
    int edgeY;
};

void PrintTo(const DiscEdgeCase& c, std::ostream* os)
{
    *os << "(" << c.x << ", " << c.y << ")";
}

class DiscClipping : public PlayFieldTest, public testing::WithParamInterface<DiscEdgeCase> {};

TEST_P(DiscClipping, IsCutOffAtTheEdge)
{
    const DiscEdgeCase& c = GetParam();
    field.setFillColour(game::Red);
    field.drawCircle(c.x, c.y, 5);
    if (c.edgeX < 0) {
        EXPECT_EQ(CountOther(field.image(), Background), 0);
    } else {
        EXPECT_EQ(field.image().pixel(c.edgeX, c.edgeY), Black);
        EXPECT_TRUE(OnlyColours(field.image(), Background, {Black, Red}));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryEdge, DiscClipping,
                         testing::Values(DiscEdgeCase{-6, 200, 0, 200}, DiscEdgeCase{-7, 200, -1, -1},
                                         DiscEdgeCase{305, 200, 299, 200}, DiscEdgeCase{306, 200, -1, -1},
                                         DiscEdgeCase{150, -6, 150, 0}, DiscEdgeCase{150, -7, -1, -1},
                                         DiscEdgeCase{150, 405, 150, 399}, DiscEdgeCase{150, 406, -1, -1},
                                         DiscEdgeCase{-6, -6, -1, -1}, DiscEdgeCase{-4, -4, 0, 0}));

TEST_F(PlayFieldTest, DiscCentredJustOutsideShowsThePartInside)
{
    field.setFillColour(game::Red);
    field.drawCircle(-3, 200, 5);
    EXPECT_EQ(field.image().pixel(0, 200), Red); // 3 from the centre: fill
    EXPECT_EQ(field.image().pixel(1, 200), Black);
    EXPECT_EQ(field.image().pixel(3, 200), Black);
    EXPECT_EQ(field.image().pixel(4, 200), Background);
    // Three from the centre, the disc is 11 rows tall.
    EXPECT_EQ(BoundsOfOther(field.image(), Background), QRect(0, 195, 4, 11));
}

TEST_F(PlayFieldTest, DiscNearAnEdgeIsCutOff)
{
    field.setFillColour(game::Red);
    field.drawCircle(296, 3, 5, game::Red);
    EXPECT_EQ(BoundsOfOther(field.image(), Background), QRect(290, 0, 10, 10));
}

TEST_F(PlayFieldTest, AbsurdPositionsDrawNothingAndDoNotFail)
{
    const QImage before = field.image().copy();
    field.setFillColour(game::Red);
    const double positions[][2] = {{1e9, 200},  {-1e9, 200}, {150, 1e9},  {150, -1e9}, {1e300, -1e300},
                                   {-1e300, 0}, {Nan, 200},  {150, Nan},  {Inf, 200},  {150, -Inf},
                                   {-Inf, Inf}, {32768, 0},  {-32769, 0}, {0, 65536}};
    for (const auto& p : positions) {
        field.drawPoint(p[0], p[1], game::Red);
        field.drawCircle(p[0], p[1], 5);
        field.drawCircle(p[0], p[1], 5, game::Red);
        field.drawCircle(p[0], p[1], 2.5);
    }
    field.drawCircle(150, 200, Nan);
    field.drawCircle(150, 200, Inf);
    field.drawCircle(150, 200, -Inf);
    EXPECT_EQ(field.image(), before);
}

TEST_F(PlayFieldTest, HugeCirclesDoNotFail)
{
    field.setFillColour(game::Red);
    // Contains the whole image: all fill.
    field.drawCircle(150, 200, 1000, game::Black);
    EXPECT_EQ(CountOther(field.image(), Red), 0);
    field.clear();
    // Rims crossing the image with centres far away, and radii far past any
    // coordinate the rasteriser works in: whatever shows is rim, fill or
    // background, and nothing breaks.
    field.drawCircle(150, 1e6 + 200, 1e6, game::Black);
    field.drawCircle(-1e7, 200, 1e7 + 150, game::Black);
    field.drawCircle(150, 200, 1e300, game::Black);
    field.drawCircle(1e200, 1e200, 1e300, game::Black);
    field.drawCircle(150, 200, -5, game::Black);
    field.drawCircle(150, 200, 0, game::Black);
    EXPECT_TRUE(OnlyColours(field.image(), Background, {Red, Black}));
}

// ---- The fast paths against QPainter --------------------------------------

// What QPainter draws for one disc on a blank reference image.
QImage ReferenceDisc(double x, double y, double radius, QRgb outline, QRgb fill)
{
    QImage image = BlankReference();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    ui::PaintReferenceDisc(painter, x, y, radius, outline, fill);
    return image;
}

// Whole-number positions: every one near the edges, inside and outside, and a
// coarser sweep over the middle.
std::vector<int> SweepPositions(int size)
{
    std::vector<int> positions;
    for (int p = -9; p <= 12; ++p) {
        positions.push_back(p);
    }
    for (int p = 13; p < size - 13; p += 13) {
        positions.push_back(p);
    }
    for (int p = size - 13; p <= size + 9; ++p) {
        positions.push_back(p);
    }
    return positions;
}

TEST(PlayFieldRendering, GameDiscsMatchQPainterAtEveryEdge)
{
    PlayField field;
    ASSERT_TRUE(field.hasDiscStamp()) << "the game's discs would all go through QPainter";
    field.setBackColour(game::PaleCyan);
    field.setFillColour(game::Black);
    const QImage blank = BlankReference();
    int drawn = 0;
    int mismatches = 0;
    for (const int x : SweepPositions(PlayField::Width)) {
        for (const int y : SweepPositions(PlayField::Height)) {
            field.clear();
            field.drawCircle(x, y, 5, game::Red);
            if (field.image() != ReferenceDisc(x, y, 5, Red, Black)) {
                ADD_FAILURE() << "differs from QPainter at (" << x << ", " << y << ")";
                if (++mismatches == 10) {
                    return;
                }
            }
            drawn += field.image() != blank ? 1 : 0;
        }
    }
    // Most of the sweep is on the image; a renderer that drew nothing would
    // match QPainter only where QPainter draws nothing either.
    EXPECT_GT(drawn, 3000);
}

TEST(PlayFieldRendering, GameDiscsMatchQPainterInEveryColourPair)
{
    struct Pair {
        game::Colour outline;
        game::Colour fill;
        bool foreColour; // drawn without a colour: black outline
    };
    const Pair pairs[] = {{game::Red, game::Red, false},          {game::Black, game::Red, true},
                          {game::Black, game::Black, true},       {0x123456, 0xABCDEF, false},
                          {game::White, game::PaleCyan, false},   {game::PaleCyan, game::LightBlue, false},
                          {game::DarkGreen, game::DarkRed, false}};
    const int positions[][2] = {{150, 200}, {0, 0}, {-4, 17}, {303, 398}, {77, -5}, {299, 399}};
    PlayField field;
    field.setBackColour(game::PaleCyan);
    for (const Pair& pair : pairs) {
        for (const auto& p : positions) {
            field.clear();
            field.setFillColour(pair.fill);
            if (pair.foreColour) {
                field.drawCircle(p[0], p[1], 5);
            } else {
                field.drawCircle(p[0], p[1], 5, pair.outline);
            }
            EXPECT_EQ(field.image(),
                      ReferenceDisc(p[0], p[1], 5, ui::ToQRgb(pair.outline), ui::ToQRgb(pair.fill)))
                << std::hex << "outline " << pair.outline << " fill " << pair.fill << std::dec << " at ("
                << p[0] << ", " << p[1] << ")";
        }
    }
}

TEST(PlayFieldRendering, OtherCirclesAreQPainters)
{
    struct Circle {
        double x;
        double y;
        double radius;
    };
    const Circle circles[] = {{150.5, 200.25, 5}, {0.3, 0.7, 5},  {299.9, 399.5, 5}, {-3.5, 100, 5},
                              {100, 100, 3},      {200, 300, 10}, {1, 1, 10},        {150, 200, 2.5},
                              {10.75, 390, 7.25}, {150, 200, 100}};
    PlayField field;
    field.setBackColour(game::PaleCyan);
    field.setFillColour(game::Red);
    const QImage blank = BlankReference();
    for (const Circle& c : circles) {
        field.clear();
        field.drawCircle(c.x, c.y, c.radius, game::Black);
        EXPECT_NE(field.image(), blank) << c.x << ", " << c.y << " r " << c.radius;
        EXPECT_EQ(field.image(), ReferenceDisc(c.x, c.y, c.radius, Black, Red))
            << c.x << ", " << c.y << " r " << c.radius;
    }
}

TEST(PlayFieldRendering, DotsMatchQPainter)
{
    PlayField field;
    field.setBackColour(game::PaleCyan);
    // Quarter steps across both edges of each axis, where rounding and
    // clipping meet.
    std::vector<double> xs{150.25};
    std::vector<double> ys{200.75};
    for (double p = -3; p <= 3; p += 0.25) {
        xs.push_back(p);
        xs.push_back(p + 0.2); // and fifths, off the quarter grid
        xs.push_back(299 + p);
        ys.push_back(p);
        ys.push_back(399 + p);
    }
    for (const double x : xs) {
        for (const double y : ys) {
            field.clear();
            field.drawPoint(x, y, game::Red);
            QImage reference = BlankReference();
            {
                QPainter painter(&reference);
                painter.setRenderHint(QPainter::Antialiasing, false);
                ui::PaintReferenceDot(painter, x, y, Red);
            }
            ASSERT_EQ(field.image(), reference) << "(" << x << ", " << y << ")";
        }
    }
}

TEST(PlayFieldRendering, WholeFrameMatchesQPainter)
{
    std::minstd_rand generator(12345); // the same frame every run
    std::uniform_int_distribution<int> xs(-10, PlayField::Width + 10);
    std::uniform_int_distribution<int> ys(-10, PlayField::Height + 10);

    PlayField field;
    field.setBackColour(game::PaleCyan);
    QImage reference = BlankReference();
    QPainter painter(&reference);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // In the order and colours of a running tick.
    field.clear();
    field.setFillColour(game::Red);
    for (int i = 0; i < 21; ++i) {
        const int x = xs(generator);
        const int y = ys(generator);
        field.drawCircle(x, y, 5, game::Red);
        ui::PaintReferenceDisc(painter, x, y, 5, Red, Red);
    }
    for (int i = 0; i < 201; ++i) {
        const int x = xs(generator);
        const int y = ys(generator);
        const game::Colour colour = i % 2 == 0 ? game::Black : game::Red;
        field.drawPoint(x, y, colour);
        ui::PaintReferenceDot(painter, x, y, ui::ToQRgb(colour));
    }
    field.setFillColour(game::Black);
    field.drawCircle(155, 380, 5);
    ui::PaintReferenceDisc(painter, 155, 380, 5, Black, Black);
    painter.end();

    EXPECT_EQ(field.image(), reference);
    EXPECT_GT(CountOther(field.image(), Background), 21 * 50);
}

// ---- present ---------------------------------------------------------------

TEST(PlayFieldPresent, NoFrameBeforeTheFirstPresent)
{
    const PlayField field;
    EXPECT_TRUE(field.presentedFrame().isNull());
}

TEST_F(PlayFieldTest, PresentHandsOverACopyAndSignals)
{
    int presentations = 0;
    QObject::connect(&field, &PlayField::presented, [&] { ++presentations; });
    field.drawPoint(20, 30, game::Red);
    field.present();
    EXPECT_EQ(presentations, 1);
    ASSERT_FALSE(field.presentedFrame().isNull());
    EXPECT_EQ(field.presentedFrame().size(), QSize(300, 400));
    EXPECT_EQ(field.presentedFrame(), field.image());
    EXPECT_EQ(field.presentedFrame().pixel(20, 30), Red);
    field.present();
    EXPECT_EQ(presentations, 2);
}

TEST_F(PlayFieldTest, DrawingAfterPresentLeavesThePresentedFrameAlone)
{
    field.present();
    field.drawPoint(20, 30, game::Red);
    field.setFillColour(game::Black);
    field.drawCircle(100, 100, 5);
    EXPECT_EQ(field.presentedFrame().pixel(20, 30), Background);
    EXPECT_EQ(CountOther(field.presentedFrame(), Background), 0);
    field.clear();
    field.present();
    field.drawPoint(20, 30, game::Red);
    EXPECT_EQ(CountOther(field.presentedFrame(), Background), 0);
}

TEST_F(PlayFieldTest, TwoPresentsWithoutDrawingGiveTheSameFrame)
{
    field.drawPoint(20, 30, game::Red);
    field.present();
    const QImage first = field.presentedFrame().copy();
    field.present();
    EXPECT_EQ(field.presentedFrame(), first);
}

TEST_F(PlayFieldTest, AFrameKeptByTheWindowIsNotOverwrittenByTheNext)
{
    field.drawPoint(20, 30, game::Red);
    field.present();
    const QImage kept = field.presentedFrame(); // shares the buffer, as a window might
    field.clear();
    field.drawPoint(200, 300, game::Black);
    field.present();
    EXPECT_EQ(kept.pixel(20, 30), Red);
    EXPECT_EQ(kept.pixel(200, 300), Background);
    EXPECT_EQ(field.presentedFrame().pixel(20, 30), Background);
    EXPECT_EQ(field.presentedFrame().pixel(200, 300), Black);
}

TEST_F(PlayFieldTest, PresentReusesTheFramesBuffer)
{
    field.present();
    const uchar* buffer = field.presentedFrame().constBits();
    field.drawPoint(20, 30, game::Red);
    field.present();
    EXPECT_EQ(field.presentedFrame().constBits(), buffer);
    EXPECT_EQ(field.presentedFrame().pixel(20, 30), Red);
}

} // namespace
