#include "export/MeshVertices.h"

#include <algorithm>
#include <stdexcept>

#include "export/MeshFaces.h"

void BuildMeshVertices(const MeshHeights& heights, const MeshOptions& options, MeshVertices& mesh)
{
    // Room for every cell face and the base face, written through a plain pointer (this
    // runs on every stroke step) and cut to what was written at the end. Growing back
    // to full size only clears the part that was cut the time before.
    const std::size_t gridSize = static_cast<std::size_t>(std::max(heights.gridSize(), 0));
    mesh.positions.resize(((gridSize + 1) * gridSize + 1) * kFloatsPerFace);
    float* out = mesh.positions.data();
    const float* const end = out + mesh.positions.size();
    bool base = false;
    ForEachMeshFace(heights, options, [&](const MeshFace& face) {
        // A wrong count above would write past the array; fail loudly instead.
        if (end - out < static_cast<std::ptrdiff_t>(kFloatsPerFace))
            throw std::logic_error("BuildMeshVertices: more faces than room for them");
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
