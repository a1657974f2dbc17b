// SPDX-License-Identifier: MIT
// The start and game-over panel's box: a background and a sunken frame.
#pragma once

#include <QWidget>

namespace ui {

// Filled with its palette's Window colour inside a sunken frame Border pixels
// wide, dark above and to the left, light below and to the right, as Qt's
// shaded panels are drawn. The frame is filled rather than stroked, so at any
// whole scale factor each of its pixels is an n x n block of one colour.
class Panel final : public QWidget {
public:
    static constexpr int Border = 1;

    explicit Panel(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ui
