#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

// A stroke's undo step keeps the square tiles of this side that its fills touched: small
// enough that a brush step keeps little, large enough that a long stroke keeps few.
constexpr int kTileSide = 64;
constexpr std::size_t kTilePixels = std::size_t{kTileSide} * kTileSide;
using TileBuffer = std::unique_ptr<std::uint32_t[]>;  // kTilePixels pixels
