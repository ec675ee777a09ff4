#pragma once
#include "model/HeightScale.h"

// What the top of a solid for printing is made of: the DXF's grid cells, or a
// triangulation of every pixel of the picture within an error of its height.
enum class SolidDetail { Grid, WholePicture };

// How the solids for printing (STL and 3MF) are sized, in millimetres, and how finely
// they follow the picture. The window's Mesh Settings dialog and the converter's options
// fill the same values; they live for the session and apply to no other export.
struct SolidSettings {
    double longestSideMm = 100;  // the footprint's longer side
    double reliefMm = 10;        // from black to white
    double baseMm = 2;           // the solid under black
    bool keepProportions = true; // off: a square footprint, as the DXF's grid is square
    bool invert = false;         // white lowest, for lithophanes
    SolidDetail detail = SolidDetail::Grid;
    // With the whole picture: every pixel within this many tenths of a height step (one
    // channel sum) of the surface, 0 to 7650.
    int maxErrorTenths = 10;
};

constexpr int kLargestErrorTenths = 10 * kMaxChannelSum;

// The ranges each size may take, both ends included.
struct MillimetreRange {
    double lowest;
    double highest;
    bool holds(double value) const { return value >= lowest && value <= highest; }  // false for NaN
};
constexpr MillimetreRange kLongestSideRange{1, 10000};
constexpr MillimetreRange kReliefRange{0.01, 10000};
constexpr MillimetreRange kBaseRange{0.01, 10000};

// Whether every size and the error lie in their ranges.
inline bool SolidSettingsValid(const SolidSettings& settings)
{
    return kLongestSideRange.holds(settings.longestSideMm) && kReliefRange.holds(settings.reliefMm) &&
           kBaseRange.holds(settings.baseMm) && settings.maxErrorTenths >= 0 &&
           settings.maxErrorTenths <= kLargestErrorTenths;
}
