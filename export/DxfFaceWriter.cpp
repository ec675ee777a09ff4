#include "export/DxfFaceWriter.h"

#include <algorithm>
#include <string>
#include <utility>

#include "export/DxfNumbers.h"

// The heights of one grid column with their prepared lines.
struct DxfFaceWriter::ColumnLines {
    int column = -1;
    std::string_view xLine;
    std::string xScratch;
    std::string_view lines[HeightGrid::kMaxIndex + 1];
    const char* starts[HeightGrid::kMaxIndex + 1];  // the lines' first characters
    std::string scratch[HeightGrid::kMaxIndex + 1];
    bool usual = true;

    void load(const MeshHeights& heights, int at)
    {
        const DxfNumberTable& numbers = DxfNumbers();
        column = at;
        xLine = numbers.coordinateLine(at, xScratch);
        usual = xLine.size() == dxf_face::kValueLine;
        for (int row = 0; row <= heights.gridSize(); ++row) {
            lines[row] = numbers.heightLine(heights.at(at, row), scratch[row]);
            starts[row] = lines[row].data();
            usual &= lines[row].size() == dxf_face::kValueLine;
        }
    }
};

DxfFaceWriter::DxfFaceWriter(BufferedWriter& out, const MeshHeights& heights)
    : out_(out), heights_(heights), left_(std::make_unique<ColumnLines>()), right_(std::make_unique<ColumnLines>()),
      rowLines_(std::make_unique<const char*[]>(static_cast<std::size_t>(std::max(heights.gridSize() + 1, 0))))
{
    // Grid indices stay within the table, so the rows' lines are the table's.
    std::string unused;
    for (int row = 0; row <= heights.gridSize(); ++row)
        rowLines_[static_cast<std::size_t>(row)] = DxfNumbers().coordinateLine(row, unused).data();
}

DxfFaceWriter::~DxfFaceWriter() = default;

// Columns come from the last back to the first, so the new column's right neighbour is
// mostly the column before.
void DxfFaceWriter::startColumn(int column)
{
    column_ = column;
    if (left_->column == column + 1)
        std::swap(left_, right_);
    else if (right_->column != column + 1)
        right_->load(heights_, column + 1);
    left_->load(heights_, column);
    usual_ = left_->usual && right_->usual;
    leftLines_ = left_->starts;
    rightLines_ = right_->starts;
    if (usual_) {
        columnTemplate_ = dxf_face::kTemplate;
        put(columnTemplate_.data(), 0, left_->xLine.data());
        put(columnTemplate_.data(), 3, right_->xLine.data());
        put(columnTemplate_.data(), 6, right_->xLine.data());
        put(columnTemplate_.data(), 9, left_->xLine.data());
    }
}

// A face with a value of unusual width: its text put together piece by piece.
void DxfFaceWriter::addAnyWidth(int row)
{
    using namespace dxf_face;
    const DxfNumberTable& numbers = DxfNumbers();
    std::string y1Scratch, y2Scratch;
    const std::string_view x1 = left_->xLine, x2 = right_->xLine;
    const std::string_view y1 = numbers.coordinateLine(row, y1Scratch), y2 = numbers.coordinateLine(row + 1, y2Scratch);
    const std::string_view values[12] = {
        x1, y1, left_->lines[row],      x2, y1, right_->lines[row],
        x2, y2, right_->lines[row + 1], x1, y2, left_->lines[row + 1],
    };
    out_.write(kStart);
    for (std::size_t k = 0; k < 12; ++k) {
        out_.write(kCodes[k]);
        out_.write(values[k]);
    }
    out_.write(kEnd);
}
