#pragma once
#include <cstdint>

// A pixel centre of a height field: column c from the left, row r from the top.
struct LatticePoint {
    int c = 0;
    int r = 0;

    friend bool operator==(const LatticePoint&, const LatticePoint&) = default;
};

// Twice the signed area of the triangle a, b, c in (c, r) coordinates:
// (b.c - a.c)(c.r - a.r) - (b.r - a.r)(c.c - a.c). Negative when the corners run
// counter-clockwise seen from above with X = -c, Y = r (the meshes' winding), zero when
// they lie on one line. Exact for any two points of a field (|result| < 2^33).
inline long long Cross(const LatticePoint& a, const LatticePoint& b, const LatticePoint& c)
{
    return static_cast<long long>(b.c - a.c) * (c.r - a.r) - static_cast<long long>(b.r - a.r) * (c.c - a.c);
}

// A lattice point in four bytes, as meshes store their vertices (sides are at most 65535).
struct PackedPoint {
    std::uint16_t c = 0;
    std::uint16_t r = 0;

    PackedPoint() = default;
    explicit PackedPoint(LatticePoint p) : c(static_cast<std::uint16_t>(p.c)), r(static_cast<std::uint16_t>(p.r)) {}
    LatticePoint unpack() const { return {c, r}; }

    friend bool operator==(const PackedPoint&, const PackedPoint&) = default;
};
