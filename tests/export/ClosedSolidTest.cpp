// The solid must be watertight and wound outward: every directed edge once and its
// reverse once, each vertex listed once, no triangle without area, the surface facing
// up, the bottom down, the walls out, and a volume by the divergence theorem equal to
// the columns under the surface. The bottom must hold up with any points on its sides.
#include "export/ClosedSolid.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <tuple>
#include <vector>

#include "export/BuildAdaptiveSurface.h"
#include "tests/support/SurfaceChecks.h"

namespace {

struct Point3 {
    std::int64_t x, y, z;
};

Point3 Minus(Point3 a, Point3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3 CrossProduct(Point3 u, Point3 v) { return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x}; }
std::int64_t Dot(Point3 u, Point3 v) { return u.x * v.x + u.y * v.y + u.z * v.z; }

// The solid placed as a writer would: X = -c, Y = r, Z the sum plus one above a
// bottom at 0.
struct Examined {
    std::string fault;
    std::size_t walls = 0, bottoms = 0, tops = 0, borderVertices = 0;
};

Examined ExamineSolid(const HeightField& field, const ClosedSolid& solid)
{
    Examined report;
    std::vector<Point3> at;
    std::set<std::tuple<int, int, bool>> distinct;
    solid.forEachVertex([&](std::uint32_t number, LatticePoint p, bool isBottom) {
        if (number != at.size())
            report.fault = "vertices out of order";
        at.push_back({-p.c, p.r, isBottom ? 0 : field.at(p.c, p.r) + 1});
        distinct.insert({p.c, p.r, isBottom});
        report.borderVertices += isBottom;
    });
    if (distinct.size() != at.size())
        report.fault = "a vertex listed twice";

    std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
    std::int64_t sixVolume = 0;
    solid.forEachTriangle([&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        const Point3 normal = CrossProduct(Minus(at[b], at[a]), Minus(at[c], at[a]));
        if (normal.x == 0 && normal.y == 0 && normal.z == 0)
            report.fault = "a triangle without area";
        for (const auto& edge : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}})
            ++edges[edge];
        sixVolume += Dot(at[a], CrossProduct(at[b], at[c]));
        if (normal.z > 0) {
            ++report.tops;
        } else if (normal.z < 0) {
            ++report.bottoms;
            if (at[a].z != 0 || at[b].z != 0 || at[c].z != 0)
                report.fault = "a downward face off the bottom";
        } else {
            ++report.walls;
            // Outward is away from the middle of the rectangle.
            const Point3 middle{-(field.width - 1), field.height - 1, 0};
            const Point3 out{2 * at[a].x - middle.x, 2 * at[a].y - middle.y, 0};
            if (Dot(normal, out) <= 0)
                report.fault = "a wall facing in";
        }
    });
    for (const auto& [edge, count] : edges)
        if (count != 1 || !edges.count({edge.second, edge.first}))
            report.fault = "an edge not used once each way";

    // Each surface triangle's column: area |D| / 2 times its mean height.
    std::int64_t sixColumns = 0;
    solid.top.forEachTriangle([&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        const LatticePoint p[3] = {LatticePoint{static_cast<int>(-at[a].x), static_cast<int>(at[a].y)},
                                   LatticePoint{static_cast<int>(-at[b].x), static_cast<int>(at[b].y)},
                                   LatticePoint{static_cast<int>(-at[c].x), static_cast<int>(at[c].y)}};
        sixColumns += std::llabs(Cross(p[0], p[1], p[2])) * (at[a].z + at[b].z + at[c].z);
    });
    if (sixVolume != sixColumns)
        report.fault = "the volume is not the columns' (a face wound the wrong way)";
    // Euler: V - E + F = 2 for a closed surface of one piece.
    if (static_cast<std::int64_t>(at.size()) - static_cast<std::int64_t>(edges.size() / 2) +
            static_cast<std::int64_t>(solid.triangleCount()) != 2)
        report.fault = "not one closed piece";
    return report;
}

struct Case {
    const char* name;
    Sums sums;
    AdaptiveSurfaceOptions options;
};

std::vector<Case> Cases()
{
    AdaptiveSurfaceOptions tiled;
    tiled.wholeTriangleLimit = 1;
    tiled.tileSide = 6;
    return {
        {"smallest", MakeSums(2, 2, [](int c, int r) { return c + 2 * r; }), {}},
        {"flat", MakeSums(50, 31, [](int, int) { return 0; }), {}},
        {"spike near the top side", MakeSums(20, 12, [](int c, int r) { return c == 9 && r == 1 ? 765 : 3; }), {}},
        {"ridge down the middle", MakeSums(17, 33, [](int c, int) { return c == 8 ? 700 : 20; }), {}},
        {"noise", MakeSums(40, 33, [](int c, int r) { return NoiseSum(c, r); }), {}},
        {"noise in tiles", MakeSums(40, 33, [](int c, int r) { return NoiseSum(c, r); }), tiled},
        {"two pixels high", MakeSums(30, 2, [](int c, int r) { return NoiseSum(c, r); }), {}},
        {"two pixels wide", MakeSums(2, 30, [](int c, int r) { return NoiseSum(c, r); }), {}},
    };
}

TEST(ClosedSolid, IsWatertightAndWoundOutward)
{
    for (const Case& test : Cases()) {
        SCOPED_TRACE(test.name);
        AdaptiveSurface surface = BuildAdaptiveSurface(test.sums.field(), 0, test.options);
        const std::size_t topVertices = surface.vertexCount(), topTriangles = surface.triangleCount();
        const ClosedSolid solid = BuildClosedSolid(std::move(surface));
        const Examined report = ExamineSolid(test.sums.field(), solid);
        EXPECT_EQ(report.fault, "");
        const std::size_t border = report.borderVertices;
        EXPECT_EQ(solid.vertexCount(), topVertices + border);
        EXPECT_EQ(report.tops, topTriangles);
        EXPECT_EQ(report.walls, 2 * border);
        EXPECT_EQ(report.bottoms, border - 2);
    }
}

TEST(ClosedSolid, BottomVerticesLieUnderTheBorderInOrderRoundIt)
{
    const Sums sums = MakeSums(7, 5, [](int c, int r) { return NoiseSum(c, r); });
    const ClosedSolid solid = BuildClosedSolid(BuildAdaptiveSurface(sums.field(), 0));
    // Every pixel is a vertex at error 0 on noise: 2 (6 + 4) border points, starting at
    // (0, 0) and running down column 0 first.
    ASSERT_EQ(solid.bottom.size(), 20u);
    EXPECT_EQ(solid.bottom[0].unpack(), (LatticePoint{0, 0}));
    EXPECT_EQ(solid.bottom[1].unpack(), (LatticePoint{0, 1}));
    EXPECT_EQ(solid.bottom[4].unpack(), (LatticePoint{0, 4}));
    EXPECT_EQ(solid.bottom[5].unpack(), (LatticePoint{1, 4}));
    EXPECT_EQ(solid.bottom[19].unpack(), (LatticePoint{1, 0}));
}

TEST(ClosedSolid, OfAnEmptySurfaceIsEmpty)
{
    const Sums line = MakeSums(9, 1, [](int c, int) { return c; });
    const ClosedSolid solid = BuildClosedSolid(BuildAdaptiveSurface(line.field(), 0));
    EXPECT_EQ(solid.vertexCount(), 0u);
    EXPECT_EQ(solid.triangleCount(), 0u);
}

} // namespace
