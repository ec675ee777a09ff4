#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct EditorState;

// The mesh the DXF export writes, as arrays a graphics card draws from: the faces that
// ForEachMeshFace lists, over vertices that neighbouring faces share. Sharing keeps an
// update small: at grid 300 about 91,000 vertices carry 90,300 faces.

// The highest height a picture gives (white): the top of the box the mesh lies in.
constexpr double kHighestHeight = 10.2;

struct MeshVertices {
    // The grid size the arrays were built on: MeshGridSize of the state, or 0 below that.
    int gridSize = 0;

    // X, Y and Z of every vertex. First the lattice of grid points, row y from 0 to
    // gridSize, each row's columns x from 0 to gridSize + 1 (LatticeVertex numbers them),
    // then the base face's four corners (BaseVertex). A vertex that no listed face uses
    // lies at height 0.
    std::vector<float> positions;

    // Three vertex numbers per triangle. Each face gives two, in the faces' order: corners
    // 1, 2, 3 and corners 1, 3, 4, so the split runs along the diagonal from its first
    // corner to its third and keeps the face's turning direction.
    std::vector<std::uint32_t> triangles;

    // Two vertex numbers per edge, the four edges of every face in corner order; filled
    // only when the build is asked for edges, else empty.
    std::vector<std::uint32_t> edges;

    // Whether the last face listed was the base face.
    bool hasBaseFace = false;

    std::size_t faceCount() const { return triangles.size() / 6; }
    std::size_t vertexCount() const { return positions.size() / 3; }
};

// The vertex number of grid point (x, y), x in 0..gridSize + 1, y in 0..gridSize.
constexpr std::uint32_t LatticeVertex(int gridSize, int x, int y)
{
    return static_cast<std::uint32_t>(y) * static_cast<std::uint32_t>(gridSize + 2) + static_cast<std::uint32_t>(x);
}

// The vertex number of the base face's corner 0..3, after the lattice.
constexpr std::uint32_t BaseVertex(int gridSize, int corner)
{
    return LatticeVertex(gridSize, 0, gridSize + 1) + static_cast<std::uint32_t>(corner);
}

// Fills mesh with exactly the faces the DXF export would write for state as it stands:
// the heights are taken as they are (sampling them first is the caller's business), the
// grid size and both export options as set. withEdges also fills mesh.edges for a
// wireframe. The arrays keep their storage, so a rebuild at a grid size they have held
// before allocates nothing. Never fails for any state.
void BuildMeshVertices(const EditorState& state, MeshVertices& mesh, bool withEdges);
