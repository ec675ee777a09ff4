#pragma once
#include <algorithm>
#include <array>

#include "model/EditorState.h"

// The faces of the terrain mesh as the mesh files hold them: one quadrilateral per grid
// cell with the grid column, grid row and height as X, Y and Z, less the faces the two
// export options leave out, then the flat base face under the whole mesh when the
// options agree. Every writer and view of the mesh takes its faces from here, so they
// cannot disagree about which faces there are.

struct MeshCorner {
    int x;
    int y;
    double z;
};

struct MeshFace {
    // Counter-clockwise seen from above (X right, Y up) for a cell face; the base face
    // runs clockwise, so it faces down.
    std::array<MeshCorner, 4> corners;
    bool base = false;
};

// The grid size the mesh is built on: the grid box never goes beyond the grid's 300, and
// a stray larger value is held to it, so the mesh stays the one sampling can fill.
inline int MeshGridSize(const EditorState& state) { return std::min(state.gridSize, HeightGrid::kMaxIndex); }

// Left out when black faces are off and the face is flat at 0, or white faces are off and
// it lies above 10 on average. The sum runs in long double: in doubles some averages of
// exactly 10 come out a bit above it.
inline bool FaceLeftOut(const EditorState& state, const double (&heights)[4])
{
    if (state.exportBlackPlanes && state.exportWhitePlanes)
        return false;
    long double sum = heights[0];
    sum += heights[1];
    sum += heights[2];
    sum += heights[3];
    const double average = static_cast<double>(sum / 4);
    if (!state.exportBlackPlanes && average == 0)
        return true;
    return !state.exportWhitePlanes && average > 10;
}

// The base face is there exactly when both options are on or both are off.
inline bool HasBaseFace(const EditorState& state) { return state.exportBlackPlanes == state.exportWhitePlanes; }

// Calls visit(const MeshFace&) for every face in file order: cells from the last grid
// column back to column 0, each column from its top row down, then the base face. The
// heights are the grid's as they stand (sampling is the caller's business); reads past
// the grid's last index give 0.
template <class Visit>
void ForEachMeshFace(const EditorState& state, Visit&& visit)
{
    const int gridSize = MeshGridSize(state);
    const HeightGrid& h = state.heights;
    MeshFace face;
    for (int i = gridSize; i >= 0; --i) {
        for (int n = gridSize - 1; n >= 0; --n) {
            const double heights[4] = {h.at(i, n), h.at(i + 1, n), h.at(i + 1, n + 1), h.at(i, n + 1)};
            if (FaceLeftOut(state, heights))
                continue;
            face.corners = {MeshCorner{i, n, heights[0]}, MeshCorner{i + 1, n, heights[1]},
                            MeshCorner{i + 1, n + 1, heights[2]}, MeshCorner{i, n + 1, heights[3]}};
            visit(static_cast<const MeshFace&>(face));
        }
    }
    if (HasBaseFace(state)) {
        face.corners = {MeshCorner{0, 0, 0.0}, MeshCorner{0, gridSize, 0.0}, MeshCorner{gridSize + 1, gridSize, 0.0},
                        MeshCorner{gridSize + 1, 0, 0.0}};
        face.base = true;
        visit(static_cast<const MeshFace&>(face));
    }
}
