#pragma once
// Height fields for the adaptive surface tests, and checks of a surface that share no
// code with the meshing: every pixel found in its triangles by plain edge functions,
// its error compared in whole numbers; edges paired by a map of directed edges.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "export/AdaptiveSurface.h"
#include "export/HeightField.h"

// Sums that own their storage, with the view meshing takes.
struct Sums {
    int width = 0, height = 0;
    std::vector<std::uint16_t> values;

    HeightField field() const { return {width, height, values.data()}; }
    std::uint16_t& at(int c, int r) { return values[static_cast<std::size_t>(r) * width + c]; }
};

template <class Height>
Sums MakeSums(int width, int height, Height&& height_at)
{
    Sums sums{width, height, std::vector<std::uint16_t>(static_cast<std::size_t>(width) * height)};
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            sums.at(c, r) = static_cast<std::uint16_t>(height_at(c, r));
    return sums;
}

// Noise from a fixed integer hash, the same on every machine.
inline int NoiseSum(int c, int r, int seed = 1)
{
    std::uint32_t x = static_cast<std::uint32_t>(c) * 73856093u ^ static_cast<std::uint32_t>(r) * 19349663u ^
                      static_cast<std::uint32_t>(seed) * 83492791u;
    x ^= x >> 13;
    x *= 0x5bd1e995u;
    x ^= x >> 15;
    return static_cast<int>(x % 766u);
}

struct SurfaceReport {
    std::string fault;            // empty when the surface is a proper triangulation
    std::int64_t worstTimes1000 = 0;  // the largest error over all pixels, in thousandths, rounded up
};

// Whether the triangles tile [0, w-1] x [0, h-1] as a proper triangulation with the
// winding of AdaptiveSurface, and the largest error at any pixel centre.
inline SurfaceReport ExamineSurface(const HeightField& field, const AdaptiveSurface& surface)
{
    SurfaceReport report;
    const std::vector<PackedPoint> vertices = surface.allVertices();
    std::set<std::pair<int, int>> distinct;
    for (const PackedPoint& v : vertices)
        distinct.insert({v.c, v.r});
    if (distinct.size() != vertices.size())
        report.fault = "a vertex listed twice";
    for (const auto& corner : {std::pair{0, 0}, std::pair{field.width - 1, 0}, std::pair{0, field.height - 1},
                               std::pair{field.width - 1, field.height - 1}})
        if (!distinct.count(corner))
            report.fault = "a corner of the picture is no vertex";

    std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
    std::int64_t area = 0;
    std::vector<char> covered(field.pixelCount(), 0);
    surface.forEachTriangle([&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        const LatticePoint p[3] = {vertices[a].unpack(), vertices[b].unpack(), vertices[c].unpack()};
        const std::int64_t d = Cross(p[0], p[1], p[2]);
        if (d >= 0) {
            report.fault = d == 0 ? "a triangle without area" : "a triangle wound the wrong way";
            return;
        }
        area -= d;
        for (const auto& edge : {std::pair{a, b}, std::pair{b, c}, std::pair{c, a}})
            ++edges[edge];
        const std::int64_t z[3] = {field.at(p[0].c, p[0].r), field.at(p[1].c, p[1].r), field.at(p[2].c, p[2].r)};
        const int c0 = std::min({p[0].c, p[1].c, p[2].c}), c1 = std::max({p[0].c, p[1].c, p[2].c});
        const int r0 = std::min({p[0].r, p[1].r, p[2].r}), r1 = std::max({p[0].r, p[1].r, p[2].r});
        for (int r = r0; r <= r1; ++r)
            for (int col = c0; col <= c1; ++col) {
                const LatticePoint q{col, r};
                const std::int64_t w0 = Cross(p[1], p[2], q), w1 = Cross(p[2], p[0], q), w2 = Cross(p[0], p[1], q);
                if (w0 > 0 || w1 > 0 || w2 > 0)
                    continue;
                covered[field.indexOf(col, r)] = 1;
                // |s - (w0 z0 + w1 z1 + w2 z2) / d|, in thousandths, rounded up.
                const std::int64_t off = std::llabs(d * field.at(col, r) - (w0 * z[0] + w1 * z[1] + w2 * z[2]));
                report.worstTimes1000 = std::max(report.worstTimes1000, (1000 * off + (-d) - 1) / (-d));
            }
    });
    if (area != 2LL * (field.width - 1) * (field.height - 1))
        report.fault = "the triangles' area is not the rectangle's";
    if (std::count(covered.begin(), covered.end(), 0) != 0)
        report.fault = "a pixel in no triangle";
    for (const auto& [edge, count] : edges) {
        if (count != 1)
            report.fault = "an edge used twice the same way";
        if (edges.count({edge.second, edge.first}))
            continue;
        const LatticePoint a = vertices[edge.first].unpack(), b = vertices[edge.second].unpack();
        const bool alongBorder = (a.c == b.c && (a.c == 0 || a.c == field.width - 1)) ||
                                 (a.r == b.r && (a.r == 0 || a.r == field.height - 1));
        if (!alongBorder)
            report.fault = "an inner edge with one triangle (a crack or a T-junction)";
    }
    return report;
}
