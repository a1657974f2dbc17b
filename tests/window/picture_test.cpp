// What the window shows, read back pixel by pixel: the start screen, a
// running frame, and the game-over panel in front of the last frame.
#include <QFrame>
#include <QLabel>

#include "window_fixture.h"

namespace test {
namespace {

// The panel's inside starts one border in from its outer corner.
constexpr int PanelInsideLeft = 40 + ui::Form1::PanelBorder;
constexpr int PanelInsideTop = 120 + ui::Form1::PanelBorder;

// A pixel on the panel between the result and the prompt lines: no text
// can fall there.
constexpr QPoint PanelGap(PanelInsideLeft + 20, PanelInsideTop + 70);

// The result line, less its top row, which the title line's bottom row
// overlaps.
constexpr QRect ResultLine(PanelInsideLeft + 8, PanelInsideTop + 41, 193, 24);

// Places on the field that no control covers.
constexpr QPoint OpenField[] = {{10, 50}, {290, 60}, {20, 300}, {280, 395}, {150, 250}};

class PictureTest : public WindowTest {
protected:
    static void expectScoreBar(const QImage& image)
    {
        // Away from the centred text, all 17 rows are black, right to the
        // window's edge; the row below is not.
        for (const int x : {0, 60, 240, 299}) {
            for (const int y : {0, 8, 16}) {
                EXPECT_EQ(RgbAt(image, x, y), RgbOf(game::Black)) << x << "," << y;
            }
            EXPECT_NE(RgbAt(image, x, 17), RgbOf(game::Black)) << x;
        }
    }

    static void expectBoundaryLine(const QImage& image, game::Colour field)
    {
        for (const int x : {0, 30, 150, 270, 299}) {
            EXPECT_EQ(RgbAt(image, x, 100), RgbOf(game::Black)) << x;
            EXPECT_EQ(RgbAt(image, x, 99), RgbOf(field)) << x;
            EXPECT_EQ(RgbAt(image, x, 101), RgbOf(field)) << x;
        }
    }

    // Pixels of text in `area`: those that differ from the background.
    // Text is antialiased, so only the strongest of them has the text's own
    // colour; that one must be close to it.
    static void expectText(const QImage& image, QRect area, game::Colour background, game::Colour text,
                           int minimumPixels)
    {
        const QColor back = QColor::fromRgb(image.pixel(area.topLeft()));
        ASSERT_EQ(Rgb(back.rgb()), RgbOf(background)) << "the corner of the area is background";
        int ink = 0;
        int strongest = 0;
        QColor strongestColour;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = QColor::fromRgb(image.pixel(x, y));
                const int distance = std::abs(c.red() - back.red()) + std::abs(c.green() - back.green()) +
                                     std::abs(c.blue() - back.blue());
                ink += distance > 0 ? 1 : 0;
                if (distance > strongest) {
                    strongest = distance;
                    strongestColour = c;
                }
            }
        }
        EXPECT_GE(ink, minimumPixels);
        const QColor want(game::RedOf(text), game::GreenOf(text), game::BlueOf(text));
        EXPECT_NEAR(strongestColour.red(), want.red(), 48) << Rgb(strongestColour.rgb());
        EXPECT_NEAR(strongestColour.green(), want.green(), 48) << Rgb(strongestColour.rgb());
        EXPECT_NEAR(strongestColour.blue(), want.blue(), 48) << Rgb(strongestColour.rgb());
    }

    static bool hasText(const QImage& image, QRect area)
    {
        const QRgb back = image.pixel(area.topLeft());
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (image.pixel(x, y) != back) {
                    return true;
                }
            }
        }
        return false;
    }

    // The last frame shows wherever no control covers it.
    void expectFrameBehindControls(const QImage& image)
    {
        const QImage& frame = form().playField().presentedFrame();
        ASSERT_FALSE(frame.isNull());
        const QRect panel = form().picture2()->isVisibleTo(&form()) ? form().picture2()->geometry() : QRect();
        int differences = 0;
        for (int y = 17; y < 400; ++y) {
            for (int x = 0; x < 300; ++x) {
                if (y != 100 && !panel.contains(x, y)) {
                    differences += Rgb(image.pixel(x, y)) == Rgb(frame.pixel(x, y)) ? 0 : 1;
                }
            }
        }
        EXPECT_EQ(differences, 0);
    }

    // An enemy comes in from the top straight above the player and fires at
    // once, straight down, 8 pixels a tick: from y 9, the shot moves to
    // 9 + 8k on tick k and is within reach of the player (y 380) first on
    // tick 46, at 377. The enemy itself moves 2 a tick from y 1.
    void queueEnemyAbovePlayerFiringDown()
    {
        random().queue({0.0F,        // spawn roll 0 of 50: from the top
                        0.51953125F, // x = Int(0.5195 * 280) + 10 = 155
                        0.5F,        // dx = Int(5.5) - 5 = 0
                        0.0F,        // dy = 2 * 0 + 2 = 2
                        0.0F,        // fire roll 0 of 4: fire
                        0.5F,        // shot dx = Int(5.5) + 0 - 5 = 0
                        0.75F});     // shot dy = 2 * Int(2.25) + 2 + 2 = 8
    }

    // Ticks until the game halts; the number of ticks it took.
    int ticksUntilHalted(int limit)
    {
        for (int tick = 1; tick <= limit; ++tick) {
            form().Timer1_Timer();
            if (state().halted) {
                return tick;
            }
        }
        return -1;
    }
};

TEST_F(PictureTest, StartScreenIsWhiteWithScoreBarLineAndPanel)
{
    const QImage image = grab();
    ASSERT_EQ(image.size(), QSize(300, 400)) << "one image pixel per window pixel";
    for (const QPoint p : OpenField) {
        EXPECT_EQ(RgbAt(image, p.x(), p.y()), RgbOf(game::White)) << p.x() << "," << p.y();
    }
    expectScoreBar(image);
    expectBoundaryLine(image, game::White);
    EXPECT_EQ(RgbAt(image, PanelGap.x(), PanelGap.y()), RgbOf(game::LightBlue));
    EXPECT_EQ(RgbAt(image, PanelInsideLeft + 200, PanelInsideTop + 2), RgbOf(game::LightBlue));
    // The panel's border is drawn, and the field shows again just outside it.
    EXPECT_NE(RgbAt(image, 40, 170), RgbOf(game::LightBlue));
    EXPECT_EQ(RgbAt(image, 39, 170), RgbOf(game::White));
    EXPECT_EQ(RgbAt(image, 249, 170), RgbOf(game::White));
    EXPECT_EQ(RgbAt(image, 100, 225), RgbOf(game::White));
}

TEST_F(PictureTest, StartScreenShowsItsTexts)
{
    const QImage image = grab();
    // The title in dark green, the prompt in black, the score in white.
    expectText(image, QRect(PanelInsideLeft, PanelInsideTop + 8, 207, 33), game::LightBlue, game::DarkGreen,
               100);
    expectText(image, QRect(PanelInsideLeft + 8, PanelInsideTop + 80, 193, 17), game::LightBlue, game::Black,
               50);
    expectText(image, QRect(120, 0, 65, 17), game::Black, game::White, 10);
    EXPECT_FALSE(hasText(image, ResultLine)) << "no result yet";
}

TEST_F(PictureTest, ScoreTextIsCentredOnTheFullWidthOfTheLine)
{
    const QImage image = grab();
    int left = 300;
    int right = -1;
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 300; ++x) {
            if (Rgb(image.pixel(x, y)) != RgbOf(game::Black)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ASSERT_LE(left, right) << "no score text";
    // Centred on 305 pixels, the text's middle is at 152.5, not at 150.
    EXPECT_NEAR((left + right + 1) / 2.0, 152.5, 2.0);
}

TEST_F(PictureTest, RunningFrameIsPaleCyanWithThePlayerAndNoPanel)
{
    startGame();
    ASSERT_FALSE(form().picture2()->isVisibleTo(&form()));
    form().Timer1_Timer();
    const QImage image = grab();
    for (const QPoint p : OpenField) {
        EXPECT_EQ(RgbAt(image, p.x(), p.y()), RgbOf(game::PaleCyan)) << p.x() << "," << p.y();
    }
    EXPECT_EQ(RgbAt(image, PanelGap.x(), PanelGap.y()), RgbOf(game::PaleCyan)) << "the panel is gone";
    EXPECT_EQ(RgbAt(image, 155, 380), RgbOf(game::Black)) << "the player";
    EXPECT_EQ(RgbAt(image, 155, 370), RgbOf(game::PaleCyan)) << "just above the player";
    expectScoreBar(image);
    expectBoundaryLine(image, game::PaleCyan);
    expectFrameBehindControls(image);
}

TEST_F(PictureTest, FrameIsShownUnscaledAndUnsmoothed)
{
    startGame();
    form().Timer1_Timer();
    const QImage image = grab();
    // The disc's edge against the background: only the two colours, no
    // blended pixels in between.
    for (int x = 140; x <= 170; ++x) {
        const std::string c = RgbAt(image, x, 380);
        EXPECT_TRUE(c == RgbOf(game::Black) || c == RgbOf(game::PaleCyan)) << x << " " << c;
    }
    expectFrameBehindControls(image);
}

TEST_F(PictureTest, WindowRepaintsWhenAFrameIsPresented)
{
    form().show();
    startGame();
    form().Timer1_Timer();
    press(Qt::Key_Left);
    ASSERT_EQ(RgbAt(grab(), 155, 380), RgbOf(game::Black));
    for (int i = 0; i < 10; ++i) {
        form().Timer1_Timer();
    }
    const QImage image = grab();
    EXPECT_EQ(RgbAt(image, 105, 380), RgbOf(game::Black));
    EXPECT_EQ(RgbAt(image, 155, 380), RgbOf(game::PaleCyan)) << "the old frame is gone";
}

TEST_F(PictureTest, ScriptedEnemyShotEndsTheGameOnTick46)
{
    startGame();
    queueEnemyAbovePlayerFiringDown();
    EXPECT_EQ(ticksUntilHalted(100), 46);
    EXPECT_TRUE(random().drained());
}

TEST_F(PictureTest, GameOverShowsThePanelInFrontOfTheLastFrame)
{
    startGame();
    queueEnemyAbovePlayerFiringDown();
    ASSERT_EQ(ticksUntilHalted(100), 46);

    EXPECT_TRUE(form().picture2()->isVisibleTo(&form()));
    EXPECT_EQ(form().label2()->text(), Utf8("ゲームオーバー"));
    EXPECT_EQ(form().label3()->text(), Utf8("0\u3000ポイント"));
    EXPECT_EQ(form().label4()->text(), "Press Enter Key To Start");
    EXPECT_EQ(form().label1()->text(), "0p");

    const QImage image = grab();
    EXPECT_EQ(RgbAt(image, PanelGap.x(), PanelGap.y()), RgbOf(game::LightBlue));
    expectText(image, ResultLine, game::LightBlue, game::DarkRed, 50);
    // The enemy, 2 pixels a tick from y 1, is at 93 on tick 46, just above
    // the boundary line; the player is back at the start.
    EXPECT_EQ(RgbAt(image, 155, 93), RgbOf(game::Red));
    EXPECT_EQ(RgbAt(image, 155, 380), RgbOf(game::Black));
    for (const QPoint p : OpenField) {
        EXPECT_EQ(RgbAt(image, p.x(), p.y()), RgbOf(game::PaleCyan)) << p.x() << "," << p.y();
    }
    expectScoreBar(image);
    expectBoundaryLine(image, game::PaleCyan);
    expectFrameBehindControls(image);
}

TEST_F(PictureTest, HaltedTicksLeaveTheLastFrameInPlace)
{
    startGame();
    queueEnemyAbovePlayerFiringDown();
    ASSERT_EQ(ticksUntilHalted(100), 46);
    const QImage before = grab();
    for (int i = 0; i < 5; ++i) {
        form().Timer1_Timer();
    }
    EXPECT_EQ(grab(), before);
}

// The player fires straight up all game. An enemy from the top above the
// player (y 1 + 2k on tick k) meets the first shot (374 - 5k) on tick 53:
// 10 points. A second enemy, sent on tick 54, fires down at once (from y 9,
// 8 a tick) and is itself shot on tick 69: 20 points. Its shot reaches the
// player on tick 54 + 45 = 99.
TEST_F(PictureTest, ScoreLineAndResultShowTheScore)
{
    startGame();
    press(Qt::Key_Shift);
    // From the top at x 155, moving (0, 2); it never fires.
    random().queue({0.0F, 0.51953125F, 0.5F, 0.0F});
    for (int tick = 1; tick <= 52; ++tick) {
        form().Timer1_Timer();
    }
    EXPECT_EQ(form().label1()->text(), "0p");
    form().Timer1_Timer();
    EXPECT_EQ(form().label1()->text(), "10p") << "tick 53";

    queueEnemyAbovePlayerFiringDown();
    for (int tick = 54; tick <= 68; ++tick) {
        form().Timer1_Timer();
    }
    EXPECT_EQ(form().label1()->text(), "10p");
    form().Timer1_Timer();
    EXPECT_EQ(form().label1()->text(), "20p") << "tick 69";

    EXPECT_EQ(ticksUntilHalted(100), 30) << "tick 99";
    EXPECT_EQ(form().label3()->text(), Utf8("20\u3000ポイント"));
    EXPECT_TRUE(form().picture2()->isVisibleTo(&form()));
    // The game is reset before its last frame is finished, so the score
    // line already reads 0 behind the panel.
    EXPECT_EQ(form().label1()->text(), "0p");
}

TEST_F(PictureTest, EnterFromTheGameOverPanelStartsAgain)
{
    startGame();
    queueEnemyAbovePlayerFiringDown();
    ASSERT_EQ(ticksUntilHalted(100), 46);
    press(Qt::Key_Return);
    EXPECT_FALSE(state().halted);
    EXPECT_FALSE(form().picture2()->isVisibleTo(&form()));
    // The texts stay for the next game over.
    EXPECT_EQ(form().label2()->text(), Utf8("ゲームオーバー"));
}

} // namespace
} // namespace test
