// Metafiles: enhanced, placeable and standard headers, the size each gives, and the
// files rejected.
#include <gtest/gtest.h>

#include "files/MetafileReader.h"
#include "model/EditorError.h"
#include "tests/support/BmpBuilder.h"
#include "tests/support/Failures.h"
#include "tests/support/PictureCrc.h"
#include "tests/support/TestData.h"


namespace {

Bytes Emf(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
          std::uint32_t signature = 0x464D4520, std::uint32_t recordSize = 88)
{
    Bytes f(108, 0);
    PutU32(&f[0], 1);
    PutU32(&f[4], recordSize);
    PutU32(&f[8], static_cast<std::uint32_t>(left));
    PutU32(&f[12], static_cast<std::uint32_t>(top));
    PutU32(&f[16], static_cast<std::uint32_t>(right));
    PutU32(&f[20], static_cast<std::uint32_t>(bottom));
    PutU32(&f[40], signature);
    PutU32(&f[48], 108);
    return f;
}

// The 18-byte standard header, then the given records, then the end record.
Bytes Wmf(std::vector<Bytes> records = {}, std::uint16_t version = 0x0300)
{
    Bytes f(18, 0);
    PutU16(&f[0], 1);
    PutU16(&f[2], 9);
    PutU16(&f[4], version);
    for (const Bytes& r : records)
        f.insert(f.end(), r.begin(), r.end());
    f.insert(f.end(), {3, 0, 0, 0, 0, 0});
    return f;
}

Bytes SetWindowExt(std::int16_t x, std::int16_t y)
{
    Bytes r(10, 0);
    PutU32(&r[0], 5);
    PutU16(&r[4], 0x020C);
    PutU16(&r[6], static_cast<std::uint16_t>(y));
    PutU16(&r[8], static_cast<std::uint16_t>(x));
    return r;
}

Bytes Placeable(std::int16_t left, std::int16_t top, std::int16_t right, std::int16_t bottom, std::uint16_t inch,
                Bytes standard = Wmf())
{
    Bytes f(22 + standard.size(), 0);
    std::copy(standard.begin(), standard.end(), f.begin() + 22);
    PutU32(&f[0], 0x9AC6CDD7);
    PutU16(&f[6], static_cast<std::uint16_t>(left));
    PutU16(&f[8], static_cast<std::uint16_t>(top));
    PutU16(&f[10], static_cast<std::uint16_t>(right));
    PutU16(&f[12], static_cast<std::uint16_t>(bottom));
    PutU16(&f[14], inch);
    return f;
}

struct SizeCase {
    const char* name;
    Bytes file;
    int width, height;
};

std::ostream& operator<<(std::ostream& out, const SizeCase& c) { return out << c.name; }

class MetafileSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(MetafileSizeTest, TakesItsSizeFromTheHeader)
{
    const Picture picture = ReadMetafile(GetParam().file);
    EXPECT_EQ(picture.kind, PictureKind::Metafile);
    EXPECT_EQ(picture.width, GetParam().width);
    EXPECT_EQ(picture.height, GetParam().height);
    EXPECT_EQ(picture.sourceFile, GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Files, MetafileSizeTest,
    ::testing::Values(SizeCase{"emf_inclusive_bounds", Emf(10, 20, 109, 69), 100, 50},
                      SizeCase{"emf_empty_bounds", Emf(0, 0, -1, -1), 0, 0},
                      SizeCase{"placeable_one_inch", Placeable(0, 0, 1440, 720, 1440), 96, 48},
                      SizeCase{"placeable_flipped_box", Placeable(100, 50, 0, 0, 96), 100, 50},
                      SizeCase{"standard_window_extent", Wmf({SetWindowExt(300, 200)}), 300, 200},
                      SizeCase{"standard_without_extent", Wmf(), 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct RejectCase {
    const char* name;
    Bytes file;
    Failure failure;
};

std::ostream& operator<<(std::ostream& out, const RejectCase& c) { return out << c.name; }

class MetafileRejectTest : public ::testing::TestWithParam<RejectCase> {};

TEST_P(MetafileRejectTest, FailsWithItsFailure)
{
    EXPECT_EQ(FailureOf([] { ReadMetafile(GetParam().file); }), GetParam().failure);
}

INSTANTIATE_TEST_SUITE_P(
    Files, MetafileRejectTest,
    ::testing::Values(RejectCase{"empty", {}, Failure::StreamRead},
                      RejectCase{"three_bytes", {1, 0, 0}, Failure::StreamRead},
                      RejectCase{"emf_cut_inside_header", Prefix(Emf(0, 0, 9, 9), 60), Failure::StreamRead},
                      RejectCase{"placeable_without_standard_header", Prefix(Placeable(0, 0, 9, 9, 96), 30),
                                 Failure::StreamRead},
                      RejectCase{"standard_cut_inside_header", Prefix(Wmf(), 12), Failure::StreamRead},
                      RejectCase{"emf_wrong_signature", Emf(0, 0, 9, 9, 0x20202020), Failure::MetafileNotValid},
                      RejectCase{"emf_record_too_small", Emf(0, 0, 9, 9, 0x464D4520, 40), Failure::MetafileNotValid},
                      RejectCase{"emf_record_past_end", Emf(0, 0, 9, 9, 0x464D4520, 4000), Failure::MetafileNotValid},
                      RejectCase{"emf_too_wide", Emf(-2000000000, 0, 2000000000, 9), Failure::MetafileNotValid},
                      RejectCase{"placeable_zero_units_per_inch", Placeable(0, 0, 9, 9, 0), Failure::MetafileNotValid},
                      RejectCase{"placeable_bad_standard_header", Placeable(0, 0, 9, 9, 96, Wmf({}, 0x0200)),
                                 Failure::MetafileNotValid},
                      RejectCase{"standard_bad_version", Wmf({}, 0x0200), Failure::MetafileNotValid},
                      RejectCase{"text_file", Bytes(40, 'x'), Failure::MetafileNotValid}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
