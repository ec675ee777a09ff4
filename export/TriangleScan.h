#pragma once
#include <cstdint>

#include "export/HeightField.h"
#include "export/LatticePoint.h"

// How far the pixels of a triangle lie from the plane through its corners' sums,
// exactly. With D = |Cross(a, b, c)|, the deviation of a pixel is D x |its sum - the
// plane's height over it|, an integer; the error is deviation / D.
struct TriangleScanResult {
    std::int64_t worstDeviation = 0;  // the largest deviation over the closed triangle
    std::int64_t doubleArea = 0;      // D
    LatticePoint worst;               // the first pixel, rows top first, left to right, that has it
    std::int64_t pixelCount = 0;      // pixels looked at (for progress accounting)

    // Whether every pixel lies within thousandths / 1000 of the plane (thousandths at most
    // 765000: every product stays below 2^48).
    bool within(int thousandths) const { return 1000 * worstDeviation <= thousandths * doubleArea; }
    double error() const { return static_cast<double>(worstDeviation) / static_cast<double>(doubleArea); }
};

// Visits every pixel centre of the closed triangle a, b, c (on its edges and corners
// included) once. The corners must be points of the field; throws std::invalid_argument
// when they lie on one line.
// worst is a's when every pixel lies on the plane. With rowStep above 1, only every
// rowStep-th row from the top corner's: then worst and its deviation are those of a
// sample, no more than the triangle's own, and pixelCount counts the sample.
TriangleScanResult ScanTriangle(const HeightField& field, LatticePoint a, LatticePoint b, LatticePoint c,
                                int rowStep = 1);

// Whether every pixel of the closed triangle lies within thousandths / 1000 of the plane
// (thousandths 0..765000); the same as ScanTriangle(...).within(thousandths), but stops
// at the first row that does not. Throws as ScanTriangle does.
bool TriangleWithin(const HeightField& field, LatticePoint a, LatticePoint b, LatticePoint c, int thousandths);
