// SPDX-License-Identifier: MIT
// The yardstick for the resource figures: a bare Qt window that repaints a
// 300 x 400 image every 50 ms and does nothing else.
//
//   bare_window [--text]
//
// With --text it also shows one line of text in the default font, over the
// top of the image: what any window that shows text pays for the font
// machinery (fontconfig, FreeType, HarfBuzz and a font file), next to which
// the game's own cost can be read.
#include <QApplication>
#include <QBasicTimer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTimerEvent>
#include <QWidget>

#include <cstring>

namespace {

class BareWindow final : public QWidget {
public:
    explicit BareWindow(bool withText)
    {
        setFixedSize(image_.size());
        setWindowTitle(QStringLiteral("bare window"));
        if (withText) {
            auto* line = new QLabel(QStringLiteral("Press Enter Key To Start"), this);
            line->setGeometry(0, 0, image_.width(), 17);
            line->setAlignment(Qt::AlignCenter);
        }
        timer_.start(50, Qt::PreciseTimer, this);
    }

protected:
    void timerEvent(QTimerEvent* event) override
    {
        if (event->timerId() != timer_.timerId()) {
            QWidget::timerEvent(event);
            return;
        }
        // Alternate two colours so every repaint has something new to show.
        image_.fill((++frame_ % 2) != 0 ? QColor(160, 255, 255) : QColor(255, 255, 255));
        update();
    }
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, image_);
    }

private:
    QImage image_{300, 400, QImage::Format_RGB32};
    QBasicTimer timer_;
    unsigned frame_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    BareWindow window(argc > 1 && std::strcmp(argv[1], "--text") == 0);
    window.show();
    return QApplication::exec();
}
