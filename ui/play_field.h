// The off-screen play field: a 300 x 400 image that every running tick draws
// one whole frame on, and the frame last presented to the window.
#pragma once

#include <QImage>
#include <QObject>

#include "canvas.h"

namespace ui {

class PlayField final : public QObject, public game::Canvas {
    Q_OBJECT

public:
    static constexpr int Width = 300;
    static constexpr int Height = 400;

    explicit PlayField(QObject* parent = nullptr);

    void setBackColour(game::Colour colour) override;
    void clear() override;
    void setFillColour(game::Colour colour) override;
    void drawCircle(double x, double y, double radius, game::Colour outline) override;
    void drawCircle(double x, double y, double radius) override;
    void drawPoint(double x, double y, game::Colour colour) override;
    void present() override;

    // The frame being drawn.
    [[nodiscard]] const QImage& image() const;
    // The frame handed over by the last present; a null image before the first.
    [[nodiscard]] const QImage& presentedFrame() const;

signals:
    // A new frame has been presented.
    void presented();

private:
    // (implementation detail, filled in by play_field.cpp)
};

} // namespace ui
