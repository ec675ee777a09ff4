#pragma once
#include <QAbstractScrollArea>
#include <QPoint>

class ImageView;

// The picture view: fills the window above the strip of controls, shows the picture
// (Image1, inside it) at its zoom and scroll over the window's teal, drawn from its
// top-left corner while it is smaller than the view, with scroll bars only while the
// zoomed picture does not fit. Zoom and scroll are the view's alone: they change nothing
// in the picture and are no undo steps.
//
// The wheel scrolls down and up, Shift + wheel across, Ctrl + wheel zooms toward the
// pointer (touchpad pixel deltas as well as wheel steps); the middle button drags the
// picture. The view never takes the keyboard focus.
class CanvasView : public QAbstractScrollArea {
    Q_OBJECT
public:
    CanvasView(ImageView* image, QWidget* parent = nullptr);

    double zoom() const { return zoom_; }
    QPoint scrollPosition() const;

    // View › Zoom In and Zoom Out: one step from the nearest, about the view's centre.
    void zoomIn();
    void zoomOut();
    // View › Fit Picture: the whole picture as large as the view allows, from its corner.
    void fitPicture();
    // View › Actual Pixels: 100 %, the picture point at the view's centre kept there.
    void actualPixels();
    // Sets the zoom (brought into range), keeping the picture point under `anchor`
    // (view coordinates) under it where the scroll range allows.
    void zoomAbout(double zoom, QPointF anchor);
    // Scrolls to put the zoomed picture's point `position` at the view's top-left corner,
    // within range.
    void scrollTo(QPoint position);

    // After Load BMP and New BMP: the zoom stays, the top-left corner shows.
    void showTopLeft();
    // After Import Picture and a dropped picture: fitted when larger than the view, else
    // at 100 %, from the top-left corner.
    void showImported();

signals:
    void zoomChanged(double zoom);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setZoom(double zoom);
    void layOutPicture();
    void placePicture();
    QSize pictureSize() const;
    QSize zoomedSize() const;
    QSize areaSize() const;
    QPointF viewCentre() const;

    ImageView* image_;
    double zoom_ = 1.0;
    bool layingOut_ = false;
    QSize viewSize_;              // the view less its scroll bars, as last laid out
    int wheelZoomRest_ = 0;       // wheel angle toward the next zoom step
    QPointF wheelScrollRest_;     // fractions of a pixel the wheel has scrolled
    bool panning_ = false;
    QPointF panFrom_;             // global position where the drag was last seen
};
