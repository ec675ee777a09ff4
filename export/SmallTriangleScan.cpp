#include "export/SmallTriangleScan.h"

#include <algorithm>
#include <utility>

#include "export/SpanScan.h"

#include "export/VectorIntrinsics.h"

namespace {

#if defined(__x86_64__)

// An edge function Cross(from, to, q) over a box: its value at the box's top-left
// corner and its rise from one column and from one row to the next.
struct EdgeFunction {
    long long at, perColumn, perRow;
};

EdgeFunction EdgeOver(LatticePoint from, LatticePoint to, LatticePoint corner)
{
    return {Cross(from, to, corner), -static_cast<long long>(to.r - from.r), static_cast<long long>(to.c - from.c)};
}

#define RF_AVX512 [[gnu::target("avx512f,avx512bw,avx512vl,bmi2")]]

RF_AVX512 __m512i Lanes(long long at, long long perLane)
{
    const __m512i lane = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    return _mm512_add_epi32(_mm512_set1_epi32(static_cast<std::int32_t>(at)),
                            _mm512_mullo_epi32(lane, _mm512_set1_epi32(static_cast<std::int32_t>(perLane))));
}

// Every value a lane inside the triangle holds is exact in 32 bits; lanes outside it
// may wrap, and are masked out.
RF_AVX512 TriangleScanResult ScanBox(const HeightField& field, LatticePoint a, LatticePoint b, LatticePoint c,
                                     long long stopAbove)
{
    TriangleScanResult result;
    result.worst = a;
    if (Cross(a, b, c) > 0)
        std::swap(b, c);  // so that inside, every edge function is 0 or below
    const long long d = Cross(a, b, c);
    result.doubleArea = -d;
    const int left = std::min({a.c, b.c, c.c}), right = std::max({a.c, b.c, c.c});
    const int top = std::min({a.r, b.r, c.r}), bottom = std::max({a.r, b.r, c.r});
    const LatticePoint corner{left, top};
    const EdgeFunction e0 = EdgeOver(b, c, corner), e1 = EdgeOver(c, a, corner), e2 = EdgeOver(a, b, corner);
    // D x the plane's height = w0 za + w1 zb + w2 zc, the edge functions being the
    // corners' weights times D.
    const long long za = field.at(a.c, a.r), zb = field.at(b.c, b.r), zc = field.at(c.c, c.r);
    const long long planeAt = e0.at * za + e1.at * zb + e2.at * zc;
    const long long planePerColumn = e0.perColumn * za + e1.perColumn * zb + e2.perColumn * zc;
    const long long planePerRow = e0.perRow * za + e1.perRow * zb + e2.perRow * zc;

    __m512i w0 = Lanes(e0.at, e0.perColumn), w1 = Lanes(e1.at, e1.perColumn), w2 = Lanes(e2.at, e2.perColumn);
    __m512i plane = Lanes(planeAt, planePerColumn);
    const __m512i down0 = _mm512_set1_epi32(static_cast<std::int32_t>(e0.perRow));
    const __m512i down1 = _mm512_set1_epi32(static_cast<std::int32_t>(e1.perRow));
    const __m512i down2 = _mm512_set1_epi32(static_cast<std::int32_t>(e2.perRow));
    const __m512i planeDown = _mm512_set1_epi32(static_cast<std::int32_t>(planePerRow));
    const __m512i scale = _mm512_set1_epi32(static_cast<std::int32_t>(d));
    const auto box = static_cast<__mmask16>(_bzhi_u32(0xFFFFu, static_cast<unsigned>(right - left + 1)));

    __m512i best = _mm512_setzero_si512();
    const std::uint16_t* row = field.sums + field.indexOf(left, top);
    for (int r = top; r <= bottom; ++r, row += field.width) {
        const __m512i outermost = _mm512_max_epi32(w0, _mm512_max_epi32(w1, w2));
        const __mmask16 inside = box & _mm512_cmple_epi32_mask(outermost, _mm512_setzero_si512());
        const __m512i sums = _mm512_cvtepu16_epi32(_mm256_maskz_loadu_epi16(inside, row));
        const __m512i deviation = _mm512_abs_epi32(_mm512_sub_epi32(_mm512_mullo_epi32(sums, scale), plane));
        result.pixelCount += __builtin_popcount(inside);
        const __mmask16 worse = _mm512_mask_cmpgt_epi32_mask(inside, deviation, best);
        if (worse != 0) {
            const int rowWorst = _mm512_mask_reduce_max_epi32(inside, deviation);
            best = _mm512_set1_epi32(rowWorst);
            const __mmask16 at = _mm512_mask_cmpeq_epi32_mask(inside, deviation, best);
            result.worstDeviation = rowWorst;
            result.worst = {left + __builtin_ctz(at), r};
            if (rowWorst > stopAbove)
                break;
        }
        w0 = _mm512_add_epi32(w0, down0);
        w1 = _mm512_add_epi32(w1, down1);
        w2 = _mm512_add_epi32(w2, down2);
        plane = _mm512_add_epi32(plane, planeDown);
    }
    return result;
}

#endif

} // namespace

bool ScanSmallTriangle(const HeightField& field, LatticePoint a, LatticePoint b, LatticePoint c, long long stopAbove,
                       TriangleScanResult& result)
{
#if defined(__x86_64__)
    static const bool available = BestSpanScanLevel() == SpanScanLevel::Avx512;
    if (!available || std::max({a.c, b.c, c.c}) - std::min({a.c, b.c, c.c}) >= 16)
        return false;
    result = ScanBox(field, a, b, c, stopAbove);
    return true;
#else
    (void)field, (void)a, (void)b, (void)c, (void)stopAbove, (void)result;
    return false;
#endif
}

