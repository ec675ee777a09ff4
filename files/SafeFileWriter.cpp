#include "files/SafeFileWriter.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(FileWriteError::Stage stage, int errorCode)
{
    throw FileWriteError{stage, errorCode};
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Replacing a symbolic link by rename would cut the link instead of updating the file
// it names, so a link that resolves is followed to its file.
std::string ResolveLink(const std::string& target)
{
    struct stat info;
    if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return target;
    char resolved[PATH_MAX];
    if (::realpath(target.c_str(), resolved) == nullptr)
        return target;
    return resolved;
}

// The permissions of a newly created file: what open(2) would give with mode 0666.
mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Whether an existing target may be replaced, decided before anything is written. A
// directory fails with EISDIR, anything else but a regular file with EACCES, and a file
// that may not be opened for writing with the error that opening gives (EACCES, EROFS,
// ...); the open does not truncate. Returns the permissions the new file should get.
mode_t CheckTarget(const std::string& target)
{
    struct stat info;
    if (::stat(target.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return NewFileMode();
        Fail(FileWriteError::Stage::Create, errno);
    }
    if (S_ISDIR(info.st_mode))
        Fail(FileWriteError::Stage::Create, EISDIR);
    // Renaming over a device, pipe or socket would put a plain file in its place (as root
    // even over /dev/null), so only a regular file is ever replaced.
    if (!S_ISREG(info.st_mode))
        Fail(FileWriteError::Stage::Create, EACCES);
    // A file nobody may write was made read-only on purpose: keep it so even for root,
    // whom the open below would let through.
    if ((info.st_mode & 0222) == 0)
        Fail(FileWriteError::Stage::Create, EACCES);
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        Fail(FileWriteError::Stage::Create, errno);
    ::close(fd);
    return info.st_mode & 07777;
}

// Writes every byte through writeSome(data, size, done), which may take part of them
// (done: the bytes written before); returns 0, or the errno of the write that failed.
template <class WriteSome>
int WriteEvery(const char* data, std::size_t size, WriteSome&& writeSome)
{
    std::uint64_t done = 0;
    while (size > 0) {
        const ssize_t written = writeSome(data, size, done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return errno;
        // A write that takes nothing without an error means the device is full.
        if (written == 0)
            return ENOSPC;
        data += written;
        size -= static_cast<std::size_t>(written);
        done += static_cast<std::uint64_t>(written);
    }
    return 0;
}

int WriteFully(FileOps& ops, int fd, const char* data, std::size_t size)
{
    return WriteEvery(data, size, [&](const char* at, std::size_t n, std::uint64_t) { return ops.write(fd, at, n); });
}

int WriteFullyAt(FileOps& ops, int fd, const char* data, std::size_t size, std::uint64_t offset)
{
    return WriteEvery(data, size, [&](const char* at, std::size_t n, std::uint64_t done) {
        return ops.pwrite(fd, at, n, static_cast<off_t>(offset + done));
    });
}

} // namespace

int FileOps::createTemp(std::string& pathTemplate)
{
    return ::mkostemp(pathTemplate.data(), O_CLOEXEC);
}

ssize_t FileOps::write(int fd, const void* data, std::size_t size)
{
    return ::write(fd, data, size);
}

ssize_t FileOps::pwrite(int fd, const void* data, std::size_t size, off_t offset)
{
    return ::pwrite(fd, data, size, offset);
}

int FileOps::close(int fd)
{
    return ::close(fd);
}

int FileOps::rename(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str());
}

int FileOps::unlink(const std::string& path)
{
    return ::unlink(path.c_str());
}

FileOps& SystemFileOps()
{
    static FileOps ops;
    return ops;
}

SafeFileWriter::SafeFileWriter(std::string target, FileOps& ops)
    : target_(ResolveLink(target)), ops_(ops)
{
    const mode_t mode = CheckTarget(target_);
    // A short hidden name, so a target name near the length limit still leaves room.
    std::string pathTemplate = FolderOf(target_) + "/.relief-XXXXXX";
    const int fd = ops_.createTemp(pathTemplate);
    if (fd < 0)
        Fail(FileWriteError::Stage::Create, errno);
    fd_ = fd;
    tempPath_ = std::move(pathTemplate);
    // mkstemp makes the file private (0600); the user expects the old file's permissions.
    if (::fchmod(fd_, mode) != 0) {
        const int error = errno;
        discard();
        Fail(FileWriteError::Stage::Create, error);
    }
}

SafeFileWriter::~SafeFileWriter()
{
    if (!committed_)
        discard();
}

void SafeFileWriter::write(const void* data, std::size_t size)
{
    if (fd_ < 0)
        Fail(FileWriteError::Stage::Write, EBADF);
    // The temporary file goes at the first failure, so nothing half-written is left
    // beside the target.
    if (const int error = WriteFully(ops_, fd_, static_cast<const char*>(data), size)) {
        discard();
        Fail(FileWriteError::Stage::Write, error);
    }
}

void SafeFileWriter::writeAt(std::uint64_t offset, const void* data, std::size_t size)
{
    if (fd_ < 0)
        Fail(FileWriteError::Stage::Write, EBADF);
    if (const int error = WriteFullyAt(ops_, fd_, static_cast<const char*>(data), size, offset)) {
        discard();
        Fail(FileWriteError::Stage::Write, error);
    }
}

void SafeFileWriter::commit()
{
    if (fd_ < 0)
        Fail(FileWriteError::Stage::Close, EBADF);
    const int fd = fd_;
    fd_ = -1;
    if (ops_.close(fd) != 0) {
        const int error = errno;
        discard();
        Fail(FileWriteError::Stage::Close, error);
    }
    if (ops_.rename(tempPath_, target_) != 0) {
        const int error = errno;
        discard();
        Fail(FileWriteError::Stage::Close, error);
    }
    committed_ = true;
}

void SafeFileWriter::discard() noexcept
{
    const int savedErrno = errno;
    if (fd_ >= 0) {
        ops_.close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ops_.unlink(tempPath_);
        tempPath_.clear();
    }
    errno = savedErrno;
}
