#include "paint/BlurImage.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/EditorError.h"
#include "model/EditorState.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureBuilder.h"


namespace {

EditorState GridOver(int imageWidth, int imageHeight, int gridSize)
{
    EditorState state;
    state.gridSize = gridSize;
    state.imageWidth = imageWidth;
    state.imageHeight = imageHeight;
    state.stepX = static_cast<double>(imageWidth) / gridSize;
    state.stepY = static_cast<double>(imageHeight) / gridSize;
    return state;
}

struct Fill {
    Rect rect;
    ColourValue colour;
};

// Records every block's fill, in order, with the colour it used.
class FillRecorder {
public:
    FillRecorder(const FillRecorder&) = delete;
    explicit FillRecorder(ImageSurface& surface)
    {
        surface.setChangeListener([this, &surface](const Rect& r) { fills.push_back({r, surface.brushColour()}); });
    }
    std::vector<Fill> fills;
};

// ---- An independent reference ------------------------------------------------------------
// Rounding done in integers: a double is m * 2^q exactly, so n + k * step is an exact
// fraction whose nearest integer (halves to even) can be found without floating point.

long long RoundExactly(long long n, long long k, double step)
{
    int exponent = 0;
    const double fraction = std::frexp(step, &exponent);
    const auto mantissa = static_cast<__int128>(std::ldexp(fraction, 53));
    const int q = exponent - 53;
    if (q >= 0)
        return static_cast<long long>(n + k * (mantissa << q));
    const int shift = -q;
    const __int128 scaled = (static_cast<__int128>(n) << shift) + k * mantissa;
    const __int128 one = static_cast<__int128>(1) << shift;
    __int128 whole = scaled >> shift;  // floor, also for negative values
    const __int128 rest = scaled - (whole << shift);
    if (2 * rest > one || (2 * rest == one && (whole & 1)))
        ++whole;
    return static_cast<long long>(whole);
}

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Canvas {
    int width, height;
    std::vector<Rgb> pixels;

    Rgb at(long long x, long long y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return {};
        return pixels[static_cast<std::size_t>(y * width + x)];
    }
    void fill(long long left, long long top, long long right, long long bottom, Rgb colour)
    {
        for (long long y = std::max(top, 0LL); y < std::min(bottom, static_cast<long long>(height)); ++y)
            for (long long x = std::max(left, 0LL); x < std::min(right, static_cast<long long>(width)); ++x)
                pixels[static_cast<std::size_t>(y * width + x)] = colour;
    }
};

void ReferenceBlur(Canvas& canvas, int gridSize, double stepX, double stepY)
{
    for (int i = 0; i <= gridSize; ++i) {
        for (int j = 0; j <= gridSize; ++j) {
            const long long e = RoundExactly(0, i, stepX);
            const long long f = RoundExactly(0, j, stepY);
            const Rgb a = canvas.at(e, f);
            const Rgb b = canvas.at(RoundExactly(e, 1, stepX), RoundExactly(f, 1, stepY));
            const Rgb c = canvas.at(std::max(RoundExactly(e, -1, stepX), 0LL), f);
            const Rgb mean{(a.r + b.r + c.r) / 3, (a.g + b.g + c.g) / 3, (a.b + b.b + c.b) / 3};
            canvas.fill(e, f, RoundExactly(e + 1, 1, stepX), RoundExactly(f + 1, 1, stepY), mean);
        }
    }
}

Canvas CanvasOf(const Picture& picture)
{
    Canvas canvas{picture.width, picture.height, {}};
    for (std::uint32_t pixel : picture.pixels)
        canvas.pixels.push_back({int(pixel & 0xFF), int((pixel >> 8) & 0xFF), int((pixel >> 16) & 0xFF)});
    return canvas;
}

} // namespace

// ---- Whole passes against the reference ------------------------------------------------------

struct PassRow {
    int pictureWidth, pictureHeight;  // the picture now
    int capturedWidth, capturedHeight;  // the size the grid was laid over
    int gridSize;
};

class BlurImagePass : public testing::TestWithParam<PassRow> {};

TEST_P(BlurImagePass, MatchesTheReference)
{
    const PassRow& row = GetParam();
    const Picture picture = NoisePicture(row.pictureWidth, row.pictureHeight);
    const EditorState state = GridOver(row.capturedWidth, row.capturedHeight, row.gridSize);
    Canvas expected = CanvasOf(picture);
    ReferenceBlur(expected, state.gridSize, state.stepX, state.stepY);

    ImageSurface surface = SurfaceWith(picture);
    BlurImage(state, surface);
    const Canvas actual = CanvasOf(surface.picture());
    ASSERT_EQ(actual.pixels.size(), expected.pixels.size());
    for (std::size_t k = 0; k < actual.pixels.size(); ++k)
        ASSERT_EQ(actual.pixels[k], expected.pixels[k])
            << "at " << k % static_cast<std::size_t>(row.pictureWidth) << ", "
            << k / static_cast<std::size_t>(row.pictureWidth);
}

INSTANTIATE_TEST_SUITE_P(Grids, BlurImagePass,
                         testing::Values(PassRow{37, 23, 37, 23, 7}, PassRow{37, 23, 37, 23, 50},
                                         PassRow{37, 23, 37, 23, 300}, PassRow{64, 48, 60, 50, 13},
                                         PassRow{5, 4, 5, 4, 6}, PassRow{320, 200, 320, 200, 50},
                                         PassRow{97, 61, 97, 61, 1}));

// ---- Block layout ---------------------------------------------------------------------------

TEST(BlurImageBlocks, StepOf6Point4)
{
    Picture picture = MakePicture(320, 200, Grey(100));
    SetPixel(picture, 0, 0, MakeColour(30, 60, 90));
    SetPixel(picture, 6, 4, MakeColour(3, 4, 5));
    ImageSurface surface = SurfaceWith(std::move(picture));
    FillRecorder recorder(surface);
    const std::vector<Fill>& fills = recorder.fills;

    BlurImage(GridOver(320, 200, 50), surface);

    ASSERT_EQ(fills.size(), 51u * 51u);
    // (0, 0): corner (0, 0) twice (the left sample is clamped to 0) and (6, 4).
    EXPECT_EQ(fills[0].rect, (Rect{0, 0, 7, 5}));
    EXPECT_EQ(fills[0].colour, MakeColour(21, 41, 61));
    // (0, 1) reads row 4, already blurred by (0, 0).
    EXPECT_EQ(fills[1].rect, (Rect{0, 4, 7, 9}));
    EXPECT_EQ(fills[1].colour, MakeColour(47, 60, 74));
    // (1, 0): corner 6, left sample Round(-0.4) = 0 inside block (0, 0).
    EXPECT_EQ(fills[51].rect, (Rect{6, 0, 13, 5}));
    EXPECT_EQ(fills[51].colour, MakeColour(47, 60, 74));
    // (49, 0): corner 314, fill to 321 clipped; (50, 50) lies entirely outside.
    EXPECT_EQ(fills[49 * 51].rect, (Rect{314, 0, 320, 5}));
    EXPECT_EQ(fills[51 * 51 - 1].rect, Rect{});
}

TEST(BlurImageBlocks, StepOf6Point5RoundsHalvesToEven)
{
    ImageSurface surface = SurfaceWith(MakePicture(80, 80, Grey(50)));
    FillRecorder recorder(surface);
    const std::vector<Fill>& fills = recorder.fills;

    BlurImage(GridOver(65, 65, 10), surface);

    const std::array<std::array<int, 2>, 6> columns = {{{0, 8}, {6, 14}, {13, 20}, {20, 28}, {26, 34}, {32, 40}}};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(fills[static_cast<std::size_t>(i * 11)].rect, (Rect{columns[i][0], 0, columns[i][1], 8}))
            << "column " << i;
}

TEST(BlurImageBlocks, ProductsAreRoundedExactlyNotAsDoubles)
{
    // 3 x (5 / 6) is a hair above 2.5 but rounds to exactly 2.5 as a double.
    ImageSurface surface = SurfaceWith(MakePicture(5, 4, Grey(50)));
    FillRecorder recorder(surface);
    const std::vector<Fill>& fills = recorder.fills;

    BlurImage(GridOver(5, 4, 6), surface);
    EXPECT_EQ(fills[3 * 7].rect.left, 3);
}

// ---- A flat picture --------------------------------------------------------------------------

TEST(BlurImageFlat, DarkensOnlyTheRightAndBottomBlocks)
{
    ImageSurface surface = SurfaceWith(MakePicture(320, 200, Grey(120)));
    BlurImage(GridOver(320, 200, 50), surface);

    // Right column of blocks: the diagonal sample is outside, the corner comes from the
    // block above: 240/3 = 80, (80 + 120)/3 = 66, 62, 60, then 60 for good.
    const std::vector<std::array<int, 2>> rightColumn = {{0, 80}, {3, 80}, {4, 66}, {7, 66}, {8, 62},
                                                         {12, 60}, {16, 60}, {100, 60}};
    for (const auto& [y, level] : rightColumn)
        for (int x = 314; x < 320; ++x)
            EXPECT_EQ(PixelOf(surface, x, y), Grey(level)) << x << ", " << y;
    // Bottom row: block (0, 49) gives 80; block (1, 49) reads its corner as block (1, 48)
    // left it and carries 80 on from the left: (120 + 80)/3 = 66.
    EXPECT_EQ(PixelOf(surface, 0, 196), Grey(80));
    EXPECT_EQ(PixelOf(surface, 6, 199), Grey(66));
    // Everything else keeps its colour.
    for (int y = 0; y < 196; ++y)
        for (int x = 0; x < 314; ++x)
            ASSERT_EQ(PixelOf(surface, x, y), Grey(120)) << x << ", " << y;
}

TEST(BlurImageFlat, SecondPassDarkensTheEdgesFurther)
{
    ImageSurface surface = SurfaceWith(MakePicture(320, 200, Grey(120)));
    BlurImage(GridOver(320, 200, 50), surface);
    BlurImage(GridOver(320, 200, 50), surface);
    // Corner 314, 0 now reads itself at 80 and the left sample at 120: 200/3 = 66.
    EXPECT_EQ(PixelOf(surface, 314, 0), Grey(66));
    EXPECT_EQ(PixelOf(surface, 100, 100), Grey(120));
}

// ---- Failures ---------------------------------------------------------------------------------

TEST(BlurImageFailure, IconPictureFailsAtTheFirstReadAndChangesNothing)
{
    ImageSurface surface = IconSurface();
    int changes = 0;
    surface.setChangeListener([&](const Rect&) { ++changes; });
    EXPECT_EQ(FailureOf([&] { BlurImage(GridOver(32, 32, 50), surface); }), Failure::NotABitmap);
    EXPECT_EQ(changes, 0);
}

TEST(BlurImageFailure, UndefinedStepFailsInsteadOfFillingGarbage)
{
    ImageSurface surface = SurfaceWith(MakePicture(8, 8, Grey(9)));
    int changes = 0;
    surface.setChangeListener([&](const Rect&) { ++changes; });
    EditorState state = GridOver(8, 8, 1);
    state.gridSize = 0;
    state.stepX = state.stepY = std::nan("");
    EXPECT_EQ(FailureOf([&] { BlurImage(state, surface); }), Failure::InvalidFloatingPoint);
    EXPECT_EQ(changes, 0);
}
