#include "status_display.h"

#include <QStringList>

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace {

using ui::StatusDisplay;

// The texts spelt out code point by code point, so that a source file saved in
// the wrong encoding cannot make both sides of a comparison wrong together.
const QString Title = QString::fromUtf16(u"\u30B1\u30EB\u30D0\u30C9");                      // ケルバド
const QString GameOver = QString::fromUtf16(u"\u30B2\u30FC\u30E0\u30AA\u30FC\u30D0\u30FC"); // ゲームオーバー
const QString Points = QString::fromUtf16(u"\u3000\u30DD\u30A4\u30F3\u30C8");               // 　ポイント
const QString Prompt = QStringLiteral("Press Enter Key To Start");

// Every signal in the order it came, with what it carried.
class SignalLog {
public:
    explicit SignalLog(StatusDisplay& display)
    {
        QObject::connect(&display, &StatusDisplay::scoreLineChanged,
                         [this](const QString& text) { log_ << "score:" + text; });
        QObject::connect(&display, &StatusDisplay::titleLineChanged,
                         [this](const QString& text) { log_ << "title:" + text; });
        QObject::connect(&display, &StatusDisplay::resultLineChanged,
                         [this](const QString& text) { log_ << "result:" + text; });
        QObject::connect(&display, &StatusDisplay::panelVisibleChanged,
                         [this](bool visible) { log_ << (visible ? "panel:shown" : "panel:hidden"); });
    }

    [[nodiscard]] const QStringList& entries() const { return log_; }
    void reset() { log_.clear(); }

private:
    QStringList log_;
};

TEST(StatusDisplay, StartsWithTheStartPanel)
{
    const StatusDisplay display;
    EXPECT_EQ(display.scoreLine(), QStringLiteral("0p"));
    EXPECT_EQ(display.titleLine(), Title);
    EXPECT_TRUE(display.resultLine().isEmpty());
    EXPECT_EQ(display.promptLine(), Prompt);
    EXPECT_TRUE(display.panelVisible());
}

TEST(StatusDisplay, ShowScoreWritesTheDecimalFollowedByP)
{
    StatusDisplay display;
    display.showScore(1230);
    EXPECT_EQ(display.scoreLine(), QStringLiteral("1230p"));
    display.showScore(10);
    EXPECT_EQ(display.scoreLine(), QStringLiteral("10p"));
    display.showScore(-5);
    EXPECT_EQ(display.scoreLine(), QStringLiteral("-5p"));
    display.showScore(std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(display.scoreLine(), QStringLiteral("2147483647p"));
    display.showScore(std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(display.scoreLine(), QStringLiteral("-2147483648p"));
    display.showScore(0);
    EXPECT_EQ(display.scoreLine(), QStringLiteral("0p"));
}

TEST(StatusDisplay, ScoreLineSignalsOnlyWhenItsTextChanges)
{
    StatusDisplay display;
    SignalLog log(display);
    display.showScore(0); // "0p" already
    EXPECT_TRUE(log.entries().isEmpty());
    display.showScore(120);
    display.showScore(120);
    display.showScore(130);
    display.showScore(0);
    EXPECT_EQ(log.entries(), QStringList({"score:120p", "score:130p", "score:0p"}));
}

TEST(StatusDisplay, ShowGameOverWritesTitleThenResultThenShowsThePanel)
{
    StatusDisplay display;
    display.hidePanel();
    SignalLog log(display);
    display.showGameOver(120);
    EXPECT_EQ(display.titleLine(), GameOver);
    EXPECT_EQ(display.resultLine(), "120" + Points);
    EXPECT_TRUE(display.panelVisible());
    EXPECT_EQ(log.entries(), QStringList({"title:" + GameOver, "result:120" + Points, "panel:shown"}));
}

TEST(StatusDisplay, ResultSpaceIsTheIdeographicSpace)
{
    StatusDisplay display;
    display.showGameOver(0);
    const QString& result = display.resultLine();
    ASSERT_EQ(result.size(), 6);
    EXPECT_EQ(result.at(0), QChar(u'0'));
    EXPECT_EQ(result.at(1).unicode(), 0x3000);
    EXPECT_EQ(result.mid(2), QString::fromUtf16(u"\u30DD\u30A4\u30F3\u30C8"));
    display.showGameOver(-40);
    EXPECT_EQ(display.resultLine(), "-40" + Points);
}

TEST(StatusDisplay, ShowGameOverOnAShownPanelOnlyRewritesItsTexts)
{
    StatusDisplay display;
    SignalLog log(display);
    display.showGameOver(50);
    EXPECT_EQ(log.entries(), QStringList({"title:" + GameOver, "result:50" + Points}));
    log.reset();
    // The title already reads the game-over text; only the result moves.
    display.showGameOver(60);
    EXPECT_EQ(log.entries(), QStringList({"result:60" + Points}));
    EXPECT_TRUE(display.panelVisible());
    EXPECT_EQ(display.scoreLine(), QStringLiteral("0p")) << "game over leaves the score line alone";
}

TEST(StatusDisplay, HidePanelHidesItOnce)
{
    StatusDisplay display;
    SignalLog log(display);
    display.hidePanel();
    EXPECT_FALSE(display.panelVisible());
    display.hidePanel();
    EXPECT_FALSE(display.panelVisible());
    EXPECT_EQ(log.entries(), QStringList({"panel:hidden"}));
}

TEST(StatusDisplay, HidingThePanelKeepsItsTexts)
{
    StatusDisplay display;
    display.showGameOver(70);
    display.hidePanel();
    EXPECT_EQ(display.titleLine(), GameOver);
    EXPECT_EQ(display.resultLine(), "70" + Points);
    EXPECT_EQ(display.promptLine(), Prompt);
    SignalLog log(display);
    display.showGameOver(70); // the same texts: the panel only comes back up
    EXPECT_EQ(log.entries(), QStringList({"panel:shown"}));
}

} // namespace
