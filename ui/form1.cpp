// SPDX-License-Identifier: MIT
#include "form1.h"

#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QTimerEvent>

#include "colour_conversion.h"
#include "fonts.h"
#include "icon.h"
#include "keys.h"
#include "panel.h"
#include "startup.h"
#include "tick.h"

namespace ui {
namespace {

// A text line: centred, and transparent unless given a background.
QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry, game::Colour text)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setFocusPolicy(Qt::NoFocus);
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(text));
    label->setPalette(palette);
    return label;
}

void FillBackground(QWidget* widget, game::Colour colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The score line runs this much past the field's right edge: its text is
// centred on its full width and its right end is cut off.
constexpr int ScoreLineOverhang = 5;

} // namespace

Form1::Form1(QWidget* parent) : Form1(std::make_unique<game::ClockSeededRandom>(), parent) {}

Form1::Form1(std::unique_ptr<game::RandomSource> random, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      random_(std::move(random))
{
    setFixedSize(ContentSize);
    setWindowIcon(AppIcon());
    // Every key comes to the window itself, and no input method may swallow
    // the arrows or Enter on their way.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // paintEvent covers every pixel: white, the last frame, or black beyond it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    createControls();
    connectStatus();
    connect(&playField_, &PlayField::presented, this, &Form1::repaintPresentedDamage);
    Form_Load();
    followHalted();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    createPanel();
    createScoreAndBoundaryLines();
    // The panel is made first but must stand in front of the lines.
    picture2_->raise();
}

void Form1::createPanel()
{
    picture2_ = new Panel(this);
    picture2_->setObjectName(QStringLiteral("Picture2"));
    picture2_->setGeometry(40, 120, 209, 105);
    picture2_->setFocusPolicy(Qt::NoFocus);
    QPalette palette = picture2_->palette();
    palette.setColor(QPalette::Window, ToQColor(game::LightBlue));
    picture2_->setPalette(palette);

    // The lines are placed relative to the panel's inside and are cut off at
    // its inner edge, so they live on a child covering just that.
    auto* inside = new QWidget(picture2_);
    inside->setGeometry(
        picture2_->rect().adjusted(Panel::Border, Panel::Border, -Panel::Border, -Panel::Border));
    inside->setFocusPolicy(Qt::NoFocus);

    label4_ = MakeLabel(inside, "Label4", QRect(8, 80, 193, 17), game::Black);
    label4_->setFont(StatusFont());
    label3_ = MakeLabel(inside, "Label3", QRect(8, 40, 193, 25), game::DarkRed);
    label3_->setFont(JapaneseFont(16, true, true));
    label2_ = MakeLabel(inside, "Label2", QRect(0, 8, 209, 33), game::DarkGreen);
    label2_->setFont(JapaneseFont(27, false, false));
}

void Form1::createScoreAndBoundaryLines()
{
    label1_ =
        MakeLabel(this, "Label1", QRect(0, 0, game::FieldWidth.value() + ScoreLineOverhang, 17), game::White);
    FillBackground(label1_, game::Black);
    label1_->setFont(StatusFont());

    // A filled pixel row rather than a drawn line, which a scaled window
    // would draw one device pixel thin.
    line1_ = new QFrame(this);
    line1_->setObjectName(QStringLiteral("Line1"));
    line1_->setGeometry(0, 100, game::FieldWidth.value(), 1);
    line1_->setFocusPolicy(Qt::NoFocus);
    FillBackground(line1_, game::Black);
}

void Form1::connectStatus()
{
    label1_->setText(status_.scoreLine());
    label2_->setText(status_.titleLine());
    label3_->setText(status_.resultLine());
    label4_->setText(status_.promptLine());
    picture2_->setVisible(status_.panelVisible());
    connect(&status_, &StatusDisplay::scoreLineChanged, label1_, &QLabel::setText);
    connect(&status_, &StatusDisplay::titleLineChanged, label2_, &QLabel::setText);
    connect(&status_, &StatusDisplay::resultLineChanged, label3_, &QLabel::setText);
    connect(&status_, &StatusDisplay::panelVisibleChanged, picture2_, &QWidget::setVisible);
}

void Form1::Form_Load()
{
    game::LoadGame(state_, playField_);
    setWindowTitle(QString::fromStdString(game::MakeCaption(game::ProgramVersion)));
}

void Form1::Timer1_Timer()
{
    game::Tick(state_, playField_, status_, *random_);
    followHalted();
}

// A halted tick does nothing, so the timer sleeps while the game is halted
// and a game left at its panel costs no wakeups. Started again by the Enter
// that starts a game, its first tick comes one interval after that Enter.
void Form1::followHalted()
{
    if (state_.halted) {
        timer1_.stop();
    } else if (!timer1_.isActive()) {
        timer1_.start(static_cast<int>(game::TickInterval.count()), Qt::PreciseTimer, this);
    }
}

// Only what the new frame changed is repainted, so only that goes to the
// window system. The score line is opaque and covers the frame's top rows for
// good, so nothing above its bottom edge is repainted for a frame; its text
// is redrawn when the score changes.
void Form1::repaintPresentedDamage()
{
    if (wholeFrameRepaints_) {
        // Its controls too: an edge of one that falls between two of the
        // window system's pixels is handed over short of it, and the row
        // there would keep whatever it first showed.
        update();
        for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            control->update();
        }
        return;
    }
    const QRect frameShown =
        QRect(QPoint(0, 0), ContentSize).adjusted(0, label1_->geometry().bottom() + 1, 0, 0);
    damageRects_.clear();
    playField_.presentedDamage().forEachRect([this, &frameShown](const QRect& box) {
        if (const QRect shown = box & frameShown; !shown.isEmpty()) {
            damageRects_.push_back(shown);
        }
    });
    // The rectangles are already banded as a region keeps them; building it
    // by uniting them one by one would split them again and cost far more.
    QRegion region;
    region.setRects(damageRects_.data(), static_cast<int>(damageRects_.size()));
    update(region);
}

void Form1::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == timer1_.timerId()) {
        Timer1_Timer();
    } else {
        QWidget::timerEvent(event);
    }
}

// Every pixel asked for is painted: the last frame, white before the first,
// and black wherever a window manager made the window larger than the field.
// Black, because the score line runs 5 pixels past the field's right edge,
// and against black its cut-off end does not show.
void Form1::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    // The frame is shown pixel for pixel; a high-DPI screen gets whole
    // pixels enlarged, never blurred.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect field(QPoint(0, 0), ContentSize);
    const QImage& frame = playField_.presentedFrame();
    // Box by box: one drawImage under a clip of many rectangles costs more.
    for (const QRect& box : event->region()) {
        const QRect shown = box & field;
        if (frame.isNull()) {
            painter.fillRect(shown, ToQColor(game::White));
        } else if (!shown.isEmpty()) {
            painter.drawImage(shown, frame, shown);
        }
        if (!field.contains(box)) {
            for (const QRect& beyond : QRegion(box).subtracted(field)) {
                painter.fillRect(beyond, ToQColor(game::Black));
            }
        }
    }
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    const std::optional<game::KeyCode> code = GameKey(event->key());
    if (!code) {
        event->ignore();
        return;
    }
    // Repeats act too: holding Enter keeps restarting the game.
    Form_KeyDown(*code);
    event->accept();
}

void Form1::keyReleaseEvent(QKeyEvent* event)
{
    const std::optional<game::KeyCode> code = GameKey(event->key());
    if (!code) {
        event->ignore();
        return;
    }
    // A release that only belongs to the key's auto-repeat: the key is still
    // held, so its flag must stay set.
    if (!event->isAutoRepeat()) {
        Form_KeyUp(*code);
    }
    event->accept();
}

void Form1::Form_KeyDown(game::KeyCode code)
{
    game::KeyDown(state_, status_, code);
    followHalted();
}

void Form1::Form_KeyUp(game::KeyCode code)
{
    game::KeyUp(state_, code);
}

void Form1::focusOutEvent(QFocusEvent* event)
{
    Form_LostKeyboard();
    QWidget::focusOutEvent(event);
}

void Form1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        Form_LostKeyboard();
    }
    // A window system that changes the window's state (fullscreen and back,
    // say) waits for a frame in the new state before it shows it, and a
    // halted game sends none of its own.
    if (event->type() == QEvent::WindowStateChange) {
        update();
    }
    QWidget::changeEvent(event);
}

// Keys released elsewhere will never be heard of, so a key held at this
// moment would stay held for good: the player would drift and fire until the
// same key went down and up here again.
void Form1::Form_LostKeyboard()
{
    game::ReleaseHeldKeys(state_);
}

} // namespace ui
