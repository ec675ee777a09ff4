#pragma once
#include <cstdint>
#include <vector>

#include "model/Picture.h"

// Reads a whole BMP file from memory into a bitmap picture whose kept encoding is the
// file itself (moved in, never copied). A zero-length file gives the empty picture
// with no kept encoding. Throws EditorError StreamRead (too short for its
// headers), BitmapTooLarge or BitmapNotValid; nothing is
// allocated for the pixels before every header check has passed. A plane count other
// than 1 loads, with pixelsUnusable set.
Picture ReadBmp(std::vector<std::uint8_t> file);
