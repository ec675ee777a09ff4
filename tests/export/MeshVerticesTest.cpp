// The drawing arrays must hold exactly the faces the DXF file holds, in its order, for
// every pair of options; a rebuild must not allocate, and no grid size may break them.
#include "export/MeshVertices.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "export/WriteDxf.h"
#include "model/EditorState.h"
#include "model/SampleHeights.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/DxfFaces.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

// A 60 x 40 picture with black, white, intensity-250 and graded areas.
Picture TestTerrain()
{
    Picture picture = MakePicture(60, 40, kBlack);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            if (x >= 20 && x < 35)
                SetPixel(picture, x, y, kWhite);
            else if (x >= 35 && x < 45)
                SetPixel(picture, x, y, Grey(250));
            else if (x >= 45)
                SetPixel(picture, x, y, ColourOfSum((x * 13 + y * 7) % 766));
        }
    return picture;
}

// The faces the arrays draw, two triangles at a time, as the file would print their
// corners: (1, 2, 3) and (1, 3, 4) give back corners 1 to 4.
std::vector<DxfFace> DrawnFaces(const MeshVertices& mesh)
{
    std::vector<DxfFace> faces;
    for (std::size_t t = 0; t + 5 < mesh.triangles.size(); t += 6) {
        const std::uint32_t* tri = mesh.triangles.data() + t;
        EXPECT_EQ(tri[3], tri[0]);
        EXPECT_EQ(tri[4], tri[2]);
        const std::uint32_t corners[4] = {tri[0], tri[1], tri[2], tri[5]};
        DxfFace face{};
        for (std::size_t c = 0; c < 4; ++c)
            for (std::size_t k = 0; k < 3; ++k)
                face[3 * c + k] = mesh.positions[std::size_t{corners[c]} * 3 + k];
        faces.push_back(face);
    }
    return faces;
}

class MeshVerticesOptions : public testing::TestWithParam<std::pair<bool, bool>> {};

// An export at grid 40 leaves heights in columns the later grid of 17 does not sample;
// the faces of column 17 read column 18, in the file and in the arrays alike.
TEST_P(MeshVerticesOptions, DrawTheFacesOfTheDxfFileInItsOrder)
{
    const auto [black, white] = GetParam();
    const ImageSurface surface = SurfaceWith(TestTerrain());
    EditorState state;
    ResetGrid(state, surface);
    state.exportBlackPlanes = black;
    state.exportWhitePlanes = white;
    const TempFolder folder;
    ApplyGridSizeText(state, "40");
    WriteDxf(state, surface, folder.file("first.dxf"));
    ApplyGridSizeText(state, "17");
    WriteDxf(state, surface, folder.file("mesh.dxf"));
    ASSERT_NE(state.heights.at(18, 5), 0.0);
    const std::vector<DxfFace> written = DxfFacesOf(ReadWholeFile(folder.file("mesh.dxf")));

    MeshVertices mesh;
    BuildMeshVertices(state, mesh, false);
    EXPECT_EQ(mesh.gridSize, 17);
    EXPECT_EQ(mesh.vertexCount(), 19u * 18u + 4u);
    EXPECT_EQ(mesh.hasBaseFace, black == white);
    const std::vector<DxfFace> drawn = DrawnFaces(mesh);
    ASSERT_EQ(drawn.size(), written.size());
    for (std::size_t f = 0; f < drawn.size(); ++f)
        for (std::size_t k = 0; k < 12; ++k)
            ASSERT_NEAR(drawn[f][k], written[f][k], 0.00006) << "face " << f << " value " << k;
}

INSTANTIATE_TEST_SUITE_P(Options, MeshVerticesOptions,
                         testing::Values(std::pair{true, true}, std::pair{false, true}, std::pair{true, false},
                                         std::pair{false, false}));

struct CountRow {
    const char* name;
    ColourValue background;
    bool black, white;
    std::size_t faces;
    bool base;
};

class MeshVerticesCounts : public testing::TestWithParam<CountRow> {};

// Grid 4 on an 8 x 8 picture with a 4 x 4 square of the other colour in its middle:
// sampling reads columns 6, 4, 2, 0 and rows 2, 4, 6, 8 (the last one below the
// picture, black), so grid points (2..3, 1..2) fall on the square. 20 cell faces.
TEST_P(MeshVerticesCounts, LeaveOutWhatTheOptionsLeaveOut)
{
    const CountRow& row = GetParam();
    Picture picture = MakePicture(8, 8, row.background);
    const ColourValue square = row.background == kBlack ? kWhite : kBlack;
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 6; ++x)
            SetPixel(picture, x, y, square);
    const ImageSurface surface = SurfaceWith(picture);
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "4");
    state.exportBlackPlanes = row.black;
    state.exportWhitePlanes = row.white;
    SampleHeights(state, surface);
    MeshVertices mesh;
    BuildMeshVertices(state, mesh, false);
    EXPECT_EQ(mesh.faceCount(), row.faces);
    EXPECT_EQ(mesh.hasBaseFace, row.base);
}

// On black with a white square: the 9 cells around the 4 white points touch one, the
// other 11 are flat at 0, and only the middle cell (2, 1) is white on all four corners.
// On white with a black square: the 8 white points (columns 1 and 4, the rest of row 3)
// touch all cells but (2, 0) and (2, 1); none is white on all four corners, since
// column 0, column 5, row 0 and row 4 stay at 0.
INSTANTIATE_TEST_SUITE_P(
    Pictures, MeshVerticesCounts,
    testing::Values(CountRow{"BothOn", kBlack, true, true, 21, true},
                    CountRow{"BlackOff", kBlack, false, true, 9, false},
                    CountRow{"WhiteOff", kBlack, true, false, 19, false},
                    CountRow{"BothOff", kBlack, false, false, 9, true},
                    CountRow{"WhiteGroundBlackOff", kWhite, false, true, 18, false},
                    CountRow{"WhiteGroundWhiteOff", kWhite, true, false, 20, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MeshVerticesTest, EdgesFollowEachFacesCornersWhenAskedFor)
{
    const ImageSurface surface = SurfaceWith(TestTerrain());
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "6");
    SampleHeights(state, surface);
    MeshVertices mesh;
    BuildMeshVertices(state, mesh, false);
    EXPECT_TRUE(mesh.edges.empty());
    BuildMeshVertices(state, mesh, true);
    ASSERT_EQ(mesh.edges.size(), mesh.faceCount() * 8);
    for (std::size_t f = 0; f < mesh.faceCount(); ++f) {
        const std::uint32_t* tri = mesh.triangles.data() + f * 6;
        const std::uint32_t corners[4] = {tri[0], tri[1], tri[2], tri[5]};
        for (std::size_t e = 0; e < 4; ++e) {
            EXPECT_EQ(mesh.edges[f * 8 + e * 2], corners[e]);
            EXPECT_EQ(mesh.edges[f * 8 + e * 2 + 1], corners[(e + 1) % 4]);
        }
    }
}

// A preview rebuilds on every stroke step: once the arrays have held a mesh of the
// grid size, building again must not touch the heap.
TEST(MeshVerticesTest, RebuildingAtTheSameGridSizeAllocatesNothing)
{
    const ImageSurface surface = SurfaceWith(TestTerrain());
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "300");
    state.exportBlackPlanes = false;  // fewer faces the first time
    SampleHeights(state, surface);
    MeshVertices mesh;
    BuildMeshVertices(state, mesh, true);
    state.exportBlackPlanes = true;
    const long before = AllocationCount();
    BuildMeshVertices(state, mesh, true);
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_EQ(mesh.faceCount(), 301u * 300u + 1u);
}

struct GridRow {
    int gridSize;
    int builtOn;
    std::size_t faces;
};

class MeshVerticesGrid : public testing::TestWithParam<GridRow> {};

// The grid box keeps the size within 1..300; whatever value reaches the state, the
// arrays stay within themselves: every vertex number a triangle uses exists.
TEST_P(MeshVerticesGrid, AnyGridSizeGivesConsistentArrays)
{
    const GridRow& row = GetParam();
    EditorState state;
    state.gridSize = row.gridSize;
    MeshVertices mesh;
    BuildMeshVertices(state, mesh, true);
    EXPECT_EQ(mesh.gridSize, row.builtOn);
    EXPECT_EQ(mesh.faceCount(), row.faces);
    for (std::uint32_t vertex : mesh.triangles)
        ASSERT_LT(vertex, mesh.vertexCount());
    for (std::uint32_t vertex : mesh.edges)
        ASSERT_LT(vertex, mesh.vertexCount());
}

INSTANTIATE_TEST_SUITE_P(Sizes, MeshVerticesGrid,
                         testing::Values(GridRow{1, 1, 3}, GridRow{300, 300, 301 * 300 + 1},
                                         GridRow{1000, 300, 301 * 300 + 1}, GridRow{0, 0, 1},
                                         GridRow{-7, 0, 1}),
                         [](const auto& info) {
                             const int size = info.param.gridSize;
                             return size < 0 ? "Minus" + std::to_string(-size) : std::to_string(size);
                         });

} // namespace
