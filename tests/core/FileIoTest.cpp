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
    using enum Target;
    struct Case {
        const char* name;
        bool existing;
        Target kind;
        long failAfter; // write steps before the fault: Write, WriteAt, Commit; -1 for none
    } cases[] = {
        {"new, in a folder", false, InFolder, -1},     {"new, named", false, Named, -1},
        {"existing, in a folder", true, InFolder, -1}, {"existing, named", true, Named, -1},
        {"new, write fails", false, InFolder, 0},      {"new, commit fails", false, InFolder, 2},
        {"new, named, commit fails", false, Named, 2}, {"existing, write fails", true, InFolder, 0},
        {"existing, commit fails", true, Named, 2},    {"existing, write at fails", true, Named, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const fs::path target = dir / "f.k";
        if (c.existing)
            test::WriteBytes(target, Bytes("old and longer"));
        auto write = [&] {
            OutputFile out(target, c.kind);
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
