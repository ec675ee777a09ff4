#pragma once
#include <vector>

#include "export/HeightField.h"
#include "export/LatticePoint.h"

// The fewest-ish points along a straight run of pixels (part of one row or one column)
// that a polyline through their sums needs so that every pixel of the run lies within
// the error of it: each piece reaches as far as any piece from its start can (a window
// of the slopes still allowed, exact in whole numbers). Returns the pixels' offsets from
// `from`, both ends included, in order. from and to lie in one row or one column of the
// field, to after from; maxErrorThousandths is 0..765000.
std::vector<int> SimplifyLine(const HeightField& field, LatticePoint from, LatticePoint to, int maxErrorThousandths);
