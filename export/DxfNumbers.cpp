#include "export/DxfNumbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// "%8.4f\r\n" of tenThousandths / 10000 for 0 <= tenThousandths < 10^7, by integer
// arithmetic so that the table does not depend on the formatter it is checked against.
std::array<char, 10> FixedFromTenThousandths(std::int64_t tenThousandths)
{
    std::array<char, 10> text;
    text.fill(' ');
    text[8] = '\r';
    text[9] = '\n';
    std::int64_t rest = tenThousandths;
    int pos = 7;
    for (int digit = 0; digit < 4; ++digit) {
        text[static_cast<std::size_t>(pos--)] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    text[static_cast<std::size_t>(pos--)] = '.';
    do {
        text[static_cast<std::size_t>(pos--)] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest > 0 && pos >= 0);
    return text;
}

// A value exactly halfway between two printable neighbours is an odd multiple of
// 2^-(decimals + 1) (the only dyadic fractions ending in 5 at that position).
bool IsExactHalf(double value, int decimals)
{
    const double scaled = std::ldexp(std::fabs(value), decimals + 1);
    return std::isfinite(scaled) && scaled == std::floor(scaled) && std::fmod(scaled, 2.0) == 1.0;
}

} // namespace

std::string FormatFixed(double value, int decimals, int width)
{
    // to_chars rounds the exact binary value correctly but sends exact halves to the even
    // neighbour; nudging such a value one step outward makes it round away from zero.
    if (IsExactHalf(value, decimals))
        value = std::nextafter(value, std::copysign(std::numeric_limits<double>::infinity(), value));
    char digits[400];
    const auto result = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
    std::string text(digits, result.ptr);
    if (text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

DxfNumberTable::DxfNumberTable()
{
    for (int sum = 0; sum < kSums; ++sum) {
        const auto index = static_cast<std::size_t>(sum);
        heights_[index] = HeightOfSum(sum);
        // The height in ten-thousandths is sum * 10000 / 75 = sum * 400 / 3, never a half:
        // round to nearest.
        sumLines_[index] = FixedFromTenThousandths((std::int64_t{sum} * 800 + 3) / 6);
    }
    for (int coordinate = 0; coordinate < kCoordinates; ++coordinate)
        coordinateLines_[static_cast<std::size_t>(coordinate)] =
            FixedFromTenThousandths(std::int64_t{coordinate} * 10000);
}

std::string_view DxfNumberTable::formattedLine(double value, std::string& scratch)
{
    scratch = FormatFixed(value, 4, 8);
    scratch += "\r\n";
    return scratch;
}

const DxfNumberTable& DxfNumbers()
{
    static const DxfNumberTable table;
    return table;
}
