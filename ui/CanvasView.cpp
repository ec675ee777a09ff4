#include "ui/CanvasView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "ui/ImageView.h"
#include "ui/ViewMapping.h"
#include "ui/ZoomSteps.h"

namespace {

constexpr int kLineStep = 20;             // pixels a wheel line scrolls
constexpr double kWheelStep = 120.0;      // the angle of one wheel notch
constexpr double kPixelsPerDoubling = 240.0;  // touchpad pixels that double the zoom

}  // namespace

CanvasView::CanvasView(ImageView* image, QWidget* parent) : QAbstractScrollArea(parent), image_(image)
{
    setFrameShape(QFrame::NoFrame);
    // Keys stay with the controls that have always had them.
    setFocusPolicy(Qt::NoFocus);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setSingleStep(kLineStep);
    }
    // The window's teal around the picture.
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    image_->setParent(viewport());
    image_->move(0, 0);
    // The wheel over the picture is the view's: Qt hands a wheel event a widget leaves on
    // to its parents only when it came from the window system.
    image_->installEventFilter(this);
    connect(image_, &ImageView::displaySizeChanged, this, &CanvasView::layOutPicture);
    layOutPicture();
}

QPoint CanvasView::scrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

QSize CanvasView::pictureSize() const
{
    return {image_->surface().width(), image_->surface().height()};
}

QSize CanvasView::zoomedSize() const
{
    return {ZoomedExtent(pictureSize().width(), zoom_), ZoomedExtent(pictureSize().height(), zoom_)};
}

QSize CanvasView::areaSize() const
{
    return contentsRect().size();
}

QPointF CanvasView::viewCentre() const
{
    return {viewSize_.width() / 2.0, viewSize_.height() / 2.0};
}

// Scroll bars only where the zoomed picture does not fit; one bar's room can make the
// other needed. (A third look changes nothing: the second bar is only added across when
// the picture is already too tall.)
void CanvasView::layOutPicture()
{
    if (layingOut_)
        return;
    layingOut_ = true;
    const QSize area = areaSize();
    const QSize zoomed = zoomedSize();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool across = zoomed.width() > area.width();
    bool down = zoomed.height() > area.height() - (across ? bar : 0);
    across = zoomed.width() > area.width() - (down ? bar : 0);
    viewSize_ = QSize(std::max(0, area.width() - (down ? bar : 0)), std::max(0, area.height() - (across ? bar : 0)));
    setHorizontalScrollBarPolicy(across ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(down ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    horizontalScrollBar()->setRange(0, std::max(0, zoomed.width() - viewSize_.width()));
    horizontalScrollBar()->setPageStep(std::max(1, viewSize_.width()));
    verticalScrollBar()->setRange(0, std::max(0, zoomed.height() - viewSize_.height()));
    verticalScrollBar()->setPageStep(std::max(1, viewSize_.height()));
    layingOut_ = false;
    placePicture();
}

// Image1 covers the part of the zoomed picture in view, from the view's corner.
void CanvasView::placePicture()
{
    if (layingOut_)
        return;
    const QSize zoomed = zoomedSize();
    const QPoint scroll = scrollPosition();
    image_->place({zoom_, scroll.x(), scroll.y()},
                  QSize(std::min(zoomed.width() - scroll.x(), viewSize_.width()),
                        std::min(zoomed.height() - scroll.y(), viewSize_.height())));
}

void CanvasView::setZoom(double zoom)
{
    zoom = ClampZoom(zoom);
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    emit zoomChanged(zoom_);
}

void CanvasView::scrollTo(QPoint position)
{
    // Each bar keeps its value within its range.
    horizontalScrollBar()->setValue(position.x());
    verticalScrollBar()->setValue(position.y());
}

void CanvasView::zoomAbout(double zoom, QPointF anchor)
{
    const QPoint scroll = scrollPosition();
    // The picture point under the anchor, in picture pixels, kept to within half a
    // view pixel by rounding the new scroll.
    const QPointF point((anchor.x() + scroll.x()) / zoom_, (anchor.y() + scroll.y()) / zoom_);
    setZoom(zoom);
    layOutPicture();
    scrollTo(QPoint(static_cast<int>(std::lround(point.x() * zoom_ - anchor.x())),
                    static_cast<int>(std::lround(point.y() * zoom_ - anchor.y()))));
    placePicture();
}

void CanvasView::zoomIn()
{
    zoomAbout(ZoomedIn(zoom_), viewCentre());
}

void CanvasView::zoomOut()
{
    zoomAbout(ZoomedOut(zoom_), viewCentre());
}

void CanvasView::actualPixels()
{
    zoomAbout(1.0, viewCentre());
}

void CanvasView::fitPicture()
{
    const QSize picture = pictureSize();
    // The whole view: a fitted picture needs no scroll bars.
    setZoom(FitZoom(picture.width(), picture.height(), areaSize().width(), areaSize().height()));
    showTopLeft();
}

void CanvasView::showTopLeft()
{
    layOutPicture();
    scrollTo(QPoint(0, 0));
    placePicture();
}

void CanvasView::showImported()
{
    const QSize picture = pictureSize();
    if (picture.width() > areaSize().width() || picture.height() > areaSize().height()) {
        fitPicture();
        return;
    }
    setZoom(1.0);
    showTopLeft();
}

void CanvasView::resizeEvent(QResizeEvent*)
{
    layOutPicture();
}

void CanvasView::scrollContentsBy(int, int)
{
    placePicture();
}

void CanvasView::wheelEvent(QWheelEvent* event)
{
    const QPoint pixels = event->pixelDelta();
    const QPoint angle = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        const QPointF anchor = event->position();
        if (!pixels.isNull()) {
            // A touchpad: as smooth as the fingers.
            const int amount = pixels.y() != 0 ? pixels.y() : pixels.x();
            zoomAbout(zoom_ * std::exp2(amount / kPixelsPerDoubling), anchor);
        } else {
            // A wheel: a step a notch, a high-resolution wheel's parts added up.
            wheelZoomRest_ += angle.y() != 0 ? angle.y() : angle.x();
            for (; wheelZoomRest_ >= kWheelStep; wheelZoomRest_ -= static_cast<int>(kWheelStep))
                zoomAbout(ZoomedIn(zoom_), anchor);
            for (; wheelZoomRest_ <= -kWheelStep; wheelZoomRest_ += static_cast<int>(kWheelStep))
                zoomAbout(ZoomedOut(zoom_), anchor);
        }
        event->accept();
        return;
    }
    QPointF delta = !pixels.isNull()
                        ? QPointF(-pixels.x(), -pixels.y())
                        : QPointF(-angle.x(), -angle.y()) / kWheelStep * QApplication::wheelScrollLines() * kLineStep;
    // Shift turns the wheel's turns across; a wheel that already goes across stays.
    if ((event->modifiers() & Qt::ShiftModifier) && delta.x() == 0)
        delta = QPointF(delta.y(), 0);
    wheelScrollRest_ += delta;
    const QPoint whole(static_cast<int>(wheelScrollRest_.x()), static_cast<int>(wheelScrollRest_.y()));
    wheelScrollRest_ -= whole;
    scrollTo(scrollPosition() + whole);
    event->accept();
}

bool CanvasView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == image_ && event->type() == QEvent::Wheel) {
        // Image1 sits at the viewport's top-left corner: its positions are the viewport's.
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void CanvasView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::MiddleButton) {
        event->ignore();
        return;
    }
    panning_ = true;
    panFrom_ = event->globalPosition();
    viewport()->setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void CanvasView::mouseMoveEvent(QMouseEvent* event)
{
    if (!panning_) {
        event->ignore();
        return;
    }
    // The picture follows the pointer.
    const QPointF moved = event->globalPosition() - panFrom_;
    const QPoint whole(static_cast<int>(std::lround(moved.x())), static_cast<int>(std::lround(moved.y())));
    panFrom_ += whole;
    scrollTo(scrollPosition() - whole);
    event->accept();
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!panning_ || event->button() != Qt::MiddleButton) {
        event->ignore();
        return;
    }
    panning_ = false;
    viewport()->unsetCursor();
    event->accept();
}
