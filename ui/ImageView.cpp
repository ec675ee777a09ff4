#include "ui/ImageView.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "model/Failure.h"
#include "ui/ErrorDisplay.h"

namespace {

// Pyramid tiles brought up to date per idle round: about a millisecond of work.
constexpr int kRefineTiles = 4;
// Rows drawn at a time: enough for two threads' worth of work, little memory.
constexpr int kBandRows = 128;

QRect ToQRect(const Rect& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

ShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    ShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= kShiftKey;
    if (modifiers & Qt::AltModifier)
        shift |= kAltKey;
    if (modifiers & Qt::ControlModifier)
        shift |= kCtrlKey;
    if (buttons & Qt::LeftButton)
        shift |= kLeftButton;
    if (buttons & Qt::RightButton)
        shift |= kRightButton;
    if (buttons & Qt::MiddleButton)
        shift |= kMiddleButton;
    return shift;
}

ImageView::ImageView(QWidget* parent) : QWidget(parent)
{
    // Moves without a button held still reach the painting step, which decides.
    setMouseTracking(true);
    // The picture covers what it paints; where the display is larger, the window shows.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    surface_.setChangeListener([this](const Rect& changed) { surfaceChanged(changed); });
    // The zoomed-out levels a zoom has not asked for yet are made while nothing else
    // happens, a few tiles at a time, so that the first zoom there costs no more than
    // any other.
    refineTimer_.setInterval(0);
    connect(&refineTimer_, &QTimer::timeout, this, &ImageView::refinePyramid);
}

void ImageView::place(const ViewMapping& mapping, QSize size)
{
    placed_ = true;
    const bool moved = mapping != mapping_;
    const bool resized = size != this->size();
    const int dx = mapping_.scrollX - mapping.scrollX;
    const int dy = mapping_.scrollY - mapping.scrollY;
    const bool scrolledOnly = moved && !resized && mapping.zoom == mapping_.zoom && std::abs(dx) < width() &&
                              std::abs(dy) < height() && testAttribute(Qt::WA_OpaquePaintEvent);
    mapping_ = mapping;
    if (resized)
        resize(size);
    if (scrolledOnly) {
        // What stays in view is moved, not drawn again: only the uncovered edges are.
        scroll(dx, dy);
        dirty_.translate(dx, dy);
    } else if (moved) {
        update();
    }
    if (moved || resized)
        emit pointerChanged();
}

// A whole-image blur makes some 90,000 fills: each one only widens a rectangle, and a
// single posted call turns them into one repaint when the command has returned.
void ImageView::surfaceChanged(const Rect& changed)
{
    const QSize display(surface_.width(), surface_.height());
    if (display != displaySize_) {
        displaySize_ = display;
        if (!placed_)
            resize(display);
        emit displaySizeChanged();
    }
    const Picture& picture = surface_.picture();
    const bool wholePicture = changed == Rect{0, 0, picture.width, picture.height};
    if (wholePicture || picture.kind != PictureKind::Bitmap)
        pictureReplaced();
    else
        renderer_.invalidate(changed);
    if (wholePicture || picture.isEmpty() || picture.kind != PictureKind::Bitmap)
        dirty_ = rect();
    else if (!changed.isEmpty())
        dirty_ |= viewRectOf(ToQRect(changed)) & rect();
    if (!flushPosted_ && !dirty_.isEmpty()) {
        flushPosted_ = true;
        QMetaObject::invokeMethod(this, &ImageView::flushChanges, Qt::QueuedConnection);
    }
    emit pictureChanged(ToQRect(changed));
}

void ImageView::flushChanges()
{
    flushPosted_ = false;
    update(dirty_);
    dirty_ = QRect();
}

void ImageView::pictureReplaced()
{
    unusableReported_ = false;
    memoryReported_ = false;
    iconImage_ = QImage();
    const Picture& picture = surface_.picture();
    renderer_.reset(picture);
    // Drawn over wholly only by a bitmap: icons and metafiles let the window show.
    setAttribute(Qt::WA_OpaquePaintEvent, picture.kind == PictureKind::Bitmap && !picture.pixelsUnusable &&
                                              !picture.isEmpty());
    if (picture.kind != PictureKind::Icon)
        return;
    QByteArray bytes(reinterpret_cast<const char*>(picture.sourceFile.data()),
                     static_cast<qsizetype>(picture.sourceFile.size()));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ico");
    reader.setScaledSize(QSize(32, 32));
    iconImage_ = reader.read();
}

void ImageView::refinePyramid()
{
    if (!renderer_.refine(surface_.picture(), kRefineTiles))
        refineTimer_.stop();
    reportLackOfMemory(false);
}

// Once per picture, and never from inside a paint event: the report waits for the event
// loop. Zooms that need no more memory go on working.
void ImageView::reportLackOfMemory(bool lacked)
{
    lacked = renderer_.takeLackOfMemory() || lacked;
    if (!lacked || memoryReported_)
        return;
    memoryReported_ = true;
    refineTimer_.stop();
    QMetaObject::invokeMethod(
        this, [this] { ShowError(window(), QString::fromStdString(FailureText(Failure::OutOfMemory))); },
        Qt::QueuedConnection);
}

void ImageView::paintEvent(QPaintEvent* event)
{
    const Picture& picture = surface_.picture();
    if (picture.isEmpty())
        return;
    QPainter painter(this);
    switch (picture.kind) {
    case PictureKind::Bitmap: {
        if (picture.pixelsUnusable) {
            reportUnusablePixels();
            return;
        }
        // Rectangle by rectangle (after a scroll only the uncovered edges are asked for),
        // in bands of rows. Nothing may be thrown out of a paint event.
        bool lackedMemory = false;
        try {
            for (const QRect& part : event->region()) {
                const QRect shown = part & rect();
                for (int top = shown.top(); top <= shown.bottom(); top += kBandRows) {
                    const QRect band(shown.left(), top, shown.width(), std::min(kBandRows, shown.bottom() + 1 - top));
                    painter.drawImage(band.topLeft(), renderer_.render(picture, mapping_, band));
                }
            }
        } catch (const std::bad_alloc&) {
            lackedMemory = true;
        }
        reportLackOfMemory(lackedMemory);
        if (!refineTimer_.isActive() && !memoryReported_)
            refineTimer_.start();
        break;
    }
    case PictureKind::Icon:
        // Zoomed in as sharp squares, like the bitmap.
        painter.save();
        painter.translate(-mapping_.scrollX, -mapping_.scrollY);
        painter.scale(mapping_.zoom, mapping_.zoom);
        painter.drawImage(0, 0, iconImage_);
        painter.restore();
        break;
    case PictureKind::Metafile: {
        // Metafiles are kept to be written back, not rendered.
        const QRect shown(-mapping_.scrollX, -mapping_.scrollY, ZoomedExtent(picture.width, mapping_.zoom),
                          ZoomedExtent(picture.height, mapping_.zoom));
        painter.fillRect(shown, Qt::white);
        painter.setPen(Qt::gray);
        painter.drawRect(shown.adjusted(0, 0, -1, -1));
        break;
    }
    }
    drawOutline(painter);
}

// Never a modal box inside a paint event: the report waits for the event loop.
void ImageView::reportUnusablePixels()
{
    if (unusableReported_)
        return;
    unusableReported_ = true;
    QMetaObject::invokeMethod(
        this, [this] { ShowError(window(), QStringLiteral("Bitmap image is not valid")); },
        Qt::QueuedConnection);
}

// The view pixels that show a rectangle of the picture.
QRect ImageView::viewRectOf(const QRect& square) const
{
    const ViewSpan across = ViewSpanOf(square.left(), square.right() + 1, mapping_.scrollX, mapping_.zoom);
    const ViewSpan down = ViewSpanOf(square.top(), square.bottom() + 1, mapping_.scrollY, mapping_.zoom);
    return QRect(QPoint(across.first, down.first), QPoint(across.last - 1, down.last - 1));
}

// The outline's square on screen: at least three pixels across, so that a tiny nib far
// out still shows.
QRect ImageView::outlineSquare() const
{
    if (!outline_)
        return {};
    QRect square = viewRectOf(*outline_);
    if (square.width() < 3)
        square = QRect(square.center().x() - 1, square.top(), 3, square.height());
    if (square.height() < 3)
        square = QRect(square.left(), square.center().y() - 1, square.width(), 3);
    return square;
}

QRegion ImageView::outlineRegion() const
{
    const QRect square = outlineSquare();
    return QRegion(square).subtracted(QRegion(square.adjusted(2, 2, -2, -2)));
}

// A white line round the square with a black one inside it: one of the two shows on any
// picture.
void ImageView::drawOutline(QPainter& painter) const
{
    const QRect square = outlineSquare();
    if (square.isEmpty())
        return;
    const QRect inner = square.adjusted(1, 1, -1, -1);
    for (const QRect& part : QRegion(square).subtracted(QRegion(inner)))
        painter.fillRect(part, Qt::white);
    for (const QRect& part : QRegion(inner).subtracted(QRegion(inner.adjusted(1, 1, -1, -1))))
        painter.fillRect(part, Qt::black);
}

void ImageView::setOutline(const std::optional<QRect>& square)
{
    if (square == outline_)
        return;
    const QRegion before = outlineRegion();
    outline_ = square;
    update(before.united(outlineRegion()));
}

// A position reaches the image when it lies on it and no control above it takes it.
bool ImageView::reaches(const QPoint& position) const
{
    if (!rect().contains(position))
        return false;
    const QWidget* top = window();
    return top->childAt(mapTo(top, position)) == this;
}

QPoint ImageView::pictureAt(const QPoint& position) const
{
    return {PictureCoordinate(position.x(), mapping_.scrollX, mapping_.zoom),
            PictureCoordinate(position.y(), mapping_.scrollY, mapping_.zoom)};
}

std::optional<QPoint> ImageView::pixelUnderPointer() const
{
    if (!pointer_ || (!capturing_ && !reaches(*pointer_)))
        return std::nullopt;
    const QPoint at = pictureAt(*pointer_);
    if (at.x() < 0 || at.y() < 0 || at.x() >= surface_.width() || at.y() >= surface_.height())
        return std::nullopt;
    return at;
}

void ImageView::trackPointer(const QPoint& position)
{
    pointer_ = position;
    emit pointerChanged();
}

// The pointer's pixel: its position rounded down, so a fractional position on a scaled
// screen lands where the pixel under it is drawn.
static QPoint PositionOf(const QMouseEvent* event)
{
    return {static_cast<int>(std::floor(event->position().x())), static_cast<int>(std::floor(event->position().y()))};
}

void ImageView::mousePressEvent(QMouseEvent* event)
{
    // The middle button alone drags the picture: the view around takes it.
    if (event->button() == Qt::MiddleButton && event->buttons() == Qt::MiddleButton) {
        panning_ = true;
        event->ignore();
        return;
    }
    if (event->button() == Qt::LeftButton)
        capturing_ = true;
    const QPoint at = PositionOf(event);
    const QPoint picture = pictureAt(at);
    emit mouseDown(event->button(), ShiftStateOf(event->modifiers(), event->buttons()), picture.x(), picture.y());
    trackPointer(at);
}

// Qt grabs the mouse for every button; only the left button may keep it outside.
void ImageView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = PositionOf(event);
    if (panning_) {
        trackPointer(at);
        event->ignore();
        return;
    }
    if (capturing_ || reaches(at)) {
        const QPoint picture = pictureAt(at);
        emit mouseMove(ShiftStateOf(event->modifiers(), event->buttons()), picture.x(), picture.y());
    }
    trackPointer(at);
}

void ImageView::mouseReleaseEvent(QMouseEvent* event)
{
    if (panning_) {
        if (event->button() == Qt::MiddleButton)
            panning_ = false;
        event->ignore();
        return;
    }
    const QPoint at = PositionOf(event);
    const bool captured = capturing_;
    if (event->button() == Qt::LeftButton)
        capturing_ = false;
    if (captured || reaches(at)) {
        const QPoint picture = pictureAt(at);
        emit mouseUp(event->button(), ShiftStateOf(event->modifiers(), event->buttons()), picture.x(), picture.y());
    }
    trackPointer(at);
}

void ImageView::leaveEvent(QEvent*)
{
    if (capturing_)
        return;
    pointer_.reset();
    emit pointerChanged();
}
