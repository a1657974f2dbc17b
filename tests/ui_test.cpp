// SPDX-License-Identifier: MIT
// The play field by its pixels, the status texts, the window run headless; its scale factor.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

#include "colour_conversion.h"
#include "desktop.h"
#include "fakes.h"
#include "form1.h"
#include "keys.h"
#include "panel.h"
#include "startup.h"
#include "tick.h"

namespace {

// The pixels at x, y, x, y, ... as letters: White, blacK, Red, Cyan (field), Light blue (panel), or '?'.
std::string Probe(const QImage& image, std::initializer_list<int> xys)
{
    const QStringList named{"#ffffff", "#000000", "#ff0000", "#a0ffff", "#c0c0ff"};
    std::string letters;
    for (const int* p = xys.begin(); p != xys.end(); p += 2) {
        letters += "?WKRCL"[named.indexOf(image.pixelColor(p[0], p[1]).name()) + 1];
    }
    return letters;
}

TEST(PlayField, DrawsLikeQPainterAtEveryEdgeAndPresentKeepsASnapshot)
{
    ui::PlayField field;
    ASSERT_TRUE(field.hasDiscStamp());
    field.setFillColour(game::Red);
    // From wholly outside to wholly inside at both ends of each axis, and the middle; a dot on each centre.
    const int xs[] = {-7, -6, -4, -1, 0, 3, 6, 7, 150, 292, 293, 296, 299, 300, 303, 305, 306};
    const int ys[] = {-7, -6, -4, -1, 0, 3, 6, 7, 200, 392, 393, 396, 399, 400, 403, 405, 406};
    for (const int rim : {255, 0, -1}) { // a red rim, the black one, no disc at all
        for (const int x : xs) {
            for (const int y : ys) {
                field.clear(); // of the disc before, and only that
                QImage reference(300, 400, QImage::Format_RGB32);
                reference.fill(Qt::white);
                rim > 0    ? field.drawCircle(x, y, 5, game::Red)
                : rim == 0 ? field.drawCircle(x, y, 5)
                           : void();
                field.drawPoint(x, y, game::Black);
                QPainter painter(&reference);
                rim >= 0 ? ui::PaintReferenceDisc(painter, x, y, 5, qRgb(rim, 0, 0), qRgb(255, 0, 0))
                         : void();
                ui::PaintReferenceDot(painter, x, y, qRgb(0, 0, 0));
                painter.end();
                field.present();
                ASSERT_EQ(field.presentedFrame(), reference) << x << "," << y << " rim " << rim;
            }
        }
    }
    field.clear();
    field.drawCircle(20, 20, 5);
    field.present();
    const QImage shown = field.presentedFrame().copy();
    field.present(); // nothing drawn since: the same frame again
    EXPECT_EQ(field.presentedFrame(), shown);
    field.clear();
    field.drawCircle(150, 200, 5); // drawing leaves the frame presented
    EXPECT_EQ(field.presentedFrame(), shown);
    EXPECT_EQ(Probe(field.image(), {143, 200, 144, 200, 146, 200, 147, 200, 153, 200, 154, 200, 156, 200,
                                    157, 200, 150, 193, 150, 194, 150, 196, 150, 197, 144, 194, 20,  20}),
              "WKKRRKKWWKKRWW"); // on white, a black rim 3 wide round the red fill, 13 across and round
}

struct Window : testing::Test {
    bool key(QEvent::Type type, int key, bool autoRepeat = false) // whether the window took it
    {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
        return QCoreApplication::sendEvent(&form, &event) && event.isAccepted();
    }

    test::Fakes* const random = new test::Fakes; // owned by the form
    ui::Form1 form{std::unique_ptr<test::Fakes>(random)};
};

TEST_F(Window, KeysHoldTheirFlagsThroughAutoRepeatUntilReleasedOrTheKeyboardIsLost)
{
    using game::KeyCode;
    // Each key, the game's key for it and the flags held once it and those before it are down.
    const std::tuple<int, std::optional<KeyCode>, const char*> keys[] = {
        {Qt::Key_Up, KeyCode::Up, "U----H"},       {Qt::Key_Down, KeyCode::Down, "UD---H"},
        {Qt::Key_Left, KeyCode::Left, "UDL--H"},   {Qt::Key_Right, KeyCode::Right, "UDLR-H"},
        {Qt::Key_Shift, KeyCode::Shift, "UDLRFH"}, {Qt::Key_Space, std::nullopt, "UDLRFH"},
        {Qt::Key_Control, std::nullopt, "UDLRFH"}, {Qt::Key_A, std::nullopt, "UDLRFH"}};
    QFocusEvent focusOut(QEvent::FocusOut);
    QEvent deactivated(QEvent::ActivationChange);
    QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier); // lets go of Shift alone
    QEvent* const ends[] = {&focusOut, &deactivated, &shiftUp};
    for (QEvent* const event : ends) {
        for (const auto& [qtKey, code, flags] : keys) {
            EXPECT_EQ(ui::GameKey(qtKey), code) << qtKey;
            EXPECT_EQ(key(QEvent::KeyPress, qtKey), code.has_value()) << qtKey;
            key(QEvent::KeyRelease, qtKey, true);
            EXPECT_EQ(test::Held(form.state()), flags) << qtKey;
        }
        QCoreApplication::sendEvent(&form, event);
        EXPECT_EQ(test::Held(form.state()), event == &shiftUp ? "UDLR-H" : "-----H") << event->type();
    }
}

// The desktop's scale rounded, lowered until the window and a frame fit the screen: 150 % on a large
// screen and on a small one, a fraction the user asked for, 200 % just fitting and just not, three
// steps down to two, and nonsense from a broken screen.
TEST(FittingScale, RoundsTheDesktopsScaleAndLowersItUntilTheWindowFits)
{
    const std::tuple<double, QSize, int> scales[] = {
        {1.5, {1920, 1080}, 2}, {1.5, {1366, 768}, 1},  {2.25, {1920, 1080}, 2}, {0.6, {640, 480}, 1},
        {2.0, {632, 896}, 2},   {2.0, {632, 895}, 1},   {2.0, {631, 896}, 1},    {3.0, {3840, 2160}, 3},
        {2.6, {1920, 1200}, 2}, {NAN, {1920, 1080}, 1}, {1.0, {100, 100}, 1}};
    for (const auto& [scale, screen, factor] : scales) {
        EXPECT_EQ(desktop::FittingScale(scale, screen, {300, 400}), factor)
            << scale << " on " << screen.width() << "x" << screen.height();
    }
}

TEST_F(Window, IsCaptionedWithTextsThatFitAndQtsOwnPanelFrame)
{
    EXPECT_EQ(form.windowTitle().toStdU32String(), U"ケルバド\u3000" KERUBADO_VERSION ".");
    // Each line's longest text within the window's or the panel's inner edge, in its line's height.
    const std::tuple<QLabel*, const char*, int> texts[] = {{form.label1(), "99990p", 295},
                                                           {form.label2(), "ゲームオーバー", 205},
                                                           {form.label3(), "99990\u3000ポイント", 193},
                                                           {form.label4(), "Press Enter Key To Start", 193}};
    for (const auto& [label, text, width] : texts) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(QString::fromUtf8(text)), width) << text;
        EXPECT_LE(label->fontMetrics().height(), label->height()) << text;
    }
    // At factor 1, the same pixels as Qt's own sunken panel.
    QFrame qtPanel;
    qtPanel.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    qtPanel.setPalette(form.picture2()->palette());
    qtPanel.setAutoFillBackground(true);
    qtPanel.resize(form.picture2()->size());
    QImage panel(qtPanel.size(), QImage::Format_RGB32);
    form.picture2()->render(&panel);
    const QRect frame = QRect(QPoint(), qtPanel.size());
    QPainter(&panel).drawImage(frame.adjusted(1, 1, -1, -1), qtPanel.grab().toImage(),
                               frame.adjusted(1, 1, -1, -1));
    EXPECT_EQ(panel, qtPanel.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

// The timers the window has registered, as "interval type" words.
std::string Timers(QObject& object)
{
    std::string timers;
    for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(&object)) {
        timers +=
            std::to_string(timer.interval) + (timer.timerType == Qt::PreciseTimer ? " precise " : " coarse ");
    }
    return timers;
}

TEST_F(Window, ShowsTheStartPanelThenEachFrameAndTheScoreThenTheGameOverPanelTickingOnlyInBetween)
{
    // The score bar's corners and the row below; the boundary line (row 100) and the rows either side; the
    // open field; the panel clear of its texts, and just outside it; once running, the shots, the player.
    const std::initializer_list<int> places = {
        0,   0,   299, 16,  0,   17,  299, 17,  0,   100, 299, 100, 150, 99,  150, 101, 10,  50,  290,
        60,  20,  300, 280, 395, 60,  190, 246, 123, 39,  170, 249, 170, 100, 119, 100, 225, 153, 21,
        154, 21,  156, 21,  157, 21,  155, 19,  155, 20,  155, 22,  155, 23,  155, 367, 155, 368, 155,
        370, 155, 371, 148, 380, 149, 380, 161, 380, 162, 380, 155, 373, 155, 374, 155, 386, 155, 387};
    EXPECT_EQ(Probe(form.grab().toImage(), places), "KKWWKKWWWWWWLLWWWWWWWWWWWWWWWWWWWWWWWW");
    const auto lines = [this] { // the score line, then the panel's title, result and prompt
        const QStringList texts{form.label1()->text(), form.label2()->text(), form.label3()->text(),
                                form.label4()->text()};
        return texts.join(u'|').toStdU32String();
    };
    EXPECT_EQ(lines(), U"0p|ケルバド||Press Enter Key To Start");
    form.setMaximumSize(360, 450); // as a window manager may force it, halted: the same, and black beyond
    form.resize(360, 450);
    QImage forced(360, 450, QImage::Format_RGB32);
    forced.fill(Qt::red);
    form.render(&forced);
    EXPECT_EQ(forced.copy(0, 0, 300, 400),
              form.grab(QRect(0, 0, 300, 400)).toImage().convertToFormat(QImage::Format_RGB32));
    QImage black(forced.size(), forced.format());
    black.fill(Qt::black);
    QPainter(&forced).drawImage(0, 0, black, 0, 0, 300, 400);
    EXPECT_EQ(forced, black) << "not black beyond the field";
    form.setFixedSize(300, 400);
    EXPECT_EQ(Timers(form), "") << "halted: the timer sleeps";
    EXPECT_TRUE(key(QEvent::KeyPress, Qt::Key_Return));
    EXPECT_EQ(Timers(form), "50 precise ") << "a tick every 50 ms";
    key(QEvent::KeyPress, Qt::Key_Shift);
    // From the top at x 155, 6 down a tick, firing once, straight down 8 a tick from y 13: the
    // player's first shot, 5 up a tick from y 369, meets it on tick 34, its shot the player on tick 46.
    random->script = {0.0F, 0.51953125F, 0.5F, 0.9F, 0.0F, 0.5F, 0.0F};
    form.Timer1_Timer();
    const QImage image = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Probe(image, places), "KKCCKKCCCCCCCCCCCCCRRCCRRCCKKCCKKCCKKC");
    EXPECT_EQ(image.copy(0, 101, 300, 299), form.playField().presentedFrame().copy(0, 101, 300, 299));
    for (int tick = 2; tick <= 46; ++tick) { // the score line counts the hit, back to 0 when the game ends
        form.Timer1_Timer();
        EXPECT_EQ(form.label1()->text().toStdString(), tick >= 34 && tick < 46 ? "10p" : "0p") << tick;
    }
    EXPECT_EQ(lines(), U"0p|ゲームオーバー|10\u3000ポイント|Press Enter Key To Start");
    EXPECT_EQ(Timers(form), "");
    EXPECT_EQ(Probe(form.grab().toImage(), {60, 190, 246, 123, 155, 380, 20, 300}), "LLKC");
    EXPECT_TRUE(key(QEvent::KeyPress, Qt::Key_Enter));
    EXPECT_FALSE(form.state().halted);
    EXPECT_FALSE(form.picture2()->isVisibleTo(&form));
}

// Rectangles covering the boxes added, as "x,y wxh" words: whole bands of 8 rows, within a band each run
// of columns, neighbouring bands with the same runs joined; the field's edges and 64-column words no seam.
TEST(Damage, CoversEachBoxInBandsOfRunsAcrossWordEdgesToTheLastColumnAndBand)
{
    const std::pair<std::vector<QRect>, const char*> cases[] = {
        {{QRect(63, 0, 2, 1)}, "63,0 2x8"},
        {{QRect(0, 0, 64, 1), QRect(64, 7, 64, 1)}, "0,0 128x8"},
        {{QRect(127, 8, 2, 9), QRect(191, 8, 2, 1)}, "127,8 2x8 191,8 2x8 127,16 2x8"},
        {{QRect(255, 395, 50, 9)}, "255,392 45x8"},
        {{QRect(299, 0, 1, 1), QRect(0, 399, 1, 1)}, "299,0 1x8 0,392 1x8"},
        {{QRect(-20, -20, 20, 20), QRect(300, 100, 5, 5), QRect(0, 400, 9, 9)}, ""},
        {{QRect(10, 40, 5, 30), QRect(20, 48, 5, 8)}, "10,40 5x8 10,48 5x8 20,48 5x8 10,56 5x16"},
        {{QRect(0, 0, 300, 400)}, "0,0 300x400"}};
    for (const auto& [boxes, rects] : cases) {
        ui::Damage damage;
        for (const QRect& box : boxes) {
            damage.add(box);
        }
        std::string seen;
        damage.forEachRect([&seen](const QRect& r) {
            // append, not " " + ...: GCC 12 warns falsely (-Wrestrict) on that at -O2
            seen.append(seen.empty() ? "" : " ").append(std::to_string(r.x())).append(",");
            seen.append(std::to_string(r.y())).append(" ").append(std::to_string(r.width()));
            seen.append("x").append(std::to_string(r.height()));
        });
        EXPECT_EQ(seen, rects) << boxes.front().x() << "," << boxes.front().y();
    }
}

// What a frame costs the window system: the area the window repaints for it.
struct RepaintedArea final : QObject {
    long pixels = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region()) {
                pixels += static_cast<long>(r.width()) * r.height();
            }
        }
        return false;
    }
};

TEST_F(Window, RepaintsOnlyWhatEachFrameChanged)
{
    form.show();
    key(QEvent::KeyPress, Qt::Key_Return);
    key(QEvent::KeyPress, Qt::Key_Left);
    random->script = {0.0F, 0.5F, 0.5F, 0.9F}; // one enemy from the top, drifting down
    for (int tick = 0; tick < 2; ++tick) {     // the panel goes, the first frame is whole
        form.Timer1_Timer();
        QCoreApplication::processEvents();
    }
    RepaintedArea repainted;
    form.installEventFilter(&repainted);
    for (int tick = 0; tick < 10; ++tick) {
        form.Timer1_Timer();
        QCoreApplication::processEvents();
    }
    // The player and the enemy, each in the bands of its place before and after: far below the field.
    EXPECT_GT(repainted.pixels, 0) << "nothing repainted";
    EXPECT_LT(repainted.pixels, 10 * 300 * 400 / 100) << "more than 1 % of the field a frame";
}

TEST_F(Window, AnswersAChangeOfStateWithAWholeFrameEvenWhenHalted)
{
    form.show();
    QCoreApplication::processEvents();
    RepaintedArea repainted;
    form.installEventFilter(&repainted);
    for (const Qt::WindowStates state : {Qt::WindowFullScreen, Qt::WindowNoState}) {
        repainted.pixels = 0;
        form.setWindowState(state);
        QCoreApplication::processEvents();
        EXPECT_GE(repainted.pixels, 300 * 400) << state;
    }
}

// The frame drawn from scratch: every clear fills the whole field, every
// shape is painted as the play field's fast paths are captured from.
struct FullRedraw final : game::Canvas {
    QImage image{300, 400, QImage::Format_RGB32};
    QRgb back = 0, fill = 0;
    void setBackColour(game::Colour c) override { back = ui::ToQRgb(c); }
    void clear() override { image.fill(back); }
    void setFillColour(game::Colour c) override { fill = ui::ToQRgb(c); }
    void drawCircle(double x, double y, double r, game::Colour c) override { disc(x, y, r, ui::ToQRgb(c)); }
    void drawCircle(double x, double y, double r) override { disc(x, y, r, qRgb(0, 0, 0)); }
    void disc(double x, double y, double r, QRgb rim)
    {
        QPainter painter(&image);
        ui::PaintReferenceDisc(painter, x, y, r, rim, fill);
    }
    void drawPoint(double x, double y, game::Colour c) override
    {
        QPainter painter(&image);
        ui::PaintReferenceDot(painter, x, y, ui::ToQRgb(c));
    }
    void present() override {}
};

// A long game, kills and game overs included, in the window and beside it in
// a twin drawn from scratch: after every tick the window's backing store holds
// that frame wherever no control covers it.
TEST(Damage, TheWindowAlwaysHoldsWhatAFullRedrawShows)
{
    const auto clock = []() noexcept -> std::uint64_t { return 7; };
    ui::Form1 form{std::make_unique<game::ClockSeededRandom>(clock)};
    game::GameState twin;
    FullRedraw redraw;
    test::Fakes status;
    game::ClockSeededRandom random(clock);
    game::LoadGame(twin, redraw);
    form.show();
    const auto settle = [] { // the window's own timer sleeps while halted
        QEventLoop wait;
        QTimer::singleShot(20, &wait, &QEventLoop::quit);
        wait.exec();
    };
    settle();
    const auto press = [&](int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &event);
        game::KeyDown(twin, status, *ui::GameKey(key));
    };
    press(Qt::Key_Shift);
    int kills = 0, gameOvers = 0;
    for (int tick = 0; tick < 600; ++tick) {
        gameOvers += twin.halted ? 1 : 0;
        press(twin.halted ? Qt::Key_Return : tick % 40 < 20 ? Qt::Key_Left : Qt::Key_Right);
        const game::Long score = twin.score;
        form.Timer1_Timer();
        game::Tick(twin, redraw, status, random);
        kills += twin.score > score ? 1 : 0;
        form.state().halted ? settle() : QCoreApplication::sendPostedEvents(); // the repaint, not a tick
        const QImage shown =
            form.screen()->grabWindow(form.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        QImage frame = redraw.image.copy();
        for (const QWidget* control :
             std::initializer_list<const QWidget*>{form.label1(), form.line1(), form.picture2()}) {
            if (control->isVisible()) {
                QPainter(&frame).drawImage(control->geometry(), shown, control->geometry());
            }
        }
        ASSERT_EQ(shown.copy(0, 0, 300, 400), frame) << tick;
    }
    EXPECT_TRUE(kills > 0 && gameOvers > 1) << kills << " kills, " << gameOvers << " game overs";
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // pixels are read back off screen, not from a display
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
