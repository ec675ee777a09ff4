#include "files/BmpReader.h"

#include "files/BmpLayout.h"
#include "files/BmpRle.h"
#include "files/BmpRows.h"
#include "model/LargeBuffer.h"

Picture ReadBmp(std::vector<std::uint8_t> file)
{
    if (file.empty())
        return Picture{};
    const BmpLayout layout = ReadBmpLayout(file);

    Picture picture;
    picture.width = layout.width;
    picture.height = layout.height;
    picture.pixelsUnusable = !layout.planesValid;
    const std::size_t count = static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.height);
    if (layout.compression == BmpLayout::kRle8 || layout.compression == BmpLayout::kRle4) {
        AssignLarge(picture.pixels, count, kOpaque);  // black where no run reaches
        DecodeBmpRle(file, layout, picture.pixels.data());
    } else {
        AssignLarge(picture.pixels, count);
        DecodeBmpRows(file, layout, picture.pixels.data());
    }

    picture.sourceFile = std::move(file);
    picture.encodingKept = true;
    picture.keptPixelOffset = layout.pixelOffset;
    return picture;
}
