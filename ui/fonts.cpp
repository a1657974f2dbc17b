// SPDX-License-Identifier: MIT
#include "fonts.h"

#include <QStringList>

namespace ui {
namespace {

// The title and result lines were designed for this face. Where it is
// missing, the nearest Japanese proportional gothics stand in; the list must
// never run out into a face without kana, or the title shows as boxes.
const QStringList& TitleFamilies()
{
    static const QStringList families{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                                      QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")};
    return families;
}

} // namespace

QFont JapaneseFont(int pixelSize, bool bold, bool underline)
{
    QFont font;
    font.setFamilies(TitleFamilies());
    // Where none of them is installed, each glyph comes from the face the
    // system prefers for sans-serif text in its script: for kana, its own
    // Japanese gothic. Nothing here asks which faces exist, which would load
    // the whole font list before the window is first shown.
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // Never slanted, even where the desktop's own font is.
    font.setItalic(false);
    font.setUnderline(underline);
    // Unhinted: before hinting a CJK face, FreeType's auto-hinter loads dozens
    // of reference glyphs and walks the whole character map, which leaves
    // that much of the font file resident for as long as the game runs (about
    // 1.5 MB of IPAPGothic). At 16 and 27 pixels the antialiased outlines
    // need no hinting.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// The score line and the prompt: Latin text in lines only 17 pixels high, so
// a size in pixels, not points, keeps them whole whatever size the desktop's
// default font is. 12 pixels is that default (9 points) at 96 dpi. Weight and
// slant are fixed too: a bold or italic desktop font would widen the prompt.
QFont StatusFont()
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    return font;
}

} // namespace ui
