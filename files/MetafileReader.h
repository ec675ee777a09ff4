#pragma once
#include <cstdint>
#include <vector>

#include "model/Picture.h"

// Checks a metafile's header and keeps the bytes as the picture's file; the records
// themselves are not played. Accepted: an enhanced metafile (EMR_HEADER with the
// " EMF" signature; size from its inclusive bounds), a placeable Windows metafile
// (size from its bounding box at 96 pixels per inch) and a standard Windows metafile
// (size from its first SetWindowExt record, else 0 x 0). Throws EditorError
// StreamRead when the file is too short for the header it starts, else MetafileNotValid.
Picture ReadMetafile(std::vector<std::uint8_t> file);
