#pragma once
#include <cstddef>
#include <cstdint>

// The inner loop of TriangleScan: over runs of pixels in rows (spans), the largest
// |d x sum - plane|, where the plane rises by step from one pixel to the next. It is
// written for AVX-512, for AVX2 and in plain C++; the best the processor runs is chosen
// once. All give the same result, bit for bit.

struct Span {
    std::size_t start;     // the first pixel's index in the sums
    std::int64_t planeAt;  // the plane's value (scaled as d is) over the first pixel
    std::int32_t count;    // pixels, at least 1
};

struct SpanScanInput {
    const std::uint16_t* sums;
    std::size_t pixelCount;    // spans are read in whole blocks, never past this many sums
    std::ptrdiff_t rowStride;  // sums from one row to the next, for reading ahead
    const Span* spans;
    int spanCount;
    std::int64_t d;     // the scale of the plane's values
    std::int64_t step;  // the plane's rise from one pixel to the next in a row
    std::int64_t stopAbove = INT64_MAX;  // the scan may stop after a span that goes above this
};

struct SpanScanResult {
    std::int64_t worst = 0;  // the largest deviation; 0 when every pixel lies on the plane
    int span = -1;           // the first span that reaches it; -1 when worst is 0
};

enum class SpanScanLevel { Portable, Avx2, Avx512 };

// The best level this processor runs.
SpanScanLevel BestSpanScanLevel();

// In 32-bit lanes: every d x sum, plane value and deviation must lie below 2^31 in size.
SpanScanResult ScanSpansNarrow(const SpanScanInput& input, SpanScanLevel level = BestSpanScanLevel());

// In doubles: every such value must lie below 2^52 in size.
SpanScanResult ScanSpansWide(const SpanScanInput& input, SpanScanLevel level = BestSpanScanLevel());
