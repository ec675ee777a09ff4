#pragma once
#include <cstddef>
#include <memory>

#include "model/HeightGrid.h"

// The heights one terrain mesh is built from, as plain data: for grid size g, grid
// columns 0 to g + 1 and rows 0 to g, the part of the height grid a mesh of that size
// reads. Reads outside that part give 0.0, as the height grid's reads past its end do.
class MeshHeights {
public:
    MeshHeights() = default;
    explicit MeshHeights(int gridSize) { reset(gridSize); }
    MeshHeights(const HeightGrid& grid, int gridSize) { assign(grid, gridSize); }

    // Every height 0.0 for a mesh of gridSize (none below 0). Keeps the storage, so a
    // view that rebuilds its mesh on every brush step allocates nothing.
    void reset(int gridSize);
    // The part of grid a mesh of gridSize reads.
    void assign(const HeightGrid& grid, int gridSize);

    int gridSize() const { return gridSize_; }

    double at(int i, int j) const
    {
        if (static_cast<unsigned>(i) >= static_cast<unsigned>(columns_) ||
            static_cast<unsigned>(j) >= static_cast<unsigned>(rows_))
            return 0.0;
        return heights_[static_cast<std::size_t>(i) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(j)];
    }
    // Within columns 0..g + 1 and rows 0..g only.
    void set(int i, int j, double height) { column(i)[j] = height; }

    // Rows 0..g of column i (0..g + 1), for walks that stay inside.
    const double* column(int i) const { return heights_.get() + static_cast<std::size_t>(i) * static_cast<std::size_t>(rows_); }
    double* column(int i) { return heights_.get() + static_cast<std::size_t>(i) * static_cast<std::size_t>(rows_); }

private:
    void resize(int gridSize);

    int gridSize_ = 0;
    int columns_ = 0;
    int rows_ = 0;
    std::size_t capacity_ = 0;
    std::unique_ptr<double[]> heights_;  // column after column
};
