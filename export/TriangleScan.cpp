#include "export/TriangleScan.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <utility>
#include <vector>

#include "export/SmallTriangleScan.h"
#include "export/SpanScan.h"
#include "model/HeightScale.h"

namespace {

// The column of an edge at successive rows, exactly: floor and ceiling of
// from.c + (r - from.r) (to.c - from.c) / (to.r - from.r), kept as a whole quotient and a
// remainder so that a step to the next row needs no division. Starts at row from.r, or
// at from.r + 1 when skipFirst.
class EdgeWalk {
public:
    EdgeWalk(LatticePoint from, LatticePoint to, bool skipFirst) : origin_(from.c), rise_(to.r - from.r)
    {
        const int run = to.c - from.c;
        stepQuotient_ = run / rise_;
        stepRemainder_ = run % rise_;
        if (stepRemainder_ < 0) {
            stepRemainder_ += rise_;
            --stepQuotient_;
        }
        if (skipFirst) {
            quotient_ = stepQuotient_;
            remainder_ = stepRemainder_;
        }
    }

    int floorColumn() const { return origin_ + quotient_; }
    int ceilColumn() const { return origin_ + quotient_ + (remainder_ != 0); }

    // Without a branch: whether the remainder carries is as good as random.
    void step()
    {
        remainder_ += stepRemainder_;
        const int carry = remainder_ >= rise_;
        quotient_ += stepQuotient_ + carry;
        remainder_ -= carry * rise_;
    }

private:
    int origin_;
    int rise_;  // > 0
    int quotient_ = 0, remainder_ = 0;
    int stepQuotient_, stepRemainder_;
};

// The plane through the corners, scaled by D = Cross(a, b, c) so that its coefficients
// are whole: D x height(c, r) = dz + dc (c - a.c) + dr (r - a.r).
struct ScaledPlane {
    long long d, dz, dc, dr;
    LatticePoint origin;

    ScaledPlane(const HeightField& field, LatticePoint a, LatticePoint b, LatticePoint c) : origin(a)
    {
        const long long za = field.at(a.c, a.r), zb = field.at(b.c, b.r) - za, zc = field.at(c.c, c.r) - za;
        const long long bc = b.c - a.c, br = b.r - a.r, cc = c.c - a.c, cr = c.r - a.r;
        d = bc * cr - br * cc;
        dz = d * za;
        dc = zb * cr - zc * br;
        dr = bc * zc - cc * zb;
    }

    long long at(int column, int row) const { return dz + dc * (column - origin.c) + dr * (row - origin.r); }
};

// The pixel rows of the closed triangle as spans, top to bottom, empty rows left out.
// Each thread keeps one list and reuses it; spans are written without a branch on
// whether a row is empty, which thin triangles make as good as random.
struct SpanList {
    const Span* spans;
    int count;
};

SpanList TriangleSpans(const HeightField& field, const ScaledPlane& plane, LatticePoint a, LatticePoint b,
                       LatticePoint c, int rowStep)
{
    // Corners top to bottom; the long edge a-c bounds every row on one side.
    const auto above = [](LatticePoint p, LatticePoint q) { return p.r != q.r ? p.r < q.r : p.c < q.c; };
    if (above(b, a))
        std::swap(a, b);
    if (above(c, b))
        std::swap(b, c);
    if (above(b, a))
        std::swap(a, b);

    thread_local std::vector<Span> list;
    if (list.size() < static_cast<std::size_t>(c.r - a.r + 1))
        list.resize(static_cast<std::size_t>(c.r - a.r + 1));
    Span* out = list.data();
    int count = 0;
    int skip = 0;  // rows to leave out before the next taken
    const auto addSpan = [&](int row, int left, int right) {
        out[count] = {field.indexOf(left, row), plane.at(left, row), right - left + 1};
        const bool take = skip == 0;
        count += take & (left <= right);
        skip = take ? rowStep - 1 : skip - 1;
    };

    const bool middleOnRight = Cross(a, c, b) < 0;
    EdgeWalk longEdge(a, c, false);
    const auto addRow = [&](const EdgeWalk& shortEdge, int row) {
        if (middleOnRight)
            addSpan(row, longEdge.ceilColumn(), shortEdge.floorColumn());
        else
            addSpan(row, shortEdge.ceilColumn(), longEdge.floorColumn());
    };
    if (b.r > a.r) {
        EdgeWalk upper(a, b, false);
        for (int row = a.r; row <= b.r; ++row, upper.step(), longEdge.step())
            addRow(upper, row);
    } else {
        addSpan(a.r, a.c, b.c);
        longEdge.step();
    }
    if (c.r > b.r) {
        EdgeWalk lower(b, c, true);
        for (int row = b.r + 1; row <= c.r; ++row, lower.step(), longEdge.step())
            addRow(lower, row);
    }
    return {out, count};
}

} // namespace

namespace {

// The scan, stopping after the first row that goes above stopAbove (the result then holds
// some deviation above it, not necessarily the worst).
TriangleScanResult Scan(const HeightField& field, LatticePoint a, LatticePoint b, LatticePoint c, int rowStep,
                        long long stopAbove)
{
    const long long doubleArea = std::abs(Cross(a, b, c));
    if (doubleArea == 0)
        throw std::invalid_argument("triangle scan: corners on one line");
    // Within a triangle every D x sum, plane value and deviation lies within 765 |D|.
    const bool narrow = doubleArea * kMaxChannelSum < (1LL << 31);
    TriangleScanResult small;
    if (rowStep == 1 && narrow && ScanSmallTriangle(field, a, b, c, stopAbove, small))
        return small;
    const ScaledPlane plane(field, a, b, c);
    const SpanList spans = TriangleSpans(field, plane, a, b, c, rowStep);
    const SpanScanInput input{field.sums, field.pixelCount(), field.width, spans.spans,
                              spans.count, plane.d,           plane.dc,    stopAbove};
    TriangleScanResult result;
    result.doubleArea = std::abs(plane.d);
    const SpanScanResult worst = narrow ? ScanSpansNarrow(input) : ScanSpansWide(input);
    for (int i = 0; i < spans.count; ++i)
        result.pixelCount += spans.spans[i].count;
    result.worstDeviation = worst.worst;
    result.worst = a;
    if (worst.worst > 0) {
        // Ties go to the leftmost pixel of the first row that has the worst deviation.
        const Span& span = spans.spans[worst.span];
        const std::uint16_t* s = field.sums + span.start;
        int k = 0;
        while (std::abs(plane.d * s[k] - span.planeAt - k * plane.dc) != worst.worst)
            ++k;
        const auto pixel = span.start + static_cast<std::size_t>(k);
        result.worst = {static_cast<int>(pixel % static_cast<std::size_t>(field.width)),
                        static_cast<int>(pixel / static_cast<std::size_t>(field.width))};
    }
    return result;
}

} // namespace

TriangleScanResult ScanTriangle(const HeightField& field, LatticePoint a, LatticePoint b, LatticePoint c, int rowStep)
{
    return Scan(field, a, b, c, rowStep, INT64_MAX);
}

bool TriangleWithin(const HeightField& field, LatticePoint a, LatticePoint b, LatticePoint c, int thousandths)
{
    // 1000 deviation <= thousandths D  <=>  deviation <= floor(thousandths D / 1000).
    const long long limit = thousandths * std::abs(Cross(a, b, c)) / 1000;
    return Scan(field, a, b, c, 1, limit).worstDeviation <= limit;
}
