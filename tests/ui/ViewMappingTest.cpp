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
    int scroll;
    int view;
    int picture;
};

class PictureUnderView : public ::testing::TestWithParam<MappingRow> {};

TEST_P(PictureUnderView, IsTheOneItsLeftEdgeLiesOnRoundedDown)
{
    const MappingRow& row = GetParam();
    EXPECT_EQ(PictureCoordinate(row.view, row.scroll, row.zoom), row.picture);
}

INSTANTIATE_TEST_SUITE_P(
    Zooms, PictureUnderView,
    ::testing::Values(MappingRow{"ActualFirst", 1.0, 0, 0, 0}, MappingRow{"ActualLast", 1.0, 0, 319, 319},
                      MappingRow{"ActualLeftOfPicture", 1.0, 0, -1, -1},
                      MappingRow{"ActualScrolled", 1.0, 100, 5, 105},
                      MappingRow{"FourEndOfFirstSquare", 4.0, 0, 3, 0},
                      MappingRow{"FourNextSquare", 4.0, 0, 4, 1},
                      MappingRow{"FourLeftOfPicture", 4.0, 0, -1, -1},
                      MappingRow{"FourScrolledIntoASquare", 4.0, 10, 1, 2},
                      MappingRow{"FourScrolledNextSquare", 4.0, 10, 2, 3},
                      MappingRow{"QuarterScrolled", 0.25, 3, 1, 16},
                      MappingRow{"SixtyFourthFar", 1.0 / 64, 0, 2, 128},
                      MappingRow{"RootTwoFirst", kRootTwo, 0, 1, 0},
                      MappingRow{"RootTwoSecond", kRootTwo, 0, 2, 1},
                      MappingRow{"RootTwoThird", kRootTwo, 0, 3, 2},
                      MappingRow{"ThirtyTwoSquareEnd", 32.0, 0, 31, 0},
                      MappingRow{"ThirtyTwoScrolled", 32.0, 64, 0, 2},
                      MappingRow{"FarOutsideSaturates", 1.0 / 64, 0, 2000000000, 1 << 30},
                      MappingRow{"FarLeftSaturates", 1.0 / 64, 0, -2000000000, -(1 << 30)}),
    [](const auto& info) { return std::string(info.param.name); });

struct ZoomAndScroll {
    double zoom;
    int scroll;
};

// ViewCoordinate is where each picture pixel starts: the first view pixel at or past it,
// by the very division the mouse uses, so painting lands where the pixel shows.
TEST(ViewMapping, EveryPicturePixelStartsWhereTheMouseFindsIt)
{
    for (const ZoomAndScroll z : {ZoomAndScroll{1.0, 0}, {4.0, 7}, {kRootTwo, 3}, {1 / kRootTwo, 11},
                                  {0.25, 5}, {32.0, 100}, {1.0 / 64, 1}, {0.7123, 9}}) {
        for (int p = -20; p < 500; ++p) {
            const int v = ViewCoordinate(p, z.scroll, z.zoom);
            ASSERT_GE(PictureCoordinate(v, z.scroll, z.zoom), p) << z.zoom << " " << p;
            ASSERT_LT(PictureCoordinate(v - 1, z.scroll, z.zoom), p) << z.zoom << " " << p;
        }
    }
}

TEST(ViewMapping, ZoomedExtentIsThePixelsUpToThePicturesFarEdge)
{
    EXPECT_EQ(ZoomedExtent(320, 1.0), 320);
    EXPECT_EQ(ZoomedExtent(8192, 1.0 / 64), 128);
    EXPECT_EQ(ZoomedExtent(8193, 1.0 / 64), 129);
    EXPECT_EQ(ZoomedExtent(1, 1.0 / 64), 1) << "never vanishes";
    EXPECT_EQ(ZoomedExtent(3, 0.5), 2);
    EXPECT_EQ(ZoomedExtent(320, kRootTwo), 453);
    EXPECT_EQ(ZoomedExtent(10, 32.0), 320);
    EXPECT_EQ(ZoomedExtent(0, 2.0), 0);
}

TEST(ViewMapping, ASpanCoversTheViewPixelsThatShowOrAverageARectangle)
{
    const ViewSpan actual = ViewSpanOf(10, 60, 0, 1.0);
    EXPECT_EQ(actual.first, 10);
    EXPECT_EQ(actual.last, 60);
    const ViewSpan scrolled = ViewSpanOf(10, 60, 25, 1.0);
    EXPECT_EQ(scrolled.first, -15);
    EXPECT_EQ(scrolled.last, 35);
    const ViewSpan magnified = ViewSpanOf(2, 3, 0, 4.0);
    EXPECT_EQ(magnified.first, 8);
    EXPECT_EQ(magnified.last, 12);
    // At 25 % view pixel 1 averages picture pixels 4 to 7.
    const ViewSpan reduced = ViewSpanOf(5, 6, 0, 0.25);
    EXPECT_EQ(reduced.first, 1);
    EXPECT_EQ(reduced.last, 2);
    const ViewSpan across = ViewSpanOf(3, 9, 0, 0.25);
    EXPECT_EQ(across.first, 0);
    EXPECT_EQ(across.last, 3);
    EXPECT_EQ(ViewSpanOf(5, 5, 0, 1.0).last, 0) << "an empty rectangle spans nothing";
}

// ---- Zoom steps ------------------------------------------------------------------------------

TEST(ZoomSteps, StepsArePowersOfTheRootOfTwoFromOneSixtyFourthToThirtyTwo)
{
    EXPECT_EQ(ZoomOfStep(kSmallestZoomStep), 1.0 / 64);
    EXPECT_EQ(ZoomOfStep(-2), 0.5);
    EXPECT_EQ(ZoomOfStep(0), 1.0);
    EXPECT_EQ(ZoomOfStep(kLargestZoomStep), 32.0);
    EXPECT_DOUBLE_EQ(ZoomOfStep(1), kRootTwo);
    EXPECT_DOUBLE_EQ(ZoomOfStep(-1), 1 / kRootTwo);
    EXPECT_DOUBLE_EQ(ZoomOfStep(-3), 0.5 / kRootTwo);
    EXPECT_EQ(ZoomOfStep(99), 32.0);
    EXPECT_EQ(ZoomOfStep(-99), 1.0 / 64);
    for (int step = kSmallestZoomStep; step < kLargestZoomStep; ++step)
        EXPECT_DOUBLE_EQ(ZoomOfStep(step + 1) / ZoomOfStep(step), kRootTwo) << step;
}

struct StepRow {
    const char* name;
    double from;
    double in;
    double out;
};

class ZoomStepFrom : public ::testing::TestWithParam<StepRow> {};

TEST_P(ZoomStepFrom, GoesOneStepFromTheNearest)
{
    EXPECT_DOUBLE_EQ(ZoomedIn(GetParam().from), GetParam().in);
    EXPECT_DOUBLE_EQ(ZoomedOut(GetParam().from), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Zooms, ZoomStepFrom,
    ::testing::Values(StepRow{"Actual", 1.0, kRootTwo, 1 / kRootTwo}, StepRow{"Half", 0.5, 0.5 * kRootTwo, 0.5 / kRootTwo},
                      // A fitted 11 % is nearest 12.5 %.
                      StepRow{"FittedNearAStep", 0.11, 0.125 * kRootTwo, 0.125 / kRootTwo},
                      // A fitted 10 % is nearest 8.84 %.
                      StepRow{"FittedBelow", 0.10, 0.125, 0.0625},
                      StepRow{"FittedAboveActual", 2.9, 4.0, 2.0},
                      StepRow{"Largest", 32.0, 32.0, 16 * kRootTwo},
                      StepRow{"Smallest", 1.0 / 64, 1.0 / 32 / kRootTwo, 1.0 / 64}),
    [](const auto& info) { return std::string(info.param.name); });

struct FitRow {
    const char* name;
    int width, height, viewWidth, viewHeight;
    double zoom;  // 0: the largest that fits, worked out by the test
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
    // A hair more no longer fits.
    const double more = zoom * 1.0001;
    EXPECT_TRUE(ZoomedExtent(row.width, more) > row.viewWidth || ZoomedExtent(row.height, more) > row.viewHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FitZoomOf,
    ::testing::Values(FitRow{"LargeSquare", 8192, 8192, 403, 292, 0}, FitRow{"Wide", 4000, 300, 403, 292, 0},
                      FitRow{"Tall", 300, 4000, 403, 292, 0}, FitRow{"SmallGoesAboveActual", 100, 50, 403, 292, 0},
                      FitRow{"OddSizes", 1279, 853, 1600, 900, 0},
                      FitRow{"TinyStopsAtThirtyTwo", 2, 2, 403, 292, 32.0},
                      FitRow{"HugeStopsAtOneSixtyFourth", 65536, 4, 403, 292, 1.0 / 64},
                      FitRow{"EmptyPicture", 0, 0, 403, 292, 1.0}, FitRow{"NoView", 320, 200, 0, 0, 1.0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
