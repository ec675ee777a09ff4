#pragma once
#include <cstdint>
#include <vector>

#include "files/BmpLayout.h"

// Decodes uncompressed (and bit-field) pixel data into stored pixels, rows top first,
// width x height entries at `pixels`. The layout has already checked that every row is
// inside the file.
void DecodeBmpRows(const std::vector<std::uint8_t>& file, const BmpLayout& layout, std::uint32_t* pixels);
