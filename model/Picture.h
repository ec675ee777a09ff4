#pragma once
#include <cstdint>
#include <vector>

#include "model/Colour.h"
#include "model/PixelBuffer.h"

enum class PictureKind { Bitmap, Icon, Metafile };

// A whole picture as the file readers produce it and the image surface holds it.
struct Picture {
    PictureKind kind = PictureKind::Bitmap;
    int width = 0;  // 0 x 0 is the empty picture
    int height = 0;

    // Bitmap pixels, rows top first, each entry 0xFFBBGGRR: the colour value with the
    // top byte forced to 0xFF, so the buffer is directly an RGBX image in memory.
    PixelBuffer pixels;

    // Set when the file named a plane count other than 1: the picture loads with its
    // size, but every use of its pixels fails with BitmapNotValid.
    bool pixelsUnusable = false;

    // The file the picture came from, as read. For a bitmap whose encoding is kept,
    // the kept encoding is sourceFile[14..] and keptPixelOffset is the file header's
    // pixel-data offset as read; for an icon or metafile it is the file written back.
    // Holding the whole file avoids copying a large encoding a second time.
    std::vector<std::uint8_t> sourceFile;
    bool encodingKept = false;
    std::uint32_t keptPixelOffset = 0;

    bool isEmpty() const { return width == 0 || height == 0; }
};

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint32_t StoredPixel(ColourValue c) { return (c & 0x00FFFFFFu) | kOpaque; }
