// Saving an archive over the file it was opened from: durable, through a
// symbolic link, keeping what the file was; and never over another
// process's save, whether that process is still at work or already done.

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "TestUtil.h"
#include "core/FileIo.h"
#include "core/archive/ArchiveModel.h"
#include "core/archive/EzxFormat.h"

namespace zefir::archive {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::TempDir;
using DiskState = ArchiveModel::DiskState;

struct SyncFaults {
    SyncFaults() { fileio::FailSyncs(true); }
    ~SyncFaults() { fileio::FailSyncs(false); }
};

#ifndef _WIN32
struct stat StatOf(const fs::path& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}
#endif

TEST(SaveInPlace, ReplacesTheFileAsTheUserHadIt)
{
#ifdef _WIN32
    GTEST_SKIP() << "owners, groups and permission bits are POSIX's; what Windows keeps, the "
                    "file's attributes, FileIoTest checks";
#else
    const std::vector<Member> members = test::PhoneMembers();
    std::vector<Member> edited = members;
    edited.erase(edited.begin());

    TempDir dir;
    const fs::path path = dir / "real.ezx";
    WriteArchive(members, path);
    ::chmod((dir / "real.ezx").c_str(), 0640);
    // Only root may give a file to another owner; the group is kept too.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown((dir / "real.ezx").c_str(), 1234, 5678), 0);
    }
    SYMLINK_OR_SKIP("real.ezx", dir / "link.ezx");

    ArchiveModel model(dir / "link.ezx", ArchiveModel::Locking::ForChange);
    model.Remove(0);
    {
        // A save that cannot reach the disk is a failed save.
        const SyncFaults faults;
        EXPECT_THROW(model.Save(dir / "link.ezx"), IoError);
    }
    EXPECT_EQ(ReadBytes(dir / "real.ezx"), BuildArchive(members, path));
    model.Save(dir / "link.ezx");

    EXPECT_TRUE(fs::is_symlink(dir / "link.ezx"));
    EXPECT_EQ(ReadBytes(dir / "real.ezx"), BuildArchive(edited, path));
    const struct stat st = StatOf(dir / "real.ezx");
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 1234u);
        EXPECT_EQ(st.st_gid, 5678u);
    }
    EXPECT_EQ(test::FolderNames(dir.path()), (std::vector<std::string>{"link.ezx", "real.ezx"}));
#endif
}

TEST(SaveInPlace, AnotherProcessChangingTheArchiveIsNeverSavedOver)
{
    const std::vector<Member> members = test::PhoneMembers();
    TempDir dir;
    const fs::path path = dir / "in.ezx";
    WriteArchive(members, path);

    // Two commands at once: the second is refused while the first holds
    // the archive, and neither waits.
    {
        ArchiveModel first(path, ArchiveModel::Locking::ForChange);
        EXPECT_THROW_MSG(ArchiveModel(path, ArchiveModel::Locking::ForChange),
                         path.string() + ": is being changed by another process");
        ArchiveModel editor(path);
        editor.Remove(0);
        EXPECT_THROW_MSG(editor.Save(path), path.string() + ": is being changed by another process");
    }
    EXPECT_EQ(ReadBytes(path), BuildArchive(members, path));
    if (test::UnderWine())
        GTEST_SKIP() << "Wine renames over no file that another program has open, where Windows "
                        "10 does";

    // Another program saved over the archive after it was opened here.
    ArchiveModel late(path);
    late.Remove(1);
    ArchiveModel early(path);
    early.Remove(0);
    early.Save(path);
    const std::vector<std::byte> theirs = ReadBytes(path);
    EXPECT_EQ(late.OnDisk(), DiskState::Replaced);
    EXPECT_THROW_MSG(late.Save(path), path.string() +
                                          ": another program saved over the file since it was "
                                          "opened; saving would undo its changes, so open it "
                                          "again");
    EXPECT_EQ(ReadBytes(path), theirs);
    // Elsewhere, or when the user says so, it saves: its members are still
    // those of the file it opened.
    std::vector<Member> lateMembers = members;
    lateMembers.erase(lateMembers.begin() + 1);
    late.Save(dir / "mine.ezx");
    EXPECT_EQ(ReadBytes(dir / "mine.ezx"), BuildArchive(lateMembers, path));
    EXPECT_EQ(late.OnDisk(), DiskState::Unchanged);
    NullProgress progress;
    ArchiveModel again(path);
    again.Remove(0);
    early.Remove(0);
    early.Save(path);
    again.Save(path, progress, ArchiveModel::WhenReplaced::SaveOver);
    EXPECT_EQ(ReadBytes(path), BuildArchive(std::vector<Member>(members.begin() + 2, members.end()), path));
}

TEST(SaveInPlace, AFileWrittenToInPlaceIsNoLongerRead)
{
    const std::vector<Member> members = test::PhoneMembers();
    TempDir dir;
    const fs::path path = dir / "in.ezx";
    WriteArchive(members, path);
    ArchiveModel model(path);
    model.Remove(0);

    // Another program grows the second member's block in place: the same
    // file, another size.
    std::uint64_t block = 0;
    {
        const ArchiveReader reader(path);
        block = std::uint64_t{reader.directory().dataBase} + reader.entries()[1].dataOffset;
    }
    const auto grown = static_cast<std::uint32_t>(members[1].data.size() + 1);
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        ASSERT_TRUE(file.is_open());
        file.seekp(static_cast<std::streamoff>(block + 4));
        for (int i = 0; i < 4; ++i)
            file.put(static_cast<char>((grown >> (8 * i)) & 0xFF));
        file.seekp(0, std::ios::end);
        file.put('\0');
    }
    const std::vector<std::byte> theirs = ReadBytes(path);

    EXPECT_EQ(model.OnDisk(), DiskState::Changed);
    try {
        model.Data(0);
        ADD_FAILURE() << "a member of another size was read";
    } catch (const IoError& e) {
        EXPECT_NE(std::string(e.what()).find(": the file changed since it was opened"),
                  std::string::npos)
            << e.what();
    }
    NullProgress progress;
    EXPECT_THROW_MSG(model.Save(path, progress, ArchiveModel::WhenReplaced::SaveOver),
                     path.string() + ": the file changed since it was opened; open it again");
    EXPECT_EQ(ReadBytes(path), theirs);
}

} // namespace
} // namespace zefir::archive
