#include "export/MeshExport.h"

#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "model/BuiltInPicture.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/SampleHeights.h"
#include "tests/files/ScriptedFileOps.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/TempFolder.h"

namespace {

// ---- The expected text, built from literal lines ------------------------------------

std::string Lines(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// An independent formatter for the 8.4 coordinates (the C locale's printf).
std::string Real84(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%8.4f", value);
    return text;
}

constexpr const char* Z = "  0.0000";   // black
constexpr const char* W = " 10.2000";   // white
constexpr const char* M = "  1.7067";   // maroon
constexpr const char* S1 = "  0.0133";  // channel sum 1

struct Corner {
    int x, y;
    const char* z;
};

std::string Face(Corner a, Corner b, Corner c, Corner d)
{
    const std::string ax = Real84(a.x), ay = Real84(a.y), bx = Real84(b.x), by = Real84(b.y);
    const std::string cx = Real84(c.x), cy = Real84(c.y), dx = Real84(d.x), dy = Real84(d.y);
    return Lines({"0", "3DFACE", "8", "PLANE", "10", ax, "20", ay, "30", a.z, "11", bx, "21", by,
                  "31", b.z, "12", cx, "22", cy, "32", c.z, "13", dx, "23", dy, "33", d.z, "62", "0"});
}

const std::string kHeader = Lines({"0", "SECTION", "2", "ENTITIES"});
const std::string kTrailer =
    Lines({"0", "ENDSEC", "0", "EOF", "2", "Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH)"});

std::string BaseFace(const char* size, const char* sizePlusOne)
{
    return Lines({"0", "3DFACE", "8", "PLANE", "10", "0", "20", "0", "30", "0", "11", "   0.000", "21", size,
                  "31", "0", "12", sizePlusOne, "22", size, "32", "0", "13", sizePlusOne, "23", "   0.000",
                  "33", "0", "62", "0"});
}

std::size_t CountOf(const std::string& text, std::string_view what)
{
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

// ---- Running an export --------------------------------------------------------------

class WriteDxfTest : public testing::Test {
protected:
    void prepare(Picture picture, int gridSize, bool black = true, bool white = true)
    {
        PrepareExport(state_, surface_, std::move(picture), gridSize, {black, white});
    }
    std::string exportText(const std::string& name = "mesh.dxf")
    {
        WriteMesh(MeshFormat::Dxf, state_, surface_, folder_.file(name));
        return ReadWholeFile(folder_.file(name));
    }
    std::optional<Failure> exportFailure(const std::string& path, FileOps& ops = SystemFileOps())
    {
        return FailureOf([&] { WriteMesh(MeshFormat::Dxf, state_, surface_, path, ops); });
    }

    TempFolder folder_;
    ImageSurface surface_;
    EditorState state_;
};

// ---- Whole files worked out by hand -------------------------------------------------

TEST_F(WriteDxfTest, GridOneWritesTwoFlatFacesAndTheBase)
{
    // The one sampled point lies a row below the picture, so even white gives height 0.
    prepare(MakePicture(4, 4, kWhite), 1);
    const std::string expected = Lines({
        "0", "SECTION", "2", "ENTITIES",
        "0", "3DFACE", "8", "PLANE",
        "10", "  1.0000", "20", "  0.0000", "30", "  0.0000",
        "11", "  2.0000", "21", "  0.0000", "31", "  0.0000",
        "12", "  2.0000", "22", "  1.0000", "32", "  0.0000",
        "13", "  1.0000", "23", "  1.0000", "33", "  0.0000",
        "62", "0",
        "0", "3DFACE", "8", "PLANE",
        "10", "  0.0000", "20", "  0.0000", "30", "  0.0000",
        "11", "  1.0000", "21", "  0.0000", "31", "  0.0000",
        "12", "  1.0000", "22", "  1.0000", "32", "  0.0000",
        "13", "  0.0000", "23", "  1.0000", "33", "  0.0000",
        "62", "0",
        "0", "3DFACE", "8", "PLANE",
        "10", "0", "20", "0", "30", "0",
        "11", "   0.000", "21", "   1.000", "31", "0",
        "12", "   2.000", "22", "   1.000", "32", "0",
        "13", "   2.000", "23", "   0.000", "33", "0",
        "62", "0",
        "0", "ENDSEC", "0", "EOF", "2",
        "Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH)",
    });
    EXPECT_EQ(exportText(), expected);
}

TEST_F(WriteDxfTest, GridOneWithoutBlackFacesWritesOnlyTheTrailer)
{
    prepare(MakePicture(4, 4, kWhite), 1, false, true);
    EXPECT_EQ(exportText(), kHeader + kTrailer + Lines({"Black not exported"}));
}

TEST_F(WriteDxfTest, AHeightSamplingCannotMakeIsStillWrittenExactly)
{
    // Grid column 0 is never sampled; a value there outside the sampled heights takes the
    // writer's general path, and a wider number takes the room it needs.
    prepare(MakePicture(4, 4, kWhite), 1);
    state_.heights.set(0, 1, 12.5);
    state_.heights.set(0, 0, 1234.56789);
    const std::string expected = kHeader + Face({1, 0, Z}, {2, 0, Z}, {2, 1, Z}, {1, 1, Z}) +
                                 Face({0, 0, "1234.5679"}, {1, 0, Z}, {1, 1, Z}, {0, 1, " 12.5000"}) +
                                 BaseFace("   1.000", "   2.000") + kTrailer;
    EXPECT_EQ(exportText(), expected);
}

TEST_F(WriteDxfTest, GridTwoOnFourByFour)
{
    // Steps 2 and 2: grid column 1 reads image column 2, column 2 reads column 0; grid row
    // 1 reads image row 2. The grey elsewhere must not show up.
    prepare(MakePicture(4, 4, MakeColour(64, 64, 64), {{2, 2, ColourOfSum(1)}, {0, 2, kWhite}}), 2);
    const std::string expected =
        kHeader +
        Face({2, 1, W}, {3, 1, Z}, {3, 2, Z}, {2, 2, Z}) +
        Face({2, 0, Z}, {3, 0, Z}, {3, 1, Z}, {2, 1, W}) +
        Face({1, 1, S1}, {2, 1, W}, {2, 2, Z}, {1, 2, Z}) +
        Face({1, 0, Z}, {2, 0, Z}, {2, 1, W}, {1, 1, S1}) +
        Face({0, 1, Z}, {1, 1, S1}, {1, 2, Z}, {0, 2, Z}) +
        Face({0, 0, Z}, {1, 0, Z}, {1, 1, S1}, {0, 1, Z}) +
        BaseFace("   2.000", "   3.000") + kTrailer;
    EXPECT_EQ(exportText(), expected);
}

// Grid 3 on a 6 x 3 picture: grid columns 1, 2, 3 read image columns 4, 2, 0; grid rows
// 1 and 2 read image rows 1 and 2. Heights: columns 1 and 2 white, column 3 maroon over
// black. Face (3, 2) is flat at 0 (black) and face (1, 1) all white.
Picture GridThreePicture()
{
    return MakePicture(6, 3, MakeColour(64, 64, 64),
                       {{4, 1, kWhite}, {4, 2, kWhite}, {2, 1, kWhite}, {2, 2, kWhite},
                        {0, 1, kMaroon}, {0, 2, kBlack}});
}

struct OptionCase {
    bool black, white;
    bool blackFace, whiteFace, base;
    std::string tail;
};

class GridThreeOptions : public WriteDxfTest, public testing::WithParamInterface<OptionCase> {};

TEST_P(GridThreeOptions, FiltersBaseFaceAndTrailer)
{
    const OptionCase& c = GetParam();
    prepare(GridThreePicture(), 3, c.black, c.white);
    const std::string expected =
        kHeader +
        (c.blackFace ? Face({3, 2, Z}, {4, 2, Z}, {4, 3, Z}, {3, 3, Z}) : "") +
        Face({3, 1, M}, {4, 1, Z}, {4, 2, Z}, {3, 2, Z}) +
        Face({3, 0, Z}, {4, 0, Z}, {4, 1, Z}, {3, 1, M}) +
        Face({2, 2, W}, {3, 2, Z}, {3, 3, Z}, {2, 3, Z}) +
        Face({2, 1, W}, {3, 1, M}, {3, 2, Z}, {2, 2, W}) +
        Face({2, 0, Z}, {3, 0, Z}, {3, 1, M}, {2, 1, W}) +
        Face({1, 2, W}, {2, 2, W}, {2, 3, Z}, {1, 3, Z}) +
        (c.whiteFace ? Face({1, 1, W}, {2, 1, W}, {2, 2, W}, {1, 2, W}) : "") +
        Face({1, 0, Z}, {2, 0, Z}, {2, 1, W}, {1, 1, W}) +
        Face({0, 2, Z}, {1, 2, W}, {1, 3, Z}, {0, 3, Z}) +
        Face({0, 1, Z}, {1, 1, W}, {1, 2, W}, {0, 2, Z}) +
        Face({0, 0, Z}, {1, 0, Z}, {1, 1, W}, {0, 1, Z}) +
        (c.base ? BaseFace("   3.000", "   4.000") : "") + kTrailer + c.tail;
    EXPECT_EQ(exportText(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, GridThreeOptions,
    testing::Values(OptionCase{true, true, true, true, true, ""},
                    OptionCase{false, false, false, false, true,
                               "Black not exported\r\nWhite not exported\r\n"},
                    OptionCase{false, true, false, true, false, "Black not exported\r\n"},
                    OptionCase{true, false, true, false, false, "White not exported\r\n"}));

// ---- The white filter's average ------------------------------------------------------

struct AverageCase {
    int sums[4];  // channel sums of face (1, 1)'s corners, in corner order
    const char* heights[4];
    bool written;
};

class WhiteAverage : public WriteDxfTest, public testing::WithParamInterface<AverageCase> {};

TEST_P(WhiteAverage, IsSummedInLongDoubleBeforeTheComparison)
{
    const AverageCase& c = GetParam();
    // Face (1, 1) has corners at grid (1,1), (2,1), (2,2), (1,2): image (4,1), (2,1), (2,2), (4,2).
    prepare(MakePicture(6, 3, kBlack,
                        {{4, 1, ColourOfSum(c.sums[0])}, {2, 1, ColourOfSum(c.sums[1])},
                         {2, 2, ColourOfSum(c.sums[2])}, {4, 2, ColourOfSum(c.sums[3])}}),
            3, true, false);
    const std::string face = Face({1, 1, c.heights[0]}, {2, 1, c.heights[1]}, {2, 2, c.heights[2]},
                                  {1, 2, c.heights[3]});
    EXPECT_EQ(CountOf(exportText(), face), c.written ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Sums, WhiteAverage,
    testing::Values(
        // Exactly 10 on average, though summing these four in doubles gives 10.000000000000002.
        AverageCase{{724, 754, 761, 761}, {"  9.6533", " 10.0533", " 10.1467", " 10.1467"}, true},
        AverageCase{{750, 750, 750, 750}, {" 10.0000", " 10.0000", " 10.0000", " 10.0000"}, true},
        AverageCase{{751, 750, 750, 750}, {" 10.0133", " 10.0000", " 10.0000", " 10.0000"}, false}));

// ---- Larger grids ---------------------------------------------------------------------

TEST_F(WriteDxfTest, GridFiftyWithBothOptionsHas76540Lines)
{
    prepare(BuiltInPicture(), 50);
    const std::string text = exportText();
    EXPECT_EQ(CountOf(text, "\r\n"), 76540u);
    EXPECT_EQ(CountOf(text, "\n"), 76540u);  // no bare line feeds
    EXPECT_EQ(CountOf(text, "3DFACE"), 2551u);
    EXPECT_TRUE(text.ends_with("(VORTALQUENCH)\r\n"));
}

TEST_F(WriteDxfTest, GridThreeHundredReadsColumn301AsZero)
{
    prepare(BuiltInPicture(), 300);
    const std::string text = exportText();
    EXPECT_EQ(CountOf(text, "\r\n"), 4u + 30u * 301u * 300u + 30u + 6u);
    // The first face, cell (300, 299): its own corner reads image (0, 199), the others lie
    // on column 301 or row 300.
    const double height = PixelIntensity(surface_.pixel(0, 199)) / 25;
    const std::string first = Face({300, 299, Real84(height).c_str()}, {301, 299, Z}, {301, 300, Z}, {300, 300, Z});
    EXPECT_EQ(text.substr(0, kHeader.size() + first.size()), kHeader + first);
    EXPECT_EQ(CountOf(text, "\r\n301.0000\r\n"), 2u * 300u);
    EXPECT_NE(text.find(BaseFace(" 300.000", " 301.000")), std::string::npos);
}

TEST_F(WriteDxfTest, HeightsOfALargerGridSurviveAShrink)
{
    prepare(MakePicture(320, 200, kWhite), 100);
    exportText("first.dxf");
    ApplyGridSizeText(state_, "50");
    const std::string text = exportText("second.dxf");
    // Cell (50, 49) reads column 51 and row 50, both left by the grid-100 sampling.
    const std::string first = Face({50, 49, W}, {51, 49, W}, {51, 50, W}, {50, 50, Z});
    EXPECT_EQ(text.substr(0, kHeader.size() + first.size()), kHeader + first);
}

// ---- Failures -----------------------------------------------------------------------

TEST_F(WriteDxfTest, ANonBitmapPictureFailsBeforeTheFileIsTouched)
{
    Picture icon = MakePicture(32, 32, kWhite);
    icon.kind = PictureKind::Icon;
    prepare(std::move(icon), 10);
    WriteWholeFile(folder_.file("mesh.dxf"), "old");
    ScriptedFileOps ops;
    EXPECT_EQ(exportFailure(folder_.file("mesh.dxf"), ops), Failure::NotABitmap);
    EXPECT_EQ(ops.creates, 0);
    EXPECT_EQ(ReadWholeFile(folder_.file("mesh.dxf")), "old");
    EXPECT_EQ(folder_.names(), std::vector<std::string>{"mesh.dxf"});
}

struct ScriptedFailure {
    const char* name;
    void (*script)(ScriptedFileOps&);
    Failure failure;
};

class ExportFailure : public WriteDxfTest, public testing::WithParamInterface<ScriptedFailure> {};

TEST_P(ExportFailure, KeepsTheOldFileAndLeavesNoTemporaryFile)
{
    prepare(BuiltInPicture(), 100);  // 2 MB: the file writer's buffer fills once
    const std::string old = "an earlier export\r\n";
    WriteWholeFile(folder_.file("mesh.dxf"), old);
    ScriptedFileOps ops;
    GetParam().script(ops);
    EXPECT_EQ(exportFailure(folder_.file("mesh.dxf"), ops), GetParam().failure);
    EXPECT_EQ(ReadWholeFile(folder_.file("mesh.dxf")), old);
    EXPECT_EQ(folder_.names(), std::vector<std::string>{"mesh.dxf"});
}

TEST_P(ExportFailure, LeavesNothingWhenThereWasNoFile)
{
    prepare(BuiltInPicture(), 100);
    ScriptedFileOps ops;
    GetParam().script(ops);
    EXPECT_EQ(exportFailure(folder_.file("mesh.dxf"), ops), GetParam().failure);
    EXPECT_EQ(folder_.names(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ExportFailure,
    testing::Values(
        ScriptedFailure{"FirstWriteDiskFull", [](ScriptedFileOps& o) { o.failWriteNumber = 1; o.failWriteWith = ENOSPC; },
                        Failure::Io},
        ScriptedFailure{"SecondWriteIoError", [](ScriptedFileOps& o) { o.failWriteNumber = 2; o.failWriteWith = EIO; },
                        Failure::Io},
        ScriptedFailure{"CloseIoError", [](ScriptedFileOps& o) { o.failCloseWith = EIO; }, Failure::Io},
        ScriptedFailure{"CreateAccess", [](ScriptedFileOps& o) { o.failCreateWith = EACCES; }, Failure::AccessDenied},
        ScriptedFailure{"CreateReadOnly", [](ScriptedFileOps& o) { o.failCreateWith = EROFS; }, Failure::AccessDenied},
        ScriptedFailure{"CreateTooMany", [](ScriptedFileOps& o) { o.failCreateWith = EMFILE; }, Failure::TooManyOpenFiles},
        ScriptedFailure{"CreateNoPath", [](ScriptedFileOps& o) { o.failCreateWith = ENOENT; }, Failure::InvalidFilename},
        ScriptedFailure{"RenameFails", [](ScriptedFileOps& o) { o.failRenameWith = EXDEV; }, Failure::Io},
        ScriptedFailure{"WriteTakesNothing", [](ScriptedFileOps& o) { o.zeroWrite = true; }, Failure::Io}),
    [](const testing::TestParamInfo<ScriptedFailure>& info) { return info.param.name; });

TEST_F(WriteDxfTest, AMissingFolderIsAnInvalidFilename)
{
    prepare(BuiltInPicture(), 5);
    EXPECT_EQ(exportFailure(folder_.file("missing/mesh.dxf")), Failure::InvalidFilename);
    WriteWholeFile(folder_.file("plain"), "x");
    EXPECT_EQ(exportFailure(folder_.file("plain/mesh.dxf")), Failure::InvalidFilename);
    EXPECT_EQ(folder_.names(), std::vector<std::string>{"plain"});
}

TEST_F(WriteDxfTest, AFolderAsTargetIsAccessDenied)
{
    prepare(BuiltInPicture(), 5);
    std::filesystem::create_directory(folder_.file("mesh.dxf"));
    EXPECT_EQ(exportFailure(folder_.file("mesh.dxf")), Failure::AccessDenied);
    EXPECT_TRUE(std::filesystem::is_directory(folder_.file("mesh.dxf")));
    EXPECT_EQ(folder_.names(), std::vector<std::string>{"mesh.dxf"});
}

TEST_F(WriteDxfTest, AnUnwritableExistingFileIsAccessDenied)
{
    // A sysfs file without write permission refuses even the superuser, so it stands for
    // a read-only target where the tests run as root.
    const std::string target = "/sys/kernel/uevent_seqnum";
    struct stat info;
    if (::stat(target.c_str(), &info) != 0)
        GTEST_SKIP() << "no " << target;
    prepare(BuiltInPicture(), 5);
    ScriptedFileOps ops;
    EXPECT_EQ(exportFailure(target, ops), Failure::AccessDenied);
    EXPECT_EQ(ops.creates, 0);  // refused before anything was written
}

// ---- Replacing a file -----------------------------------------------------------------

TEST_F(WriteDxfTest, ReplacesAnExistingFileKeepingItsPermissions)
{
    prepare(MakePicture(4, 4, kWhite), 1, false, true);
    WriteWholeFile(folder_.file("mesh.dxf"), std::string(100000, 'x'));
    ::chmod(folder_.file("mesh.dxf").c_str(), 0604);
    EXPECT_EQ(exportText(), kHeader + kTrailer + Lines({"Black not exported"}));
    struct stat info;
    ASSERT_EQ(::stat(folder_.file("mesh.dxf").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(folder_.names(), std::vector<std::string>{"mesh.dxf"});
}

TEST_F(WriteDxfTest, ANewFileGetsTheUsualPermissions)
{
    prepare(MakePicture(4, 4, kWhite), 1);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    exportText();
    struct stat info;
    ASSERT_EQ(::stat(folder_.file("mesh.dxf").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0666u & ~mask);
}

TEST_F(WriteDxfTest, ALinkedTargetUpdatesTheFileItNames)
{
    prepare(MakePicture(4, 4, kWhite), 1, false, true);
    WriteWholeFile(folder_.file("real.dxf"), "old");
    std::filesystem::create_symlink("real.dxf", folder_.file("link.dxf"));
    WriteMesh(MeshFormat::Dxf, state_, surface_, folder_.file("link.dxf"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder_.file("link.dxf")));
    EXPECT_EQ(ReadWholeFile(folder_.file("real.dxf")), kHeader + kTrailer + Lines({"Black not exported"}));
}

// ---- Messages ---------------------------------------------------------------------------

struct ErrnoCase {
    int errorCode;
    Failure failure;
};

class MeshFileFailureTest : public testing::TestWithParam<ErrnoCase> {};

TEST_P(MeshFileFailureTest, NamesTheFailure)
{
    EXPECT_EQ(MeshFileFailure(GetParam().errorCode), GetParam().failure);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, MeshFileFailureTest,
    testing::Values(ErrnoCase{ENOENT, Failure::InvalidFilename}, ErrnoCase{ENOTDIR, Failure::InvalidFilename},
                    ErrnoCase{EACCES, Failure::AccessDenied}, ErrnoCase{EPERM, Failure::AccessDenied},
                    ErrnoCase{EROFS, Failure::AccessDenied}, ErrnoCase{EISDIR, Failure::AccessDenied},
                    ErrnoCase{EMFILE, Failure::TooManyOpenFiles}, ErrnoCase{ENFILE, Failure::TooManyOpenFiles},
                    ErrnoCase{ENOSPC, Failure::Io}, ErrnoCase{EIO, Failure::Io}, ErrnoCase{EDQUOT, Failure::Io}));

// Every other failure is shown with the system's own error number.
TEST_F(WriteDxfTest, AnIoErrorCarriesTheSystemsNumber)
{
    prepare(BuiltInPicture(), 5);
    ScriptedFileOps ops;
    ops.failWriteNumber = 1;
    ops.failWriteWith = ENOSPC;
    try {
        WriteMesh(MeshFormat::Dxf, state_, surface_, folder_.file("mesh.dxf"), ops);
        FAIL() << "no error";
    } catch (const EditorError& error) {
        EXPECT_EQ(error.failure(), Failure::Io);
        EXPECT_EQ(std::string(error.what()), "I/O error " + std::to_string(ENOSPC));
    }
}

} // namespace
