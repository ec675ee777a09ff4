#include "ui/WindowPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QWindow>
#include <QWidget>

#include <algorithm>

namespace {

// Where the top-left corner of a window's outer frame goes to centre it.
QPoint CentredCorner(const QWidget* window, QSize outerSize)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return window->pos();
    const QRect area = screen->geometry();
    const int left = std::max(0, (area.width() - outerSize.width()) / 2);
    const int top = std::max(0, (area.height() - outerSize.height()) / 2);
    return {area.left() + left, area.top() + top};
}

} // namespace

void CentreOnScreen(QWidget* window, QSize outerSize)
{
    window->move(CentredCorner(window, outerSize));
}

namespace {

// The frame and title bar around the window, as the window system reports them; none
// until a window manager has framed the window.
QMargins FrameMargins(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

}  // namespace

QSize OuterSize(const QWidget* window)
{
    return window->size().grownBy(FrameMargins(window));
}

namespace {

// Watches the window's first events until the frame is known, then centres once more and
// goes. Nothing the user does is undone: the window manager frames a window before the
// user can move it.
class CentreWhenFramed : public QObject {
public:
    CentreWhenFramed(QWidget* window, QSize size) : QObject(window), window_(window), size_(size) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && IsPlacementEvent(event->type()) && Framed()) {
            window_->removeEventFilter(this);
            // Placed by its inside: where the frame's corner goes is the window manager's
            // business, and it may still be settling the frame.
            const QMargins frame = FrameMargins(window_);
            const QPoint corner = CentredCorner(window_, size_.grownBy(frame));
            window_->windowHandle()->setPosition(corner + QPoint(frame.left(), frame.top()));
            deleteLater();
        }
        return false;
    }

private:
    static bool IsPlacementEvent(QEvent::Type type)
    {
        return type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show ||
               type == QEvent::WindowActivate || type == QEvent::Paint;
    }
    // Framed and on the screen: while the window is still being shown, Qt applies its own
    // idea of the position after the events it sends.
    bool Framed() const
    {
        if (!window_->windowHandle() || !window_->windowHandle()->isExposed())
            return false;
        const QMargins frame = FrameMargins(window_);
        return !frame.isNull() && frame.left() >= 0 && frame.top() >= 0 && frame.right() >= 0 && frame.bottom() >= 0;
    }

    QWidget* window_;
    QSize size_;  // the window's own size as shown: while it is being framed, Qt may report others
};

}  // namespace

void CentreOnScreenWhenFramed(QWidget* window)
{
    window->ensurePolished();
    const QSize size = window->sizeHint();
    CentreOnScreen(window, size);
    window->installEventFilter(new CentreWhenFramed(window, size));
}
