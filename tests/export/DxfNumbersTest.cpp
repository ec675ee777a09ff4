#include "export/DxfNumbers.h"

#include <charconv>
#include <gtest/gtest.h>

#include "model/SampleHeights.h"
#include "tests/support/PictureBuilder.h"

namespace {

// The reference: to_chars' correctly rounded fixed notation, padded to 8, with CR LF.
std::string Reference84(double value)
{
    char digits[64];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 4).ptr;
    std::string text(digits, end);
    return std::string(text.size() < 8 ? 8 - text.size() : 0, ' ') + text + "\r\n";
}

TEST(DxfNumberTable, EveryChannelSumMatchesSamplingAndACorrectFormatting)
{
    const DxfNumberTable& table = DxfNumbers();
    std::string scratch;
    for (int sum = 0; sum < DxfNumberTable::kSums; ++sum) {
        const double height = PixelIntensity(ColourOfSum(sum)) / 25;
        EXPECT_EQ(table.sumHeight(sum), height) << sum;
        EXPECT_EQ(table.sumLine(sum), Reference84(height)) << sum;
        EXPECT_EQ(table.heightLine(height, scratch), Reference84(height)) << sum;
    }
    EXPECT_TRUE(scratch.empty());  // no sampled height needed the slow path
}

TEST(DxfNumberTable, EveryCornerCoordinateMatchesACorrectFormatting)
{
    std::string scratch;
    for (int coordinate = 0; coordinate < DxfNumberTable::kCoordinates; ++coordinate)
        EXPECT_EQ(DxfNumbers().coordinateLine(coordinate, scratch), Reference84(coordinate)) << coordinate;
}

struct LineCase {
    double value;
    const char* line;
};

class OffTableHeightTest : public testing::TestWithParam<LineCase> {};

TEST_P(OffTableHeightTest, IsFormattedOnTheSpot)
{
    std::string scratch;
    EXPECT_EQ(DxfNumbers().heightLine(GetParam().value, scratch), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Values, OffTableHeightTest,
                         testing::Values(LineCase{12.5, " 12.5000\r\n"}, LineCase{0.1, "  0.1000\r\n"},
                                         LineCase{1e10, "10000000000.0000\r\n"},
                                         LineCase{-0.5, " -0.5000\r\n"},
                                         LineCase{10.2000000001, " 10.2000\r\n"}));

TEST(DxfNumberTable, CoordinatesOutsideTheGridAreFormattedOnTheSpot)
{
    std::string scratch;
    EXPECT_EQ(DxfNumbers().coordinateLine(302, scratch), "302.0000\r\n");
    EXPECT_EQ(DxfNumbers().coordinateLine(-4, scratch), " -4.0000\r\n");
}

struct FixedCase {
    double value;
    int decimals;
    const char* text;
};

class FormatFixedTest : public testing::TestWithParam<FixedCase> {};

TEST_P(FormatFixedTest, PadsToEightAndRoundsHalvesUp)
{
    EXPECT_EQ(FormatFixed(GetParam().value, GetParam().decimals, 8), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatFixedTest,
    testing::Values(FixedCase{0, 4, "  0.0000"}, FixedCase{3, 4, "  3.0000"},
                    FixedCase{1.0 / 75, 4, "  0.0133"}, FixedCase{(128 / 3.0) / 25, 4, "  1.7067"},
                    FixedCase{10.2, 4, " 10.2000"}, FixedCase{301, 4, "301.0000"},
                    FixedCase{12345.5, 4, "12345.5000"}, FixedCase{0, 3, "   0.000"},
                    FixedCase{50, 3, "  50.000"}, FixedCase{301, 3, " 301.000"},
                    FixedCase{0.03125, 4, "  0.0313"}, FixedCase{0.09375, 4, "  0.0938"},
                    FixedCase{0.0625, 3, "   0.063"}, FixedCase{-0.03125, 4, " -0.0313"},
                    FixedCase{0.03124, 4, "  0.0312"}));

} // namespace
