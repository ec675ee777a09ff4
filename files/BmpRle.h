#pragma once
#include <cstdint>
#include <vector>

#include "files/BmpLayout.h"

// Decodes RLE8 or RLE4 pixel data into `pixels` (width x height stored pixels, rows top
// first), which the caller has filled with black: pixels that no run sets stay black.
// Runs and moves that leave the picture are clipped; decoding ends at the end-of-bitmap
// code, at the end of the file, or once the position has passed the top row.
void DecodeBmpRle(const std::vector<std::uint8_t>& file, const BmpLayout& layout, std::uint32_t* pixels);
