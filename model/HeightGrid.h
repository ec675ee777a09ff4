#pragma once
#include <array>

#include "model/HeightScale.h"

// Heights sampled from the picture, indexed [column 0..kMaxIndex][row 0..kMaxIndex].
// Reads outside that range yield 0.0; nothing is ever stored outside.
class HeightGrid {
public:
    static constexpr int kMaxIndex = kLargestGridSize;

    double at(int i, int j) const
    {
        if (i < 0 || j < 0 || i > kMaxIndex || j > kMaxIndex)
            return 0.0;
        return cells_[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
    }
    void set(int i, int j, double height)
    {
        cells_[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = height;
    }
    void clear()
    {
        for (auto& column : cells_)
            column.fill(0.0);
    }

private:
    std::array<std::array<double, kMaxIndex + 1>, kMaxIndex + 1> cells_{};
};
