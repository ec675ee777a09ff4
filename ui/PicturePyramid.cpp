#include "ui/PicturePyramid.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <thread>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "model/LargeBuffer.h"

namespace {

constexpr std::size_t kSlack = 4;
constexpr unsigned kAllLevels = (1u << PicturePyramid::kLevels) - 1;
// Below this many tiles a second thread costs more than it saves.
constexpr std::size_t kWorthASecondThread = 16;

inline void Store3(std::uint8_t* at, std::uint32_t blue, std::uint32_t green, std::uint32_t red)
{
    at[0] = static_cast<std::uint8_t>(blue);
    at[1] = static_cast<std::uint8_t>(green);
    at[2] = static_cast<std::uint8_t>(red);
}

// A block's channel sums and how many picture pixels it holds.
struct Sum {
    std::uint32_t red = 0, green = 0, blue = 0, count = 0;
    void add(const Sum& other)
    {
        red += other.red;
        green += other.green;
        blue += other.blue;
        count += other.count;
    }
};

}  // namespace

struct PicturePyramid::Scratch {
    std::vector<Sum> sums[PicturePyramid::kLevels];
    // A whole tile's sums for levels 1 to 4 as four 16-bit lanes (red, green, blue, -):
    // a 16 x 16 block of 255s still fits.
    std::vector<std::uint16_t> wide[4];
};

PicturePyramid::PicturePyramid() : scratch_{std::make_unique<Scratch>(), std::make_unique<Scratch>()} {}

PicturePyramid::~PicturePyramid() = default;

void PicturePyramid::reset(int width, int height)
{
    const bool sameSize = width == width_ && height == height_;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    tilesX_ = (width_ + kTileSide - 1) / kTileSide;
    tilesY_ = (height_ + kTileSide - 1) / kTileSide;
    int w = width_;
    int h = height_;
    for (Stored& level : levels_) {
        w = (w + 1) / 2;
        h = (h + 1) / 2;
        level.width = w;
        level.height = h;
        if (!sameSize) {
            level.made = false;
            decltype(level.pixels)().swap(level.pixels);  // freed, not just emptied
        }
    }
    stale_.assign(static_cast<std::size_t>(tilesX_) * static_cast<std::size_t>(tilesY_), kAllLevels);
    staleTiles_ = stale_.size();
    refineFrom_ = 0;
}

void PicturePyramid::invalidate(const Rect& changed)
{
    const Rect clipped{std::max(changed.left, 0), std::max(changed.top, 0), std::min(changed.right, width_),
                       std::min(changed.bottom, height_)};
    if (clipped.isEmpty())
        return;
    for (int ty = clipped.top / kTileSide; ty <= (clipped.bottom - 1) / kTileSide; ++ty)
        for (int tx = clipped.left / kTileSide; tx <= (clipped.right - 1) / kTileSide; ++tx) {
            std::uint8_t& marks = stale_[static_cast<std::size_t>(ty) * static_cast<std::size_t>(tilesX_) +
                                         static_cast<std::size_t>(tx)];
            staleTiles_ += marks == 0;
            marks = kAllLevels;
        }
}

void PicturePyramid::clearStale(int tile, unsigned levels)
{
    std::uint8_t& marks = stale_[static_cast<std::size_t>(tile)];
    if (marks == 0)
        return;
    marks = static_cast<std::uint8_t>(marks & ~levels);
    staleTiles_ -= marks == 0;
}

void PicturePyramid::make(int k)
{
    // The coarser levels come along: together they are a third of this one. Coarsest
    // first, so that memory running out leaves as many levels as it can.
    for (int coarser = kLevels; coarser >= k; --coarser) {
        Stored& level = levels_[coarser - 1];
        if (level.made)
            continue;
        try {
            SizeLarge(level.pixels,
                      static_cast<std::size_t>(level.width) * static_cast<std::size_t>(level.height) * 3 + kSlack);
        } catch (const std::bad_alloc&) {
            decltype(level.pixels)().swap(level.pixels);
            throw;
        }
        level.made = true;
    }
}

unsigned PicturePyramid::madeLevels() const
{
    unsigned made = 0;
    for (int k = 1; k <= kLevels; ++k)
        if (levels_[k - 1].made)
            made |= 1u << (k - 1);
    return made;
}

void PicturePyramid::update(const Picture& picture, int level)
{
    if (picture.width != width_ || picture.height != height_ || picture.isEmpty() ||
        picture.kind != PictureKind::Bitmap || picture.pixelsUnusable || level < 1 || level > kLevels)
        return;
    make(level);
    const unsigned bit = 1u << (level - 1);
    std::vector<int> tiles;
    for (std::size_t t = 0; t < stale_.size(); ++t)
        if (stale_[t] & bit)
            tiles.push_back(static_cast<int>(t));
    // Every made level stale on these tiles comes up to date in the same pass. Many
    // tiles (a new picture fitted) are shared with a second thread: it halves the time
    // Fit takes after an import. A failure there comes back here.
    const unsigned levels = madeLevels();
    const std::size_t half = tiles.size() >= kWorthASecondThread ? tiles.size() / 2 : tiles.size();
    std::vector<std::uint8_t> done(tiles.size(), 0);
    auto compute = [&](std::size_t from, std::size_t to, Scratch& scratch) {
        for (std::size_t i = from; i < to; ++i) {
            computeTile(picture, tiles[i], stale_[static_cast<std::size_t>(tiles[i])] & levels, scratch);
            done[i] = 1;
        }
    };
    std::exception_ptr failure;
    std::thread second;
    if (half < tiles.size())
        second = std::thread([&] {
            try {
                compute(half, tiles.size(), *scratch_[1]);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    std::exception_ptr first;
    try {
        compute(0, half, *scratch_[0]);
    } catch (...) {
        first = std::current_exception();
    }
    if (second.joinable())
        second.join();
    // Only the tiles done lose their marks, also when memory ran out on the way.
    for (std::size_t i = 0; i < tiles.size(); ++i)
        if (done[i])
            clearStale(tiles[i], levels);
    if (first || failure)
        std::rethrow_exception(first ? first : failure);
}

bool PicturePyramid::refine(const Picture& picture, int tiles)
{
    if (staleTiles_ == 0 || picture.width != width_ || picture.height != height_ || picture.isEmpty() ||
        picture.kind != PictureKind::Bitmap || picture.pixelsUnusable)
        return false;
    make(1);
    for (std::size_t looked = 0; looked < stale_.size() && tiles > 0 && staleTiles_ > 0; ++looked) {
        const std::size_t t = refineFrom_;
        refineFrom_ = (refineFrom_ + 1) % stale_.size();
        if (stale_[t] == 0)
            continue;
        computeTile(picture, static_cast<int>(t), stale_[t], *scratch_[0]);
        clearStale(static_cast<int>(t), kAllLevels);
        --tiles;
    }
    return staleTiles_ > 0;
}

namespace {

// Writes the rounded means of a tile's block sums into level k, the tile's first level
// pixel being (left, top) of it.
void WriteMeans(const std::vector<Sum>& sums, int columns, int rows, std::uint8_t* level, std::size_t stride,
                int left, int top)
{
    for (int j = 0; j < rows; ++j) {
        std::uint8_t* out = level + static_cast<std::size_t>(top + j) * stride + 3 * static_cast<std::size_t>(left);
        const Sum* s = sums.data() + static_cast<std::size_t>(j) * static_cast<std::size_t>(columns);
        for (int i = 0; i < columns; ++i, ++s, out += 3) {
            const std::uint32_t half = s->count / 2;
            Store3(out, (s->blue + half) / s->count, (s->green + half) / s->count, (s->red + half) / s->count);
        }
    }
}

// Sums of the blocks of the level below, two by two (of those that exist).
void SumHalves(const std::vector<Sum>& below, int belowColumns, int belowRows, std::vector<Sum>& sums, int& columns,
               int& rows)
{
    columns = (belowColumns + 1) / 2;
    rows = (belowRows + 1) / 2;
    sums.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), Sum{});
    for (int j = 0; j < belowRows; ++j)
        for (int i = 0; i < belowColumns; ++i)
            sums[static_cast<std::size_t>(j / 2) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(i / 2)]
                .add(below[static_cast<std::size_t>(j) * static_cast<std::size_t>(belowColumns) +
                           static_cast<std::size_t>(i)]);
}

#if defined(__SSE2__)

// A tile wholly inside the picture, levels 1 to 4: 16-bit sums, two level pixels a step.
// Pixels are 0xFFBBGGRR words, so the lanes are red, green, blue and the opaque byte.
void SumTileWide(const Picture& picture, int x0, int y0, std::vector<std::uint16_t> (&wide)[4])
{
    constexpr int kSide = PicturePyramid::kTileSide;
    const __m128i zero = _mm_setzero_si128();
    std::uint16_t* first = wide[0].data();
    for (int j = 0; j < kSide / 2; ++j) {
        const std::uint32_t* a = picture.pixels.data() + static_cast<std::size_t>(y0 + 2 * j) * picture.width + x0;
        const std::uint32_t* b = a + picture.width;
        std::uint16_t* out = first + static_cast<std::size_t>(j) * (kSide / 2) * 4;
        for (int i = 0; i < kSide; i += 4, out += 8) {
            const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
            const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
            const __m128i low = _mm_add_epi16(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
            const __m128i high = _mm_add_epi16(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
            // low holds pixels 0 and 1 summed down, high pixels 2 and 3: add across.
            const __m128i sums = _mm_add_epi16(_mm_unpacklo_epi64(low, high), _mm_unpackhi_epi64(low, high));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), sums);
        }
    }
    for (int k = 1; k < 4; ++k) {
        const int belowSide = kSide >> k;
        const std::uint16_t* below = wide[k - 1].data();
        std::uint16_t* out = wide[k].data();
        for (int j = 0; j < belowSide / 2; ++j) {
            const std::uint16_t* a = below + static_cast<std::size_t>(2 * j) * belowSide * 4;
            const std::uint16_t* b = a + static_cast<std::size_t>(belowSide) * 4;
            for (int i = 0; i < belowSide; i += 4, out += 8) {
                const __m128i low = _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 4 * i)),
                                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 4 * i)));
                const __m128i high = _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 4 * i + 8)),
                                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 4 * i + 8)));
                const __m128i sums = _mm_add_epi16(_mm_unpacklo_epi64(low, high), _mm_unpackhi_epi64(low, high));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out), sums);
            }
        }
    }
}

// Level k's rounded means of a whole tile's 16-bit sums, two pixels a step.
void WriteWideMeans(const std::uint16_t* sums, int k, std::uint8_t* level, std::size_t stride, int left, int top)
{
    const int side = PicturePyramid::kTileSide >> k;
    const __m128i half = _mm_set1_epi16(static_cast<short>(1 << (2 * k - 1)));
    const __m128i shift = _mm_cvtsi32_si128(2 * k);
    for (int j = 0; j < side; ++j) {
        std::uint8_t* out = level + static_cast<std::size_t>(top + j) * stride + 3 * static_cast<std::size_t>(left);
        const std::uint16_t* row = sums + static_cast<std::size_t>(j) * side * 4;
        for (int i = 0; i < side; i += 2, out += 6) {
            __m128i means = _mm_srl_epi16(
                _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * i)), half), shift);
            // Red, green, blue lanes to blue, green, red bytes.
            means = _mm_shufflelo_epi16(means, _MM_SHUFFLE(3, 0, 1, 2));
            means = _mm_shufflehi_epi16(means, _MM_SHUFFLE(3, 0, 1, 2));
            const __m128i bytes = _mm_packus_epi16(means, means);
            const std::uint32_t firstPixel = static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes));
            const std::uint32_t secondPixel = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 4)));
            Store3(out, firstPixel, firstPixel >> 8, firstPixel >> 16);
            Store3(out + 3, secondPixel, secondPixel >> 8, secondPixel >> 16);
        }
    }
}

#endif

}  // namespace

void PicturePyramid::computeTile(const Picture& picture, int tile, unsigned levels, Scratch& scratch)
{
    if (levels == 0)
        return;
    const int x0 = tile % tilesX_ * kTileSide;
    const int y0 = tile / tilesX_ * kTileSide;
    const int x1 = std::min(x0 + kTileSide, width_);
    const int y1 = std::min(y0 + kTileSide, height_);
    int deepest = kLevels;
    while (!(levels & (1u << (deepest - 1))))
        --deepest;
    int columns = 0;
    int rows = 0;
    int firstScalar = 1;  // the first level summed pixel by pixel
#if defined(__SSE2__)
    if (x1 - x0 == kTileSide && y1 - y0 == kTileSide) {
        const int wideLevels = std::min(deepest, 4);
        for (int k = 0; k < 4; ++k)
            scratch.wide[k].resize(static_cast<std::size_t>(kTileSide >> (k + 1)) * (kTileSide >> (k + 1)) * 4);
        SumTileWide(picture, x0, y0, scratch.wide);
        for (int k = 1; k <= wideLevels; ++k)
            if (levels & (1u << (k - 1))) {
                Stored& level = levels_[k - 1];
                WriteWideMeans(scratch.wide[k - 1].data(), k, level.pixels.data(), static_cast<std::size_t>(level.width) * 3,
                               x0 >> k, y0 >> k);
            }
        if (deepest <= 4)
            return;
        // Level 5 on in 32 bits, from level 4's sums.
        columns = rows = kTileSide >> 4;
        std::vector<Sum>& fourth = scratch.sums[3];
        fourth.resize(static_cast<std::size_t>(columns) * rows);
        const std::uint16_t* wide = scratch.wide[3].data();
        for (std::size_t i = 0; i < fourth.size(); ++i, wide += 4)
            fourth[i] = Sum{wide[0], wide[1], wide[2], 256};
        firstScalar = 5;
    }
#endif
    if (firstScalar == 1) {
        columns = (x1 - x0 + 1) / 2;
        rows = (y1 - y0 + 1) / 2;
        std::vector<Sum>& first = scratch.sums[0];
        first.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), Sum{});
        for (int y = y0; y < y1; ++y) {
            const std::uint32_t* row = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
            Sum* sums = first.data() + static_cast<std::size_t>((y - y0) / 2) * static_cast<std::size_t>(columns);
            for (int x = x0; x < x1; ++x) {
                const std::uint32_t p = row[x];
                Sum& s = sums[(x - x0) / 2];
                s.red += p & 0xFFu;
                s.green += (p >> 8) & 0xFFu;
                s.blue += (p >> 16) & 0xFFu;
                ++s.count;
            }
        }
        firstScalar = 2;
        if (levels & 1u)
            WriteMeans(first, columns, rows, levels_[0].pixels.data(), static_cast<std::size_t>(levels_[0].width) * 3,
                       x0 >> 1, y0 >> 1);
    }
    for (int k = firstScalar; k <= deepest; ++k) {
        SumHalves(scratch.sums[k - 2], columns, rows, scratch.sums[k - 1], columns, rows);
        if (levels & (1u << (k - 1)))
            WriteMeans(scratch.sums[k - 1], columns, rows, levels_[k - 1].pixels.data(),
                       static_cast<std::size_t>(levels_[k - 1].width) * 3, x0 >> k, y0 >> k);
    }
}

PicturePyramid::Level PicturePyramid::level(int k) const
{
    const Stored& level = levels_[k - 1];
    return {level.width, level.height, static_cast<std::size_t>(level.width) * 3,
            level.made ? level.pixels.data() : nullptr};
}

bool PicturePyramid::stale(int k) const
{
    const unsigned bit = 1u << (k - 1);
    return std::any_of(stale_.begin(), stale_.end(), [bit](std::uint8_t marks) { return (marks & bit) != 0; });
}

std::size_t PicturePyramid::bytes() const
{
    std::size_t total = stale_.capacity();
    for (const Stored& level : levels_)
        total += level.pixels.capacity();
    for (const auto& scratch : scratch_) {
        for (const auto& sums : scratch->sums)
            total += sums.capacity() * sizeof(Sum);
        for (const auto& wide : scratch->wide)
            total += wide.capacity() * sizeof(std::uint16_t);
    }
    return total;
}
