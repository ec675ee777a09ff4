#pragma once
#include <QImage>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <optional>

#include "model/ImageSurface.h"
#include "paint/ShiftState.h"
#include "ui/CanvasRenderer.h"
#include "ui/ViewMapping.h"

// Image1: shows the editable picture and reports the mouse in picture coordinates. It
// owns the picture's surface. On its own it takes the surface's display size and shows
// the picture at natural size from its top-left corner; inside the picture view
// (CanvasView) it shows the visible part of the picture as the view's zoom and scroll
// place it, and the view sizes it.
class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);

    ImageSurface& surface() { return surface_; }
    const ImageSurface& surface() const { return surface_; }

    // True from a left press until its release: moves anywhere are then reported.
    bool capturing() const { return capturing_; }

    // Shows the picture as `mapping` places it, in a widget of `size`; from then on the
    // widget no longer takes the picture's size by itself.
    void place(const ViewMapping& mapping, QSize size);
    const ViewMapping& mapping() const { return mapping_; }

    // The picture pixel under the pointer, while the pointer is over the picture's
    // display area (also during a stroke); none elsewhere.
    std::optional<QPoint> pixelUnderPointer() const;

    // A square of the picture (picture coordinates) outlined over it, or none.
    void setOutline(const std::optional<QRect>& square);
    std::optional<QRect> outline() const { return outline_; }

    // What draws the picture, for looking at (tests, benchmarks).
    const CanvasRenderer& renderer() const { return renderer_; }

signals:
    void mouseDown(Qt::MouseButton button, ShiftState shift, int x, int y);
    void mouseMove(ShiftState shift, int x, int y);
    void mouseUp(Qt::MouseButton button, ShiftState shift, int x, int y);
    // After every change of the picture, at once, with the rectangle that changed in
    // picture coordinates: empty for a fill that changed nothing, the whole picture when
    // it was replaced. A whole-picture blur sends one per block; receivers that redraw
    // should gather them.
    void pictureChanged(QRect changed);
    // The surface's display size changed; sent before pictureChanged, so that a view
    // around can place the picture before anything is repainted.
    void displaySizeChanged();
    // The pixel under the pointer may be another: the pointer moved or left, or the
    // picture moved under it.
    void pointerChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void surfaceChanged(const Rect& changed);
    void flushChanges();
    void pictureReplaced();
    void reportUnusablePixels();
    void reportLackOfMemory(bool lacked);  // also when the renderer says so
    void refinePyramid();
    bool reaches(const QPoint& position) const;
    QPoint pictureAt(const QPoint& position) const;
    QRect viewRectOf(const QRect& square) const;
    QRect outlineSquare() const;
    QRegion outlineRegion() const;
    void drawOutline(QPainter& painter) const;
    void trackPointer(const QPoint& position);

    ImageSurface surface_;
    CanvasRenderer renderer_;
    ViewMapping mapping_;
    QSize displaySize_;
    bool placed_ = false;
    QRect dirty_;
    bool flushPosted_ = false;
    bool capturing_ = false;
    bool panning_ = false;  // a middle-button drag, which the view around takes
    bool unusableReported_ = false;
    bool memoryReported_ = false;
    std::optional<QPoint> pointer_;  // widget coordinates, while over the widget or capturing
    std::optional<QRect> outline_;
    QTimer refineTimer_;
    QImage iconImage_;  // an icon picture, decoded once per picture
};

ShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
