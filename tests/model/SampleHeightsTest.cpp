#include "model/SampleHeights.h"

#include <cmath>
#include <gtest/gtest.h>

#include "model/EditorError.h"
#include "model/EditorState.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureBuilder.h"

namespace {

// ---- Exact-rational model of "the double nearest to p / d" -------------------------

using Wide = unsigned __int128;

// value = mantissa * 2^exponent with a 53-bit mantissa (value > 0).
struct Binary {
    std::uint64_t mantissa;
    int exponent;
};

Binary Decompose(double value)
{
    int e = 0;
    const double fraction = std::frexp(value, &e);
    return {static_cast<std::uint64_t>(std::ldexp(fraction, 53)), e - 53};
}

// Whether c is the nearest double to num * 2^numExp / den (positive), ties to even,
// decided in integers: |c*den - num| against half the spacing around c, times den.
bool IsNearestDouble(double c, std::uint64_t num, int numExp, std::uint64_t den)
{
    const Binary b = Decompose(c);
    const int base = std::min(b.exponent - 2, numExp);  // -2 leaves room for quarter spacings
    const Wide scaledC = (Wide{b.mantissa} << (b.exponent - base)) * den;
    const Wide scaledQ = Wide{num} << (numExp - base);
    const bool below = scaledQ < scaledC;
    const Wide distance = below ? scaledC - scaledQ : scaledQ - scaledC;
    // Spacing above c is 2^exponent; below a power of two it is half that.
    const bool powerOfTwo = b.mantissa == (std::uint64_t{1} << 52);
    const int spacingExp = (below && powerOfTwo) ? b.exponent - 1 : b.exponent;
    const Wide halfSpacing = (Wide{1} << (spacingExp - 1 - base)) * den;
    if (distance < halfSpacing)
        return true;
    return distance == halfSpacing && b.mantissa % 2 == 0;
}

// The height of a channel sum by the rule: (sum / 3 to the nearest double) / 25 to the
// nearest double, checked exactly rather than computed.
bool IsExactHeight(double height, int sum)
{
    if (sum == 0)
        return height == 0.0;
    const double intensity = sum / 3.0;
    if (!IsNearestDouble(intensity, static_cast<std::uint64_t>(sum), 0, 3))
        return false;
    const Binary i = Decompose(intensity);
    return IsNearestDouble(height, i.mantissa, i.exponent, 25);
}

// ---- PixelIntensity ---------------------------------------------------------------

struct IntensityCase {
    ColourValue colour;
    double intensity;
};

class PixelIntensityTest : public testing::TestWithParam<IntensityCase> {};

TEST_P(PixelIntensityTest, IsTheChannelMean)
{
    EXPECT_EQ(PixelIntensity(GetParam().colour), GetParam().intensity);
}

INSTANTIATE_TEST_SUITE_P(Colours, PixelIntensityTest,
                         testing::Values(IntensityCase{kBlack, 0.0},
                                         IntensityCase{0x000001, 0.3333333333333333},
                                         IntensityCase{kMaroon, 42.666666666666664},
                                         IntensityCase{kWhite, 255.0},
                                         IntensityCase{0x00030201, 2.0},
                                         IntensityCase{0xFFFFFFFF, 0.0},    // read outside
                                         IntensityCase{0x80000005, 255.0},  // system white
                                         IntensityCase{0x800000FF, 0.0}));

TEST(PixelIntensity, EveryChannelSumGivesTheExactlyRoundedHeight)
{
    int multiplyDiffers = 0;
    for (int sum = 0; sum <= 765; ++sum) {
        const double height = PixelIntensity(ColourOfSum(sum)) / 25;
        EXPECT_TRUE(IsExactHeight(height, sum)) << "sum " << sum;
        if (!IsExactHeight((sum / 3.0) * 0.04, sum))
            ++multiplyDiffers;
    }
    // The model itself tells the division from a multiplication by 0.04.
    EXPECT_EQ(multiplyDiffers, 104);
}

// ---- RoundProduct -------------------------------------------------------------------

struct ProductCase {
    int index;
    double step;
    long long rounded;
};

class RoundProductTest : public testing::TestWithParam<ProductCase> {};

TEST_P(RoundProductTest, RoundsTheExactProductHalvesToEven)
{
    EXPECT_EQ(RoundProduct(GetParam().index, GetParam().step), GetParam().rounded);
}

INSTANTIATE_TEST_SUITE_P(Products, RoundProductTest,
                         testing::Values(ProductCase{1, 2.5, 2}, ProductCase{1, 3.5, 4},
                                         ProductCase{3, 0.5, 2}, ProductCase{1, 6.4, 6},
                                         ProductCase{50, 6.4, 320}, ProductCase{49, 6.4, 314},
                                         // 0.1 lies above a tenth: the exact product is just
                                         // over a half, though in doubles it is exactly 0.5.
                                         ProductCase{5, 0.1, 1},
                                         ProductCase{3, 20.0 / 24, 3},
                                         ProductCase{33, 20.0 / 88, 7}));

// ---- SampleHeights ------------------------------------------------------------------

EditorState StateFor(const ImageSurface& surface, int gridSize)
{
    EditorState state;
    ResetGrid(state, surface);
    state.gridSize = gridSize;
    return state;
}

// One white pixel on black: exactly one grid cell may see it.
struct WhitePixelCase {
    int width, height, gridSize;
    int x, y;
    int i, j;
};

class SampleHeightsPixelTest : public testing::TestWithParam<WhitePixelCase> {};

TEST_P(SampleHeightsPixelTest, OnlyTheCellThatReadsThePixelIsWhite)
{
    const WhitePixelCase& c = GetParam();
    const ImageSurface surface = SurfaceWith(MakePicture(c.width, c.height, kBlack, {{c.x, c.y, kWhite}}));
    EditorState state = StateFor(surface, c.gridSize);
    SampleHeights(state, surface);
    for (int i = 0; i <= c.gridSize; ++i)
        for (int j = 0; j <= c.gridSize; ++j)
            EXPECT_EQ(state.heights.at(i, j), (i == c.i && j == c.j) ? 10.2 : 0.0) << i << "," << j;
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, SampleHeightsPixelTest,
    testing::Values(WhitePixelCase{320, 200, 50, 314, 4, 1, 1},  // column 1 at 314, row 1 at 4
                    WhitePixelCase{320, 200, 50, 0, 196, 50, 49},
                    WhitePixelCase{5, 4, 2, 3, 2, 1, 1}));        // step 2.5: x = 2, tie to even

// Pictures one pixel thick whose pixel k has channel sum k + 1, so a height tells which
// pixel was read (-1: outside the picture).
int PixelReadAt(double height) { return static_cast<int>(std::lrint(height * 75)) - 1; }

struct ReadCase {
    int length, gridSize, index, pixel;
};

class ColumnReadTest : public testing::TestWithParam<ReadCase> {};
class RowReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ColumnReadTest, GridColumnReadsImageColumn)
{
    const ReadCase& c = GetParam();
    Picture picture = MakePicture(c.length, 1, kBlack);
    for (int x = 0; x < c.length; ++x)
        picture.pixels[static_cast<std::size_t>(x)] = StoredPixel(ColourOfSum(x + 1));
    const ImageSurface surface = SurfaceWith(std::move(picture));
    EditorState state = StateFor(surface, c.gridSize);
    SampleHeights(state, surface);
    // Grid row 1 reads image row round(1 / gridSize) = 0 for these grid sizes.
    EXPECT_EQ(PixelReadAt(state.heights.at(c.index, 1)), c.pixel);
}

TEST_P(RowReadTest, GridRowReadsImageRow)
{
    const ReadCase& c = GetParam();
    Picture picture = MakePicture(1, c.length, kBlack);
    for (int y = 0; y < c.length; ++y)
        picture.pixels[static_cast<std::size_t>(y)] = StoredPixel(ColourOfSum(y + 1));
    const ImageSurface surface = SurfaceWith(std::move(picture));
    EditorState state = StateFor(surface, c.gridSize);
    SampleHeights(state, surface);
    // The last grid column reads image column 0.
    EXPECT_EQ(PixelReadAt(state.heights.at(c.gridSize, c.index)), c.pixel);
}

// Columns: ImageWidth - round(i * StepX). The last three pick another pixel when the
// product is rounded to a double before it is rounded to an integer.
INSTANTIATE_TEST_SUITE_P(Cases, ColumnReadTest,
                         testing::Values(ReadCase{320, 50, 1, 314}, ReadCase{320, 50, 50, 0},
                                         ReadCase{320, 50, 25, 160}, ReadCase{5, 2, 1, 3},
                                         ReadCase{5, 2, 2, 0}, ReadCase{1, 10, 5, 0},
                                         ReadCase{20, 24, 3, 17}, ReadCase{20, 88, 33, 13}));

// Rows: round(j * StepY); the last row lies below the picture and reads black.
INSTANTIATE_TEST_SUITE_P(Cases, RowReadTest,
                         testing::Values(ReadCase{200, 50, 1, 4}, ReadCase{200, 50, 49, 196},
                                         ReadCase{200, 50, 50, -1}, ReadCase{5, 2, 1, 2},
                                         ReadCase{20, 24, 3, 3}, ReadCase{20, 88, 33, 7}));

TEST(SampleHeights, EveryHeightIsTheIntensityDividedBy25)
{
    // Column x holds channel sum x, so the grid meets sums from 0 to 765.
    Picture picture = MakePicture(766, 1, kBlack);
    for (int x = 0; x < 766; ++x)
        picture.pixels[static_cast<std::size_t>(x)] = StoredPixel(ColourOfSum(x));
    const ImageSurface surface = SurfaceWith(std::move(picture));
    EditorState state = StateFor(surface, 300);
    SampleHeights(state, surface);
    for (int i = 1; i <= 300; ++i) {
        const int column = 766 - static_cast<int>(RoundProduct(i, state.stepX));
        EXPECT_EQ(state.heights.at(i, 1), PixelIntensity(surface.pixel(column, 0)) / 25) << i;
    }
}

TEST(SampleHeights, AllWhiteGivesTenPointTwoAndABlackLastRow)
{
    const ImageSurface surface = SurfaceWith(MakePicture(320, 200, kWhite));
    EditorState state = StateFor(surface, 50);
    SampleHeights(state, surface);
    EXPECT_EQ(state.stepX, 6.4);
    EXPECT_EQ(state.stepY, 4.0);
    for (int i = 0; i <= 51; ++i)
        for (int j = 0; j <= 51; ++j) {
            const bool sampled = i >= 1 && i <= 50 && j >= 1 && j <= 49;
            EXPECT_EQ(state.heights.at(i, j), sampled ? 10.2 : 0.0) << i << "," << j;
        }
}

TEST(SampleHeights, GridThreeHundredStaysInsideTheGrid)
{
    const ImageSurface surface = SurfaceWith(MakePicture(320, 200, kWhite));
    EditorState state = StateFor(surface, 300);
    SampleHeights(state, surface);
    EXPECT_EQ(state.heights.at(300, 299), 10.2);
    EXPECT_EQ(state.heights.at(300, 300), 0.0);
    EXPECT_EQ(state.heights.at(301, 1), 0.0);
}

TEST(SampleHeights, AShrunkGridLeavesTheOuterHeights)
{
    const ImageSurface surface = SurfaceWith(MakePicture(320, 200, kWhite));
    EditorState state = StateFor(surface, 100);
    SampleHeights(state, surface);
    ApplyGridSizeText(state, "50");
    SampleHeights(state, surface);
    EXPECT_EQ(state.heights.at(51, 50), 10.2);   // from the first sampling
    EXPECT_EQ(state.heights.at(100, 99), 10.2);
    EXPECT_EQ(state.heights.at(30, 50), 0.0);    // the second sampling's last row
}

TEST(SampleHeights, UsesTheSizeTakenAtTheLastReset)
{
    // 10 x 10 at reset, then a larger picture: sampling still lays the grid over 10 x 10.
    ImageSurface surface = SurfaceWith(MakePicture(10, 10, kBlack));
    EditorState state = StateFor(surface, 2);
    surface.putPicture(MakePicture(40, 40, kBlack, {{5, 5, kWhite}}));
    SampleHeights(state, surface);
    EXPECT_EQ(state.heights.at(1, 1), 10.2);
}

TEST(SampleHeights, ANonBitmapFailsWithTheHeightsUntouched)
{
    Picture icon = MakePicture(32, 32, kWhite);
    icon.kind = PictureKind::Icon;
    const ImageSurface surface = SurfaceWith(std::move(icon));
    EditorState state = StateFor(surface, 10);
    for (int i = 0; i <= 11; ++i)
        for (int j = 0; j <= 11; ++j)
            state.heights.set(i, j, 7.25);
    EXPECT_EQ(FailureOf([&] { SampleHeights(state, surface); }), Failure::NotABitmap);
    for (int i = 0; i <= 11; ++i)
        for (int j = 0; j <= 11; ++j)
            EXPECT_EQ(state.heights.at(i, j), 7.25);
}

} // namespace
