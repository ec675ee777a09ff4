#include "paint/DrawingColour.h"

namespace {

// Channels step by 2 and stop short of the limit rather than clamp to it, so a channel
// keeps its parity: an even one never reaches 255, an odd one never reaches 0.
int BrightenChannel(int value)
{
    return value < 254 ? value + 2 : value;
}

int DarkenChannel(int value)
{
    return value > 1 ? value - 2 : value;
}

} // namespace

ColourValue BrightenStep(ColourValue colour)
{
    const ColourValue plain = ConvertColour(colour);
    return MakeColour(BrightenChannel(RedOf(plain)), BrightenChannel(GreenOf(plain)),
                      BrightenChannel(BlueOf(plain)));
}

ColourValue DarkenStep(ColourValue colour)
{
    const ColourValue plain = ConvertColour(colour);
    return MakeColour(DarkenChannel(RedOf(plain)), DarkenChannel(GreenOf(plain)),
                      DarkenChannel(BlueOf(plain)));
}
