#include "export/GreedyInsertion.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "export/TriangleScan.h"

namespace {

// Marks in heapSlots_ for triangles that are not in the heap.
constexpr std::int32_t kWithin = -1;   // scanned, every pixel within the error
constexpr std::int32_t kPending = -2;  // changed since its last scan

// Whether d lies strictly inside the circle through a, b, c, which run with
// Cross(a, b, c) < 0 (Guibas and Stolfi's in-circle determinant, its sign turned for that
// winding). Exact: with coordinates below 2^14 every term stays below 2^61; wider fields
// take 128 bits.
template <class Integer>
bool InsideCircle(LatticePoint a, LatticePoint b, LatticePoint c, LatticePoint d)
{
    const Integer adx = a.c - d.c, ady = a.r - d.r;
    const Integer bdx = b.c - d.c, bdy = b.r - d.r;
    const Integer cdx = c.c - d.c, cdy = c.r - d.r;
    const Integer al = adx * adx + ady * ady, bl = bdx * bdx + bdy * bdy, cl = cdx * cdx + cdy * cdy;
    const Integer det = adx * (bdy * cl - bl * cdy) - ady * (bdx * cl - bl * cdx) + al * (bdx * cdy - bdy * cdx);
    return det < 0;
}

// Every row of a triangle up to this many pixels; past it, rows a step apart such that
// about sqrt(area x this many) pixels are looked at. (Smaller samples took no less time
// on the benchmark's terrains, larger ones more; the triangles came out the same.)
constexpr long long kFullScanArea = 4096;

int SampleRowStep(long long doubleArea)
{
    const long long area = doubleArea / 2;
    if (area <= kFullScanArea)
        return 1;
    return static_cast<int>(std::sqrt(static_cast<double>(area) / kFullScanArea));
}

} // namespace

GreedyInsertion::GreedyInsertion(const HeightField& field, int maxErrorThousandths, Area area)
    : field_(field),
      thousandths_(maxErrorThousandths),
      wideCircleTest_(std::max(field.width, field.height) > 16384),
      // Errors below a quarter of a sum count as that much: with no error allowed the
      // work ahead still has to be finite.
      workScale_(1000.0f / static_cast<float>(std::max(maxErrorThousandths, 250))),
      pixelCount_(static_cast<std::size_t>(area.right - area.left + 1) * static_cast<std::size_t>(area.bottom - area.top + 1))
{
    const std::int32_t topLeft = addPoint({area.left, area.top});
    const std::int32_t topRight = addPoint({area.right, area.top});
    const std::int32_t bottomLeft = addPoint({area.left, area.bottom});
    const std::int32_t bottomRight = addPoint({area.right, area.bottom});
    const int lower = addTriangle(), upper = addTriangle();
    setTriangle(lower, bottomRight, topLeft, bottomLeft);
    setTriangle(upper, topLeft, bottomRight, topRight);
    link(3 * lower, 3 * upper);
}

void GreedyInsertion::insertBorderPoint(LatticePoint p)
{
    const int start = static_cast<int>(triangleCount()) - 1;
    insertInto(locate(p, start), p);
}

GreedyInsertion::Outcome GreedyInsertion::refine(std::size_t triangleBudget, ProgressMeter& meter)
{
    // Room for as many triangles as there can be, up to the budget: growing in steps
    // copied everything again and again (untouched room costs no memory).
    reserve(std::min(triangleBudget, 2 * pixelCount_));
    scanPending(meter);
    startingWork_ = std::max<std::int64_t>(remainingWork_, 1);
    // The fixed cost of one insertion, in pixels: about what its bookkeeping takes.
    constexpr std::int64_t kInsertionWork = 48;
    while (!heap_.empty()) {
        if (triangleCount() + 2 > triangleBudget)
            return Outcome::OverBudget;
        // Each insertion takes a pixel that is no vertex yet (a vertex lies on the
        // surface): more points than pixels means the bookkeeping broke.
        if (mesh_.points.size() >= pixelCount_)
            throw std::logic_error("greedy insertion: more points than pixels");
        const int worst = heap_.front().triangle;
        insertInto(worst, candidates_[static_cast<std::size_t>(worst)].unpack());
        scanPending(meter);
        meter.addWork(kInsertionWork, [this] { return fractionDone(); });
    }
    return Outcome::Done;
}

void GreedyInsertion::reserve(std::size_t triangles)
{
    mesh_.points.reserve(triangles / 2 + 2);
    mesh_.corners.reserve(3 * triangles);
    mesh_.twins.reserve(3 * triangles);
    candidates_.reserve(triangles);
    heapSlots_.reserve(triangles);
    heap_.reserve(triangles);
}

double GreedyInsertion::fractionDone() const
{
    if (startingWork_ == 0)
        return 0;
    return 1.0 - static_cast<double>(remainingWork_) / static_cast<double>(startingWork_);
}

void GreedyInsertion::link(int halfEdge, int other)
{
    mesh_.twins[static_cast<std::size_t>(halfEdge)] = other;
    if (other >= 0)
        mesh_.twins[static_cast<std::size_t>(other)] = halfEdge;
}

std::int32_t GreedyInsertion::addPoint(LatticePoint p)
{
    mesh_.points.emplace_back(p);
    return static_cast<std::int32_t>(mesh_.points.size() - 1);
}

int GreedyInsertion::addTriangle()
{
    const int triangle = static_cast<int>(triangleCount());
    mesh_.corners.resize(mesh_.corners.size() + 3);
    mesh_.twins.resize(mesh_.twins.size() + 3, -1);
    candidates_.emplace_back();
    heapSlots_.push_back(kWithin);
    return triangle;
}

// Gives a triangle new corners; it leaves the heap and waits for its next scan.
void GreedyInsertion::setTriangle(int triangle, std::int32_t a, std::int32_t b, std::int32_t c)
{
    const auto t = static_cast<std::size_t>(triangle);
    mesh_.corners[3 * t] = a;
    mesh_.corners[3 * t + 1] = b;
    mesh_.corners[3 * t + 2] = c;
    if (heapSlots_[t] >= 0)
        heapRemove(triangle);
    if (heapSlots_[t] != kPending) {
        heapSlots_[t] = kPending;
        pending_.push_back(triangle);
    }
}

// p lies inside the closed triangle and is none of its corners.
void GreedyInsertion::insertInto(int triangle, LatticePoint p)
{
    for (int e = 3 * triangle; e < 3 * triangle + 3; ++e)
        if (cornerAt(e) == p)
            throw std::logic_error("greedy insertion: a vertex offered again");
    const std::int32_t point = addPoint(p);
    for (int e = 3 * triangle; e < 3 * triangle + 3; ++e)
        if (Cross(cornerAt(e), cornerAt(NextEdge(e)), p) == 0) {
            splitEdge(e, point);
            legalize();
            return;
        }
    splitTriangle(triangle, point);
    legalize();
}

// a, b, c around p: (a, b, p), (b, c, p), (c, a, p). Each new triangle has the new point
// last, so its first half-edge is the one to test for flipping.
void GreedyInsertion::splitTriangle(int triangle, std::int32_t point)
{
    const int e = 3 * triangle;
    const std::int32_t a = corner(e), b = corner(e + 1),
                       c = corner(e + 2);
    const int outsideBc = twin(e + 1), outsideCa = twin(e + 2);
    const int second = addTriangle(), third = addTriangle();
    setTriangle(triangle, a, b, point);
    setTriangle(second, b, c, point);
    setTriangle(third, c, a, point);
    const int s = 3 * second, t = 3 * third;
    link(s, outsideBc);
    link(t, outsideCa);
    link(e + 1, s + 2);
    link(s + 1, t + 2);
    link(t + 1, e + 2);
    flipStack_.insert(flipStack_.end(), {e, s, t});
}

// The point lies on half-edge a -> b of triangle (a, b, c): (c, a, p), (b, c, p) on this
// side, and (d, b, p), (a, d, p) in the triangle (b, a, d) beyond, if there is one.
void GreedyInsertion::splitEdge(int halfEdge, std::int32_t point)
{
    const int triangle = halfEdge / 3;
    const std::int32_t a = corner(halfEdge);
    const std::int32_t b = corner(NextEdge(halfEdge));
    const std::int32_t c = corner(PreviousEdge(halfEdge));
    const int outsideBc = twin(NextEdge(halfEdge)), outsideCa = twin(PreviousEdge(halfEdge));
    const int beyond = twin(halfEdge);

    const int near = addTriangle();
    const int t = 3 * triangle, n = 3 * near;
    if (beyond < 0) {
        setTriangle(triangle, c, a, point);
        setTriangle(near, b, c, point);
        link(t, outsideCa);
        link(n, outsideBc);
        link(t + 1, -1);
        link(t + 2, n + 1);
        link(n + 2, -1);
        flipStack_.insert(flipStack_.end(), {t, n});
        return;
    }

    const int other = beyond / 3;
    const std::int32_t d = corner(PreviousEdge(beyond));
    const int outsideAd = twin(NextEdge(beyond)), outsideDb = twin(PreviousEdge(beyond));
    const int far = addTriangle();
    const int o = 3 * other, f = 3 * far;
    setTriangle(triangle, c, a, point);
    setTriangle(near, b, c, point);
    setTriangle(other, d, b, point);
    setTriangle(far, a, d, point);
    link(t, outsideCa);
    link(n, outsideBc);
    link(o, outsideDb);
    link(f, outsideAd);
    link(t + 1, f + 2);
    link(t + 2, n + 1);
    link(n + 2, o + 1);
    link(o + 2, f + 1);
    flipStack_.insert(flipStack_.end(), {t, n, o, f});
}

void GreedyInsertion::legalize()
{
    while (!flipStack_.empty()) {
        const int e = flipStack_.back();
        flipStack_.pop_back();
        if (mustFlip(e)) {
            const int other = twin(e) / 3;
            flip(e);
            flipStack_.push_back(e);
            flipStack_.push_back(3 * other);
        }
    }
}

// Half-edge e runs a -> b in (a, b, p); the triangle beyond is (b, a, d).
bool GreedyInsertion::mustFlip(int e) const
{
    const int beyond = twin(e);
    if (beyond < 0)
        return false;
    const LatticePoint a = cornerAt(e), b = cornerAt(NextEdge(e)), p = cornerAt(PreviousEdge(e));
    const LatticePoint d = cornerAt(PreviousEdge(beyond));
    return wideCircleTest_ ? InsideCircle<__int128>(a, b, p, d) : InsideCircle<long long>(a, b, p, d);
}

// (a, b, p) and (b, a, d) become (a, d, p) and (d, b, p): the new point stays last, and
// the first half-edges (a -> d and d -> b) are the ones to test next. e's triangle keeps
// its number, and the one beyond keeps its own.
void GreedyInsertion::flip(int e)
{
    const int beyond = twin(e);
    const int triangle = e / 3, other = beyond / 3;
    const std::int32_t a = corner(e);
    const std::int32_t b = corner(NextEdge(e));
    const std::int32_t p = corner(PreviousEdge(e));
    const std::int32_t d = corner(PreviousEdge(beyond));
    const int outsideBp = twin(NextEdge(e)), outsidePa = twin(PreviousEdge(e));
    const int outsideAd = twin(NextEdge(beyond)), outsideDb = twin(PreviousEdge(beyond));
    setTriangle(triangle, a, d, p);
    setTriangle(other, d, b, p);
    const int t = 3 * triangle, o = 3 * other;
    link(t, outsideAd);
    link(t + 1, o + 2);
    link(t + 2, outsidePa);
    link(o, outsideDb);
    link(o + 1, outsideBp);
}

// The triangle whose closed area holds p, walking from start across every edge that has
// p strictly on its far side (a walk that ends in a Delaunay triangulation).
int GreedyInsertion::locate(LatticePoint p, int start) const
{
    int triangle = start;
    for (;;) {
        int across = -1;
        for (int e = 3 * triangle; e < 3 * triangle + 3 && across < 0; ++e)
            if (Cross(cornerAt(e), cornerAt(NextEdge(e)), p) > 0)
                across = twin(e);
        if (across < 0)
            return triangle;
        triangle = across / 3;
    }
}

void GreedyInsertion::scanPending(ProgressMeter& meter)
{
    std::int64_t pixels = 0;
    for (const std::int32_t triangle : pending_) {
        const int e = 3 * triangle;
        const LatticePoint a = cornerAt(e), b = cornerAt(e + 1), c = cornerAt(e + 2);
        // A large triangle is looked at on a sample of its rows first: any pixel found
        // outside the error will do as the next point there, and only a triangle whose
        // sample lies within needs every row (most large ones early on are far out).
        const int rowStep = SampleRowStep(std::abs(Cross(a, b, c)));
        TriangleScanResult scan = ScanTriangle(field_, a, b, c, rowStep);
        pixels += scan.pixelCount;
        if (rowStep > 1 && scan.within(thousandths_)) {
            scan = ScanTriangle(field_, a, b, c);
            pixels += scan.pixelCount;
        }
        const auto t = static_cast<std::size_t>(triangle);
        if (scan.within(thousandths_)) {
            heapSlots_[t] = kWithin;
        } else {
            candidates_[t] = PackedPoint(scan.worst);
            heapPush(triangle, static_cast<float>(scan.error()));
        }
    }
    pending_.clear();
    meter.addWork(pixels, [this] { return fractionDone(); });
}

// ---- The heap of triangles outside the error, worst first -------------------------------

std::int64_t GreedyInsertion::remainingWorkOf(int triangle, float error) const
{
    // Halving a triangle's size quarters a smooth surface's error: the work left in a
    // triangle grows with its area and the logarithm of how far it is out.
    const int e = 3 * triangle;
    const long long area = std::abs(Cross(cornerAt(e), cornerAt(e + 1), cornerAt(e + 2)));
    return static_cast<std::int64_t>(static_cast<float>(area) * std::log2(1.0f + error * workScale_));
}

void GreedyInsertion::heapPush(int triangle, float error)
{
    heap_.push_back({error, triangle});
    heapSlots_[static_cast<std::size_t>(triangle)] = static_cast<std::int32_t>(heap_.size() - 1);
    siftUp(heap_.size() - 1);
    remainingWork_ += remainingWorkOf(triangle, error);
}

void GreedyInsertion::heapRemove(int triangle)
{
    const auto slot = static_cast<std::size_t>(heapSlots_[static_cast<std::size_t>(triangle)]);
    remainingWork_ -= remainingWorkOf(triangle, heap_[slot].error);
    heapSlots_[static_cast<std::size_t>(triangle)] = kWithin;
    const std::size_t last = heap_.size() - 1;
    if (slot != last) {
        const float moved = heap_[last].error, removed = heap_[slot].error;
        heapMove(last, slot);
        heap_.pop_back();
        if (moved > removed)
            siftUp(slot);
        else
            siftDown(slot);
    } else {
        heap_.pop_back();
    }
}

void GreedyInsertion::heapMove(std::size_t from, std::size_t to)
{
    heap_[to] = heap_[from];
    heapSlots_[static_cast<std::size_t>(heap_[to].triangle)] = static_cast<std::int32_t>(to);
}

void GreedyInsertion::siftUp(std::size_t slot)
{
    const HeapEntry entry = heap_[slot];
    while (slot > 0) {
        const std::size_t parent = (slot - 1) / 2;
        if (!(heap_[parent].error < entry.error))
            break;
        heapMove(parent, slot);
        slot = parent;
    }
    heap_[slot] = entry;
    heapSlots_[static_cast<std::size_t>(entry.triangle)] = static_cast<std::int32_t>(slot);
}

void GreedyInsertion::siftDown(std::size_t slot)
{
    const HeapEntry entry = heap_[slot];
    const std::size_t size = heap_.size();
    for (;;) {
        std::size_t child = 2 * slot + 1;
        if (child >= size)
            break;
        if (child + 1 < size && heap_[child].error < heap_[child + 1].error)
            ++child;
        if (!(entry.error < heap_[child].error))
            break;
        heapMove(child, slot);
        slot = child;
    }
    heap_[slot] = entry;
    heapSlots_[static_cast<std::size_t>(entry.triangle)] = static_cast<std::int32_t>(slot);
}
