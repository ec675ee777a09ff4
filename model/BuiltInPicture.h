#pragma once
#include <cstdint>
#include <span>

#include "model/Picture.h"

// The whole built-in 320 x 200 BMP file, as compiled into the program.
std::span<const std::uint8_t> BuiltInPictureFile();

// The built-in picture decoded: a bitmap whose kept encoding is its file behind the
// 14-byte header (pixel data at offset 54), so saving it untouched writes the file back.
Picture BuiltInPicture();
