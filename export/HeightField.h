#pragma once
#include <cstddef>
#include <cstdint>

// The heights a mesh is built from, as plain data: width x height channel sums
// (red + green + blue, 0..765), rows top first, each row width values long. The view
// does not own the sums; they must outlive every use of it.
struct HeightField {
    int width = 0;
    int height = 0;
    const std::uint16_t* sums = nullptr;

    std::size_t pixelCount() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
    std::size_t indexOf(int column, int row) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(column);
    }
    int at(int column, int row) const { return sums[indexOf(column, row)]; }
};

// The largest picture a mesh is built for: a side of 65535 pixels, 2^28 pixels in all.
constexpr int kMaxMeshSide = 65535;
constexpr std::size_t kMaxMeshPixels = std::size_t{1} << 28;

// Throws std::invalid_argument when the field has a side below 1 or above kMaxMeshSide,
// more than kMaxMeshPixels pixels, no sums, or a sum above 765.
void CheckHeightField(const HeightField& field);
