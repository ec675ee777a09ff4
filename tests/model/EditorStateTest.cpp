#include "model/EditorState.h"

#include <climits>
#include <gtest/gtest.h>

#include "model/ImageSurface.h"

namespace {

ImageSurface SurfaceOfSize(int width, int height)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<std::size_t>(width) * height, StoredPixel(kBlack));
    ImageSurface surface;
    surface.putPicture(std::move(picture));
    return surface;
}

TEST(InitDefaults, GivesPencilNibTenAndBothExportOptions)
{
    EditorState state;
    state.drawing = true;
    state.currentTool = Tool::BlurBrush;
    state.nibSize = 55;
    state.exportBlackPlanes = false;
    state.exportWhitePlanes = false;
    state.gridSize = 120;
    InitDefaults(state);
    EXPECT_FALSE(state.drawing);
    EXPECT_EQ(state.currentTool, Tool::Pencil);
    EXPECT_EQ(state.nibSize, 10);
    EXPECT_TRUE(state.exportBlackPlanes);
    EXPECT_TRUE(state.exportWhitePlanes);
    EXPECT_EQ(state.gridSize, 120);  // the grid is ResetGrid's
}

TEST(ResetGrid, TakesTheDisplaySizeAndClearsEveryHeight)
{
    EditorState state;
    state.gridSize = 170;
    state.drawing = true;
    state.currentTool = Tool::Eraser;
    state.nibSize = 30;
    state.exportWhitePlanes = false;
    for (int i : {0, 1, 150, 300})
        for (int j : {0, 7, 300})
            state.heights.set(i, j, 3.5);
    ImageSurface surface = SurfaceOfSize(640, 480);
    surface.setDisplaySize(321, 199);  // the display, not the picture, gives the size

    ResetGrid(state, surface);

    EXPECT_EQ(state.gridSize, 50);
    EXPECT_EQ(state.imageWidth, 321);
    EXPECT_EQ(state.imageHeight, 199);
    EXPECT_EQ(state.stepX, 6.42);
    EXPECT_EQ(state.stepY, 3.98);
    EXPECT_FALSE(state.drawing);
    for (int i : {0, 1, 150, 300})
        for (int j : {0, 7, 300})
            EXPECT_EQ(state.heights.at(i, j), 0.0) << i << "," << j;
    EXPECT_EQ(state.currentTool, Tool::Eraser);
    EXPECT_EQ(state.nibSize, 30);
    EXPECT_FALSE(state.exportWhitePlanes);
}

TEST(ResetGrid, OnTheStartPictureGivesTheStartSteps)
{
    EditorState state;
    ResetGrid(state, SurfaceOfSize(320, 200));
    EXPECT_EQ(state.stepX, 6.4);
    EXPECT_EQ(state.stepY, 4.0);
}

struct NumberBoxCase {
    const char* text;
    std::int32_t value;
};

class ReadNumberBoxTest : public testing::TestWithParam<NumberBoxCase> {};

TEST_P(ReadNumberBoxTest, ReadsTheLeadingInteger)
{
    EXPECT_EQ(ReadNumberBox(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadNumberBoxTest,
                         testing::Values(NumberBoxCase{"50", 50}, NumberBoxCase{"", 0},
                                         NumberBoxCase{"   42", 42}, NumberBoxCase{"\t8", 8},
                                         NumberBoxCase{"+7", 7}, NumberBoxCase{"-3", -3},
                                         NumberBoxCase{"007", 7}, NumberBoxCase{"12abc", 12},
                                         NumberBoxCase{"12 3", 12}, NumberBoxCase{"abc", 0},
                                         NumberBoxCase{"-", 0}, NumberBoxCase{"- 5", 0},
                                         NumberBoxCase{"+-5", 0}, NumberBoxCase{"5 ", 5},
                                         NumberBoxCase{"2147483647", INT_MAX},
                                         NumberBoxCase{"2147483648", INT_MAX},
                                         NumberBoxCase{"-2147483648", INT_MIN},
                                         NumberBoxCase{"-2147483649", INT_MIN},
                                         NumberBoxCase{"99999999999999999999999999", INT_MAX},
                                         NumberBoxCase{"-99999999999999999999999999", INT_MIN}));

struct GridTextCase {
    const char* text;
    std::int32_t gridSize;
    double stepX;
    double stepY;
};

class ApplyGridSizeTextTest : public testing::TestWithParam<GridTextCase> {};

TEST_P(ApplyGridSizeTextTest, SetsGridSizeAndBothSteps)
{
    EditorState state;
    state.imageWidth = 320;
    state.imageHeight = 200;
    ApplyGridSizeText(state, GetParam().text);
    EXPECT_EQ(state.gridSize, GetParam().gridSize);
    EXPECT_EQ(state.stepX, GetParam().stepX);
    EXPECT_EQ(state.stepY, GetParam().stepY);
}

INSTANTIATE_TEST_SUITE_P(Texts, ApplyGridSizeTextTest,
                         testing::Values(GridTextCase{"100", 100, 3.2, 2.0},
                                         GridTextCase{"1", 1, 320.0, 200.0},
                                         GridTextCase{"300", 300, 1.0666666666666667, 0.6666666666666666},
                                         GridTextCase{"301", 300, 1.0666666666666667, 0.6666666666666666},
                                         GridTextCase{"99999999999", 300, 1.0666666666666667, 0.6666666666666666},
                                         GridTextCase{"3", 3, 106.66666666666667, 66.66666666666667}));

TEST(ApplyGridSizeText, LeavesTheHeightsAlone)
{
    EditorState state;
    state.heights.set(80, 80, 4.2);
    ApplyGridSizeText(state, "40");
    EXPECT_EQ(state.heights.at(80, 80), 4.2);
}

} // namespace
