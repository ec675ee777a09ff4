// Every failure's text as the user reads it, with and without a detail.
#include <gtest/gtest.h>

#include "model/EditorError.h"

namespace {

struct TextRow {
    Failure failure;
    const char* detail;
    const char* text;
};

const TextRow kTexts[] = {
    {Failure::StreamRead, "", "Stream read error"},
    {Failure::StreamWrite, "", "Stream write error"},
    {Failure::BitmapNotValid, "", "Bitmap image is not valid"},
    {Failure::BitmapTooLarge, "", "Bitmap image is too large"},
    {Failure::IconNotValid, "", "Icon image is not valid"},
    {Failure::MetafileNotValid, "", "Metafile is not valid"},
    {Failure::NotABitmap, "", "Can only modify an image if it contains a bitmap"},
    {Failure::UnknownExtension, "txt", "Unknown picture file extension (.txt)"},
    {Failure::UnknownExtension, "", "Unknown picture file extension (.)"},
    {Failure::CannotOpen, "/maps/gone.bmp", "Cannot open file /maps/gone.bmp"},
    {Failure::CannotCreate, "/no/such/out.bmp", "Cannot create file /no/such/out.bmp"},
    {Failure::InvalidFilename, "", "Invalid filename"},
    {Failure::AccessDenied, "", "File access denied"},
    {Failure::TooManyOpenFiles, "", "Too many open files"},
    {Failure::Io, "28", "I/O error 28"},
    {Failure::InvalidFloatingPoint, "", "Invalid floating point operation"},
    {Failure::OutOfMemory, "", "Out of memory"},
    {Failure::CannotImport, "/maps/hill.png: Unable to read image data",
     "Cannot import /maps/hill.png: Unable to read image data"},
    {Failure::PictureTooNarrow, "", "A whole-picture mesh needs a picture at least 2 pixels wide and high"},
};

TEST(FailureText, EveryFailureReadsAsTheUserSeesIt)
{
    for (const TextRow& row : kTexts) {
        EXPECT_EQ(FailureText(row.failure, row.detail), row.text);
        const EditorError error(row.failure, row.detail);
        EXPECT_STREQ(error.what(), row.text);
        EXPECT_EQ(error.failure(), row.failure);
    }
}

TEST(FailureText, ADetailIsIgnoredWhereTheTextHasNoPlaceForIt)
{
    EXPECT_EQ(FailureText(Failure::StreamRead, "ignored"), "Stream read error");
}

} // namespace
