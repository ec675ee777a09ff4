// relief-foundry-convert run as a process on good, bad and mixed batches: its exit
// status, every line it prints, and the files it writes, compared byte for byte with what
// the core writes for the same picture and settings. One test drives the batch logic in
// the process with a reader of its own, as a reader for more formats will plug in.
#include "convert/ConvertCommand.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

#include "export/MeshExport.h"
#include "files/BmpWriter.h"
#include "files/PictureFile.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "tests/support/BmpBuilder.h"
#include "tests/support/MeshFiles.h"
#include "tests/support/PictureBuilder.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempFolder.h"

namespace {

const std::string kProgram = RF_CONVERT_PROGRAM;

Picture Ramp(int width, int height, int shift)
{
    Picture picture = MakePicture(width, height, kBlack);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(picture, x, y, ColourOfSum((x * 11 + y * 5 + shift) % 766));
    return picture;
}

struct Settings {
    int gridSize = 50;
    bool black = true, white = true;
    MeshFormat format = MeshFormat::Dxf;
    SolidSettings solid = {};
};

// What the core writes for the picture when the window has just loaded it and the grid
// size and options are set: the bytes each conversion must match.
std::string CoreExport(const Picture& picture, const Settings& settings)
{
    ImageSurface surface;
    surface.putPicture(picture);
    const auto state = std::make_unique<EditorState>();
    ResetGrid(*state, surface);
    ApplyGridSizeText(*state, std::to_string(settings.gridSize));
    state->exportBlackPlanes = settings.black;
    state->exportWhitePlanes = settings.white;
    state->solid = settings.solid;
    const TempFolder folder;
    const std::string path = folder.file("expected");
    WriteMesh(settings.format, *state, surface, path);
    return ReadWholeFile(path);
}

std::string MessageOf(Failure failure, const std::string& detail = {}) { return FailureText(failure, detail); }

SolidSettings WholePictureSolid(double side, int errorTenths, bool invert = false)
{
    SolidSettings solid;
    solid.longestSideMm = side;
    solid.invert = invert;
    solid.detail = SolidDetail::WholePicture;
    solid.maxErrorTenths = errorTenths;
    return solid;
}

// A text file: with Qt's image readers the converter tries them, as Import Picture does;
// without, the picture files' extensions decide.
#ifdef RF_CONVERT_IMPORTS_PICTURES
const std::string kNotAPictureMessage = MessageOf(Failure::CannotImport, "notes.txt: Unsupported image format");
#else
const std::string kNotAPictureMessage = MessageOf(Failure::UnknownExtension, "txt");
#endif

class ConvertProgram : public testing::Test {
protected:
    void SetUp() override
    {
        hill_ = Ramp(64, 48, 0);
        dune_ = Ramp(40, 90, 300);
        WriteBytes(folder_.file("hill.bmp"), EncodeBmp24(hill_));
        WriteBytes(folder_.file("dune.BMP"), EncodeBmp24(dune_));
        WriteWholeFile(folder_.file("broken.bmp"), "BM not really a bitmap");
        WriteWholeFile(folder_.file("notes.txt"), "a height map, one day");
        std::filesystem::copy_file(std::string(RF_SOURCE_DIR) + "/tests/fuzz/seeds/icon.ico", folder_.file("icon.ico"));
    }

    ProgramRun run(const std::vector<std::string>& arguments) { return RunProgram(kProgram, arguments, folder_.path()); }
    std::string file(const std::string& name) const { return ReadWholeFile(folder_.file(name)); }
    std::vector<std::string> namesIn(const std::string& folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.file(folder)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The reader's own message for a picture file, as the window shows it.
    std::string loadMessage(const std::string& name) const
    {
        try {
            LoadPictureFile(folder_.file(name));
        } catch (const EditorError& error) {
            return error.what();
        }
        return "(loads)";
    }

    TempFolder folder_;
    Picture hill_, dune_;
};

TEST_F(ConvertProgram, AGoodBatchWritesEveryFileIntoTheFolderItMakes)
{
    const ProgramRun result = run({"--grid", "30", "--no-black", "hill.bmp", "dune.BMP", "-o", "out"});
    EXPECT_EQ(result.exitCode, kAllConverted);
    EXPECT_EQ(result.out, "hill.bmp -> out/hill.dxf\ndune.BMP -> out/dune.dxf\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(namesIn("out"), (std::vector<std::string>{"dune.dxf", "hill.dxf"}));
    EXPECT_EQ(file("out/hill.dxf"), CoreExport(hill_, {30, false, true}));
    EXPECT_EQ(file("out/dune.dxf"), CoreExport(dune_, {30, false, true}));
}

struct FormatCase {
    const char* name;
    std::vector<std::string> options;
    Settings settings;
    const char* extension;
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.name; }

class ConvertFormats : public ConvertProgram, public testing::WithParamInterface<FormatCase> {};

TEST_P(ConvertFormats, WriteWhatTheWindowsExportWrites)
{
    const FormatCase& c = GetParam();
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {"hill.bmp", "dune.BMP", "-o", "out"});
    const ProgramRun result = run(arguments);
    EXPECT_EQ(result.exitCode, kAllConverted);
    const std::string hillOut = std::string("out/hill.") + c.extension;
    const std::string duneOut = std::string("out/dune.") + c.extension;
    EXPECT_EQ(result.out, "hill.bmp -> " + hillOut + "\ndune.BMP -> " + duneOut + "\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(file(hillOut), CoreExport(hill_, c.settings));
    EXPECT_EQ(file(duneOut), CoreExport(dune_, c.settings));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ConvertFormats,
    testing::Values(FormatCase{"DxfByDefault", {}, {50, true, true, MeshFormat::Dxf}, "dxf"},
                    FormatCase{"DxfWithoutWhite", {"--no-white", "--grid=300"}, {300, true, false, MeshFormat::Dxf}, "dxf"},
                    FormatCase{"Stl", {"--format", "STL", "--grid", "7"}, {7, true, true, MeshFormat::Stl}, "stl"},
                    FormatCase{"Obj", {"--format=obj", "--no-black", "--no-white", "--grid", "1"},
                               {1, false, false, MeshFormat::Obj}, "obj"},
                    FormatCase{"StlInMillimetresOfTheirOwn",
                               {"--format", "stl", "--size-mm", "180.5", "--relief-mm=0.75", "--base-mm", "3",
                                "--square", "--invert", "--grid", "40"},
                               {40, true, true, MeshFormat::Stl, {180.5, 0.75, 3, false, true}}, "stl"},
                    FormatCase{"ThreeMf", {"--format", "3MF", "--grid", "77", "--no-black"},
                               {77, false, true, MeshFormat::ThreeMf}, "3mf"},
                    FormatCase{"ThreeMfWithSettings", {"--format=3mf", "--base-mm=0.01", "--size-mm", "10000"},
                               {50, true, true, MeshFormat::ThreeMf, {10000, 10, 0.01, true, false}}, "3mf"},
                    FormatCase{"HeightMapPng", {"--format", "png16", "--grid", "3", "--invert"},
                               {3, true, true, MeshFormat::HeightPng}, "png"},
                    FormatCase{"HeightMapRaw", {"--format", "R16"}, {50, true, true, MeshFormat::HeightRaw}, "r16"},
                    FormatCase{"StlOverTheWholePicture", {"--format", "stl", "--max-error", "2.5", "--size-mm=50"},
                               {50, true, true, MeshFormat::Stl, WholePictureSolid(50, 25)}, "stl"},
                    FormatCase{"ThreeMfOverTheWholePictureExactly", {"--format=3mf", "--max-error=0", "--invert"},
                               {50, true, true, MeshFormat::ThreeMf, WholePictureSolid(100, 0, true)}, "3mf"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConvertProgram, OneInputGoesToTheFileNamedOrIntoTheFolderNamed)
{
    std::filesystem::create_directory(folder_.file("meshes"));
    ProgramRun result = run({"hill.bmp", "-o", "hill mesh.dxf"});
    EXPECT_EQ(result.exitCode, kAllConverted);
    EXPECT_EQ(result.out, "hill.bmp -> hill mesh.dxf\n");
    EXPECT_EQ(file("hill mesh.dxf"), CoreExport(hill_, {}));
    result = run({"--format", "obj", "dune.BMP", "-o", "meshes"});
    EXPECT_EQ(result.out, "dune.BMP -> meshes/dune.obj\n");
    EXPECT_EQ(file("meshes/dune.obj"), CoreExport(dune_, {50, true, true, MeshFormat::Obj}));
    result = run({"hill.bmp", "-o", "new/"});
    EXPECT_EQ(result.out, "hill.bmp -> new/hill.dxf\n");
    EXPECT_EQ(file("new/hill.dxf"), CoreExport(hill_, {}));
}

TEST_F(ConvertProgram, ABadBatchReportsEveryFileWithTheProgramsMessage)
{
    std::filesystem::create_directory(folder_.file("out"));
    WriteWholeFile(folder_.file("out/broken.dxf"), "old");
    const ProgramRun result = run({"missing.bmp", "broken.bmp", "notes.txt", "icon.ico", "-o", "out"});
    EXPECT_EQ(result.exitCode, kSomeFailed);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "relief-foundry-convert: missing.bmp -> out/missing.dxf: " +
                  MessageOf(Failure::CannotOpen, "missing.bmp") + ".\n"
              "relief-foundry-convert: broken.bmp -> out/broken.dxf: " + loadMessage("broken.bmp") + ".\n"
              "relief-foundry-convert: notes.txt -> out/notes.dxf: " + kNotAPictureMessage + ".\n"
              "relief-foundry-convert: icon.ico -> out/icon.dxf: " + MessageOf(Failure::NotABitmap) + ".\n");
    EXPECT_EQ(namesIn("out"), std::vector<std::string>{"broken.dxf"});
    EXPECT_EQ(file("out/broken.dxf"), "old");
}

TEST_F(ConvertProgram, AMixedBatchConvertsTheGoodFilesAndFailsOverall)
{
    const ProgramRun result = run({"hill.bmp", "missing.bmp", "dune.BMP", "-o", "out", "--format", "stl"});
    EXPECT_EQ(result.exitCode, kSomeFailed);
    EXPECT_EQ(result.out, "hill.bmp -> out/hill.stl\ndune.BMP -> out/dune.stl\n");
    EXPECT_EQ(result.err, "relief-foundry-convert: missing.bmp -> out/missing.stl: " +
                              MessageOf(Failure::CannotOpen, "missing.bmp") + ".\n");
    EXPECT_EQ(file("out/hill.stl"), CoreExport(hill_, {50, true, true, MeshFormat::Stl}));
    EXPECT_EQ(file("out/dune.stl"), CoreExport(dune_, {50, true, true, MeshFormat::Stl}));
}

TEST_F(ConvertProgram, NeverWritesOverItsInputOrAnEarlierOutput)
{
    std::filesystem::create_directory(folder_.file("other"));
    WriteBytes(folder_.file("other/hill.bmp"), EncodeBmp24(dune_));
    ProgramRun result = run({"hill.bmp", "other/hill.bmp", "-o", "out"});
    EXPECT_EQ(result.exitCode, kSomeFailed);
    EXPECT_EQ(result.out, "hill.bmp -> out/hill.dxf\n");
    EXPECT_EQ(result.err, "relief-foundry-convert: other/hill.bmp -> out/hill.dxf: an earlier input was written there.\n");
    EXPECT_EQ(file("out/hill.dxf"), CoreExport(hill_, {}));

    const std::string picture = file("hill.bmp");
    result = run({"hill.bmp", "-o", "./hill.bmp"});
    EXPECT_EQ(result.exitCode, kSomeFailed);
    EXPECT_EQ(result.err, "relief-foundry-convert: hill.bmp -> ./hill.bmp: that is the input itself.\n");
    EXPECT_EQ(file("hill.bmp"), picture);
}

// A folder that cannot be made is a failure of the batch, not of its command line.
TEST_F(ConvertProgram, AnOutputFolderBlockedByAFileFailsWithOneAndTheReason)
{
    WriteWholeFile(folder_.file("taken"), "a plain file");
    const ProgramRun result = run({"hill.bmp", "dune.BMP", "-o", "taken/out"});
    EXPECT_EQ(result.exitCode, kSomeFailed);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.starts_with("relief-foundry-convert: taken/out: cannot make the folder: ")) << result.err;
    EXPECT_EQ(file("taken"), "a plain file");
}

// Under a memory limit the picture's pixels cannot be had: the converter says what the
// window says, goes on with the next file and fails overall.
TEST_F(ConvertProgram, MemoryRunningOutIsReportedAsOutOfMemory)
{
    BmpSpec huge;  // 16384 x 16384, run-length encoded as nothing but its end: 1 GiB of pixels
    huge.width = huge.height = 16384;
    huge.bitsPerPixel = 8;
    huge.compression = 1;
    huge.coloursUsed = 2;
    huge.table = {0x000000, 0xFFFFFF};
    huge.pixels = {0x00, 0x01};
    WriteBytes(folder_.file("huge.bmp"), BuildBmp(huge));
    const std::vector<std::string> limited = {"-c", "ulimit -v 600000 && exec \"$0\" \"$@\"", kProgram,
                                              "huge.bmp", "hill.bmp", "-o", "out"};
    const ProgramRun result = RunProgram("/bin/sh", limited, folder_.path());
    EXPECT_EQ(result.exitCode, kSomeFailed);
    EXPECT_EQ(result.err, "relief-foundry-convert: huge.bmp -> out/huge.dxf: Out of memory.\n");
    EXPECT_EQ(result.out, "hill.bmp -> out/hill.dxf\n");
    EXPECT_EQ(file("out/hill.dxf"), CoreExport(hill_, {}));
}

struct UsageCase {
    const char* name;
    std::vector<std::string> arguments;
    const char* reason;
};

void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.name; }

class ConvertUsage : public ConvertProgram, public testing::WithParamInterface<UsageCase> {};

TEST_P(ConvertUsage, ExitsWithTwoAndWritesNothing)
{
    const UsageCase& c = GetParam();
    const std::vector<std::string> before = namesIn(".");
    const ProgramRun result = run(c.arguments);
    EXPECT_EQ(result.exitCode, kUsageError);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, std::string("relief-foundry-convert: ") + c.reason +
                              "\nTry 'relief-foundry-convert --help' for more information.\n");
    EXPECT_EQ(namesIn("."), before);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ConvertUsage,
    testing::Values(UsageCase{"NoArguments", {}, "no input picture given"},
                    UsageCase{"NoOutput", {"hill.bmp"},
                              "no output given: add -o OUTPUT (a file for one input, a folder for several)"},
                    UsageCase{"GridTooLarge", {"--grid", "301", "hill.bmp", "-o", "x"},
                              "--grid takes a whole number from 1 to 300, not '301'"},
                    UsageCase{"UnknownFormat", {"--format", "png", "hill.bmp", "-o", "x"},
                              "--format takes dxf, stl, obj, 3mf, png16 or r16, not 'png'"},
                    UsageCase{"SizeBelowOneMillimetre", {"--size-mm", "0.99", "hill.bmp", "-o", "x"},
                              "--size-mm takes a number of millimetres from 1 to 10000, not '0.99'"},
                    UsageCase{"ReliefOfNothing", {"--format", "stl", "--relief-mm=0", "hill.bmp", "-o", "x"},
                              "--relief-mm takes a number of millimetres from 0.01 to 10000, not '0'"},
                    UsageCase{"BaseTooThick", {"--base-mm", "10000.5", "hill.bmp", "-o", "x"},
                              "--base-mm takes a number of millimetres from 0.01 to 10000, not '10000.5'"},
                    UsageCase{"UnknownOption", {"--fast", "hill.bmp", "-o", "x"}, "unknown option '--fast'"},
                    UsageCase{"SeveralInputsIntoAFile", {"hill.bmp", "dune.BMP", "-o", "notes.txt"},
                              "with several inputs OUTPUT must be a folder, and 'notes.txt' is a file"}),
    [](const auto& info) { return std::string(info.param.name); });

// How far a whole-picture conversion has come goes to standard error when asked for,
// never changing what is written or printed on standard output.
TEST_F(ConvertProgram, ProgressIsReportedOnlyWhenAskedFor)
{
    const ProgramRun quiet = run({"--format", "stl", "--max-error", "1", "hill.bmp", "-o", "quiet.stl"});
    EXPECT_EQ(quiet.exitCode, kAllConverted);
    EXPECT_EQ(quiet.err, "");
    const ProgramRun told = run({"--format", "stl", "--max-error", "1", "--progress", "hill.bmp", "-o", "told.stl"});
    EXPECT_EQ(told.exitCode, kAllConverted);
    EXPECT_EQ(told.out, "hill.bmp -> told.stl\n");
    EXPECT_EQ(file("told.stl"), file("quiet.stl"));
    const std::vector<std::string> lines = TextLines(told.err);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "hill.bmp: 100%");
    int last = -1;
    for (const std::string& line : lines) {
        ASSERT_TRUE(line.starts_with("hill.bmp: ") && line.ends_with("%")) << line;
        const int percent = std::stoi(line.substr(10));
        EXPECT_GT(percent, last) << "percentages only grow";
        last = percent;
    }
}

TEST_F(ConvertProgram, HelpAndVersionGoToStandardOutput)
{
    ProgramRun result = run({"--help"});
    EXPECT_EQ(result.exitCode, kAllConverted);
    EXPECT_EQ(result.out, ConvertHelpText());
    EXPECT_EQ(result.err, "");
    result = run({"--version"});
    EXPECT_EQ(result.exitCode, kAllConverted);
    EXPECT_EQ(result.out, "relief-foundry-convert (Relief_Foundry) " RF_VERSION "\n");
}

// Another reader plugs in where the program passes LoadPictureFile.
TEST(ConvertCommand, ReadsThroughThePictureReaderItIsGiven)
{
    const TempFolder folder;
    const Picture generated = Ramp(30, 20, 100);
    std::vector<std::string> asked;
    const PictureReader reader = [&](const std::string& name) {
        asked.push_back(name);
        if (name.ends_with(".png"))
            return generated;
        throw EditorError(Failure::BitmapNotValid);
    };
    std::ostringstream out, err;
    const std::string output = folder.file("out");
    const int status = RunConvert({"--grid", "12", "a.png", "b.tif", "-o", output}, out, err, reader);
    EXPECT_EQ(status, kSomeFailed);
    EXPECT_EQ(asked, (std::vector<std::string>{"a.png", "b.tif"}));
    EXPECT_EQ(out.str(), "a.png -> " + output + "/a.dxf\n");
    EXPECT_EQ(err.str(), "relief-foundry-convert: b.tif -> " + output + "/b.dxf: Bitmap image is not valid.\n");
    EXPECT_EQ(ReadWholeFile(output + "/a.dxf"), CoreExport(generated, {12}));
}

} // namespace
