// SPDX-License-Identifier: MIT
// The window's fonts: a Japanese gothic for the panel's title and result
// lines, a small sans-serif for the score line and the prompt.
#pragma once

#include <QFont>

namespace ui {

// The title and result lines' face at `pixelSize`, never slanted.
[[nodiscard]] QFont JapaneseFont(int pixelSize, bool bold, bool underline);

// The score line and the prompt: Latin text in lines 17 pixels high.
[[nodiscard]] QFont StatusFont();

} // namespace ui
