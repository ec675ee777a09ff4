#include "import/PictureImport.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "files/BmpLayout.h"
#include "files/BmpReader.h"
#include "import/ChannelSum.h"
#include "files/PictureFile.h"
#include "model/EditorError.h"
#include "model/LargeBuffer.h"

namespace {

EditorError CannotImport(const QString& fileName, const QString& reason)
{
    const QByteArray detail = QFile::encodeName(fileName) + ": " + reason.toLocal8Bit();
    return EditorError(Failure::CannotImport, detail.toStdString());
}

void RequireWithinLimits(std::int64_t width, std::int64_t height)
{
    if (width > kMaxBmpSide || height > kMaxBmpSide || width * height > kMaxBmpPixels)
        throw EditorError(Failure::BitmapTooLarge);
}

// Opens the file for reading without waiting: a pipe or device given a picture's name
// must not hold the program up, and is no picture file anyway.
void OpenRegularFile(QFile& file, const QString& fileName)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        // Qt's image reader words a missing file so; the other reasons are the system's.
        const int error = errno;
        throw CannotImport(fileName, error == ENOENT ? QStringLiteral("File not found")
                                                     : QString::fromLocal8Bit(std::strerror(error)));
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw CannotImport(fileName, QStringLiteral("Not a regular file"));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw CannotImport(fileName, file.errorString());
    }
}

// Bits a pixel of the format a reader announces from the header, or 0 when it names
// none; a damaged header can make a reader announce a value outside the list.
int DepthOf(QImage::Format format)
{
    if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats)
        return 0;
    return QImage::toPixelFormat(format).bitsPerPixel();
}

// Qt refuses to allocate pictures past a process-wide limit (128 MB by default in Qt 6.4),
// which a 16-bit 8192 x 8192 picture exceeds. Raised for one read, and only as far as a
// picture within the size limits needs; put back afterwards.
class AllocationLimitFor {
public:
    AllocationLimitFor(QSize size, QImage::Format format) : previous_(QImageReader::allocationLimit())
    {
        // Formats a reader announces only when it decodes may be as deep as 64 bits.
        const int announced = DepthOf(format);
        const int depth = announced == 0 ? 64 : std::max(32, announced);
        const std::int64_t bytes = std::int64_t{size.width()} * size.height() * depth / 8;
        const auto megabytes = static_cast<int>((bytes + (1 << 20) - 1) >> 20);
        if (previous_ != 0 && megabytes > previous_)
            QImageReader::setAllocationLimit(megabytes);
    }
    ~AllocationLimitFor() { QImageReader::setAllocationLimit(previous_); }
    AllocationLimitFor(const AllocationLimitFor&) = delete;
    AllocationLimitFor& operator=(const AllocationLimitFor&) = delete;

private:
    int previous_;
};

// libjpeg only warns when a file ends early, and Qt's JPEG reader then reports success
// with the rest of the picture grey. Its warnings arrive as Qt messages, so they are
// watched while the reader runs; everything else goes on to the handler before.
class TruncationWatch {
public:
    TruncationWatch()
    {
        active_ = this;
        previous_ = qInstallMessageHandler(&TruncationWatch::handle);
    }
    ~TruncationWatch()
    {
        qInstallMessageHandler(previous_);
        active_ = nullptr;
    }
    TruncationWatch(const TruncationWatch&) = delete;
    TruncationWatch& operator=(const TruncationWatch&) = delete;

    // The reader's own words when it ran out of data, else empty.
    const QString& warning() const { return warning_; }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        const bool fromReader = context.category && std::strncmp(context.category, "qt.gui.imageio", 14) == 0;
        if (active_ && fromReader && text.contains(QLatin1String("premature end"), Qt::CaseInsensitive)) {
            if (active_->warning_.isEmpty())
                active_->warning_ = text;
            return;
        }
        if (previous_)
            previous_(type, context, text);
    }

    static inline TruncationWatch* active_ = nullptr;
    static inline QtMessageHandler previous_ = nullptr;
    QString warning_;
};

// One row of a decoded QImage into stored pixels (0xFFBBGGRR), alpha ignored.
class RowConverter {
public:
    explicit RowConverter(const QImage& image)
        : width_(image.width()), format_(image.format()), bytesPerLine_(image.bytesPerLine()),
          colours_(image.colorTable())
    {
        switch (format_) {
        case QImage::Format_Grayscale8: kind_ = Kind::Grey8; break;
        case QImage::Format_Grayscale16: kind_ = Kind::Grey16; break;
        case QImage::Format_Indexed8: kind_ = Kind::Indexed8; break;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32: kind_ = Kind::Xrgb32; break;
        case QImage::Format_RGBX8888:
        case QImage::Format_RGBA8888: kind_ = Kind::Rgbx8888; break;
        case QImage::Format_RGBX64:
        case QImage::Format_RGBA64: kind_ = Kind::Rgba16; break;
        default: {
            // Premultiplied, packed, float and 1-bit formats: Qt converts them, a row at
            // a time, to plain 8-bit colour or, past 8 bits a channel, to plain 16-bit.
            const QPixelFormat pixel = QImage::toPixelFormat(format_);
            const bool deep = pixel.redSize() > 8 || pixel.greenSize() > 8 || pixel.blueSize() > 8;
            kind_ = deep ? Kind::ViaRgba64 : Kind::ViaArgb32;
        }
        }
        // Indices the table lacks read as black, as Qt converts them.
        palette_.fill(0xFF000000u);
        for (qsizetype i = 0; i < std::min<qsizetype>(colours_.size(), 256); ++i)
            palette_[static_cast<std::size_t>(i)] = FromXrgb(colours_[i]);
    }

    // src: one row of the image as stored; out: width stored pixels, not overlapping it.
    void convert(const uchar* src, std::uint32_t* out) const
    {
        const auto count = static_cast<std::size_t>(width_);
        switch (kind_) {
        case Kind::Grey8:
            for (std::size_t x = 0; x < count; ++x)
                out[x] = 0xFF000000u | src[x] * 0x010101u;
            break;
        case Kind::Indexed8:
            for (std::size_t x = 0; x < count; ++x)
                out[x] = palette_[src[x]];
            break;
        case Kind::Grey16:
            Grey16RowToPixels(reinterpret_cast<const std::uint16_t*>(src), count, out);
            break;
        case Kind::Xrgb32: {
            const auto* in = reinterpret_cast<const std::uint32_t*>(src);
            for (std::size_t x = 0; x < count; ++x)
                out[x] = FromXrgb(in[x]);
            break;
        }
        case Kind::Rgbx8888:
            for (std::size_t x = 0; x < count; ++x, src += 4)
                out[x] = 0xFF000000u | src[0] | std::uint32_t{src[1]} << 8 | std::uint32_t{src[2]} << 16;
            break;
        case Kind::Rgba16:
            Rgba16RowToPixels(reinterpret_cast<const std::uint16_t*>(src), count, out);
            break;
        case Kind::ViaArgb32:
        case Kind::ViaRgba64: {
            QImage row(src, width_, 1, bytesPerLine_, format_);
            row.setColorTable(colours_);
            const bool deep = kind_ == Kind::ViaRgba64;
            const QImage plain = row.convertToFormat(deep ? QImage::Format_RGBA64 : QImage::Format_ARGB32);
            if (deep)
                Rgba16RowToPixels(reinterpret_cast<const std::uint16_t*>(plain.constBits()), count, out);
            else
                for (std::size_t x = 0; x < count; ++x)
                    out[x] = FromXrgb(reinterpret_cast<const std::uint32_t*>(plain.constBits())[x]);
            break;
        }
        }
    }

private:
    enum class Kind { Grey8, Grey16, Indexed8, Xrgb32, Rgbx8888, Rgba16, ViaArgb32, ViaRgba64 };

    // 0xAARRGGBB to 0xFFBBGGRR.
    static std::uint32_t FromXrgb(std::uint32_t p)
    {
        return 0xFF000000u | (p & 0x0000FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    }

    int width_;
    QImage::Format format_;
    qsizetype bytesPerLine_;
    QList<QRgb> colours_;
    Kind kind_ = Kind::ViaArgb32;
    std::array<std::uint32_t, 256> palette_{};
};

// Decoding in place: a picture whose announced format takes at most 4 bytes a pixel is
// decoded straight into the end of the picture's own pixel buffer, rows packed to
// 4 bytes, and converted from there forwards. Converting row y writes bytes [4wy, 4w(y+1))
// while the rows still to be read start at 4wh - s(h - y - 1) for a stride s <= 4w, so
// nothing unread is overwritten; the row being converted is copied out first.
struct InPlace {
    qsizetype stride = 0;
    uchar* start = nullptr;
};

InPlace InPlaceLayout(PixelBuffer& pixels, QSize size, QImage::Format format)
{
    const int depth = DepthOf(format);
    if (depth <= 0 || depth > 32)
        return {};
    const qsizetype stride = (qsizetype{size.width()} * depth + 31) / 32 * 4;
    auto* end = reinterpret_cast<uchar*>(pixels.data() + pixels.size());
    return {stride, end - stride * size.height()};
}

// rowsInPlace: the image lies inside out's own buffer (see InPlaceLayout).
void ConvertRows(const QImage& image, std::uint32_t* out, bool rowsInPlace)
{
    const RowConverter converter(image);
    const auto width = static_cast<std::size_t>(image.width());
    std::vector<std::uint64_t> row(static_cast<std::size_t>(image.bytesPerLine() + 7) / 8);
    for (int y = 0; y < image.height(); ++y) {
        const uchar* src = image.constScanLine(y);
        if (rowsInPlace) {
            std::memcpy(row.data(), src, static_cast<std::size_t>(image.bytesPerLine()));
            src = reinterpret_cast<const uchar*>(row.data());
        }
        converter.convert(src, out + static_cast<std::size_t>(y) * width);
    }
}

// A BMP goes to the editor's own reader, which Load BMP uses, so that both commands give
// the same pixels and a truncated file is refused rather than shown half black.
Picture ImportBmp(QFile& file, const QString& fileName)
{
    // Every size and offset in a BMP file is 32 bits wide; no sound file is longer.
    if (file.size() > 0xFFFFFFFFll)
        throw EditorError(Failure::BitmapTooLarge);
    std::vector<std::uint8_t> bytes;
    AssignLarge<std::uint8_t>(bytes, static_cast<std::size_t>(file.size()));
    if (!file.seek(0) || file.read(reinterpret_cast<char*>(bytes.data()), file.size()) != file.size())
        throw CannotImport(fileName, file.errorString());
    Picture picture;
    try {
        picture = ReadBmp(std::move(bytes));
    } catch (const EditorError& error) {
        if (error.failure() == Failure::BitmapTooLarge)
            throw;
        throw CannotImport(fileName, QString::fromLocal8Bit(error.what()));
    }
    if (picture.isEmpty() || picture.pixelsUnusable)
        throw CannotImport(fileName, QString::fromStdString(FailureText(Failure::BitmapNotValid)));
    picture.sourceFile = {};
    picture.encodingKept = false;
    picture.keptPixelOffset = 0;
    return picture;
}

// Qt's GIF reader shows a file that ends early with the rest of the picture blank. Every
// GIF file ends with its trailer byte, so one without it was cut short.
bool EndsWithGifTrailer(QFile& file)
{
    char last = 0;
    return file.size() > 0 && file.seek(file.size() - 1) && file.getChar(&last) && last == 0x3B;
}

// Reads the picture with the reader Qt chose for the file.
Picture Decode(QImageReader& reader, QFile& file, const QString& fileName)
{
    const QSize size = reader.size();
    if (size.isValid())
        RequireWithinLimits(size.width(), size.height());
    if (reader.format() == "bmp" || reader.format() == "dib")
        return ImportBmp(file, fileName);

    Picture picture;
    QImage image;
    InPlace inPlace;
    const QImage::Format announced = reader.imageFormat();
    if (size.isValid() && !size.isEmpty()) {
        // Sized, not filled: the decoder writes every pixel, and a file that fails early
        // (a truncated one claiming a huge picture) costs no more than its header.
        SizeLarge(picture.pixels, static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()));
        inPlace = InPlaceLayout(picture.pixels, size, announced);
        if (inPlace.start)
            image = QImage(inPlace.start, size.width(), size.height(), inPlace.stride, announced);
    }
    {
        const AllocationLimitFor limit(size.isValid() ? size : QSize(0, 0), announced);
        const TruncationWatch watch;
        if (!reader.read(&image) || image.isNull())
            throw CannotImport(fileName, reader.errorString());
        if (!watch.warning().isEmpty())
            throw CannotImport(fileName, watch.warning());
    }
    if (reader.format() == "gif" && !EndsWithGifTrailer(file))
        throw CannotImport(fileName, QStringLiteral("Premature end of GIF file"));
    RequireWithinLimits(image.width(), image.height());

    picture.width = image.width();
    picture.height = image.height();
    const bool decodedInPlace = inPlace.start && image.constBits() == inPlace.start && image.size() == size &&
                                image.format() == announced && image.bytesPerLine() == inPlace.stride;
    const std::size_t count = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    if (!decodedInPlace && picture.pixels.size() != count)
        SizeLarge(picture.pixels, count);
    ConvertRows(image, picture.pixels.data(), decodedInPlace);
    return picture;
}

// One name per reader, whatever the file's extension called it.
QByteArray ReaderName(QByteArray format)
{
    format = format.toLower();
    if (format == "jpg")
        return "jpeg";
    if (format == "tif")
        return "tiff";
    return format;
}

}  // namespace

Picture ImportPicture(const QString& fileName)
{
    QFile file;
    OpenRegularFile(file, fileName);
    // The extension is the first guess, as when Qt opens a file by name. Qt trusts the
    // reader it names, so when that reader fails and the content names another one (a
    // PNG called .jpg), the content has the last word.
    const QByteArray guess = QFileInfo(fileName).suffix().toLower().toLatin1();
    QImageReader byName(&file, guess);
    try {
        return Decode(byName, file, fileName);
    } catch (const EditorError& error) {
        if (error.failure() != Failure::CannotImport || !file.seek(0))
            throw;
        QImageReader byContent(&file);
        if (ReaderName(byContent.format()) == ReaderName(byName.format()))
            throw;  // the same reader would only fail again
        return Decode(byContent, file, fileName);
    }
}

Picture ReadAnyPicture(const QString& fileName)
{
    const std::string name = QFile::encodeName(fileName).toStdString();
    return IsPictureFileKind(name) ? LoadPictureFile(name) : ImportPicture(fileName);
}
