#include "export/MeshVertices.h"

#include <algorithm>

#include "export/MeshFaces.h"
#include "model/EditorState.h"

void BuildMeshVertices(const EditorState& state, MeshVertices& mesh)
{
    // Room for every cell face and the base face, written through a plain pointer (this
    // runs on every stroke step) and cut to what was written at the end. Growing back
    // to full size only clears the part that was cut the time before.
    const std::size_t gridSize = static_cast<std::size_t>(std::max(MeshGridSize(state), 0));
    mesh.positions.resize(((gridSize + 1) * gridSize + 1) * kFloatsPerFace);
    float* out = mesh.positions.data();
    bool base = false;
    ForEachMeshFace(state, [&](const MeshFace& face) {
        float corners[4][3];
        for (std::size_t k = 0; k < 4; ++k) {
            corners[k][0] = static_cast<float>(face.corners[k].x);
            corners[k][1] = static_cast<float>(face.corners[k].y);
            corners[k][2] = static_cast<float>(face.corners[k].z);
        }
        for (const int corner : kTriangleCorners) {
            out[0] = corners[corner][0];
            out[1] = corners[corner][1];
            out[2] = corners[corner][2];
            out += 3;
        }
        base = face.base;
    });
    mesh.positions.resize(static_cast<std::size_t>(out - mesh.positions.data()));
    mesh.hasBaseFace = base;
}
