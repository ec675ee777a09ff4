#include "paint/BrushStep.h"

#include <climits>

#include "model/EditorState.h"
#include "paint/ChannelMean.h"

namespace {

// The alternative colour of the pencil and the eraser belongs to the right button
// pressed on its own: any other button or modifier held with it keeps the main colour.
bool RightButtonAlone(ShiftState shift)
{
    return shift == kRightButton;
}

// Pixels just outside the picture read as black; nothing is clamped, so a square at the
// left or top edge mixes black in.
ColourValue BlurBrushColour(const ImageSurface& image, int x, int y)
{
    const ColourValue here = image.pixel(x, y);
    const ColourValue diagonal = image.pixel(x + 1, y + 1);
    const ColourValue left = image.pixel(x - 1, y);
    return ChannelMean(here, diagonal, left);
}

// Far edge of a square, saturated so a pointer near the int limit cannot wrap around.
int FarEdge(int start, int nibSize)
{
    const long long edge = static_cast<long long>(start) + nibSize;
    return edge > INT_MAX ? INT_MAX : static_cast<int>(edge);
}

} // namespace

int SnapToNib(int coordinate, int nibSize)
{
    // C++ division truncates toward zero, which is the rule we want: -5 snaps to 0.
    return coordinate / nibSize * nibSize;
}

Rect PaintStep(const EditorState& state, ImageSurface& image, ColourValue drawingColour,
               ShiftState shift, int x, int y)
{
    if (!state.Drawing || state.NibSize == 0)
        return Rect{};
    const int nib = state.NibSize;
    const int left = SnapToNib(x, nib);
    const int top = SnapToNib(y, nib);

    ColourValue colour = kBlack;
    switch (state.CurrentTool) {
    case kPencil:
        colour = RightButtonAlone(shift) ? kBlack : drawingColour;
        break;
    case kEraser:
        colour = RightButtonAlone(shift) ? kWhite : kBlack;
        break;
    case kBlurBrush:
        colour = BlurBrushColour(image, left, top);  // every read before the fill
        break;
    default:
        return Rect{};  // the tool buttons store nothing else
    }

    const Rect square{left, top, FarEdge(left, nib), FarEdge(top, nib)};
    image.setBrushColour(colour);
    image.fillRect(square.left, square.top, square.right, square.bottom);
    return square;
}
