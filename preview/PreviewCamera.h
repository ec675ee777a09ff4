#pragma once
#include <QMatrix4x4>
#include <QPointF>
#include <QSize>
#include <QVector3D>

// The box the mesh lies in, in drawing units: grid columns from 0, rows from 0, heights
// from 0 to white's, each as far as the size says.
struct MeshBox {
    QVector3D size;

    QVector3D centre() const { return size / 2; }
    float radius() const { return size.length() / 2; }
};

// Where the 3D preview looks from. The eye circles the centre of the mesh's box at a
// distance; a pan then shifts the picture sideways on the screen, so orbiting always
// turns the mesh about its own centre wherever it was moved to. Distance and pan are
// held in units of the box's radius, so the framing lasts through a change of grid size
// or exaggeration. The shorter side of the view always spans 40 degrees.
class PreviewCamera {
public:
    PreviewCamera() { reset(); }

    // The three-quarter view: from above the picture's lower left corner (the grid's
    // columns run from the picture's right edge to its left and its rows down the
    // picture), 35 degrees up, so the mesh reads the way the picture is painted; far
    // enough for the box to fit whatever its shape and the view's.
    void reset();
    // The same view, as close as keeps every corner of the box within the middle nine
    // tenths of the viewport.
    void fit(const MeshBox& box, QSize viewport);

    // A left drag by the given pixels: across turns the mesh, up and down tilts it.
    void orbit(QPointF pixels);
    // A right or middle drag: the picture follows the pointer (exactly at the centre's depth).
    void pan(QPointF pixels, QSize viewport);
    // Wheel notches (positive: closer) at a pointer position in the viewport: the point
    // under the pointer at the centre's depth stays under the pointer.
    void zoomAt(QPointF pointer, double notches, QSize viewport);

    // Degrees: azimuth around the vertical axis from the X axis, elevation above the
    // ground (negative looks from below), held within -89..89.
    void setOrbit(double azimuth, double elevation);
    double azimuth() const { return azimuth_; }
    double elevation() const { return elevation_; }
    double distance() const { return distance_; }  // in box radii
    QPointF panOffset() const { return pan_; }      // in box radii

    QMatrix4x4 view(const MeshBox& box) const;
    QMatrix4x4 projection(const MeshBox& box, QSize viewport) const;

    // Where a point of the mesh's space lands in the viewport, in pixels from its top
    // left corner, and the point at the centre's depth under a viewport position.
    QPointF project(const QVector3D& point, const MeshBox& box, QSize viewport) const;
    QVector3D pointAtCentreDepth(QPointF pixel, const MeshBox& box, QSize viewport) const;

private:
    double azimuth_ = 0;
    double elevation_ = 0;
    double distance_ = 1;
    QPointF pan_;
};
