#pragma once

// The keys and buttons held during a pointer event.
enum ShiftFlag : unsigned {
    kShiftKey = 1u << 0,
    kAltKey = 1u << 1,
    kCtrlKey = 1u << 2,
    kLeftButton = 1u << 3,
    kRightButton = 1u << 4,
    kMiddleButton = 1u << 5,
};
using ShiftState = unsigned;
