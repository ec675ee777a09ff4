#include "model/SampleHeights.h"

#include <algorithm>
#include <cmath>

#include "model/EditorState.h"
#include "model/HeightScale.h"
#include "model/ImageSurface.h"
#include "model/MeshHeights.h"

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

// Samples grid columns and rows 1..last from the surface with the state's grid and image
// size (steps as RecomputeSteps forms them), handing each height to set(i, j, height).
template <class Set>
void SampleInto(const EditorState& state, const ImageSurface& surface, int last, Set&& set)
{
    static const HeightsBySum bySum;
    const int width = state.imageWidth;
    const int height = state.imageHeight;
    const double stepX = static_cast<double>(width) / static_cast<double>(state.gridSize);
    const double stepY = static_cast<double>(height) / static_cast<double>(state.gridSize);
    int columns[HeightGrid::kMaxIndex + 1];
    for (int i = 1; i <= last; ++i)
        columns[i] = width - static_cast<int>(std::min<long long>(RoundProduct(i, stepX), width));
    const auto rowOf = [&](int j) { return static_cast<int>(std::min<long long>(RoundProduct(j, stepY), height)); };
    // Row by row, so that a large picture is read along its rows rather than across them;
    // reads change nothing, so their order is free. Each height is stored only after its
    // pixel was read, so a picture without pixels fails at the first read with the grid
    // untouched.
    for (int j = 1; j <= last; ++j) {
        const int y = rowOf(j);
        for (int i = 1; i <= last; ++i) {
            // pixel() gives plain colour values (a read outside is already converted to
            // black), so the channel sum is that of the converted colour.
            const ColourValue colour = surface.pixel(columns[i], y);
            set(i, j, bySum.heights[RedOf(colour) + GreenOf(colour) + BlueOf(colour)]);
        }
    }
}

// The grid box caps the size at the largest grid; the cap here keeps a stray value from
// writing outside the grid.
int LastSampled(const EditorState& state)
{
    return std::min(state.gridSize, HeightGrid::kMaxIndex);
}

} // namespace

void SampleHeights(EditorState& state, const ImageSurface& surface)
{
    RecomputeSteps(state);
    SampleInto(state, surface, LastSampled(state),
               [&state](int i, int j, double height) { state.heights.set(i, j, height); });
}

void SampleHeights(const EditorState& state, const ImageSurface& surface, MeshHeights& heights)
{
    const int last = LastSampled(state);
    heights.reset(last);
    for (int j = 0; j <= last; ++j)
        heights.set(last + 1, j, state.heights.at(last + 1, j));
    SampleInto(state, surface, last, [&heights](int i, int j, double height) { heights.set(i, j, height); });
}
