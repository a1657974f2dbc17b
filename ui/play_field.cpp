// SPDX-License-Identifier: MIT
#include "play_field.h"

#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>
#include <utility>

#include "colour_conversion.h"
#include "fault.h"
#include "tick.h"

namespace ui {
namespace {

// The one radius the game draws discs with, players and enemies alike: only
// this one is worth capturing.
constexpr double StampRadius = game::DiscRadius.value();

constexpr QRgb ForeColour = ToQRgb(game::Black);
constexpr int Width = game::FieldWidth.value();
constexpr int Height = game::FieldHeight.value();

// Pixels x0 <= x < x1 of row y, whatever part of them lies on the image.
void FillRow(QRgb* pixels, int y, int x0, int x1, QRgb colour)
{
    if (y < 0 || y >= Height) {
        return;
    }
    x0 = std::max(x0, 0);
    x1 = std::min(x1, Width);
    if (x0 < x1) {
        QRgb* row = pixels + static_cast<std::ptrdiff_t>(y) * Width;
        std::fill(row + x0, row + x1, colour);
    }
}

} // namespace

void PaintReferenceDisc(QPainter& painter, double x, double y, double radius, QRgb outline, QRgb fill)
{
    painter.setPen(QPen(QColor::fromRgb(outline), PlayField::LineWidth));
    painter.setBrush(QColor::fromRgb(fill));
    painter.drawEllipse(QPointF(x + 0.5, y + 0.5), radius, radius);
}

void PaintReferenceDot(QPainter& painter, double x, double y, QRgb colour)
{
    painter.fillRect(QRectF(x - 1.0, y - 1.0, PlayField::LineWidth, PlayField::LineWidth),
                     QColor::fromRgb(colour));
}

// Captures what QPainter draws for a disc of `radius` centred on a whole pixel
// as runs of outline and fill relative to the centre. Drawing those runs is
// then the same as asking QPainter again, wherever the centre lies, because
// moving a shape by whole pixels moves its rasterisation by as much (the tests
// hold the two side by side at every edge). Returns nothing if the capture
// does not come out as clean outline and fill pixels, and the caller keeps
// using QPainter.
std::vector<PlayField::StampSpan> PlayField::captureDisc(double radius)
{
    constexpr QRgb Background = qRgb(0, 0, 0);
    constexpr QRgb Fill = qRgb(0, 0, 255);
    constexpr QRgb Outline = qRgb(255, 0, 0);
    // Room for the outline and a clear border, so a shape touching the border
    // shows the scratch image was too small rather than clipping silently.
    const int half = static_cast<int>(std::ceil(radius)) + LineWidth + 2;
    const int size = 2 * half + 1;

    QImage scratch(size, size, ImageFormat);
    if (scratch.isNull()) {
        return {};
    }
    scratch.fill(Background);
    {
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::Antialiasing, false);
        PaintReferenceDisc(painter, half, half, radius, Outline, Fill);
    }

    std::vector<StampSpan> spans;
    for (int y = 0; y < size; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        int x = 0;
        while (x < size) {
            const QRgb colour = row[x];
            int end = x + 1;
            while (end < size && row[end] == colour) {
                ++end;
            }
            if (colour == Fill || colour == Outline) {
                if (y == 0 || y == size - 1 || x == 0 || end == size) {
                    return {};
                }
                spans.push_back({y - half, x - half, end - half, colour == Outline});
            } else if (colour != Background) {
                return {}; // a blended pixel: not something runs can reproduce
            }
            x = end;
        }
    }
    return spans;
}

PlayField::PlayField(QObject* parent)
    : QObject(parent), image_(Width, Height, ImageFormat), backColour_(ToQRgb(game::White)),
      fillColour_(ToQRgb(game::Black)), discStamp_(captureDisc(StampRadius))
{
    if (image_.isNull()) {
        game::RaiseFault("the play field's image could not be created");
    }
    // Rows of whole 32-bit pixels leave no padding, so the drawing below can
    // address pixel (x, y) as x + y * Width.
    static_assert(ImageFormat == QImage::Format_RGB32);
    if (image_.bytesPerLine() != Width * static_cast<qsizetype>(sizeof(QRgb))) {
        game::RaiseFault("the play field's image has padded rows");
    }
    // A new QImage holds whatever the allocator left there.
    image_.fill(backColour_);
    *imageContent_ = Content{backColour_, {}, 0, false};
    for (const auto& span : discStamp_) {
        discStampBox_ |= QRect(span.dx0, span.dy, span.dx1 - span.dx0, 1);
    }
}

void PlayField::setBackColour(game::Colour colour)
{
    backColour_ = ToQRgb(colour);
}

// The image has its back colour outside the boxes drawn on it since its last
// clear, so a clear in the same colour refills only those: it costs what the
// frame drew, not the whole field.
void PlayField::clear()
{
    if (imageContent_->whole || imageContent_->back != backColour_) {
        image_.fill(backColour_);
    } else {
        auto* const pixels = reinterpret_cast<QRgb*>(image_.bits());
        for (const QRect& box : std::span(imageContent_->boxes).first(imageContent_->count)) {
            for (int y = box.top(); y <= box.bottom(); ++y) {
                QRgb* const row = pixels + static_cast<std::ptrdiff_t>(y) * Width;
                std::fill(row + box.left(), row + box.right() + 1, backColour_);
            }
        }
    }
    imageContent_->back = backColour_;
    imageContent_->count = 0;
    imageContent_->whole = false;
    drawnSincePresent_ = true;
}

void PlayField::setFillColour(game::Colour colour)
{
    fillColour_ = ToQRgb(colour);
}

void PlayField::drawCircle(double x, double y, double radius, game::Colour outline)
{
    drawDisc(x, y, radius, ToQRgb(outline));
}

void PlayField::drawCircle(double x, double y, double radius)
{
    drawDisc(x, y, radius, ForeColour);
}

void PlayField::drawDisc(double x, double y, double radius, QRgb outline)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(radius)) {
        return; // no pixel to put it on
    }
    // A disc reaches |radius| plus half the outline from its centre pixel; past
    // that margin nothing of it is on the image. Leaving such discs out here
    // also keeps absurd coordinates away from the int conversions below and
    // from QPainter.
    const double reach = std::abs(radius) + LineWidth;
    if (x < -reach || x > Width + reach || y < -reach || y > Height + reach) {
        return;
    }
    if (!discStamp_.empty() && radius == StampRadius && x == std::floor(x) && y == std::floor(y)) {
        const int cx = static_cast<int>(x);
        const int cy = static_cast<int>(y);
        touch(discStampBox_.translated(cx, cy));
        auto* const pixels = reinterpret_cast<QRgb*>(image_.bits());
        for (const auto& span : discStamp_) {
            FillRow(pixels, cy + span.dy, cx + span.dx0, cx + span.dx1, span.outline ? outline : fillColour_);
        }
        return;
    }
    // Everything within that reach, rounded outwards and kept to the field
    // (a huge radius must not overflow an int).
    const auto pixel = [](double v, int size) { return static_cast<int>(std::clamp(v, -1.0, size + 1.0)); };
    touch(QRect(QPoint(pixel(std::floor(x - reach), Width), pixel(std::floor(y - reach), Height)),
                QPoint(pixel(std::ceil(x + reach), Width), pixel(std::ceil(y + reach), Height))));
    QPainter painter(&image_);
    if (!painter.isActive()) {
        game::RaiseFault("QPainter refused to draw on the play field");
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    PaintReferenceDisc(painter, x, y, radius, outline, fillColour_);
}

void PlayField::drawPoint(double x, double y, game::Colour colour)
{
    if (!std::isfinite(x) || !std::isfinite(y)) {
        return;
    }
    // Checked before converting to int; the clipping below does the exact work.
    if (x < -LineWidth || x > Width + LineWidth || y < -LineWidth || y > Height + LineWidth) {
        return;
    }
    // The 3 x 3 square centred on (x + 0.5, y + 0.5), the middle of pixel
    // (x, y): the pixels whose centres it covers, a centre on its top or left
    // edge counting as outside, as QPainter decides for the same square.
    const int left = static_cast<int>(std::floor(x - 0.5));
    const int top = static_cast<int>(std::floor(y - 0.5));
    const QRgb rgb = ToQRgb(colour);
    touch(QRect(left, top, LineWidth, LineWidth));
    auto* const pixels = reinterpret_cast<QRgb*>(image_.bits());
    for (int row = top; row < top + LineWidth; ++row) {
        FillRow(pixels, row, left, left + LineWidth, rgb);
    }
}

void PlayField::touch(QRect box)
{
    if (imageContent_->count == imageContent_->boxes.size()) {
        game::RaiseFault("more shapes on the play field than a tick draws");
    }
    drawnSincePresent_ = true;
    // Kept to the field, so that refilling it needs no clipping.
    const QPoint topLeft(std::max(box.left(), 0), std::max(box.top(), 0));
    const QPoint bottomRight(std::min(box.right(), Width - 1), std::min(box.bottom(), Height - 1));
    if (topLeft.x() <= bottomRight.x() && topLeft.y() <= bottomRight.y()) {
        imageContent_->boxes[imageContent_->count++] = QRect(topLeft, bottomRight);
    }
}

// The image becomes the presented frame by swapping buffers: nothing is
// copied. The frame it replaces becomes the image, which the next tick
// clears. What changed between the two frames lies within the boxes drawn on
// either, when both share a back colour; else it is everything.
void PlayField::present()
{
    presentedDamage_.reset();
    if (!drawnSincePresent_) { // the same frame again
        emit presented();
        return;
    }
    if (presented_.isNull()) {
        presented_ = QImage(Width, Height, ImageFormat);
        if (presented_.isNull()) {
            game::RaiseFault("the presented frame could not be created");
        }
        presented_.fill(backColour_); // no stale memory, even drawn on without a clear
    }
    if (imageContent_->whole || presentedContent_->whole || imageContent_->back != presentedContent_->back) {
        presentedDamage_.addAll();
    } else {
        for (const Content* content : {imageContent_, presentedContent_}) {
            for (const QRect& box : std::span(content->boxes).first(content->count)) {
                presentedDamage_.add(box);
            }
        }
    }
    image_.swap(presented_);
    std::swap(imageContent_, presentedContent_);
    drawnSincePresent_ = false;
    emit presented();
}

const QImage& PlayField::image() const
{
    return image_;
}

const QImage& PlayField::presentedFrame() const
{
    return presented_;
}

const Damage& PlayField::presentedDamage() const
{
    return presentedDamage_;
}

bool PlayField::hasDiscStamp() const
{
    return !discStamp_.empty();
}

} // namespace ui
