// The texts must be readable: a face with Japanese glyphs for the title and
// result lines, and every text inside its line.
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QRawFont>

#include "window_fixture.h"

namespace test {
namespace {

using FontsTest = WindowTest;

// The longest texts each line can be asked to show in a game.
const char* const TitleTexts[] = {"ケルバド", "ゲームオーバー"};
const char* const ResultTexts[] = {"0\u3000ポイント", "99990\u3000ポイント"};

bool IsJapaneseFace(const QString& family)
{
    return QFontDatabase::families(QFontDatabase::Japanese).contains(family);
}

void ExpectJapaneseGlyphs(const QLabel* label, const char* const* texts, std::size_t count)
{
    SCOPED_TRACE(label->objectName().toStdString());
    const QFont font = label->font();
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(IsJapaneseFace(family)) << family.toStdString();
    // The face actually chosen, without fallbacks to other faces.
    const QRawFont raw = QRawFont::fromFont(font);
    ASSERT_TRUE(raw.isValid());
    for (std::size_t i = 0; i < count; ++i) {
        for (const QChar c : Utf8(texts[i])) {
            EXPECT_TRUE(raw.supportsCharacter(c))
                << family.toStdString() << " lacks U+" << std::hex << static_cast<int>(c.unicode());
        }
    }
}

TEST_F(FontsTest, TitleAndResultUseAFaceWithJapaneseGlyphs)
{
    ExpectJapaneseGlyphs(form().label2(), TitleTexts, std::size(TitleTexts));
    ExpectJapaneseGlyphs(form().label3(), ResultTexts, std::size(ResultTexts));
}

TEST_F(FontsTest, ChosenFaceIsOneOfTheRequestedOnes)
{
    for (const QLabel* label : {form().label2(), form().label3()}) {
        const QString family = QFontInfo(label->font()).family();
        EXPECT_TRUE(label->font().families().contains(family)) << family.toStdString();
    }
}

TEST_F(FontsTest, SizesComeOutInPixels)
{
    EXPECT_EQ(QFontInfo(form().label2()->font()).pixelSize(), 27);
    EXPECT_EQ(QFontInfo(form().label3()->font()).pixelSize(), 16);
    EXPECT_TRUE(QFontInfo(form().label3()->font()).bold());
    EXPECT_TRUE(QFontInfo(form().label3()->font()).underline());
}

// Whether `text` fits a centred line `visibleWidth` wide (of which the line
// is `width` wide, centred) and `height` high.
void ExpectFits(const QLabel* label, const QString& text, int visibleWidth)
{
    SCOPED_TRACE(label->objectName().toStdString() + ": " + text.toStdString());
    const QFontMetrics metrics(label->font());
    EXPECT_LE(metrics.horizontalAdvance(text), visibleWidth);
    EXPECT_LE(metrics.boundingRect(text).width(), visibleWidth);
    EXPECT_LE(metrics.height(), label->height());
}

TEST_F(FontsTest, EveryTextFitsItsLine)
{
    // The title line is wider than the panel's inside and cut off on the
    // right; centred text must stay clear of the cut.
    const int insideWidth = form().picture2Inside()->width();
    const int titleVisible = 2 * (insideWidth - form().label2()->width() / 2);
    ASSERT_GT(titleVisible, 150);
    for (const char* text : TitleTexts) {
        ExpectFits(form().label2(), Utf8(text), titleVisible);
    }
    for (const char* text : ResultTexts) {
        ExpectFits(form().label3(), Utf8(text), form().label3()->width());
    }
    ExpectFits(form().label4(), form().label4()->text(), form().label4()->width());
    // The same holds for the score line, which is cut at the window's edge.
    const int scoreVisible = 2 * (300 - form().label1()->width() / 2);
    ExpectFits(form().label1(), "999990p", scoreVisible);
}

} // namespace
} // namespace test
