#include "paint/BlurImage.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

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
        throw EditorError(Failure::InvalidFloatingPoint);
    const long long rounded = std::llrint(value);
    if (rounded > INT_MAX)
        return INT_MAX;
    if (rounded < INT_MIN)
        return INT_MIN;
    return static_cast<int>(rounded);
}

// Where the blocks of one grid line lie along one axis. Every block of a column shares
// its x positions and every block of a row its y positions, so they are rounded once
// per line rather than once per block.
struct BlockSpan {
    int start;      // the rounded corner
    int next;       // the diagonal sample, one step on
    int previous;   // the left sample, one step back, not below 0 (used along x only)
    int end;        // the fill's far edge, one pixel past the next corner
};

BlockSpan SpanAt(int index, long double step)
{
    BlockSpan span{};
    span.start = RoundToPixel(index * step);
    span.next = RoundToPixel(span.start + step);
    span.previous = std::max(RoundToPixel(span.start - step), 0);
    span.end = RoundToPixel(span.start + step + 1);
    return span;
}

// One block: three samples around the rounded corner, averaged, filled one pixel beyond
// the next corner so neighbouring blocks overlap instead of leaving gaps.
void BlurBlock(ImageSurface& surface, const BlockSpan& column, const BlockSpan& row)
{
    // Reads see the picture as the earlier blocks of this pass left it.
    const ColourValue colour = ChannelMean(surface.pixel(column.start, row.start),
                                           surface.pixel(column.next, row.next),
                                           surface.pixel(column.previous, row.start));
    surface.setBrushColour(colour);
    surface.fillRect(column.start, row.start, column.end, row.end);
}

} // namespace

void BlurImage(const EditorState& state, ImageSurface& surface)
{
    const long double stepX = state.stepX;
    const long double stepY = state.stepY;
    std::vector<BlockSpan> rows;
    for (int j = 0; j <= state.gridSize; ++j)
        rows.push_back(SpanAt(j, stepY));
    // Columns outer, rows inner: the order decides which samples read blurred colour.
    for (int i = 0; i <= state.gridSize; ++i) {
        const BlockSpan column = SpanAt(i, stepX);
        for (const BlockSpan& row : rows)
            BlurBlock(surface, column, row);
    }
}
