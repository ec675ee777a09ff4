#pragma once
// The 3DFACE entities of a DXF file read back from its text, so tests can hold what any
// view or writer of the mesh produces against the file itself.
#include <array>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

// X, Y, Z of corners 1 to 4, as the file prints them.
using DxfFace = std::array<double, 12>;

inline std::vector<DxfFace> DxfFacesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    std::vector<DxfFace> faces;
    for (std::size_t at = 0; at + 28 < lines.size(); ++at) {
        if (lines[at] != "0" || lines[at + 1] != "3DFACE")
            continue;
        DxfFace face{};
        // Group codes 10..33 follow the layer: code line, value line, twelve times.
        for (std::size_t k = 0; k < 12; ++k)
            face[k] = std::strtod(lines[at + 5 + 2 * k].c_str(), nullptr);
        faces.push_back(face);
    }
    return faces;
}
