#include "export/GridSolid.h"

#include <algorithm>
#include <stdexcept>

#include "model/HeightScale.h"
#include "model/MeshHeights.h"
#include "model/SolidSettings.h"

namespace {

// Step i of steps along [0, 1]: exactly 0 and 1 at the ends, so the footprint's sides
// come out exactly as long as asked.
double Fraction(int i, int steps)
{
    return static_cast<double>(i) / static_cast<double>(steps);
}

} // namespace

GridSolid::GridSolid(const MeshHeights& heights, const SolidSettings& settings, int pictureWidth, int pictureHeight)
    : g_(std::max(heights.gridSize(), 0))
{
    const double side = settings.longestSideMm;
    width_ = depth_ = side;
    // A picture without a size has no proportions to keep.
    if (settings.keepProportions && pictureWidth > 0 && pictureHeight > 0) {
        if (pictureWidth >= pictureHeight)
            depth_ = side * pictureHeight / pictureWidth;
        else
            width_ = side * pictureWidth / pictureHeight;
    }
    if (g_ < 1)
        return;

    const int right = g_ + 1;
    const auto g = static_cast<std::uint32_t>(g_);
    topCount_ = (g + 2) * (g + 1);
    edgeCount_ = 4 * g + 2;
    surfaceTriangles_ = 2 * (g + 1) * g;
    wallTriangles_ = 2 * edgeCount_;
    triangleCount_ = surfaceTriangles_ + wallTriangles_ + 4 * g;

    std::vector<float> xs(static_cast<std::size_t>(right) + 1), ys(static_cast<std::size_t>(g_) + 1);
    for (int i = 0; i <= right; ++i)
        xs[static_cast<std::size_t>(i)] = static_cast<float>(width_ * Fraction(i, right));
    for (int n = 0; n <= g_; ++n)
        ys[static_cast<std::size_t>(n)] = static_cast<float>(depth_ * Fraction(n, g_));

    vertices_.resize(topCount_ + edgeCount_);
    SolidVertex* out = vertices_.data();
    for (int i = 0; i <= right; ++i) {
        const double* column = heights.column(i);
        for (int n = 0; n <= g_; ++n) {
            const double h = column[n];
            const double share = settings.invert ? (kTopHeight - h) / kTopHeight : h / kTopHeight;
            *out++ = {xs[static_cast<std::size_t>(i)], ys[static_cast<std::size_t>(n)],
                      static_cast<float>(settings.baseMm + settings.reliefMm * share)};
        }
    }
    for (std::uint32_t b = 0; b < edgeCount_; ++b) {
        int x = 0, y = 0;
        edgePoint(b, x, y);
        *out++ = {xs[static_cast<std::size_t>(x)], ys[static_cast<std::size_t>(y)], 0.0f};
    }
}

// The b-th point of the edge, counter-clockwise from (0, 0): along row 0 to the last
// column, up it to row g, back along row g to column 0 and down column 0 to row 1.
void GridSolid::edgePoint(std::uint32_t b, int& x, int& y) const
{
    const int right = g_ + 1;
    const int k = static_cast<int>(b);
    if (k <= right) {
        x = k, y = 0;
    } else if (k <= right + g_) {
        x = right, y = k - right;
    } else if (k <= 2 * right + g_) {
        x = right - (k - right - g_), y = g_;
    } else {
        x = 0, y = g_ - (k - 2 * right - g_);
    }
}

std::uint32_t GridSolid::top(int x, int y) const
{
    return static_cast<std::uint32_t>(x) * static_cast<std::uint32_t>(g_ + 1) + static_cast<std::uint32_t>(y);
}

std::uint32_t GridSolid::low(int x, int y) const
{
    const int right = g_ + 1;
    int b;
    if (y == 0)
        b = x;
    else if (x == right)
        b = right + y;
    else if (y == g_)
        b = right + g_ + (right - x);
    else
        b = 2 * right + g_ + (g_ - y);  // x == 0
    return topCount_ + static_cast<std::uint32_t>(b);
}

SolidTriangle GridSolid::triangleAt(std::uint32_t t) const
{
    const int right = g_ + 1;
    if (t < surfaceTriangles_) {
        // The DXF's cells: columns from the last back to 0, each from its top row down;
        // corners 1 to 4 counter-clockwise seen from above.
        const std::uint32_t cell = t / 2;
        const auto g = static_cast<std::uint32_t>(g_);
        const int i = g_ - static_cast<int>(cell / g);
        const int n = g_ - 1 - static_cast<int>(cell % g);
        if (t % 2 == 0)
            return {{top(i, n), top(i + 1, n), top(i + 1, n + 1)}};
        return {{top(i, n), top(i + 1, n + 1), top(i, n + 1)}};
    }
    t -= surfaceTriangles_;
    if (t < wallTriangles_) {
        // One step round the edge (the outside on its right) from the surface straight
        // down to the bottom.
        const std::uint32_t step = t / 2;
        int px = 0, py = 0, qx = 0, qy = 0;
        edgePoint(step, px, py);
        edgePoint((step + 1) % edgeCount_, qx, qy);
        if (t % 2 == 0)
            return {{low(px, py), low(qx, qy), top(qx, qy)}};
        return {{low(px, py), top(qx, qy), top(px, py)}};
    }
    t -= wallTriangles_;
    // The bottom, clockwise seen from above (it faces down). It meets the walls at every
    // grid step, or its long edges would leave cracks; yet corners on one straight side
    // must never form a triangle, which would be flat. So: a fan from (0, 1) over the
    // front side, a zigzag of thin triangles from the left side to the right one, and a
    // fan from (g + 1, g - 1) over the back side.
    const auto k = static_cast<int>(t);
    if (k < right)
        return {{low(0, 1), low(k + 1, 0), low(k, 0)}};
    const int zig = k - right;
    if (zig < 2 * (g_ - 1)) {
        const int j = 1 + zig / 2;
        if (zig % 2 == 0)
            return {{low(0, j), low(right, j), low(right, j - 1)}};
        return {{low(0, j), low(0, j + 1), low(right, j)}};
    }
    const int back = zig - 2 * (g_ - 1);
    return {{low(right, g_ - 1), low(back, g_), low(back + 1, g_)}};
}

void GridSolid::vertices(std::uint32_t first, std::span<SolidVertex> out) const
{
    if (first > vertices_.size() || out.size() > vertices_.size() - first)
        throw std::out_of_range("GridSolid::vertices past the last vertex");
    std::copy_n(vertices_.begin() + first, out.size(), out.begin());
}

void GridSolid::triangles(std::uint32_t first, std::span<SolidTriangle> out) const
{
    if (first > triangleCount_ || out.size() > triangleCount_ - first)
        throw std::out_of_range("GridSolid::triangles past the last triangle");
    std::size_t k = 0;
    std::uint32_t t = first;
    // The surface, nearly all of the solid, cell after cell without a division each.
    if (t < surfaceTriangles_) {
        const auto g = static_cast<std::uint32_t>(g_);
        int i = g_ - static_cast<int>(t / 2 / g);
        int n = g_ - 1 - static_cast<int>(t / 2 % g);
        for (; k < out.size() && t < surfaceTriangles_; ++k, ++t) {
            if (t % 2 == 0) {
                out[k] = {{top(i, n), top(i + 1, n), top(i + 1, n + 1)}};
            } else {
                out[k] = {{top(i, n), top(i + 1, n + 1), top(i, n + 1)}};
                if (--n < 0) {
                    n = g_ - 1;
                    --i;
                }
            }
        }
    }
    for (; k < out.size(); ++k, ++t)
        out[k] = triangleAt(t);
}

void GridSolid::gather(std::span<const std::uint32_t> indices, std::span<SolidVertex> out) const
{
    for (std::size_t k = 0; k < indices.size(); ++k)
        out[k] = vertices_.at(indices[k]);
}
