// The height map's 16-bit PNG through Import Picture: every pixel comes back with the
// channel sum it was written from, so the DXF of the re-imported picture is the original's
// byte for byte; and Qt's own reader sees the same 16-bit grey values.
#include <gtest/gtest.h>

#include <QImage>

#include "export/MeshExport.h"
#include "export/WriteHeightMap.h"
#include "import/PictureImport.h"
#include "model/EditorState.h"
#include "model/ImageSurface.h"
#include "tests/support/TempFolder.h"

namespace {

int SumOf(std::uint32_t p)
{
    return static_cast<int>((p & 0xFF) + (p >> 8 & 0xFF) + (p >> 16 & 0xFF));
}

// Every channel sum many times over, in colours whose channels differ.
Picture Colourful(int width, int height)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t red = (x * 37 + y) % 256, green = (y * 11) % 256, blue = (x ^ y) % 256;
            picture.pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                0xFF000000u | blue << 16 | green << 8 | red;
        }
    return picture;
}

std::string Export(MeshFormat format, const Picture& picture, const std::string& path, int gridSize)
{
    ImageSurface surface;
    EditorState state;
    PrepareExport(state, surface, picture, gridSize);
    WriteMesh(format, state, surface, path);
    return ReadWholeFile(path);
}

TEST(HeightMapRoundTrip, ImportGivesBackEveryChannelSumAndTheSameDxf)
{
    const Picture original = Colourful(321, 203);
    const TempFolder folder;
    Export(MeshFormat::HeightPng, original, folder.file("map.png"), 50);
    const Picture back = ImportPicture(QString::fromStdString(folder.file("map.png")));
    ASSERT_EQ(back.width, original.width);
    ASSERT_EQ(back.height, original.height);
    std::size_t wrong = 0;
    for (std::size_t k = 0; k < original.pixels.size(); ++k)
        wrong += SumOf(back.pixels[k]) != SumOf(original.pixels[k]);
    EXPECT_EQ(wrong, 0u);
    for (int gridSize : {50, 203, 300}) {
        const std::string before = Export(MeshFormat::Dxf, original, folder.file("before.dxf"), gridSize);
        const std::string after = Export(MeshFormat::Dxf, back, folder.file("after.dxf"), gridSize);
        EXPECT_TRUE(before == after) << gridSize;
    }

    const QImage qt(QString::fromStdString(folder.file("map.png")));
    ASSERT_EQ(qt.format(), QImage::Format_Grayscale16);
    std::size_t differ = 0;
    for (int y = 0; y < qt.height(); ++y) {
        const auto* row = reinterpret_cast<const quint16*>(qt.constScanLine(y));
        for (int x = 0; x < qt.width(); ++x)
            differ += row[x] != HeightMapValue(SumOf(original.pixels[std::size_t(y) * 321 + std::size_t(x)]));
    }
    EXPECT_EQ(differ, 0u);
}

} // namespace
