#include "preview/PreviewCamera.h"

#include <QVector4D>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kHalfField = 20.0;  // degrees, across the view's shorter side
constexpr double kDegreesPerPixel = 0.4;
constexpr double kZoomPerNotch = 0.85;
constexpr double kNearest = 0.05;  // box radii from the centre
constexpr double kFarthest = 20.0;

// The tangents of half the view's field across and up.
QPointF HalfFieldTangents(QSize viewport)
{
    const double aspect = viewport.height() > 0 ? double(viewport.width()) / viewport.height() : 1.0;
    const double t = std::tan(qDegreesToRadians(kHalfField));
    if (aspect >= 1.0)
        return {t * aspect, t};
    return {t, t / std::max(aspect, 1e-3)};
}

} // namespace

void PreviewCamera::reset()
{
    azimuth_ = 45.0;
    elevation_ = 35.0;
    // The box's sphere fits the shorter side with a little room.
    distance_ = 1.1 / std::sin(qDegreesToRadians(kHalfField));
    pan_ = {};
}

void PreviewCamera::fit(const MeshBox& box, QSize viewport)
{
    reset();
    if (viewport.width() <= 0 || viewport.height() <= 0)
        return;
    const auto fits = [&] {
        const QMatrix4x4 matrix = projection(box, viewport) * view(box);
        for (int corner = 0; corner < 8; ++corner) {
            const QVector4D point(corner & 1 ? box.size.x() : 0.0f, corner & 2 ? box.size.y() : 0.0f,
                                  corner & 4 ? box.size.z() : 0.0f, 1.0f);
            const QVector4D clip = matrix * point;
            if (clip.w() <= 0 || std::abs(clip.x()) > 0.9f * clip.w() || std::abs(clip.y()) > 0.9f * clip.w())
                return false;
        }
        return true;
    };
    // Nearer shows the box larger, so the closest distance that fits lies between these.
    double nearer = kNearest;
    double farther = kFarthest;
    for (int step = 0; step < 40; ++step) {
        distance_ = (nearer + farther) / 2;
        (fits() ? farther : nearer) = distance_;
    }
    distance_ = farther;
}

void PreviewCamera::setOrbit(double azimuth, double elevation)
{
    azimuth_ = std::fmod(azimuth, 360.0);
    elevation_ = std::clamp(elevation, -89.0, 89.0);
}

void PreviewCamera::orbit(QPointF pixels)
{
    setOrbit(azimuth_ - pixels.x() * kDegreesPerPixel, elevation_ + pixels.y() * kDegreesPerPixel);
}

void PreviewCamera::pan(QPointF pixels, QSize viewport)
{
    if (viewport.height() <= 0)
        return;
    // Radii per pixel on the plane through the centre, facing the eye.
    const double perPixel = 2.0 * HalfFieldTangents(viewport).y() * distance_ / viewport.height();
    pan_ += QPointF(pixels.x() * perPixel, -pixels.y() * perPixel);
}

// Moving the eye and the centre towards the point under the pointer by the same factor
// keeps that point on the same ray from the eye, so it stays under the pointer.
void PreviewCamera::zoomAt(QPointF pointer, double notches, QSize viewport)
{
    if (viewport.width() <= 0 || viewport.height() <= 0 || !std::isfinite(notches))
        return;
    const double wanted = std::clamp(distance_ * std::pow(kZoomPerNotch, notches), kNearest, kFarthest);
    const double factor = wanted / distance_;
    const QPointF tangents = HalfFieldTangents(viewport);
    const QPointF under((2.0 * pointer.x() / viewport.width() - 1.0) * tangents.x() * distance_,
                        (1.0 - 2.0 * pointer.y() / viewport.height()) * tangents.y() * distance_);
    pan_ += (factor - 1.0) * under;
    distance_ = wanted;
}

QMatrix4x4 PreviewCamera::view(const MeshBox& box) const
{
    const float radius = std::max(box.radius(), 1e-3f);
    const double az = qDegreesToRadians(azimuth_);
    const double el = qDegreesToRadians(elevation_);
    const QVector3D direction(float(std::cos(el) * std::cos(az)), float(std::cos(el) * std::sin(az)),
                              float(std::sin(el)));
    QMatrix4x4 lookAt;
    lookAt.lookAt(box.centre() + direction * float(distance_) * radius, box.centre(), QVector3D(0, 0, 1));
    QMatrix4x4 shift;
    shift.translate(float(pan_.x()) * radius, float(pan_.y()) * radius, 0.0f);
    return shift * lookAt;
}

QMatrix4x4 PreviewCamera::projection(const MeshBox& box, QSize viewport) const
{
    const float radius = std::max(box.radius(), 1e-3f);
    const QPointF tangents = HalfFieldTangents(viewport);
    const double aspect = tangents.x() / tangents.y();
    // Every point of the box lies within one radius of the centre's depth.
    const double nearPlane = std::max(distance_ - 1.05, distance_ * 0.02) * radius;
    const double farPlane = (distance_ + 1.05) * radius;
    QMatrix4x4 matrix;
    matrix.perspective(float(2.0 * qRadiansToDegrees(std::atan(tangents.y()))), float(aspect), float(nearPlane),
                       float(farPlane));
    return matrix;
}

QPointF PreviewCamera::project(const QVector3D& point, const MeshBox& box, QSize viewport) const
{
    const QVector3D ndc = (projection(box, viewport) * view(box)).map(point);
    return {(ndc.x() + 1.0) / 2.0 * viewport.width(), (1.0 - ndc.y()) / 2.0 * viewport.height()};
}

QVector3D PreviewCamera::pointAtCentreDepth(QPointF pixel, const MeshBox& box, QSize viewport) const
{
    const float radius = std::max(box.radius(), 1e-3f);
    const QPointF tangents = HalfFieldTangents(viewport);
    const QVector3D eye((2.0 * pixel.x() / viewport.width() - 1.0) * tangents.x() * distance_ * radius,
                        (1.0 - 2.0 * pixel.y() / viewport.height()) * tangents.y() * distance_ * radius,
                        -distance_ * radius);
    return view(box).inverted().map(eye);
}
