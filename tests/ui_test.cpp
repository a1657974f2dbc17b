// SPDX-License-Identifier: MIT
// The play field by its pixels, the status texts, the window run headless; its scale factor.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

#include "colour_conversion.h"
#include "desktop.h"
#include "fakes.h"
#include "form1.h"
#include "keys.h"
#include "startup.h"
#include "tick.h"

namespace {

// The points x, y, x, y, ... whose pixels are not the letters expected, as "x,y is ..." words: White, blacK,
// Red, Cyan (the field), Light blue (the panel), '?' for any other colour.
std::string Unlike(const QImage& image, std::initializer_list<int> xys, std::string_view expected)
{
    const QStringList named{"#ffffff", "#000000", "#ff0000", "#a0ffff", "#c0c0ff"};
    std::string unlike = xys.size() == 2 * expected.size() ? "" : "not one letter a point ";
    for (std::size_t i = 0; 2 * i < xys.size() && i < expected.size(); ++i) {
        const int x = xys.begin()[2 * i], y = xys.begin()[2 * i + 1];
        const char seen = "?WKRCL"[named.indexOf(image.pixelColor(x, y).name()) + 1];
        unlike +=
            seen == expected[i] ? "" : std::to_string(x) + "," + std::to_string(y) + " is " + seen + " ";
    }
    return unlike;
}

void Key(QWidget& window, QEvent::Type type, int key, bool autoRepeat = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(&window, &event);
}

// A disc with a red or the black rim round a red fill, and a dot on its centre, from wholly outside to
// wholly inside at both ends of each axis and in the middle: QPainter's pixels, and again when presented
// twice. A lone dot too.
TEST(PlayField, DrawsLikeQPainterAtEveryEdge)
{
    ui::PlayField field;
    ASSERT_TRUE(field.hasDiscStamp());
    field.setFillColour(game::Red);
    const int xs[] = {-7, -6, -4, -1, 0, 3, 6, 7, 150, 292, 293, 296, 299, 300, 303, 305, 306};
    const int ys[] = {-7, -6, -4, -1, 0, 3, 6, 7, 200, 392, 393, 396, 399, 400, 403, 405, 406};
    for (const int rim : {255, 0, -1}) { // a red rim, the black one, no disc at all
        for (const int x : xs) {
            for (const int y : ys) {
                field.clear(); // of the disc before, and only that
                QImage reference(300, 400, QImage::Format_RGB32);
                reference.fill(Qt::white);
                QPainter painter(&reference);
                if (rim >= 0) {
                    rim > 0 ? field.drawCircle(x, y, 5, game::Red) : field.drawCircle(x, y, 5);
                    ui::PaintReferenceDisc(painter, x, y, 5, qRgb(rim, 0, 0), qRgb(255, 0, 0));
                }
                field.drawPoint(x, y, game::Black);
                ui::PaintReferenceDot(painter, x, y, qRgb(0, 0, 0));
                painter.end();
                field.present();
                field.present(); // nothing drawn since: the same frame again
                ASSERT_EQ(field.presentedFrame(), reference) << x << "," << y << " rim " << rim;
            }
        }
    }
}

struct Window : testing::Test {
    test::Fakes* const random = new test::Fakes; // owned by the form
    ui::Form1 form{std::unique_ptr<test::Fakes>(random)};
};

TEST_F(Window, KeysHoldTheirFlagsThroughAutoRepeatUntilReleasedOrTheKeyboardIsLost)
{
    // Each key, pressed and auto-repeat released, and the flags held then; then focus lost, the window
    // deactivated, or Shift released alone.
    const std::pair<int, const char*> keys[] = {{Qt::Key_Space, "-----H"}, {Qt::Key_Control, "-----H"},
                                                {Qt::Key_A, "-----H"},     {Qt::Key_Up, "U----H"},
                                                {Qt::Key_Down, "UD---H"},  {Qt::Key_Left, "UDL--H"},
                                                {Qt::Key_Right, "UDLR-H"}, {Qt::Key_Shift, "UDLRFH"}};
    QFocusEvent focusOut(QEvent::FocusOut);
    QEvent deactivated(QEvent::ActivationChange);
    QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
    for (QEvent* const end : std::initializer_list<QEvent*>{&focusOut, &deactivated, &shiftUp}) {
        for (const auto& [key, flags] : keys) {
            Key(form, QEvent::KeyPress, key);
            Key(form, QEvent::KeyRelease, key, true);
            EXPECT_EQ(test::Held(form.state()), flags) << key;
        }
        QCoreApplication::sendEvent(&form, end);
        EXPECT_EQ(test::Held(form.state()), end == &shiftUp ? "UDLR-H" : "-----H") << end->type();
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

TEST_F(Window, IsCaptionedWithTextsThatFitAndAnUprightTitle)
{
    EXPECT_EQ(form.windowTitle().toStdU32String(), U"ケルバド\u3000" KERUBADO_VERSION ".");
    // Each line's longest text within the window's or the panel's inner edge, in its line's height.
    const std::tuple<const char*, const char*, int> texts[] = {{"Label1", "99990p", 295},
                                                               {"Label2", "ゲームオーバー", 205},
                                                               {"Label3", "99990\u3000ポイント", 193},
                                                               {"Label4", "Press Enter Key To Start", 193}};
    for (const auto& [name, text, width] : texts) {
        const QLabel* label = form.findChild<QLabel*>(name);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(QString::fromUtf8(text)), width) << text;
        EXPECT_LE(label->fontMetrics().height(), label->height()) << text;
    }
    // The title in pixels as its face draws it 27 pixels high and upright, though the desktop's font
    // slants (see main).
    auto* title = form.findChild<QLabel*>("Label2");
    QFont upright = title->font();
    upright.setPixelSize(27);
    upright.setItalic(false);
    const QImage drawn = title->grab().toImage();
    QImage expected(drawn.size(), drawn.format());
    expected.fill(drawn.pixel(0, 0));
    QPainter painter(&expected);
    painter.setFont(upright);
    painter.setPen(title->palette().windowText().color());
    painter.drawText(expected.rect(), Qt::AlignCenter, title->text());
    painter.end();
    EXPECT_EQ(drawn, expected) << "the title's face " << QFontInfo(title->font()).pixelSize() << " pixels"
                               << (QFontInfo(title->font()).italic() ? ", slanted" : "");
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
    // open field; the panel's inside at two corners, its edges dark above and to the left, light (white)
    // below and to the right; once running, the shots, the player.
    const std::initializer_list<int> places = {
        0,   0,   299, 16,  0,   17,  299, 17,  0,   100, 299, 100, 150, 99,  150, 101, 10,  50,  290,
        60,  20,  300, 280, 395, 41,  121, 247, 223, 100, 120, 40,  170, 100, 224, 248, 170, 153, 21,
        154, 21,  156, 21,  157, 21,  155, 19,  155, 20,  155, 22,  155, 23,  155, 367, 155, 368, 155,
        370, 155, 371, 148, 380, 149, 380, 161, 380, 162, 380, 155, 373, 155, 374, 155, 386, 155, 387};
    const QImage start = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Unlike(start, places, "KKWWKKWWWWWWLL??WWWWWWWWWWWWWWWWWWWWWW"), "");
    const auto line = [this](const char* name) {
        return form.findChild<QLabel*>(name)->text().toStdU32String();
    };
    const auto lines = [&] { // the score line, then the panel's title, result and prompt
        return line("Label1") + U"|" + line("Label2") + U"|" + line("Label3") + U"|" + line("Label4");
    };
    EXPECT_EQ(lines(), U"0p|ケルバド||Press Enter Key To Start");
    form.setMaximumSize(360, 450); // as a window manager may force it, halted: the same, and black beyond
    form.resize(360, 450);
    QImage forced(360, 450, QImage::Format_RGB32), expected(forced.size(), forced.format());
    forced.fill(Qt::red);
    form.render(&forced);
    expected.fill(Qt::black);
    QPainter(&expected).drawImage(0, 0, start);
    EXPECT_EQ(forced, expected);
    form.setFixedSize(300, 400);
    EXPECT_EQ(Timers(form), "") << "halted: the timer sleeps";
    Key(form, QEvent::KeyPress, Qt::Key_Return);
    EXPECT_EQ(Timers(form), "50 precise ") << "a tick every 50 ms";
    Key(form, QEvent::KeyPress, Qt::Key_Shift);
    // From the top at x 155, 6 down a tick, firing once, straight down 8 a tick from y 13: the
    // player's first shot, 5 up a tick from y 369, meets it on tick 34, its shot the player on tick 46.
    random->script = {0.0F, 0.51953125F, 0.5F, 0.9F, 0.0F, 0.5F, 0.0F};
    form.Timer1_Timer();
    const QImage image = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Unlike(image, places, "KKCCKKCCCCCCCCCCCCCRRCCRRCCKKCCKKCCKKC"), "");
    EXPECT_EQ(image.copy(0, 101, 300, 299), form.playField().presentedFrame().copy(0, 101, 300, 299));
    for (int tick = 2; tick <= 46; ++tick) { // the score line counts the hit, back to 0 when the game ends
        form.Timer1_Timer();
        EXPECT_EQ(line("Label1"), tick >= 34 && tick < 46 ? U"10p" : U"0p") << tick;
    }
    EXPECT_EQ(lines(), U"0p|ゲームオーバー|10\u3000ポイント|Press Enter Key To Start");
    EXPECT_EQ(Timers(form), "");
    EXPECT_EQ(Unlike(form.grab().toImage(), {41, 121, 247, 223, 155, 380, 20, 300}, "LLKC"), "");
    Key(form, QEvent::KeyPress, Qt::Key_Enter);
    EXPECT_FALSE(form.state().halted);
    EXPECT_FALSE(form.findChild<QWidget*>("Picture2")->isVisibleTo(&form));
}

// What the window repaints, in pixels.
struct RepaintedArea final : QObject {
    long pixels = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        for (const QRect& r :
             event->type() == QEvent::Paint ? static_cast<QPaintEvent*>(event)->region() : QRegion()) {
            pixels += static_cast<long>(r.width()) * r.height();
        }
        return false;
    }
};

// The frame drawn from scratch: every clear fills the whole field, every
// shape is painted as the play field's fast paths are captured from.
struct FullRedraw final : game::Canvas {
    QImage image{300, 400, QImage::Format_RGB32};
    QRgb back = 0, fill = 0;
    void setBackColour(game::Colour c) override { back = ui::ToQRgb(c); }
    void clear() override { image.fill(back); }
    void setFillColour(game::Colour c) override { fill = ui::ToQRgb(c); }
    void drawCircle(double x, double y, double r, game::Colour c) override
    {
        QPainter painter(&image);
        ui::PaintReferenceDisc(painter, x, y, r, ui::ToQRgb(c), fill);
    }
    void drawCircle(double x, double y, double r) override { drawCircle(x, y, r, game::Black); }
    void drawPoint(double x, double y, game::Colour c) override
    {
        QPainter painter(&image);
        ui::PaintReferenceDot(painter, x, y, ui::ToQRgb(c));
    }
    void present() override {}
};

// A change of the window's state answered with a whole frame, even halted; then a long game, kills and
// game overs included, in the window and beside it in a twin drawn from scratch: after every tick the
// window's backing store holds that frame wherever no control covers it, and the window repaints little.
TEST(Damage, TheWindowAlwaysHoldsWhatAFullRedrawShowsRepaintingLittle)
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
    RepaintedArea repainted;
    form.installEventFilter(&repainted);
    for (const Qt::WindowStates state : {Qt::WindowFullScreen, Qt::WindowNoState}) { // halted, yet a frame
        repainted.pixels = 0;
        form.setWindowState(state);
        QCoreApplication::processEvents();
        EXPECT_GE(repainted.pixels, 300 * 400) << state;
    }
    repainted.pixels = 0;
    const auto press = [&](int key) {
        Key(form, QEvent::KeyPress, key);
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
             form.findChildren<QWidget*>(QRegularExpression("Label1|Line1|Picture2"))) {
            if (control->isVisible()) {
                QPainter(&frame).drawImage(control->geometry(), shown, control->geometry());
            }
        }
        ASSERT_EQ(shown.copy(0, 0, 300, 400), frame) << tick;
    }
    EXPECT_TRUE(kills > 0 && gameOvers > 1) << kills << " kills, " << gameOvers << " game overs";
    EXPECT_LT(repainted.pixels / 600, 300 * 400 / 10) << "more than a tenth of the field a frame";
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // pixels are read back off screen, not from a display
    QApplication app(argc, argv);
    // A desktop whose own font slants: nothing of the game's may.
    QFont slanted = QApplication::font();
    slanted.setItalic(true);
    QApplication::setFont(slanted);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
