// The 3MF package read back with libzip's reader and the test's own model parser: its
// three parts in order, the package's two fixed parts to the byte, the model in
// millimetres with one object and one build item, each vertex once, and the STL's
// triangles exactly: same corners to the last bit, same order, same turning. Then the
// same bytes every time, and the failures of the other exports.
#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

#include "export/MeshExport.h"
#include "model/EditorState.h"
#include "tests/files/ScriptedFileOps.h"
#include "tests/support/Failures.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ZipFiles.h"

namespace {

Picture Relief(int width, int height)
{
    Picture picture = MakePicture(width, height, kBlack);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(picture, x, y, ColourOfSum((x * 13 + y * y * 3) % 766));
    return picture;
}

struct Exported {
    std::string stl;
    std::string package;
};

Exported ExportBoth(const Picture& picture, int gridSize, const SolidSettings& settings)
{
    const ImageSurface surface = SurfaceWith(picture);
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, std::to_string(gridSize));
    state.solid = settings;
    const TempFolder folder;
    WriteMesh(MeshFormat::Stl, state, surface, folder.file("solid.stl"));
    WriteMesh(MeshFormat::ThreeMf, state, surface, folder.file("solid.3mf"));
    return {ReadWholeFile(folder.file("solid.stl")), ReadWholeFile(folder.file("solid.3mf"))};
}

ZipContents Unzip(const std::string& package)
{
    const TempFolder folder;
    WriteWholeFile(folder.file("p.3mf"), package);
    return ReadZip(folder.file("p.3mf"));
}

struct PackageCase {
    const char* name;
    Picture picture;
    int gridSize;
    SolidSettings settings;
};

void PrintTo(const PackageCase& c, std::ostream* out) { *out << c.name; }

class ThreeMfPackage : public testing::TestWithParam<PackageCase> {};

TEST_P(ThreeMfPackage, HoldsTheStlsSolidWithSharedVertices)
{
    const PackageCase& c = GetParam();
    const Exported files = ExportBoth(c.picture, c.gridSize, c.settings);
    const ZipContents contents = Unzip(files.package);
    ASSERT_TRUE(contents.ok);
    ASSERT_EQ(contents.entries.size(), 3u);
    EXPECT_EQ(contents.entries[0].name, "[Content_Types].xml");
    EXPECT_EQ(contents.entries[1].name, "_rels/.rels");
    EXPECT_EQ(contents.entries[2].name, "3D/3dmodel.model");
    for (const ZipEntry& entry : contents.entries)
        EXPECT_EQ(entry.method, 8) << entry.name;  // deflated

    const ThreeMfModel model = Parse3mfModel(contents.entries[2].bytes);
    EXPECT_EQ(model.unit, "millimeter");
    EXPECT_EQ(model.objects, std::vector<std::string>{"1 model"});
    EXPECT_EQ(model.buildItems, std::vector<std::string>{"1"});
    EXPECT_EQ(model.oddNumbers, 0u);
    const std::set<StlVertex> distinct(model.vertices.begin(), model.vertices.end());
    EXPECT_EQ(distinct.size(), model.vertices.size());

    const StlFile stl = ParseStl(files.stl);
    ASSERT_EQ(model.triangles.size(), stl.triangles.size());
    std::size_t differ = 0, outside = 0;
    for (std::size_t t = 0; t < stl.triangles.size(); ++t)
        for (std::size_t k = 0; k < 3; ++k) {
            const long v = model.triangles[t][k];
            if (v < 0 || static_cast<std::size_t>(v) >= model.vertices.size())
                ++outside;
            else if (!(model.vertices[static_cast<std::size_t>(v)] == stl.triangles[t].corners[k]))
                ++differ;
        }
    EXPECT_EQ(outside, 0u);
    EXPECT_EQ(differ, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, ThreeMfPackage,
    testing::Values(PackageCase{"Wide", Relief(97, 61), 23, {}},
                    PackageCase{"TallInverted", Relief(40, 130), 17, {120, 4, 1.5, true, true}},
                    PackageCase{"SquareAtTheLargestGrid", Relief(300, 200), 300, {80, 8, 0.6, false, false}},
                    PackageCase{"GridOne", MakePicture(4, 4, kWhite), 1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Write3mf, ThePackagesOwnPartsAreExact)
{
    const ZipContents contents = Unzip(ExportBoth(MakePicture(8, 8, kWhite), 3, {}).package);
    ASSERT_EQ(contents.entries.size(), 3u);
    EXPECT_EQ(contents.entries[0].bytes,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n"
              "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>\n"
              "<Default Extension=\"model\" ContentType=\"application/vnd.ms-package.3dmanufacturing-3dmodel+xml\"/>\n"
              "</Types>\n");
    EXPECT_EQ(contents.entries[1].bytes,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
              "<Relationship Target=\"/3D/3dmodel.model\" Id=\"rel0\" "
              "Type=\"http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel\"/>\n"
              "</Relationships>\n");
    const std::string& model = contents.entries[2].bytes;
    EXPECT_TRUE(model.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<model unit=\"millimeter\""));
    // The first vertex is grid point (0, 0): the corner at the base.
    EXPECT_NE(model.find("<vertices>\n<vertex x=\"0\" y=\"0\" z=\"2\"/>\n<vertex x=\"0\" y=\"33.333332\" z=\"2\"/>\n"),
              std::string::npos);
    EXPECT_TRUE(model.ends_with("</triangles>\n</mesh>\n</object>\n</resources>\n<build>\n<item objectid=\"1\"/>\n"
                                "</build>\n</model>\n"));
}

TEST(Write3mf, TheSamePictureAndSettingsGiveTheSameBytes)
{
    const Picture picture = Relief(120, 90);
    const std::string first = ExportBoth(picture, 60, {}).package;
    EXPECT_TRUE(ExportBoth(picture, 60, {}).package == first);
    EXPECT_FALSE(ExportBoth(picture, 60, {100, 10, 2, true, true}).package == first);
    for (const LocalHeader& header : LocalHeaders(first)) {
        EXPECT_EQ(header.time, 0) << header.name;
        EXPECT_EQ(header.date, (1 << 5) | 1) << header.name;
    }
}

TEST(Write3mf, AnIconFailsBeforeTheFileIsTouched)
{
    const ImageSurface surface = IconSurface();
    EditorState state;
    ResetGrid(state, surface);
    const TempFolder folder;
    WriteWholeFile(folder.file("old.3mf"), "old");
    EXPECT_EQ(FailureOf([&] { WriteMesh(MeshFormat::ThreeMf, state, surface, folder.file("old.3mf")); }),
              Failure::NotABitmap);
    EXPECT_EQ(ReadWholeFile(folder.file("old.3mf")), "old");
}

struct WriteFailureCase {
    const char* name;
    int failWriteNumber;
    int errorCode;
    Failure failure;
};

void PrintTo(const WriteFailureCase& c, std::ostream* out) { *out << c.name; }

class ThreeMfWriteFailure : public testing::TestWithParam<WriteFailureCase> {};

// At the largest grid the model part runs past the writer's block, so the failing write
// may be a block, a header fixed in place or the central directory.
TEST_P(ThreeMfWriteFailure, NamesItsCauseAndKeepsTheOldFile)
{
    const WriteFailureCase& c = GetParam();
    const ImageSurface surface = SurfaceWith(Relief(300, 300));
    EditorState state;
    ResetGrid(state, surface);
    ApplyGridSizeText(state, "300");
    const TempFolder folder;
    WriteWholeFile(folder.file("old.3mf"), "old");
    ScriptedFileOps ops;
    ops.failWriteNumber = c.failWriteNumber;
    ops.failWriteWith = c.errorCode;
    try {
        WriteMesh(MeshFormat::ThreeMf, state, surface, folder.file("old.3mf"), ops);
        FAIL() << "no error";
    } catch (const EditorError& error) {
        EXPECT_EQ(error.failure(), c.failure);
        EXPECT_EQ(std::string(error.what()), FailureText(c.failure, std::to_string(c.errorCode)));
    }
    EXPECT_EQ(ReadWholeFile(folder.file("old.3mf")), "old");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"old.3mf"});
}

INSTANTIATE_TEST_SUITE_P(Writes, ThreeMfWriteFailure,
                         testing::Values(WriteFailureCase{"FirstBlockDiskFull", 1, ENOSPC, Failure::Io},
                                         WriteFailureCase{"HeaderFixDenied", 3, EACCES, Failure::AccessDenied},
                                         WriteFailureCase{"LaterTooLarge", 4, EFBIG, Failure::Io}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Write3mf, AMissingFolderIsAnInvalidFilename)
{
    const ImageSurface surface = SurfaceWith(Relief(30, 30));
    EditorState state;
    ResetGrid(state, surface);
    const TempFolder folder;
    EXPECT_EQ(FailureOf([&] { WriteMesh(MeshFormat::ThreeMf, state, surface, folder.file("missing/a.3mf")); }),
              Failure::InvalidFilename);
}

} // namespace
