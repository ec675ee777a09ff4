#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "export/LatticePoint.h"

// A triangulation of lattice points as plain arrays of half-edges: half-edge e belongs
// to triangle e / 3 and runs from corner e to the next corner of that triangle
// (3 (e / 3) + (e + 1) % 3). Triangles run counter-clockwise seen from above with
// X = -c, Y = r (Cross(a, b, c) < 0).
struct TriangleMesh {
    std::vector<PackedPoint> points;
    std::vector<std::int32_t> corners;  // per half-edge: the point it starts from
    std::vector<std::int32_t> twins;    // per half-edge: the opposite half-edge, -1 on the border

    std::size_t triangleCount() const { return corners.size() / 3; }
};

inline int NextEdge(int e) { return e % 3 == 2 ? e - 2 : e + 1; }
inline int PreviousEdge(int e) { return e % 3 == 0 ? e + 2 : e - 1; }
