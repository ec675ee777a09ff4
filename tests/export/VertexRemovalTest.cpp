// Vertex removal must take out a vertex exactly when the hole it leaves can be filled
// within the error, never one on the border, and leave a proper triangulation with
// matching twins, numbered afresh.
#include "export/VertexRemoval.h"

#include <gtest/gtest.h>
#include <vector>

#include "export/GreedyInsertion.h"
#include "tests/support/SurfaceChecks.h"

namespace {

// Triangles (centre, ring[i], ring[i + 1]) round a centre point; the ring's own edges,
// and the first and last spoke of an open ring, are border edges.
TriangleMesh Fan(std::vector<LatticePoint> ring, LatticePoint centre, bool closed)
{
    TriangleMesh mesh;
    for (const LatticePoint p : ring)
        mesh.points.emplace_back(p);
    mesh.points.emplace_back(centre);
    const auto n = static_cast<std::int32_t>(ring.size()), middle = n;
    const std::int32_t triangles = closed ? n : n - 1;
    for (std::int32_t i = 0; i < triangles; ++i) {
        mesh.corners.insert(mesh.corners.end(), {middle, i, (i + 1) % n});
        mesh.twins.insert(mesh.twins.end(), {-1, -1, -1});
    }
    for (std::int32_t i = 0; i < triangles; ++i) {
        const std::int32_t next = (i + 1) % triangles;
        if (closed || i + 1 < triangles) {
            mesh.twins[static_cast<std::size_t>(3 * i + 2)] = 3 * next;
            mesh.twins[static_cast<std::size_t>(3 * next)] = 3 * i + 2;
        }
    }
    return mesh;
}

AdaptiveSurface AsSurface(const HeightField& field, const TriangleMesh& mesh)
{
    AdaptiveSurface surface{field.width, field.height, {}};
    SurfaceBlock& block = surface.blocks.emplace_back();
    block.vertices = mesh.points;
    block.wideCorners.assign(mesh.corners.begin(), mesh.corners.end());
    return surface;
}

void ExpectTwinsMatch(const TriangleMesh& mesh)
{
    for (std::size_t e = 0; e < mesh.corners.size(); ++e) {
        const int twin = mesh.twins[e];
        if (twin < 0)
            continue;
        EXPECT_EQ(mesh.twins[static_cast<std::size_t>(twin)], static_cast<int>(e));
        EXPECT_EQ(mesh.corners[static_cast<std::size_t>(twin)], mesh.corners[static_cast<std::size_t>(NextEdge(static_cast<int>(e)))]);
    }
}

const std::vector<LatticePoint> kSquare = {{4, 0}, {0, 0}, {0, 4}, {4, 4}};

TEST(VertexRemoval, TakesOutACentreThePlaneCovers)
{
    const Sums ramp = MakeSums(5, 5, [](int c, int r) { return 10 * c + r; });
    TriangleMesh mesh = Fan(kSquare, {2, 2}, true);
    ProgressMeter meter(nullptr);
    RemoveVertices(ramp.field(), 0, mesh, meter);
    EXPECT_EQ(mesh.triangleCount(), 2u);
    EXPECT_EQ(mesh.points.size(), 4u);
    ExpectTwinsMatch(mesh);
    EXPECT_EQ(std::count(mesh.twins.begin(), mesh.twins.end(), -1), 4);
    EXPECT_EQ(ExamineSurface(ramp.field(), AsSurface(ramp.field(), mesh)).fault, "");
}

TEST(VertexRemoval, KeepsACentreTheErrorCannotSpare)
{
    const Sums spike = MakeSums(5, 5, [](int c, int r) { return c == 2 && r == 2 ? 100 : 0; });
    for (const auto& [thousandths, triangles] : {std::pair{99999, 4u}, std::pair{100000, 2u}}) {
        TriangleMesh mesh = Fan(kSquare, {2, 2}, true);
        ProgressMeter meter(nullptr);
        RemoveVertices(spike.field(), thousandths, mesh, meter);
        EXPECT_EQ(mesh.triangleCount(), triangles) << thousandths;
    }
}

TEST(VertexRemoval, KeepsVerticesOnTheBorder)
{
    const Sums flat = MakeSums(5, 5, [](int, int) { return 300; });
    TriangleMesh mesh = Fan({{0, 0}, {0, 4}, {4, 4}, {4, 0}}, {2, 0}, false);
    ProgressMeter meter(nullptr);
    RemoveVertices(flat.field(), 765000, mesh, meter);
    EXPECT_EQ(mesh.triangleCount(), 3u);
    EXPECT_EQ(ExamineSurface(flat.field(), AsSurface(flat.field(), mesh)).fault, "");
}

TEST(VertexRemoval, ThinsOutGreedyInsertionWithinTheError)
{
    const Sums terraces = MakeSums(64, 48, [](int c, int r) { return 3 * ((c * c + 3 * r * r) / 50 % 200); });
    for (const int thousandths : {0, 1000, 7650}) {
        GreedyInsertion insertion(terraces.field(), thousandths, {0, 0, 63, 47});
        ProgressMeter meter(nullptr);
        insertion.refine(SIZE_MAX, meter);
        TriangleMesh mesh = insertion.takeMesh();
        const std::size_t before = mesh.triangleCount();
        RemoveVertices(terraces.field(), thousandths, mesh, meter);
        EXPECT_LT(mesh.triangleCount(), before * 9 / 10) << thousandths;
        ExpectTwinsMatch(mesh);
        const SurfaceReport report = ExamineSurface(terraces.field(), AsSurface(terraces.field(), mesh));
        EXPECT_EQ(report.fault, "");
        EXPECT_LE(report.worstTimes1000, thousandths);
    }
}

} // namespace
