#include "export/MeshVertices.h"

#include <algorithm>

#include "export/MeshFaces.h"
#include "model/EditorState.h"

void BuildMeshVertices(const EditorState& state, MeshVertices& mesh, bool withEdges)
{
    // A grid size below 1 has no cells, only the base face, whose corners come with it.
    const int gridSize = std::max(MeshGridSize(state), 0);
    mesh.gridSize = gridSize;
    const std::size_t vertices = BaseVertex(gridSize, 4);
    mesh.positions.resize(vertices * 3);
    float* position = mesh.positions.data();
    for (int y = 0; y <= gridSize; ++y) {
        for (int x = 0; x <= gridSize + 1; ++x) {
            *position++ = static_cast<float>(x);
            *position++ = static_cast<float>(y);
            *position++ = 0.0f;
        }
    }
    std::fill(position, position + 12, 0.0f);

    // Room for every cell face and the base face, written through plain pointers (this
    // runs on every stroke step) and cut to what was written at the end. Growing back
    // to full size only clears the part that was cut the time before.
    const std::size_t mostFaces = static_cast<std::size_t>(gridSize + 1) * static_cast<std::size_t>(gridSize) + 1;
    mesh.triangles.resize(mostFaces * 6);
    mesh.edges.resize(withEdges ? mostFaces * 8 : 0);
    std::uint32_t* triangle = mesh.triangles.data();
    std::uint32_t* edge = mesh.edges.data();
    float* const positions = mesh.positions.data();
    bool base = false;

    ForEachMeshFace(state, [&](const MeshFace& face) {
        std::uint32_t corner[4];
        for (std::size_t k = 0; k < 4; ++k) {
            const MeshCorner& c = face.corners[k];
            // The base face's corners need not lie on grid points at their heights (the
            // far column can hold an earlier sampling's heights), so it has its own.
            corner[k] = face.base ? BaseVertex(gridSize, static_cast<int>(k)) : LatticeVertex(gridSize, c.x, c.y);
            float* p = positions + std::size_t{corner[k]} * 3;
            p[0] = static_cast<float>(c.x);
            p[1] = static_cast<float>(c.y);
            p[2] = static_cast<float>(c.z);
        }
        triangle[0] = corner[0];
        triangle[1] = corner[1];
        triangle[2] = corner[2];
        triangle[3] = corner[0];
        triangle[4] = corner[2];
        triangle[5] = corner[3];
        triangle += 6;
        if (withEdges) {
            for (std::size_t k = 0; k < 4; ++k) {
                edge[2 * k] = corner[k];
                edge[2 * k + 1] = corner[(k + 1) % 4];
            }
            edge += 8;
        }
        base = face.base;
    });

    mesh.triangles.resize(static_cast<std::size_t>(triangle - mesh.triangles.data()));
    mesh.edges.resize(static_cast<std::size_t>(edge - mesh.edges.data()));
    mesh.hasBaseFace = base;
}
