#pragma once
#include <cstdint>

// A colour value is 0x00BBGGRR: red in the low byte, then green, then blue.
// A value with the top bit set names a system colour by the index in its low byte.
using ColourValue = std::uint32_t;

constexpr ColourValue kBlack = 0x00000000;
constexpr ColourValue kWhite = 0x00FFFFFF;
constexpr ColourValue kMaroon = 0x00000080;

constexpr int RedOf(ColourValue c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColourValue c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(ColourValue c) { return static_cast<int>((c >> 16) & 0xFF); }

constexpr ColourValue MakeColour(int red, int green, int blue)
{
    return static_cast<ColourValue>(red) | (static_cast<ColourValue>(green) << 8) |
           (static_cast<ColourValue>(blue) << 16);
}

// Every use of a colour value as red, green and blue bytes goes through this:
// plain values pass unchanged, system-colour references are looked up, and an
// index naming no system colour (such as the 0xFFFFFFFF of a read outside the
// picture) gives black.
ColourValue ConvertColour(ColourValue value);
