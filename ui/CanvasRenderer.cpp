#include "ui/CanvasRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kWeightBits = 12;  // taps' weights sum to 4096 along each axis
constexpr std::uint32_t kOpaqueRgb32 = 0xFF000000u;

// The picture's words are 0xFFBBGGRR; the frame's and the levels' 0x..RRGGBB.
inline std::uint32_t SwapRedBlue(std::uint32_t v)
{
    return ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}

inline std::uint32_t Load3(const std::uint8_t* at)
{
    // Levels keep slack after their last pixel for this four-byte load.
    std::uint32_t v;
    std::memcpy(&v, at, 4);
    return v & 0x00FFFFFFu;
}

// A view pixel's level pixels as words: the picture's are 0xFFBBGGRR, a level's 0x..RRGGBB
// (its top byte belongs to the next pixel and carries no weight).
struct PictureRow {
    const std::uint32_t* pixels;
    std::uint32_t word(int x) const { return pixels[x]; }
};

struct LevelRow {
    const std::uint8_t* pixels;
    std::uint32_t word(int x) const
    {
        std::uint32_t v;
        std::memcpy(&v, pixels + 3 * static_cast<std::size_t>(x), 4);
        return v;
    }
};

// Filtered rows hold four 16-bit lanes a view column, in the level's byte order: the
// weighted sum over 32, so 4096 / 32 = 128 times the mean, which a signed lane holds.
constexpr int kFilteredShift = 5;
constexpr int kLanes = 4;
// A ring of four filtered level rows: a view row needs at most three consecutive ones,
// and the next view row none before them.
constexpr int kRing = 4;

// One level row filtered across to the view's columns.
template <class Row>
void FilterAcross(const Row& row, const std::vector<CanvasRenderer::Taps>& taps, std::uint16_t* out)
{
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(1 << (kFilteredShift - 1));
    for (const CanvasRenderer::Taps& t : taps) {
        // The first two taps side by side in each lane pair, so one multiply-add takes both.
        const __m128i first = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(row.word(t.pixel[0]))), zero);
        const __m128i second = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(row.word(t.pixel[1]))), zero);
        const __m128i third = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(row.word(t.pixel[2]))), zero);
        __m128i sum = _mm_madd_epi16(_mm_unpacklo_epi16(first, second),
                                     _mm_set1_epi32(static_cast<int>(t.weight[0] | (t.weight[1] << 16))));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi16(third, zero),
                                                _mm_set1_epi32(static_cast<int>(t.weight[2]))));
        sum = _mm_srli_epi32(_mm_add_epi32(sum, round), kFilteredShift);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packs_epi32(sum, sum));
        out += kLanes;
    }
#else
    for (const CanvasRenderer::Taps& t : taps) {
        std::uint32_t sums[kLanes] = {};
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t v = row.word(t.pixel[k]);
            for (int lane = 0; lane < kLanes; ++lane)
                sums[lane] += t.weight[k] * ((v >> (8 * lane)) & 0xFFu);
        }
        for (int lane = 0; lane < kLanes; ++lane)
            out[lane] = static_cast<std::uint16_t>((sums[lane] + (1u << (kFilteredShift - 1))) >> kFilteredShift);
        out += kLanes;
    }
#endif
}

// Filtered rows weighted down into view pixels; redFirst: the lanes are red, green, blue.
void FilterDown(const std::uint16_t* const (&rows)[3], const std::uint32_t (&weights)[3], std::size_t columns,
                bool redFirst, std::uint32_t* out)
{
    constexpr int kShift = 2 * kWeightBits - kFilteredShift;  // both weights out: the mean
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(1 << (kShift - 1));
    const __m128i firstTwo = _mm_set1_epi32(static_cast<int>(weights[0] | (weights[1] << 16)));
    const __m128i third = _mm_set1_epi32(static_cast<int>(weights[2]));
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaqueRgb32));
    auto pixels = [&](std::size_t i) {  // view columns i and i + 1, as eight 16-bit lanes
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[0] + kLanes * i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[1] + kLanes * i));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2] + kLanes * i));
        __m128i left = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), firstTwo),
                                     _mm_madd_epi16(_mm_unpacklo_epi16(c, zero), third));
        __m128i right = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), firstTwo),
                                      _mm_madd_epi16(_mm_unpackhi_epi16(c, zero), third));
        left = _mm_srli_epi32(_mm_add_epi32(left, round), kShift);
        right = _mm_srli_epi32(_mm_add_epi32(right, round), kShift);
        __m128i lanes = _mm_packs_epi32(left, right);
        if (redFirst) {
            lanes = _mm_shufflelo_epi16(lanes, _MM_SHUFFLE(3, 0, 1, 2));
            lanes = _mm_shufflehi_epi16(lanes, _MM_SHUFFLE(3, 0, 1, 2));
        }
        return _mm_or_si128(_mm_packus_epi16(lanes, lanes), opaque);
    };
    std::size_t i = 0;
    // Rows carry one spare column, so the last odd column is read in a pair too.
    for (; i + 2 <= columns; i += 2)
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), pixels(i));
    if (i < columns)
        out[i] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(pixels(i)));
#else
    for (std::size_t i = 0; i < columns; ++i) {
        std::uint32_t lanes[3];
        for (int lane = 0; lane < 3; ++lane)
            lanes[lane] = (weights[0] * rows[0][kLanes * i + lane] + weights[1] * rows[1][kLanes * i + lane] +
                           weights[2] * rows[2][kLanes * i + lane] + (1u << (kShift - 1))) >> kShift;
        out[i] = kOpaqueRgb32 | (redFirst ? (lanes[0] << 16) | (lanes[1] << 8) | lanes[2]
                                          : (lanes[2] << 16) | (lanes[1] << 8) | lanes[0]);
    }
#endif
}

}  // namespace

int CanvasRenderer::LevelFor(double zoom)
{
    int level = 0;
    while (level < PicturePyramid::kLevels && std::ldexp(zoom, level + 1) <= 1.0)
        ++level;
    return level;
}

void BoxTaps(int from, int to, int scroll, double zoom, int level, int extent, std::vector<CanvasRenderer::Taps>& taps)
{
    taps.assign(static_cast<std::size_t>(std::max(0, to - from)), {});
    if (extent <= 0)
        return;
    const double end = std::ldexp(double(extent), -level);  // the picture's far edge in level pixels
    const int lastPixel = static_cast<int>(std::ceil(end)) - 1;
    for (int v = from; v < to; ++v) {
        // The same division as PictureCoordinate, so the areas meet where the mouse says.
        const double a = std::clamp(std::ldexp((static_cast<double>(v) + scroll) / zoom, -level), 0.0, end);
        const double b = std::clamp(std::ldexp((static_cast<double>(v) + scroll + 1) / zoom, -level), 0.0, end);
        CanvasRenderer::Taps& t = taps[static_cast<std::size_t>(v - from)];
        t.first = std::clamp(static_cast<int>(std::floor(a)), 0, lastPixel);
        t.pixel[0] = t.pixel[1] = t.pixel[2] = t.first;
        if (!(b > a)) {  // wholly off the picture: its nearest pixel
            t.count = 1;
            t.weight[0] = 1u << kWeightBits;
            continue;
        }
        const int last = std::min({static_cast<int>(std::ceil(b)) - 1, lastPixel, t.first + 2});
        t.count = last - t.first + 1;
        // Cumulative weights rounded, so that they sum to exactly 4096.
        int given = 0;
        for (int k = 0; k < t.count; ++k) {
            const double upTo = k == t.count - 1 ? b : std::min(b, t.first + k + 1.0);
            const int sum = static_cast<int>(std::lround(std::ldexp((upTo - a) / (b - a), kWeightBits)));
            t.pixel[k] = t.first + k;
            t.weight[k] = static_cast<std::uint32_t>(sum - given);
            given = sum;
        }
    }
}

void CanvasRenderer::reset(const Picture& picture)
{
    pyramid_.reset(picture.width, picture.height);
}

void CanvasRenderer::invalidate(const Rect& changed)
{
    pyramid_.invalidate(changed);
}

bool CanvasRenderer::refine(const Picture& picture, int tiles)
{
    if (picture.width != pyramid_.width() || picture.height != pyramid_.height())
        reset(picture);
    try {
        return pyramid_.refine(picture, tiles);
    } catch (const std::bad_alloc&) {
        lackedMemory_ = true;
        return false;
    }
}

bool CanvasRenderer::takeLackOfMemory()
{
    return std::exchange(lackedMemory_, false);
}

const QImage& CanvasRenderer::render(const Picture& picture, const ViewMapping& mapping, const QRect& area)
{
    const std::size_t stride = static_cast<std::size_t>(std::max(area.width(), 0));
    band_.resize(std::max(band_.size(), stride * static_cast<std::size_t>(std::max(area.height(), 0))));
    image_ = QImage(reinterpret_cast<uchar*>(band_.data()), std::max(area.width(), 0), std::max(area.height(), 0),
                    static_cast<qsizetype>(stride * 4), QImage::Format_RGB32);
    if (area.isEmpty())
        return image_;
    // Black where the area has none of the picture: not asked for by the view.
    std::fill_n(band_.data(), stride * static_cast<std::size_t>(area.height()), kOpaqueRgb32);
    if (picture.width != pyramid_.width() || picture.height != pyramid_.height())
        reset(picture);
    const QRect shown(-mapping.scrollX, -mapping.scrollY, ZoomedExtent(picture.width, mapping.zoom),
                      ZoomedExtent(picture.height, mapping.zoom));
    const QRect target = area & shown;
    if (target.isEmpty() || picture.kind != PictureKind::Bitmap || picture.pixelsUnusable)
        return image_;
    const Band band{band_.data(), stride, area.topLeft()};
    const int level = LevelFor(mapping.zoom);
    if (level == 0 && mapping.zoom >= 1.0) {
        drawNearest(picture, mapping, target, band);
        return image_;
    }
    try {
        pyramid_.update(picture, level);
    } catch (const std::bad_alloc&) {
        lackedMemory_ = true;
    }
    if (level > 0 && !pyramid_.level(level).data)
        return image_;  // no memory for the level: black
    if (level > 0 && std::ldexp(mapping.zoom, level) == 1.0)
        drawLevel(level, mapping, target, band);
    else
        drawBox(picture, level, mapping, target, band);
    return image_;
}

void CanvasRenderer::drawNearest(const Picture& picture, const ViewMapping& mapping, const QRect& area,
                                 const Band& band)
{
    const int width = area.width();
    columns_.resize(static_cast<std::size_t>(width));
    for (int i = 0; i < width; ++i)
        columns_[static_cast<std::size_t>(i)] =
            std::clamp(PictureCoordinate(area.left() + i, mapping.scrollX, mapping.zoom), 0, picture.width - 1);
    const bool actualPixels = mapping.zoom == 1.0;
    int previousRow = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        std::uint32_t* out = band.at(area.left(), y);
        const int row = std::clamp(PictureCoordinate(y, mapping.scrollY, mapping.zoom), 0, picture.height - 1);
        if (row == previousRow) {  // a taller square's next row: the same pixels
            std::memcpy(out, band.at(area.left(), y - 1), static_cast<std::size_t>(width) * 4);
            continue;
        }
        previousRow = row;
        const std::uint32_t* source = picture.pixels.data() + static_cast<std::size_t>(row) * picture.width;
        if (actualPixels) {
            source += columns_[0];
            for (int i = 0; i < width; ++i)
                out[i] = kOpaqueRgb32 | SwapRedBlue(source[i]);
        } else {
            for (int i = 0; i < width; ++i)
                out[i] = kOpaqueRgb32 | SwapRedBlue(source[columns_[static_cast<std::size_t>(i)]]);
        }
    }
}

void CanvasRenderer::drawLevel(int k, const ViewMapping& mapping, const QRect& area, const Band& band)
{
    const PicturePyramid::Level level = pyramid_.level(k);
    const int x0 = std::clamp(area.left() + mapping.scrollX, 0, level.width);
    const int x1 = std::clamp(area.right() + 1 + mapping.scrollX, 0, level.width);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const int row = std::clamp(y + mapping.scrollY, 0, level.height - 1);
        const std::uint8_t* source = level.data + static_cast<std::size_t>(row) * level.stride;
        std::uint32_t* out = band.at(x0 - mapping.scrollX, y);
        for (int x = x0; x < x1; ++x)
            *out++ = kOpaqueRgb32 | Load3(source + 3 * static_cast<std::size_t>(x));
    }
}

void CanvasRenderer::drawBox(const Picture& picture, int k, const ViewMapping& mapping, const QRect& area,
                             const Band& band)
{
    BoxTaps(area.left(), area.right() + 1, mapping.scrollX, mapping.zoom, k, picture.width, columnTaps_);
    BoxTaps(area.top(), area.bottom() + 1, mapping.scrollY, mapping.zoom, k, picture.height, rowTaps_);
    // A spare column, so that pixels are weighted down two at a time.
    columnTaps_.push_back(columnTaps_.back());
    filteredRows_.resize(kRing * kLanes * columnTaps_.size());
    const std::size_t width = static_cast<std::size_t>(area.width());
    const std::size_t rowLength = kLanes * columnTaps_.size();
    int held[kRing] = {-1, -1, -1, -1};
    const PicturePyramid::Level level = k > 0 ? pyramid_.level(k) : PicturePyramid::Level{};
    auto filtered = [&](int row) -> const std::uint16_t* {
        const int slot = row & (kRing - 1);
        std::uint16_t* out = filteredRows_.data() + static_cast<std::size_t>(slot) * rowLength;
        if (held[slot] != row) {
            held[slot] = row;
            if (k == 0)
                FilterAcross(PictureRow{picture.pixels.data() + static_cast<std::size_t>(row) * picture.width},
                             columnTaps_, out);
            else
                FilterAcross(LevelRow{level.data + static_cast<std::size_t>(row) * level.stride}, columnTaps_, out);
        }
        return out;
    };
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const Taps& t = rowTaps_[static_cast<std::size_t>(y - area.top())];
        const std::uint16_t* rows[3];
        for (int j = 0; j < 3; ++j)
            rows[j] = filtered(t.pixel[j]);
        FilterDown(rows, t.weight, width, k == 0, band.at(area.left(), y));
    }
}

std::size_t CanvasRenderer::bytes() const
{
    return pyramid_.bytes() + band_.capacity() * sizeof(std::uint32_t) + columns_.capacity() * sizeof(int) +
           (columnTaps_.capacity() + rowTaps_.capacity()) * sizeof(Taps) +
           filteredRows_.capacity() * sizeof(std::uint16_t);
}
