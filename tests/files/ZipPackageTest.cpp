// The zip container of the 3MF package: parts read back exactly and in order, the same
// bytes every time with a fixed date, headers fixed in place after their data whether
// the data is still in the buffer or already in the file, and every failure on the way
// passed on as what it was, with nothing left behind.
#include "files/ZipPackage.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <stdexcept>
#include <zlib.h>

#include "files/BufferedWriter.h"
#include "files/SafeFileWriter.h"
#include "tests/files/ScriptedFileOps.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ZipFiles.h"

namespace {

// A part of `size` bytes of a pattern, handed out in the pieces the package asks for.
ZipPart PatternPart(std::string name, std::size_t size, std::size_t* handed = nullptr)
{
    auto sent = std::make_shared<std::size_t>(0);
    return {std::move(name), [size, sent, handed](char* into, std::size_t room) {
                const std::size_t piece = std::min(room, size - *sent);
                for (std::size_t k = 0; k < piece; ++k)
                    into[k] = static_cast<char>('a' + (*sent + k) * 7 % 26 + ((*sent + k) % 1000 == 0 ? 1 : 0));
                *sent += piece;
                if (handed)
                    *handed = *sent;
                return piece;
            }};
}

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t k = 0; k < size; ++k)
        bytes[k] = static_cast<char>('a' + k * 7 % 26 + (k % 1000 == 0 ? 1 : 0));
    return bytes;
}

void WritePackage(const std::string& path, std::vector<ZipPart> parts, int level, FileOps& ops = SystemFileOps())
{
    SafeFileWriter file(path, ops);
    BufferedWriter out(file);
    WriteZipPackage(out, parts, level);
    out.flush();
    file.commit();
}

struct PackageCase {
    const char* name;
    std::vector<std::size_t> sizes;
    int level;
};

void PrintTo(const PackageCase& c, std::ostream* out) { *out << c.name; }

class ZipPackageParts : public testing::TestWithParam<PackageCase> {};

TEST_P(ZipPackageParts, ReadBackExactlyInOrderWithAFixedDate)
{
    const PackageCase& c = GetParam();
    std::vector<ZipPart> parts;
    for (std::size_t k = 0; k < c.sizes.size(); ++k)
        parts.push_back(PatternPart("part" + std::to_string(k) + (k == 1 ? "/inner.xml" : ".bin"), c.sizes[k]));
    const TempFolder folder;
    WritePackage(folder.file("a.zip"), parts, c.level);

    const ZipContents contents = ReadZip(folder.file("a.zip"));
    ASSERT_TRUE(contents.ok);
    ASSERT_EQ(contents.entries.size(), c.sizes.size());
    const std::vector<LocalHeader> headers = LocalHeaders(ReadWholeFile(folder.file("a.zip")));
    ASSERT_EQ(headers.size(), c.sizes.size());
    for (std::size_t k = 0; k < c.sizes.size(); ++k) {
        EXPECT_EQ(contents.entries[k].name, parts[k].name);
        EXPECT_TRUE(contents.entries[k].bytes == Pattern(c.sizes[k])) << parts[k].name;
        EXPECT_EQ(contents.entries[k].method, c.level == 0 ? 0 : 8);
        EXPECT_EQ(headers[k].name, parts[k].name);
        EXPECT_EQ(headers[k].time, 0);               // midnight
        EXPECT_EQ(headers[k].date, (1 << 5) | 1);    // 1 January 1980
        EXPECT_EQ(headers[k].flags & 0x0008, 0);     // no data descriptor: the header was fixed
        const std::string expected = Pattern(c.sizes[k]);
        EXPECT_EQ(headers[k].crc, crc32(0, reinterpret_cast<const Bytef*>(expected.data()), uInt(expected.size())));
    }

    // The same parts give the same bytes.
    std::vector<ZipPart> again;
    for (std::size_t k = 0; k < c.sizes.size(); ++k)
        again.push_back(PatternPart(parts[k].name, c.sizes[k]));
    WritePackage(folder.file("b.zip"), again, c.level);
    EXPECT_TRUE(ReadWholeFile(folder.file("a.zip")) == ReadWholeFile(folder.file("b.zip")));
}

// A part larger than the writer's block leaves its header in the file before the header
// can be fixed; small parts are fixed in the block.
INSTANTIATE_TEST_SUITE_P(
    Sizes, ZipPackageParts,
    testing::Values(PackageCase{"SmallDeflated", {1, 300, 70000}, 1},
                    PackageCase{"EmptyPartStored", {0, 5}, 0},
                    PackageCase{"LargerThanTheBlockStored", {3 << 20, 10}, 0},
                    PackageCase{"LargerThanTheBlockDeflatedSmallest", {BufferedWriter::kCapacity + 17, 4}, 9}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ZipPackage, WhatAPartThrowsComesOutAndNothingIsLeft)
{
    const TempFolder folder;
    WriteWholeFile(folder.file("a.zip"), "old");
    ZipPart failing{"bad", [](char*, std::size_t) -> std::size_t { throw std::domain_error("no more"); }};
    try {
        WritePackage(folder.file("a.zip"), {PatternPart("good", 100), failing}, 1);
        FAIL() << "no error";
    } catch (const std::domain_error& error) {
        EXPECT_STREQ(error.what(), "no more");
    }
    EXPECT_EQ(ReadWholeFile(folder.file("a.zip")), "old");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"a.zip"});
}

struct FailureCase {
    const char* name;
    int failWriteNumber;  // counting positioned writes too; 0: the last write
    int positionedBefore; // positioned writes up to the failing one: 0, 1, or 2 for all
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class ZipPackageWriteFailure : public testing::TestWithParam<FailureCase> {};

std::vector<ZipPart> LargeAndSmall() { return {PatternPart("large", 3 << 20), PatternPart("small", 10)}; }

// The first part, 3 MiB stored, and its header go out in three full blocks and the
// rest of a fourth before the header is fixed in the file (from write 5 on, a piece at a
// time); the second part and the central directory go out with the commit.
TEST_P(ZipPackageWriteFailure, PassesTheErrnoOnAndKeepsTheOldFile)
{
    const FailureCase& c = GetParam();
    const TempFolder folder;
    ScriptedFileOps counting;
    WritePackage(folder.file("a.zip"), LargeAndSmall(), 0, counting);
    WriteWholeFile(folder.file("a.zip"), "old");
    ScriptedFileOps ops;
    ops.failWriteNumber = c.failWriteNumber == 0 ? counting.writes : c.failWriteNumber;
    ops.failWriteWith = ENOSPC;
    try {
        WritePackage(folder.file("a.zip"), LargeAndSmall(), 0, ops);
        FAIL() << "no error";
    } catch (const FileWriteError& error) {
        EXPECT_EQ(error.errorCode, ENOSPC);
        EXPECT_EQ(error.stage, FileWriteError::Stage::Write);
    }
    EXPECT_EQ(ops.positionedWrites, c.positionedBefore == 0 ? 0 : c.positionedBefore == 1 ? 1 : counting.positionedWrites);
    EXPECT_EQ(ops.writes, ops.failWriteNumber);
    EXPECT_EQ(ReadWholeFile(folder.file("a.zip")), "old");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"a.zip"});
}

INSTANTIATE_TEST_SUITE_P(Writes, ZipPackageWriteFailure,
                         testing::Values(FailureCase{"FirstBlock", 1, 0}, FailureCase{"HeaderFix", 5, 1},
                                         FailureCase{"TheCommitsLast", 0, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// Positioned writes that the system cuts short still land every byte.
TEST(ZipPackage, ShortHeaderFixesStillLandWhole)
{
    const TempFolder folder;
    ScriptedFileOps ops;
    ops.largestWrite = 7;
    WritePackage(folder.file("a.zip"), {PatternPart("large", 2 << 20)}, 0, ops);
    EXPECT_GT(ops.positionedWrites, 1);
    const ZipContents contents = ReadZip(folder.file("a.zip"));
    ASSERT_TRUE(contents.ok);
    ASSERT_EQ(contents.entries.size(), 1u);
    EXPECT_TRUE(contents.entries[0].bytes == Pattern(2 << 20));
}

// ---- The buffered writer's overwrite, which the headers use -------------------------

TEST(BufferedWriterOverwrite, ReplacesBytesInTheBlockOrInTheFile)
{
    const TempFolder folder;
    SafeFileWriter file(folder.file("out.bin"));
    BufferedWriter out(file);
    const std::string first = Pattern(BufferedWriter::kCapacity + 100);  // flushes the block
    out.write(first);
    out.write("tail-in-block");
    EXPECT_EQ(out.position(), first.size() + 13);
    out.overwrite(3, "ABC", 3);                 // in the file
    out.overwrite(first.size() - 1, "XY", 2);   // across the file and the block
    out.overwrite(first.size() + 5, "IN", 2);   // in the block
    EXPECT_THROW(out.overwrite(out.position() - 1, "ZZ", 2), std::logic_error);
    out.flush();
    file.commit();
    std::string expected = first + "tail-in-block";
    expected.replace(3, 3, "ABC");
    expected.replace(first.size() - 1, 2, "XY");
    expected.replace(first.size() + 5, 2, "IN");
    EXPECT_TRUE(ReadWholeFile(folder.file("out.bin")) == expected);
}

} // namespace
