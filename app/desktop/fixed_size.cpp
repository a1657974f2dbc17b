// SPDX-License-Identifier: MIT
#include "fixed_size.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace desktop {
namespace {

// Watches the window's QWindow: its first exposure, when whose title bar it
// is has been settled, and every change of state.
class FixedSizePolicy final : public QObject {
public:
    explicit FixedSizePolicy(QWidget& window) : QObject(&window), window_(window)
    {
        window.winId(); // the QWindow exists from here on
        window.windowHandle()->installEventFilter(this);
    }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && !titleBarChecked_) {
            titleBarChecked_ = true;
            if (QGuiApplication::platformName() == u"wayland" &&
                !window_.windowHandle()->frameMargins().isNull()) {
                window_.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            }
        }
        // Queued: weston ignores an undo sent with the maximised frame itself.
        // The window's own state follows only once the event has reached it.
        if (event->type() == QEvent::WindowStateChange &&
            window_.windowHandle()->windowStates().testFlag(Qt::WindowMaximized)) {
            QTimer::singleShot(0, &window_, [this] {
                window_.setWindowState(window_.windowState() & ~Qt::WindowMaximized);
            });
        }
        return false;
    }

private:
    QWidget& window_;
    bool titleBarChecked_ = false;
};

} // namespace

void KeepFixedSize(QWidget& window)
{
    new FixedSizePolicy(window); // owned by the window
}

} // namespace desktop
