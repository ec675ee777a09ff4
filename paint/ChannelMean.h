#pragma once
#include "model/Colour.h"

// The colour whose every channel is the mean of the three colours' channels, each
// byte sum divided by 3 with truncation. Shared by the blur brush and the whole-picture
// blur, which must agree to the bit.
inline ColourValue ChannelMean(ColourValue a, ColourValue b, ColourValue c)
{
    const ColourValue pa = ConvertColour(a), pb = ConvertColour(b), pc = ConvertColour(c);
    return MakeColour((RedOf(pa) + RedOf(pb) + RedOf(pc)) / 3,
                      (GreenOf(pa) + GreenOf(pb) + GreenOf(pc)) / 3,
                      (BlueOf(pa) + BlueOf(pb) + BlueOf(pc)) / 3);
}
