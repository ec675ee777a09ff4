#pragma once
#include <QImage>
#include <QRect>
#include <QWidget>

#include "model/ImageSurface.h"
#include "paint/ShiftState.h"

// Image1: shows the editable picture at its natural size from its top-left corner and
// reports the mouse in picture coordinates. It owns the picture's surface and follows
// the surface's display size.
class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);

    ImageSurface& surface() { return surface_; }
    const ImageSurface& surface() const { return surface_; }

    // True from a left press until its release: moves anywhere are then reported.
    bool capturing() const { return capturing_; }

signals:
    void mouseDown(Qt::MouseButton button, ShiftState shift, int x, int y);
    void mouseMove(ShiftState shift, int x, int y);
    void mouseUp(Qt::MouseButton button, ShiftState shift, int x, int y);
    // After every change of the picture, at once, with the rectangle that changed in
    // picture coordinates: empty for a fill that changed nothing, the whole picture when
    // it was replaced. A whole-picture blur sends one per block; receivers that redraw
    // should gather them.
    void pictureChanged(QRect changed);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void surfaceChanged(const Rect& changed);
    void flushChanges();
    void pictureReplaced();
    void reportUnusablePixels();
    bool reaches(const QPoint& position) const;

    ImageSurface surface_;
    QRect dirty_;
    bool flushPosted_ = false;
    bool capturing_ = false;
    bool unusableReported_ = false;
    QImage iconImage_;  // an icon picture, decoded once per picture
};

ShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
