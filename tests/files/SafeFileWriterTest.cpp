#include "files/SafeFileWriter.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/files/ScriptedFileOps.h"
#include "tests/support/TempFolder.h"

namespace {

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t k = 0; k < size; ++k)
        bytes[k] = static_cast<char>('a' + k * 7 % 26);
    return bytes;
}

// Small pieces crossing the buffer boundary, then one piece larger than the buffer.
std::string WriteMixed(SafeFileWriter& out)
{
    std::string all;
    for (std::size_t k = 0; k < 3000; ++k) {
        const std::string piece = Pattern(k % 997 + 1);
        out.write(piece);
        all += piece;
    }
    const std::string large = Pattern(3 << 20);
    out.write(large.data(), large.size());
    all += large;
    out.write("end", 3);
    return all + "end";
}

FileWriteError Failure(const std::function<void()>& action)
{
    try {
        action();
    } catch (const FileWriteError& error) {
        return error;
    }
    return {FileWriteError::Stage::Create, 0};
}

TEST(SafeFileWriter, CommitWritesEveryByteInOrder)
{
    TempFolder folder;
    SafeFileWriter out(folder.file("out.bin"));
    const std::string expected = WriteMixed(out);
    EXPECT_FALSE(std::filesystem::exists(folder.file("out.bin")));  // nothing under the name yet
    out.commit();
    EXPECT_EQ(ReadWholeFile(folder.file("out.bin")), expected);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"out.bin"});
}

TEST(SafeFileWriter, ShortAndInterruptedWritesStillDeliverEverything)
{
    TempFolder folder;
    ScriptedFileOps ops;
    ops.largestWrite = 4093;
    ops.interruptFirstWrite = 2;
    SafeFileWriter out(folder.file("out.bin"), ops);
    const std::string expected = WriteMixed(out);
    out.commit();
    EXPECT_EQ(ReadWholeFile(folder.file("out.bin")), expected);
}

TEST(SafeFileWriter, WithoutCommitNothingIsLeft)
{
    TempFolder folder;
    WriteWholeFile(folder.file("out.bin"), "kept");
    {
        SafeFileWriter out(folder.file("out.bin"));
        WriteMixed(out);
    }
    EXPECT_EQ(ReadWholeFile(folder.file("out.bin")), "kept");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"out.bin"});
}

struct StageCase {
    const char* name;
    void (*script)(ScriptedFileOps&);
    FileWriteError::Stage stage;
    int errorCode;
};

class SafeFileWriterFailure : public testing::TestWithParam<StageCase> {};

TEST_P(SafeFileWriterFailure, ReportsStageAndErrnoAndCleansUp)
{
    TempFolder folder;
    ScriptedFileOps ops;
    GetParam().script(ops);
    const FileWriteError error = Failure([&] {
        SafeFileWriter out(folder.file("out.bin"), ops);
        WriteMixed(out);
        out.commit();
    });
    EXPECT_EQ(error.stage, GetParam().stage);
    EXPECT_EQ(error.errorCode, GetParam().errorCode);
    EXPECT_EQ(folder.names(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, SafeFileWriterFailure,
    testing::Values(
        StageCase{"Create", [](ScriptedFileOps& o) { o.failCreateWith = EACCES; }, FileWriteError::Stage::Create, EACCES},
        StageCase{"FirstWrite", [](ScriptedFileOps& o) { o.failWriteNumber = 1; o.failWriteWith = ENOSPC; },
                  FileWriteError::Stage::Write, ENOSPC},
        StageCase{"ThirdWrite", [](ScriptedFileOps& o) { o.failWriteNumber = 3; o.failWriteWith = EFBIG; },
                  FileWriteError::Stage::Write, EFBIG},
        StageCase{"WriteTakesNothing", [](ScriptedFileOps& o) { o.zeroWrite = true; }, FileWriteError::Stage::Write, ENOSPC},
        StageCase{"Close", [](ScriptedFileOps& o) { o.failCloseWith = EIO; }, FileWriteError::Stage::Close, EIO},
        StageCase{"Rename", [](ScriptedFileOps& o) { o.failRenameWith = EXDEV; }, FileWriteError::Stage::Close, EXDEV}),
    [](const testing::TestParamInfo<StageCase>& info) { return info.param.name; });

TEST(SafeFileWriter, RefusesAFolderAsTargetBeforeCreatingAnything)
{
    TempFolder folder;
    std::filesystem::create_directory(folder.file("out.bin"));
    ScriptedFileOps ops;
    const FileWriteError error = Failure([&] { SafeFileWriter out(folder.file("out.bin"), ops); });
    EXPECT_EQ(error.stage, FileWriteError::Stage::Create);
    EXPECT_EQ(error.errorCode, EISDIR);
    EXPECT_EQ(ops.creates, 0);
}

TEST(SafeFileWriter, NeverReplacesAPipe)
{
    TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0666), 0);
    ScriptedFileOps ops;
    const FileWriteError error = Failure([&] { SafeFileWriter out(folder.file("pipe"), ops); });
    EXPECT_EQ(error.errorCode, EACCES);
    EXPECT_EQ(ops.creates, 0);
    EXPECT_TRUE(std::filesystem::is_fifo(folder.file("pipe")));
}

TEST(SafeFileWriter, KeepsAReadOnlyFileEvenForRoot)
{
    TempFolder folder;
    const std::string target = folder.file("kept.bin");
    { SafeFileWriter out(target); out.write("old"); out.commit(); }
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    ScriptedFileOps ops;
    const FileWriteError error = Failure([&] { SafeFileWriter out(target, ops); });
    EXPECT_EQ(error.stage, FileWriteError::Stage::Create);
    EXPECT_EQ(error.errorCode, EACCES);
    EXPECT_EQ(ops.creates, 0);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"kept.bin"});
}

TEST(SafeFileWriter, AMissingFolderFailsAtCreation)
{
    TempFolder folder;
    const FileWriteError error = Failure([&] { SafeFileWriter out(folder.file("none/out.bin")); });
    EXPECT_EQ(error.stage, FileWriteError::Stage::Create);
    EXPECT_EQ(error.errorCode, ENOENT);
}

TEST(SafeFileWriter, AWriteAfterAFailureFailsAgainWithoutWriting)
{
    TempFolder folder;
    ScriptedFileOps ops;
    ops.failWriteNumber = 1;
    ops.failWriteWith = EIO;
    SafeFileWriter out(folder.file("out.bin"), ops);
    const std::string large = Pattern(2 << 20);
    EXPECT_EQ(Failure([&] { out.write(large); }).errorCode, EIO);
    EXPECT_EQ(Failure([&] { out.write(large); }).stage, FileWriteError::Stage::Write);
    EXPECT_EQ(Failure([&] { out.commit(); }).stage, FileWriteError::Stage::Close);
    EXPECT_EQ(ops.writes, 1);
    EXPECT_EQ(ops.renames, 0);
    EXPECT_EQ(folder.names(), std::vector<std::string>{});
}

} // namespace
