#include "model/MeshHeights.h"

#include <algorithm>

// Storage is only ever grown, and left unfilled: reset and assign write every height.
void MeshHeights::resize(int gridSize)
{
    gridSize_ = gridSize;
    columns_ = std::max(gridSize + 2, 0);
    rows_ = std::max(gridSize + 1, 0);
    const std::size_t count = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    if (count > capacity_) {
        heights_ = std::make_unique_for_overwrite<double[]>(count);
        capacity_ = count;
    }
}

void MeshHeights::reset(int gridSize)
{
    resize(gridSize);
    std::fill_n(heights_.get(), static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0.0);
}

void MeshHeights::assign(const HeightGrid& grid, int gridSize)
{
    resize(gridSize);
    for (int i = 0; i < columns_; ++i) {
        double* column = this->column(i);
        for (int j = 0; j < rows_; ++j)
            column[j] = grid.at(i, j);
    }
}
