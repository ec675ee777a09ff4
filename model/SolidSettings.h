#pragma once

// How the solids for printing (STL and 3MF) are sized, in millimetres. The window's
// Mesh Settings dialog and the converter's options fill the same values; they live for
// the session and apply to no other export.
struct SolidSettings {
    double longestSideMm = 100;  // the footprint's longer side
    double reliefMm = 10;        // from black to white
    double baseMm = 2;           // the solid under black
    bool keepProportions = true; // off: a square footprint, as the DXF's grid is square
    bool invert = false;         // white lowest, for lithophanes
};

// The ranges each size may take, both ends included.
struct MillimetreRange {
    double lowest;
    double highest;
    bool holds(double value) const { return value >= lowest && value <= highest; }  // false for NaN
};
constexpr MillimetreRange kLongestSideRange{1, 10000};
constexpr MillimetreRange kReliefRange{0.01, 10000};
constexpr MillimetreRange kBaseRange{0.01, 10000};

// Whether every size lies in its range.
inline bool SolidSettingsValid(const SolidSettings& settings)
{
    return kLongestSideRange.holds(settings.longestSideMm) && kReliefRange.holds(settings.reliefMm) &&
           kBaseRange.holds(settings.baseMm);
}
