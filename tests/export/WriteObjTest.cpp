// The OBJ holds the DXF's faces with shared vertices: a small file pinned line by line,
// and for every pair of options both files read back and compared face by face.

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <set>

#include "export/MeshExport.h"
#include "model/EditorState.h"
#include "model/SampleHeights.h"
#include "tests/files/ScriptedFileOps.h"
#include "tests/support/Failures.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

class WriteObjTest : public testing::Test {
protected:
    void prepare(Picture picture, int gridSize, bool black = true, bool white = true)
    {
        PrepareExport(state_, surface_, std::move(picture), gridSize, {black, white});
    }
    std::string objText()
    {
        WriteMesh(MeshFormat::Obj, state_, surface_, folder_.file("mesh.obj"));
        return ReadWholeFile(folder_.file("mesh.obj"));
    }
    std::string dxfText()
    {
        EditorState copy = state_;
        WriteMesh(MeshFormat::Dxf, copy, surface_, folder_.file("mesh.dxf"));
        return ReadWholeFile(folder_.file("mesh.dxf"));
    }

    TempFolder folder_;
    ImageSurface surface_;
    EditorState state_;
};

// Grid 2 on 4 x 4, as the DXF writer's test of the same picture: grid point (1, 1) reads
// channel sum 1, (2, 1) white; everything else is 0. Vertices column by column: (x, y)
// is number 3x + y + 1.
TEST_F(WriteObjTest, GridTwoLineByLine)
{
    prepare(MakePicture(4, 4, MakeColour(64, 64, 64), {{2, 2, ColourOfSum(1)}, {0, 2, kWhite}}), 2);
    EXPECT_EQ(objText(),
              "# Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH)\n"
              "# Grid size 2, black faces exported, white faces exported\n"
              "v 0 0 0\nv 0 1 0\nv 0 2 0\n"
              "v 1 0 0\nv 1 1 0.0133\nv 1 2 0\n"
              "v 2 0 0\nv 2 1 10.2\nv 2 2 0\n"
              "v 3 0 0\nv 3 1 0\nv 3 2 0\n"
              "f 8 11 12 9\nf 7 10 11 8\n"
              "f 5 8 9 6\nf 4 7 8 5\n"
              "f 2 5 6 3\nf 1 4 5 2\n"
              "f 1 3 12 10\n");
}

TEST_F(WriteObjTest, OnlyUsedCornersBecomeVerticesAndTheHeaderNamesTheOptions)
{
    // Grid 1 without black faces: every face is flat at 0, so nothing is left at all.
    prepare(MakePicture(4, 4, kWhite), 1, false, true);
    EXPECT_EQ(objText(),
              "# Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH)\n"
              "# Grid size 1, black faces not exported, white faces exported\n");
}

struct OptionCase {
    const char* name;
    bool black, white;
    const char* header;
};

void PrintTo(const OptionCase& c, std::ostream* out) { *out << c.name; }

class ObjOptions : public WriteObjTest, public testing::WithParamInterface<OptionCase> {};

TEST_P(ObjOptions, HoldsTheDxfsFacesWithEachCornerOnce)
{
    const OptionCase& c = GetParam();
    prepare(TerrainPicture(), 17, c.black, c.white);
    const ObjFile obj = ParseObj(objText());
    const std::vector<MeshFileFace> dxfFaces = DxfFaces(dxfText());

    EXPECT_TRUE(obj.otherLines.empty());
    EXPECT_EQ(obj.comments, (std::vector<std::string>{"Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH)",
                                                      c.header}));
    ASSERT_FALSE(dxfFaces.empty());
    EXPECT_EQ(ObjFaces(obj), dxfFaces);
    const std::set<MeshFilePoint> distinct(obj.vertices.begin(), obj.vertices.end());
    EXPECT_EQ(distinct.size(), obj.vertices.size());
    std::set<long> used;
    for (const std::vector<long>& face : obj.faces)
        used.insert(face.begin(), face.end());
    EXPECT_EQ(used.size(), obj.vertices.size());
}

INSTANTIATE_TEST_SUITE_P(
    Options, ObjOptions,
    testing::Values(OptionCase{"BothOn", true, true, "Grid size 17, black faces exported, white faces exported"},
                    OptionCase{"BlackOff", false, true,
                               "Grid size 17, black faces not exported, white faces exported"},
                    OptionCase{"WhiteOff", true, false,
                               "Grid size 17, black faces exported, white faces not exported"},
                    OptionCase{"BothOff", false, false,
                               "Grid size 17, black faces not exported, white faces not exported"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteObjTest, ABaseCornerOverAHeightLeftBeyondTheGridGetsAVertexOfItsOwn)
{
    // Grid 10 reads up to grid column 11, which an earlier sampling may have filled; the
    // base face's corner there stays at 0 under the surface's corner.
    prepare(TerrainPicture(), 10);
    state_.heights.set(11, 10, 5.0);
    const ObjFile obj = ParseObj(objText());
    EXPECT_EQ(ObjFaces(obj), DxfFaces(dxfText()));
    ASSERT_EQ(obj.vertices.size(), 12u * 11u + 1);
    EXPECT_EQ(obj.vertices[12 * 11 - 1], (MeshFilePoint{11, 10, 5}));  // the last grid point
    EXPECT_EQ(obj.vertices.back(), (MeshFilePoint{11, 10, 0}));
}

TEST_F(WriteObjTest, HeightsHaveTheDxfsDigitsWithoutTrailingZeros)
{
    // Maroon (1.7067), white (10.2), sum 1 (0.0133) and a height no sampling makes.
    prepare(MakePicture(3, 3, kMaroon, {{0, 1, kWhite}, {1, 1, ColourOfSum(1)}}), 3);
    state_.heights.set(0, 1, 1234.56789);  // grid column 0 is never sampled
    const std::string text = objText();
    for (const char* line : {"v 1 1 1.7067\n", "v 2 1 0.0133\n", "v 3 1 10.2\n", "v 0 1 1234.5679\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(WriteObjTest, FailsLikeTheDxfExportAndKeepsTheOldFile)
{
    prepare(TerrainPicture(), 50);
    WriteWholeFile(folder_.file("old.obj"), "old");
    ScriptedFileOps ops;
    ops.failWriteNumber = 1;
    ops.failWriteWith = EACCES;
    EXPECT_EQ(FailureOf([&] { WriteMesh(MeshFormat::Obj, state_, surface_, folder_.file("old.obj"), ops); }), Failure::AccessDenied);
    EXPECT_EQ(FailureOf([&] { WriteMesh(MeshFormat::Obj, state_, surface_, folder_.file("missing/a.obj")); }),
              Failure::InvalidFilename);
    surface_.putPicture(IconSurface().picture());
    EXPECT_EQ(FailureOf([&] { WriteMesh(MeshFormat::Obj, state_, surface_, folder_.file("old.obj")); }), Failure::NotABitmap);
    EXPECT_EQ(ReadWholeFile(folder_.file("old.obj")), "old");
    EXPECT_EQ(folder_.names(), std::vector<std::string>{"old.obj"});
}

} // namespace
