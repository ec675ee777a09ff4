#pragma once
#include <cstdint>
#include <vector>

#include "model/Picture.h"

// The standard icon size every icon picture takes, whatever its file holds.
constexpr int kIconSize = 32;

// Checks an icon file's directory (reserved 0, type 1, at least one entry whose image
// data lie inside the file) and keeps the bytes as the picture's file. Pixels are not
// decoded: an icon is shown, not edited. Throws EditorError StreamRead when
// the file is too short for its directory, else IconNotValid.
Picture ReadIcon(std::vector<std::uint8_t> file);
