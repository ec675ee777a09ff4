#pragma once
#include <string>
#include <utility>

#include "model/EditorState.h"
#include "model/ImageSurface.h"

// The state a mesh export starts from after the picture was loaded: the picture in, the
// grid reset to its size and the defaults set, then the grid size chosen as the grid box
// does and the two options as given.
inline void PrepareExport(EditorState& state, ImageSurface& surface, Picture picture, int gridSize,
                          bool black = true, bool white = true)
{
    surface.putPicture(std::move(picture));
    ResetGrid(state, surface);
    InitDefaults(state);
    ApplyGridSizeText(state, std::to_string(gridSize));
    state.exportBlackPlanes = black;
    state.exportWhitePlanes = white;
}
