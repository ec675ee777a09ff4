#include "files/BufferedWriter.h"

#include <cstring>
#include <stdexcept>

#include "files/SafeFileWriter.h"

// Left uninitialised: every byte handed on is written first.
BufferedWriter::BufferedWriter(SafeFileWriter& file)
    : file_(file), block_(std::make_unique_for_overwrite<char[]>(kCapacity))
{
}

void BufferedWriter::write(std::string_view bytes)
{
    if (bytes.size() > kCapacity - used_)
        flush();
    if (bytes.size() > kCapacity) {
        file_.write(bytes.data(), bytes.size());
        handed_ += bytes.size();
        return;
    }
    std::memcpy(block_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

void BufferedWriter::flush()
{
    const std::size_t size = used_;
    used_ = 0;
    if (size > 0) {
        file_.write(block_.get(), size);
        handed_ += size;
    }
}

void BufferedWriter::overwrite(std::uint64_t offset, const void* data, std::size_t size)
{
    if (offset > position() || size > position() - offset)
        throw std::logic_error("BufferedWriter::overwrite past the bytes taken");
    if (offset >= handed_) {
        std::memcpy(block_.get() + (offset - handed_), data, size);
        return;
    }
    // Partly or wholly in the file: hand the block on first, so the file holds it all.
    flush();
    file_.writeAt(offset, data, size);
}
