#include "model/SampleHeights.h"

#include <algorithm>
#include <cmath>

#include "model/EditorState.h"
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

void SampleHeights(EditorState& state, const ImageSurface& image)
{
    RecomputeSteps(state);
    const int width = state.ImageWidth;
    const int height = state.ImageHeight;
    // The grid box caps the size at 300; the cap here keeps a stray value from writing
    // outside the grid. Each height is stored only after its pixel was read, so a picture
    // without pixels fails at the first read with the grid untouched.
    const int last = std::min(state.GridSize, HeightGrid::kMaxIndex);
    for (int i = 1; i <= last; ++i) {
        long long x = RoundProduct(i, state.StepX);
        if (x > width)
            x = width;
        const int column = width - static_cast<int>(x);
        for (int j = 1; j <= last; ++j) {
            long long y = RoundProduct(j, state.StepY);
            if (y > height)
                y = height;
            const ColourValue colour = image.pixel(column, static_cast<int>(y));
            // A division: multiplying by 0.04 differs in the last bit for some sums.
            state.HeightGrid.set(i, j, PixelIntensity(colour) / 25);
        }
    }
}
