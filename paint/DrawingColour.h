#pragma once
#include "model/Colour.h"

// Each channel below 254 grows by 2; 254 and 255 stay.
ColourValue BrightenStep(ColourValue colour);
// Each channel above 1 shrinks by 2; 0 and 1 stay.
ColourValue DarkenStep(ColourValue colour);
