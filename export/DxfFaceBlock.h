#pragma once
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <memory>

class SafeFileWriter;

// The fixed text of a face with room for twelve usual-width values.
namespace dxf_face {

inline constexpr std::string_view kStart = "0\r\n3DFACE\r\n8\r\nPLANE\r\n";
inline constexpr std::string_view kEnd = "62\r\n0\r\n";
// The group codes of the twelve values: X, Y, Z of corners 1 to 4.
inline constexpr std::string_view kCodes[12] = {
    "10\r\n", "20\r\n", "30\r\n", "11\r\n", "21\r\n", "31\r\n",
    "12\r\n", "22\r\n", "32\r\n", "13\r\n", "23\r\n", "33\r\n",
};
inline constexpr std::size_t kCodeLine = 4;
inline constexpr std::size_t kValueLine = 10;  // 8 characters and CR LF
inline constexpr std::size_t kFaceSize = kStart.size() + 12 * (kCodeLine + kValueLine) + kEnd.size();

constexpr std::size_t ValueSlot(std::size_t k) { return kStart.size() + k * (kCodeLine + kValueLine) + kCodeLine; }

constexpr std::array<char, kFaceSize> MakeTemplate()
{
    std::array<char, kFaceSize> text{};
    std::size_t at = 0;
    auto put = [&](std::string_view part) {
        for (char c : part)
            text[at++] = c;
    };
    put(kStart);
    for (std::string_view code : kCodes) {
        put(code);
        put("        \r\n");
    }
    put(kEnd);
    return text;
}

inline constexpr std::array<char, kFaceSize> kTemplate = MakeTemplate();

} // namespace dxf_face

// Composes the mesh's 3DFACE entities in one block of memory and hands the block to the
// file writer when it is full: a grid of 300 has 90,300 faces of 30 lines each, which
// as single writes would cost millions of calls. The block is small enough to stay in
// the cache and large enough to go to the file without another copy.
class DxfFaceBlock {
public:
    // One value line: 8 characters and CR LF, the width of every value a real export meets.
    static constexpr std::size_t kUsualLine = dxf_face::kValueLine;

    explicit DxfFaceBlock(SafeFileWriter& out);

    // values: the twelve value lines (with their CR LF) of corners 1 to 4, X, Y, Z each.
    void add(const std::string_view (&values)[12]);

    // Faces whose values are all kUsualLine long are a fixed text with the values copied
    // into fixed places; a column of the mesh shares its X values, so they are filled in
    // once. Values are given by their first character.
    // Starts a column: x1 is the X of corners 1 and 4, x2 that of corners 2 and 3.
    void beginColumn(const char* x1, const char* x2)
    {
        columnTemplate_ = dxf_face::kTemplate;
        put(columnTemplate_.data(), 0, x1);
        put(columnTemplate_.data(), 3, x2);
        put(columnTemplate_.data(), 6, x2);
        put(columnTemplate_.data(), 9, x1);
    }
    // A face of the current column: y1 is the Y of corners 1 and 2, y2 that of corners 3
    // and 4, z the heights of corners 1 to 4.
    void addInColumn(const char* y1, const char* y2, const char* const (&z)[4])
    {
        char* out = claim(dxf_face::kFaceSize);
        std::memcpy(out, columnTemplate_.data(), dxf_face::kFaceSize);
        put(out, 1, y1);
        put(out, 2, z[0]);
        put(out, 4, y1);
        put(out, 5, z[1]);
        put(out, 7, y2);
        put(out, 8, z[2]);
        put(out, 10, y2);
        put(out, 11, z[3]);
    }

    // Hands over what the block holds. Throws FileWriteError like the writer.
    void flush();

private:
    static void put(char* face, std::size_t k, const char* value)
    {
        std::memcpy(face + dxf_face::ValueSlot(k), value, kUsualLine - 2);
    }

    // Room for size more bytes, flushing first when the block is full.
    char* claim(std::size_t size)
    {
        if (size > capacity_ - used_)
            makeRoom(size);
        char* at = block_.get() + used_;
        used_ += size;
        return at;
    }
    void makeRoom(std::size_t size);

    SafeFileWriter& out_;
    std::array<char, dxf_face::kFaceSize> columnTemplate_ = dxf_face::kTemplate;
    std::size_t capacity_;
    std::unique_ptr<char[]> block_;
    std::size_t used_ = 0;
};
