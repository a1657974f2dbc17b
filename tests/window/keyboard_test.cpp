// Keys as the toolkit delivers them: which ones the game hears, auto-repeat,
// Enter, and what losing the keyboard does.
#include <QFocusEvent>
#include <QFrame>
#include <QLabel>
#include <QTest>

#include "window_fixture.h"

namespace test {
namespace {

using KeyboardTest = WindowTest;

// The five held-key flags, for comparing whole sets at once.
std::string Held(const game::GameState& s)
{
    std::string out;
    out += s.upHeld ? 'U' : '-';
    out += s.downHeld ? 'D' : '-';
    out += s.leftHeld ? 'L' : '-';
    out += s.rightHeld ? 'R' : '-';
    out += s.fireHeld ? 'F' : '-';
    return out;
}

TEST(GameKeyCodeTest, ArrowsShiftAndBothEnterKeysHaveTheirCodes)
{
    EXPECT_EQ(ui::GameKeyCode(Qt::Key_Up), 38);
    EXPECT_EQ(ui::GameKeyCode(Qt::Key_Down), 40);
    EXPECT_EQ(ui::GameKeyCode(Qt::Key_Left), 37);
    EXPECT_EQ(ui::GameKeyCode(Qt::Key_Right), 39);
    EXPECT_EQ(ui::GameKeyCode(Qt::Key_Shift), 16);
    EXPECT_EQ(ui::GameKeyCode(Qt::Key_Return), 13);
    EXPECT_EQ(ui::GameKeyCode(Qt::Key_Enter), 13);
    for (const int other :
         {Qt::Key_Space, Qt::Key_Control, Qt::Key_A, Qt::Key_F1, Qt::Key_Escape, Qt::Key_Alt}) {
        EXPECT_EQ(ui::GameKeyCode(other), 0) << other;
    }
}

TEST_F(KeyboardTest, EachArrowAndShiftHoldsItsOwnFlag)
{
    const std::pair<int, const char*> keys[] = {{Qt::Key_Up, "U----"},
                                                {Qt::Key_Down, "-D---"},
                                                {Qt::Key_Left, "--L--"},
                                                {Qt::Key_Right, "---R-"},
                                                {Qt::Key_Shift, "----F"}};
    for (const auto& [key, held] : keys) {
        EXPECT_TRUE(press(key));
        EXPECT_EQ(Held(state()), held);
        EXPECT_TRUE(release(key));
        EXPECT_EQ(Held(state()), "-----");
    }
}

TEST_F(KeyboardTest, FlagsAreHeldWhileHaltedToo)
{
    ASSERT_TRUE(state().halted);
    press(Qt::Key_Up);
    press(Qt::Key_Left);
    press(Qt::Key_Shift);
    EXPECT_EQ(Held(state()), "U-L-F");
    EXPECT_TRUE(state().halted);
}

TEST_F(KeyboardTest, AutoRepeatPairsKeepTheKeyHeld)
{
    press(Qt::Key_Left);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(release(Qt::Key_Left, true));
        EXPECT_TRUE(state().leftHeld) << "a flagged release is part of the repeat";
        EXPECT_TRUE(press(Qt::Key_Left, true));
        EXPECT_TRUE(state().leftHeld);
    }
    release(Qt::Key_Left);
    EXPECT_FALSE(state().leftHeld);
}

TEST_F(KeyboardTest, AutoRepeatKeepsFireHeldAcrossTicks)
{
    startGame();
    press(Qt::Key_Shift);
    for (int i = 0; i < 3; ++i) {
        release(Qt::Key_Shift, true);
        ticks(1);
        press(Qt::Key_Shift, true);
    }
    EXPECT_TRUE(state().fireHeld);
    int shots = 0;
    for (const auto& shot : state().shots) {
        shots += shot.active && shot.fromPlayer ? 1 : 0;
    }
    EXPECT_EQ(shots, 3) << "one shot every tick";
}

TEST_F(KeyboardTest, UnflaggedPairsFollowTheKeyExactly)
{
    for (int i = 0; i < 3; ++i) {
        press(Qt::Key_Right);
        EXPECT_TRUE(state().rightHeld);
        release(Qt::Key_Right);
        EXPECT_FALSE(state().rightHeld);
    }
}

TEST_F(KeyboardTest, HeldArrowMovesThePlayerUntilReleased)
{
    startGame();
    press(Qt::Key_Left);
    ticks(3);
    EXPECT_EQ(state().playerX.value(), 140);
    release(Qt::Key_Left);
    ticks(3);
    EXPECT_EQ(state().playerX.value(), 140);
}

TEST_F(KeyboardTest, LeftAndRightShiftBothFire)
{
    // Same key, told apart only by the hardware: scan codes and keysyms of
    // the left and right Shift on X11.
    const struct {
        quint32 scanCode;
        quint32 keysym;
    } shifts[] = {{50, 0xffe1}, {62, 0xffe2}};
    for (const auto& shift : shifts) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, shift.scanCode, shift.keysym, 0);
        QCoreApplication::sendEvent(&form(), &down);
        EXPECT_TRUE(state().fireHeld) << shift.scanCode;
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, shift.scanCode, shift.keysym, 0);
        QCoreApplication::sendEvent(&form(), &up);
        EXPECT_FALSE(state().fireHeld) << shift.scanCode;
    }
}

TEST_F(KeyboardTest, ModifiersDoNotChangeWhichKeyItIs)
{
    press(Qt::Key_Left, false, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(state().leftHeld);
    release(Qt::Key_Left, false, Qt::ShiftModifier);
    EXPECT_FALSE(state().leftHeld);
}

TEST_F(KeyboardTest, ReturnStartsAGameFromThePanel)
{
    EXPECT_TRUE(press(Qt::Key_Return));
    EXPECT_FALSE(state().halted);
    EXPECT_FALSE(form().statusDisplay().panelVisible());
    EXPECT_FALSE(form().picture2()->isVisibleTo(&form()));
}

TEST_F(KeyboardTest, KeypadEnterStartsAGameFromThePanel)
{
    EXPECT_TRUE(press(Qt::Key_Enter, false, Qt::KeypadModifier));
    EXPECT_FALSE(state().halted);
    EXPECT_FALSE(form().picture2()->isVisibleTo(&form()));
}

TEST_F(KeyboardTest, ReleasingEnterDoesNothing)
{
    EXPECT_TRUE(release(Qt::Key_Return));
    EXPECT_TRUE(release(Qt::Key_Enter, false, Qt::KeypadModifier));
    EXPECT_TRUE(state().halted);
    EXPECT_TRUE(form().picture2()->isVisibleTo(&form()));
}

TEST_F(KeyboardTest, EnterDuringAGameRestartsItWithoutHalting)
{
    startGame();
    press(Qt::Key_Up);
    press(Qt::Key_Left);
    ticks(4);
    ASSERT_EQ(state().playerX.value(), 135);
    ASSERT_EQ(state().playerY.value(), 368);
    press(Qt::Key_Enter, false, Qt::KeypadModifier);
    EXPECT_FALSE(state().halted);
    EXPECT_EQ(state().playerX.value(), 155);
    EXPECT_EQ(state().playerY.value(), 380);
    EXPECT_EQ(Held(state()), "-----") << "the restart lets go of the arrows";
    EXPECT_FALSE(form().picture2()->isVisibleTo(&form()));
}

TEST_F(KeyboardTest, HoldingEnterKeepsRestarting)
{
    startGame();
    press(Qt::Key_Return);
    for (int i = 0; i < 4; ++i) {
        press(Qt::Key_Right);
        ticks(2);
        ASSERT_EQ(state().playerX.value(), 165);
        // Repeats come as presses only, or as flagged pairs: both restart.
        release(Qt::Key_Return, true);
        press(Qt::Key_Return, true);
        EXPECT_EQ(state().playerX.value(), 155);
        EXPECT_FALSE(state().halted);
    }
}

TEST_F(KeyboardTest, ShiftSurvivesARestart)
{
    startGame();
    press(Qt::Key_Shift);
    press(Qt::Key_Return);
    EXPECT_TRUE(state().fireHeld);
}

TEST_F(KeyboardTest, KeysTheGameDoesNotUseAreIgnored)
{
    startGame();
    press(Qt::Key_Left);
    ticks(1);
    const int x = state().playerX.value();
    for (const int key : {Qt::Key_Space, Qt::Key_Control, Qt::Key_A, Qt::Key_F1}) {
        EXPECT_FALSE(press(key)) << "left for the toolkit: " << key;
        EXPECT_FALSE(release(key)) << key;
        EXPECT_EQ(Held(state()), "--L--") << key;
        EXPECT_FALSE(state().halted) << key;
        EXPECT_EQ(state().playerX.value(), x) << key;
    }
}

TEST_F(KeyboardTest, ReleaseOfAKeyNeverPressedChangesNothing)
{
    release(Qt::Key_Down);
    release(Qt::Key_Shift);
    EXPECT_EQ(Held(state()), "-----");
    EXPECT_TRUE(state().halted);
}

TEST_F(KeyboardTest, LosingTheFocusLetsGoOfEveryKeyButKeepsTheGameHalted)
{
    for (const int key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_Shift}) {
        press(key);
    }
    ASSERT_EQ(Held(state()), "UDLRF");
    QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(&form(), &focusOut);
    EXPECT_EQ(Held(state()), "-----");
    EXPECT_TRUE(state().halted);
    EXPECT_TRUE(form().picture2()->isVisibleTo(&form()));
}

TEST_F(KeyboardTest, LosingTheFocusMidGameStopsThePlayerWithoutPausing)
{
    startGame();
    press(Qt::Key_Left);
    press(Qt::Key_Shift);
    ticks(2);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(&form(), &focusOut);
    EXPECT_EQ(Held(state()), "-----");
    EXPECT_FALSE(state().halted);
    EXPECT_EQ(state().playerX.value(), 145) << "released, not reset";
    ticks(2);
    EXPECT_EQ(state().playerX.value(), 145);
}

TEST_F(KeyboardTest, DeactivationLetsGoOfEveryKey)
{
    press(Qt::Key_Right);
    press(Qt::Key_Shift);
    ASSERT_FALSE(form().isActiveWindow());
    QEvent change(QEvent::ActivationChange);
    QCoreApplication::sendEvent(&form(), &change);
    EXPECT_EQ(Held(state()), "-----");
    EXPECT_TRUE(state().halted);
}

// The whole path: the platform activates another window.
TEST_F(KeyboardTest, AnotherWindowTakingOverLetsGoOfEveryKey)
{
    form().show();
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    startGame();
    press(Qt::Key_Down);
    press(Qt::Key_Shift);
    ASSERT_EQ(Held(state()), "-D--F");

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(form().isActiveWindow());
    EXPECT_EQ(Held(state()), "-----");
    EXPECT_FALSE(state().halted);
}

// Keys sent to the platform window reach the game whatever was clicked.
TEST_F(KeyboardTest, KeysReachTheWindowWhateverWasClicked)
{
    form().show();
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    EXPECT_EQ(QApplication::focusWidget(), &form());
    QTest::mouseClick(form().label3(), Qt::LeftButton);
    QTest::mouseClick(form().picture2(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), &form());

    QTest::keyPress(form().windowHandle(), Qt::Key_Up);
    EXPECT_TRUE(state().upHeld);
    QTest::keyRelease(form().windowHandle(), Qt::Key_Up);
    EXPECT_FALSE(state().upHeld);
    QTest::keyClick(form().windowHandle(), Qt::Key_Return);
    EXPECT_FALSE(state().halted);
}

} // namespace
} // namespace test
