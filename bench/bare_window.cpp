// SPDX-License-Identifier: MIT
// The yardstick for resources.sh: a Qt window with one line of text in the default font that repaints
// a 300 x 400 image every 50 ms, and nothing else.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class BareWindow final : public QWidget {
public:
    BareWindow()
    {
        setFixedSize(image_.size());
        auto* line = new QLabel(QStringLiteral("Press Enter Key To Start"), this);
        line->setGeometry(0, 0, image_.width(), 17);
        line->setAlignment(Qt::AlignCenter);
        // Two colours in turn, so that every repaint shows something new.
        connect(&timer_, &QTimer::timeout, this, [this] {
            image_.fill(image_.pixel(0, 0) == 0xFFFFFFFF ? 0xFFA0FFFF : 0xFFFFFFFF);
            update();
        });
        timer_.setTimerType(Qt::PreciseTimer); // as the game's
        timer_.start(50);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override { QPainter(this).drawImage(0, 0, image_); }

private:
    QImage image_{300, 400, QImage::Format_RGB32};
    QTimer timer_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    BareWindow window;
    window.show();
    return QApplication::exec();
}
