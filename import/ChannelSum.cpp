#include "import/ChannelSum.h"

#include <array>

namespace {

constexpr std::uint32_t Spread(int sum)
{
    const auto k = static_cast<std::uint32_t>(sum / 3);
    const int extra = sum % 3;
    const std::uint32_t red = k + (extra >= 1 ? 1 : 0);
    const std::uint32_t green = k + (extra >= 2 ? 1 : 0);
    return 0xFF000000u | (k << 16) | (green << 8) | red;
}

// One look-up instead of two divisions per pixel; 3 KB, so it stays in the cache.
constexpr std::array<std::uint32_t, kChannelSums> kSpread = [] {
    std::array<std::uint32_t, kChannelSums> table{};
    for (int sum = 0; sum <= kMaxChannelSum; ++sum)
        table[static_cast<std::size_t>(sum)] = Spread(sum);
    return table;
}();

// n / 257 rounded half up: floor((n + 128.5) / 257), which is floor((n + 128) / 257)
// because no whole multiple of 257 lies above n + 128 and at or below n + 128.5.
constexpr int RoundedBy257(std::uint32_t n)
{
    return static_cast<int>((n + 128) / 257);
}

}  // namespace

int ChannelSumOfGrey16(std::uint16_t grey)
{
    return RoundedBy257(3u * grey);
}

int ChannelSumOfRgb16(std::uint16_t red, std::uint16_t green, std::uint16_t blue)
{
    return RoundedBy257(std::uint32_t{red} + green + blue);
}

std::uint32_t StoredPixelOfSum(int sum)
{
    return kSpread.at(static_cast<std::size_t>(sum));
}

void Grey16RowToPixels(const std::uint16_t* grey, std::size_t count, std::uint32_t* out)
{
    for (std::size_t i = 0; i < count; ++i)
        out[i] = kSpread[static_cast<std::size_t>(RoundedBy257(3u * grey[i]))];
}

void Rgba16RowToPixels(const std::uint16_t* rgba, std::size_t count, std::uint32_t* out)
{
    for (std::size_t i = 0; i < count; ++i, rgba += 4)
        out[i] = kSpread[static_cast<std::size_t>(RoundedBy257(std::uint32_t{rgba[0]} + rgba[1] + rgba[2]))];
}
