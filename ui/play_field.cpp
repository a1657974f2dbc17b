// SPDX-License-Identifier: MIT
#include "play_field.h"

#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
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

// Pixels x0 <= x < x1 of row y, whatever part of them lies on the image.
void FillRow(QRgb* pixels, int y, int x0, int x1, QRgb colour)
{
    if (y < 0 || y >= PlayField::Height) {
        return;
    }
    x0 = std::max(x0, 0);
    x1 = std::min(x1, PlayField::Width);
    if (x0 < x1) {
        QRgb* row = pixels + static_cast<std::ptrdiff_t>(y) * PlayField::Width;
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
}

void PlayField::setBackColour(game::Colour colour)
{
    backColour_ = ToQRgb(colour);
}

void PlayField::clear()
{
    makeImageOwn(false);
    // Qt's own fill picks the widest stores the processor has at run time; a
    // plain loop over 32-bit pixels, built for the baseline instruction set,
    // takes nearly twice as long (bench/field_bench).
    image_.fill(backColour_);
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
        QRgb* pixels = writablePixels();
        for (const auto& span : discStamp_) {
            FillRow(pixels, cy + span.dy, cx + span.dx0, cx + span.dx1, span.outline ? outline : fillColour_);
        }
        return;
    }
    makeImageOwn(true);
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
    QRgb* pixels = writablePixels();
    for (int row = top; row < top + LineWidth; ++row) {
        FillRow(pixels, row, left, left + LineWidth, rgb);
    }
}

QRgb* PlayField::writablePixels()
{
    makeImageOwn(true);
    // bits() rather than a pointer kept from construction: should anyone else
    // still hold a copy of image(), it detaches instead of drawing into theirs.
    return reinterpret_cast<QRgb*>(image_.bits());
}

// After a present the image and the presented frame are one buffer; the first
// drawing after that must not show in the frame. A clear (keepContent false)
// overwrites every pixel anyway, so it simply moves to the spare buffer, the
// frame presented before last, and nothing is copied: a running tick costs
// one fill of the image and no copy at all. Drawing on a presented image
// without clearing it first keeps the image's buffer and gives the presented
// frame its own copy instead, so a frame presented after it lands in the same
// buffer as the one before.
void PlayField::makeImageOwn(bool keepContent)
{
    if (image_.isDetached()) {
        return;
    }
    const bool sharedWithFrame = !presented_.isNull() && presented_.constBits() == image_.constBits();
    const bool spareFree = !spare_.isNull() && spare_.isDetached();
    if (!keepContent) {
        if (spareFree) {
            image_.swap(spare_);
        } else {
            image_ = QImage(Width, Height, ImageFormat);
            if (image_.isNull()) {
                game::RaiseFault("the play field's image could not be created");
            }
        }
        spare_ = QImage();
        return;
    }
    if (!sharedWithFrame) {
        return; // someone else holds a copy of the image: bits() detaches
    }
    if (spareFree) {
        presented_.swap(spare_);
        std::memcpy(presented_.bits(), image_.constBits(), static_cast<std::size_t>(image_.sizeInBytes()));
        spare_ = QImage();
    } else {
        presented_ = image_.copy();
        if (presented_.isNull()) {
            game::RaiseFault("the presented frame could not be created");
        }
    }
}

void PlayField::present()
{
    // Two presents with no drawing between them show the same frame.
    if (!presented_.isNull() && presented_.constBits() == image_.constBits()) {
        emit presented();
        return;
    }
    // The presented frame becomes a second reference to the image (a copy
    // that shares the buffer until the next drawing, see makeImageOwn), and
    // the frame it replaces is kept as the spare buffer. If the window still
    // holds a copy of that frame, the spare is not free and the next clear
    // takes a new buffer, so that copy keeps showing what it showed.
    spare_ = std::exchange(presented_, image_);
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

bool PlayField::hasDiscStamp() const
{
    return !discStamp_.empty();
}

} // namespace ui
