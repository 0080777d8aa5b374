#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/FileIo.h"

namespace zefir::fileio {
namespace {

using test::Bytes;
using test::FolderNames;

// A file is replaced whole or not at all: whatever fails, a file that was
// there keeps its bytes, nothing is left beside it, and a file that was not
// there is not left half-written.
TEST(OutputFile, ReplacesWholeOrNotAtAll)
{
    using enum OutputFile::Creation;
    struct Case {
        const char* name;
        bool existing;
        OutputFile::Creation creation;
        long failAfter; // write steps before the fault: Write, WriteAt, Commit; -1 for none
    } cases[] = {
        {"new, direct", false, DirectWhenNew, -1},
        {"new, temporary", false, ViaTemporary, -1},
        {"existing, direct asked", true, DirectWhenNew, -1},
        {"existing, temporary", true, ViaTemporary, -1},
        {"new, direct, write fails", false, DirectWhenNew, 0},
        {"new, direct, commit fails", false, DirectWhenNew, 2},
        {"new, temporary, commit fails", false, ViaTemporary, 2},
        {"existing, direct asked, write fails", true, DirectWhenNew, 0},
        {"existing, direct asked, commit fails", true, DirectWhenNew, 2},
        {"existing, temporary, write at fails", true, ViaTemporary, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const fs::path target = dir / "f.k";
        if (c.existing)
            test::WriteBytes(target, Bytes("old and longer"));
        auto write = [&] {
            OutputFile out(target, c.creation);
            out.Write(Bytes("abcdef"));
            out.WriteAt(1, Bytes("XY"));
            out.Commit();
        };
        FailWritesAfter(c.failAfter);
        if (c.failAfter < 0) {
            write();
        } else {
            EXPECT_THROW_MSG(write(), target.string() + ": cannot write: No space left on device");
        }
        FailWritesAfter(-1);
        if (c.failAfter < 0 || c.existing) {
            EXPECT_EQ(test::ReadBytes(target),
                      Bytes(c.failAfter < 0 ? "aXYdef" : "old and longer"));
            EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"f.k"});
        } else {
            EXPECT_TRUE(FolderNames(dir.path()).empty());
        }
    }
}

} // namespace
} // namespace zefir::fileio
