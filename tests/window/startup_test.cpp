// The window as it comes up: halted on the start panel, its caption, size,
// decorations, controls and timer.
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "colour_conversion.h"
#include "icon.h"
#include "window_fixture.h"

namespace test {
namespace {

using StartupTest = WindowTest;

TEST_F(StartupTest, StartsHaltedWithAFreshGameAndNoKeysHeld)
{
    EXPECT_TRUE(state().halted);
    EXPECT_EQ(state().playerX.value(), 155);
    EXPECT_EQ(state().playerY.value(), 380);
    EXPECT_EQ(state().score.value(), 0);
    for (const game::Boolean flag :
         {state().upHeld, state().downHeld, state().leftHeld, state().rightHeld, state().fireHeld}) {
        EXPECT_FALSE(flag);
    }
    for (const auto& shot : state().shots) {
        EXPECT_FALSE(shot.active);
    }
    for (const auto& enemy : state().enemies) {
        EXPECT_FALSE(enemy.active);
    }
}

TEST_F(StartupTest, CaptionIsTheTitleAnIdeographicSpaceAndTheVersionWithThreeFullStops)
{
    const QString caption = form().windowTitle();
    EXPECT_EQ(caption.toStdString(), "ケルバド\u3000"
                                     "1.0.1.");
    ASSERT_EQ(caption.size(), 11);
    EXPECT_EQ(caption.at(4).unicode(), 0x3000);
}

TEST_F(StartupTest, HasAFixedClientAreaOf300By400)
{
    EXPECT_EQ(form().size(), QSize(300, 400));
    EXPECT_EQ(form().minimumSize(), QSize(300, 400));
    EXPECT_EQ(form().maximumSize(), QSize(300, 400));
    form().show();
    EXPECT_EQ(form().size(), QSize(300, 400));
}

TEST_F(StartupTest, HasATitleAndCloseButtonButNoMinimiseOrMaximise)
{
    const Qt::WindowFlags flags = form().windowFlags();
    EXPECT_TRUE(form().isWindow());
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
    EXPECT_EQ(form().windowType(), Qt::Window);
}

TEST_F(StartupTest, NothingIsPresentedBeforeTheFirstGame)
{
    EXPECT_TRUE(form().playField().presentedFrame().isNull());
}

TEST_F(StartupTest, IconComesInThreeSizes)
{
    const QList<QSize> sizes = form().windowIcon().availableSizes();
    for (const int size : {16, 32, 48}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    }
}

TEST_F(StartupTest, ControlsHaveTheirNamesSoTheyCanBeFound)
{
    EXPECT_EQ(form().findChild<QFrame*>("Picture2"), form().picture2());
    EXPECT_EQ(form().findChild<QLabel*>("Label1"), form().label1());
    EXPECT_EQ(form().findChild<QLabel*>("Label2"), form().label2());
    EXPECT_EQ(form().findChild<QLabel*>("Label3"), form().label3());
    EXPECT_EQ(form().findChild<QLabel*>("Label4"), form().label4());
    EXPECT_EQ(form().findChild<QFrame*>("Line1"), form().line1());
}

TEST_F(StartupTest, PanelIsALightBlueFramedBoxShownAt40_120)
{
    QFrame* panel = form().picture2();
    EXPECT_EQ(panel->parentWidget(), &form());
    EXPECT_EQ(panel->geometry(), QRect(40, 120, 209, 105));
    EXPECT_EQ(panel->frameWidth(), ui::Form1::PanelBorder);
    EXPECT_GT(panel->frameWidth(), 0);
    EXPECT_TRUE(panel->autoFillBackground());
    EXPECT_EQ(Rgb(panel->palette().color(QPalette::Window).rgb()), RgbOf(game::LightBlue));
    EXPECT_TRUE(panel->isVisibleTo(&form()));
    // The three lines are placed relative to the inside of the border.
    EXPECT_EQ(form().picture2Inside()->geometry(), panel->contentsRect());
}

// What the table of controls says about one text line.
struct LabelLook {
    QRect geometry;
    game::Colour text;
    QString content;
};

void ExpectLabel(const QLabel* label, const LabelLook& look)
{
    SCOPED_TRACE(label->objectName().toStdString());
    EXPECT_EQ(label->geometry(), look.geometry);
    EXPECT_EQ(Rgb(label->palette().color(QPalette::WindowText).rgb()), RgbOf(look.text));
    EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    EXPECT_EQ(label->text(), look.content);
    EXPECT_TRUE(label->isVisibleTo(label->window()));
}

TEST_F(StartupTest, PanelLinesSitInsideThePanelWithTheirColoursAndTexts)
{
    for (QLabel* label : {form().label2(), form().label3(), form().label4()}) {
        EXPECT_EQ(label->parentWidget(), form().picture2Inside());
        EXPECT_FALSE(label->autoFillBackground()) << "the panel shows through";
    }
    ExpectLabel(form().label4(), {QRect(8, 80, 193, 17), game::Black, "Press Enter Key To Start"});
    ExpectLabel(form().label3(), {QRect(8, 40, 193, 25), game::DarkRed, ""});
    ExpectLabel(form().label2(), {QRect(0, 8, 209, 33), game::DarkGreen, Utf8("ケルバド")});
}

TEST_F(StartupTest, TitleAndResultAskForTheJapaneseGothicFirst)
{
    const QFont title = form().label2()->font();
    const QFont result = form().label3()->font();
    for (const QFont& font : {title, result}) {
        ASSERT_GE(font.families().size(), 4);
        EXPECT_EQ(font.families().at(0), Utf8("ＭＳ Ｐゴシック"));
        EXPECT_EQ(font.families().at(1), "IPAPGothic");
        EXPECT_EQ(font.families().at(2), "VL PGothic");
        EXPECT_EQ(font.families().at(3), "Noto Sans CJK JP");
    }
    EXPECT_EQ(title.pixelSize(), 27);
    EXPECT_FALSE(title.bold());
    EXPECT_FALSE(title.underline());
    EXPECT_EQ(result.pixelSize(), 16);
    EXPECT_TRUE(result.bold());
    EXPECT_TRUE(result.underline());
    EXPECT_EQ(form().label4()->font(), form().font()) << "the prompt keeps the window's font";
    EXPECT_EQ(form().label1()->font(), form().font()) << "the score line keeps the window's font";
}

TEST_F(StartupTest, ScoreLineIsWhiteOnOpaqueBlackAndWiderThanTheWindow)
{
    QLabel* score = form().label1();
    EXPECT_EQ(score->parentWidget(), &form());
    ExpectLabel(score, {QRect(0, 0, 305, 17), game::White, "0p"});
    EXPECT_TRUE(score->autoFillBackground());
    EXPECT_EQ(Rgb(score->palette().color(QPalette::Window).rgb()), RgbOf(game::Black));
}

TEST_F(StartupTest, BoundaryLineRunsAcrossAt100)
{
    QFrame* line = form().line1();
    EXPECT_EQ(line->parentWidget(), &form());
    EXPECT_EQ(line->frameShape(), QFrame::HLine);
    EXPECT_EQ(line->frameShadow(), QFrame::Plain);
    EXPECT_EQ(line->geometry(), QRect(0, 100, 300, 1));
    EXPECT_TRUE(line->isVisibleTo(&form()));
}

TEST_F(StartupTest, PanelStandsInFrontOfTheScoreAndBoundaryLines)
{
    // Siblings stack in the order of the children list, the last in front.
    const QObjectList& children = form().children();
    const auto at = [&](QObject* child) { return children.indexOf(child); };
    EXPECT_GT(at(form().picture2()), at(form().label1()));
    EXPECT_GT(at(form().picture2()), at(form().line1()));
}

TEST_F(StartupTest, NoChildTakesTheKeyboardAndNoInputMethodIntervenes)
{
    EXPECT_EQ(form().focusPolicy(), Qt::StrongFocus);
    EXPECT_FALSE(form().testAttribute(Qt::WA_InputMethodEnabled));
    const QList<QWidget*> children = form().findChildren<QWidget*>();
    EXPECT_GE(children.size(), 7);
    for (const QWidget* child : children) {
        EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->objectName().toStdString();
    }
}

TEST_F(StartupTest, TimerIsRunningFromCreation)
{
    EXPECT_TRUE(form().timer1Active());
}

TEST_F(StartupTest, TimerTicksEvery50Milliseconds)
{
    startGame();
    QSignalSpy presented(&form().playField(), &ui::PlayField::presented);
    // Measured from the first tick: when the timer was started is unknown.
    ASSERT_TRUE(presented.wait(5000));
    QElapsedTimer clock;
    clock.start();
    constexpr int Intervals = 6;
    EXPECT_TRUE(QTest::qWaitFor([&] { return presented.count() > Intervals; }, 10000));
    const qint64 elapsed = clock.elapsed();
    const int intervals = static_cast<int>(presented.count()) - 1;
    // A precise timer may fire a millisecond early, never a whole tick; the
    // clock started a moment after the first frame, hence the extra slack.
    EXPECT_GE(elapsed, intervals * (ui::Form1::TimerIntervalMs - 2) - 5);
}

} // namespace
} // namespace test
