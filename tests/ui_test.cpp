// SPDX-License-Identifier: MIT
// The play field by its pixels, the status texts, the window run headless.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

#include <sstream>

#include "fakes.h"
#include "form1.h"
#include "keys.h"
#include "startup.h"
#include "tick.h"

namespace {

// The points "x,y" of a list whose pixels are not the letter in the column given after each, as "x,y is ..."
// words: White, blacK, Red, Cyan (the field), Light blue (the panel), '?' for any other colour.
std::string Unlike(const QImage& image, const std::string& points, std::size_t column = 0)
{
    const QStringList named{"#ffffff", "#000000", "#ff0000", "#a0ffff", "#c0c0ff"};
    std::string unlike, xy, letters;
    for (std::istringstream in(points); in >> xy >> letters;) {
        const QColor colour = image.pixelColor(std::stoi(xy), std::stoi(xy.substr(xy.find(',') + 1)));
        const char seen = "?WKRCL"[named.indexOf(colour.name()) + 1];
        unlike += seen == letters.at(column) ? "" : xy + " is " + seen + " ";
    }
    return unlike;
}

void Key(QWidget& window, QEvent::Type type, int key, bool autoRepeat = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QCoreApplication::sendEvent(&window, &event);
}

// The frame drawn from scratch: every clear fills the whole field, every
// shape is painted as the play field's fast paths are captured from.
struct FullRedraw final : game::Canvas {
    static QRgb Rgb(game::Colour c) { return qRgb(c & 0xFF, c >> 8 & 0xFF, c >> 16); } // 0x00BBGGRR
    QImage image{300, 400, QImage::Format_RGB32};
    QRgb back = 0, fill = 0;
    void setBackColour(game::Colour c) override { back = Rgb(c); }
    void clear() override { image.fill(back); }
    void setFillColour(game::Colour c) override { fill = Rgb(c); }
    void drawCircle(double x, double y, double r, game::Colour c) override
    {
        QPainter painter(&image);
        ui::PaintReferenceDisc(painter, x, y, r, Rgb(c), fill);
    }
    void drawCircle(double x, double y, double r) override { drawCircle(x, y, r, game::Black); }
    void drawPoint(double x, double y, game::Colour c) override
    {
        QPainter painter(&image);
        ui::PaintReferenceDot(painter, x, y, Rgb(c));
    }
    void present() override {}
};

// A disc with a red or the black rim round a red fill, or none, and a dot on its centre, wholly outside to
// wholly inside at both ends of each axis and mid-field: as drawn from scratch, and when presented twice.
TEST(PlayField, DrawsAsAFullRedrawAtEveryEdge)
{
    ui::PlayField field;
    FullRedraw redraw;
    ASSERT_TRUE(field.hasDiscStamp());
    const int xs[] = {-7, -6, -4, -1, 0, 3, 6, 7, 150, 292, 293, 296, 299, 300, 303, 305, 306};
    const int ys[] = {-7, -6, -4, -1, 0, 3, 6, 7, 200, 392, 393, 396, 399, 400, 403, 405, 406};
    for (const int rim : {1, 0, -1}) { // a red rim, the black one, no disc at all
        for (const int x : xs) {
            for (const int y : ys) {
                for (game::Canvas* canvas : std::initializer_list<game::Canvas*>{&field, &redraw}) {
                    canvas->setBackColour(game::White);
                    canvas->clear(); // the field: of the disc before, and only that
                    canvas->setFillColour(game::Red);
                    if (rim >= 0) {
                        rim > 0 ? canvas->drawCircle(x, y, 5, game::Red) : canvas->drawCircle(x, y, 5);
                    }
                    canvas->drawPoint(x, y, game::Black);
                    canvas->present();
                }
                field.present(); // nothing drawn since: the same frame again
                ASSERT_EQ(field.presentedFrame(), redraw.image) << x << "," << y << " rim " << rim;
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

TEST_F(Window, ShowsItsCaptionTheStartPanelThenEachFrameAndTheScoreThenTheGameOverPanelTickingOnlyInBetween)
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
    // The title as a label of its own draws it 27 pixels high and upright, though the desktop's font slants.
    auto* title = form.findChild<QLabel*>("Label2");
    QLabel twin(title->text(), title->parentWidget());
    QFont upright = title->font();
    upright.setPixelSize(27);
    upright.setItalic(false);
    twin.setFont(upright);
    twin.setPalette(title->palette());
    twin.setAlignment(Qt::AlignCenter);
    twin.setGeometry(title->geometry());
    EXPECT_EQ(title->grab().toImage(), twin.grab().toImage())
        << "the title's face " << QFontInfo(title->font()).pixelSize() << " pixels, italic "
        << QFontInfo(title->font()).italic();
    // At the start and once running: the score bar's corners and the row below; the boundary line (row 100)
    // and the rows either side; the open field; the panel's inside at two corners, its edges dark above and
    // to the left, light (white) below and to the right; the enemy's shot, the player's, the player.
    const std::string places =
        "0,0 KK 299,16 KK 0,17 WC 299,17 WC 0,100 KK 299,100 KK 150,99 WC 150,101 WC 10,50 WC 290,60 WC "
        "20,300 WC 280,395 WC 41,121 LC 247,223 LC 100,120 ?C 40,170 ?C 100,224 WC 248,170 WC 153,21 WC "
        "154,21 WR 156,21 WR 157,21 WC 155,19 WC 155,20 WR 155,22 WR 155,23 WC 155,367 WC 155,368 WK "
        "155,370 WK 155,371 WC 148,380 WC 149,380 WK 161,380 WK 162,380 WC 155,373 WC 155,374 WK "
        "155,386 WK 155,387 WC";
    const QImage start = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Unlike(start, places, 0), "");
    const auto line = [this](const char* name) {
        return form.findChild<QLabel*>(name)->text().toStdU32String();
    };
    const auto lines = [&] { // the score line, then the panel's title, result and prompt
        return line("Label1") + U"|" + line("Label2") + U"|" + line("Label3") + U"|" + line("Label4");
    };
    const auto timers = [this] { // "interval type" for each the window has registered
        std::string s;
        for (const auto& t : QAbstractEventDispatcher::instance()->registeredTimers(&form)) {
            s += std::to_string(t.interval) + (t.timerType == Qt::PreciseTimer ? " precise " : " coarse ");
        }
        return s;
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
    EXPECT_EQ(timers(), "") << "halted: the timer sleeps";
    Key(form, QEvent::KeyPress, Qt::Key_Return);
    EXPECT_EQ(timers(), "50 precise ") << "a tick every 50 ms";
    Key(form, QEvent::KeyPress, Qt::Key_Shift);
    // From the top at x 155, 6 down a tick, firing once, straight down 8 a tick from y 13: the
    // player's first shot, 5 up a tick from y 369, meets it on tick 34, its shot the player on tick 46.
    random->script = {0.0F, 0.51953125F, 0.5F, 0.9F, 0.0F, 0.5F, 0.0F};
    form.Timer1_Timer();
    const QImage image = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Unlike(image, places, 1), "");
    EXPECT_EQ(image.copy(0, 101, 300, 299), form.playField().presentedFrame().copy(0, 101, 300, 299));
    for (int tick = 2; tick <= 46; ++tick) { // the score line counts the hit, back to 0 when the game ends
        form.Timer1_Timer();
        EXPECT_EQ(line("Label1"), tick >= 34 && tick < 46 ? U"10p" : U"0p") << tick;
    }
    EXPECT_EQ(lines(), U"0p|ゲームオーバー|10\u3000ポイント|Press Enter Key To Start");
    EXPECT_EQ(timers(), "");
    EXPECT_EQ(Unlike(form.grab().toImage(), "41,121 L 247,223 L 155,380 K 20,300 C"), "");
    Key(form, QEvent::KeyPress, Qt::Key_Enter);
    EXPECT_FALSE(form.state().halted);
    EXPECT_FALSE(form.findChild<QWidget*>("Picture2")->isVisibleTo(&form));
}

struct RepaintedArea final : QObject { // what the window repaints, in pixels
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
        for (const QWidget* control : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
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
    QApplication::setFont(QFont(QApplication::font().family(), -1, -1, true));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
