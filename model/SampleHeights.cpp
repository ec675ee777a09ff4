#include "model/SampleHeights.h"

#include <algorithm>
#include <cmath>

#include "model/EditorState.h"
#include "model/HeightScale.h"
#include "model/ImageSurface.h"

double PixelIntensity(ColourValue colour)
{
    const ColourValue plain = ConvertColour(colour);
    return (RedOf(plain) + GreenOf(plain) + BlueOf(plain)) / 3.0;
}

long long RoundProduct(int index, double step)
{
    // A grid index needs at most 9 bits and a double's significand 53, so the product is
    // exact in long double's 64-bit significand; llrint then rounds halves to even.
    return std::llrint(static_cast<long double>(index) * static_cast<long double>(step));
}

namespace {

// PixelIntensity(colour) / 25 for every channel sum, formed exactly as the routine forms
// it, so a look-up replaces two divisions per pixel.
struct HeightsBySum {
    double heights[kChannelSums];
    HeightsBySum()
    {
        for (int sum = 0; sum <= kMaxChannelSum; ++sum)
            heights[sum] = HeightOfSum(sum);
    }
};

} // namespace

void SampleHeights(EditorState& state, const ImageSurface& image)
{
    static const HeightsBySum bySum;
    RecomputeSteps(state);
    const int width = state.imageWidth;
    const int height = state.imageHeight;
    // The grid box caps the size at the largest grid; the cap here keeps a stray value from writing
    // outside the grid.
    const int last = std::min(state.gridSize, HeightGrid::kMaxIndex);
    int columns[HeightGrid::kMaxIndex + 1];
    for (int i = 1; i <= last; ++i)
        columns[i] = width - static_cast<int>(std::min<long long>(RoundProduct(i, state.stepX), width));
    const auto rowOf = [&](int j) {
        return static_cast<int>(std::min<long long>(RoundProduct(j, state.stepY), height));
    };
    // Row by row, so that a large picture is read along its rows rather than across them;
    // reads change nothing, so their order is free. Each height is stored only after its
    // pixel was read, so a picture without pixels fails at the first read with the grid
    // untouched.
    for (int j = 1; j <= last; ++j) {
        const int y = rowOf(j);
        for (int i = 1; i <= last; ++i) {
            // pixel() gives plain colour values (a read outside is already converted to
            // black), so the channel sum is that of the converted colour.
            const ColourValue colour = image.pixel(columns[i], y);
            state.heights.set(i, j, bySum.heights[RedOf(colour) + GreenOf(colour) + BlueOf(colour)]);
        }
    }
}
