#pragma once
#include <cstdint>
#include <span>

// A closed solid as the print formats take it, streamed rather than held: the counts,
// then the vertices, then the triangles, each read in pieces of the reader's choosing,
// so a solid of millions of triangles never needs a second copy in memory. The grid
// solid computes its pieces as they are asked for; other solids may hand out arrays.

// A corner in millimetres, exactly as the files hold it.
struct SolidVertex {
    float x, y, z;
    bool operator==(const SolidVertex&) const = default;
};

// Three vertex numbers, counter-clockwise seen from outside the solid.
struct SolidTriangle {
    std::uint32_t v[3];
    bool operator==(const SolidTriangle&) const = default;
};

class SolidMesh {
public:
    virtual ~SolidMesh() = default;

    virtual std::uint32_t vertexCount() const = 0;
    virtual std::uint32_t triangleCount() const = 0;

    // Vertices first .. first + out.size() - 1, which all exist.
    virtual void vertices(std::uint32_t first, std::span<SolidVertex> out) const = 0;
    // Triangles first .. first + out.size() - 1, which all exist.
    virtual void triangles(std::uint32_t first, std::span<SolidTriangle> out) const = 0;
    // The vertices numbered in indices, in that order (out is as long as indices): a
    // writer that needs each triangle's corners looks them up a piece at a time.
    virtual void gather(std::span<const std::uint32_t> indices, std::span<SolidVertex> out) const = 0;
};
