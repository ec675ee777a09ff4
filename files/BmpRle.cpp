#include "files/BmpRle.h"

#include <algorithm>
#include <cstddef>

namespace {

// The position of the next pixel, counted from the bottom-left corner as the file
// counts it. Both coordinates only ever grow, so 64 bits cannot overflow on any file
// that fits in memory, and once the row is past the top nothing more can be drawn.
class RleCanvas {
public:
    RleCanvas(const BmpLayout& layout, std::uint32_t* pixels)
        : layout_(layout), pixels_(pixels), width_(layout.width), height_(layout.height)
    {
    }

    bool finished() const { return row_ >= height_; }
    void endLine()
    {
        x_ = 0;
        ++row_;
    }
    void move(int dx, int dy)
    {
        x_ += dx;
        row_ += dy;
    }

    // count pixels whose indices indexAt(i) gives, clipped at the right edge.
    template <typename IndexAt>
    void put(int count, IndexAt indexAt)
    {
        if (row_ < height_ && x_ < width_) {
            std::uint32_t* line = pixels_ + static_cast<std::size_t>(height_ - 1 - row_) * static_cast<std::size_t>(width_);
            const std::int64_t visible = std::min<std::int64_t>(count, width_ - x_);
            for (std::int64_t i = 0; i < visible; ++i)
                line[x_ + i] = layout_.palette[indexAt(static_cast<int>(i))];
        }
        x_ += count;
    }

private:
    const BmpLayout& layout_;
    std::uint32_t* pixels_;
    std::int64_t width_;
    std::int64_t height_;
    std::int64_t x_ = 0;
    std::int64_t row_ = 0;
};

// The index of pixel i of a run or literal group, four or eight bits per pixel.
inline unsigned IndexOf(const std::uint8_t* bytes, int i, bool fourBits)
{
    if (!fourBits)
        return bytes[i];
    const unsigned byte = bytes[i / 2];
    return (i % 2 == 0) ? byte >> 4 : byte & 0x0F;
}

}  // namespace

void DecodeBmpRle(const std::vector<std::uint8_t>& file, const BmpLayout& layout, std::uint32_t* pixels)
{
    const bool fourBits = layout.compression == BmpLayout::kRle4;
    RleCanvas canvas(layout, pixels);
    const std::uint8_t* p = file.data() + layout.pixelStart;
    const std::uint8_t* const end = file.data() + file.size();

    while (end - p >= 2 && !canvas.finished()) {
        const int count = p[0];
        const int code = p[1];
        p += 2;
        if (count > 0) {
            // A run repeats one byte: RLE4 alternates its two nibbles, high first.
            const unsigned byte = static_cast<unsigned>(code);
            canvas.put(count, [&](int i) { return !fourBits ? byte : (i % 2 == 0) ? byte >> 4 : byte & 0x0F; });
        } else if (code == 0) {
            canvas.endLine();
        } else if (code == 1) {
            return;
        } else if (code == 2) {
            if (end - p < 2)
                return;
            canvas.move(p[0], p[1]);
            p += 2;
        } else {
            // A literal group, padded to an even number of bytes; a file that ends inside
            // it is decoded as far as it goes.
            const std::ptrdiff_t bytes = fourBits ? (code + 1) / 2 : code;
            const std::ptrdiff_t available = std::min<std::ptrdiff_t>(bytes, end - p);
            const int pixelsPresent = fourBits ? std::min<int>(code, static_cast<int>(available * 2))
                                               : static_cast<int>(available);
            const std::uint8_t* literal = p;
            canvas.put(pixelsPresent, [&](int i) { return IndexOf(literal, i, fourBits); });
            if (available < bytes)
                return;
            p += std::min<std::ptrdiff_t>(bytes + (bytes & 1), end - p);
        }
    }
}
