#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/LatticePoint.h"

// The top surface of a height field as an error-bounded triangulation of some of its
// pixel centres (lattice points): plain data, vertices and triangles numbered once for
// the whole surface. Triangles run counter-clockwise seen from above with X = -c, Y = r:
// (c1 - c0)(r2 - r0) - (r1 - r0)(c2 - c0) < 0 for every triangle. They cover the
// rectangle [0, width - 1] x [0, height - 1] exactly, its four corners are vertices,
// none has zero area, and every vertex lying on an edge is a corner of both triangles
// that share it.
//
// Stored in blocks, one for each tile the surface was built in (one, two, or many small
// ones), so that a dense surface stays small: a block's triangles number their corners
// within the block, in 16 bits when the block has at most 65536 points to number and in
// 32 bits otherwise.
struct SurfaceBlock {
    // The global number of the block's first own vertex; its own vertices follow in order.
    std::uint32_t firstVertex = 0;
    std::vector<PackedPoint> vertices;  // the block's own vertices
    // Corners numbered below vertices.size() are the block's own vertices; the rest are
    // vertices of other blocks, borrowed[number - vertices.size()] their global numbers.
    std::vector<std::uint32_t> borrowed;
    std::vector<std::uint16_t> narrowCorners;  // 3 per triangle, when they fit 16 bits
    std::vector<std::uint32_t> wideCorners;    // 3 per triangle, when not (one of the two is empty)

    std::size_t triangleCount() const { return (narrowCorners.size() + wideCorners.size()) / 3; }
    std::uint32_t globalNumber(std::uint32_t local) const
    {
        return local < vertices.size() ? firstVertex + local
                                       : borrowed[local - static_cast<std::uint32_t>(vertices.size())];
    }
    std::uint32_t corner(std::size_t k) const
    {
        return globalNumber(narrowCorners.empty() ? wideCorners[k] : narrowCorners[k]);
    }
};

struct AdaptiveSurface {
    int width = 0;
    int height = 0;
    std::vector<SurfaceBlock> blocks;  // their vertices numbered one after another

    std::size_t vertexCount() const;
    std::size_t triangleCount() const;

    // visit(std::uint32_t number, LatticePoint point) for every vertex in number order.
    template <class Visit>
    void forEachVertex(Visit&& visit) const
    {
        for (const SurfaceBlock& block : blocks)
            for (std::size_t k = 0; k < block.vertices.size(); ++k)
                visit(static_cast<std::uint32_t>(block.firstVertex + k), block.vertices[k].unpack());
    }

    // visit(std::uint32_t a, std::uint32_t b, std::uint32_t c), the corners' global
    // numbers, for every triangle, block by block.
    template <class Visit>
    void forEachTriangle(Visit&& visit) const
    {
        for (const SurfaceBlock& block : blocks)
            for (std::size_t k = 0; k < 3 * block.triangleCount(); k += 3)
                visit(block.corner(k), block.corner(k + 1), block.corner(k + 2));
    }

    // All vertices in number order (for writers that want them at hand; a dense 8192 x
    // 8192 surface takes some 270 MB this way).
    std::vector<PackedPoint> allVertices() const;
};
