// The program's icon: the same small play field at every size.
#include "colour_conversion.h"
#include "icon.h"
#include "window_fixture.h"

namespace test {
namespace {

int Count(const QImage& image, game::Colour colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += Rgb(image.pixel(x, y)) == RgbOf(colour) ? 1 : 0;
        }
    }
    return n;
}

TEST(IconTest, EverySizeIsAWhiteFieldWithRedAndBlackDiscsAndDots)
{
    for (const int size : ui::IconSizes) {
        SCOPED_TRACE(size);
        const QImage image = ui::IconImage(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        const int area = size * size;
        // Mostly white; a disc of each colour is a good part of the rest.
        EXPECT_GT(Count(image, game::White), area / 2);
        EXPECT_GT(Count(image, game::Red), area / 16);
        EXPECT_GT(Count(image, game::Black), area / 16);
        EXPECT_EQ(Count(image, game::White) + Count(image, game::Red) + Count(image, game::Black), area)
            << "three colours only, no blending";
        EXPECT_EQ(RgbAt(image, 0, size - 1), RgbOf(game::White));
        EXPECT_EQ(RgbAt(image, size - 1, 0), RgbOf(game::White));
    }
}

TEST(IconTest, LargerSizesAreTheSameArtworkScaled)
{
    const QImage small = ui::IconImage(16);
    for (const int size : {32, 48}) {
        const QImage large = ui::IconImage(size);
        const int scale = size / 16;
        int differences = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                // The middle of each block of the large image.
                const QRgb middle = large.pixel(x * scale + scale / 2, y * scale + scale / 2);
                differences += Rgb(middle) == Rgb(small.pixel(x, y)) ? 0 : 1;
            }
        }
        EXPECT_LE(differences, 16) << size << ": edges of round shapes may differ";
    }
}

TEST(IconTest, IconHoldsAllThreeSizes)
{
    const QIcon icon = ui::AppIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : ui::IconSizes) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(Count(image, game::Red), Count(ui::IconImage(size), game::Red)) << size;
    }
}

} // namespace
} // namespace test
