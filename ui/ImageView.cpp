#include "ui/ImageView.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

#include "ui/ErrorDisplay.h"

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
}

// A whole-image blur makes some 90,000 fills: each one only widens a rectangle, and a
// single posted call turns them into one repaint when the command has returned.
void ImageView::surfaceChanged(const Rect& changed)
{
    if (width() != surface_.width() || height() != surface_.height())
        resize(surface_.width(), surface_.height());
    const Picture& picture = surface_.picture();
    const bool wholePicture = changed == Rect{0, 0, picture.width, picture.height};
    if (wholePicture || picture.kind != PictureKind::Bitmap)
        pictureReplaced();
    if (wholePicture || picture.isEmpty() || picture.kind != PictureKind::Bitmap)
        dirty_ = rect();
    else if (!changed.isEmpty())
        dirty_ |= QRect(changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top);
    if (!flushPosted_ && !dirty_.isEmpty()) {
        flushPosted_ = true;
        QMetaObject::invokeMethod(this, &ImageView::flushChanges, Qt::QueuedConnection);
    }
    emit pictureChanged(QRect(changed.left, changed.top, changed.right - changed.left, changed.bottom - changed.top));
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
    iconImage_ = QImage();
    const Picture& picture = surface_.picture();
    if (picture.kind != PictureKind::Icon)
        return;
    QByteArray bytes(reinterpret_cast<const char*>(picture.sourceFile.data()),
                     static_cast<qsizetype>(picture.sourceFile.size()));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ico");
    reader.setScaledSize(QSize(32, 32));
    iconImage_ = reader.read();
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
        // The stored 0xFFBBGGRR words are R, G, B, X bytes in memory: no copy needed.
        const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width,
                           picture.height, picture.width * 4, QImage::Format_RGBX8888);
        const QRect area = event->rect() & image.rect();
        painter.drawImage(area.topLeft(), image, area);
        break;
    }
    case PictureKind::Icon:
        painter.drawImage(0, 0, iconImage_);
        break;
    case PictureKind::Metafile:
        // Metafiles are kept to be written back, not rendered.
        painter.fillRect(0, 0, picture.width, picture.height, Qt::white);
        painter.setPen(Qt::gray);
        painter.drawRect(0, 0, picture.width - 1, picture.height - 1);
        break;
    }
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

// A position reaches the image when it lies on it and no control above it takes it.
bool ImageView::reaches(const QPoint& position) const
{
    if (!rect().contains(position))
        return false;
    const QWidget* container = parentWidget();
    if (!container)
        return true;
    return container->childAt(mapToParent(position)) == this;
}

void ImageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        capturing_ = true;
    const QPoint at = event->position().toPoint();
    emit mouseDown(event->button(), ShiftStateOf(event->modifiers(), event->buttons()), at.x(), at.y());
}

// Qt grabs the mouse for every button; only the left button may keep it outside.
void ImageView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (!capturing_ && !reaches(at))
        return;
    emit mouseMove(ShiftStateOf(event->modifiers(), event->buttons()), at.x(), at.y());
}

void ImageView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const bool captured = capturing_;
    if (event->button() == Qt::LeftButton)
        capturing_ = false;
    if (!captured && !reaches(at))
        return;
    emit mouseUp(event->button(), ShiftStateOf(event->modifiers(), event->buttons()), at.x(), at.y());
}
