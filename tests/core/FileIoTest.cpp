#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include "TestUtil.h"
#include "core/FileIo.h"

namespace zefir::fileio {
namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

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
        {"new, in a folder", false, InFolder, -1},
        {"new, named", false, Named, -1},
        {"existing, in a folder", true, InFolder, -1},
        {"existing, named", true, Named, -1},
        {"new, write fails", false, InFolder, 0},
        {"new, commit fails", false, InFolder, 2},
        {"new, named, commit fails", false, Named, 2},
        {"existing, write fails", true, InFolder, 0},
        {"existing, commit fails", true, Named, 2},
        {"existing, write at fails", true, Named, 1},
        {"new, in a new folder", false, InNewFolder, -1},
        {"existing, in a new folder", true, InNewFolder, -1},
        {"existing, in a new folder, commit fails", true, InNewFolder, 2},
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

// A file written into a folder taken as new looks at what stands in the way
// only when there is something, and then refuses what InFolder refuses and
// keeps a replaced file's permissions.
TEST(OutputFile, InANewFolderSomethingInTheWayIsStillChecked)
{
    test::TempDir dir;
    const fs::path target = dir / "f.k";
    auto write = [&] { WriteFile(target, Bytes("new"), Target::InNewFolder); };

    SYMLINK_OR_SKIP(dir / "elsewhere", target);
    EXPECT_THROW_MSG(write(), target.string() + ": cannot replace the file: it is a symbolic "
                                                "link, and nothing is written through one here");
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
    fs::remove(target);
    fs::create_directory(target);
    EXPECT_THROW_MSG(write(), target.string() + ": cannot replace the file: it is a folder");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"f.k"});
    fs::remove(target);

    test::WriteBytes(target, Bytes("old"));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    write();
    EXPECT_EQ(test::ReadBytes(target), Bytes("new"));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

// A file written ahead stands under no name until its commit and leaves
// nothing when it never gets one; whatever came into the way meanwhile is
// checked at the commit, as for any file of a new folder. A file the user
// named, or one over a file in a folder of the user's, is not written ahead;
// a file that came into the way of one is replaced as it would have been.
TEST(OutputFile, AFileWrittenAheadIsNamedOnlyByItsCommit)
{
    test::TempDir dir;
    const fs::path target = dir / "f.k";
    EXPECT_EQ(OutputFile::WrittenAhead(target, Target::Named, Bytes("x")), nullptr);

    auto ahead = OutputFile::WrittenAhead(target, Target::InNewFolder, Bytes("new"));
    if (!ahead)
        GTEST_SKIP() << "this file system has no unnamed files";
    EXPECT_TRUE(FolderNames(dir.path()).empty());
    ahead->Commit();
    EXPECT_EQ(test::ReadBytes(target), Bytes("new"));
    EXPECT_EQ(OutputFile::WrittenAhead(target, Target::InFolder, Bytes("x")), nullptr);
    fs::remove(target);

    ahead = OutputFile::WrittenAhead(target, Target::InFolder, Bytes("mine"));
    ASSERT_NE(ahead, nullptr);
    test::WriteBytes(target, Bytes("theirs"));
    ahead->Commit();
    EXPECT_EQ(test::ReadBytes(target), Bytes("mine"));
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"f.k"});
    fs::remove(target);

    OutputFile::WrittenAhead(target, Target::InNewFolder, Bytes("dropped"));
    EXPECT_TRUE(FolderNames(dir.path()).empty());

    ahead = OutputFile::WrittenAhead(target, Target::InNewFolder, Bytes("new"));
    SYMLINK_OR_SKIP(dir / "elsewhere", target);
    EXPECT_THROW_MSG(ahead->Commit(), target.string() + ": cannot replace the file: it is a "
                                                        "symbolic link, and nothing is written "
                                                        "through one here");
    ahead.reset();
    EXPECT_FALSE(fs::exists(dir / "elsewhere"));
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"f.k"});
}

// While a folder is held, a file written ahead is created and named through
// it: renamed meanwhile, the folder takes the file along. Released, names
// are looked up again.
TEST(FolderHold, AFileWrittenAheadGoesWhereTheHeldFolderIs)
{
    test::TempDir dir;
    fs::create_directory(dir / "raws");
    {
        const FolderHold held(dir / "raws");
        auto ahead =
            OutputFile::WrittenAhead(dir / "raws" / "a.k", Target::InNewFolder, Bytes("a"));
        if (!ahead)
            GTEST_SKIP() << "this file system has no unnamed files";
        fs::rename(dir / "raws", dir / "moved");
        ahead->Commit();
    }
    EXPECT_EQ(test::ReadBytes(dir / "moved" / "a.k"), Bytes("a"));
    fs::create_directory(dir / "raws");
    auto ahead = OutputFile::WrittenAhead(dir / "raws" / "b.k", Target::InNewFolder, Bytes("b"));
    ahead->Commit();
    EXPECT_EQ(FolderNames(dir / "raws"), std::vector<std::string>{"b.k"});
    EXPECT_EQ(FolderNames(dir / "moved"), std::vector<std::string>{"a.k"});
}

// A copied range lands after what was written before it, byte for byte; a
// range past the source's end or a fault on the copy leaves the target as
// it was.
TEST(OutputFile, CopiesARangeOfAnotherFile)
{
    struct Case {
        const char* name;
        std::uint64_t offset;
        std::uint64_t length;
        long failAfter;     // write steps before the fault: Write, CopyRange, Write, Commit
        const char* result; // the target's bytes, or the error after the path
    } cases[] = {
        {"middle", 2, 5, -1, "<23456>"},
        {"whole", 0, 10, -1, "<0123456789>"},
        {"nothing", 4, 0, -1, "<>"},
        {"past the end", 8, 3, -1, "data at 0x8 runs past the end of the file (10 bytes)"},
        {"copy fails", 2, 5, 1, "cannot write: No space left on device"},
        {"write after it fails", 2, 5, 2, "cannot write: No space left on device"},
    };
    test::TempDir dir;
    const fs::path source = dir / "source";
    test::WriteBytes(source, Bytes("0123456789"));
    const InputFile input(source);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target = dir / "target";
        test::WriteBytes(target, Bytes("old"));
        auto write = [&] {
            OutputFile out(target, Target::Named);
            out.Write(Bytes("<"));
            out.CopyRange(input, c.offset, c.length);
            out.Write(Bytes(">"));
            EXPECT_EQ(out.Position(), c.length + 2);
            out.Commit();
        };
        FailWritesAfter(c.failAfter);
        if (std::string_view(c.result).starts_with("<")) {
            write();
            EXPECT_EQ(test::ReadBytes(target), Bytes(c.result));
        } else {
            const fs::path named = c.failAfter < 0 ? source : target;
            EXPECT_THROW_MSG(write(), named.string() + ": " + c.result);
            EXPECT_EQ(test::ReadBytes(target), Bytes("old"));
        }
        FailWritesAfter(-1);
        EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"source", "target"}));
    }
}

} // namespace
// What a folder on this system cannot hold as a file's name, and which
// names are one file there.
TEST(FileNames, WhatThisSystemRefuses)
{
    struct Case {
        std::string name;
        const char* windows; // the reason on Windows, nullptr when fine
        bool fineElsewhere;
    } cases[] = {
        {"icon.k", nullptr, true},
        {"CON", "is a device's name on Windows, not a file's", true},
        {"nul.txt", "is a device's name on Windows, not a file's", true},
        {"Com9 .k", "is a device's name on Windows, not a file's", true},
        {"lpt1", "is a device's name on Windows, not a file's", true},
        {"COM0.k", nullptr, true},
        {"CONSOLE.k", nullptr, true},
        {"x.NUL", nullptr, true},
        {"a?.k", "holds \"?\", which Windows does not allow in a file's name", true},
        {"a:b", "holds \":\", which Windows does not allow in a file's name", true},
        {"a\\b", "holds \"\\\", which Windows does not allow in a file's name", true},
        {"tab\t.k", "holds a control character, which Windows does not allow in a file's name",
         true},
        {"end.", "ends in a dot or a space, which Windows drops from a file's name", true},
        {"end ", "ends in a dot or a space, which Windows drops from a file's name", true},
        // 128 two-byte letters: 256 bytes, but 128 characters on Windows.
        {std::string(256, 'a'), "is longer than the 255 characters a file's name may have", false},
    };
    std::string cyrillic;
    for (int i = 0; i < 128; ++i)
        cyrillic += "\xD0\x96";
    const std::optional<std::string> longCyrillic = WhyNotFileNameHere(cyrillic);
    EXPECT_EQ(longCyrillic.has_value(), !kWindows);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<std::string> why = WhyNotFileNameHere(c.name);
        if (kWindows) {
            EXPECT_EQ(why.value_or("fine"), c.windows ? c.windows : "fine");
        } else {
            EXPECT_EQ(why.has_value(), !c.fineElsewhere) << why.value_or("");
        }
    }
}

TEST(FileNames, NamesThatAreOneFile)
{
    struct Case {
        const char* a;
        const char* b;
        bool oneOnWindows;
    } cases[] = {
        {"x.k", "x.K", true},
        {"Icon.g", "ICON.G", true},
        {"\xD0\x96.k", "\xD0\xB6.k", true}, // Cyrillic Zhe, upper and lower case
        {"x.k", "x.g", false},
        {"x.k", "x.k ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(FileNameKey(c.a) == FileNameKey(c.b), kWindows && c.oneOnWindows);
    }
}

// The lock a change takes keeps a second change out but lets anyone read.
TEST(InputFile, LockForChangeRefusesASecondButNotAReader)
{
    test::TempDir dir;
    const fs::path path = dir / "a.ezx";
    test::WriteBytes(path, Bytes("archive"));
    const InputFile first(path);
    first.LockForChange();
    const InputFile second(path);
    EXPECT_THROW_MSG(second.LockForChange(), path.string() + ": is being changed by another process");
    std::vector<std::byte> read(7);
    EXPECT_EQ(second.ReadAt(0, read), 7u);
    EXPECT_EQ(read, Bytes("archive"));
    EXPECT_EQ(ReadFile(path, 100), Bytes("archive"));
}

// A save over a file this process is reading: the file it read is replaced
// whole, even where open files cannot be renamed over.
TEST(OutputFile, ReplacesAFileThisProcessReads)
{
    test::TempDir dir;
    const fs::path path = dir / "open.ezx";
    test::WriteBytes(path, Bytes("old"));
    InputFile reader(path);
    reader.LockForChange();
    OutputFile out(path, Target::Named);
    out.Write(Bytes("new"));
    out.Commit(reader);
    EXPECT_EQ(test::ReadBytes(path), Bytes("new"));
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"open.ezx"});
    // The new file is free for the next save to lock.
    const InputFile next(path);
    EXPECT_NO_THROW(next.LockForChange());
}

#ifdef _WIN32
// When the rename fails all the same, the file this process reads is read
// again, still the old one, and its lock is back.
TEST(OutputFile, AFailedSaveOverAFileThisProcessReadsKeepsItReadable)
{
    test::TempDir dir;
    const fs::path path = dir / "open.ezx";
    test::WriteBytes(path, Bytes("old"));
    InputFile reader(path);
    reader.LockForChange();
    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        OutputFile out(path, Target::Named);
        out.Write(Bytes("new"));
        EXPECT_THROW_MSG(out.Commit(reader),
                         path.string() + ": cannot replace the file: it is open in another program");
    }
    ::CloseHandle(held);
    std::vector<std::byte> read(3);
    EXPECT_EQ(reader.ReadAt(0, read), 3u);
    EXPECT_EQ(read, Bytes("old"));
    const InputFile second(path);
    EXPECT_THROW_MSG(second.LockForChange(), path.string() + ": is being changed by another process");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"open.ezx"});
}

// A target another program holds open without sharing cannot be replaced:
// the error names it and says why, and the temporary file is gone.
TEST(OutputFile, ATargetHeldOpenIsNamedAndNothingIsLeft)
{
    test::TempDir dir;
    const fs::path target = dir / "held.ezx";
    test::WriteBytes(target, Bytes("old"));
    HANDLE held = ::CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW_MSG(WriteFile(target, Bytes("new"), Target::Named),
                     target.string() + ": cannot replace the file: it is open in another program");
    ::CloseHandle(held);
    EXPECT_EQ(test::ReadBytes(target), Bytes("old"));
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"held.ezx"});
}
#endif

} // namespace zefir::fileio
