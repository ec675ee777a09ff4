#include "export/VertexRemoval.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "export/TriangleScan.h"
#include "model/HeightScale.h"

namespace {

// Vertices with more neighbours stay: rare, and their holes cost the most to fill.
constexpr int kLargestRing = 24;
// A pass after the first looks only at the neighbours of vertices the last pass took
// out; passes stop when one takes out nothing, or after this many. (On ridged terrain the
// second pass takes out a tenth as many as the first, the third a tenth of that.)
constexpr int kMostPasses = 2;
// The fixed cost of looking at one vertex, in pixels, for progress.
constexpr std::int64_t kVertexWork = 64;

class VertexRemover {
public:
    VertexRemover(const HeightField& field, int thousandths, TriangleMesh& mesh, ProgressMeter& meter)
        : field_(field), thousandths_(thousandths), mesh_(mesh), meter_(meter)
    {
        outgoing_.assign(mesh.points.size(), -1);
        for (std::size_t e = 0; e < mesh.corners.size(); ++e)
            outgoing_[static_cast<std::size_t>(mesh.corners[e])] = static_cast<std::int32_t>(e);
        recheck_.assign(mesh.points.size(), 1);
        orderSpatially();
    }

    void run()
    {
        for (int pass = 0; pass < kMostPasses; ++pass) {
            bool removedAny = false;
            for (std::size_t k = 0; k < order_.size(); ++k) {
                const std::size_t v = static_cast<std::size_t>(order_[k]);
                if (!recheck_[v])
                    continue;
                recheck_[v] = 0;
                removedAny |= tryRemove(static_cast<std::int32_t>(v));
                meter_.addWork(kVertexWork + pixels_, [&] { return (pass + static_cast<double>(k) / order_.size()) / kMostPasses; });
                pixels_ = 0;
            }
            if (!removedAny)
                break;
        }
        compact();
    }

private:
    // Vertices in the order of a Z-curve through the picture, so that the pixels and
    // neighbours one vertex needs are mostly still in the cache for the next.
    void orderSpatially()
    {
        std::vector<std::pair<std::uint64_t, std::int32_t>> keyed(mesh_.points.size());
        for (std::size_t v = 0; v < keyed.size(); ++v)
            keyed[v] = {ZOrder(mesh_.points[v]), static_cast<std::int32_t>(v)};
        std::sort(keyed.begin(), keyed.end());
        order_.resize(keyed.size());
        for (std::size_t k = 0; k < keyed.size(); ++k)
            order_[k] = keyed[k].second;
    }

    static std::uint64_t ZOrder(PackedPoint p)
    {
        std::uint64_t key = 0;
        for (int bit = 0; bit < 16; ++bit)
            key |= static_cast<std::uint64_t>((p.c >> bit) & 1) << (2 * bit) | static_cast<std::uint64_t>((p.r >> bit) & 1) << (2 * bit + 1);
        return key;
    }

    enum class EarState : char { Unknown, Within, Outside };

    std::int32_t corner(int e) const { return mesh_.corners[static_cast<std::size_t>(e)]; }
    int twin(int e) const { return mesh_.twins[static_cast<std::size_t>(e)]; }
    LatticePoint ringAt(int i) const { return ringPoints_[static_cast<std::size_t>(i)]; }
    // Positions in the hole's polygon before and after `at`, round the end.
    int before(int at) const { return at == 0 ? polySize_ - 1 : at - 1; }
    int after(int at) const { return at + 1 == polySize_ ? 0 : at + 1; }

    bool tryRemove(std::int32_t v)
    {
        centre_ = mesh_.points[static_cast<std::size_t>(v)].unpack();
        return outgoing_[static_cast<std::size_t>(v)] >= 0 && collectRing(v) && mayFit(v) && fillHole() &&
               (commit(v), true);
    }

    // Whatever fills the hole, v's own pixel ends up under a triangle of its neighbours,
    // whose plane there lies between their lowest and highest sums: a peak or a pit
    // farther out than the error cannot go.
    bool mayFit(std::int32_t v) const
    {
        int lowest = kMaxChannelSum, highest = 0;
        for (int i = 0; i < ringSize_; ++i) {
            const LatticePoint p = ringAt(i);
            lowest = std::min(lowest, field_.at(p.c, p.r));
            highest = std::max(highest, field_.at(p.c, p.r));
        }
        const LatticePoint at = mesh_.points[static_cast<std::size_t>(v)].unpack();
        const long long sum = 1000LL * field_.at(at.c, at.r);
        return 1000LL * lowest - thousandths_ <= sum && sum <= 1000LL * highest + thousandths_;
    }

    // The neighbours of v in order, a_0 .. a_k-1, with triangle i = (v, a_i, a_i+1).
    // False for a vertex on the border or with too many neighbours.
    bool collectRing(std::int32_t v)
    {
        const int first = outgoing_[static_cast<std::size_t>(v)];
        ringSize_ = 0;
        int e = first;
        do {
            if (ringSize_ == kLargestRing)
                return false;
            const auto i = static_cast<std::size_t>(ringSize_++);
            ring_[i] = corner(NextEdge(e));
            ringPoints_[i] = mesh_.points[static_cast<std::size_t>(ring_[i])].unpack();
            outer_[i] = twin(NextEdge(e));
            slot_[i] = e / 3;
            e = twin(PreviousEdge(e));
            if (e < 0)
                return false;
        } while (e != first);
        return true;
    }

    // Whether poly_[at] is an ear of the polygon left: a corner turning the triangles'
    // way, with no other corner of the polygon inside its triangle or on its edges.
    bool isEar(int at) const
    {
        const int first = poly_[static_cast<std::size_t>(before(at))];
        const int middle = poly_[static_cast<std::size_t>(at)];
        const int last = poly_[static_cast<std::size_t>(after(at))];
        const LatticePoint a = ringAt(first), b = ringAt(middle), c = ringAt(last);
        if (Cross(a, b, c) >= 0)
            return false;
        for (int k = 0; k < polySize_; ++k) {
            const int other = poly_[static_cast<std::size_t>(k)];
            if (other == first || other == middle || other == last)
                continue;
            const LatticePoint q = ringAt(other);
            if (Cross(a, b, q) <= 0 && Cross(b, c, q) <= 0 && Cross(c, a, q) <= 0)
                return false;
        }
        return true;
    }

    bool earWithin(int before, int middle, int after)
    {
        const LatticePoint a = ringAt(before), b = ringAt(middle), c = ringAt(after);
        if (!centreFits(a, b, c))
            return false;
        pixels_ += std::abs(Cross(a, b, c)) / 2;
        return TriangleWithin(field_, a, b, c, thousandths_);
    }

    // The removed vertex's own pixel is the likeliest to fall out of an ear over it:
    // looked at first, on its own.
    bool centreFits(LatticePoint a, LatticePoint b, LatticePoint c) const
    {
        const long long d = Cross(a, b, c);  // < 0
        const long long w0 = Cross(b, c, centre_), w1 = Cross(c, a, centre_), w2 = Cross(a, b, centre_);
        if (w0 > 0 || w1 > 0 || w2 > 0)
            return true;
        const long long plane = w0 * field_.at(a.c, a.r) + w1 * field_.at(b.c, b.r) + w2 * field_.at(c.c, c.r);
        return 1000 * std::abs(d * field_.at(centre_.c, centre_.r) - plane) <= -d * static_cast<long long>(thousandths_);
    }

    // Ear clipping, each time the first ear in ring order that is within the error
    // (trying ears by least error instead took out no more vertices); false when no ear
    // is left within it.
    bool fillHole()
    {
        polySize_ = ringSize_;
        for (int i = 0; i < ringSize_; ++i) {
            poly_[static_cast<std::size_t>(i)] = i;
            ears_[static_cast<std::size_t>(i)] = EarState::Unknown;
        }
        fillCount_ = 0;
        while (polySize_ > 3) {
            int at = 0;
            while (at < polySize_ && !(isEar(at) && earFits(at)))
                ++at;
            if (at == polySize_)
                return false;
            clip(at);
        }
        if (Cross(ringAt(poly_[0]), ringAt(poly_[1]), ringAt(poly_[2])) >= 0 || !earWithin(poly_[0], poly_[1], poly_[2]))
            return false;
        fill_[static_cast<std::size_t>(fillCount_++)] = {poly_[0], poly_[1], poly_[2]};
        return true;
    }

    // Whether the ear at poly_[at] is within the error, scanned once for each pair of
    // neighbours it has.
    bool earFits(int at)
    {
        const int middle = poly_[static_cast<std::size_t>(at)];
        EarState& ear = ears_[static_cast<std::size_t>(middle)];
        if (ear == EarState::Unknown)
            ear = earWithin(poly_[static_cast<std::size_t>(before(at))], middle, poly_[static_cast<std::size_t>(after(at))])
                      ? EarState::Within
                      : EarState::Outside;
        return ear == EarState::Within;
    }

    void clip(int at)
    {
        const int previous = poly_[static_cast<std::size_t>(before(at))];
        const int next = poly_[static_cast<std::size_t>(after(at))];
        fill_[static_cast<std::size_t>(fillCount_++)] = {previous, poly_[static_cast<std::size_t>(at)], next};
        for (int k = at; k + 1 < polySize_; ++k)
            poly_[static_cast<std::size_t>(k)] = poly_[static_cast<std::size_t>(k + 1)];
        --polySize_;
        // The ears at the clipped corner's neighbours are new triangles now.
        ears_[static_cast<std::size_t>(previous)] = EarState::Unknown;
        ears_[static_cast<std::size_t>(next)] = EarState::Unknown;
    }

    // The hole's k - 2 triangles take the first k - 2 of the star's k slots; the last two
    // are left empty (corner -1) until compact().
    void commit(std::int32_t v)
    {
        for (int f = 0; f < fillCount_; ++f) {
            const int t = slot_[static_cast<std::size_t>(f)];
            for (int k = 0; k < 3; ++k)
                mesh_.corners[static_cast<std::size_t>(3 * t + k)] = ring_[static_cast<std::size_t>(fill_[static_cast<std::size_t>(f)][static_cast<std::size_t>(k)])];
        }
        for (int f = 0; f < fillCount_; ++f)
            for (int k = 0; k < 3; ++k)
                linkFilled(f, k);
        for (int f = fillCount_; f < ringSize_; ++f)
            for (int k = 0; k < 3; ++k)
                mesh_.corners[static_cast<std::size_t>(3 * slot_[static_cast<std::size_t>(f)] + k)] = -1;
        for (int f = 0; f < fillCount_; ++f)
            for (int k = 0; k < 3; ++k) {
                const int e = 3 * slot_[static_cast<std::size_t>(f)] + k;
                outgoing_[static_cast<std::size_t>(corner(e))] = e;
            }
        outgoing_[static_cast<std::size_t>(v)] = -1;
        for (int i = 0; i < ringSize_; ++i)
            recheck_[static_cast<std::size_t>(ring_[static_cast<std::size_t>(i)])] = 1;
    }

    // Half-edge k of filled triangle f: along the ring it meets the triangle outside the
    // hole, across the hole another filled triangle's half-edge the other way.
    void linkFilled(int f, int k)
    {
        const auto& triangle = fill_[static_cast<std::size_t>(f)];
        const int from = triangle[static_cast<std::size_t>(k)], to = triangle[static_cast<std::size_t>((k + 1) % 3)];
        const int e = 3 * slot_[static_cast<std::size_t>(f)] + k;
        if (to == (from + 1) % ringSize_) {
            const int outside = outer_[static_cast<std::size_t>(from)];
            mesh_.twins[static_cast<std::size_t>(e)] = outside;
            if (outside >= 0)
                mesh_.twins[static_cast<std::size_t>(outside)] = e;
            return;
        }
        for (int g = 0; g < fillCount_; ++g)
            for (int j = 0; j < 3; ++j) {
                const auto& other = fill_[static_cast<std::size_t>(g)];
                if (other[static_cast<std::size_t>(j)] == to && other[static_cast<std::size_t>((j + 1) % 3)] == from)
                    mesh_.twins[static_cast<std::size_t>(e)] = 3 * slot_[static_cast<std::size_t>(g)] + j;
            }
    }

    void compact()
    {
        std::vector<std::int32_t> pointNumber(mesh_.points.size(), -1);
        std::size_t points = 0;
        for (std::size_t p = 0; p < mesh_.points.size(); ++p)
            if (outgoing_[p] >= 0) {
                pointNumber[p] = static_cast<std::int32_t>(points);
                mesh_.points[points++] = mesh_.points[p];
            }
        mesh_.points.resize(points);
        mesh_.points.shrink_to_fit();

        std::vector<std::int32_t> triangleNumber(mesh_.triangleCount(), -1);
        std::size_t triangles = 0;
        for (std::size_t t = 0; t < triangleNumber.size(); ++t)
            if (mesh_.corners[3 * t] >= 0)
                triangleNumber[t] = static_cast<std::int32_t>(triangles++);
        for (std::size_t t = 0; t < triangleNumber.size(); ++t) {
            if (triangleNumber[t] < 0)
                continue;
            const auto to = 3 * static_cast<std::size_t>(triangleNumber[t]);
            for (std::size_t k = 0; k < 3; ++k) {
                mesh_.corners[to + k] = pointNumber[static_cast<std::size_t>(mesh_.corners[3 * t + k])];
                const int outside = mesh_.twins[3 * t + k];
                mesh_.twins[to + k] = outside < 0 ? -1 : 3 * triangleNumber[static_cast<std::size_t>(outside / 3)] + outside % 3;
            }
        }
        mesh_.corners.resize(3 * triangles);
        mesh_.twins.resize(3 * triangles);
        mesh_.corners.shrink_to_fit();
        mesh_.twins.shrink_to_fit();
    }

    const HeightField& field_;
    int thousandths_;
    TriangleMesh& mesh_;
    ProgressMeter& meter_;
    std::vector<std::int32_t> outgoing_;  // per point: a half-edge from it, -1 once removed
    std::vector<char> recheck_;           // per point: whether the next pass looks at it
    std::vector<std::int32_t> order_;     // the points in the order the passes go through them
    std::int64_t pixels_ = 0;

    LatticePoint centre_;  // the vertex being tried
    int ringSize_ = 0;
    std::array<std::int32_t, kLargestRing> ring_{};  // the neighbours' point numbers
    std::array<LatticePoint, kLargestRing> ringPoints_{};  // and where they are
    std::array<int, kLargestRing> outer_{};          // across ring edge i: the half-edge outside
    std::array<int, kLargestRing> slot_{};           // triangle (v, a_i, a_i+1)
    int polySize_ = 0;
    std::array<int, kLargestRing> poly_{};           // the hole left, as ring positions
    std::array<EarState, kLargestRing> ears_{};      // by ring position of the ear's corner
    int fillCount_ = 0;
    std::array<std::array<int, 3>, kLargestRing> fill_{};
};

} // namespace

void RemoveVertices(const HeightField& field, int maxErrorThousandths, TriangleMesh& mesh, ProgressMeter& meter)
{
    VertexRemover(field, maxErrorThousandths, mesh, meter).run();
}
