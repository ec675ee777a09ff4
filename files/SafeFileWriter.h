#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// The system calls a commit-or-nothing write needs. Tests pass their own to fail the
// n-th write or the close; everything else uses SystemFileOps().
// Each returns -1 and sets errno on failure, like the POSIX call it stands for.
class FileOps {
public:
    virtual ~FileOps() = default;
    virtual int createTemp(std::string& pathTemplate);  // mkstemp-style: fills the XXXXXX
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual int close(int fd);
    virtual int rename(const std::string& from, const std::string& to);
    virtual int unlink(const std::string& path);
};
FileOps& SystemFileOps();

// A write that failed, with the errno behind it and the stage it failed in.
struct FileWriteError {
    enum class Stage { Create, Write, Close };
    Stage stage;
    int errorCode;
};

// Writes a file so that the target is replaced only once every byte has reached a
// temporary file in the same folder and that file is closed; any failure removes the
// temporary file and leaves an existing target byte for byte as it was.
// All failures throw FileWriteError; callers turn it into their own message.
class SafeFileWriter {
public:
    // Fails at once (Stage::Create) when the folder is missing or the target exists and
    // may not be written. The new file gets the old file's permissions, else the usual
    // ones of a newly created file.
    explicit SafeFileWriter(std::string target, FileOps& ops = SystemFileOps());
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Buffered; a full buffer goes to the file in one write call.
    void write(std::string_view bytes);
    void write(const void* data, std::size_t size)
    {
        write(std::string_view(static_cast<const char*>(data), size));
    }

    // Flushes, closes and renames the temporary file over the target.
    void commit();

private:
    void flush();
    void discard() noexcept;

    std::string target_;
    std::string tempPath_;
    FileOps& ops_;
    int fd_ = -1;
    bool committed_ = false;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};
