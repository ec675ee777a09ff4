#pragma once
#include "model/Colour.h"

// Each channel below 254 grows by 2; 254 and 255 stay.
ColourValue BrightenStep(ColourValue colour);
// Each channel above 1 shrinks by 2; 0 and 1 stay.
ColourValue DarkenStep(ColourValue colour);

// The hidden position of the intensity nudge arrows: -255..255, no wrap-around.
// An arrow click counts only when it moves the position.
class NudgePosition {
public:
    bool stepUp();    // true when the position moved
    bool stepDown();  // true when the position moved
    int position() const { return position_; }

private:
    int position_ = 0;
};
