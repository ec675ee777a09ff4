#include "paint/PaintStep.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/EditorError.h"
#include "model/EditorState.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureBuilder.h"


namespace {

const ColourValue kBackground = Grey(100);
const ColourValue kPen = MakeColour(10, 20, 30);

EditorState Drawing(Tool tool, int nib)
{
    EditorState state;
    state.currentTool = tool;
    state.nibSize = nib;
    state.drawing = true;
    return state;
}

// Every pixel of the picture inside `square` must be `inside`, every other `outside`.
void ExpectSquare(const ImageSurface& surface, Rect square, ColourValue inside, ColourValue outside)
{
    for (int y = 0; y < surface.picture().height; ++y)
        for (int x = 0; x < surface.picture().width; ++x) {
            const bool in = x >= square.left && x < square.right && y >= square.top && y < square.bottom;
            ASSERT_EQ(PixelOf(surface, x, y), in ? inside : outside) << "at " << x << ", " << y;
        }
}

} // namespace

// --- Snapping --------------------------------------------------------------------------

struct SnapRow {
    int coordinate, nib, expected;
};

class SnapToNibTest : public testing::TestWithParam<SnapRow> {};

TEST_P(SnapToNibTest, TruncatesTowardZero)
{
    EXPECT_EQ(SnapToNib(GetParam().coordinate, GetParam().nib), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cells, SnapToNibTest,
                         testing::Values(SnapRow{27, 10, 20}, SnapRow{21, 10, 20}, SnapRow{20, 10, 20},
                                         SnapRow{19, 10, 10}, SnapRow{0, 10, 0}, SnapRow{-5, 10, 0},
                                         SnapRow{-9, 10, 0}, SnapRow{-10, 10, -10},
                                         SnapRow{-11, 10, -10}, SnapRow{7, 1, 7},
                                         SnapRow{99, 100, 0}, SnapRow{319, 100, 300}));

// --- When nothing is painted -------------------------------------------------------------

TEST(PaintStepIdle, NotDrawingPaintsNothing)
{
    ImageSurface surface = SurfaceWith(MakePicture(30, 20, kBackground));
    int changes = 0;
    surface.setChangeListener([&](const Rect&) { ++changes; });
    EditorState state = Drawing(Tool::Pencil, 10);
    state.drawing = false;

    EXPECT_EQ(PaintStep(state, surface, kPen, kLeftButton, 5, 5), Rect{});
    EXPECT_EQ(changes, 0);
    ExpectSquare(surface, Rect{}, kPen, kBackground);
}

TEST(PaintStepIdle, NibZeroPaintsNothing)
{
    ImageSurface surface = SurfaceWith(MakePicture(30, 20, kBackground));
    int changes = 0;
    surface.setChangeListener([&](const Rect&) { ++changes; });

    for (Tool tool : {Tool::Pencil, Tool::Eraser, Tool::BlurBrush})
        EXPECT_EQ(PaintStep(Drawing(tool, 0), surface, kPen, kLeftButton, 5, 5), Rect{});
    EXPECT_EQ(changes, 0);
    ExpectSquare(surface, Rect{}, kPen, kBackground);
}

// --- Squares and clipping ----------------------------------------------------------------

struct SquareRow {
    int width, height, nib, x, y;
    Rect filled;  // the square handed to the fill
    Rect visible; // the part of it on the picture
};

class PaintStepSquare : public testing::TestWithParam<SquareRow> {};

TEST_P(PaintStepSquare, FillsTheNibCellClippedToThePicture)
{
    const SquareRow& row = GetParam();
    ImageSurface surface = SurfaceWith(MakePicture(row.width, row.height, kBackground));
    std::vector<Rect> reported;
    surface.setChangeListener([&](const Rect& r) { reported.push_back(r); });

    EXPECT_EQ(PaintStep(Drawing(Tool::Pencil, row.nib), surface, kPen, kLeftButton, row.x, row.y), row.filled);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], row.visible);
    ExpectSquare(surface, row.visible, kPen, kBackground);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, PaintStepSquare,
    testing::Values(SquareRow{40, 30, 10, 27, 3, {20, 0, 30, 10}, {20, 0, 30, 10}},
                    SquareRow{40, 30, 10, 21, 8, {20, 0, 30, 10}, {20, 0, 30, 10}},
                    // off the left edge while the pointer is captured
                    SquareRow{40, 30, 10, -5, 12, {0, 10, 10, 20}, {0, 10, 10, 20}},
                    SquareRow{40, 30, 10, -10, 12, {-10, 10, 0, 20}, {}},
                    SquareRow{40, 30, 10, 5, -3, {0, 0, 10, 10}, {0, 0, 10, 10}},
                    // beyond the right and bottom edges
                    SquareRow{35, 25, 10, 34, 24, {30, 20, 40, 30}, {30, 20, 35, 25}},
                    SquareRow{35, 25, 10, 45, 5, {40, 0, 50, 10}, {}},
                    SquareRow{40, 30, 1, 7, 9, {7, 9, 8, 10}, {7, 9, 8, 10}},
                    SquareRow{320, 200, 100, 250, 150, {200, 100, 300, 200}, {200, 100, 300, 200}}));

// --- Colour by tool and shift state --------------------------------------------------------

struct ToolRow {
    const char* name;
    Tool tool;
    ShiftState shift;
    ColourValue expected;
};

class PaintStepColour : public testing::TestWithParam<ToolRow> {};

TEST_P(PaintStepColour, ChosenByToolAndExactShiftSet)
{
    const ToolRow& row = GetParam();
    ImageSurface surface = SurfaceWith(MakePicture(20, 20, kBackground));
    PaintStep(Drawing(row.tool, 10), surface, kPen, row.shift, 3, 3);
    ExpectSquare(surface, Rect{0, 0, 10, 10}, row.expected, kBackground);
}

INSTANTIATE_TEST_SUITE_P(
    Tools, PaintStepColour,
    testing::Values(ToolRow{"PencilLeft", Tool::Pencil, kLeftButton, kPen},
                    ToolRow{"PencilRightAlone", Tool::Pencil, kRightButton, kBlack},
                    ToolRow{"PencilRightCtrl", Tool::Pencil, kRightButton | kCtrlKey, kPen},
                    ToolRow{"PencilRightShift", Tool::Pencil, kRightButton | kShiftKey, kPen},
                    ToolRow{"PencilRightAlt", Tool::Pencil, kRightButton | kAltKey, kPen},
                    ToolRow{"PencilLeftRight", Tool::Pencil, kLeftButton | kRightButton, kPen},
                    ToolRow{"PencilRightMiddle", Tool::Pencil, kRightButton | kMiddleButton, kPen},
                    ToolRow{"PencilMiddle", Tool::Pencil, kMiddleButton, kPen},
                    ToolRow{"PencilNoButton", Tool::Pencil, 0, kPen},
                    ToolRow{"EraserLeft", Tool::Eraser, kLeftButton, kBlack},
                    ToolRow{"EraserRightAlone", Tool::Eraser, kRightButton, kWhite},
                    ToolRow{"EraserRightCtrl", Tool::Eraser, kRightButton | kCtrlKey, kBlack},
                    ToolRow{"EraserLeftRight", Tool::Eraser, kLeftButton | kRightButton, kBlack},
                    ToolRow{"EraserMiddle", Tool::Eraser, kMiddleButton, kBlack},
                    ToolRow{"EraserNoButton", Tool::Eraser, 0, kBlack}),
    [](const testing::TestParamInfo<ToolRow>& info) { return std::string(info.param.name); });

// --- Blur brush ---------------------------------------------------------------------------

TEST(BlurBrush, MeansThreePixelsWithTruncation)
{
    // Nib 1 at (0, 0): the pixel itself, (1, 1), and the outside pixel (-1, 0) as black.
    Picture picture = MakePicture(3, 3, kBackground);
    SetPixel(picture, 0, 0, MakeColour(91, 90, 92));
    SetPixel(picture, 1, 1, MakeColour(30, 61, 3));
    ImageSurface surface = SurfaceWith(std::move(picture));

    PaintStep(Drawing(Tool::BlurBrush, 1), surface, kPen, kLeftButton, 0, 0);
    EXPECT_EQ(PixelOf(surface, 0, 0), MakeColour(40, 50, 31));
    EXPECT_EQ(PixelOf(surface, 1, 0), kBackground);
}

TEST(BlurBrush, RepeatedStepsInOneCellFollowTheLeftNeighbour)
{
    // Cell x 2..3, y 0..1 starts red 0 / green 255; the pixel left of it is red 255 / green 0.
    // Each step maps a channel V to (2V + L) div 3.
    Picture picture = MakePicture(4, 3, MakeColour(0, 255, 7));
    SetPixel(picture, 1, 0, MakeColour(255, 0, 7));
    ImageSurface surface = SurfaceWith(std::move(picture));
    const EditorState state = Drawing(Tool::BlurBrush, 2);

    const std::vector<int> rising = {85, 141, 179, 204, 221, 232, 239, 244, 247, 249, 251, 252, 253, 253, 253};
    const std::vector<int> falling = {170, 113, 75, 50, 33, 22, 14, 9, 6, 4, 2, 1, 0, 0, 0};
    for (std::size_t step = 0; step < rising.size(); ++step) {
        PaintStep(state, surface, kPen, kLeftButton, step % 2 ? 3 : 2, step % 2 ? 0 : 1);
        ASSERT_EQ(PixelOf(surface, 3, 1), MakeColour(rising[step], falling[step], 7)) << "step " << step;
    }
    EXPECT_EQ(PixelOf(surface, 1, 0), MakeColour(255, 0, 7));
}

// --- A whole stroke -------------------------------------------------------------------------

char Symbol(ColourValue colour)
{
    if (colour == kPen)
        return 'P';
    if (colour == kBlack)
        return 'k';
    if (colour == kBackground)
        return '.';
    return '?';
}

TEST(Stroke, SeparateSquaresAtEachMoveOnly)
{
    ImageSurface surface = SurfaceWith(MakePicture(12, 8, kBackground));
    EditorState state = Drawing(Tool::Pencil, 3);
    PaintStep(state, surface, kPen, kLeftButton, 1, 1);
    PaintStep(state, surface, kPen, kLeftButton, 7, 2);
    PaintStep(state, surface, kPen, kRightButton, 4, 4);
    PaintStep(state, surface, kPen, kLeftButton, -2, 7);
    PaintStep(state, surface, kPen, kLeftButton | kRightButton, 11, 7);
    state.drawing = false;
    PaintStep(state, surface, kPen, kLeftButton, 4, 0);

    const std::vector<std::string> expected = {
        "PPP...PPP...",
        "PPP...PPP...",
        "PPP...PPP...",
        "...kkk......",
        "...kkk......",
        "...kkk......",
        "PPP......PPP",
        "PPP......PPP",
    };
    EXPECT_EQ(AsText(surface, Symbol), expected);
}

// --- Pictures without pixels ------------------------------------------------------------------

class PaintStepOnIcon : public testing::TestWithParam<Tool> {};

TEST_P(PaintStepOnIcon, FailsBeforeChangingAnything)
{
    ImageSurface surface = IconSurface();
    int changes = 0;
    surface.setChangeListener([&](const Rect&) { ++changes; });
    EXPECT_EQ(FailureOf([&] { PaintStep(Drawing(GetParam(), 10), surface, kPen, kLeftButton, 5, 5); }),
              Failure::NotABitmap);
    EXPECT_EQ(changes, 0);
}

INSTANTIATE_TEST_SUITE_P(Tools, PaintStepOnIcon, testing::Values(Tool::Pencil, Tool::Eraser, Tool::BlurBrush));
