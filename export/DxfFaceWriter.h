#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "export/MeshFaces.h"
#include "files/BufferedWriter.h"

// The fixed text of a face with room for twelve usual-width values.
namespace dxf_face {

inline constexpr std::string_view kStart = "0\r\n3DFACE\r\n8\r\nPLANE\r\n";
inline constexpr std::string_view kEnd = "62\r\n0\r\n";
// The group codes of the twelve values: X, Y, Z of corners 1 to 4.
inline constexpr std::string_view kCodes[12] = {
    "10\r\n", "20\r\n", "30\r\n", "11\r\n", "21\r\n", "31\r\n",
    "12\r\n", "22\r\n", "32\r\n", "13\r\n", "23\r\n", "33\r\n",
};
inline constexpr std::size_t kCodeLine = 4;
inline constexpr std::size_t kValueLine = 10;  // 8 characters and CR LF
inline constexpr std::size_t kFaceSize = kStart.size() + 12 * (kCodeLine + kValueLine) + kEnd.size();

constexpr std::size_t ValueSlot(std::size_t k) { return kStart.size() + k * (kCodeLine + kValueLine) + kCodeLine; }

constexpr std::array<char, kFaceSize> MakeTemplate()
{
    std::array<char, kFaceSize> text{};
    std::size_t at = 0;
    auto put = [&](std::string_view part) {
        for (char c : part)
            text[at++] = c;
    };
    put(kStart);
    for (std::string_view code : kCodes) {
        put(code);
        put("        \r\n");
    }
    put(kEnd);
    return text;
}

inline constexpr std::array<char, kFaceSize> kTemplate = MakeTemplate();

} // namespace dxf_face

// Writes the cell faces of a mesh as 3DFACE entities. Every height is used by up to four
// faces and every face of a grid column shares its X values, so the lines of two
// neighbouring columns are prepared once and the faces, which come a column at a time
// (ForEachMeshFace), are composed from them: a fixed text with the values copied into
// fixed places.
class DxfFaceWriter {
public:
    DxfFaceWriter(BufferedWriter& out, const MeshHeights& heights);
    ~DxfFaceWriter();

    // The face of the cell at grid column `column` and row `row`, as ForEachMeshCell
    // lists them. Inline: a mesh has some 90,000.
    void add(int column, int row)
    {
        if (column != column_)
            startColumn(column);
        if (usual_)
            addUsual(row);
        else
            addAnyWidth(row);
    }

private:
    struct ColumnLines;

    void startColumn(int column);
    void addUsual(int row)
    {
        // Every value is read before the first byte is written: the compiler must assume
        // the text written may overlap them and would otherwise read them again.
        const char* y1 = rowLines_[static_cast<std::size_t>(row)];
        const char* y2 = rowLines_[static_cast<std::size_t>(row) + 1];
        std::uint64_t values[8];
        std::memcpy(&values[0], y1, 8);
        std::memcpy(&values[1], leftLines_[row], 8);
        std::memcpy(&values[2], rightLines_[row], 8);
        std::memcpy(&values[3], y2, 8);
        std::memcpy(&values[4], rightLines_[row + 1], 8);
        std::memcpy(&values[5], leftLines_[row + 1], 8);
        char* out = out_.claim(dxf_face::kFaceSize);
        std::memcpy(out, columnTemplate_.data(), dxf_face::kFaceSize);
        put(out, 1, values[0]);
        put(out, 2, values[1]);
        put(out, 4, values[0]);
        put(out, 5, values[2]);
        put(out, 7, values[3]);
        put(out, 8, values[4]);
        put(out, 10, values[3]);
        put(out, 11, values[5]);
    }
    void addAnyWidth(int row);
    static void put(char* face, std::size_t k, const char* value)
    {
        std::memcpy(face + dxf_face::ValueSlot(k), value, dxf_face::kValueLine - 2);
    }
    static void put(char* face, std::size_t k, std::uint64_t value)  // a value's 8 characters
    {
        std::memcpy(face + dxf_face::ValueSlot(k), &value, sizeof value);
    }

    BufferedWriter& out_;
    const MeshHeights& heights_;
    std::unique_ptr<ColumnLines> left_;   // the face's corners 1 and 4
    std::unique_ptr<ColumnLines> right_;  // corners 2 and 3
    int column_ = -1;
    bool usual_ = true;  // every value of the two columns of the usual width
    std::array<char, dxf_face::kFaceSize> columnTemplate_ = dxf_face::kTemplate;
    std::unique_ptr<const char*[]> rowLines_;  // the Y lines of rows 0..g
    const char* const* leftLines_ = nullptr;   // the height lines of the two columns
    const char* const* rightLines_ = nullptr;
};
