// The drawing arrays must hold exactly the faces the DXF file holds, in its order, for
// every pair of options; a rebuild must not allocate, and no grid size may break it.
#include "export/MeshVertices.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "export/MeshExport.h"
#include "model/EditorState.h"
#include "model/SampleHeights.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

// The faces the array draws, as the file would print their corners: of each face's six
// vertices, the first, second, third and sixth are corners 1 to 4; the fourth and fifth
// repeat corners 1 and 3.
std::vector<MeshFileFace> DrawnFaces(const MeshVertices& mesh)
{
    std::vector<MeshFileFace> faces;
    const auto vertex = [&](std::size_t face, std::size_t k, std::size_t axis) {
        return mesh.positions[face * kFloatsPerFace + k * 3 + axis];
    };
    for (std::size_t f = 0; f < mesh.faceCount(); ++f) {
        MeshFileFace face{};
        const std::size_t corners[4] = {0, 1, 2, 5};
        for (std::size_t c = 0; c < 4; ++c)
            face[c] = {vertex(f, corners[c], 0), vertex(f, corners[c], 1), vertex(f, corners[c], 2)};
        for (std::size_t axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(vertex(f, 3, axis), vertex(f, 0, axis)) << "face " << f;
            EXPECT_EQ(vertex(f, 4, axis), vertex(f, 2, axis)) << "face " << f;
        }
        faces.push_back(face);
    }
    return faces;
}

// The upward part of a triangle's normal by the right-hand rule: positive when its
// corners run counter-clockwise seen from above.
float Upwardness(const float* a, const float* b, const float* c)
{
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

class MeshVerticesOptions : public testing::TestWithParam<std::pair<bool, bool>> {};

// An export at grid 40 leaves heights in columns the later grid of 17 does not sample;
// the faces of column 17 read column 18, in the file and in the arrays alike.
TEST_P(MeshVerticesOptions, DrawTheFacesOfTheDxfFileInItsOrder)
{
    const auto [black, white] = GetParam();
    const ImageSurface surface = SurfaceWith(TerrainPicture());
    EditorState state;
    ResetGrid(state, surface);
    state.exportBlackPlanes = black;
    state.exportWhitePlanes = white;
    const TempFolder folder;
    ApplyGridSizeText(state, "40");
    WriteMesh(MeshFormat::Dxf, state, surface, folder.file("first.dxf"));
    ApplyGridSizeText(state, "17");
    WriteMesh(MeshFormat::Dxf, state, surface, folder.file("mesh.dxf"));
    ASSERT_NE(state.heights.at(18, 5), 0.0);
    const std::vector<MeshFileFace> written = DxfFaces(ReadWholeFile(folder.file("mesh.dxf")));

    MeshVertices mesh;
    BuildMeshVertices(MeshHeights(state.heights, MeshGridSize(state)), OptionsOf(state), mesh);
    EXPECT_EQ(mesh.hasBaseFace, black == white);
    const std::vector<MeshFileFace> drawn = DrawnFaces(mesh);
    ASSERT_EQ(drawn.size(), written.size());
    for (std::size_t f = 0; f < drawn.size(); ++f)
        for (std::size_t c = 0; c < 4; ++c)
            for (std::size_t axis = 0; axis < 3; ++axis)
                ASSERT_NEAR(Coordinate(drawn[f][c], axis), Coordinate(written[f][c], axis), 0.00006)
                    << "face " << f << " corner " << c;
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
    BuildMeshVertices(MeshHeights(state.heights, MeshGridSize(state)), OptionsOf(state), mesh);
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

// Both triangles of a face turn as the face does, cell faces up and the base face down,
// so they face where a modelling package reading the file sees the faces face.
TEST(MeshVerticesTest, TrianglesTurnAsTheirFace)
{
    EditorState state;
    state.gridSize = 3;
    MeshVertices mesh;
    BuildMeshVertices(MeshHeights(state.heights, MeshGridSize(state)), OptionsOf(state), mesh);
    ASSERT_EQ(mesh.faceCount(), 4u * 3u + 1u);
    for (std::size_t f = 0; f < mesh.faceCount(); ++f) {
        const float* v = mesh.positions.data() + f * kFloatsPerFace;
        const bool base = f + 1 == mesh.faceCount();
        for (const float* triangle : {v, v + 9}) {
            const float up = Upwardness(triangle, triangle + 3, triangle + 6);
            EXPECT_EQ(up, base ? -12.0f : 1.0f) << "face " << f;  // the base face spans 4 x 3
        }
    }
}

// A preview rebuilds on every stroke step: once the arrays have held a mesh of the
// grid size, building again must not touch the heap.
TEST(MeshVerticesTest, RebuildingAtTheSameGridSizeAllocatesNothing)
{
    const ImageSurface surface = SurfaceWith(TerrainPicture());
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "300");
    state.exportBlackPlanes = false;  // fewer faces the first time
    MeshHeights heights;
    SampleHeights(state, surface, heights);
    MeshVertices mesh;
    BuildMeshVertices(heights, OptionsOf(state), mesh);
    state.exportBlackPlanes = true;
    const long before = AllocationCount();
    SampleHeights(state, surface, heights);
    BuildMeshVertices(heights, OptionsOf(state), mesh);
    EXPECT_EQ(AllocationCount(), before);
    EXPECT_EQ(mesh.faceCount(), 301u * 300u + 1u);
}

struct GridRow {
    int gridSize;
    std::size_t faces;
    float farCorner;  // the base face's third corner's X
};

class MeshVerticesGrid : public testing::TestWithParam<GridRow> {};

// The grid box keeps the size within 1..300; whatever value reaches the state, the
// array holds whole faces within the grid's reach.
TEST_P(MeshVerticesGrid, AnyGridSizeGivesWholeFaces)
{
    const GridRow& row = GetParam();
    EditorState state;
    state.gridSize = row.gridSize;
    MeshVertices mesh;
    BuildMeshVertices(MeshHeights(state.heights, MeshGridSize(state)), OptionsOf(state), mesh);
    EXPECT_EQ(mesh.positions.size(), row.faces * kFloatsPerFace);
    ASSERT_TRUE(mesh.hasBaseFace);
    EXPECT_EQ(mesh.positions[mesh.positions.size() - kFloatsPerFace + 6], row.farCorner);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MeshVerticesGrid,
                         testing::Values(GridRow{1, 3, 2.0f}, GridRow{300, 301 * 300 + 1, 301.0f},
                                         GridRow{1000, 301 * 300 + 1, 301.0f}, GridRow{0, 1, 1.0f},
                                         GridRow{-7, 1, -6.0f}),
                         [](const auto& info) {
                             const int size = info.param.gridSize;
                             return size < 0 ? "Minus" + std::to_string(-size) : std::to_string(size);
                         });

} // namespace
