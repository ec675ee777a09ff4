#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

class SafeFileWriter;

// The one buffer between a file's writer and the commit-or-nothing file: text and
// records are composed straight into a block of memory, which goes to the file in one
// write when full. A mesh of 90,000 faces would otherwise cost millions of calls.
class BufferedWriter {
public:
    // Large enough that a write call costs little per byte, small enough to stay in the
    // cache while it is filled.
    static constexpr std::size_t kCapacity = std::size_t{1} << 20;

    explicit BufferedWriter(SafeFileWriter& file);
    BufferedWriter(const BufferedWriter&) = delete;
    BufferedWriter& operator=(const BufferedWriter&) = delete;

    // Room for exactly `size` bytes (at most kCapacity), which the caller fills at once.
    char* claim(std::size_t size)
    {
        char* at = room(size);
        used_ += size;
        return at;
    }

    // Room for up to `most` bytes (at most kCapacity); advance() then keeps what was used.
    char* room(std::size_t most)
    {
        if (most > kCapacity - used_)
            flush();
        return block_.get() + used_;
    }
    void advance(std::size_t used) { used_ += used; }

    // Any number of bytes; a piece larger than the block goes to the file as it is.
    void write(std::string_view bytes);
    void write(const void* data, std::size_t size) { write(std::string_view(static_cast<const char*>(data), size)); }

    // Hands everything held to the file. Throws FileWriteError as the file's write does.
    void flush();

    // Bytes taken so far, held or handed on: where the next byte goes in the file.
    std::uint64_t position() const { return handed_ + used_; }

    // Replaces bytes already taken, from offset on (all of them before position()):
    // in the block while they are still held, else in the file itself.
    void overwrite(std::uint64_t offset, const void* data, std::size_t size);

private:
    SafeFileWriter& file_;
    std::unique_ptr<char[]> block_;
    std::size_t used_ = 0;
    std::uint64_t handed_ = 0;  // to the file
};
