#include "export/WriteDxf.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "export/DxfNumbers.h"
#include "model/EditorError.h"
#include "model/EditorState.h"
#include "model/SampleHeights.h"

namespace {

constexpr std::string_view kHeader = "0\r\nSECTION\r\n2\r\nENTITIES\r\n";
constexpr std::string_view kFaceStart = "0\r\n3DFACE\r\n8\r\nPLANE\r\n";
constexpr std::string_view kFaceEnd = "62\r\n0\r\n";
// The group codes of the twelve corner values: X, Y, Z of corners 1 to 4.
constexpr std::string_view kCornerCodes[12] = {
    "10\r\n", "20\r\n", "30\r\n", "11\r\n", "21\r\n", "31\r\n",
    "12\r\n", "22\r\n", "32\r\n", "13\r\n", "23\r\n", "33\r\n",
};
constexpr std::string_view kCredit = "Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH)";

// Faces are composed into one block of memory and handed to the file writer a block at a
// time: 90,000 faces of a large grid would otherwise cost over two million small calls.
class FaceBlock {
public:
    explicit FaceBlock(SafeFileWriter& out) : out_(out), block_(kSize) {}

    void addFace(const std::string_view (&values)[12])
    {
        std::size_t need = kFaceStart.size() + kFaceEnd.size();
        for (int k = 0; k < 12; ++k)
            need += kCornerCodes[k].size() + values[k].size();
        if (need > block_.size() - used_)
            flush();
        if (need > block_.size())
            block_.resize(need);
        put(kFaceStart);
        for (int k = 0; k < 12; ++k) {
            put(kCornerCodes[k]);
            put(values[k]);
        }
        put(kFaceEnd);
    }

    void flush()
    {
        out_.write(block_.data(), used_);
        used_ = 0;
    }

private:
    static constexpr std::size_t kSize = 64 * 1024;

    void put(std::string_view text)
    {
        std::memcpy(block_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }

    SafeFileWriter& out_;
    std::vector<char> block_;
    std::size_t used_ = 0;
};

void WriteLine(SafeFileWriter& out, std::string_view text)
{
    out.write(text);
    out.write("\r\n", 2);
}

// Left out when black faces are off and the face is flat at 0, or white faces are off and
// it lies above 10 on average. The sum runs in long double: in doubles some averages of
// exactly 10 come out a bit above it.
bool LeftOut(const EditorState& state, const double (&heights)[4])
{
    long double sum = heights[0];
    sum += heights[1];
    sum += heights[2];
    sum += heights[3];
    const double average = static_cast<double>(sum / 4);
    if (!state.ExportBlackPlanes && average == 0)
        return true;
    return !state.ExportWhitePlanes && average > 10;
}

// Every grid cell from the last column back to column 0, each column from its top row
// down, corners counter-clockwise seen from above.
void WriteCellFaces(SafeFileWriter& out, const EditorState& state)
{
    const DxfNumberTable& numbers = DxfNumbers();
    const ::HeightGrid& grid = state.HeightGrid;
    FaceBlock block(out);
    std::string scratch[12];
    for (int i = state.GridSize; i >= 0; --i) {
        for (int n = state.GridSize - 1; n >= 0; --n) {
            const int xs[4] = {i, i + 1, i + 1, i};
            const int ys[4] = {n, n, n + 1, n + 1};
            double heights[4];
            for (int c = 0; c < 4; ++c)
                heights[c] = grid.at(xs[c], ys[c]);
            if (LeftOut(state, heights))
                continue;
            std::string_view values[12];
            for (int c = 0; c < 4; ++c) {
                values[3 * c] = numbers.coordinateLine(xs[c], scratch[3 * c]);
                values[3 * c + 1] = numbers.coordinateLine(ys[c], scratch[3 * c + 1]);
                values[3 * c + 2] = numbers.heightLine(heights[c], scratch[3 * c + 2]);
            }
            block.addFace(values);
        }
    }
    block.flush();
}

// A flat rectangle at height 0 under the whole mesh, corners clockwise seen from above,
// with its own number formats: bare zeros and 8.3 reals.
void WriteBaseFace(SafeFileWriter& out, int gridSize)
{
    const std::string zero = FormatFixed(0, 3, 8);
    const std::string size = FormatFixed(gridSize, 3, 8);
    const std::string sizePlusOne = FormatFixed(static_cast<double>(gridSize) + 1, 3, 8);
    const std::string_view lines[] = {
        "0", "3DFACE", "8", "PLANE",
        "10", "0", "20", "0", "30", "0",
        "11", zero, "21", size, "31", "0",
        "12", sizePlusOne, "22", size, "32", "0",
        "13", sizePlusOne, "23", zero, "33", "0",
        "62", "0",
    };
    for (std::string_view line : lines)
        WriteLine(out, line);
}

void WriteTrailer(SafeFileWriter& out, const EditorState& state)
{
    for (std::string_view line : {"0", "ENDSEC", "0", "EOF", "2"})
        WriteLine(out, line);
    WriteLine(out, kCredit);
    if (!state.ExportBlackPlanes)
        WriteLine(out, "Black not exported");
    if (!state.ExportWhitePlanes)
        WriteLine(out, "White not exported");
}

} // namespace

void WriteDxf(EditorState& state, const ImageSurface& image, const std::string& path, FileOps& ops)
{
    // Sampling first: a picture without pixels fails before the file is touched.
    SampleHeights(state, image);
    try {
        SafeFileWriter out(path, ops);
        out.write(kHeader);
        WriteCellFaces(out, state);
        if (state.ExportBlackPlanes == state.ExportWhitePlanes)
            WriteBaseFace(out, state.GridSize);
        WriteTrailer(out, state);
        out.commit();
    } catch (const FileWriteError& failure) {
        throw EditorError(DxfErrorMessage(failure.errorCode));
    }
}

std::string DxfErrorMessage(int errorCode)
{
    switch (errorCode) {
    case ENOENT:
    case ENOTDIR:
        return "Invalid filename";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return "File access denied";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    default:
        return "I/O error " + std::to_string(errorCode);
    }
}
