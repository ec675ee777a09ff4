// The grid solid's placement in millimetres, worked out from the settings alone: the
// footprint's sides and proportions, each height's place with and without inverting, the
// bottom at 0, and the counts; then the pieces a writer reads agreeing with the whole,
// and every edge used once each way by vertex number.
#include "export/GridSolid.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <stdexcept>
#include <utility>

#include "model/MeshHeights.h"
#include "model/SolidSettings.h"

namespace {

constexpr int kGrid = 4;

// Heights of a grid of 4 with a few known points; everything else 0.
MeshHeights KnownHeights()
{
    MeshHeights heights(kGrid);
    heights.set(1, 1, 10.2);  // white
    heights.set(2, 1, 5.12);  // grey 128
    heights.set(5, 4, 10.2);  // the last column and row
    heights.set(3, 2, 0.04);  // a channel sum of 3
    return heights;
}

std::vector<SolidVertex> AllVertices(const SolidMesh& solid)
{
    std::vector<SolidVertex> vertices(solid.vertexCount());
    solid.vertices(0, vertices);
    return vertices;
}

std::vector<SolidTriangle> AllTriangles(const SolidMesh& solid)
{
    std::vector<SolidTriangle> triangles(solid.triangleCount());
    solid.triangles(0, triangles);
    return triangles;
}

struct PlacementCase {
    const char* name;
    int pictureWidth, pictureHeight;
    SolidSettings settings;
    double width, depth;  // the footprint expected
};

void PrintTo(const PlacementCase& c, std::ostream* out) { *out << c.name; }

class GridSolidPlacement : public testing::TestWithParam<PlacementCase> {};

TEST_P(GridSolidPlacement, PutsEveryPointWhereTheSettingsSay)
{
    const PlacementCase& c = GetParam();
    const MeshHeights heights = KnownHeights();
    const GridSolid solid(heights, c.settings, c.pictureWidth, c.pictureHeight);
    EXPECT_EQ(solid.width(), c.width);
    EXPECT_EQ(solid.depth(), c.depth);
    ASSERT_EQ(solid.vertexCount(), 6u * 5 + 4 * kGrid + 2);
    ASSERT_EQ(solid.triangleCount(), 2u * 5 * kGrid + 2 * (4 * kGrid + 2) + 4 * kGrid);

    const SolidSettings& s = c.settings;
    const auto z = [&](double h) {
        return float(s.baseMm + s.reliefMm * (s.invert ? (10.2 - h) / 10.2 : h / 10.2));
    };
    const std::vector<SolidVertex> vertices = AllVertices(solid);
    // The surface's points, column after column.
    for (int i = 0; i <= kGrid + 1; ++i)
        for (int n = 0; n <= kGrid; ++n) {
            const SolidVertex expected{float(c.width * (i / 5.0)), float(c.depth * (n / 4.0)), z(heights.at(i, n))};
            EXPECT_EQ(vertices[std::size_t(i * 5 + n)], expected) << i << ", " << n;
        }
    // The surface's corners span the footprint exactly; white stands at base + relief.
    EXPECT_EQ(vertices[0], (SolidVertex{0, 0, z(0)}));
    EXPECT_EQ(vertices[5 * 5 + 4], (SolidVertex{float(c.width), float(c.depth), z(10.2)}));
    EXPECT_EQ(vertices[1 * 5 + 1].z, float(s.invert ? s.baseMm : s.baseMm + s.reliefMm));
    // The bottom: the edge's points at 0, starting at (0, 0) and going round.
    std::vector<SolidVertex> bottom(vertices.begin() + 30, vertices.end());
    EXPECT_EQ(bottom.front(), (SolidVertex{0, 0, 0}));
    EXPECT_EQ(bottom[5], (SolidVertex{float(c.width), 0, 0}));
    EXPECT_EQ(bottom[9], (SolidVertex{float(c.width), float(c.depth), 0}));
    EXPECT_EQ(bottom[14], (SolidVertex{0, float(c.depth), 0}));
    EXPECT_EQ(bottom.back(), (SolidVertex{0, float(c.depth) / 4, 0}));
    for (const SolidVertex& v : bottom)
        EXPECT_EQ(v.z, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, GridSolidPlacement,
    testing::Values(PlacementCase{"WidePictureKeepsItsProportions", 320, 200, {}, 100, 62.5},
                    PlacementCase{"TallPictureKeepsItsProportions", 50, 200, {}, 25, 100},
                    PlacementCase{"SquarePicture", 64, 64, {}, 100, 100},
                    PlacementCase{"ProportionsOffGiveASquare", 320, 200, {100, 10, 2, false, false}, 100, 100},
                    PlacementCase{"OwnSizes", 300, 100, {250, 3.5, 0.8, true, false}, 250, 250 * 100 / 300.0},
                    PlacementCase{"Inverted", 200, 320, {100, 10, 2, true, true}, 62.5, 100},
                    PlacementCase{"SmallestSizes", 2, 1, {1, 0.01, 0.01, true, false}, 1, 0.5},
                    PlacementCase{"NoPictureSizeIsSquare", 0, 0, {}, 100, 100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridSolid, PiecesOfAnySizeAgreeWithTheWhole)
{
    const MeshHeights heights = KnownHeights();
    const GridSolid solid(heights, {}, 320, 200);
    const std::vector<SolidTriangle> whole = AllTriangles(solid);
    const std::vector<SolidVertex> vertices = AllVertices(solid);
    for (std::uint32_t piece : {1u, 3u, 7u, 64u}) {
        std::vector<SolidTriangle> read;
        for (std::uint32_t first = 0; first < solid.triangleCount(); first += piece) {
            std::vector<SolidTriangle> part(std::min(piece, solid.triangleCount() - first));
            solid.triangles(first, part);
            read.insert(read.end(), part.begin(), part.end());
        }
        EXPECT_EQ(read, whole) << piece;
    }
    std::vector<std::uint32_t> indices;
    for (const SolidTriangle& t : whole)
        indices.insert(indices.end(), t.v, t.v + 3);
    std::vector<SolidVertex> gathered(indices.size());
    solid.gather(indices, gathered);
    for (std::size_t k = 0; k < indices.size(); ++k)
        ASSERT_EQ(gathered[k], vertices[indices[k]]) << k;

    std::vector<SolidTriangle> pastTheEnd(2);
    EXPECT_THROW(solid.triangles(solid.triangleCount() - 1, pastTheEnd), std::out_of_range);
    std::vector<SolidVertex> onePast(1);
    EXPECT_THROW(solid.vertices(solid.vertexCount(), onePast), std::out_of_range);
    const std::uint32_t beyond[] = {solid.vertexCount()};
    EXPECT_THROW(solid.gather(beyond, onePast), std::out_of_range);
}

// By vertex number alone: three different vertices a triangle, and every directed edge
// used once, its reverse once; the surface comes first in the DXF's cell order.
TEST(GridSolid, IsClosedByVertexNumbers)
{
    for (int g : {1, 2, 5}) {
        MeshHeights heights(g);
        const GridSolid solid(heights, {}, 10, 10);
        const std::vector<SolidTriangle> triangles = AllTriangles(solid);
        std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
        for (const SolidTriangle& t : triangles) {
            EXPECT_TRUE(t.v[0] != t.v[1] && t.v[1] != t.v[2] && t.v[0] != t.v[2]);
            for (int k = 0; k < 3; ++k)
                ++edges[{t.v[k], t.v[(k + 1) % 3]}];
        }
        for (const auto& [edge, count] : edges) {
            EXPECT_EQ(count, 1) << g;
            EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << g;
        }
        // Cell (g, g - 1) first, corners 1, 2, 3, then 1, 3, 4.
        const auto top = [&](std::uint32_t i, std::uint32_t n) { return i * std::uint32_t(g + 1) + n; };
        const std::uint32_t i = std::uint32_t(g), n = std::uint32_t(g - 1);
        EXPECT_EQ(triangles[0], (SolidTriangle{{top(i, n), top(i + 1, n), top(i + 1, n + 1)}}));
        EXPECT_EQ(triangles[1], (SolidTriangle{{top(i, n), top(i + 1, n + 1), top(i, n + 1)}}));
    }
}

TEST(GridSolid, AGridBelowOneHoldsNothing)
{
    for (int g : {0, -3}) {
        MeshHeights heights(g);
        const GridSolid solid(heights, {}, 320, 200);
        EXPECT_EQ(solid.vertexCount(), 0u);
        EXPECT_EQ(solid.triangleCount(), 0u);
    }
}

} // namespace
