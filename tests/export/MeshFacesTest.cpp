// The mesh's faces as one list must be exactly the faces the DXF file holds, in its
// order, for every pair of options: the DXF is parsed back and compared face by face.
#include "export/MeshFaces.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "export/WriteDxf.h"
#include "model/EditorState.h"
#include "model/SampleHeights.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

struct ParsedFace {
    double values[12];  // X, Y, Z of corners 1 to 4, as the file prints them
};

// The 3DFACE entities of a DXF file, in file order.
std::vector<ParsedFace> FacesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    std::vector<ParsedFace> faces;
    for (std::size_t at = 0; at + 1 < lines.size(); ++at) {
        if (lines[at] != "0" || lines[at + 1] != "3DFACE")
            continue;
        ParsedFace face{};
        // Group codes 10..33 follow the layer: code line, value line, twelve times.
        for (int k = 0; k < 12; ++k)
            face.values[k] = std::strtod(lines[at + 5 + 2 * static_cast<std::size_t>(k)].c_str(), nullptr);
        faces.push_back(face);
    }
    return faces;
}

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

class MeshFacesTest : public testing::TestWithParam<std::pair<bool, bool>> {};

TEST_P(MeshFacesTest, AreTheFacesOfTheDxfFileInItsOrder)
{
    const auto [black, white] = GetParam();
    const ImageSurface surface = SurfaceWith(TestTerrain());
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "17");
    state.exportBlackPlanes = black;
    state.exportWhitePlanes = white;
    const TempFolder folder;
    WriteDxf(state, surface, folder.file("mesh.dxf"));  // samples the heights first
    const std::vector<ParsedFace> written = FacesOf(ReadWholeFile(folder.file("mesh.dxf")));

    std::vector<MeshFace> listed;
    ForEachMeshFace(state, [&](const MeshFace& face) { listed.push_back(face); });
    ASSERT_EQ(listed.size(), written.size());
    EXPECT_EQ(listed.back().base, black == white);
    for (std::size_t f = 0; f < listed.size(); ++f) {
        for (int c = 0; c < 4; ++c) {
            const MeshCorner& corner = listed[f].corners[static_cast<std::size_t>(c)];
            EXPECT_EQ(corner.x, written[f].values[3 * c]) << "face " << f << " corner " << c;
            EXPECT_EQ(corner.y, written[f].values[3 * c + 1]) << "face " << f << " corner " << c;
            EXPECT_NEAR(corner.z, written[f].values[3 * c + 2], 0.00005) << "face " << f << " corner " << c;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Options, MeshFacesTest,
                         testing::Values(std::pair{true, true}, std::pair{false, true}, std::pair{true, false},
                                         std::pair{false, false}));

} // namespace
