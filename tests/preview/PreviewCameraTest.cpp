// The preview's camera: the three-quarter view fits any mesh into any view, the wheel
// zooms towards the pointer, a pan drags the picture with the pointer, and the orbit
// stops short of looking straight up or down.
#include <QVector4D>
#include <gtest/gtest.h>

#include "preview/PreviewCamera.h"

namespace {

struct FitRow {
    const char* name;
    QVector3D box;
    QSize viewport;
};

class CameraFit : public ::testing::TestWithParam<FitRow> {};

TEST_P(CameraFit, ShowsTheWholeBoxAsLargeAsFits)
{
    const FitRow& row = GetParam();
    const MeshBox box{row.box};
    PreviewCamera camera;
    camera.orbit(QPointF(100, -40));
    camera.pan(QPointF(30, 30), row.viewport);
    camera.fit(box, row.viewport);
    EXPECT_DOUBLE_EQ(camera.azimuth(), 45.0);
    EXPECT_DOUBLE_EQ(camera.elevation(), 35.0);
    EXPECT_EQ(camera.panOffset(), QPointF());
    double widest = 0;  // the farthest any corner lies from the middle, in half-views
    for (int corner = 0; corner < 8; ++corner) {
        const QVector3D point(corner & 1 ? box.size.x() : 0.0f, corner & 2 ? box.size.y() : 0.0f,
                              corner & 4 ? box.size.z() : 0.0f);
        const QPointF pixel = camera.project(point, box, row.viewport);
        const double across = std::abs(2 * pixel.x() / row.viewport.width() - 1);
        const double up = std::abs(2 * pixel.y() / row.viewport.height() - 1);
        EXPECT_LE(across, 0.9 + 1e-4) << "corner " << corner;
        EXPECT_LE(up, 0.9 + 1e-4) << "corner " << corner;
        widest = std::max({widest, across, up});
    }
    EXPECT_GT(widest, 0.899);
}

INSTANTIATE_TEST_SUITE_P(Boxes, CameraFit,
                         ::testing::Values(FitRow{"Grid50", {51, 50, 10.2f}, {800, 570}},
                                           FitRow{"Grid300Tall", {301, 300, 10.2f}, {300, 700}},
                                           FitRow{"Grid1Exaggerated", {2, 1, 102}, {800, 570}},
                                           FitRow{"Grid300Wide", {301, 300, 102}, {1200, 200}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ZoomRow {
    const char* name;
    QPointF pointer;
    double notches;
};

class CameraZoom : public ::testing::TestWithParam<ZoomRow> {};

TEST_P(CameraZoom, KeepsThePointUnderThePointer)
{
    const ZoomRow& row = GetParam();
    const MeshBox box{{301, 300, 10.2f}};
    const QSize viewport(800, 570);
    PreviewCamera camera;
    camera.fit(box, viewport);
    camera.pan(QPointF(-50, 20), viewport);
    const QVector3D under = camera.pointAtCentreDepth(row.pointer, box, viewport);
    const double distance = camera.distance();
    camera.zoomAt(row.pointer, row.notches, viewport);
    const QPointF after = camera.project(under, box, viewport);
    EXPECT_NEAR(after.x(), row.pointer.x(), 0.01);
    EXPECT_NEAR(after.y(), row.pointer.y(), 0.01);
    EXPECT_EQ(camera.distance() < distance, row.notches > 0);
}

INSTANTIATE_TEST_SUITE_P(Pointers, CameraZoom,
                         ::testing::Values(ZoomRow{"InMiddle", {400, 285}, 1}, ZoomRow{"TopLeftIn", {10, 10}, 3},
                                           ZoomRow{"RightOut", {790, 300}, -2}, ZoomRow{"FarIn", {100, 500}, 40},
                                           ZoomRow{"FarOut", {700, 60}, -40}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PreviewCameraTest, ZoomStopsAtItsNearestAndFarthest)
{
    const QSize viewport(800, 570);
    PreviewCamera camera;
    camera.zoomAt(QPointF(400, 285), 1000, viewport);
    EXPECT_DOUBLE_EQ(camera.distance(), 0.05);
    camera.zoomAt(QPointF(400, 285), -1000, viewport);
    EXPECT_DOUBLE_EQ(camera.distance(), 20.0);
}

TEST(PreviewCameraTest, PanDragsThePictureWithThePointer)
{
    const MeshBox box{{51, 50, 10.2f}};
    const QSize viewport(640, 480);
    PreviewCamera camera;
    camera.fit(box, viewport);
    const QPointF before = camera.project(box.centre(), box, viewport);
    camera.pan(QPointF(-25, 60), viewport);
    const QPointF after = camera.project(box.centre(), box, viewport);
    EXPECT_NEAR(after.x() - before.x(), -25.0, 0.01);
    EXPECT_NEAR(after.y() - before.y(), 60.0, 0.01);
}

TEST(PreviewCameraTest, OrbitTurnsAboutTheCentreAndStopsShortOfStraightUpOrDown)
{
    const MeshBox box{{51, 50, 10.2f}};
    const QSize viewport(640, 480);
    PreviewCamera camera;
    camera.fit(box, viewport);
    camera.pan(QPointF(40, 40), viewport);
    const QPointF centre = camera.project(box.centre(), box, viewport);
    camera.orbit(QPointF(123, 10));
    const QPointF turned = camera.project(box.centre(), box, viewport);
    EXPECT_NEAR(turned.x(), centre.x(), 0.01);
    EXPECT_NEAR(turned.y(), centre.y(), 0.01);
    camera.orbit(QPointF(0, 1000));
    EXPECT_DOUBLE_EQ(camera.elevation(), 89.0);
    camera.orbit(QPointF(0, -2000));
    EXPECT_DOUBLE_EQ(camera.elevation(), -89.0);
    // Looking straight down the box's middle still gives a finite picture.
    const QPointF below = camera.project(box.centre(), box, viewport);
    EXPECT_TRUE(std::isfinite(below.x()) && std::isfinite(below.y()));
}

} // namespace
