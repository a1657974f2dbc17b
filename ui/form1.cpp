// SPDX-License-Identifier: MIT
#include "form1.h"

#include <QEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QRawFont>
#include <QRegion>
#include <QStringList>
#include <QTimer>
#include <QTimerEvent>
#include <QWindow>

#include <xcb/xcb.h>
// xkb.h names a struct field `explicit`, a C++ keyword; it is never used here.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "colour_conversion.h"
#include "icon.h"
#include "startup.h"
#include "tick.h"

namespace ui {
namespace {

// The title and result lines were designed for this face. Where it is
// missing, the nearest Japanese proportional gothics stand in; the list must
// never run out into a face without kana, or the title shows as boxes.
const QStringList& TitleFamilies()
{
    static const QStringList families{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                                      QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP")};
    return families;
}

// The face the system itself picks for Japanese sans-serif text, for when
// none of the listed faces is installed. Empty if it has no face with kana.
QString SystemJapaneseGothic()
{
    QFont query;
    query.setFamilies(TitleFamilies());
    query.setStyleHint(QFont::SansSerif);
    const QRawFont face = QRawFont::fromFont(query, QFontDatabase::Japanese);
    return face.isValid() && face.supportsCharacter(QChar(0x30B1)) ? face.familyName() : QString();
}

QFont JapaneseFont(int pixelSize, bool bold, bool underline)
{
    QStringList families = TitleFamilies();
    // Last resort: the system's own Japanese gothic. The first Japanese face
    // by name could as well be a Mincho or a monospace one.
    if (std::none_of(families.begin(), families.end(), &QFontDatabase::hasFamily)) {
        if (const QString gothic = SystemJapaneseGothic(); !gothic.isEmpty()) {
            families.append(gothic);
        }
    }
    QFont font;
    font.setFamilies(families);
    // Where even that fails, the fallback for each glyph is a sans-serif one.
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    // Never slanted, even where the desktop's own font is.
    font.setItalic(false);
    font.setUnderline(underline);
    // Unhinted: before hinting a CJK face, FreeType's auto-hinter loads dozens
    // of reference glyphs and walks the whole character map, which leaves
    // that much of the font file resident for as long as the game runs (about
    // 1.5 MB of IPAPGothic). At 16 and 27 pixels the antialiased outlines
    // need no hinting.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// The score line and the prompt: Latin text in lines only 17 pixels high, so
// a size in pixels, not points, keeps them whole whatever size the desktop's
// default font is. 12 pixels is that default (9 points) at 96 dpi. Weight and
// slant are fixed too: a bold or italic desktop font would widen the prompt.
QFont StatusFont()
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    font.setStyle(QFont::StyleNormal);
    return font;
}

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

// Turns on the X server's detectable auto-repeat for this program's own
// connection, so that a held key sends repeated presses and one release
// instead of release/press pairs that Qt has to guess about. Nothing on other
// platforms. True if the server took it.
// This program's connection to the X server; null on other platforms.
xcb_connection_t* X11Connection()
{
    const auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

bool EnableDetectableAutoRepeat()
{
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr) {
        return false;
    }
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (xkb == nullptr || xkb->present == 0) {
        return false;
    }
    // Only this client's flag changes; the server's auto-repeat stays as the
    // user set it.
    constexpr auto flag = static_cast<uint32_t>(XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT);
    const auto cookie = xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0);
    xcb_xkb_per_client_flags_reply_t* reply = xcb_xkb_per_client_flags_reply(connection, cookie, nullptr);
    const bool enabled = reply != nullptr && (reply->value & flag) != 0;
    std::free(reply); // NOLINT(cppcoreguidelines-no-malloc): xcb allocates replies with malloc
    return enabled;
}

// Qt's Motif hints ask X window managers for a resizable window even when its
// size is fixed, and several then offer to minimise, maximise or resize it.
// These ask for what the window allows: to be moved and closed, under a
// border and a title bar with its menu. Set before the window is mapped,
// when window managers read them.
void AskForMoveAndCloseOnly(QWidget& window)
{
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr) {
        return;
    }
    enum : std::uint32_t { Functions = 1U, Decorations = 2U };    // which fields count
    enum : std::uint32_t { Move = 4U, Close = 32U };              // functions
    enum : std::uint32_t { Border = 2U, Title = 8U, Menu = 16U }; // decorations
    const std::array<std::uint32_t, 5> hints{Functions | Decorations, Move | Close, Border | Title | Menu, 0,
                                             0};
    constexpr std::string_view name = "_MOTIF_WM_HINTS";
    const auto cookie = xcb_intern_atom(connection, 0, name.size(), name.data());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (atom != nullptr) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()),
                            atom->atom, atom->atom, 32, hints.size(), hints.data());
        xcb_flush(connection);
    }
    std::free(atom); // NOLINT(cppcoreguidelines-no-malloc): xcb allocates replies with malloc
}

} // namespace

int FittingScale(double scale, QSize available)
{
    // Room for a window manager's title bar and border, which are only known
    // once the window is mapped: enough for the usual ones at any scale.
    constexpr QSize Frame(16, 48);
    const QSize window = QSize(game::FieldWidth.value(), game::FieldHeight.value()) + Frame;
    int factor = std::isfinite(scale) ? std::max(1, static_cast<int>(std::lround(scale))) : 1;
    while (factor > 1 && (window * factor).boundedTo(available) != window * factor) {
        --factor;
    }
    return factor;
}

std::optional<game::KeyCode> GameKey(int qtKey)
{
    using game::KeyCode;
    switch (qtKey) {
    case Qt::Key_Up:
        return KeyCode::Up;
    case Qt::Key_Down:
        return KeyCode::Down;
    case Qt::Key_Left:
        return KeyCode::Left;
    case Qt::Key_Right:
        return KeyCode::Right;
    case Qt::Key_Shift:
        return KeyCode::Shift;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::Enter;
    default:
        return std::nullopt;
    }
}

Form1::Form1(QWidget* parent) : Form1(std::make_unique<game::ClockSeededRandom>(), parent) {}

Form1::Form1(std::unique_ptr<game::RandomSource> random, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      random_(std::move(random))
{
    setFixedSize(game::FieldWidth.value(), game::FieldHeight.value());
    setWindowIcon(AppIcon());
    // Every key comes to the window itself, and no input method may swallow
    // the arrows or Enter on their way.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // paintEvent covers every pixel: white, the last frame, or black beyond it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    AskForMoveAndCloseOnly(*this);
    createControls();
    connectStatus();
    connect(&playField_, &PlayField::presented, this, &Form1::repaintPresentedDamage);
    EnableDetectableAutoRepeat();
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
    picture2_ = new QFrame(this);
    picture2_->setObjectName(QStringLiteral("Picture2"));
    picture2_->setGeometry(40, 120, 209, 105);
    picture2_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture2_->setLineWidth(PanelBorder);
    picture2_->setFocusPolicy(Qt::NoFocus);
    FillBackground(picture2_, game::LightBlue);

    // The lines are placed relative to the panel's inside and are cut off at
    // its inner edge, so they live on a child covering just that.
    picture2Inside_ = new QWidget(picture2_);
    picture2Inside_->setObjectName(QStringLiteral("Picture2Inside"));
    picture2Inside_->setGeometry(picture2_->contentsRect());
    picture2Inside_->setFocusPolicy(Qt::NoFocus);

    label4_ = MakeLabel(picture2Inside_, "Label4", QRect(8, 80, 193, 17), game::Black);
    label4_->setFont(StatusFont());
    label3_ = MakeLabel(picture2Inside_, "Label3", QRect(8, 40, 193, 25), game::DarkRed);
    label3_->setFont(JapaneseFont(16, true, true));
    label2_ = MakeLabel(picture2Inside_, "Label2", QRect(0, 8, 209, 33), game::DarkGreen);
    label2_->setFont(JapaneseFont(27, false, false));
}

void Form1::createScoreAndBoundaryLines()
{
    // 5 pixels wider than the window: the text is centred on the full width
    // and the right end is cut off.
    label1_ = MakeLabel(this, "Label1", QRect(0, 0, 305, 17), game::White);
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
    setWindowTitle(QString::fromStdString(
        game::MakeCaption(PROJECT_VERSION_MAJOR, PROJECT_VERSION_MINOR, PROJECT_VERSION_PATCH)));
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
        timer1_.start(TimerIntervalMs, Qt::PreciseTimer, this);
    }
}

// Only what the new frame changed is repainted, so only that goes to the
// window system. The score line is opaque and covers the frame's top rows for
// good, so nothing above its bottom edge is repainted for a frame; its text
// is redrawn when the score changes.
void Form1::repaintPresentedDamage()
{
    if (wholeFrameRepaints_) {
        update();
        return;
    }
    const QRect frameShown(0, label1_->geometry().bottom() + 1, game::FieldWidth.value(),
                           game::FieldHeight.value() - label1_->geometry().bottom() - 1);
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
    allowSizeUnderQtTitleBar();
    QPainter painter(this);
    // The frame is shown pixel for pixel; a high-DPI screen gets whole
    // pixels enlarged, never blurred.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect field(0, 0, game::FieldWidth.value(), game::FieldHeight.value());
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

// On Wayland compositors without server-side title bars (weston, mutter) Qt
// draws its own, with a maximise button whatever the window allows, and
// weston disconnects a maximised window that keeps a smaller fixed size.
// There the window keeps only its minimum size; a maximise is undone at once
// (changeEvent), and whatever the window grows to beyond the field is black.
// Whose title bar it is shows only once the window is first painted.
void Form1::allowSizeUnderQtTitleBar()
{
    if (!titleBarChecked_ && windowHandle() != nullptr) {
        titleBarChecked_ = true;
        if (QGuiApplication::platformName() == u"wayland" && !windowHandle()->frameMargins().isNull()) {
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
    }
}

void Form1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        Form_LostKeyboard();
    }
    // Where a maximise cannot be refused beforehand (the buttons Qt draws on
    // Wayland offer it whatever the window allows, and some compositors move
    // a maximised window to their corner), it is undone at once.
    // Queued: weston ignores an undo sent with the maximised frame itself.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized) != 0) {
        QTimer::singleShot(0, this, [this] { setWindowState(windowState() & ~Qt::WindowMaximized); });
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
