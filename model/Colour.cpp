#include "model/Colour.h"

#include <array>

namespace {

// The desktop's system colours, indexed as the platform numbers them (scroll bar,
// background, active caption, ...). Our own fixed palette: the editor never stores a
// system colour, so these only give such a reference a well-defined meaning.
constexpr std::array<ColourValue, 31> kSystemColours = {
    MakeColour(200, 200, 200), MakeColour(0, 128, 128),   MakeColour(0, 84, 227),
    MakeColour(122, 150, 223), MakeColour(240, 240, 240), MakeColour(255, 255, 255),
    MakeColour(100, 100, 100), MakeColour(0, 0, 0),       MakeColour(0, 0, 0),
    MakeColour(255, 255, 255), MakeColour(180, 180, 180), MakeColour(244, 247, 252),
    MakeColour(171, 171, 171), MakeColour(0, 120, 215),   MakeColour(255, 255, 255),
    MakeColour(240, 240, 240), MakeColour(160, 160, 160), MakeColour(109, 109, 109),
    MakeColour(0, 0, 0),       MakeColour(0, 0, 0),       MakeColour(255, 255, 255),
    MakeColour(105, 105, 105), MakeColour(227, 227, 227), MakeColour(0, 0, 0),
    MakeColour(255, 255, 225), MakeColour(0, 0, 0),       MakeColour(0, 102, 204),
    MakeColour(185, 209, 234), MakeColour(215, 228, 242), MakeColour(0, 120, 215),
    MakeColour(240, 240, 240),
};

} // namespace

ColourValue ConvertColour(ColourValue value)
{
    if ((value & 0x80000000u) == 0)
        return value;
    const unsigned index = value & 0xFFu;
    return index < kSystemColours.size() ? kSystemColours[index] : kBlack;
}
