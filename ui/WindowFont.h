#pragma once
#include <QFont>

// Both windows' font: "MS Sans Serif" at 11 pixels (8 points at 96 dpi), or the
// sans-serif face that stands in for it on this system.
QFont WindowFont();
