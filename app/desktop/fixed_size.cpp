// SPDX-License-Identifier: MIT
#include "fixed_size.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <chrono>

namespace desktop {
namespace {

// Watches the window's QWindow: its first exposure, when whose title bar it
// is has been settled, every change of state and every change of size.
class FixedSizePolicy final : public QObject {
public:
    explicit FixedSizePolicy(QWidget& window) : QObject(&window), window_(window), size_(window.size())
    {
        window.winId(); // the QWindow exists from here on
        QWindow* handle = window.windowHandle();
        handle->installEventFilter(this);
        // Queued: weston ignores an undo sent with the maximised frame itself,
        // and a size put back while the change is still being answered.
        connect(handle, &QWindow::windowStateChanged, this, &FixedSizePolicy::undoMaximise,
                Qt::QueuedConnection);
        connect(handle, &QWindow::widthChanged, this, &FixedSizePolicy::keepSize, Qt::QueuedConnection);
        connect(handle, &QWindow::heightChanged, this, &FixedSizePolicy::keepSize, Qt::QueuedConnection);
    }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && !titleBarChecked_) {
            titleBarChecked_ = true;
            // weston disconnects a maximised window whose size stays below
            // the maximised one, so under Qt's own title bar, which offers a
            // maximise whatever the window asks, the window may grow while
            // the maximise lasts.
            ownTitleBar_ = QGuiApplication::platformName().startsWith(u"wayland") &&
                           !window_.windowHandle()->frameMargins().isNull();
            if (ownTitleBar_) {
                window_.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            }
        }
        return false;
    }

private:
    // Asked of the QWindow, whose state is the window system's before the
    // widget has heard of it.
    void undoMaximise()
    {
        QWindow& handle = *window_.windowHandle();
        if (handle.windowStates().testFlag(Qt::WindowMaximized)) {
            handle.setWindowStates(handle.windowStates() & ~Qt::WindowMaximized);
            // A compositor that does not give the size back within a second
            // has kept it, and the window puts it back itself.
            restoring_ = true;
            QTimer::singleShot(std::chrono::seconds(1), this, [this] {
                restoring_ = false;
                keepSize();
            });
        }
    }

    // Qt's own title bar lets its edges be dragged whatever the window's
    // size limits, and weston resizes what is dragged. After a maximise the
    // compositor gives the size back itself: a size put back before it has
    // taken the undo in would not match the maximised state. Elsewhere a
    // size the window manager insists on is its own to choose.
    void keepSize()
    {
        if (!ownTitleBar_) {
            return;
        }
        if (restoring_) {
            restoring_ = window_.size() != size_;
        } else if (window_.windowHandle()->windowStates() == Qt::WindowNoState && window_.size() != size_) {
            window_.resize(size_);
        }
    }

    QWidget& window_;
    const QSize size_;
    bool titleBarChecked_ = false;
    bool ownTitleBar_ = false;
    bool restoring_ = false; // from a maximise, until the size is back
};

} // namespace

void KeepFixedSize(QWidget& window)
{
    new FixedSizePolicy(window); // owned by the window
}

} // namespace desktop
