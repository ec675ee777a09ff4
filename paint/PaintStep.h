#pragma once
#include "model/Colour.h"
#include "model/ImageSurface.h"
#include "paint/ShiftState.h"

struct EditorState;

// One painting step for a pointer movement to (x, y): snaps to the nib grid and fills
// one NibSize square in the colour of the current tool. Does nothing (and returns an
// empty rectangle) when not drawing or at nib size 0. Returns the rectangle it filled.
// Throws EditorError from the surface on an icon or metafile picture.
Rect PaintStep(const EditorState& state, ImageSurface& surface, ColourValue drawingColour,
               ShiftState shift, int x, int y);

// x div nib * nib with division truncating toward zero.
int SnapToNib(int coordinate, int nibSize);
