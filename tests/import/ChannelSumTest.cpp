// 16-bit heights in 8-bit pixels: the rounding of grey and colour values to a channel
// sum, the spreading of a sum over red, green and blue, and whole rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "import/ChannelSum.h"

namespace {

int Red(std::uint32_t p) { return static_cast<int>(p & 0xFF); }
int Green(std::uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
int Blue(std::uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }

// True when sum is strictly nearer than a half to numerator / denominator, checked
// with whole numbers only: |2 (sum x denominator - numerator)| < denominator.
bool NearestTo(int sum, std::int64_t numerator, std::int64_t denominator)
{
    return std::llabs(2 * (sum * denominator - numerator)) < denominator;
}

TEST(ChannelSum, EndsOfTheRangeAreBlackAndWhite)
{
    EXPECT_EQ(ChannelSumOfGrey16(0), 0);
    EXPECT_EQ(ChannelSumOfGrey16(65535), 765);
    EXPECT_EQ(ChannelSumOfRgb16(0, 0, 0), 0);
    EXPECT_EQ(ChannelSumOfRgb16(65535, 65535, 65535), 765);
    EXPECT_EQ(StoredPixelOfSum(0), 0xFF000000u);
    EXPECT_EQ(StoredPixelOfSum(765), 0xFFFFFFFFu);
}

struct GreyRow {
    std::uint16_t grey;
    int sum;
};

// Values worked out by hand: 3 x grey / 257 and where it rounds.
const GreyRow kGreys[] = {
    {42, 0},       // 0.490
    {43, 1},       // 0.502
    {128, 1},      // 1.494
    {129, 2},      // 1.506
    {257, 3},      // exactly 3: an 8-bit grey g stored as 257 g comes back as 3 g
    {32767, 382},  // 382.49
    {32768, 383},  // 382.51
    {65449, 764},  // 763.997
    {65492, 764},  // 764.498
    {65493, 765},  // 764.510
};

TEST(ChannelSum, GreyRoundsToTheNearestSum)
{
    for (const GreyRow& row : kGreys)
        EXPECT_EQ(ChannelSumOfGrey16(row.grey), row.sum) << "grey " << row.grey;
}

// Every one of the 65,536 greys, against the exact quotient: nearest sum, never a tie,
// never falling, and all 766 sums reached.
TEST(ChannelSum, EveryGreyKeepsItsHeightToWithinHalfALevel)
{
    int previous = 0;
    std::set<int> reached;
    for (int grey = 0; grey <= 65535; ++grey) {
        const int sum = ChannelSumOfGrey16(static_cast<std::uint16_t>(grey));
        ASSERT_TRUE(NearestTo(sum, std::int64_t{765} * grey, 65535)) << "grey " << grey << " gave " << sum;
        ASSERT_GE(sum, previous) << "grey " << grey;
        previous = sum;
        reached.insert(sum);
    }
    EXPECT_EQ(reached.size(), 766u);
}

// Colour: the quotient depends on the sum of the three channels only; every sum from
// 0 to 196,605 is reached with channels as unequal as possible.
TEST(ChannelSum, EveryColourSumRoundsToTheNearestSum)
{
    for (int n = 0; n <= 3 * 65535; ++n) {
        const int red = n < 65535 ? n : 65535;
        const int green = n - red < 65535 ? n - red : 65535;
        const int blue = n - red - green;
        const int sum = ChannelSumOfRgb16(static_cast<std::uint16_t>(red), static_cast<std::uint16_t>(green),
                                          static_cast<std::uint16_t>(blue));
        ASSERT_TRUE(NearestTo(sum, std::int64_t{255} * n, 65535)) << "channel sum " << n << " gave " << sum;
        // The same sum however it is split among the channels.
        ASSERT_EQ(ChannelSumOfRgb16(static_cast<std::uint16_t>(blue), static_cast<std::uint16_t>(red),
                                    static_cast<std::uint16_t>(green)),
                  sum);
    }
}

TEST(ChannelSum, AGreyColourGivesTheSameSumAsThatGrey)
{
    for (int grey = 0; grey <= 65535; grey += 7) {
        const auto g = static_cast<std::uint16_t>(grey);
        ASSERT_EQ(ChannelSumOfRgb16(g, g, g), ChannelSumOfGrey16(g)) << "grey " << grey;
    }
}

struct SpreadRow {
    int sum;
    int red, green, blue;
};

const SpreadRow kSpreads[] = {
    {0, 0, 0, 0},       {1, 1, 0, 0},       {2, 1, 1, 0},       {3, 1, 1, 1},
    {4, 2, 1, 1},       {383, 128, 128, 127}, {763, 255, 254, 254}, {764, 255, 255, 254},
    {765, 255, 255, 255},
};

TEST(ChannelSum, ASumIsSpreadRedFirst)
{
    for (const SpreadRow& row : kSpreads) {
        const std::uint32_t p = StoredPixelOfSum(row.sum);
        EXPECT_EQ(p >> 24, 0xFFu) << "sum " << row.sum;
        EXPECT_EQ(Red(p), row.red) << "sum " << row.sum;
        EXPECT_EQ(Green(p), row.green) << "sum " << row.sum;
        EXPECT_EQ(Blue(p), row.blue) << "sum " << row.sum;
    }
}

TEST(ChannelSum, EverySpreadAddsUpAndItsChannelsDifferByAtMostOne)
{
    for (int sum = 0; sum <= kMaxChannelSum; ++sum) {
        const std::uint32_t p = StoredPixelOfSum(sum);
        ASSERT_EQ(Red(p) + Green(p) + Blue(p), sum);
        ASSERT_GE(Red(p), Green(p));
        ASSERT_GE(Green(p), Blue(p));
        ASSERT_LE(Red(p) - Blue(p), 1);
    }
}

// A full 16-bit ramp through the row routine: the pixels' channel sums climb one level
// at a time from black to white, so all 766 levels are there and distinct.
TEST(ChannelSum, AGreyRampKeepsAll766Levels)
{
    std::vector<std::uint16_t> ramp(65536);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<std::uint16_t>(i);
    std::vector<std::uint32_t> pixels(ramp.size());
    Grey16RowToPixels(ramp.data(), ramp.size(), pixels.data());
    int previous = 0;
    int levels = 1;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const int sum = Red(pixels[i]) + Green(pixels[i]) + Blue(pixels[i]);
        ASSERT_EQ(pixels[i], StoredPixelOfSum(ChannelSumOfGrey16(ramp[i])));
        ASSERT_TRUE(sum == previous || sum == previous + 1) << "at " << i;
        levels += sum != previous ? 1 : 0;
        previous = sum;
    }
    EXPECT_EQ(levels, 766);
    EXPECT_EQ(pixels.front(), 0xFF000000u);
    EXPECT_EQ(pixels.back(), 0xFFFFFFFFu);
}

TEST(ChannelSum, ColourRowsIgnoreAlpha)
{
    const std::vector<std::uint16_t> rgba = {
        65535, 0,     0,     65535,  // red: sum 255
        65535, 0,     0,     0,      // the same red, fully transparent
        1000,  2000,  3000,  12345,  // 6000 / 257 = 23.3
        0,     0,     129,   0,      // 0.502: rounds up
        0,     0,     128,   65535,  // 0.498: rounds down
    };
    std::vector<std::uint32_t> pixels(5);
    Rgba16RowToPixels(rgba.data(), pixels.size(), pixels.data());
    EXPECT_EQ(pixels[0], 0xFF555555u);
    EXPECT_EQ(pixels[1], 0xFF555555u);
    EXPECT_EQ(pixels[2], StoredPixelOfSum(23));
    EXPECT_EQ(pixels[3], StoredPixelOfSum(1));
    EXPECT_EQ(pixels[4], StoredPixelOfSum(0));
}

}  // namespace
