#include "export/Write3mf.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string_view>

#include "export/SolidMesh.h"
#include "files/ZipPackage.h"

namespace {

constexpr std::string_view kContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>\n"
    "<Default Extension=\"model\" ContentType=\"application/vnd.ms-package.3dmanufacturing-3dmodel+xml\"/>\n"
    "</Types>\n";

constexpr std::string_view kRelationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
    "<Relationship Target=\"/3D/3dmodel.model\" Id=\"rel0\" "
    "Type=\"http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel\"/>\n"
    "</Relationships>\n";

constexpr std::string_view kModelHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<model unit=\"millimeter\" xml:lang=\"en-US\" "
    "xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\">\n"
    "<metadata name=\"Application\">Relief_Foundry V1.0</metadata>\n"
    "<resources>\n"
    "<object id=\"1\" type=\"model\">\n"
    "<mesh>\n"
    "<vertices>\n";
constexpr std::string_view kModelMiddle = "</vertices>\n<triangles>\n";
constexpr std::string_view kModelTail =
    "</triangles>\n"
    "</mesh>\n"
    "</object>\n"
    "</resources>\n"
    "<build>\n"
    "<item objectid=\"1\"/>\n"
    "</build>\n"
    "</model>\n";

// Vertices or triangles read from the solid at a time.
constexpr std::uint32_t kPiece = 1024;
// Room that any one step of the model needs at most: the head, or a line of three floats
// in fixed notation (at most 48 characters each).
constexpr std::size_t kLongestLine = 512;
static_assert(kModelHead.size() < kLongestLine && kModelTail.size() < kLongestLine && kLongestLine <= kZipPieceSize);

// A fixed text handed out in pieces.
class FixedText {
public:
    explicit FixedText(std::string_view text) : text_(text) {}
    std::size_t fill(char* into, std::size_t room)
    {
        const std::size_t size = std::min(room, text_.size() - taken_);
        std::memcpy(into, text_.data() + taken_, size);
        taken_ += size;
        return size;
    }

private:
    std::string_view text_;
    std::size_t taken_ = 0;
};

char* Put(char* at, std::string_view text)
{
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

// The shortest decimal without an exponent that reads back as exactly this float.
char* PutNumber(char* at, float value)
{
    return std::to_chars(at, at + 64, value, std::chars_format::fixed).ptr;
}

char* PutNumber(char* at, std::uint32_t value)
{
    return std::to_chars(at, at + 16, value).ptr;
}

// The model part, written line by line as the archive asks for it.
class ModelText {
public:
    explicit ModelText(const SolidMesh& solid) : solid_(solid) {}

    std::size_t fill(char* into, std::size_t room)
    {
        char* at = into;
        char* const end = into + room;
        while (stage_ != Stage::Done && end - at >= static_cast<std::ptrdiff_t>(kLongestLine)) {
            switch (stage_) {
            case Stage::Head:
                at = Put(at, kModelHead);
                stage_ = Stage::Vertices;
                break;
            case Stage::Vertices:
                if (next_ == solid_.vertexCount()) {
                    at = Put(at, kModelMiddle);
                    next_ = 0;
                    stage_ = Stage::Triangles;
                    break;
                }
                at = putVertex(at);
                break;
            case Stage::Triangles:
                if (next_ == solid_.triangleCount()) {
                    at = Put(at, kModelTail);
                    stage_ = Stage::Done;
                    break;
                }
                at = putTriangle(at);
                break;
            case Stage::Done:
                break;
            }
        }
        return static_cast<std::size_t>(at - into);
    }

private:
    enum class Stage { Head, Vertices, Triangles, Done };

    // The next piece is read when the last one is used up.
    std::size_t slot(std::uint32_t count)
    {
        const std::uint32_t inPiece = next_ % kPiece;
        if (inPiece == 0)
            pieceSize_ = std::min(kPiece, count - next_);
        return inPiece;
    }

    char* putVertex(char* at)
    {
        const std::size_t k = slot(solid_.vertexCount());
        if (k == 0)
            solid_.vertices(next_, std::span(vertices_).first(pieceSize_));
        const SolidVertex& v = vertices_[k];
        at = PutNumber(Put(at, "<vertex x=\""), v.x);
        at = PutNumber(Put(at, "\" y=\""), v.y);
        at = PutNumber(Put(at, "\" z=\""), v.z);
        ++next_;
        return Put(at, "\"/>\n");
    }

    char* putTriangle(char* at)
    {
        const std::size_t k = slot(solid_.triangleCount());
        if (k == 0)
            solid_.triangles(next_, std::span(triangles_).first(pieceSize_));
        const SolidTriangle& t = triangles_[k];
        at = PutNumber(Put(at, "<triangle v1=\""), t.v[0]);
        at = PutNumber(Put(at, "\" v2=\""), t.v[1]);
        at = PutNumber(Put(at, "\" v3=\""), t.v[2]);
        ++next_;
        return Put(at, "\"/>\n");
    }

    const SolidMesh& solid_;
    Stage stage_ = Stage::Head;
    std::uint32_t next_ = 0;
    std::uint32_t pieceSize_ = 0;
    std::array<SolidVertex, kPiece> vertices_;
    std::array<SolidTriangle, kPiece> triangles_;
};

} // namespace

void Write3mf(BufferedWriter& out, const SolidMesh& solid)
{
    FixedText contentTypes(kContentTypes), relationships(kRelationships);
    ModelText model(solid);
    const ZipPart parts[] = {
        {"[Content_Types].xml", [&](char* into, std::size_t room) { return contentTypes.fill(into, room); }},
        {"_rels/.rels", [&](char* into, std::size_t room) { return relationships.fill(into, room); }},
        {"3D/3dmodel.model", [&](char* into, std::size_t room) { return model.fill(into, room); }},
    };
    WriteZipPackage(out, parts, kThreeMfLevel);
}
