// The converter's command line: what each accepted form asks for, and the reason given
// for each one refused.
#include "convert/ConvertArguments.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

struct AcceptedCase {
    const char* name;
    Words arguments;
    int gridSize;
    bool black, white;
    MeshFormat format;
    Words inputs;
    std::string output;
    SolidSettings solid = {};
    bool progress = false;
};

constexpr SolidSettings WholePicture(int tenths)
{
    SolidSettings solid;
    solid.detail = SolidDetail::WholePicture;
    solid.maxErrorTenths = tenths;
    return solid;
}

void PrintTo(const AcceptedCase& c, std::ostream* out) { *out << c.name; }

class Accepted : public testing::TestWithParam<AcceptedCase> {};

TEST_P(Accepted, AsksForWhatItSays)
{
    const AcceptedCase& c = GetParam();
    const ConvertArguments parsed = ParseConvertArguments(c.arguments);
    EXPECT_EQ(parsed.gridSize, c.gridSize);
    EXPECT_EQ(parsed.exportBlack, c.black);
    EXPECT_EQ(parsed.exportWhite, c.white);
    EXPECT_EQ(parsed.format, c.format);
    EXPECT_EQ(parsed.inputs, c.inputs);
    EXPECT_EQ(parsed.output, c.output);
    EXPECT_EQ(parsed.solid.longestSideMm, c.solid.longestSideMm);
    EXPECT_EQ(parsed.solid.reliefMm, c.solid.reliefMm);
    EXPECT_EQ(parsed.solid.baseMm, c.solid.baseMm);
    EXPECT_EQ(parsed.solid.keepProportions, c.solid.keepProportions);
    EXPECT_EQ(parsed.solid.invert, c.solid.invert);
    EXPECT_EQ(parsed.solid.detail, c.solid.detail);
    EXPECT_EQ(parsed.solid.maxErrorTenths, c.solid.maxErrorTenths);
    EXPECT_EQ(parsed.progress, c.progress);
    EXPECT_FALSE(parsed.help);
    EXPECT_FALSE(parsed.version);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Accepted,
    testing::Values(
        AcceptedCase{"Defaults", {"a.bmp", "-o", "a.dxf"}, 50, true, true, MeshFormat::Dxf, {"a.bmp"}, "a.dxf"},
        AcceptedCase{"EveryOption",
                     {"--grid", "300", "--no-black", "--format", "stl", "a.bmp", "b.ico", "-o", "out"},
                     300, false, true, MeshFormat::Stl, {"a.bmp", "b.ico"}, "out"},
        AcceptedCase{"ValuesWithEquals",
                     {"--grid=1", "--format=OBJ", "--no-white", "--output=x", "a.bmp"},
                     1, true, false, MeshFormat::Obj, {"a.bmp"}, "x"},
        AcceptedCase{"OptionsAfterTheInputs", {"a.bmp", "-o", "x", "--grid", "007"}, 7, true, true, MeshFormat::Dxf,
                     {"a.bmp"}, "x"},
        AcceptedCase{"OutputJoinedToItsFlag", {"-oout", "a.bmp", "-"}, 50, true, true, MeshFormat::Dxf,
                     {"a.bmp", "-"}, "out"},
        AcceptedCase{"NamesAfterTheEndOfOptions", {"-o", "x", "--", "--grid", "-o"}, 50, true, true,
                     MeshFormat::Dxf, {"--grid", "-o"}, "x"},
        AcceptedCase{"TheSolidsSettings",
                     {"--format", "3mf", "--size-mm", "250", "--relief-mm=3.5", "--base-mm", ".8", "--square",
                      "--invert", "a.png", "-o", "a.3mf"},
                     50, true, true, MeshFormat::ThreeMf, {"a.png"}, "a.3mf", {250, 3.5, 0.8, false, true}},
        AcceptedCase{"TheRangesEnds",
                     {"--size-mm=1", "--relief-mm", "0.01", "--base-mm", "10000", "a", "-o", "b"}, 50, true, true,
                     MeshFormat::Dxf, {"a"}, "b", {1, 0.01, 10000, true, false}},
        AcceptedCase{"HeightMaps", {"--format", "PNG16", "a", "-o", "b"}, 50, true, true, MeshFormat::HeightPng,
                     {"a"}, "b"},
        AcceptedCase{"RawHeightMap", {"--format=r16", "a", "-o", "b"}, 50, true, true, MeshFormat::HeightRaw,
                     {"a"}, "b"},
        AcceptedCase{"WholePictureSolid", {"--format", "stl", "--max-error", "7.6", "a", "-o", "b"}, 50, true, true,
                     MeshFormat::Stl, {"a"}, "b", WholePicture(76)},
        AcceptedCase{"WholePictureExtremes", {"--max-error=0", "--progress", "--format=3mf", "a", "-o", "b"}, 50, true,
                     true, MeshFormat::ThreeMf, {"a"}, "b", WholePicture(0), true},
        AcceptedCase{"TheLargestError", {"--format", "stl", "--max-error", "765.0", "a", "-o", "b"}, 50, true, true,
                     MeshFormat::Stl, {"a"}, "b", WholePicture(7650)},
        AcceptedCase{"AWholeNumberError", {"--format", "stl", "--max-error", "12", "a", "-o", "b"}, 50, true, true,
                     MeshFormat::Stl, {"a"}, "b", WholePicture(120)}));

struct RefusedCase {
    const char* name;
    Words arguments;
    const char* reason;
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class Refused : public testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, SaysWhy)
{
    const RefusedCase& c = GetParam();
    try {
        ParseConvertArguments(c.arguments);
        FAIL() << "accepted";
    } catch (const UsageError& error) {
        EXPECT_STREQ(error.what(), c.reason);
    }
}

const char* const kNoOutput = "no output given: add -o OUTPUT (a file for one input, a folder for several)";
const char* const kErrorFormats = "--max-error goes with --format stl or 3mf only";

INSTANTIATE_TEST_SUITE_P(
    Forms, Refused,
    testing::Values(
        RefusedCase{"Nothing", {}, "no input picture given"},
        RefusedCase{"NoOutput", {"a.bmp"}, kNoOutput},
        RefusedCase{"EmptyOutput", {"a.bmp", "-o", ""}, kNoOutput},
        RefusedCase{"OutputWithoutItsValue", {"a.bmp", "-o"}, "-o needs a value"},
        RefusedCase{"TwoOutputs", {"a.bmp", "-o", "x", "--output", "y"}, "only one -o OUTPUT may be given"},
        RefusedCase{"GridZero", {"--grid", "0", "a", "-o", "x"}, "--grid takes a whole number from 1 to 300, not '0'"},
        RefusedCase{"GridAboveTheLargest", {"--grid=301", "a", "-o", "x"},
                    "--grid takes a whole number from 1 to 300, not '301'"},
        RefusedCase{"GridNegative", {"--grid", "-5", "a", "-o", "x"},
                    "--grid takes a whole number from 1 to 300, not '-5'"},
        RefusedCase{"GridNotANumber", {"--grid", "5O", "a", "-o", "x"},
                    "--grid takes a whole number from 1 to 300, not '5O'"},
        RefusedCase{"GridHuge", {"--grid", "99999999999999999999", "a", "-o", "x"},
                    "--grid takes a whole number from 1 to 300, not '99999999999999999999'"},
        RefusedCase{"GridEmpty", {"--grid=", "a", "-o", "x"}, "--grid takes a whole number from 1 to 300, not ''"},
        RefusedCase{"GridWithoutItsValue", {"a", "-o", "x", "--grid"}, "--grid needs a value"},
        RefusedCase{"UnknownFormat", {"--format", "png", "a", "-o", "x"},
                    "--format takes dxf, stl, obj, 3mf, png16 or r16, not 'png'"},
        RefusedCase{"SizeBelowItsRange", {"--size-mm", "0.5", "a", "-o", "x"},
                    "--size-mm takes a number of millimetres from 1 to 10000, not '0.5'"},
        RefusedCase{"SizeAboveItsRange", {"--size-mm=10000.01", "a", "-o", "x"},
                    "--size-mm takes a number of millimetres from 1 to 10000, not '10000.01'"},
        RefusedCase{"ReliefBelowItsRange", {"--relief-mm", "0.009", "a", "-o", "x"},
                    "--relief-mm takes a number of millimetres from 0.01 to 10000, not '0.009'"},
        RefusedCase{"BaseNegative", {"--base-mm", "-2", "a", "-o", "x"},
                    "--base-mm takes a number of millimetres from 0.01 to 10000, not '-2'"},
        RefusedCase{"SizeWithAUnit", {"--size-mm", "100mm", "a", "-o", "x"},
                    "--size-mm takes a number of millimetres from 1 to 10000, not '100mm'"},
        RefusedCase{"SizeWithADecimalComma", {"--size-mm", "12,5", "a", "-o", "x"},
                    "--size-mm takes a number of millimetres from 1 to 10000, not '12,5'"},
        RefusedCase{"SizeWithAnExponent", {"--size-mm", "1e3", "a", "-o", "x"},
                    "--size-mm takes a number of millimetres from 1 to 10000, not '1e3'"},
        RefusedCase{"ReliefNotANumber", {"--relief-mm", "nan", "a", "-o", "x"},
                    "--relief-mm takes a number of millimetres from 0.01 to 10000, not 'nan'"},
        RefusedCase{"BaseInfinite", {"--base-mm=inf", "a", "-o", "x"},
                    "--base-mm takes a number of millimetres from 0.01 to 10000, not 'inf'"},
        RefusedCase{"SizeEmpty", {"--size-mm=", "a", "-o", "x"},
                    "--size-mm takes a number of millimetres from 1 to 10000, not ''"},
        RefusedCase{"SizeWithoutItsValue", {"a", "-o", "x", "--size-mm"}, "--size-mm needs a value"},
        RefusedCase{"SquareWithAValue", {"--square=yes", "a", "-o", "x"}, "--square takes no value"},
        RefusedCase{"InvertWithAValue", {"--invert=1", "a", "-o", "x"}, "--invert takes no value"},
        RefusedCase{"ErrorWithTheDxf", {"--max-error", "1", "a", "-o", "x"}, kErrorFormats},
        RefusedCase{"ErrorWithAHeightMap", {"--format", "png16", "--max-error", "1", "a", "-o", "x"}, kErrorFormats},
        RefusedCase{"ErrorAboveTheRange", {"--format", "stl", "--max-error", "765.1", "a", "-o", "x"},
                    "--max-error takes a number of height steps from 0 to 765 in steps of 0.1, not '765.1'"},
        RefusedCase{"ErrorNegative", {"--format", "stl", "--max-error", "-1", "a", "-o", "x"},
                    "--max-error takes a number of height steps from 0 to 765 in steps of 0.1, not '-1'"},
        RefusedCase{"ErrorFinerThanATenth", {"--format", "stl", "--max-error", "0.05", "a", "-o", "x"},
                    "--max-error takes a number of height steps from 0 to 765 in steps of 0.1, not '0.05'"},
        RefusedCase{"ErrorNotANumber", {"--format", "stl", "--max-error=1e2", "a", "-o", "x"},
                    "--max-error takes a number of height steps from 0 to 765 in steps of 0.1, not '1e2'"},
        RefusedCase{"ErrorWithoutDigits", {"--format", "stl", "--max-error", ".", "a", "-o", "x"},
                    "--max-error takes a number of height steps from 0 to 765 in steps of 0.1, not '.'"},
        RefusedCase{"ProgressWithAValue", {"--progress=yes", "a", "-o", "x"}, "--progress takes no value"},
        RefusedCase{"UnknownOption", {"--colour", "a", "-o", "x"}, "unknown option '--colour'"},
        RefusedCase{"FlagWithAValue", {"--no-black=yes", "a", "-o", "x"}, "--no-black takes no value"}));

TEST(HelpAndVersion, NeedNeitherInputNorOutput)
{
    EXPECT_TRUE(ParseConvertArguments({"--help"}).help);
    EXPECT_TRUE(ParseConvertArguments({"a.bmp", "-h"}).help);
    EXPECT_TRUE(ParseConvertArguments({"--version"}).version);
    EXPECT_FALSE(ParseConvertArguments({"--version"}).help);
}

TEST(HelpText, ShowsTheCommandLineAndTheExitStatuses)
{
    const std::string help = ConvertHelpText();
    EXPECT_EQ(help.rfind("Usage: relief-foundry-convert [--grid N] [--no-black] [--no-white]\n"
                         "                              [--format dxf|stl|obj|3mf|png16|r16]\n"
                         "                              [--size-mm L] [--relief-mm R] [--base-mm B] [--square]\n"
                         "                              [--invert] [--max-error E] [--progress]\n"
                         "                              INPUT... -o OUTPUT\n",
                         0),
              0u);
    for (const char* option : {"--size-mm L ", "--relief-mm R ", "--base-mm B ", "--square ", "--invert ", "--max-error E ", "--progress ", "png16",
                               "r16", "3mf"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_NE(help.find("Exit status: 0 when every file converted, 1 when any failed, 2 on a usage error."),
              std::string::npos);
}

} // namespace
