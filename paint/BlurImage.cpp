#include "paint/BlurImage.h"

#include <climits>
#include <cmath>

#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "paint/ChannelMean.h"

namespace {

// Round to the nearest pixel, halves to the even neighbour. The sums and products are
// formed in long double: its 64-bit significand holds a grid index or a pixel coordinate
// times a step exactly, where a double would round first and could flip a tie.
// llrint follows the current rounding mode, which the program never changes from
// round-to-nearest-even.
int RoundToPixel(long double value)
{
    // A step is infinite or undefined only for a grid size of 0, which the grid-size
    // control never produces; fail loudly rather than fill from a garbage coordinate.
    if (!std::isfinite(value) || value >= 9.2e18L || value <= -9.2e18L)
        throw EditorError("Invalid floating point operation");
    const long long rounded = std::llrint(value);
    if (rounded > INT_MAX)
        return INT_MAX;
    if (rounded < INT_MIN)
        return INT_MIN;
    return static_cast<int>(rounded);
}

// One block: three samples around the rounded corner, averaged, filled one pixel beyond
// the next corner so neighbouring blocks overlap instead of leaving gaps.
void BlurBlock(ImageSurface& image, int i, int j, long double stepX, long double stepY)
{
    const int e = RoundToPixel(i * stepX);
    const int f = RoundToPixel(j * stepY);

    const int diagonalX = RoundToPixel(e + stepX);
    const int diagonalY = RoundToPixel(f + stepY);
    int leftX = RoundToPixel(e - stepX);
    if (leftX < 0)
        leftX = 0;

    // Reads see the picture as the earlier blocks of this pass left it.
    const ColourValue colour =
        ChannelMean(image.pixel(e, f), image.pixel(diagonalX, diagonalY), image.pixel(leftX, f));

    image.setBrushColour(colour);
    image.fillRect(e, f, RoundToPixel(e + stepX + 1), RoundToPixel(f + stepY + 1));
}

} // namespace

void BlurImage(const EditorState& state, ImageSurface& image)
{
    const long double stepX = state.StepX;
    const long double stepY = state.StepY;
    // Columns outer, rows inner: the order decides which samples read blurred colour.
    for (int i = 0; i <= state.GridSize; ++i)
        for (int j = 0; j <= state.GridSize; ++j)
            BlurBlock(image, i, j, stepX, stepY);
}
