#include "paint/DrawingColour.h"

#include <gtest/gtest.h>

namespace {

struct StepRow {
    ColourValue before, brightened, darkened;
};

class DrawingColourStep : public testing::TestWithParam<StepRow> {};

TEST_P(DrawingColourStep, StepsEachChannelByTwoAndStopsShortOfTheLimit)
{
    EXPECT_EQ(BrightenStep(GetParam().before), GetParam().brightened);
    EXPECT_EQ(DarkenStep(GetParam().before), GetParam().darkened);
}

INSTANTIATE_TEST_SUITE_P(
    Channels, DrawingColourStep,
    testing::Values(StepRow{MakeColour(128, 0, 0), MakeColour(130, 2, 2), MakeColour(126, 0, 0)},
                    StepRow{MakeColour(254, 255, 253), MakeColour(254, 255, 255), MakeColour(252, 253, 251)},
                    StepRow{MakeColour(1, 0, 2), MakeColour(3, 2, 4), MakeColour(1, 0, 0)},
                    StepRow{MakeColour(252, 3, 2), MakeColour(254, 5, 4), MakeColour(250, 1, 0)},
                    StepRow{MakeColour(253, 100, 101), MakeColour(255, 102, 103), MakeColour(251, 98, 99)}));

ColourValue Repeat(ColourValue (*step)(ColourValue), ColourValue colour, int times)
{
    for (int k = 0; k < times; ++k)
        colour = step(colour);
    return colour;
}

struct RunRow {
    ColourValue (*step)(ColourValue);
    ColourValue start;
    int times;
    ColourValue expected;
};

class DrawingColourRun : public testing::TestWithParam<RunRow> {};

TEST_P(DrawingColourRun, SaturatesKeepingParity)
{
    const RunRow& row = GetParam();
    EXPECT_EQ(Repeat(row.step, row.start, row.times), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, DrawingColourRun,
    testing::Values(RunRow{DarkenStep, kWhite, 127, MakeColour(1, 1, 1)},
                    RunRow{DarkenStep, kWhite, 128, MakeColour(1, 1, 1)},
                    RunRow{BrightenStep, kBlack, 126, MakeColour(252, 252, 252)},
                    RunRow{BrightenStep, kBlack, 127, MakeColour(254, 254, 254)},
                    RunRow{BrightenStep, kBlack, 200, MakeColour(254, 254, 254)},
                    RunRow{BrightenStep, kMaroon, 63, MakeColour(254, 126, 126)},
                    RunRow{BrightenStep, kMaroon, 127, MakeColour(254, 254, 254)},
                    RunRow{DarkenStep, kMaroon, 64, kBlack}));

} // namespace
