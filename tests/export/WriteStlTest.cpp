// The STL must be a solid a slicer accepts: every edge shared by exactly two triangles
// running it in opposite directions, normals pointing out, no flat triangles, and the
// volume of the columns under the surface down to the bottom at 0, all in millimetres
// as the solid's settings place it. The file is read back by the test's own reader and
// each property counted over every triangle.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <gtest/gtest.h>
#include <utility>

#include "export/MeshExport.h"
#include "model/EditorState.h"
#include "model/SolidSettings.h"
#include "model/SampleHeights.h"
#include "tests/files/ScriptedFileOps.h"
#include "tests/support/Failures.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

// ---- What a mesh checker counts ------------------------------------------------------

struct SolidReport {
    std::size_t degenerate = 0;     // a repeated corner or no area
    std::size_t badNormals = 0;     // not of unit length, or against the corners' winding
    std::size_t unpairedEdges = 0;  // a directed edge not used exactly once with its reverse once
    std::size_t badAttributes = 0;
    double volume = 0;  // by the divergence theorem: positive when the normals point out
    float lowest = INFINITY, highest = -INFINITY;
};

struct Vector {
    double x, y, z;
};
Vector Minus(const StlVertex& a, const StlVertex& b) { return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z}; }
Vector Cross(const Vector& u, const Vector& v) { return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x}; }
double Dot(const Vector& u, const Vector& v) { return u.x * v.x + u.y * v.y + u.z * v.z; }

SolidReport Examine(const StlFile& stl)
{
    SolidReport report;
    std::vector<std::pair<StlVertex, StlVertex>> edges;
    for (const StlTriangle& t : stl.triangles) {
        const auto& [a, b, c] = t.corners;
        const Vector area = Cross(Minus(b, a), Minus(c, a));
        const double length = std::sqrt(Dot(area, area));
        if (a == b || b == c || a == c || length < 1e-9) {
            ++report.degenerate;
        } else {
            const Vector normal{t.normal.x, t.normal.y, t.normal.z};
            if (std::fabs(std::sqrt(Dot(normal, normal)) - 1) > 1e-6 || Dot(normal, area) / length < 0.99999)
                ++report.badNormals;
        }
        report.badAttributes += t.attribute != 0;
        report.volume += Dot(Vector{a.x, a.y, a.z}, Cross(Vector{b.x, b.y, b.z}, Vector{c.x, c.y, c.z})) / 6;
        for (const StlVertex& v : t.corners) {
            report.lowest = std::min(report.lowest, v.z);
            report.highest = std::max(report.highest, v.z);
        }
        edges.push_back({a, b});
        edges.push_back({b, c});
        edges.push_back({c, a});
    }
    std::sort(edges.begin(), edges.end());
    for (std::size_t e = 0; e < edges.size(); ++e) {
        const bool repeated = (e > 0 && edges[e] == edges[e - 1]) || (e + 1 < edges.size() && edges[e] == edges[e + 1]);
        const std::pair reverse{edges[e].second, edges[e].first};
        const auto range = std::equal_range(edges.begin(), edges.end(), reverse);
        if (repeated || range.second - range.first != 1)
            ++report.unpairedEdges;
    }
    return report;
}

// Where the solid's settings put things, worked out here from the settings alone.
struct Placement {
    double width, depth;  // the footprint
    int g;
    SolidSettings settings;

    Placement(const EditorState& state, const SolidSettings& solid) : g(state.gridSize), settings(solid)
    {
        width = depth = solid.longestSideMm;
        if (solid.keepProportions && state.imageWidth >= state.imageHeight)
            depth = solid.longestSideMm * state.imageHeight / state.imageWidth;
        else if (solid.keepProportions)
            width = solid.longestSideMm * state.imageWidth / state.imageHeight;
    }
    double x(int i) const { return width * (double(i) / (g + 1)); }
    double y(int n) const { return depth * (double(n) / g); }
    double z(double h) const
    {
        return settings.baseMm + settings.reliefMm * (settings.invert ? (10.2 - h) / 10.2 : h / 10.2);
    }
};

// The volume under the surface down to 0, column by column: each cell is two triangles
// split from corner 1 to corner 3, and under a flat-bottomed prism lies its area times
// the mean of its corners' heights.
double ColumnVolumes(const EditorState& state, const Placement& at)
{
    const auto h = [&](int x, int y) { return at.z(state.heights.at(x, y)); };
    const double area = at.width / (at.g + 1) * at.depth / at.g / 2;
    double volume = 0;
    for (int i = 0; i <= state.gridSize; ++i)
        for (int n = 0; n < state.gridSize; ++n)
            volume += area * ((h(i, n) + h(i + 1, n) + h(i + 1, n + 1)) / 3 + (h(i, n) + h(i + 1, n + 1) + h(i, n + 1)) / 3);
    return volume;
}

// The surface's corners sit at their grid points' places and carry the grid's heights
// there; the bottom's lie at 0.
std::size_t CornersOffTheGrid(const StlFile& stl, const EditorState& state, const Placement& at)
{
    std::size_t wrong = 0;
    for (const StlTriangle& t : stl.triangles)
        for (const StlVertex& v : t.corners) {
            const int i = int(std::lround(v.x / at.width * (at.g + 1)));
            const int n = int(std::lround(v.y / at.depth * at.g));
            const bool placed = v.x == float(at.x(i)) && v.y == float(at.y(n));
            if (!placed || (v.z != 0.0f && v.z != float(at.z(state.heights.at(i, n)))))
                ++wrong;
        }
    return wrong;
}

// ---- Pictures ------------------------------------------------------------------------

Picture Ramp(int side)
{
    Picture picture = MakePicture(side, side, kBlack);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            SetPixel(picture, x, y, ColourOfSum((x * 765 / (side - 1) + y) % 766));
    return picture;
}

struct SolidCase {
    const char* name;
    Picture picture;
    int gridSize;
    int earlierGridSize;  // sampled first, leaving heights beyond the grid; 0: none
    float highest;
    double knownVolume;  // worked out by hand; 0: only the column sum
    SolidSettings settings = {};
};

void PrintTo(const SolidCase& c, std::ostream* out) { *out << c.name; }

class StlSolid : public testing::TestWithParam<SolidCase> {};

TEST_P(StlSolid, IsClosedFacesOutwardAndHoldsTheColumnsVolume)
{
    const SolidCase& c = GetParam();
    const ImageSurface surface = SurfaceWith(c.picture);
    EditorState state;
    ResetGrid(state, surface);
    state.solid = c.settings;
    if (c.earlierGridSize != 0) {
        ApplyGridSizeText(state, std::to_string(c.earlierGridSize));
        SampleHeights(state, surface);
    }
    ApplyGridSizeText(state, std::to_string(c.gridSize));
    const TempFolder folder;
    WriteMesh(MeshFormat::Stl, state, surface, folder.file("solid.stl"));
    const StlFile stl = ParseStl(ReadWholeFile(folder.file("solid.stl")));

    ASSERT_TRUE(stl.sizeMatches);
    ASSERT_EQ(stl.triangles.size(), stl.count);
    const SolidReport report = Examine(stl);
    EXPECT_EQ(report.degenerate, 0u);
    EXPECT_EQ(report.badNormals, 0u);
    EXPECT_EQ(report.unpairedEdges, 0u);
    EXPECT_EQ(report.badAttributes, 0u);
    EXPECT_EQ(report.lowest, 0.0f);
    EXPECT_EQ(report.highest, c.highest);
    const Placement at(state, c.settings);
    EXPECT_EQ(CornersOffTheGrid(stl, state, at), 0u);
    EXPECT_GT(report.volume, 0);
    // The corners are floats: the volume holds to their precision.
    EXPECT_NEAR(report.volume, ColumnVolumes(state, at), 1e-6 * report.volume);
    if (c.knownVolume != 0) {
        EXPECT_NEAR(report.volume, c.knownVolume, 1e-6 * report.volume);
    }
}

// 40 x 40 at grid 10: steps 4, grid column i reads image column 40 - 4i, row j row 4j;
// the white pixel at (12, 20) is grid point (7, 5). With the defaults a 40 x 40 picture
// gives a 100 x 100 mm footprint, white at 2 + 10 mm.
INSTANTIATE_TEST_SUITE_P(
    Pictures, StlSolid,
    testing::Values(SolidCase{"Flat", MakePicture(40, 40, Grey(128)), 10, 0, float(2 + 10 * ((128 / 25.0) / 10.2)), 0},
                    SolidCase{"RampAtTheLargestGrid", Ramp(300), 300, 0, 12.0f, 0},
                    // The spike's grid point is a corner of six triangles of a twentieth of
                    // a cell, 100 / 11 x 100 / 10 mm: it adds its 10 mm times 6 / 3 of one.
                    SolidCase{"SingleSpike", MakePicture(40, 40, kBlack, {{12, 20, kWhite}}), 10, 0, 12.0f,
                              100 * 100 * 2 + 10 * (100 / 11.0) * (100 / 10.0)},
                    SolidCase{"AllBlackIsASlabAsThickAsTheBase", MakePicture(40, 40, kBlack), 10, 0, 2.0f, 100 * 100 * 2},
                    SolidCase{"HeightsLeftBeyondTheGrid", MakePicture(40, 40, kWhite), 10, 20, 12.0f, 0},
                    SolidCase{"GridOne", MakePicture(4, 4, kWhite), 1, 0, 2.0f, 100 * 100 * 2},
                    // Settings of every kind: the solid stays closed wherever it is placed.
                    // Inverted, the border's unsampled points rise to the top with the black pixel.
                    SolidCase{"InvertedTallSpike", MakePicture(20, 80, kWhite, {{6, 40, kBlack}}), 10, 0,
                              float(0.5 + 3.25), 0, {250, 3.25, 0.5, true, true}},
                    SolidCase{"SquareAndThin", MakePicture(90, 30, Grey(200)), 7, 0,
                              float(0.01 + 0.01 * ((600 / 75.0) / 10.2)), 0, {1, 0.01, 0.01, false, false}},
                    SolidCase{"LargestEverything", Ramp(64), 64, 0, 20000.0f, 0, {10000, 10000, 10000, true, false}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Exact bytes -----------------------------------------------------------------------

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

TEST(WriteStl, HeaderCountAndFirstTriangleAreLittleEndianFieldByField)
{
    // Grid 1: the one sampled point lies a row below the picture, so the surface is flat
    // at 0, which stands at the 2 mm base. Two cells give 4 triangles, the walls 6 grid
    // steps round 12, the bottom 4. The grid's 2 x 1 cells span 100 x 100 mm.
    const ImageSurface surface = SurfaceWith(MakePicture(4, 4, kWhite));
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "1");
    const TempFolder folder;
    WriteMesh(MeshFormat::Stl, state, surface, folder.file("solid.stl"));
    const std::string file = ReadWholeFile(folder.file("solid.stl"));
    ASSERT_EQ(file.size(), 84u + 20 * 50);

    const std::string credit = "Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH), grid 1";
    EXPECT_EQ(file.substr(0, 80), credit + std::string(80 - credit.size(), '\0'));
    EXPECT_EQ(file.substr(80, 4), Bytes({20, 0, 0, 0}));
    // Cell (1, 0), corners 1, 2, 3: (50, 0, 2), (100, 0, 2), (100, 100, 2) mm, facing up.
    EXPECT_EQ(file.substr(84, 50), Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x3F,              // normal 0, 0, 1
                                          0, 0, 0x48, 0x42, 0, 0, 0, 0, 0, 0, 0, 0x40,           // 50, 0, 2
                                          0, 0, 0xC8, 0x42, 0, 0, 0, 0, 0, 0, 0, 0x40,           // 100, 0, 2
                                          0, 0, 0xC8, 0x42, 0, 0, 0xC8, 0x42, 0, 0, 0, 0x40,     // 100, 100, 2
                                          0, 0}));                                               // attribute
}

TEST(WriteStl, TheExportOptionsDoNotApply)
{
    const ImageSurface surface = SurfaceWith(MakePicture(40, 40, kBlack, {{12, 20, kWhite}, {20, 20, kWhite}}));
    const TempFolder folder;
    std::vector<std::string> files;
    for (const auto& [black, white] : {std::pair{true, true}, {false, true}, {true, false}, {false, false}}) {
        EditorState state;
        ResetGrid(state, surface);
        ApplyGridSizeText(state, "10");
        state.exportBlackPlanes = black;
        state.exportWhitePlanes = white;
        WriteMesh(MeshFormat::Stl, state, surface, folder.file("solid.stl"));
        files.push_back(ReadWholeFile(folder.file("solid.stl")));
    }
    for (const std::string& file : files)
        EXPECT_EQ(file, files.front());
}

// ---- Sampling and failures -----------------------------------------------------------

TEST(WriteStl, SamplesTheGridExactlyAsTheDxfExportDoes)
{
    const ImageSurface surface = SurfaceWith(Ramp(64));
    EditorState viaStl, viaDxf;
    for (EditorState* state : {&viaStl, &viaDxf}) {
        ResetGrid(*state, surface);
        ApplyGridSizeText(*state, "23");
    }
    const TempFolder folder;
    WriteMesh(MeshFormat::Stl, viaStl, surface, folder.file("a.stl"));
    WriteMesh(MeshFormat::Dxf, viaDxf, surface, folder.file("a.dxf"));
    for (int i = 0; i <= HeightGrid::kMaxIndex; ++i)
        for (int j = 0; j <= HeightGrid::kMaxIndex; ++j)
            ASSERT_EQ(viaStl.heights.at(i, j), viaDxf.heights.at(i, j)) << i << ", " << j;
    EXPECT_EQ(viaStl.stepX, viaDxf.stepX);
    EXPECT_EQ(viaStl.stepY, viaDxf.stepY);
}

TEST(WriteStl, AnIconFailsBeforeTheFileIsTouched)
{
    const ImageSurface surface = IconSurface();
    EditorState state;
    ResetGrid(state, surface);
    const TempFolder folder;
    WriteWholeFile(folder.file("old.stl"), "old");
    EXPECT_EQ(FailureOf([&] { WriteMesh(MeshFormat::Stl, state, surface, folder.file("old.stl")); }), Failure::NotABitmap);
    EXPECT_EQ(ReadWholeFile(folder.file("old.stl")), "old");
}

TEST(WriteStl, WriteFailuresNameTheirCauseAndKeepTheOldFile)
{
    const ImageSurface surface = SurfaceWith(Ramp(64));
    EditorState state;
    ResetGrid(state, surface);
    const TempFolder folder;
    EXPECT_EQ(FailureOf([&] { WriteMesh(MeshFormat::Stl, state, surface, folder.file("missing/solid.stl")); }),
              Failure::InvalidFilename);

    WriteWholeFile(folder.file("old.stl"), "old");
    ApplyGridSizeText(state, "300");  // 9 MB: more than one buffer's write
    ScriptedFileOps ops;
    ops.failWriteNumber = 2;  // past the header, inside the triangles
    ops.failWriteWith = ENOSPC;
    try {
        WriteMesh(MeshFormat::Stl, state, surface, folder.file("old.stl"), ops);
        FAIL() << "no error";
    } catch (const EditorError& error) {
        EXPECT_EQ(error.failure(), Failure::Io);
        EXPECT_EQ(std::string(error.what()), "I/O error " + std::to_string(ENOSPC));
    }
    EXPECT_EQ(ReadWholeFile(folder.file("old.stl")), "old");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"old.stl"});
}

} // namespace
