#include "export/WriteDxf.h"

#include <string>

#include "export/DxfFaceWriter.h"
#include "export/DxfNumbers.h"
#include "files/BufferedWriter.h"

namespace {

constexpr std::string_view kHeader = "0\r\nSECTION\r\n2\r\nENTITIES\r\n";
constexpr std::string_view kCredit = "Created by Relief_Foundry V1.0 by Quennick (VORTALQUENCH)";

void WriteLine(BufferedWriter& out, std::string_view text)
{
    out.write(text);
    out.write("\r\n", 2);
}

// A flat rectangle at height 0 under the whole mesh, corners clockwise seen from above,
// with its own number formats: bare zeros and 8.3 reals.
void WriteBaseFace(BufferedWriter& out, int gridSize)
{
    const MeshFace face = BaseFace(gridSize);
    const std::string zero = FormatFixed(0, 3, 8);
    const std::string size = FormatFixed(face.corners[1].y, 3, 8);
    const std::string sizePlusOne = FormatFixed(face.corners[2].x, 3, 8);
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

void WriteTrailer(BufferedWriter& out, const MeshOptions& options)
{
    for (std::string_view line : {"0", "ENDSEC", "0", "EOF", "2"})
        WriteLine(out, line);
    WriteLine(out, kCredit);
    if (!options.exportBlack)
        WriteLine(out, "Black not exported");
    if (!options.exportWhite)
        WriteLine(out, "White not exported");
}

} // namespace

void WriteDxf(BufferedWriter& out, const MeshHeights& heights, const MeshOptions& options)
{
    out.write(kHeader);
    DxfFaceWriter cells(out, heights);
    ForEachMeshCell(heights, options, [&](int i, int n) { cells.add(i, n); });
    if (HasBaseFace(options))
        WriteBaseFace(out, heights.gridSize());
    WriteTrailer(out, options);
}
