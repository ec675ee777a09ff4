#include "export/SpanScan.h"

#include <algorithm>
#include <cstdlib>

#include "export/VectorIntrinsics.h"

namespace {

// Spans lie a field width apart, too far for the hardware to guess the next: each loop
// asks for the span this many ahead while it works on one.
constexpr int kSpansAhead = 4;

void Prefetch(const SpanScanInput& in, int i)
{
    if (i + kSpansAhead < in.spanCount) {
        const Span& ahead = in.spans[i + kSpansAhead];
        __builtin_prefetch(in.sums + ahead.start);
        __builtin_prefetch(in.sums + ahead.start + ahead.count - 1);
    }
}

long long SpanWorstPortable(const SpanScanInput& in, const Span& span)
{
    const std::uint16_t* s = in.sums + span.start;
    long long worst = 0, plane = span.planeAt;
    for (int k = 0; k < span.count; ++k, plane += in.step)
        worst = std::max(worst, std::abs(in.d * s[k] - plane));
    return worst;
}

SpanScanResult ScanSpansPortable(const SpanScanInput& in)
{
    SpanScanResult result;
    for (int i = 0; i < in.spanCount; ++i) {
        Prefetch(in, i);
        const long long worst = SpanWorstPortable(in, in.spans[i]);
        if (worst > result.worst) {
            result = {worst, i};
            if (worst > in.stopAbove)
                break;
        }
    }
    return result;
}

#if defined(__x86_64__)

// Whether a block of `width` sums from index start stays inside the field.
bool BlockFits(const SpanScanInput& in, std::size_t start, int width)
{
    return start + static_cast<std::size_t>(width) <= in.pixelCount;
}

// ---- AVX-512: 16 pixels a step in 32-bit lanes, 8 in doubles; the last, partial step
// loads through a mask, which never touches memory past the span.

#define RF_AVX512 [[gnu::target("avx512f,avx512bw,avx512vl,avx512dq,bmi2")]]

RF_AVX512 SpanScanResult NarrowAvx512(const SpanScanInput& in)
{
    const __m512i d = _mm512_set1_epi32(static_cast<std::int32_t>(in.d));
    const __m512i lane = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m512i laneRise = _mm512_mullo_epi32(lane, _mm512_set1_epi32(static_cast<std::int32_t>(in.step)));
    const __m512i stride = _mm512_set1_epi32(static_cast<std::int32_t>(static_cast<std::uint32_t>(in.step) * 16u));
    SpanScanResult result;
    __m512i best = _mm512_setzero_si512();
    for (int i = 0; i < in.spanCount; ++i) {
        Prefetch(in, i);
        const Span& span = in.spans[i];
        const std::uint16_t* s = in.sums + span.start;
        __m512i plane = _mm512_add_epi32(_mm512_set1_epi32(static_cast<std::int32_t>(span.planeAt)), laneRise);
        __m512i worst = _mm512_setzero_si512();
        int k = 0;
        for (; k + 16 <= span.count; k += 16) {
            const __m512i sums = _mm512_cvtepu16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + k)));
            worst = _mm512_max_epi32(worst, _mm512_abs_epi32(_mm512_sub_epi32(_mm512_mullo_epi32(sums, d), plane)));
            plane = _mm512_add_epi32(plane, stride);
        }
        if (k < span.count) {
            const auto mask = static_cast<__mmask16>(_bzhi_u32(0xFFFFu, static_cast<unsigned>(span.count - k)));
            const __m512i sums = _mm512_cvtepu16_epi32(_mm256_maskz_loadu_epi16(mask, s + k));
            const __m512i size = _mm512_abs_epi32(_mm512_sub_epi32(_mm512_mullo_epi32(sums, d), plane));
            worst = _mm512_mask_max_epi32(worst, mask, worst, size);
        }
        if (_mm512_cmpgt_epi32_mask(worst, best) != 0) {
            const int spanWorst = _mm512_reduce_max_epi32(worst);
            best = _mm512_set1_epi32(spanWorst);
            result = {spanWorst, i};
            if (spanWorst > in.stopAbove)
                break;
        }
    }
    return result;
}

RF_AVX512 SpanScanResult WideAvx512(const SpanScanInput& in)
{
    const __m512d d = _mm512_set1_pd(static_cast<double>(in.d));
    const __m512d lane = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7);
    const __m512d laneRise = _mm512_mul_pd(lane, _mm512_set1_pd(static_cast<double>(in.step)));
    const __m512d stride = _mm512_set1_pd(8.0 * static_cast<double>(in.step));
    SpanScanResult result;
    __m512d best = _mm512_setzero_pd();
    for (int i = 0; i < in.spanCount; ++i) {
        Prefetch(in, i);
        const Span& span = in.spans[i];
        const std::uint16_t* s = in.sums + span.start;
        __m512d plane = _mm512_add_pd(_mm512_set1_pd(static_cast<double>(span.planeAt)), laneRise);
        __m512d worst = _mm512_setzero_pd();
        int k = 0;
        for (; k + 8 <= span.count; k += 8) {
            const __m512d sums = _mm512_cvtepi32_pd(_mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k))));
            worst = _mm512_max_pd(worst, _mm512_abs_pd(_mm512_sub_pd(_mm512_mul_pd(sums, d), plane)));
            plane = _mm512_add_pd(plane, stride);
        }
        if (k < span.count) {
            const auto mask = static_cast<__mmask8>(_bzhi_u32(0xFFu, static_cast<unsigned>(span.count - k)));
            const __m512d sums = _mm512_cvtepi32_pd(_mm256_cvtepu16_epi32(_mm_maskz_loadu_epi16(mask, s + k)));
            const __m512d size = _mm512_abs_pd(_mm512_sub_pd(_mm512_mul_pd(sums, d), plane));
            worst = _mm512_mask_max_pd(worst, mask, worst, size);
        }
        if (_mm512_cmp_pd_mask(worst, best, _CMP_GT_OQ) != 0) {
            const double spanWorst = _mm512_reduce_max_pd(worst);
            best = _mm512_set1_pd(spanWorst);
            result = {static_cast<long long>(spanWorst), i};
            if (result.worst > in.stopAbove)
                break;
        }
    }
    return result;
}

// ---- AVX2: 8 pixels a step in 32-bit lanes, 4 in doubles. The last, partial step reads
// a whole block when that stays inside the field and leaves the extra lanes out; at the
// very end of the field it goes pixel by pixel.

#define RF_AVX2 [[gnu::target("avx2")]]

RF_AVX2 int HorizontalMax(__m256i v)
{
    __m128i m = _mm_max_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    m = _mm_max_epi32(m, _mm_shuffle_epi32(m, 0x4E));
    m = _mm_max_epi32(m, _mm_shuffle_epi32(m, 0xB1));
    return _mm_cvtsi128_si32(m);
}

RF_AVX2 double HorizontalMax(__m256d v)
{
    __m128d m = _mm_max_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
    m = _mm_max_pd(m, _mm_unpackhi_pd(m, m));
    return _mm_cvtsd_f64(m);
}

RF_AVX2 SpanScanResult NarrowAvx2(const SpanScanInput& in)
{
    const __m256i d = _mm256_set1_epi32(static_cast<std::int32_t>(in.d));
    const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i laneRise = _mm256_mullo_epi32(lane, _mm256_set1_epi32(static_cast<std::int32_t>(in.step)));
    const __m256i stride = _mm256_set1_epi32(static_cast<std::int32_t>(static_cast<std::uint32_t>(in.step) * 8u));
    SpanScanResult result;
    __m256i best = _mm256_setzero_si256();
    for (int i = 0; i < in.spanCount; ++i) {
        Prefetch(in, i);
        const Span& span = in.spans[i];
        const std::uint16_t* s = in.sums + span.start;
        __m256i plane = _mm256_add_epi32(_mm256_set1_epi32(static_cast<std::int32_t>(span.planeAt)), laneRise);
        __m256i worst = _mm256_setzero_si256();
        int k = 0;
        for (; k + 8 <= span.count; k += 8) {
            const __m256i sums = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k)));
            worst = _mm256_max_epi32(worst, _mm256_abs_epi32(_mm256_sub_epi32(_mm256_mullo_epi32(sums, d), plane)));
            plane = _mm256_add_epi32(plane, stride);
        }
        if (k < span.count) {
            if (BlockFits(in, span.start + static_cast<std::size_t>(k), 8)) {
                const __m256i sums = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k)));
                const __m256i size = _mm256_abs_epi32(_mm256_sub_epi32(_mm256_mullo_epi32(sums, d), plane));
                const __m256i inside = _mm256_cmpgt_epi32(_mm256_set1_epi32(span.count - k), lane);
                worst = _mm256_max_epi32(worst, _mm256_and_si256(size, inside));
            } else {
                const Span rest{span.start + static_cast<std::size_t>(k), span.planeAt + k * in.step, span.count - k};
                worst = _mm256_max_epi32(worst, _mm256_set1_epi32(static_cast<std::int32_t>(SpanWorstPortable(in, rest))));
            }
        }
        if (_mm256_movemask_epi8(_mm256_cmpgt_epi32(worst, best)) != 0) {
            const int spanWorst = HorizontalMax(worst);
            best = _mm256_set1_epi32(spanWorst);
            result = {spanWorst, i};
            if (spanWorst > in.stopAbove)
                break;
        }
    }
    return result;
}

// Four sums from p as doubles.
RF_AVX2 __m256d FourSums(const std::uint16_t* p)
{
    return _mm256_cvtepi32_pd(_mm_cvtepu16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}

RF_AVX2 SpanScanResult WideAvx2(const SpanScanInput& in)
{
    const __m256d d = _mm256_set1_pd(static_cast<double>(in.d));
    const __m256d lane = _mm256_setr_pd(0, 1, 2, 3);
    const __m256d laneRise = _mm256_mul_pd(lane, _mm256_set1_pd(static_cast<double>(in.step)));
    const __m256d stride = _mm256_set1_pd(4.0 * static_cast<double>(in.step));
    const __m256d signBit = _mm256_set1_pd(-0.0);
    SpanScanResult result;
    __m256d best = _mm256_setzero_pd();
    for (int i = 0; i < in.spanCount; ++i) {
        Prefetch(in, i);
        const Span& span = in.spans[i];
        const std::uint16_t* s = in.sums + span.start;
        __m256d plane = _mm256_add_pd(_mm256_set1_pd(static_cast<double>(span.planeAt)), laneRise);
        __m256d worst = _mm256_setzero_pd();
        int k = 0;
        for (; k + 4 <= span.count; k += 4) {
            const __m256d e = _mm256_sub_pd(_mm256_mul_pd(FourSums(s + k), d), plane);
            worst = _mm256_max_pd(worst, _mm256_andnot_pd(signBit, e));
            plane = _mm256_add_pd(plane, stride);
        }
        if (k < span.count) {
            if (BlockFits(in, span.start + static_cast<std::size_t>(k), 4)) {
                const __m256d e = _mm256_sub_pd(_mm256_mul_pd(FourSums(s + k), d), plane);
                const __m256d inside = _mm256_cmp_pd(lane, _mm256_set1_pd(span.count - k), _CMP_LT_OQ);
                worst = _mm256_max_pd(worst, _mm256_and_pd(_mm256_andnot_pd(signBit, e), inside));
            } else {
                const Span rest{span.start + static_cast<std::size_t>(k), span.planeAt + k * in.step, span.count - k};
                worst = _mm256_max_pd(worst, _mm256_set1_pd(static_cast<double>(SpanWorstPortable(in, rest))));
            }
        }
        if (_mm256_movemask_pd(_mm256_cmp_pd(worst, best, _CMP_GT_OQ)) != 0) {
            const double spanWorst = HorizontalMax(worst);
            best = _mm256_set1_pd(spanWorst);
            result = {static_cast<long long>(spanWorst), i};
            if (result.worst > in.stopAbove)
                break;
        }
    }
    return result;
}

#endif

} // namespace

SpanScanLevel BestSpanScanLevel()
{
#if defined(__x86_64__)
    static const SpanScanLevel level = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
            __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("bmi2"))
            return SpanScanLevel::Avx512;
        if (__builtin_cpu_supports("avx2"))
            return SpanScanLevel::Avx2;
        return SpanScanLevel::Portable;
    }();
    return level;
#else
    return SpanScanLevel::Portable;
#endif
}

SpanScanResult ScanSpansNarrow(const SpanScanInput& input, SpanScanLevel level)
{
#if defined(__x86_64__)
    if (level == SpanScanLevel::Avx512)
        return NarrowAvx512(input);
    if (level == SpanScanLevel::Avx2)
        return NarrowAvx2(input);
#endif
    return ScanSpansPortable(input);
}

SpanScanResult ScanSpansWide(const SpanScanInput& input, SpanScanLevel level)
{
#if defined(__x86_64__)
    if (level == SpanScanLevel::Avx512)
        return WideAvx512(input);
    if (level == SpanScanLevel::Avx2)
        return WideAvx2(input);
#endif
    return ScanSpansPortable(input);
}

