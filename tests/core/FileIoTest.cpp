#include <string>

#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/FileIo.h"

namespace zefir::fileio {
namespace {

using test::Bytes;
using test::TempDir;

std::size_t EntriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Whatever fails, a file that was there keeps its bytes and nothing is left
// beside it; a file that was not there is not left half-written.
TEST(OutputFile, AFailureLosesNothing)
{
    struct Case {
        const char* name;
        bool existing;
        OutputFile::Creation creation;
        long failAfter; // write steps before the fault: 0 fails the write, 1 the commit
    } cases[] = {
        {"new, direct, write fails", false, OutputFile::Creation::DirectWhenNew, 0},
        {"new, direct, commit fails", false, OutputFile::Creation::DirectWhenNew, 1},
        {"new, temporary, commit fails", false, OutputFile::Creation::ViaTemporary, 1},
        {"existing, direct asked, write fails", true, OutputFile::Creation::DirectWhenNew, 0},
        {"existing, direct asked, commit fails", true, OutputFile::Creation::DirectWhenNew, 1},
        {"existing, temporary, write fails", true, OutputFile::Creation::ViaTemporary, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path target = dir / "f.k";
        if (c.existing)
            test::WriteBytes(target, Bytes("old"));
        FailWritesAfter(c.failAfter);
        EXPECT_THROW_MSG(
            {
                OutputFile out(target, c.creation);
                out.Write(Bytes("new bytes"));
                out.Commit();
            },
            target.string() + ": cannot write: No space left on device");
        FailWritesAfter(-1);
        if (c.existing) {
            EXPECT_EQ(test::ReadBytes(target), Bytes("old"));
            EXPECT_EQ(EntriesIn(dir.path()), 1u);
        } else {
            EXPECT_EQ(EntriesIn(dir.path()), 0u);
        }
    }
}

TEST(OutputFile, CommitReplacesOrCreates)
{
    for (auto creation : {OutputFile::Creation::DirectWhenNew, OutputFile::Creation::ViaTemporary}) {
        for (bool existing : {false, true}) {
            SCOPED_TRACE(std::to_string(existing) + std::to_string(static_cast<int>(creation)));
            TempDir dir;
            const fs::path target = dir / "f.k";
            if (existing)
                test::WriteBytes(target, Bytes("old and longer"));
            OutputFile out(target, creation);
            out.Write(Bytes("abcdef"));
            out.WriteAt(1, Bytes("XY"));
            out.Commit();
            EXPECT_EQ(test::ReadBytes(target), Bytes("aXYdef"));
            EXPECT_EQ(EntriesIn(dir.path()), 1u);
        }
    }
}

TEST(ReadFile, RefusesFilesOverTheCapAndFolders)
{
    TempDir dir;
    test::WriteBytes(dir / "five", Bytes("12345"));
    EXPECT_EQ(ReadFile(dir / "five", 5).size(), 5u);
    EXPECT_THROW_MSG(ReadFile(dir / "five", 4),
                     (dir / "five").string() + ": file is too large (0x5 bytes, at most 0x4)");
    EXPECT_THROW_MSG(ReadFile(dir.path(), 4), dir.path().string() + ": cannot open: Is a directory");
}

} // namespace
} // namespace zefir::fileio
