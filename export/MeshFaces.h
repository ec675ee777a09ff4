#pragma once
#include <array>

#include "model/MeshHeights.h"

// The faces of the terrain mesh as the mesh files hold them: one quadrilateral per grid
// cell with the grid column, grid row and height as X, Y and Z, less the faces the two
// export options leave out, then the flat base face under the whole mesh when the
// options agree. The DXF and OBJ writers and the 3D preview take their faces from here,
// so they cannot disagree about which faces there are.

// The two export options: faces flat at height 0 (black) and faces above 10 on average
// (white) are written only when these are on.
struct MeshOptions {
    bool exportBlack = true;
    bool exportWhite = true;
};

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

// Left out when black faces are off and the face is flat at 0, or white faces are off and
// it lies above 10 on average. The sum runs in long double: in doubles some averages of
// exactly 10 come out a bit above it.
inline bool FaceLeftOut(const MeshOptions& options, const double (&heights)[4])
{
    if (options.exportBlack && options.exportWhite)
        return false;
    long double sum = heights[0];
    sum += heights[1];
    sum += heights[2];
    sum += heights[3];
    const double average = static_cast<double>(sum / 4);
    if (!options.exportBlack && average == 0)
        return true;
    return !options.exportWhite && average > 10;
}

// The base face is there exactly when both options are on or both are off.
inline bool HasBaseFace(const MeshOptions& options) { return options.exportBlack == options.exportWhite; }

// The face of the cell at grid column i and row n: corners 1 to 4 at (i, n), (i + 1, n),
// (i + 1, n + 1) and (i, n + 1).
inline MeshFace CellFace(const MeshHeights& h, int i, int n)
{
    return {{MeshCorner{i, n, h.at(i, n)}, MeshCorner{i + 1, n, h.at(i + 1, n)},
             MeshCorner{i + 1, n + 1, h.at(i + 1, n + 1)}, MeshCorner{i, n + 1, h.at(i, n + 1)}},
            false};
}

// The flat face at height 0 under the whole mesh of gridSize.
inline MeshFace BaseFace(int gridSize)
{
    return {{MeshCorner{0, 0, 0.0}, MeshCorner{0, gridSize, 0.0}, MeshCorner{gridSize + 1, gridSize, 0.0},
             MeshCorner{gridSize + 1, 0, 0.0}},
            true};
}

// Calls visitCell(i, n) for the cell of every face kept, in file order: cells from the
// last grid column back to column 0, each column from its top row down. The faces are
// CellFace(h, i, n); the base face, when there is one, follows them.
template <class VisitCell>
void ForEachMeshCell(const MeshHeights& h, const MeshOptions& options, VisitCell&& visitCell)
{
    const int gridSize = h.gridSize();
    // Checked once: with both options on, as mostly, no face is left out.
    const bool leavesOut = !(options.exportBlack && options.exportWhite);
    for (int i = gridSize; i >= 0; --i) {
        // Columns i and i + 1 and rows n and n + 1 lie within the heights.
        const double* left = h.column(i);
        const double* right = h.column(i + 1);
        for (int n = gridSize - 1; n >= 0; --n) {
            const double heights[4] = {left[n], right[n], right[n + 1], left[n + 1]};
            if (leavesOut && FaceLeftOut(options, heights))
                continue;
            visitCell(i, n);
        }
    }
}

// Calls visit(const MeshFace&) for every face in file order: the cells' faces as
// ForEachMeshCell lists them, then the base face.
template <class Visit>
void ForEachMeshFace(const MeshHeights& h, const MeshOptions& options, Visit&& visit)
{
    ForEachMeshCell(h, options, [&](int i, int n) { visit(CellFace(h, i, n)); });
    if (HasBaseFace(options))
        visit(BaseFace(h.gridSize()));
}
