// The one rule between the view's pixels and the picture's, at several zooms and scroll
// positions, and the zoom steps the View menu and the wheel go through.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/ViewMapping.h"
#include "ui/ZoomSteps.h"

namespace {

const double kRootTwo = std::sqrt(2.0);

struct MappingRow {
    const char* name;
    double zoom;
    int scroll, view, picture;
};

class PictureUnderView : public ::testing::TestWithParam<MappingRow> {};

TEST_P(PictureUnderView, IsTheOneItsLeftEdgeLiesOnRoundedDown)
{
    EXPECT_EQ(PictureCoordinate(GetParam().view, GetParam().scroll, GetParam().zoom), GetParam().picture);
}

INSTANTIATE_TEST_SUITE_P(
    Zooms, PictureUnderView,
    ::testing::Values(MappingRow{"Actual", 1.0, 0, 319, 319}, MappingRow{"ActualScrolled", 1.0, 100, 5, 105},
                      MappingRow{"FourEndOfASquare", 4.0, 0, 3, 0}, MappingRow{"FourLeftOfPicture", 4.0, 0, -1, -1},
                      MappingRow{"FourScrolledIntoASquare", 4.0, 10, 2, 3},
                      MappingRow{"QuarterScrolled", 0.25, 3, 1, 16}, MappingRow{"RootTwo", kRootTwo, 0, 3, 2},
                      MappingRow{"FarOutsideSaturates", 1.0 / 64, 0, 2000000000, 1 << 30}),
    [](const auto& info) { return std::string(info.param.name); });

// ViewCoordinate, where each picture pixel starts on screen, rests on the very division
// the mouse uses, so painting lands where the pixel shows at every edge.
TEST(ViewMapping, EveryPicturePixelStartsWhereTheMouseFindsIt)
{
    for (const auto& [zoom, scroll] : {std::pair{1.0, 0}, {4.0, 7}, {kRootTwo, 3}, {1 / kRootTwo, 11}, {0.25, 5},
                                       {32.0, 100}, {1.0 / 64, 1}, {0.7123, 9}})
        for (int p = -20; p < 500; ++p) {
            const int v = ViewCoordinate(p, scroll, zoom);
            ASSERT_GE(PictureCoordinate(v, scroll, zoom), p) << zoom << " " << p;
            ASSERT_LT(PictureCoordinate(v - 1, scroll, zoom), p) << zoom << " " << p;
        }
    EXPECT_EQ(ZoomedExtent(8193, 1.0 / 64), 129);
    EXPECT_EQ(ZoomedExtent(1, 1.0 / 64), 1) << "a picture never vanishes";
    EXPECT_EQ(ZoomedExtent(320, kRootTwo), 453);
    EXPECT_EQ(ZoomedExtent(0, 2.0), 0);
}

TEST(ViewMapping, ASpanCoversTheViewPixelsThatShowOrAverageARectangle)
{
    const auto span = [](int left, int right, int scroll, double zoom) {
        const ViewSpan s = ViewSpanOf(left, right, scroll, zoom);
        return std::pair{s.first, s.last};
    };
    EXPECT_EQ(span(10, 60, 25, 1.0), std::pair(-15, 35));
    EXPECT_EQ(span(2, 3, 0, 4.0), std::pair(8, 12));
    EXPECT_EQ(span(5, 6, 0, 0.25), std::pair(1, 2)) << "view pixel 1 averages 4 to 7";
    EXPECT_EQ(span(3, 9, 0, 0.25), std::pair(0, 3));
    EXPECT_EQ(span(5, 5, 0, 1.0), std::pair(0, 0));
}

// ---- Zoom steps ------------------------------------------------------------------------------

struct StepRow {
    const char* name;
    double from, in, out;
};

class ZoomStepFrom : public ::testing::TestWithParam<StepRow> {};

TEST_P(ZoomStepFrom, GoesOneStepFromTheNearestWithinOneSixtyFourthAndThirtyTwo)
{
    EXPECT_DOUBLE_EQ(ZoomedIn(GetParam().from), GetParam().in);
    EXPECT_DOUBLE_EQ(ZoomedOut(GetParam().from), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Zooms, ZoomStepFrom,
    ::testing::Values(StepRow{"Actual", 1.0, kRootTwo, 1 / kRootTwo}, StepRow{"Half", 0.5, 0.5 * kRootTwo, 0.5 / kRootTwo},
                      // A fitted 11 % is nearest 12.5 %, a fitted 10 % nearest 8.84 %.
                      StepRow{"FittedNearAStep", 0.11, 0.125 * kRootTwo, 0.125 / kRootTwo},
                      StepRow{"FittedBelow", 0.10, 0.125, 0.0625}, StepRow{"FittedAboveActual", 2.9, 4.0, 2.0},
                      StepRow{"Largest", 32.0, 32.0, 16 * kRootTwo}, StepRow{"Smallest", 1.0 / 64, kRootTwo / 64, 1.0 / 64}),
    [](const auto& info) { return std::string(info.param.name); });

struct FitRow {
    const char* name;
    int width, height, viewWidth, viewHeight;
    double zoom;  // 0: the largest that fits, checked by the test
};

class FitZoomOf : public ::testing::TestWithParam<FitRow> {};

TEST_P(FitZoomOf, IsTheLargestZoomThatFitsWithinTheRange)
{
    const FitRow& row = GetParam();
    const double zoom = FitZoom(row.width, row.height, row.viewWidth, row.viewHeight);
    if (row.zoom != 0) {
        EXPECT_EQ(zoom, row.zoom);
        return;
    }
    EXPECT_LE(ZoomedExtent(row.width, zoom), row.viewWidth);
    EXPECT_LE(ZoomedExtent(row.height, zoom), row.viewHeight);
    const double more = zoom * 1.0001;
    EXPECT_TRUE(ZoomedExtent(row.width, more) > row.viewWidth || ZoomedExtent(row.height, more) > row.viewHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FitZoomOf,
    ::testing::Values(FitRow{"LargeSquare", 8192, 8192, 403, 292, 0}, FitRow{"Wide", 4000, 300, 403, 292, 0},
                      FitRow{"SmallGoesAboveActual", 100, 50, 403, 292, 0}, FitRow{"OddSizes", 1279, 853, 1600, 900, 0},
                      FitRow{"TinyStopsAtThirtyTwo", 2, 2, 403, 292, 32.0},
                      FitRow{"HugeStopsAtOneSixtyFourth", 65536, 4, 403, 292, 1.0 / 64},
                      FitRow{"EmptyPicture", 0, 0, 403, 292, 1.0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
