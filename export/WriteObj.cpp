#include "export/WriteObj.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "export/DxfNumbers.h"
#include "export/MeshFaces.h"
#include "files/BufferedWriter.h"

namespace {

constexpr std::string_view kCredit = "# Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH)\n";

// A number with the DXF's decimals, less the zeros that add nothing: "10.2000" -> "10.2",
// "0.0000" -> "0". Leading blanks and the line end of a DXF line go too.
std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' '))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    if (text.find('.') != std::string_view::npos) {
        while (text.back() == '0')
            text.remove_suffix(1);
        if (text.back() == '.')
            text.remove_suffix(1);
    }
    return text;
}

// A whole number as text in a slot of fixed size, so that it is formatted once and
// copied with one fixed-size move.
struct NumberText {
    std::array<char, 15> chars;
    unsigned char size;

    explicit NumberText(long long value = 0)
    {
        size = static_cast<unsigned char>(std::to_chars(chars.data(), chars.data() + chars.size(), value).ptr -
                                          chars.data());
    }
    std::string_view view() const { return {chars.data(), size}; }

    // Becomes the text of the next number ("199" -> "200"): cheaper than formatting when
    // numbers come one after another.
    void increment()
    {
        std::size_t digit = size;
        while (digit > 0 && chars[digit - 1] == '9')
            chars[--digit] = '0';
        if (digit > 0) {
            ++chars[digit - 1];
        } else {
            std::memmove(chars.data() + 1, chars.data(), size);
            chars[0] = '1';
            ++size;
        }
    }
};

// Heights as text. Sampled heights are channel sums in height units, so the DXF's table of their
// lines covers every height a real export meets, and taking the digits from it keeps
// the two files' numbers the same; anything else is formatted as the DXF formats it.
class HeightTexts {
public:
    struct Text {
        std::array<char, 8> chars;
        std::size_t size;
        double height;  // the height sampling gives for the sum
    };

    HeightTexts()
    {
        for (int sum = 0; sum < DxfNumberTable::kSums; ++sum) {
            const std::string_view text = Trimmed(DxfNumbers().sumLine(sum));
            Text& entry = bySum_[static_cast<std::size_t>(sum)];
            entry.chars.fill(' ');
            std::memcpy(entry.chars.data(), text.data(), text.size());
            entry.size = text.size();
            entry.height = DxfNumbers().sumHeight(sum);
        }
    }

    // The prepared text of a sampled height, or nullptr for any other.
    const Text* find(double height) const
    {
        // NaN fails both comparisons; within the range the nearest sum is the only candidate.
        if (height >= 0.0 && height <= kTopHeight) {
            const Text& nearest = bySum_[static_cast<std::size_t>(height * kChannelSumsPerUnit + 0.5)];
            if (nearest.height == height)
                return &nearest;
        }
        return nullptr;
    }

    static std::string_view formatted(double height, std::string& scratch)
    {
        scratch = FormatFixed(height, 4, 0);
        return Trimmed(scratch);
    }

private:
    std::array<Text, DxfNumberTable::kSums> bySum_;
};

// One line of prepared texts composed straight into the writer's buffer, so that a line
// costs a few copies and no call.
class LineText {
public:
    static constexpr std::size_t kLongest = 128;  // a line of prepared texts

    explicit LineText(BufferedWriter& out) : out_(out), start_(out.room(kLongest)), at_(start_) {}
    ~LineText() { out_.advance(static_cast<std::size_t>(at_ - start_)); }
    LineText(const LineText&) = delete;
    LineText& operator=(const LineText&) = delete;

    void put(char c) { *at_++ = c; }
    // A prepared text: its whole slot is moved in one go, and the line grows by the
    // text's own size.
    template <std::size_t N>
    void put(const std::array<char, N>& slot, std::size_t size)
    {
        std::memcpy(at_, slot.data(), N);
        at_ += size;
    }

private:
    BufferedWriter& out_;
    char* start_;
    char* at_;
};

// The vertices the faces use, numbered from 1 column by column (X, then Y): the grid
// points a corner at the grid's height touches, then the corners that lie elsewhere (a
// base corner over a height left beyond the grid by an earlier sampling). Faces come a
// grid column at a time and use two neighbouring columns, so the numbers are turned into
// text a column at a time, and only a used-mark per grid point is kept for the whole grid.
class VertexNumbers {
public:
    // Grid points with X in [xLow, xHigh] and Y in [yLow, yHigh].
    VertexNumbers(const MeshHeights& heights, int xLow, int xHigh, int yLow, int yHigh)
        : heights_(heights), xLow_(xLow), yLow_(yLow), columns_(xHigh - xLow + 1), rows_(yHigh - yLow + 1),
          used_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0),
          columnStart_(static_cast<std::size_t>(columns_) + 1, 0)
    {
        for (Column& column : cache_)
            column.texts.resize(static_cast<std::size_t>(rows_));
    }

    // onGrid: the corner is known to lie at the grid's height (every cell face's does).
    void use(const MeshCorner& corner, bool onGrid)
    {
        if (onGrid || corner.z == heights_.at(corner.x, corner.y))
            used_[slotOf(corner.x, corner.y)] = 1;
        else if (findExtra(corner) == extras_.size())
            extras_.push_back(corner);
    }

    // After the last use(): counts the vertices of each column.
    void finish()
    {
        for (int c = 0; c < columns_; ++c) {
            std::uint32_t count = 0;
            const std::uint8_t* column = &used_[slotOf(xLow_ + c, yLow_)];
            for (int r = 0; r < rows_; ++r)
                count += column[r];
            columnStart_[static_cast<std::size_t>(c) + 1] = columnStart_[static_cast<std::size_t>(c)] + count;
        }
    }

    // Calls visit(x, y, z) for every vertex in number order.
    template <class Visit>
    void forEachVertex(Visit&& visit) const
    {
        for (int c = 0; c < columns_; ++c) {
            const std::uint8_t* column = &used_[slotOf(xLow_ + c, yLow_)];
            for (int r = 0; r < rows_; ++r)
                if (column[r])
                    visit(xLow_ + c, yLow_ + r, heights_.at(xLow_ + c, yLow_ + r));
        }
        for (const MeshCorner& extra : extras_)
            visit(extra.x, extra.y, extra.z);
    }

    // The number of a corner that was used, as text; onGrid as for use().
    const NumberText& numberOf(const MeshCorner& corner, bool onGrid)
    {
        if (!onGrid && corner.z != heights_.at(corner.x, corner.y)) {
            extraText_ = NumberText(columnStart_.back() + findExtra(corner) + 1);
            return extraText_;
        }
        return column(corner.x).texts[static_cast<std::size_t>(corner.y - yLow_)];
    }

private:
    struct Column {
        int x = 0;
        bool filled = false;
        std::vector<NumberText> texts;  // by row
    };

    std::size_t slotOf(int x, int y) const
    {
        return static_cast<std::size_t>(x - xLow_) * static_cast<std::size_t>(rows_) +
               static_cast<std::size_t>(y - yLow_);
    }
    std::size_t findExtra(const MeshCorner& corner) const
    {
        std::size_t k = 0;
        while (k < extras_.size() &&
               !(extras_[k].x == corner.x && extras_[k].y == corner.y && extras_[k].z == corner.z))
            ++k;
        return k;
    }
    // The texts of a column's numbers, from a cache of the two columns last asked for.
    const Column& column(int x)
    {
        if (cache_[lastUsed_].filled && cache_[lastUsed_].x == x)
            return cache_[lastUsed_];
        if (cache_[1 - lastUsed_].filled && cache_[1 - lastUsed_].x == x) {
            lastUsed_ = 1 - lastUsed_;
            return cache_[lastUsed_];
        }
        lastUsed_ = 1 - lastUsed_;
        Column& fresh = cache_[lastUsed_];
        fresh.x = x;
        fresh.filled = true;
        const std::uint8_t* used = &used_[slotOf(x, yLow_)];
        NumberText number(columnStart_[static_cast<std::size_t>(x - xLow_)]);
        for (std::size_t r = 0; r < fresh.texts.size(); ++r) {
            if (used[r]) {
                number.increment();
                fresh.texts[r] = number;
            }
        }
        return fresh;
    }

    const MeshHeights& heights_;
    int xLow_, yLow_, columns_, rows_;
    std::vector<std::uint8_t> used_;           // by slot, column after column
    std::vector<std::uint32_t> columnStart_;   // vertices before each column
    std::vector<MeshCorner> extras_;           // at most the base face's four corners
    std::array<Column, 2> cache_;
    std::size_t lastUsed_ = 0;
    NumberText extraText_;
};

void WriteHeader(BufferedWriter& out, const MeshOptions& options, int gridSize)
{
    out.write(kCredit);
    out.write("# Grid size ");
    out.write(NumberText(gridSize).view());
    out.write(options.exportBlack ? ", black faces exported" : ", black faces not exported");
    out.write(options.exportWhite ? ", white faces exported\n" : ", white faces not exported\n");
}

void WriteVerticesAndFaces(BufferedWriter& out, const MeshHeights& heights, const MeshOptions& options)
{
    const int gridSize = heights.gridSize();
    // Faces span grid columns 0..gridSize + 1 and rows 0..gridSize; the bounds are taken
    // both ways round so that even a negative grid size indexes safely.
    const int low = std::min(0, gridSize);
    const int high = std::max(0, gridSize + 1);
    VertexNumbers vertices(heights, std::min(0, gridSize + 1), high, low, std::max(0, gridSize));
    ForEachMeshFace(heights, options, [&](const MeshFace& face) {
        for (const MeshCorner& corner : face.corners)
            vertices.use(corner, !face.base);
    });
    vertices.finish();

    // Coordinates are grid indices near 0..301: each is formatted once.
    std::vector<NumberText> coordinates;
    for (int value = low; value <= high; ++value)
        coordinates.emplace_back(value);
    static const HeightTexts heightTexts;
    std::string scratch;
    vertices.forEachVertex([&](int x, int y, double z) {
        const HeightTexts::Text* height = heightTexts.find(z);
        {
            LineText line(out);
            line.put('v');
            line.put(' ');
            const NumberText& xText = coordinates[static_cast<std::size_t>(x - low)];
            line.put(xText.chars, xText.size);
            line.put(' ');
            const NumberText& yText = coordinates[static_cast<std::size_t>(y - low)];
            line.put(yText.chars, yText.size);
            line.put(' ');
            if (height) {
                line.put(height->chars, height->size);
                line.put('\n');
            }
        }
        if (!height) {
            out.write(HeightTexts::formatted(z, scratch));
            out.write("\n");
        }
    });

    ForEachMeshFace(heights, options, [&](const MeshFace& face) {
        LineText line(out);
        line.put('f');
        for (const MeshCorner& corner : face.corners) {
            line.put(' ');
            const NumberText& number = vertices.numberOf(corner, !face.base);
            line.put(number.chars, number.size);
        }
        line.put('\n');
    });
}

} // namespace

void WriteObj(BufferedWriter& out, const MeshHeights& heights, const MeshOptions& options)
{
    WriteHeader(out, options, heights.gridSize());
    WriteVerticesAndFaces(out, heights, options);
}
