#include "export/WriteStl.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files/BufferedWriter.h"
#include "files/ByteOrder.h"
#include "model/MeshHeights.h"

namespace {

// Binary STL: an 80-byte header that readers ignore, the triangle count as a
// little-endian uint32, then per triangle the normal and three corners as little-endian
// float32 X, Y, Z and a uint16 attribute, 0 here.
constexpr std::size_t kHeaderSize = 80;
constexpr std::size_t kTriangleSize = 50;
// Some readers take a file whose header holds "solid" for the text form, so it must not.
constexpr std::string_view kCredit = "Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH), grid ";

// One unit below the lowest ground, so an all-black picture still prints as a slab.
constexpr float kBottom = -1.0f;

struct Corner {
    float x, y, z;
};

// 2 triangles per cell on the surface, 2 per grid step of the four walls and 4 per grid
// step on the bottom (see WriteSolid).
std::uint32_t TriangleCount(int gridSize)
{
    if (gridSize < 1)
        return 0;
    const auto g = static_cast<std::uint32_t>(gridSize);
    return 2 * g * (g + 1) + 2 * (4 * g + 2) + 4 * g;
}

// For hosts of the other byte order.
[[maybe_unused]] void PutF32(std::uint8_t* at, float value) { PutU32(at, std::bit_cast<std::uint32_t>(value)); }

// Composes each triangle's record straight into the writer's buffer.
class TriangleRecords {
public:
    explicit TriangleRecords(BufferedWriter& out) : out_(out) {}

    // Corners counter-clockwise seen from outside the solid; the normal follows from them.
    void add(const Corner& a, const Corner& b, const Corner& c)
    {
        // In double, so the normal of a long, thin wall triangle keeps its precision.
        const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
        const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        const double scale = 1 / std::sqrt(nx * nx + ny * ny + nz * nz);
        add(Corner{static_cast<float>(nx * scale), static_cast<float>(ny * scale), static_cast<float>(nz * scale)},
            a, b, c);
    }

    // A surface triangle: its corners' X and Y are those of a grid cell, so the cross
    // product of its edges is (dx, dy, 1) with dx and dy height differences, and single
    // precision is plenty.
    void addOverCell(float dx, float dy, const Corner& a, const Corner& b, const Corner& c)
    {
        const float scale = 1.0f / std::sqrt(dx * dx + dy * dy + 1.0f);
        add(Corner{dx * scale, dy * scale, scale}, a, b, c);
    }

    // With the normal given: of unit length, pointing out.
    void add(const Corner& normal, const Corner& a, const Corner& b, const Corner& c)
    {
        const float values[12] = {normal.x, normal.y, normal.z, a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z};
        auto* at = reinterpret_cast<std::uint8_t*>(out_.claim(kTriangleSize));
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(at, values, sizeof values);  // already the file's byte order
        } else {
            for (std::size_t k = 0; k < 12; ++k)
                PutF32(at + 4 * k, values[k]);
        }
        PutU16(at + 48, 0);
    }

private:
    BufferedWriter& out_;
};

// The closed solid over grid columns 0..g+1 and rows 0..g. Every triangle's corners run
// counter-clockwise seen from outside, so each edge is used once in each direction.
void WriteSolid(TriangleRecords& out, const MeshHeights& heights, int g)
{
    const auto top = [&](int x, int y) {
        return Corner{static_cast<float>(x), static_cast<float>(y), static_cast<float>(heights.at(x, y))};
    };
    const auto low = [](int x, int y) { return Corner{static_cast<float>(x), static_cast<float>(y), kBottom}; };

    // The surface: the DXF's cells in its order, corners 1 to 4 counter-clockwise seen
    // from above, split along the diagonal from corner 1 to corner 3. Each column's
    // heights are looked up once.
    std::vector<float> leftHeights(static_cast<std::size_t>(g) + 1), rightHeights(leftHeights.size());
    for (int n = 0; n <= g; ++n)
        rightHeights[static_cast<std::size_t>(n)] = static_cast<float>(heights.at(g + 1, n));
    for (int i = g; i >= 0; --i) {
        for (int n = 0; n <= g; ++n)
            leftHeights[static_cast<std::size_t>(n)] = static_cast<float>(heights.at(i, n));
        const auto x1 = static_cast<float>(i), x2 = static_cast<float>(i + 1);
        for (int n = g - 1; n >= 0; --n) {
            const auto row = static_cast<std::size_t>(n);
            const auto y1 = static_cast<float>(n), y2 = static_cast<float>(n + 1);
            const Corner c1{x1, y1, leftHeights[row]}, c2{x2, y1, rightHeights[row]}, c3{x2, y2, rightHeights[row + 1]},
                c4{x1, y2, leftHeights[row + 1]};
            // (c2 - c1) x (c3 - c1) = (z1 - z2, z2 - z3, 1); (c3 - c1) x (c4 - c1) = (z4 - z3, z1 - z4, 1).
            out.addOverCell(c1.z - c2.z, c2.z - c3.z, c1, c2, c3);
            out.addOverCell(c4.z - c3.z, c1.z - c4.z, c1, c3, c4);
        }
        leftHeights.swap(rightHeights);
    }

    // The walls, one grid step at a time, walking round the edge counter-clockwise seen
    // from above (the outside lies to the right of each step): from the surface's edge
    // straight down to the bottom.
    const int right = g + 1;
    const auto wall = [&](int px, int py, int qx, int qy) {
        out.add(low(px, py), low(qx, qy), top(qx, qy));
        out.add(low(px, py), top(qx, qy), top(px, py));
    };
    for (int x = 0; x < right; ++x)
        wall(x, 0, x + 1, 0);
    for (int y = 0; y < g; ++y)
        wall(right, y, right, y + 1);
    for (int x = right; x > 0; --x)
        wall(x, g, x - 1, g);
    for (int y = g; y > 0; --y)
        wall(0, y, 0, y - 1);

    // The bottom, clockwise seen from above (it faces down). It has to meet the walls at
    // every grid step, or its long edges would leave cracks; yet corners on one straight
    // side must never form a triangle, which would be flat. So: a fan from (0, 1) over
    // the front side, a fan from (g + 1, g - 1) over the back side, and between them a
    // zigzag of thin triangles from the left side to the right one.
    for (int k = 0; k < right; ++k)
        out.add(low(0, 1), low(k + 1, 0), low(k, 0));
    for (int j = 1; j < g; ++j) {
        out.add(low(0, j), low(right, j), low(right, j - 1));
        out.add(low(0, j), low(0, j + 1), low(right, j));
    }
    for (int k = 0; k < right; ++k)
        out.add(low(right, g - 1), low(k, g), low(k + 1, g));
}

} // namespace

void WriteStl(BufferedWriter& out, const MeshHeights& heights)
{
    const int gridSize = heights.gridSize();
    std::uint8_t header[kHeaderSize + 4] = {};  // the credit, then zeros
    const std::string credit = std::string(kCredit) + std::to_string(gridSize);
    std::memcpy(header, credit.data(), std::min(credit.size(), kHeaderSize));
    PutU32(header + kHeaderSize, TriangleCount(gridSize));
    out.write(header, sizeof header);
    if (gridSize >= 1) {
        TriangleRecords records(out);
        WriteSolid(records, heights, gridSize);
    }
}
