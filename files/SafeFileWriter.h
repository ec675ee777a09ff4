#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

// The system calls a commit-or-nothing write needs. Tests pass their own to fail the
// n-th write or the close; everything else uses SystemFileOps().
// Each returns -1 and sets errno on failure, like the POSIX call it stands for.
class FileOps {
public:
    virtual ~FileOps() = default;
    virtual int createTemp(std::string& pathTemplate);  // mkstemp-style: fills the XXXXXX
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset);
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
// temporary file and leaves an existing target byte for byte as it was. Every write goes
// to the file as it is: a writer of many small pieces puts a BufferedWriter in front.
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

    // Writes every byte, or throws (Stage::Write) having removed the temporary file.
    void write(const void* data, std::size_t size);
    void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }

    // Writes over bytes already written, from offset on, without moving the end that
    // write() appends at (a container's header fixed once its sizes are known). The
    // range must lie within what was written. Fails as write() does.
    void writeAt(std::uint64_t offset, const void* data, std::size_t size);

    // Closes the temporary file and renames it over the target.
    void commit();

private:
    void discard() noexcept;

    std::string target_;
    std::string tempPath_;
    FileOps& ops_;
    int fd_ = -1;
    bool committed_ = false;
};
