// SPDX-License-Identifier: MIT
// The game window: owns the game, translates the toolkit's events into calls
// on the rules and shows what they produced. It decides no rule itself.
#pragma once

#include <QBasicTimer>
#include <QSize>
#include <QWidget>
#include <memory>
#include <vector>

#include "input.h"
#include "play_field.h"
#include "random.h"
#include "state.h"
#include "status_display.h"

class QFrame;
class QLabel;

namespace ui {

class Panel;

class Form1 final : public QWidget {
    Q_OBJECT

public:
    // The window's inside: the play field's size.
    static constexpr QSize ContentSize{game::FieldWidth.value(), game::FieldHeight.value()};

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

    // One tick of the game, as Timer1 runs it every game::TickInterval.
    void Timer1_Timer();

    [[nodiscard]] const game::GameState& state() const { return state_; }
    [[nodiscard]] const PlayField& playField() const { return playField_; }

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

    game::GameState state_{};
    PlayField playField_;
    StatusDisplay status_;
    std::unique_ptr<game::RandomSource> random_;
    // Timer1: the tick timer, running while a game runs.
    QBasicTimer timer1_;
    // The rectangles of the last repaint, kept for their capacity.
    std::vector<QRect> damageRects_;
    bool wholeFrameRepaints_ = false;

    // The controls, each with its name as its object name ("Picture2").
    // Picture2: the start and game-over panel.
    Panel* picture2_ = nullptr;
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

} // namespace ui
