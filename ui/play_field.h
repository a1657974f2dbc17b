// SPDX-License-Identifier: MIT
// The off-screen play field: a 300 x 400 image that every running tick draws
// one whole frame on, the frame last presented to the window, and which
// pixels that present changed.
#pragma once

#include <QImage>
#include <QObject>
#include <QRgb>

#include <array>
#include <cstddef>
#include <vector>

#include "canvas.h"
#include "damage.h"
#include "state.h"

class QPainter;

namespace ui {

class PlayField final : public QObject, public game::Canvas {
    Q_OBJECT

public:
    // 32 bits a pixel with the top byte unused: the same 24 bits of colour as
    // a packed 3-byte image, but every pixel is one aligned word, and it is
    // the format the window's raster backing store already uses, so painting a
    // frame onto the window needs no conversion.
    static constexpr QImage::Format ImageFormat = QImage::Format_RGB32;
    // The width of circle outlines and the size of a dot.
    static constexpr int LineWidth = 3;

    explicit PlayField(QObject* parent = nullptr);

    void setBackColour(game::Colour colour) override;
    void clear() override;
    void setFillColour(game::Colour colour) override;
    void drawCircle(double x, double y, double radius, game::Colour outline) override;
    void drawCircle(double x, double y, double radius) override;
    void drawPoint(double x, double y, game::Colour colour) override;
    void present() override;

    // The frame being drawn. After a present it holds the frame before last
    // until the next clear: every frame starts with a clear.
    [[nodiscard]] const QImage& image() const;
    // The frame handed over by the last present; a null image before the first.
    [[nodiscard]] const QImage& presentedFrame() const;
    // Every pixel in which the last present's frame may differ from the one
    // presented before it; the whole field for the first.
    [[nodiscard]] const Damage& presentedDamage() const;

    // Whether the game's own discs (radius 5, whole-number centres) are copied
    // from the shape captured from QPainter at construction rather than
    // painted with QPainter each time. Only false if that capture failed.
    [[nodiscard]] bool hasDiscStamp() const;

signals:
    // A new frame has been presented.
    void presented();

private:
    // One horizontal run of a pre-rendered disc, relative to its centre pixel:
    // pixels dx0 <= dx < dx1 on row dy are outline or fill.
    struct StampSpan {
        int dy;
        int dx0;
        int dx1;
        bool outline;
    };

    // What a frame buffer holds: its back colour, with the boxes drawn on it
    // since it was cleared; room for every shape a tick draws.
    struct Content {
        QRgb back = 0;
        std::array<QRect, game::EnemySlots + game::ShotSlots + 1> boxes{};
        std::size_t count = 0;
        bool whole = true; // anything at all, as a buffer is at first
    };

    static std::vector<StampSpan> captureDisc(double radius);

    void drawDisc(double x, double y, double radius, QRgb outline);
    // Pixels are about to change within `box`.
    void touch(QRect box);

    QImage image_;
    QImage presented_;
    // What each buffer holds; the two pointers swap with the buffers.
    std::array<Content, 2> contents_{};
    Content* imageContent_ = &contents_.front();
    Content* presentedContent_ = &contents_.back();
    // Whether the image has been cleared or drawn on since the last present;
    // if not, presenting again shows the same frame again.
    bool drawnSincePresent_ = true;
    Damage presentedDamage_;
    QRgb backColour_;
    QRgb fillColour_;
    std::vector<StampSpan> discStamp_;
    QRect discStampBox_; // the stamp's extent around its centre pixel
};

// The QPainter rendering of a disc and a dot: what the play field draws for
// anything its faster paths do not cover, and the rendering those paths are
// captured from and tested against. (x, y) names a pixel: whole numbers put
// the centre in the middle of that pixel, so a disc is symmetric around it.
// The painter must have antialiasing off.
void PaintReferenceDisc(QPainter& painter, double x, double y, double radius, QRgb outline, QRgb fill);
void PaintReferenceDot(QPainter& painter, double x, double y, QRgb colour);

} // namespace ui
