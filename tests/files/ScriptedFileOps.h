#pragma once
#include <cerrno>

#include "files/SafeFileWriter.h"

// File operations that do the real thing until told to fail: the creation, the n-th
// write (counting from 1; positioned writes count too), the close or the rename, each
// with a chosen errno. Writes can also be cut short to test partial writes.
class ScriptedFileOps : public FileOps {
public:
    int failCreateWith = 0;
    int failWriteNumber = 0;
    int failWriteWith = 0;
    int failCloseWith = 0;
    int failRenameWith = 0;
    std::size_t largestWrite = 0;  // 0: no limit
    int interruptFirstWrite = 0;   // this many EINTR before the first write goes through
    bool zeroWrite = false;        // every write takes nothing

    int creates = 0, writes = 0, positionedWrites = 0, closes = 0, renames = 0, unlinks = 0;

    int createTemp(std::string& pathTemplate) override
    {
        ++creates;
        if (failCreateWith != 0)
            return failWith(failCreateWith);
        return FileOps::createTemp(pathTemplate);
    }
    ssize_t write(int fd, const void* data, std::size_t size) override
    {
        ++writes;
        if (interruptFirstWrite > 0) {
            --interruptFirstWrite;
            return failWith(EINTR);
        }
        if (writes == failWriteNumber)
            return failWith(failWriteWith);
        if (zeroWrite)
            return 0;
        if (largestWrite != 0 && size > largestWrite)
            size = largestWrite;
        return FileOps::write(fd, data, size);
    }
    ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset) override
    {
        ++writes;
        ++positionedWrites;
        if (writes == failWriteNumber)
            return failWith(failWriteWith);
        if (largestWrite != 0 && size > largestWrite)
            size = largestWrite;
        return FileOps::pwrite(fd, data, size, offset);
    }
    int close(int fd) override
    {
        ++closes;
        const int result = FileOps::close(fd);  // the descriptor goes in any case
        if (failCloseWith != 0)
            return failWith(failCloseWith);
        return result;
    }
    int rename(const std::string& from, const std::string& to) override
    {
        ++renames;
        if (failRenameWith != 0)
            return failWith(failRenameWith);
        return FileOps::rename(from, to);
    }
    int unlink(const std::string& path) override
    {
        ++unlinks;
        return FileOps::unlink(path);
    }

private:
    static int failWith(int error)
    {
        errno = error;
        return -1;
    }
};
