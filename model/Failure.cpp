#include "model/Failure.h"

#include <utility>

namespace {

// The one table of the texts; "{}" marks where the detail goes.
constexpr std::pair<Failure, std::string_view> kTexts[] = {
    {Failure::StreamRead, "Stream read error"},
    {Failure::StreamWrite, "Stream write error"},
    {Failure::BitmapNotValid, "Bitmap image is not valid"},
    {Failure::BitmapTooLarge, "Bitmap image is too large"},
    {Failure::IconNotValid, "Icon image is not valid"},
    {Failure::MetafileNotValid, "Metafile is not valid"},
    {Failure::NotABitmap, "Can only modify an image if it contains a bitmap"},
    {Failure::UnknownExtension, "Unknown picture file extension (.{})"},
    {Failure::CannotOpen, "Cannot open file {}"},
    {Failure::CannotCreate, "Cannot create file {}"},
    {Failure::InvalidFilename, "Invalid filename"},
    {Failure::AccessDenied, "File access denied"},
    {Failure::TooManyOpenFiles, "Too many open files"},
    {Failure::Io, "I/O error {}"},
    {Failure::InvalidFloatingPoint, "Invalid floating point operation"},
    {Failure::OutOfMemory, "Out of memory"},
    {Failure::CannotImport, "Cannot import {}"},
    {Failure::PictureTooNarrow, "A whole-picture mesh needs a picture at least 2 pixels wide and high"},
};

std::string_view TemplateOf(Failure failure)
{
    for (const auto& [code, text] : kTexts)
        if (code == failure)
            return text;
    return "Unknown error";
}

} // namespace

std::string FailureText(Failure failure, std::string_view detail)
{
    const std::string_view text = TemplateOf(failure);
    const std::size_t slot = text.find("{}");
    if (slot == std::string_view::npos)
        return std::string(text);
    std::string result(text.substr(0, slot));
    result += detail;
    result += text.substr(slot + 2);
    return result;
}
