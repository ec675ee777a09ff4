#include "files/BmpRows.h"

#include <bit>
#include <cstddef>

#include "model/Picture.h"

namespace {

// One bit-field channel scaled to 8 bits by round(v * 255 / M), M being the mask
// shifted down to its lowest set bit; a zero mask gives 0.
class ChannelScale {
public:
    explicit ChannelScale(std::uint32_t mask)
        : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)), max_(mask >> shift_)
    {
        if (max_ != 0 && max_ <= kTableLimit) {
            table_.resize(static_cast<std::size_t>(max_) + 1);
            for (std::uint32_t v = 0; v <= max_; ++v)
                table_[v] = compute(v);
        }
    }

    std::uint8_t operator()(std::uint32_t value) const
    {
        if (max_ == 0)
            return 0;
        const std::uint32_t v = (value & mask_) >> shift_;
        return table_.empty() ? compute(v) : table_[v];
    }

private:
    // Wider channels are rare; they are computed instead of taking a large table.
    static constexpr std::uint32_t kTableLimit = 0xFFFF;

    std::uint8_t compute(std::uint32_t v) const
    {
        // In 64 bits: a 32-bit mask makes v * 255 overflow 32.
        return static_cast<std::uint8_t>((std::uint64_t{v} * 255 + max_ / 2) / max_);
    }

    std::uint32_t mask_;
    int shift_;
    std::uint32_t max_;
    std::vector<std::uint8_t> table_;
};

struct BitFields {
    explicit BitFields(const BmpLayout& layout)
        : red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2])
    {
    }
    std::uint32_t operator()(std::uint32_t value) const
    {
        return StoredPixel(MakeColour(red(value), green(value), blue(value)));
    }
    ChannelScale red, green, blue;
};

template <int Bits>
void DecodeIndexedRow(const std::uint8_t* src, std::uint32_t* dst, int width, const BmpLayout& layout)
{
    constexpr int kPerByte = 8 / Bits;
    constexpr unsigned kIndexMask = (1u << Bits) - 1;
    int x = 0;
    for (; x + kPerByte <= width; x += kPerByte) {
        const unsigned byte = *src++;
        for (int k = 0; k < kPerByte; ++k)
            dst[x + k] = layout.palette[(byte >> (8 - Bits * (k + 1))) & kIndexMask];
    }
    // Pixels are packed from the most significant bit, so a part byte ends the row.
    if (x < width) {
        const unsigned byte = *src;
        for (int k = 0; x < width; ++k, ++x)
            dst[x] = layout.palette[(byte >> (8 - Bits * (k + 1))) & kIndexMask];
    }
}

void Decode8Row(const std::uint8_t* src, std::uint32_t* dst, int width, const BmpLayout& layout)
{
    for (int x = 0; x < width; ++x)
        dst[x] = layout.palette[src[x]];
}

void Decode24Row(const std::uint8_t* src, std::uint32_t* dst, int width)
{
    for (int x = 0; x < width; ++x, src += 3)
        dst[x] = kOpaque | (std::uint32_t{src[0]} << 16) | (std::uint32_t{src[1]} << 8) | src[2];
}

// 32 bits without bit fields: blue, green, red in the low three bytes.
void Decode32Row(const std::uint8_t* src, std::uint32_t* dst, int width)
{
    for (int x = 0; x < width; ++x, src += 4)
        dst[x] = kOpaque | (std::uint32_t{src[0]} << 16) | (std::uint32_t{src[1]} << 8) | src[2];
}

void Decode32FieldsRow(const std::uint8_t* src, std::uint32_t* dst, int width, const BitFields& fields)
{
    for (int x = 0; x < width; ++x, src += 4)
        dst[x] = fields(std::uint32_t{src[0]} | (std::uint32_t{src[1]} << 8) | (std::uint32_t{src[2]} << 16) |
                        (std::uint32_t{src[3]} << 24));
}

// Every 16-bit value maps to one colour, so one table serves any masks.
std::vector<std::uint32_t> SixteenBitTable(const BmpLayout& layout)
{
    const BitFields fields(layout);
    std::vector<std::uint32_t> table(0x10000);
    for (std::uint32_t v = 0; v < 0x10000; ++v)
        table[v] = fields(v);
    return table;
}

void Decode16Row(const std::uint8_t* src, std::uint32_t* dst, int width, const std::vector<std::uint32_t>& table)
{
    for (int x = 0; x < width; ++x, src += 2)
        dst[x] = table[src[0] | (src[1] << 8)];
}

void Decode16FieldsRow(const std::uint8_t* src, std::uint32_t* dst, int width, const BitFields& fields)
{
    for (int x = 0; x < width; ++x, src += 2)
        dst[x] = fields(std::uint32_t{src[0]} | (std::uint32_t{src[1]} << 8));
}

bool HasDefault32Layout(const BmpLayout& layout)
{
    return layout.masks[0] == 0xFF0000 && layout.masks[1] == 0x00FF00 && layout.masks[2] == 0x0000FF;
}

// Calls decodeRow(source row, destination row) for each picture row, top first.
template <typename RowDecoder>
void ForEachRow(const std::vector<std::uint8_t>& file, const BmpLayout& layout, std::uint32_t* pixels,
                RowDecoder decodeRow)
{
    const std::size_t rowBytes = static_cast<std::size_t>(layout.rowBytes());
    const std::size_t width = static_cast<std::size_t>(layout.width);
    const std::uint8_t* data = file.data() + layout.pixelStart;
    for (int y = 0; y < layout.height; ++y) {
        const int stored = layout.topDown ? y : layout.height - 1 - y;
        decodeRow(data + static_cast<std::size_t>(stored) * rowBytes, pixels + static_cast<std::size_t>(y) * width);
    }
}

}  // namespace

void DecodeBmpRows(const std::vector<std::uint8_t>& file, const BmpLayout& layout, std::uint32_t* pixels)
{
    const int w = layout.width;
    switch (layout.bitsPerPixel) {
    case 1:
        ForEachRow(file, layout, pixels, [&](auto s, auto d) { DecodeIndexedRow<1>(s, d, w, layout); });
        break;
    case 2:
        ForEachRow(file, layout, pixels, [&](auto s, auto d) { DecodeIndexedRow<2>(s, d, w, layout); });
        break;
    case 4:
        ForEachRow(file, layout, pixels, [&](auto s, auto d) { DecodeIndexedRow<4>(s, d, w, layout); });
        break;
    case 8:
        ForEachRow(file, layout, pixels, [&](auto s, auto d) { Decode8Row(s, d, w, layout); });
        break;
    case 16:
        // The table converts every possible value once, so it pays only for pictures
        // with more pixels than values; a small picture converts its pixels directly.
        if (static_cast<std::int64_t>(w) * layout.height > 0x10000) {
            const std::vector<std::uint32_t> table = SixteenBitTable(layout);
            ForEachRow(file, layout, pixels, [&](auto s, auto d) { Decode16Row(s, d, w, table); });
        } else {
            const BitFields fields(layout);
            ForEachRow(file, layout, pixels, [&](auto s, auto d) { Decode16FieldsRow(s, d, w, fields); });
        }
        break;
    case 24:
        ForEachRow(file, layout, pixels, [&](auto s, auto d) { Decode24Row(s, d, w); });
        break;
    case 32:
        if (HasDefault32Layout(layout)) {
            ForEachRow(file, layout, pixels, [&](auto s, auto d) { Decode32Row(s, d, w); });
        } else {
            const BitFields fields(layout);
            ForEachRow(file, layout, pixels, [&](auto s, auto d) { Decode32FieldsRow(s, d, w, fields); });
        }
        break;
    default:
        break;  // the layout accepts no other depth
    }
}
