// Icon files: the directory checks, the fixed 32 x 32 size and the bytes kept for saving.
#include <gtest/gtest.h>

#include "files/IconReader.h"
#include "model/EditorError.h"
#include "tests/support/BmpBuilder.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureCrc.h"
#include "tests/support/TestData.h"


namespace {

struct Entry {
    std::uint32_t size;
    std::uint32_t offset;
};

// An icon directory with the given entries, followed by `data` bytes of image data.
Bytes Icon(std::vector<Entry> entries, std::size_t data, std::uint16_t reserved = 0, std::uint16_t type = 1,
           std::optional<std::uint16_t> count = {})
{
    Bytes f(6 + 16 * entries.size() + data, 0xAB);
    PutU16(&f[0], reserved);
    PutU16(&f[2], type);
    PutU16(&f[4], count.value_or(static_cast<std::uint16_t>(entries.size())));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::uint8_t* e = &f[6 + 16 * i];
        std::fill(e, e + 8, 0);
        e[0] = 16;  // width
        e[1] = 16;  // height
        PutU32(e + 8, entries[i].size);
        PutU32(e + 12, entries[i].offset);
    }
    return f;
}

TEST(ReadIcon, KeepsAValidFileAt32By32)
{
    const Bytes file = Icon({{40, 22}}, 40);
    const Picture picture = ReadIcon(file);
    EXPECT_EQ(picture.kind, PictureKind::Icon);
    EXPECT_EQ(picture.width, 32);
    EXPECT_EQ(picture.height, 32);
    EXPECT_EQ(picture.sourceFile, file);
    EXPECT_TRUE(picture.pixels.empty());
}

TEST(ReadIcon, OneEntryInsideTheFileIsEnough)
{
    EXPECT_EQ(ReadIcon(Icon({{4000, 38}, {40, 38}}, 40)).width, 32);
}

struct RejectCase {
    const char* name;
    Bytes file;
    Failure failure;
};

std::ostream& operator<<(std::ostream& out, const RejectCase& c) { return out << c.name; }

class IconRejectTest : public ::testing::TestWithParam<RejectCase> {};

TEST_P(IconRejectTest, FailsWithItsFailure)
{
    EXPECT_EQ(FailureOf([] { ReadIcon(GetParam().file); }), GetParam().failure);
}

INSTANTIATE_TEST_SUITE_P(
    Files, IconRejectTest,
    ::testing::Values(RejectCase{"empty", {}, Failure::StreamRead},
                      RejectCase{"five_bytes", {0, 0, 1, 0, 1}, Failure::StreamRead},
                      RejectCase{"directory_cut_short", Prefix(Icon({{40, 38}, {40, 38}}, 40), 30), Failure::StreamRead},
                      RejectCase{"reserved_not_zero", Icon({{40, 22}}, 40, 1), Failure::IconNotValid},
                      RejectCase{"cursor_type", Icon({{40, 22}}, 40, 0, 2), Failure::IconNotValid},
                      RejectCase{"no_entries", Icon({}, 40), Failure::IconNotValid},
                      RejectCase{"data_past_end", Icon({{41, 22}}, 40), Failure::IconNotValid},
                      RejectCase{"offset_past_end", Icon({{1, 0xFFFFFFFF}}, 40), Failure::IconNotValid},
                      RejectCase{"data_inside_directory", Icon({{10, 0}}, 40), Failure::IconNotValid},
                      RejectCase{"empty_data", Icon({{0, 22}}, 40), Failure::IconNotValid},
                      RejectCase{"bitmap_file", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0}, Failure::IconNotValid}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
