// SPDX-License-Identifier: MIT
// The play field by its pixels, the status texts, the window run headless.
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "fakes.h"
#include "form1.h"

namespace {

constexpr QRgb White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0), Red = qRgb(255, 0, 0);
constexpr QRgb Cyan = qRgb(160, 255, 255), LightBlue = qRgb(192, 192, 255);

// The bounds and number of the pixels of `colour`.
std::pair<QRect, int> Where(const QImage& image, QRgb colour)
{
    std::pair<QRect, int> found{};
    for (int i = 0; i < image.width() * image.height(); ++i) {
        const QPoint p(i % image.width(), i / image.width());
        found = image.pixel(p) == colour ? std::pair(found.first | QRect(p, p), found.second + 1) : found;
    }
    return found;
}

// The pixels at x, y, x, y, ... as letters, so that they read as one word:
// White, blacK, Red, Cyan (the field), Light blue (the panel), or '?'.
std::string Probe(const QImage& image, std::initializer_list<int> xys)
{
    const QRgb named[] = {White, Black, Red, Cyan, LightBlue};
    std::string letters;
    for (const int* p = xys.begin(); p != xys.end(); p += 2) {
        letters += "WKRCL?"[std::find(std::begin(named), std::end(named), image.pixel(p[0], p[1])) - named];
    }
    return letters;
}

TEST(PlayField, GameDiscsMatchQPainterAtEveryEdgeWithTheFillKeptAcrossClears)
{
    ui::PlayField field;
    ASSERT_TRUE(field.hasDiscStamp());
    field.setBackColour(game::PaleCyan);
    field.setFillColour(game::Red);
    // From wholly outside to wholly inside at both ends of each axis, and the middle.
    const int xs[] = {-7, -6, -4, -1, 0, 3, 6, 7, 150, 292, 293, 296, 299, 300, 303, 305, 306};
    const int ys[] = {-7, -6, -4, -1, 0, 3, 6, 7, 200, 392, 393, 396, 399, 400, 403, 405, 406};
    for (const bool rimGiven : {true, false}) {
        for (const int x : xs) {
            for (const int y : ys) {
                field.clear();
                QImage reference = field.image().copy();
                rimGiven ? field.drawCircle(x, y, 5, game::Red) : field.drawCircle(x, y, 5);
                QPainter painter(&reference);
                ui::PaintReferenceDisc(painter, x, y, 5, rimGiven ? Red : Black, Red);
                painter.end();
                ASSERT_EQ(field.image(), reference)
                    << x << "," << y << (rimGiven ? " red" : " black") << " rim";
            }
        }
    }
    // The last disc in full: a black rim 3 wide round the red fill, 13 across and round.
    field.clear();
    field.drawCircle(150, 200, 5);
    EXPECT_EQ(Where(field.image(), Black).first, QRect(144, 194, 13, 13));
    EXPECT_EQ(Where(field.image(), Red).first, QRect(147, 197, 7, 7));
    EXPECT_EQ(Probe(field.image(), {144, 194, 146, 200, 147, 200, 150, 194}), "CKRK");
}

TEST(PlayField, DotIsThreeByThreeInItsColourAndClippedAtTheEdges)
{
    // Centre; left, top, width and height of what shows.
    const int dots[][6] = {{100, 150, 99, 149, 3, 3},  {0, 200, 0, 199, 2, 3},     {-1, 200, 0, 199, 1, 3},
                           {299, 200, 298, 199, 2, 3}, {300, 200, 299, 199, 1, 3}, {150, 0, 149, 0, 3, 2},
                           {150, 399, 149, 398, 3, 2}, {150, 400, 149, 399, 3, 1}, {-2, 200, 0, 0, 0, 0},
                           {301, 200, 0, 0, 0, 0},     {150, -2, 0, 0, 0, 0},      {150, 401, 0, 0, 0, 0}};
    ui::PlayField field;
    field.setBackColour(game::PaleCyan);
    for (const auto& d : dots) {
        field.clear();
        field.drawPoint(d[0], d[1], game::Red);
        EXPECT_EQ(Where(field.image(), Red), std::pair(QRect(d[2], d[3], d[4], d[5]), d[4] * d[5]))
            << d[0] << "," << d[1];
    }
}

TEST(PlayField, ClearFillsWithTheBackColourAndPresentKeepsASnapshot)
{
    ui::PlayField field;
    EXPECT_TRUE(field.presentedFrame().isNull());
    field.clear();
    EXPECT_EQ(Where(field.image(), White), std::pair(QRect(0, 0, 300, 400), 120000));
    field.setBackColour(game::PaleCyan);
    field.clear();
    field.drawPoint(20, 30, game::Red);
    field.present();
    field.present();
    EXPECT_EQ(Where(field.presentedFrame(), Red), std::pair(QRect(19, 29, 3, 3), 9));
    const QImage shown = field.presentedFrame().copy();
    field.drawPoint(200, 300, game::Black);
    field.drawCircle(100, 100, 5, game::Red);
    EXPECT_EQ(field.presentedFrame(), shown);
    field.clear();
    EXPECT_EQ(field.presentedFrame(), shown);
    field.present();
    const QImage cleared = field.image().copy();
    field.drawPoint(250, 350, game::Red);
    EXPECT_EQ(field.presentedFrame(), cleared);
}

TEST(StatusDisplay, ShowsScoreTitleResultAndPanelExactly)
{
    ui::StatusDisplay status;
    EXPECT_EQ(status.promptLine().toStdU32String(), U"Press Enter Key To Start");
    const std::pair<std::function<void()>, std::u32string> steps[] = {
        {[] {}, U"0p|ケルバド||shown"},
        {[&] { status.showScore(1230); }, U"1230p|ケルバド||shown"},
        {[&] { status.showScore(-5); }, U"-5p|ケルバド||shown"},
        {[&] { status.hidePanel(); }, U"-5p|ケルバド||hidden"},
        {[&] { status.showGameOver(120); }, U"-5p|ゲームオーバー|120\u3000ポイント|shown"},
        {[&] { status.hidePanel(); }, U"-5p|ゲームオーバー|120\u3000ポイント|hidden"},
        {[&] { status.showScore(0); }, U"0p|ゲームオーバー|120\u3000ポイント|hidden"}};
    for (const auto& [step, expected] : steps) {
        step();
        const QStringList lines{status.scoreLine(), status.titleLine(), status.resultLine(),
                                status.panelVisible() ? "shown" : "hidden"};
        EXPECT_EQ(lines.join(u'|').toStdU32String(), expected);
    }
}

class Window : public testing::Test {
protected:
    bool key(QEvent::Type type, int key, bool autoRepeat = false) // whether the window took it
    {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(&form, &event);
        return event.isAccepted();
    }
    std::string held() const
    {
        const game::GameState& s = form.state();
        return {s.upHeld ? 'U' : '-', s.downHeld ? 'D' : '-', s.leftHeld ? 'L' : '-', s.rightHeld ? 'R' : '-',
                s.fireHeld ? 'F' : '-'};
    }
    QImage grab() { return form.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    std::unique_ptr<test::ScriptedRandom> owned = std::make_unique<test::ScriptedRandom>();
    test::ScriptedRandom& random = *owned;
    ui::Form1 form{std::move(owned)};
};

TEST_F(Window, ArrowsAndShiftHoldTheirFlagsAndOtherKeysAreIgnored)
{
    const std::tuple<int, int, const char*> keys[] = {
        {Qt::Key_Up, 38, "U----"},     {Qt::Key_Down, 40, "-D---"},  {Qt::Key_Left, 37, "--L--"},
        {Qt::Key_Right, 39, "---R-"},  {Qt::Key_Shift, 16, "----F"}, {Qt::Key_Space, 0, "-----"},
        {Qt::Key_Control, 0, "-----"}, {Qt::Key_A, 0, "-----"},      {Qt::Key_F1, 0, "-----"},
        {Qt::Key_Return, 13, nullptr}, {Qt::Key_Enter, 13, nullptr}};
    for (const auto& [qtKey, code, flags] : keys) {
        EXPECT_EQ(ui::GameKeyCode(qtKey), code) << qtKey;
        if (flags != nullptr) {
            EXPECT_EQ(key(QEvent::KeyPress, qtKey), code != 0) << qtKey;
            EXPECT_EQ(held(), flags) << qtKey;
            key(QEvent::KeyRelease, qtKey);
            EXPECT_EQ(held(), "-----") << qtKey;
            EXPECT_TRUE(form.state().halted) << qtKey;
        }
    }
}

TEST_F(Window, HeldKeysSurviveAutoRepeatReleasesButNotLosingTheKeyboard)
{
    QFocusEvent focusOut(QEvent::FocusOut);
    QEvent deactivated(QEvent::ActivationChange);
    for (QEvent* lost : {static_cast<QEvent*>(&focusOut), &deactivated}) {
        for (const int qtKey : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_Shift}) {
            key(QEvent::KeyPress, qtKey);
            key(QEvent::KeyRelease, qtKey, true);
        }
        EXPECT_EQ(held(), "UDLRF");
        QCoreApplication::sendEvent(&form, lost);
        EXPECT_EQ(held(), "-----") << lost->type();
    }
}

TEST_F(Window, IsAFixedCaptionedWindowTickingEvery50Ms)
{
    EXPECT_EQ(form.windowTitle().toStdU32String(), U"ケルバド\u30001.0.1.");
    EXPECT_EQ(std::pair(form.minimumSize(), form.maximumSize()), std::pair(QSize(300, 400), QSize(300, 400)));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(ui::Form1::TimerIntervalMs, 50);
    EXPECT_TRUE(form.timer1Active());
    EXPECT_EQ(form.windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
}

TEST_F(Window, ControlsHaveTheirPlacesColoursAndFonts)
{
    // The panel's lines sit on its inside. The colour is the text's, or the background's.
    QWidget* const inside = form.picture2Inside();
    using P = QPalette;
    const std::tuple<QWidget*, QWidget*, QRect, P::ColorRole, QRgb> controls[] = {
        {form.picture2(), &form, QRect(40, 120, 209, 105), P::Window, qRgb(192, 192, 255)},
        {inside, form.picture2(), QRect(1, 1, 207, 103), P::Window, qRgb(192, 192, 255)},
        {form.label4(), inside, QRect(8, 80, 193, 17), P::WindowText, qRgb(0, 0, 0)},
        {form.label3(), inside, QRect(8, 40, 193, 25), P::WindowText, qRgb(192, 0, 0)},
        {form.label2(), inside, QRect(0, 8, 209, 33), P::WindowText, qRgb(0, 128, 0)},
        {form.label1(), &form, QRect(0, 0, 305, 17), P::WindowText, qRgb(255, 255, 255)},
        {form.label1(), &form, QRect(0, 0, 305, 17), P::Window, qRgb(0, 0, 0)},
        {form.line1(), &form, QRect(0, 100, 300, 1), P::WindowText, qRgb(0, 0, 0)}};
    for (const auto& [control, parent, place, role, colour] : controls) {
        EXPECT_EQ(control->parentWidget(), parent) << control->objectName().toStdString();
        EXPECT_EQ(control->geometry(), place) << control->objectName().toStdString();
        EXPECT_EQ(control->palette().color(role).rgb(), colour) << control->objectName().toStdString();
    }
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        EXPECT_EQ(label->alignment(), Qt::AlignCenter) << label->objectName().toStdString();
    }
    const QFontInfo title(form.label2()->font());
    const QFontInfo result(form.label3()->font());
    EXPECT_EQ(std::tuple(title.pixelSize(), title.bold(), title.underline()), std::tuple(27, false, false));
    EXPECT_EQ(std::tuple(result.pixelSize(), result.bold(), result.underline()), std::tuple(16, true, true));
    // Clear of where the centred lines are cut off: the score line at the
    // window's edge, the title line at the panel's inner edge.
    const std::tuple<QLabel*, const char*, int> texts[] = {{form.label1(), "99990p", 295},
                                                           {form.label2(), "ケルバド", 205},
                                                           {form.label2(), "ゲームオーバー", 205},
                                                           {form.label3(), "99990\u3000ポイント", 193},
                                                           {form.label4(), "Press Enter Key To Start", 193}};
    for (const auto& [label, text, width] : texts) {
        const QFontMetrics metrics(label->font());
        const QString line = QString::fromUtf8(text);
        EXPECT_LE(metrics.horizontalAdvance(line), width) << text;
        EXPECT_LE(metrics.height(), label->height()) << text;
    }
}

TEST_F(Window, ScoreLineFollowsTheScore)
{
    key(QEvent::KeyPress, Qt::Key_Return);
    key(QEvent::KeyPress, Qt::Key_Shift);
    // From the top at x 155, 6 down a tick, never firing: the player's first
    // shot, 5 up a tick from y 369, meets it on tick 34.
    random.script = {0.0F, 0.51953125F, 0.5F, 0.9F};
    for (int tick = 1; tick <= 34; ++tick) {
        form.Timer1_Timer();
        EXPECT_EQ(form.label1()->text().toStdString(), tick < 34 ? "0p" : "10p") << tick;
    }
}

TEST_F(Window, ShowsTheStartPanelThenEachFrameUnscaledThenTheGameOverPanel)
{
    QImage image = grab();
    ASSERT_EQ(image.size(), QSize(300, 400));
    // The score bar's corners (rows 0 to 16) and the row below; the boundary
    // line (row 100) and above and below it; the open field; on the panel
    // clear of its texts; just outside the panel.
    EXPECT_EQ(Probe(image,
                    {0,  0,  299, 16,  0,   17, 299, 17,  0,   100, 299, 100, 150, 99,  150, 101, 10, 50, 290,
                     60, 20, 300, 280, 395, 60, 190, 246, 123, 39,  170, 249, 170, 100, 119, 100, 225}),
              "KKWWKKWWWWWWLLWWWW");
    EXPECT_TRUE(key(QEvent::KeyPress, Qt::Key_Return));
    EXPECT_FALSE(form.state().halted);
    // From the top at x 155, 2 down a tick, firing at once straight down 8 a
    // tick from y 9: the shot reaches the player on tick 46.
    random.script = {0.0F, 0.51953125F, 0.5F, 0.0F, 0.0F, 0.5F, 0.75F};
    form.Timer1_Timer();
    image = grab();
    // The bar and line as before, over the field; no panel; the player's disc, 13 across.
    EXPECT_EQ(Probe(image, {0,  0,   299, 16,  0,   17,  299, 17,  0,   100, 299, 100, 150, 99,  150, 101,
                            60, 190, 246, 123, 148, 380, 149, 380, 161, 380, 162, 380, 155, 373, 155, 374}),
              "KKCCKKCCCCCKKCCK");
    for (const QRect belowTheBar : {QRect(0, 17, 300, 83), QRect(0, 101, 300, 299)}) {
        EXPECT_EQ(image.copy(belowTheBar), form.playField().presentedFrame().copy(belowTheBar));
    }
    int tick = 1; // the one above
    for (; !form.state().halted && tick < 100; ++tick) {
        form.Timer1_Timer();
    }
    EXPECT_EQ(tick, 46);
    EXPECT_EQ((form.label1()->text() + u'|' + form.label2()->text() + u'|' + form.label3()->text())
                  .toStdU32String(),
              U"0p|ゲームオーバー|0\u3000ポイント");
    image = grab();
    // The panel, in front of the last frame: the enemy at y 1 + 2 * 46, the player back at the start.
    EXPECT_EQ(Probe(image, {60, 190, 246, 123, 155, 93, 155, 380, 20, 300}), "LLRKC");
    for (int more = 0; more < 5; ++more) {
        form.Timer1_Timer();
    }
    EXPECT_EQ(grab(), image);
    EXPECT_TRUE(key(QEvent::KeyPress, Qt::Key_Enter));
    EXPECT_FALSE(form.state().halted);
    EXPECT_FALSE(form.picture2()->isVisibleTo(&form));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // pixels are read back off screen, not from a display
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
