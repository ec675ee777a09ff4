#pragma once
// The mesh files read back by code of the tests' own, so that the tests compare what a
// reader of the file would see: the faces of a DXF, the triangles of a binary STL and the
// vertices and faces of an OBJ.
#include <array>
#include <cmath>
#include <compare>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "files/ByteOrder.h"

// ---- DXF ------------------------------------------------------------------------------

struct MeshFilePoint {
    double x, y, z;
    auto operator<=>(const MeshFilePoint&) const = default;
};
using MeshFileFace = std::array<MeshFilePoint, 4>;

// X, Y or Z (axis 0, 1, 2) of a point.
inline double Coordinate(const MeshFilePoint& point, std::size_t axis)
{
    return axis == 0 ? point.x : axis == 1 ? point.y : point.z;
}

// The lines of a text file without their line ends (CR LF or LF).
inline std::vector<std::string> TextLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The 3DFACE entities of a DXF file in file order, each corner as the file prints it.
inline std::vector<MeshFileFace> DxfFaces(const std::string& text)
{
    const std::vector<std::string> lines = TextLines(text);
    std::vector<MeshFileFace> faces;
    for (std::size_t at = 0; at + 28 < lines.size(); ++at) {
        if (lines[at] != "0" || lines[at + 1] != "3DFACE")
            continue;
        MeshFileFace face{};
        // Group codes 10..33 follow the layer: a code line and a value line, twelve times.
        for (std::size_t c = 0; c < 4; ++c) {
            const std::size_t first = at + 5 + 6 * c;
            face[c] = {std::strtod(lines[first].c_str(), nullptr), std::strtod(lines[first + 2].c_str(), nullptr),
                       std::strtod(lines[first + 4].c_str(), nullptr)};
        }
        faces.push_back(face);
    }
    return faces;
}

// ---- OBJ ------------------------------------------------------------------------------

struct ObjFile {
    std::vector<std::string> comments;     // the "#" lines, without the "# "
    std::vector<MeshFilePoint> vertices;   // "v" lines in order (vertex 1 first)
    std::vector<std::vector<long>> faces;  // "f" lines: the vertex numbers as written
    std::vector<std::string> otherLines;   // anything else
};

inline ObjFile ParseObj(const std::string& text)
{
    ObjFile obj;
    for (const std::string& line : TextLines(text)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "#") {
            obj.comments.push_back(line.substr(line.size() > 1 ? 2 : 1));
        } else if (kind == "v") {
            std::string x, y, z, rest;
            fields >> x >> y >> z;
            if (fields >> rest)
                obj.otherLines.push_back(line);
            obj.vertices.push_back({std::strtod(x.c_str(), nullptr), std::strtod(y.c_str(), nullptr),
                                    std::strtod(z.c_str(), nullptr)});
        } else if (kind == "f") {
            std::vector<long> corners;
            for (std::string number; fields >> number;)
                corners.push_back(std::strtol(number.c_str(), nullptr, 10));
            obj.faces.push_back(corners);
        } else {
            obj.otherLines.push_back(line);
        }
    }
    return obj;
}

// The faces with their corners looked up; a face that is no quadrilateral or names a
// vertex that is not there comes out with NaN corners.
inline std::vector<MeshFileFace> ObjFaces(const ObjFile& obj)
{
    std::vector<MeshFileFace> faces;
    for (const std::vector<long>& numbers : obj.faces) {
        MeshFileFace face;
        for (std::size_t c = 0; c < 4; ++c) {
            const long n = c < numbers.size() ? numbers[c] : 0;
            if (numbers.size() == 4 && n >= 1 && static_cast<std::size_t>(n) <= obj.vertices.size())
                face[c] = obj.vertices[static_cast<std::size_t>(n - 1)];
            else
                face[c] = {std::nan(""), std::nan(""), std::nan("")};
        }
        faces.push_back(face);
    }
    return faces;
}

// ---- Binary STL -----------------------------------------------------------------------

struct StlVertex {
    float x, y, z;
    auto operator<=>(const StlVertex&) const = default;
};

struct StlTriangle {
    StlVertex normal;
    std::array<StlVertex, 3> corners;
    std::uint16_t attribute;
};

struct StlFile {
    std::string header;  // the 80 bytes
    std::uint32_t count = 0;
    std::vector<StlTriangle> triangles;
    bool sizeMatches = false;  // the file is exactly 84 + 50 x count bytes
};

inline float ReadF32(const std::uint8_t* p)
{
    const std::uint32_t bits = ReadU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline StlFile ParseStl(const std::string& bytes)
{
    StlFile stl;
    if (bytes.size() < 84)
        return stl;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    stl.header = bytes.substr(0, 80);
    stl.count = ReadU32(data + 80);
    stl.sizeMatches = bytes.size() == 84 + 50 * std::uint64_t{stl.count};
    for (std::size_t at = 84; at + 50 <= bytes.size(); at += 50) {
        const std::uint8_t* t = data + at;
        const auto vertex = [&](int k) { return StlVertex{ReadF32(t + 12 * k), ReadF32(t + 12 * k + 4), ReadF32(t + 12 * k + 8)}; };
        stl.triangles.push_back({vertex(0), {vertex(1), vertex(2), vertex(3)}, ReadU16(t + 48)});
    }
    return stl;
}

// ---- 3MF model ------------------------------------------------------------------------

struct ThreeMfModel {
    std::string unit;                               // the model's unit attribute
    std::vector<std::string> objects;               // each object's id and type, "1 model"
    std::vector<std::string> buildItems;            // each item's objectid
    std::vector<StlVertex> vertices;                // in order
    std::vector<std::array<long, 3>> triangles;     // v1, v2, v3 as written
    std::size_t oddNumbers = 0;  // numbers with an exponent, a sign, a comma or other text
};

// The value of attribute name in the element text (from its '<' to its '>').
inline std::string XmlAttribute(std::string_view element, std::string_view name)
{
    std::string key(1, ' ');
    key.append(name).append("=\"");
    const std::size_t at = element.find(key);
    if (at == std::string_view::npos)
        return {};
    const std::size_t start = at + key.size();
    return std::string(element.substr(start, element.find('"', start) - start));
}

inline ThreeMfModel Parse3mfModel(const std::string& xml)
{
    ThreeMfModel model;
    const auto number = [&](const std::string& text) {
        if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
            ++model.oddNumbers;
        return text;
    };
    for (std::size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        const std::string_view element(xml.data() + at, xml.find('>', at) - at + 1);
        if (element.starts_with("<model ")) {
            model.unit = XmlAttribute(element, "unit");
        } else if (element.starts_with("<object ")) {
            model.objects.push_back(XmlAttribute(element, "id") + " " + XmlAttribute(element, "type"));
        } else if (element.starts_with("<item ")) {
            model.buildItems.push_back(XmlAttribute(element, "objectid"));
        } else if (element.starts_with("<vertex ")) {
            model.vertices.push_back({std::strtof(number(XmlAttribute(element, "x")).c_str(), nullptr),
                                      std::strtof(number(XmlAttribute(element, "y")).c_str(), nullptr),
                                      std::strtof(number(XmlAttribute(element, "z")).c_str(), nullptr)});
        } else if (element.starts_with("<triangle ")) {
            model.triangles.push_back({std::strtol(number(XmlAttribute(element, "v1")).c_str(), nullptr, 10),
                                       std::strtol(number(XmlAttribute(element, "v2")).c_str(), nullptr, 10),
                                       std::strtol(number(XmlAttribute(element, "v3")).c_str(), nullptr, 10)});
        }
    }
    return model;
}
