#include "files/PictureFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/BmpReader.h"
#include "files/BmpWriter.h"
#include "files/IconReader.h"
#include "files/MetafileReader.h"
#include "model/EditorError.h"
#include "model/ImageSurface.h"
#include "model/LargeBuffer.h"

namespace {

using Reader = Picture (*)(std::vector<std::uint8_t>);

struct PictureFileKind {
    const char* extension;
    Reader read;
    Failure tooLong;  // the failure for a file longer than any of its kind can be
};

// Tried in this order; the extension must match exactly after lower-casing.
constexpr PictureFileKind kKinds[] = {
    {"bmp", ReadBmp, Failure::BitmapTooLarge},
    {"ico", ReadIcon, Failure::IconNotValid},
    {"emf", ReadMetafile, Failure::MetafileNotValid},
    {"wmf", ReadMetafile, Failure::MetafileNotValid},
};

// Every size and offset these formats hold is 32 bits wide, so no sound file is longer;
// a longer one is refused before memory for it is asked for.
constexpr std::uint64_t kLongestPictureFile = 0xFFFFFFFFu;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The whole file in one vector of exactly its size, so that a picture can keep it
// without a second copy.
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName, const PictureFileKind& kind)
{
    // Non-blocking, so that a pipe given a picture's name cannot hold the program up.
    const FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    // A folder, pipe or device opens on this platform but is no picture file.
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw EditorError(Failure::CannotOpen, fileName);
    if (static_cast<std::uint64_t>(status.st_size) > kLongestPictureFile)
        throw EditorError(kind.tooLong);

    std::vector<std::uint8_t> bytes;
    AssignLarge<std::uint8_t>(bytes, static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw EditorError(Failure::StreamRead);
        if (got == 0)
            break;  // the file shrank while it was read: take what is there
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

void WriteKeptEncoding(SafeFileWriter& writer, const Picture& picture)
{
    const std::size_t encodingLength = picture.sourceFile.size() - kBmpFileHeaderSize;
    const auto header = BmpFileHeader(encodingLength, picture.keptPixelOffset);
    writer.write(header.data(), header.size());
    writer.write(picture.sourceFile.data() + kBmpFileHeaderSize, encodingLength);
}

bool HasKeptEncoding(const Picture& picture)
{
    return picture.encodingKept && picture.sourceFile.size() >= kBmpFileHeaderSize;
}

}  // namespace

std::string PictureExtension(std::string_view fileName)
{
    const std::size_t mark = fileName.find_last_of(".\\:/");
    if (mark == std::string_view::npos || fileName[mark] != '.')
        return {};
    std::string extension(fileName.substr(mark + 1));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

bool IsPictureFileKind(std::string_view fileName)
{
    const std::string extension = PictureExtension(fileName);
    for (const PictureFileKind& kind : kKinds)
        if (extension == kind.extension)
            return true;
    return false;
}

Picture LoadPictureFile(const std::string& fileName)
{
    const std::string extension = PictureExtension(fileName);
    for (const PictureFileKind& kind : kKinds)
        if (extension == kind.extension)
            return kind.read(ReadWholeFile(fileName, kind));
    throw EditorError(Failure::UnknownExtension, extension);
}

void SavePictureFile(ImageSurface& surface, const std::string& fileName, FileOps& ops)
{
    const Picture& picture = surface.picture();
    const bool freshEncoding = picture.kind == PictureKind::Bitmap && !picture.isEmpty() && !HasKeptEncoding(picture);
    if (freshEncoding && picture.pixelsUnusable)
        throw EditorError(Failure::BitmapNotValid);
    try {
        SafeFileWriter writer(fileName, ops);
        if (picture.kind != PictureKind::Bitmap) {
            writer.write(picture.sourceFile.data(), picture.sourceFile.size());
        } else if (freshEncoding) {
            std::vector<std::uint8_t> file = EncodeBmp24(picture);
            writer.write(file.data(), file.size());
            writer.commit();
            surface.keepEncoding(std::move(file), kBmp24PixelOffset);
            return;
        } else if (!picture.isEmpty()) {
            WriteKeptEncoding(writer, picture);
        }
        writer.commit();
    } catch (const FileWriteError& error) {
        if (error.stage == FileWriteError::Stage::Create)
            throw EditorError(Failure::CannotCreate, fileName);
        throw EditorError(Failure::StreamWrite);
    }
}
