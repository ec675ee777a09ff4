#pragma once

// How brightness becomes height, in one place. A pixel's height is set by its channel
// sum, red + green + blue: 0 for black up to kMaxChannelSum for white. The mesh files give
// a height in units of kChannelSumsPerUnit sums (the intensity, sum / 3, divided by 25),
// so white stands kTopHeight high. The grid the heights are sampled on has at most
// kLargestGridSize divisions along each axis.

constexpr int kMaxChannelSum = 765;
constexpr int kChannelSums = kMaxChannelSum + 1;  // 0 .. kMaxChannelSum
constexpr int kChannelSumsPerUnit = 75;
constexpr double kTopHeight = 10.2;
constexpr int kLargestGridSize = 300;

// The height of a channel sum as sampling forms it: the intensity (sum / 3, the nearest
// double), then divided by 25. Multiplying by 1/75 instead would give another last bit
// for some sums.
constexpr double HeightOfSum(int sum)
{
    return (sum / 3.0) / 25;
}

static_assert(HeightOfSum(kMaxChannelSum) == kTopHeight);
