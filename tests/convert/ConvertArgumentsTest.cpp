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
};

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
                     MeshFormat::Dxf, {"--grid", "-o"}, "x"}));

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
        RefusedCase{"UnknownFormat", {"--format", "png", "a", "-o", "x"}, "--format takes dxf, stl or obj, not 'png'"},
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
    EXPECT_EQ(help.rfind("Usage: relief-foundry-convert [--grid N] [--no-black] [--no-white] "
                         "[--format dxf|stl|obj]\n",
                         0),
              0u);
    EXPECT_NE(help.find("INPUT... -o OUTPUT\n"), std::string::npos);
    EXPECT_NE(help.find("Exit status: 0 when every file converted, 1 when any failed, 2 on a usage error."),
              std::string::npos);
}

} // namespace
