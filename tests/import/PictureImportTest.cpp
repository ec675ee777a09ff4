// Import Picture's reader, run as a command-line tool would run it: no application
// object. Pictures are written by Qt's own writers (or byte by byte) in each test and
// read back through ImportPicture: 8-bit, 16-bit, paletted and transparent PNGs, TIFF,
// JPEG, WebP and TGA; the size limits from the header; hostile files.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <cstdlib>
#include <cstring>
#include <set>
#include <sys/stat.h>

#include "import/ChannelSum.h"
#include "tests/support/BmpBuilder.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureCrc.h"
#include "tests/support/TempFolder.h"
#include "import/PictureImport.h"

namespace {

constexpr std::uint32_t Stored(int red, int green, int blue)
{
    return 0xFF000000u | static_cast<std::uint32_t>(blue) << 16 | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(red);
}

std::uint32_t At(const Picture& picture, int x, int y)
{
    return picture.pixels.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                             static_cast<std::size_t>(x));
}

int SumOf(std::uint32_t p)
{
    return static_cast<int>((p & 0xFF) + (p >> 8 & 0xFF) + (p >> 16 & 0xFF));
}

class PictureImportTest : public ::testing::Test {
protected:
    QString Write(const QImage& image, const QString& name, int quality = -1)
    {
        const QString path = temp.path(name);
        QImageWriter writer(path);
        if (quality >= 0)
            writer.setQuality(quality);
        EXPECT_TRUE(writer.write(image)) << name.toStdString() << ": " << writer.errorString().toStdString();
        return path;
    }

    QString WriteBytes(const QString& name, const Bytes& bytes)
    {
        const QString path = temp.path(name);
        ::WriteBytes(path.toStdString(), bytes);
        return path;
    }

    // The picture as a file of the given format, cut to a fraction of its length.
    QString WriteTruncated(const QImage& image, const QString& name, double fraction)
    {
        const QString whole = Write(image, QStringLiteral("whole-") + name);
        Bytes bytes = ReadBytes(whole.toStdString());
        bytes.resize(static_cast<std::size_t>(static_cast<double>(bytes.size()) * fraction));
        return WriteBytes(name, bytes);
    }

    static Picture Import(const QString& path) { return ImportPicture(path); }

    static std::string MessageOf(const QString& path)
    {
        try {
            ImportPicture(path);
        } catch (const EditorError& error) {
            EXPECT_EQ(error.failure(), Failure::CannotImport);
            return error.what();
        }
        return "imported";
    }

    TempFolder temp;
};

// Every imported picture is a plain bitmap the editor owns outright: no kept encoding,
// so Save BMP writes a fresh 24-bit file.
void ExpectFreshBitmap(const Picture& picture, int width, int height)
{
    EXPECT_EQ(picture.kind, PictureKind::Bitmap);
    EXPECT_EQ(picture.width, width);
    EXPECT_EQ(picture.height, height);
    EXPECT_EQ(picture.pixels.size(), static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    EXPECT_FALSE(picture.encodingKept);
    EXPECT_TRUE(picture.sourceFile.empty());
    EXPECT_FALSE(picture.pixelsUnusable);
}

// ---- 8-bit pictures: as Qt converts them to RGB ----

// Odd widths throughout: rows of 1 and 2 bytes a pixel are padded to 4 bytes.
TEST_F(PictureImportTest, EightBitGreyGivesEqualChannels)
{
    QImage grey(257, 3, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            grey.scanLine(y)[x] = static_cast<uchar>((x + 85 * y) % 256);
    for (const char* name : {"grey.png", "grey.tif"}) {
        const Picture picture = Import(Write(grey, QLatin1String(name)));
        ExpectFreshBitmap(picture, 257, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 257; ++x) {
                const int g = (x + 85 * y) % 256;
                ASSERT_EQ(At(picture, x, y), Stored(g, g, g)) << name << " at " << x << ", " << y;
            }
    }
}

TEST_F(PictureImportTest, EightBitColourKeepsEveryChannel)
{
    QImage colour(31, 7, QImage::Format_RGB32);
    for (int y = 0; y < colour.height(); ++y)
        for (int x = 0; x < colour.width(); ++x)
            colour.setPixel(x, y, qRgb(x * 8, y * 36, (x * y) % 256));
    for (const char* name : {"colour.png", "colour.tif", "colour.bmp"}) {
        const Picture picture = Import(Write(colour, QLatin1String(name)));
        ExpectFreshBitmap(picture, 31, 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 31; ++x)
                ASSERT_EQ(At(picture, x, y), Stored(x * 8, y * 36, (x * y) % 256)) << name << " at " << x << ", " << y;
    }
}

// A palette entry's colour counts, also where the palette makes it transparent.
TEST_F(PictureImportTest, PalettedPngGivesItsTableColours)
{
    QImage paletted(9, 2, QImage::Format_Indexed8);
    paletted.setColorTable({qRgb(10, 20, 30), qRgba(200, 100, 50, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 9; ++x)
            paletted.setPixel(x, y, static_cast<uint>((x + y) % 3));
    const Picture picture = Import(Write(paletted, QStringLiteral("paletted.png")));
    ExpectFreshBitmap(picture, 9, 2);
    const std::uint32_t expected[] = {Stored(10, 20, 30), Stored(200, 100, 50), Stored(255, 255, 255)};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(At(picture, x, y), expected[(x + y) % 3]) << x << ", " << y;
}

// One bit a pixel: rows of 37 pixels are 8 bytes, which Qt converts row by row.
TEST_F(PictureImportTest, OneBitPngGivesItsTwoColours)
{
    QImage mono(37, 3, QImage::Format_Mono);
    mono.setColorTable({qRgb(200, 0, 0), qRgb(0, 0, 150)});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 37; ++x)
            mono.setPixel(x, y, static_cast<uint>((x * y) % 3 == 1));
    const Picture picture = Import(Write(mono, QStringLiteral("mono.png")));
    ExpectFreshBitmap(picture, 37, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 37; ++x)
            ASSERT_EQ(At(picture, x, y), (x * y) % 3 == 1 ? Stored(0, 0, 150) : Stored(200, 0, 0)) << x << ", " << y;
}

TEST_F(PictureImportTest, AlphaIsIgnoredAndNeverPremultiplied)
{
    QImage clear(3, 1, QImage::Format_ARGB32);
    clear.setPixel(0, 0, qRgba(200, 100, 50, 0));
    clear.setPixel(1, 0, qRgba(200, 100, 50, 128));
    clear.setPixel(2, 0, qRgba(200, 100, 50, 255));
    const Picture picture = Import(Write(clear, QStringLiteral("clear.png")));
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(At(picture, x, 0), Stored(200, 100, 50)) << x;

    QImage deep(2, 1, QImage::Format_RGBA64);
    deep.setPixelColor(0, 0, QColor::fromRgba64(65535, 0, 0, 0));
    deep.setPixelColor(1, 0, QColor::fromRgba64(65535, 0, 0, 65535));
    const Picture deepPicture = Import(Write(deep, QStringLiteral("clear16.png")));
    EXPECT_EQ(At(deepPicture, 0, 0), Stored(85, 85, 85));
    EXPECT_EQ(At(deepPicture, 1, 0), Stored(85, 85, 85));
}

// A JPEG of flat 8 x 8 grey blocks at quality 100 decodes exactly: each block holds only
// its mean, quantised by 1, so the lossy steps lose nothing and no tolerance is needed.
TEST_F(PictureImportTest, FlatGreyJpegComesBackExactly)
{
    QImage blocks(24, 16, QImage::Format_Grayscale8);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x)
            blocks.scanLine(y)[x] = static_cast<uchar>(40 + 70 * (x / 8) + 30 * (y / 8));
    const Picture picture = Import(Write(blocks, QStringLiteral("blocks.jpg"), 100));
    ExpectFreshBitmap(picture, 24, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const int g = 40 + 70 * (x / 8) + 30 * (y / 8);
            ASSERT_EQ(At(picture, x, y), Stored(g, g, g)) << x << ", " << y;
        }
}

// The plugins load in a plain process: WebP (lossless at quality 100) and a TGA file
// written byte by byte (Qt writes none), 24-bit, rows bottom first.
TEST_F(PictureImportTest, PluginFormatsReadWithoutAnApplication)
{
    QImage colour(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            colour.setPixel(x, y, qRgb(50 * x, 100 * y, 7));
    const Picture webp = Import(Write(colour, QStringLiteral("colour.webp"), 100));
    ExpectFreshBitmap(webp, 5, 3);
    Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 3, 0, 24, 0};
    for (int y = 2; y >= 0; --y)
        for (int x = 0; x < 5; ++x)
            tga.insert(tga.end(), {7, static_cast<std::uint8_t>(100 * y), static_cast<std::uint8_t>(50 * x)});
    // Qt reads only files with the TGA 2.0 footer: no extension area, no directory.
    const char signature[] = "TRUEVISION-XFILE.";
    tga.insert(tga.end(), 8, 0);
    tga.insert(tga.end(), signature, signature + sizeof signature);
    const Picture targa = Import(WriteBytes(QStringLiteral("colour.tga"), tga));
    ExpectFreshBitmap(targa, 5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(At(webp, x, y), Stored(50 * x, 100 * y, 7)) << "webp " << x << ", " << y;
            EXPECT_EQ(At(targa, x, y), Stored(50 * x, 100 * y, 7)) << "tga " << x << ", " << y;
        }
}

// Qt tries the reader the name suggests and then the content: a PNG named .jpg is a PNG.
TEST_F(PictureImportTest, ContentDecidesOverAWrongExtension)
{
    QImage grey(2, 1, QImage::Format_Grayscale8);
    grey.scanLine(0)[0] = 10;
    grey.scanLine(0)[1] = 240;
    const QString png = Write(grey, QStringLiteral("grey.png"));
    const QString misnamed = temp.path(QStringLiteral("grey.jpg"));
    ASSERT_TRUE(QFile::copy(png, misnamed));
    const Picture picture = Import(misnamed);
    EXPECT_EQ(At(picture, 0, 0), Stored(10, 10, 10));
    EXPECT_EQ(At(picture, 1, 0), Stored(240, 240, 240));
}

// ---- 16-bit pictures: 766 heights ----

struct DeepGrey {
    std::uint16_t value;
    int sum;  // round(value x 765 / 65535), worked out by hand
};

const DeepGrey kDeepGreys[] = {
    {0, 0}, {42, 0}, {43, 1}, {128, 1}, {129, 2}, {257, 3}, {32767, 382}, {32768, 383}, {65492, 764}, {65493, 765},
    {65535, 765},
};

TEST_F(PictureImportTest, SixteenBitGreyKeepsThreeLevelsPerEightBitStep)
{
    QImage deep(static_cast<int>(std::size(kDeepGreys)), 1, QImage::Format_Grayscale16);
    for (std::size_t i = 0; i < std::size(kDeepGreys); ++i)
        reinterpret_cast<quint16*>(deep.scanLine(0))[i] = kDeepGreys[i].value;
    for (const char* name : {"deep.png", "deep.tif"}) {
        const Picture picture = Import(Write(deep, QLatin1String(name)));
        ExpectFreshBitmap(picture, deep.width(), 1);
        for (std::size_t i = 0; i < std::size(kDeepGreys); ++i)
            EXPECT_EQ(At(picture, static_cast<int>(i), 0), StoredPixelOfSum(kDeepGreys[i].sum))
                << name << ": grey " << kDeepGreys[i].value;
    }
}

// Every 16-bit value once, in a picture of odd width: the heights climb one level at a
// time, so all 766 are there, and each pixel's channels differ by at most 1.
TEST_F(PictureImportTest, SixteenBitRampKeepsAll766Levels)
{
    constexpr int kWidth = 251;
    constexpr int kHeight = 262;  // 65,762 pixels: the ramp, then white
    QImage ramp(kWidth, kHeight, QImage::Format_Grayscale16);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            reinterpret_cast<quint16*>(ramp.scanLine(y))[x] = static_cast<quint16>(std::min(y * kWidth + x, 65535));
    const Picture picture = Import(Write(ramp, QStringLiteral("ramp.png")));
    ExpectFreshBitmap(picture, kWidth, kHeight);
    std::set<int> levels;
    int previous = 0;
    for (std::uint32_t p : picture.pixels) {
        const int red = static_cast<int>(p & 0xFF), blue = static_cast<int>(p >> 16 & 0xFF);
        ASSERT_LE(red - blue, 1);
        ASSERT_GE(red - blue, 0);
        ASSERT_TRUE(SumOf(p) == previous || SumOf(p) == previous + 1);
        previous = SumOf(p);
        levels.insert(SumOf(p));
    }
    EXPECT_EQ(levels.size(), 766u);
    EXPECT_EQ(picture.pixels.front(), Stored(0, 0, 0));
    EXPECT_EQ(picture.pixels.back(), Stored(255, 255, 255));
}

TEST_F(PictureImportTest, SixteenBitColourAddsItsChannels)
{
    QImage deep(3, 1, QImage::Format_RGBX64);
    deep.setPixelColor(0, 0, QColor::fromRgba64(1000, 2000, 3000));   // 6000 / 257 = 23.35
    deep.setPixelColor(1, 0, QColor::fromRgba64(65535, 65535, 0));    // 510
    deep.setPixelColor(2, 0, QColor::fromRgba64(0, 0, 129));          // 0.502
    const Picture picture = Import(Write(deep, QStringLiteral("deep-colour.png")));
    EXPECT_EQ(At(picture, 0, 0), Stored(8, 8, 7));
    EXPECT_EQ(At(picture, 1, 0), Stored(170, 170, 170));
    EXPECT_EQ(At(picture, 2, 0), Stored(1, 0, 0));
}

// Qt refuses pictures past its own allocation limit; the reader raises it for pictures
// within the editor's limits and puts it back, also after a failure.
TEST_F(PictureImportTest, AllocationLimitIsRaisedForOneReadOnly)
{
    QImage deep(1024, 600, QImage::Format_RGBA64);  // 4.7 MB decoded
    deep.fill(QColor::fromRgba64(65535, 65535, 65535));
    const QString path = Write(deep, QStringLiteral("wide.png"));
    const int before = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(2);
    EXPECT_TRUE(QImageReader(path).read().isNull());  // as Qt alone would refuse it
    const Picture picture = Import(path);
    EXPECT_EQ(QImageReader::allocationLimit(), 2);
    EXPECT_EQ(At(picture, 1023, 599), Stored(255, 255, 255));
    EXPECT_EQ(FailureOf([&] { Import(WriteBytes(QStringLiteral("empty.png"), {})); }), Failure::CannotImport);
    EXPECT_EQ(QImageReader::allocationLimit(), 2);
    QImageReader::setAllocationLimit(before);
}

// ---- Size limits, from the header ----

// A PNG of a signature, an IHDR chunk for a grey picture of the given size and an IDAT
// chunk that decodes to nothing: enough for the header, never a picture.
Bytes PngHeader(std::uint32_t width, std::uint32_t height)
{
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto chunk = [&png](const char* type, const Bytes& data) {
        const auto put32 = [&png](std::uint32_t v) {
            for (int shift = 24; shift >= 0; shift -= 8)
                png.push_back(static_cast<std::uint8_t>(v >> shift));
        };
        put32(static_cast<std::uint32_t>(data.size()));
        Bytes typed(type, type + 4);
        typed.insert(typed.end(), data.begin(), data.end());
        png.insert(png.end(), typed.begin(), typed.end());
        put32(Crc32(typed.data(), typed.size()));
    };
    Bytes ihdr;
    for (std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            ihdr.push_back(static_cast<std::uint8_t>(v >> shift));
    ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});  // 8-bit grey, no interlace
    chunk("IHDR", ihdr);
    chunk("IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});  // zlib of nothing
    chunk("IEND", {});
    return png;
}

struct SizeRow {
    std::uint32_t width, height;
    Failure failure;  // BitmapTooLarge from the header; CannotImport once decoding starts
};

const SizeRow kSizes[] = {
    {70000, 1, Failure::BitmapTooLarge},
    {1, 70000, Failure::BitmapTooLarge},
    {65536, 1, Failure::BitmapTooLarge},
    {16385, 16385, Failure::BitmapTooLarge},  // 2^28 + 32,769 pixels
    {65535, 4097, Failure::BitmapTooLarge},   // 2^28 + 61,439 pixels
    {16384, 16385, Failure::BitmapTooLarge},  // 2^28 + 16,384 pixels
    {16384, 16384, Failure::CannotImport},    // exactly 2^28: within the limit
    {65535, 1, Failure::CannotImport},
    {1, 65535, Failure::CannotImport},
};

// Cheap even at the limit: the pixels of a picture whose decoding fails are never written.
TEST_F(PictureImportTest, SizeLimitsAreCheckedBeforeDecoding)
{
    for (const SizeRow& row : kSizes) {
        const QString path = WriteBytes(QStringLiteral("header.png"), PngHeader(row.width, row.height));
        EXPECT_EQ(FailureOf([&] { Import(path); }), row.failure) << row.width << " x " << row.height;
    }
}

TEST_F(PictureImportTest, ABmpPastTheLimitsIsTooLarge)
{
    BmpSpec huge;
    huge.width = 70000;
    const QString path = WriteBytes(QStringLiteral("huge.bmp"), BuildBmp(huge));
    EXPECT_EQ(FailureOf([&] { Import(path); }), Failure::BitmapTooLarge);
}

// ---- BMP through the editor's own reader ----

TEST_F(PictureImportTest, BmpGivesLoadBmpsPixelsWithoutItsEncoding)
{
    BmpSpec paletted;
    paletted.width = 3;
    paletted.height = 2;
    paletted.bitsPerPixel = 8;
    paletted.coloursUsed = 2;
    paletted.table = {0x102030, 0xC86432};
    paletted.pixels = IndexRows({0, 1, 0, 1, 1, 0}, 3, 2, 8);
    const Bytes bmp = BuildBmp(paletted);
    const Picture picture = Import(WriteBytes(QStringLiteral("paletted.bmp"), bmp));
    ExpectFreshBitmap(picture, 3, 2);
    const std::uint32_t a = Stored(0x10, 0x20, 0x30), b = Stored(0xC8, 0x64, 0x32);
    EXPECT_EQ(picture.pixels, (PixelBuffer{a, b, a, b, b, a}));
}

// ---- Hostile files: a clear reason, nothing else ----

TEST_F(PictureImportTest, UnreadableFilesGiveTheReadersReason)
{
    QImage colour(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            colour.setPixel(x, y, qRgb(x * 4, y * 4, (x ^ y) * 4));
    BmpSpec grey;
    grey.width = grey.height = 4;
    grey.pixels = Bytes(48, 0x80);
    const Bytes bmp = BuildBmp(grey);
    struct Row {
        QString path;
        std::string reason;
    };
    const Row rows[] = {
        {WriteBytes(QStringLiteral("empty.png"), {}), "Unsupported image format"},
        {WriteBytes(QStringLiteral("text.png"), Bytes{'h', 'i', '\n'}), "Unsupported image format"},
        {WriteBytes(QStringLiteral("noise.tif"), Bytes(300, 0x5A)), "Unsupported image format"},
        {WriteTruncated(colour, QStringLiteral("cut.png"), 0.5), "Unable to read image data"},
        {WriteTruncated(colour, QStringLiteral("cut.tif"), 0.5), "Unable to read image data"},
        {WriteTruncated(colour, QStringLiteral("cut.webp"), 0.5), "Unable to read image data"},
        {WriteBytes(QStringLiteral("cut.bmp"), Prefix(bmp, bmp.size() - 1)), "Bitmap image is not valid"},
        {temp.path(QStringLiteral("gone.png")), "File not found"},
        {temp.path(QString()), "Not a regular file"},  // the folder itself
    };
    for (const Row& row : rows)
        EXPECT_EQ(MessageOf(row.path), "Cannot import " + row.path.toStdString() + ": " + row.reason);
}

// libjpeg reaches the end of a cut file with a warning only; the reader is refused all
// the same, with libjpeg's words.
TEST_F(PictureImportTest, TruncatedJpegIsRefused)
{
    QImage colour(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            colour.setPixel(x, y, qRgb(x * 4, y * 4, (x ^ y) * 4));
    const QString path = WriteTruncated(colour, QStringLiteral("cut.jpg"), 0.6);
    const std::string message = MessageOf(path);
    EXPECT_EQ(message.rfind("Cannot import " + path.toStdString() + ": ", 0), 0u) << message;
    EXPECT_NE(message.find("premature end"), std::string::npos) << message;
}

// Leaves a few megabytes of freed memory filled with 0xA5, which the next allocations
// get back as they are: all taken before any is freed, so that they lie side by side.
void DirtyFreedMemory()
{
    std::vector<void*> blocks;
    for (std::size_t size = 16; size <= 4096; size += 16)
        for (int copy = 0; copy < 4; ++copy) {
            blocks.push_back(std::malloc(size));
            std::memset(blocks.back(), 0xA5, size);
        }
    for (void* block : blocks)
        std::free(block);
}

// A JPEG whose first segment claims to run past the file: Qt's JPEG reader then names a
// picture format from memory it never set, which must not be trusted.
TEST_F(PictureImportTest, JpegWithABrokenHeaderIsRefused)
{
    QImage colour(23, 17, QImage::Format_RGB32);
    colour.fill(qRgb(90, 60, 30));
    const QString whole = Write(colour, QStringLiteral("whole.jpg"));
    Bytes bytes = ReadBytes(whole.toStdString());
    ASSERT_EQ(bytes[4], 0x00);  // the high byte of the APP0 segment's length
    bytes[4] = 0x7B;
    const QString path = WriteBytes(QStringLiteral("broken.jpg"), bytes);
    for (int i = 0; i < 3; ++i) {
        DirtyFreedMemory();
        EXPECT_EQ(FailureOf([&] { Import(path); }), Failure::CannotImport);
    }
}

// Qt writes no GIF, so this one is put together byte by byte: 2 x 1 pixels, a two-colour
// table (black, white), the indices 1, 0 as LZW codes 4 (clear), 1, 0, 5 (end), and the
// trailer. Qt's reader shows a GIF cut short as if it were whole; it is refused.
TEST_F(PictureImportTest, GifIsReadAndACutOneRefused)
{
    const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0,  // screen, 2-colour table
                       0, 0, 0, 0xFF, 0xFF, 0xFF,                              // black, white
                       0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0,                        // the picture: 2 x 1
                       2, 2, 0x0C, 0x0A, 0,                                    // its LZW codes
                       0x3B};
    const Picture picture = Import(WriteBytes(QStringLiteral("two.gif"), gif));
    ExpectFreshBitmap(picture, 2, 1);
    EXPECT_EQ(At(picture, 0, 0), Stored(255, 255, 255));
    EXPECT_EQ(At(picture, 1, 0), Stored(0, 0, 0));
    for (std::size_t length : {gif.size() - 1, gif.size() - 3}) {
        const QString cut = WriteBytes(QStringLiteral("cut.gif"), Prefix(gif, length));
        EXPECT_EQ(MessageOf(cut), "Cannot import " + cut.toStdString() + ": Premature end of GIF file") << length;
    }
}

// A pipe is never waited on.
TEST_F(PictureImportTest, APipeIsNoPicture)
{
    const QString path = temp.path(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(MessageOf(path), "Cannot import " + path.toStdString() + ": Not a regular file");
}

}  // namespace
