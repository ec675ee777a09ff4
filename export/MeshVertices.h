#pragma once
#include <array>
#include <cstddef>
#include <vector>

class MeshHeights;
struct MeshOptions;

// The mesh the DXF export writes, as an array a graphics card draws from: the faces that
// ForEachMeshFace lists, each as two triangles of its own. Vertices are not shared
// between faces: software renderers draw such plain triangle lists fastest, and every
// face then carries its own corners, the base face's included.

// Which corner of its face (0 to 3 for corners 1 to 4) each of a face's six vertices is:
// triangles of corners 1, 2, 3 and 1, 3, 4, so the split runs along the diagonal from the
// first corner to the third and keeps the face's turning direction.
constexpr std::array<int, 6> kTriangleCorners = {0, 1, 2, 0, 2, 3};
constexpr std::size_t kFloatsPerFace = 6 * 3;

struct MeshVertices {
    // X, Y and Z of six vertices per face (kTriangleCorners), faces in the file's order.
    std::vector<float> positions;
    // Whether the last face is the base face.
    bool hasBaseFace = false;

    std::size_t faceCount() const { return positions.size() / kFloatsPerFace; }
    std::size_t vertexCount() const { return positions.size() / 3; }
};

// Fills mesh with exactly the faces the DXF export writes for these heights and options.
// The array keeps its storage, so a rebuild at a grid size it has held before allocates
// nothing. Never fails for any heights.
void BuildMeshVertices(const MeshHeights& heights, const MeshOptions& options, MeshVertices& mesh);
