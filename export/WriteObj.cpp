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
#include "export/WriteDxf.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/SampleHeights.h"

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

// Heights as text. Sampled heights are channel sums / 75, so the DXF's table of their
// lines covers every height a real export meets, and taking the digits from it keeps
// the two files' numbers the same; anything else is formatted as the DXF formats it.
class HeightTexts {
public:
    HeightTexts()
    {
        for (int sum = 0; sum < DxfNumberTable::kSums; ++sum) {
            const std::string_view text = Trimmed(DxfNumbers().sumLine(sum));
            Text& entry = bySum_[static_cast<std::size_t>(sum)];
            std::memcpy(entry.chars.data(), text.data(), text.size());
            entry.size = text.size();
        }
    }

    std::string_view of(double height, std::string& scratch) const
    {
        // NaN fails both comparisons; within the range the nearest sum is the only candidate.
        if (height >= 0.0 && height <= 10.2) {
            const auto sum = static_cast<int>(height * 75 + 0.5);
            if (DxfNumbers().sumHeight(sum) == height) {
                const Text& entry = bySum_[static_cast<std::size_t>(sum)];
                return {entry.chars.data(), entry.size};
            }
        }
        scratch = FormatFixed(height, 4, 0);
        return Trimmed(scratch);
    }

private:
    struct Text {
        std::array<char, 8> chars;
        std::size_t size;
    };
    std::array<Text, DxfNumberTable::kSums> bySum_;
};

// Composes the text in one block of memory and hands it to the file writer when it is
// full, so that a line costs a copy and no call.
class TextBlock {
public:
    explicit TextBlock(SafeFileWriter& out) : out_(out), text_(std::make_unique_for_overwrite<char[]>(kCapacity)) {}

    void put(std::string_view part)
    {
        if (part.size() > kCapacity - used_) {
            flush();
            if (part.size() > kCapacity) {
                out_.write(part);
                return;
            }
        }
        std::memcpy(text_.get() + used_, part.data(), part.size());
        used_ += part.size();
    }

    void flush()
    {
        out_.write(text_.get(), used_);
        used_ = 0;
    }

private:
    static constexpr std::size_t kCapacity = 256 * 1024;  // large enough to skip the writer's buffer

    SafeFileWriter& out_;
    std::unique_ptr<char[]> text_;
    std::size_t used_ = 0;
};

// The vertices the faces use: one per grid point a face touches, and one more for each
// corner that lies at another height than the first corner seen at its grid point.
class VertexList {
public:
    // Grid points with X in [xLow, xHigh] and Y in [yLow, yHigh].
    VertexList(int xLow, int xHigh, int yLow, int yHigh)
        : xLow_(xLow), yLow_(yLow), columns_(xHigh - xLow + 1),
          slots_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(yHigh - yLow + 1))
    {
    }

    void use(const MeshCorner& corner)
    {
        Slot& slot = slots_[slotOf(corner)];
        if (!slot.used) {
            slot.used = true;
            slot.z = corner.z;
        } else if (slot.z != corner.z && findExtra(corner) == nullptr) {
            extras_.push_back({corner, 0});
        }
    }

    // Numbers the used vertices from 1, row by row and then the extra ones, and calls
    // visit(corner) for each in that order.
    template <class Visit>
    void number(Visit&& visit)
    {
        std::uint32_t next = 0;
        for (std::size_t s = 0; s < slots_.size(); ++s) {
            Slot& slot = slots_[s];
            if (!slot.used)
                continue;
            slot.index = ++next;
            const int x = xLow_ + static_cast<int>(s % static_cast<std::size_t>(columns_));
            const int y = yLow_ + static_cast<int>(s / static_cast<std::size_t>(columns_));
            visit(MeshCorner{x, y, slot.z});
        }
        for (Extra& extra : extras_) {
            extra.index = ++next;
            visit(extra.corner);
        }
    }

    std::uint32_t indexOf(const MeshCorner& corner) const
    {
        const Slot& slot = slots_[slotOf(corner)];
        if (slot.z == corner.z)
            return slot.index;
        return findExtra(corner)->index;
    }

private:
    struct Slot {
        bool used = false;
        double z = 0.0;
        std::uint32_t index = 0;
    };
    struct Extra {
        MeshCorner corner;
        std::uint32_t index;
    };

    std::size_t slotOf(const MeshCorner& corner) const
    {
        return static_cast<std::size_t>(corner.y - yLow_) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(corner.x - xLow_);
    }
    // At most the base face's four corners are ever extra.
    const Extra* findExtra(const MeshCorner& corner) const
    {
        for (const Extra& extra : extras_)
            if (extra.corner.x == corner.x && extra.corner.y == corner.y && extra.corner.z == corner.z)
                return &extra;
        return nullptr;
    }

    int xLow_, yLow_, columns_;
    std::vector<Slot> slots_;
    std::vector<Extra> extras_;
};

// A whole number as text in a fixed slot, so that each is formatted once however many
// faces use it.
struct NumberText {
    std::array<char, 12> chars;
    unsigned char size;

    explicit NumberText(long long value)
    {
        size = static_cast<unsigned char>(std::to_chars(chars.data(), chars.data() + chars.size(), value).ptr -
                                          chars.data());
    }
    std::string_view view() const { return {chars.data(), size}; }
};

void WriteHeader(TextBlock& out, const EditorState& state, int gridSize)
{
    out.put(kCredit);
    out.put("# Grid size ");
    out.put(NumberText(gridSize).view());
    out.put(state.exportBlackPlanes ? ", black faces exported" : ", black faces not exported");
    out.put(state.exportWhitePlanes ? ", white faces exported\n" : ", white faces not exported\n");
}

void WriteMesh(TextBlock& out, const EditorState& state)
{
    const int gridSize = MeshGridSize(state);
    // Faces span grid columns 0..gridSize + 1 and rows 0..gridSize; the bounds are taken
    // both ways round so that even a negative grid size indexes safely.
    VertexList vertices(std::min(0, gridSize + 1), std::max(0, gridSize + 1), std::min(0, gridSize),
                        std::max(0, gridSize));
    ForEachMeshFace(state, [&](const MeshFace& face) {
        for (const MeshCorner& corner : face.corners)
            vertices.use(corner);
    });

    // Coordinates are grid indices near 0..301: each is formatted once.
    const int low = std::min(0, gridSize);
    std::vector<NumberText> coordinates;
    for (int value = low; value <= std::max(0, gridSize + 1); ++value)
        coordinates.emplace_back(value);
    static const HeightTexts heights;
    std::string scratch;
    std::vector<NumberText> indices(1, NumberText(0));
    vertices.number([&](const MeshCorner& corner) {
        out.put("v ");
        out.put(coordinates[static_cast<std::size_t>(corner.x - low)].view());
        out.put(" ");
        out.put(coordinates[static_cast<std::size_t>(corner.y - low)].view());
        out.put(" ");
        out.put(heights.of(corner.z, scratch));
        out.put("\n");
        indices.emplace_back(static_cast<long long>(indices.size()));
    });

    ForEachMeshFace(state, [&](const MeshFace& face) {
        out.put("f");
        for (const MeshCorner& corner : face.corners) {
            out.put(" ");
            out.put(indices[vertices.indexOf(corner)].view());
        }
        out.put("\n");
    });
}

} // namespace

void WriteObj(EditorState& state, const ImageSurface& image, const std::string& path, FileOps& ops)
{
    // Sampling first: a picture without pixels fails before the file is touched.
    SampleHeights(state, image);
    try {
        SafeFileWriter out(path, ops);
        TextBlock block(out);
        WriteHeader(block, state, MeshGridSize(state));
        WriteMesh(block, state);
        block.flush();
        out.commit();
    } catch (const FileWriteError& failure) {
        throw EditorError(DxfFailure(failure.errorCode), std::to_string(failure.errorCode));
    }
}
