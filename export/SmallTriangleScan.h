#pragma once
#include "export/HeightField.h"
#include "export/LatticePoint.h"
#include "export/TriangleScan.h"

// The scan of a triangle at most 16 pixels wide, as dense meshes are made of: its box
// row by row, one AVX-512 step of 16 lanes a row, the pixels outside masked by the
// triangle's edge functions. No sorting of corners, no division, no list of spans: for a
// triangle of a few pixels that was most of the work. Gives exactly what ScanTriangle
// gives (32-bit lanes: the caller makes sure 765 |Cross(a, b, c)| < 2^31), stopping
// after the first row whose worst deviation is above stopAbove.
//
// Returns false and leaves result alone when the processor lacks AVX-512 or the
// triangle is wider than 16 pixels.
bool ScanSmallTriangle(const HeightField& field, LatticePoint a, LatticePoint b, LatticePoint c, long long stopAbove,
                       TriangleScanResult& result);
