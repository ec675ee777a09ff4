#include "export/WriteStl.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "export/SolidMesh.h"
#include "files/BufferedWriter.h"
#include "files/ByteOrder.h"

namespace {

// Binary STL: an 80-byte header that readers ignore, the triangle count as a
// little-endian uint32, then per triangle the normal and three corners as little-endian
// float32 X, Y, Z and a uint16 attribute, 0 here.
constexpr std::size_t kHeaderSize = 80;
constexpr std::size_t kTriangleSize = 50;
// Triangles read from the solid at a time: their corners fit in the cache.
constexpr std::size_t kPiece = 1024;

// For hosts of the other byte order.
[[maybe_unused]] void PutF32(std::uint8_t* at, float value) { PutU32(at, std::bit_cast<std::uint32_t>(value)); }

void WriteRecord(BufferedWriter& out, const SolidVertex& a, const SolidVertex& b, const SolidVertex& c)
{
    // In double, so the normal of a long, thin wall triangle keeps its precision.
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y, uz = double(b.z) - a.z;
    const double vx = double(c.x) - a.x, vy = double(c.y) - a.y, vz = double(c.z) - a.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    const double scale = length > 0 ? 1 / length : 0;
    const float values[12] = {static_cast<float>(nx * scale), static_cast<float>(ny * scale),
                              static_cast<float>(nz * scale), a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z};
    auto* at = reinterpret_cast<std::uint8_t*>(out.claim(kTriangleSize));
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, values, sizeof values);  // already the file's byte order
    } else {
        for (std::size_t k = 0; k < 12; ++k)
            PutF32(at + 4 * k, values[k]);
    }
    PutU16(at + 48, 0);
}

} // namespace

void WriteStl(BufferedWriter& out, const SolidMesh& solid, std::string_view credit)
{
    std::uint8_t header[kHeaderSize + 4] = {};  // the credit, then zeros
    std::memcpy(header, credit.data(), std::min(credit.size(), kHeaderSize));
    const std::uint32_t count = solid.triangleCount();
    PutU32(header + kHeaderSize, count);
    out.write(header, sizeof header);

    std::array<SolidTriangle, kPiece> triangles;
    std::array<std::uint32_t, 3 * kPiece> indices;
    std::array<SolidVertex, 3 * kPiece> corners;
    for (std::uint32_t first = 0; first < count;) {
        const std::size_t size = std::min<std::size_t>(kPiece, count - first);
        solid.triangles(first, std::span(triangles).first(size));
        for (std::size_t t = 0; t < size; ++t)
            for (std::size_t k = 0; k < 3; ++k)
                indices[3 * t + k] = triangles[t].v[k];
        solid.gather(std::span(indices).first(3 * size), std::span(corners).first(3 * size));
        for (std::size_t t = 0; t < size; ++t)
            WriteRecord(out, corners[3 * t], corners[3 * t + 1], corners[3 * t + 2]);
        first += static_cast<std::uint32_t>(size);
    }
}
