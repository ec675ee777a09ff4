// The mesh's faces as one list must be exactly the faces the DXF file holds, in its
// order, for every pair of options: the DXF is parsed back and compared face by face.
#include "export/MeshFaces.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "export/MeshExport.h"
#include "model/EditorState.h"
#include "model/SampleHeights.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

class MeshFacesTest : public testing::TestWithParam<std::pair<bool, bool>> {};

TEST_P(MeshFacesTest, AreTheFacesOfTheDxfFileInItsOrder)
{
    const auto [black, white] = GetParam();
    const ImageSurface surface = SurfaceWith(TerrainPicture());
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "17");
    state.exportBlackPlanes = black;
    state.exportWhitePlanes = white;
    const TempFolder folder;
    WriteMesh(MeshFormat::Dxf, state, surface, folder.file("mesh.dxf"));  // samples the heights first
    const std::vector<MeshFileFace> written = DxfFaces(ReadWholeFile(folder.file("mesh.dxf")));

    std::vector<MeshFace> listed;
    ForEachMeshFace(MeshHeights(state.heights, MeshGridSize(state)), OptionsOf(state), [&](const MeshFace& face) { listed.push_back(face); });
    ASSERT_EQ(listed.size(), written.size());
    EXPECT_EQ(listed.back().base, black == white);
    for (std::size_t f = 0; f < listed.size(); ++f) {
        for (int c = 0; c < 4; ++c) {
            const MeshCorner& corner = listed[f].corners[static_cast<std::size_t>(c)];
            const MeshFilePoint& printed = written[f][static_cast<std::size_t>(c)];
            EXPECT_EQ(corner.x, printed.x) << "face " << f << " corner " << c;
            EXPECT_EQ(corner.y, printed.y) << "face " << f << " corner " << c;
            EXPECT_NEAR(corner.z, printed.z, 0.00005) << "face " << f << " corner " << c;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Options, MeshFacesTest,
                         testing::Values(std::pair{true, true}, std::pair{false, true}, std::pair{true, false},
                                         std::pair{false, false}));

} // namespace
