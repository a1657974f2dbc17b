// SPDX-License-Identifier: MIT
#include "status_display.h"

#include <utility>

#include "startup.h"

namespace ui {
namespace {

// The score the way every number is shown: digits, a leading '-' when
// negative, no padding or grouping.
QString Decimal(std::int32_t value)
{
    return QString::number(value);
}

} // namespace

StatusDisplay::StatusDisplay(QObject* parent)
    : QObject(parent), scoreLine_(Decimal(0) + u'p'), titleLine_(QString::fromUtf8(game::Title)),
      promptLine_(QStringLiteral("Press Enter Key To Start"))
{
}

// Every *Changed signal fires only when its text or flag actually changes, so
// a window that repaints on them repaints only what moved.

void StatusDisplay::showScore(std::int32_t score)
{
    if (score == shownScore_) {
        return; // same text as before
    }
    shownScore_ = score;
    scoreLine_ = Decimal(score) + u'p';
    emit scoreLineChanged(scoreLine_);
}

void StatusDisplay::showGameOver(std::int32_t score)
{
    const QString title = QStringLiteral("ゲームオーバー");
    if (titleLine_ != title) {
        titleLine_ = title;
        emit titleLineChanged(titleLine_);
    }
    // U+3000, the ideographic space, not an ASCII space.
    QString result = Decimal(score) + QStringLiteral("\u3000ポイント");
    if (resultLine_ != result) {
        resultLine_ = std::move(result);
        emit resultLineChanged(resultLine_);
    }
    if (!panelVisible_) {
        panelVisible_ = true;
        emit panelVisibleChanged(true);
    }
}

void StatusDisplay::hidePanel()
{
    if (panelVisible_) {
        panelVisible_ = false;
        emit panelVisibleChanged(false);
    }
}

const QString& StatusDisplay::scoreLine() const
{
    return scoreLine_;
}

const QString& StatusDisplay::titleLine() const
{
    return titleLine_;
}

const QString& StatusDisplay::resultLine() const
{
    return resultLine_;
}

const QString& StatusDisplay::promptLine() const
{
    return promptLine_;
}

bool StatusDisplay::panelVisible() const
{
    return panelVisible_;
}

} // namespace ui
