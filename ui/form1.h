// SPDX-License-Identifier: MIT
// The game window: owns the game, translates the toolkit's events into calls
// on the rules and shows what they produced. It decides no rule itself.
#pragma once

#include <QBasicTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "input.h"
#include "play_field.h"
#include "random.h"
#include "state.h"
#include "status_display.h"

class QFrame;
class QLabel;

namespace ui {

class Form1 final : public QWidget {
    Q_OBJECT

public:
    static constexpr int TimerIntervalMs = 50;
    // The panel's border; its three lines are placed inside it.
    static constexpr int PanelBorder = 1;

    // A window whose enemies come from the clock-seeded source.
    explicit Form1(QWidget* parent = nullptr);
    // A window drawing its random numbers from `random` (tests script them).
    explicit Form1(std::unique_ptr<game::RandomSource> random, QWidget* parent = nullptr);
    ~Form1() override;

    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;
    Form1(Form1&&) = delete;
    Form1& operator=(Form1&&) = delete;

    // Where the window system maps the window's pixels by a fraction, a
    // repainted rectangle's edges are rounded inwards and moving shapes leave
    // streaks; there every frame repaints the whole window.
    void setWholeFrameRepaints(bool whole) { wholeFrameRepaints_ = whole; }

    // One tick of the game, as Timer1 runs it every 50 ms.
    void Timer1_Timer();

    [[nodiscard]] const game::GameState& state() const { return state_; }
    [[nodiscard]] const PlayField& playField() const { return playField_; }
    [[nodiscard]] const StatusDisplay& statusDisplay() const { return status_; }

    // The score line across the top: "0p", "120p".
    [[nodiscard]] QLabel* label1() const { return label1_; }
    // The panel's title: "ケルバド", or "ゲームオーバー" after a game.
    [[nodiscard]] QLabel* label2() const { return label2_; }
    // The panel's result line: the final score after a game, else empty.
    [[nodiscard]] QLabel* label3() const { return label3_; }
    // The panel's prompt: "Press Enter Key To Start".
    [[nodiscard]] QLabel* label4() const { return label4_; }
    // The start and game-over panel, shown while the game is halted.
    [[nodiscard]] QFrame* picture2() const { return picture2_; }
    // The inside of Picture2, inside its border: the three lines' parent.
    [[nodiscard]] QWidget* picture2Inside() const { return picture2Inside_; }
    // The boundary line across the field, 100 pixels down.
    [[nodiscard]] QFrame* line1() const { return line1_; }
    // Whether the 50 ms tick timer runs: while a game runs, not while halted.
    [[nodiscard]] bool timer1Active() const { return timer1_.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void createControls();
    void createPanel();
    void createScoreAndBoundaryLines();
    void connectStatus();
    void Form_Load();
    void Form_KeyDown(game::KeyCode code);
    void Form_KeyUp(game::KeyCode code);
    void Form_LostKeyboard();
    void followHalted();
    void repaintPresentedDamage();
    void allowSizeUnderQtTitleBar();

    game::GameState state_{};
    PlayField playField_;
    StatusDisplay status_;
    std::unique_ptr<game::RandomSource> random_;
    // Timer1: the tick timer, every 50 ms while a game runs.
    QBasicTimer timer1_;
    // The rectangles of the last repaint, kept for their capacity.
    std::vector<QRect> damageRects_;
    bool titleBarChecked_ = false;
    bool wholeFrameRepaints_ = false;

    // Picture2: the start and game-over panel.
    QFrame* picture2_ = nullptr;
    // Its inside, within the border; parent of Label2 to Label4.
    QWidget* picture2Inside_ = nullptr;
    // Label4: the panel's prompt, "Press Enter Key To Start".
    QLabel* label4_ = nullptr;
    // Label3: the panel's result line, the final score.
    QLabel* label3_ = nullptr;
    // Label2: the panel's title, "ケルバド" or "ゲームオーバー".
    QLabel* label2_ = nullptr;
    // Label1: the score line across the top.
    QLabel* label1_ = nullptr;
    // Line1: the boundary line, 100 pixels down.
    QFrame* line1_ = nullptr;
};

// The whole factor the window is drawn at: the desktop's `scale` rounded,
// lowered until the window and a frame around it fit in `available` device
// pixels, and never below 1.
[[nodiscard]] int FittingScale(double scale, QSize available);

// The game's key for a key, or none for a key the game does not use. Only the
// key itself counts, never the modifiers: Shift is a key of its own here.
[[nodiscard]] std::optional<game::KeyCode> GameKey(int qtKey);

} // namespace ui
