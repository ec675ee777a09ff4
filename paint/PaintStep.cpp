#include "paint/PaintStep.h"

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
ColourValue BlurBrushColour(const ImageSurface& surface, int x, int y)
{
    const ColourValue here = surface.pixel(x, y);
    const ColourValue diagonal = surface.pixel(x + 1, y + 1);
    const ColourValue left = surface.pixel(x - 1, y);
    return ChannelMean(here, diagonal, left);
}

// The colour of the square at (left, top): pencil and eraser by the buttons held, the
// blur brush by the pixels around it, all read before the fill.
ColourValue ToolColour(Tool tool, const ImageSurface& surface, ColourValue drawingColour, ShiftState shift,
                       int left, int top)
{
    switch (tool) {
    case Tool::Pencil:
        return RightButtonAlone(shift) ? kBlack : drawingColour;
    case Tool::Eraser:
        return RightButtonAlone(shift) ? kWhite : kBlack;
    case Tool::BlurBrush:
        return BlurBrushColour(surface, left, top);
    }
    return kBlack;  // not reached: the switch names every tool
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

Rect PaintStep(const EditorState& state, ImageSurface& surface, ColourValue drawingColour,
               ShiftState shift, int x, int y)
{
    if (!state.drawing || state.nibSize == 0)
        return Rect{};
    const int nib = state.nibSize;
    const int left = SnapToNib(x, nib);
    const int top = SnapToNib(y, nib);

    const ColourValue colour = ToolColour(state.currentTool, surface, drawingColour, shift, left, top);
    const Rect square{left, top, FarEdge(left, nib), FarEdge(top, nib)};
    surface.setBrushColour(colour);
    surface.fillRect(square.left, square.top, square.right, square.bottom);
    return square;
}
