// Loading and saving picture files: the extension rule, the open and read failures,
// and saves that write the kept encoding, a fresh 24-bit encoding, or nothing at all.
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

#include "files/BmpReader.h"
#include "files/BmpWriter.h"
#include "files/PictureFile.h"
#include "model/BuiltInPicture.h"
#include "model/EditorError.h"
#include "model/ImageSurface.h"
#include "tests/support/BmpBuilder.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureCrc.h"
#include "tests/support/TestData.h"


namespace {

std::optional<Failure> LoadFailure(const std::string& fileName)
{
    return FailureOf([&] { LoadPictureFile(fileName); });
}

std::optional<Failure> SaveFailure(ImageSurface& surface, const std::string& fileName,
                                   FileOps& ops = SystemFileOps())
{
    return FailureOf([&] { SavePictureFile(surface, fileName, ops); });
}

// The text a failing call leaves for the user, where it names a file or an extension.
template <class Action>
std::string FailureTextOf(Action&& action)
{
    try {
        action();
    } catch (const EditorError& error) {
        return error.what();
    }
    return "(no failure)";
}

ImageSurface SurfaceWith(Picture picture)
{
    ImageSurface surface;
    surface.putPicture(std::move(picture));
    return surface;
}

std::filesystem::path Suite(const char* file) { return SuiteFolder() / file; }

// --- The extension rule -------------------------------------------------------------------

struct ExtensionCase {
    const char* name;
    const char* extension;
};

std::ostream& operator<<(std::ostream& out, const ExtensionCase& c) { return out << c.name; }

class ExtensionTest : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ExtensionTest, FollowsTheLastFullStopNotFollowedByAFolderMark)
{
    EXPECT_EQ(PictureExtension(GetParam().name), GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(Names, ExtensionTest,
                         ::testing::Values(ExtensionCase{"C:\\maps\\HILL.BMP", "bmp"},
                                           ExtensionCase{"C:\\maps\\hill.txt", "txt"},
                                           ExtensionCase{"C:\\maps.old\\hill", ""},
                                           ExtensionCase{"/home/ann/maps.old/hill", ""},
                                           ExtensionCase{"C:hill.Wmf", "wmf"},
                                           ExtensionCase{"hill.bmp:stream", ""},
                                           ExtensionCase{"hill", ""},
                                           ExtensionCase{"hill.", ""},
                                           ExtensionCase{"archive.tar.EmF", "emf"},
                                           ExtensionCase{".ico", "ico"},
                                           ExtensionCase{"photo.B\xC3\x84M", "b\xC3\x84m"}));

// --- Loading ------------------------------------------------------------------------------

TEST(LoadPictureFile, UnknownExtensionFailsWithoutOpeningTheFile)
{
    const TempFolder folder;
    EXPECT_EQ(FailureTextOf([&] { LoadPictureFile(folder.file("gone.txt")); }), "Unknown picture file extension (.txt)");
    EXPECT_EQ(FailureTextOf([&] { LoadPictureFile(folder.file("gone")); }), "Unknown picture file extension (.)");
    EXPECT_EQ(FailureTextOf([&] { LoadPictureFile(folder.file("gone.JPEG")); }),
              "Unknown picture file extension (.jpeg)");
}

TEST(LoadPictureFile, MissingFileCannotBeOpened)
{
    const TempFolder folder;
    const std::string name = folder.file("gone.bmp");
    EXPECT_EQ(FailureTextOf([&] { LoadPictureFile(name); }), "Cannot open file " + name);
}

TEST(LoadPictureFile, FolderCannotBeOpened)
{
    const TempFolder folder;
    const std::string name = folder.file("folder.bmp");
    std::filesystem::create_directory(name);
    EXPECT_EQ(FailureTextOf([&] { LoadPictureFile(name); }), "Cannot open file " + name);
}

TEST(LoadPictureFile, PipeCannotBeOpened)
{
    const TempFolder folder;
    const std::string name = folder.file("pipe.bmp");
    ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
    EXPECT_EQ(FailureTextOf([&] { LoadPictureFile(name); }), "Cannot open file " + name);  // and returns, with no writer
}

// Longer than any 32-bit size field can describe; sparse, so it costs no disk space.
TEST(LoadPictureFile, FileLongerThanItsFormatAllowsIsRefusedBeforeReading)
{
    struct Case {
        const char* name;
        Failure failure;
    };
    for (const Case c : {Case{"huge.bmp", Failure::BitmapTooLarge}, Case{"huge.ico", Failure::IconNotValid},
                         Case{"huge.wmf", Failure::MetafileNotValid}}) {
        const TempFolder folder;
        const std::string name = folder.file(c.name);
        WriteBytes(name, {'B', 'M'});
        std::filesystem::resize_file(name, std::uintmax_t{1} << 32);
        EXPECT_EQ(LoadFailure(name), c.failure) << c.name;
    }
}

TEST(LoadPictureFile, ReadsTheKindTheExtensionNamesInAnyCase)
{
    const TempFolder folder;
    const std::string name = folder.file("HILL.BMP");
    std::filesystem::copy_file(Suite("g/pal8.bmp"), name);
    const Picture picture = LoadPictureFile(name);
    EXPECT_EQ(picture.kind, PictureKind::Bitmap);
    EXPECT_EQ(picture.width, 127);
    EXPECT_EQ(picture.sourceFile, ReadBytes(Suite("g/pal8.bmp")));
}

TEST(LoadPictureFile, TextFileNamedBmpIsNotValid)
{
    const TempFolder folder;
    WriteBytes(folder.file("notes.bmp"), Bytes{'h', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '\n'});
    EXPECT_EQ(LoadFailure(folder.file("notes.bmp")), Failure::BitmapNotValid);
}

TEST(LoadPictureFile, ZeroLengthBitmapIsTheEmptyPicture)
{
    const TempFolder folder;
    WriteBytes(folder.file("empty.bmp"), {});
    const Picture picture = LoadPictureFile(folder.file("empty.bmp"));
    EXPECT_TRUE(picture.isEmpty());
    EXPECT_FALSE(picture.encodingKept);
}

TEST(LoadPictureFile, ZeroLengthIconIsTooShort)
{
    const TempFolder folder;
    WriteBytes(folder.file("empty.ico"), {});
    EXPECT_EQ(LoadFailure(folder.file("empty.ico")), Failure::StreamRead);
}

// --- Saving -------------------------------------------------------------------------------

TEST(SavePictureFile, UntouchedBitmapWritesItsKeptEncodingBehindAFreshHeader)
{
    // pal8os2-sz's file-size field says 26, pal8offs's pixels start at 1162 after a gap.
    for (const char* name : {"g/pal8.bmp", "q/pal8os2-sz.bmp", "q/pal8offs.bmp", "g/rgb16-565pal.bmp"}) {
        const TempFolder folder;
        const Bytes original = ReadBytes(Suite(name));
        ImageSurface surface = SurfaceWith(ReadBmp(original));
        SavePictureFile(surface, folder.file("out.bmp"));

        const Bytes saved = ReadBytes(folder.file("out.bmp"));
        ASSERT_EQ(saved.size(), original.size()) << name;
        EXPECT_TRUE(std::equal(saved.begin() + 14, saved.end(), original.begin() + 14)) << name;
        EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 2), (Bytes{'B', 'M'})) << name;
        EXPECT_EQ(ReadU32(&saved[2]), original.size()) << name;
        EXPECT_EQ(ReadU32(&saved[6]), 0u) << name;
        EXPECT_EQ(ReadU32(&saved[10]), ReadU32(&original[10])) << name;
    }
}

TEST(SavePictureFile, BuiltInPictureSavedAtStartIsItsFile)
{
    const TempFolder folder;
    ImageSurface surface = SurfaceWith(BuiltInPicture());
    SavePictureFile(surface, folder.file("start.bmp"));
    const Bytes saved = ReadBytes(folder.file("start.bmp"));
    const auto builtIn = BuiltInPictureFile();
    ASSERT_EQ(saved.size(), 192054u);
    EXPECT_EQ(ReadU32(&saved[10]), 54u);
    EXPECT_TRUE(std::equal(saved.begin() + 14, saved.end(), builtIn.begin() + 14));
}

TEST(SavePictureFile, ChangedBitmapWritesTwentyFourBitsWithZeroResolutions)
{
    const TempFolder folder;
    ImageSurface surface = SurfaceWith(ReadBmp(ReadBytes(Suite("g/pal8.bmp"))));
    surface.setBrushColour(MakeColour(0x12, 0x34, 0x56));
    surface.fillRect(0, 0, 1, 1);
    SavePictureFile(surface, folder.file("out.bmp"));

    const Bytes saved = ReadBytes(folder.file("out.bmp"));
    const std::size_t rowBytes = 384;  // 127 * 3 padded
    ASSERT_EQ(saved.size(), 54 + 64 * rowBytes);
    EXPECT_EQ(ReadU32(&saved[10]), 54u);
    EXPECT_EQ(ReadU32(&saved[14]), 40u);
    EXPECT_EQ(ReadU16(&saved[28]), 24);
    EXPECT_EQ(ReadU32(&saved[38]), 0u);  // horizontal resolution
    EXPECT_EQ(ReadU32(&saved[42]), 0u);  // vertical resolution
    // The filled pixel is the top-left one: first pixel of the last stored row.
    const std::size_t topRow = 54 + 63 * rowBytes;
    EXPECT_EQ(Bytes(saved.begin() + topRow, saved.begin() + topRow + 3), (Bytes{0x56, 0x34, 0x12}));
    const Picture back = ReadBmp(saved);
    EXPECT_EQ(back.pixels, surface.picture().pixels);
}

TEST(SavePictureFile, FreshEncodingBecomesTheKeptOne)
{
    const TempFolder folder;
    ImageSurface surface = SurfaceWith(ReadBmp(ReadBytes(Suite("g/pal4.bmp"))));
    surface.setBrushColour(kWhite);
    surface.fillRect(5, 5, 9, 9);
    SavePictureFile(surface, folder.file("first.bmp"));
    EXPECT_TRUE(surface.picture().encodingKept);
    EXPECT_EQ(surface.picture().keptPixelOffset, 54u);
    SavePictureFile(surface, folder.file("second.bmp"));
    EXPECT_EQ(ReadBytes(folder.file("first.bmp")), ReadBytes(folder.file("second.bmp")));
    EXPECT_EQ(surface.picture().sourceFile, ReadBytes(folder.file("first.bmp")));
}

TEST(SavePictureFile, EmptyPictureWritesAnEmptyFile)
{
    const TempFolder folder;
    WriteBytes(folder.file("out.bmp"), {1, 2, 3});
    ImageSurface surface = SurfaceWith(Picture{});
    SavePictureFile(surface, folder.file("out.bmp"));
    EXPECT_TRUE(std::filesystem::exists(folder.file("out.bmp")));
    EXPECT_EQ(std::filesystem::file_size(folder.file("out.bmp")), 0u);
}

TEST(SavePictureFile, IconAndMetafileWriteTheirBytesWhateverTheName)
{
    for (PictureKind kind : {PictureKind::Icon, PictureKind::Metafile}) {
        const TempFolder folder;
        Picture picture;
        picture.kind = kind;
        picture.width = 32;
        picture.height = 32;
        picture.sourceFile = {0, 0, 1, 0, 1, 0, 9, 8, 7};
        ImageSurface surface = SurfaceWith(picture);
        SavePictureFile(surface, folder.file("VORTALQUENCH.BMP"));
        EXPECT_EQ(ReadBytes(folder.file("VORTALQUENCH.BMP")), picture.sourceFile);
    }
}

TEST(SavePictureFile, MissingFolderCannotBeCreated)
{
    const TempFolder folder;
    ImageSurface surface = SurfaceWith(BuiltInPicture());
    const std::string name = folder.file("no/such/folder/out.bmp");
    EXPECT_EQ(FailureTextOf([&] { SavePictureFile(surface, name); }), "Cannot create file " + name);
}

// Fails the n-th write call, or the close, the way a full disk does.
class FailingOps : public FileOps {
public:
    int failWrite = -1;  // 0-based index of the write to fail
    bool failClose = false;
    int writes = 0;

    ssize_t write(int fd, const void* data, std::size_t size) override
    {
        if (writes++ == failWrite) {
            errno = ENOSPC;
            return -1;
        }
        return FileOps::write(fd, data, size);
    }
    int close(int fd) override
    {
        const int result = FileOps::close(fd);
        if (failClose) {
            errno = EIO;
            return -1;
        }
        return result;
    }
};

// A picture larger than the writer's buffer: its file goes out in one write of its own.
Picture LargePicture(bool kept)
{
    Picture big;
    big.width = 1000;
    big.height = 1000;
    big.pixels.assign(1000 * 1000, kOpaque);
    return kept ? ReadBmp(EncodeBmp24(big)) : big;
}

TEST(SavePictureFile, FailedWriteKeepsTheOldFileAndLeavesNothingBeside)
{
    struct Case {
        const char* what;
        bool kept;  // a kept encoding goes out as header, then the rest
        int failWrite;
        bool failClose;
    };
    for (const Case c : {Case{"fresh encoding's write", false, 0, false}, Case{"kept header's write", true, 0, false},
                         Case{"kept encoding's write", true, 1, false}, Case{"close", false, -1, true}}) {
        const TempFolder folder;
        const std::string name = folder.file("out.bmp");
        WriteBytes(name, {'o', 'l', 'd'});
        ImageSurface surface = SurfaceWith(LargePicture(c.kept));
        const Picture before = surface.picture();
        FailingOps ops;
        ops.failWrite = c.failWrite;
        ops.failClose = c.failClose;
        EXPECT_EQ(SaveFailure(surface, name, ops), Failure::StreamWrite) << c.what;
        EXPECT_EQ(ReadBytes(name), (Bytes{'o', 'l', 'd'})) << c.what;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << c.what;
        EXPECT_EQ(surface.picture().encodingKept, before.encodingKept) << c.what;
        EXPECT_EQ(surface.picture().sourceFile, before.sourceFile) << c.what;
    }
}

}  // namespace
