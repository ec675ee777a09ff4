#include "export/WriteDxf.h"

#include <algorithm>
#include <memory>

#include "export/DxfFaceBlock.h"
#include "export/DxfNumbers.h"
#include "export/MeshFaces.h"
#include "export/MeshFile.h"
#include "model/EditorState.h"

namespace {

constexpr std::string_view kHeader = "0\r\nSECTION\r\n2\r\nENTITIES\r\n";
constexpr std::string_view kCredit = "Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH)";

void WriteLine(SafeFileWriter& out, std::string_view text)
{
    out.write(text);
    out.write("\r\n", 2);
}

// The heights of one grid column with their prepared lines: every height is used by up
// to four faces, so it is looked up once.
struct ColumnLines {
    double heights[HeightGrid::kMaxIndex + 1];
    std::string_view lines[HeightGrid::kMaxIndex + 1];
    std::string scratch[HeightGrid::kMaxIndex + 1];
    bool usual = true;  // every line of the usual width

    void load(const HeightGrid& grid, int column, int rows)
    {
        const DxfNumberTable& numbers = DxfNumbers();
        usual = true;
        for (int row = 0; row <= rows; ++row) {
            heights[row] = grid.at(column, row);
            lines[row] = numbers.heightLine(heights[row], scratch[row]);
            usual &= lines[row].size() == DxfFaceBlock::kUsualLine;
        }
    }
};

// Every grid cell from the last column back to column 0, each column from its top row
// down, corners counter-clockwise seen from above.
void WriteCellFaces(SafeFileWriter& out, const EditorState& state)
{
    const int gridSize = MeshGridSize(state);
    if (gridSize < 1)
        return;
    // Grid indices stay within 0..301, all in the table; the rows' lines serve every column.
    const DxfNumberTable& numbers = DxfNumbers();
    std::string unused;
    const auto coordinate = [&](int value) { return numbers.coordinateLine(value, unused); };
    std::string_view rowLines[HeightGrid::kMaxIndex + 1];
    for (int n = 0; n <= gridSize; ++n)
        rowLines[n] = coordinate(n);

    auto left = std::make_unique<ColumnLines>();
    auto right = std::make_unique<ColumnLines>();
    right->load(state.heights, gridSize + 1, gridSize);
    DxfFaceBlock block(out);
    for (int i = gridSize; i >= 0; --i) {
        left->load(state.heights, i, gridSize);
        const std::string_view x1 = coordinate(i);
        const std::string_view x2 = coordinate(i + 1);
        const bool usual = left->usual && right->usual;
        if (usual)
            block.beginColumn(x1.data(), x2.data());
        for (int n = gridSize - 1; n >= 0; --n) {
            const double heights[4] = {left->heights[n], right->heights[n], right->heights[n + 1],
                                       left->heights[n + 1]};
            if (FaceLeftOut(state, heights))
                continue;
            const std::string_view y1 = rowLines[n];
            const std::string_view y2 = rowLines[n + 1];
            if (usual) {
                const char* const z[4] = {left->lines[n].data(), right->lines[n].data(),
                                          right->lines[n + 1].data(), left->lines[n + 1].data()};
                block.addInColumn(y1.data(), y2.data(), z);
            } else {
                const std::string_view values[12] = {
                    x1, y1, left->lines[n],      x2, y1, right->lines[n],
                    x2, y2, right->lines[n + 1], x1, y2, left->lines[n + 1],
                };
                block.add(values);
            }
        }
        std::swap(left, right);
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
    if (!state.exportBlackPlanes)
        WriteLine(out, "Black not exported");
    if (!state.exportWhitePlanes)
        WriteLine(out, "White not exported");
}

} // namespace

void WriteDxf(EditorState& state, const ImageSurface& image, const std::string& path, FileOps& ops)
{
    WriteMeshFile(state, image, path, ops, [&state](SafeFileWriter& out) {
        out.write(kHeader);
        WriteCellFaces(out, state);
        if (HasBaseFace(state))
            WriteBaseFace(out, MeshGridSize(state));
        WriteTrailer(out, state);
    });
}
