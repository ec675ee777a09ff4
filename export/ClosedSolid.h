#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/AdaptiveSurface.h"

// A closed solid over an adaptive surface, as plain data for the mesh writers: the
// surface on top, walls straight down from its border to a flat bottom, and the bottom.
// The writers place a vertex at X = (width - 1 - c) px, Y = r py and Z its height, or
// the base height for a bottom vertex.
//
// Vertices are numbered once: first the surface's own (isBottom false, same numbers as
// in the surface), then one bottom vertex under each surface vertex on the border, in
// order round the border. Every triangle runs counter-clockwise seen from outside (with
// X = -c, Y = r, Z up): the surface's face up, the bottom's down, the walls' outward; so
// every edge is used exactly once in each direction. No triangle has zero area: the
// bottom is fanned from a point off each long side and zigzagged between the two other
// sides, never across three points of one side.
struct ClosedSolid {
    AdaptiveSurface top;
    std::vector<PackedPoint> bottom;          // under the border vertices, numbered from top.vertexCount()
    std::vector<std::uint32_t> sideCorners;   // walls, then bottom: 3 numbers per triangle

    std::size_t vertexCount() const { return top.vertexCount() + bottom.size(); }
    std::size_t triangleCount() const { return top.triangleCount() + sideCorners.size() / 3; }

    // visit(std::uint32_t number, LatticePoint point, bool isBottom) in number order.
    template <class Visit>
    void forEachVertex(Visit&& visit) const
    {
        top.forEachVertex([&](std::uint32_t number, LatticePoint p) { visit(number, p, false); });
        const std::size_t first = top.vertexCount();
        for (std::size_t k = 0; k < bottom.size(); ++k)
            visit(static_cast<std::uint32_t>(first + k), bottom[k].unpack(), true);
    }

    // visit(std::uint32_t a, std::uint32_t b, std::uint32_t c): the surface's triangles,
    // then the walls', then the bottom's.
    template <class Visit>
    void forEachTriangle(Visit&& visit) const
    {
        top.forEachTriangle(visit);
        for (std::size_t k = 0; k < sideCorners.size(); k += 3)
            visit(sideCorners[k], sideCorners[k + 1], sideCorners[k + 2]);
    }
};

// Takes the surface over. An empty surface (a picture one pixel wide or high) gives an
// empty solid. Throws std::bad_alloc when memory runs out.
ClosedSolid BuildClosedSolid(AdaptiveSurface top);
