// The archive model: every change saves to the bytes the writer makes of the
// new member list, every refused change leaves model and file as they were,
// and a save that fails at any write leaves the target as it was.

#include <functional>
#include <string>
#include <vector>

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

std::vector<std::byte> Saved(ArchiveModel& model, const fs::path& target)
{
    model.Save(target);
    return ReadBytes(target);
}

struct Change {
    const char* name;
    std::function<void(ArchiveModel&)> onModel;
    std::function<void(std::vector<Member>&)> onList;
};

TEST(ArchiveModel, EachChangeSavesWhatTheWriterMakesOfTheNewList)
{
    const std::vector<Member> original = test::PhoneMembers();
    const Change changes[] = {
        {"nothing", [](ArchiveModel&) {}, [](std::vector<Member>&) {}},
        {"replace", [](ArchiveModel& a) { a.Replace(1, Bytes("new")); },
         [](std::vector<Member>& m) { m[1].data = Bytes("new"); }},
        {"replace with nothing", [](ArchiveModel& a) { a.Replace(0, {}); },
         [](std::vector<Member>& m) { m[0].data.clear(); }},
        {"add", [](ArchiveModel& a) { EXPECT_EQ(a.Add("z.k", Bytes("zz")), 13u); },
         [](std::vector<Member>& m) {
             m.push_back({"z.k", Bytes("zz")});
         }},
        {"insert first", [](ArchiveModel& a) { a.Insert(0, "0.g", Bytes("GIF8")); },
         [](std::vector<Member>& m) {
             m.insert(m.begin(), {"0.g", Bytes("GIF8")});
         }},
        {"remove first", [](ArchiveModel& a) { a.Remove(0); },
         [](std::vector<Member>& m) { m.erase(m.begin()); }},
        {"remove last", [](ArchiveModel& a) { a.Remove(12); },
         [](std::vector<Member>& m) { m.pop_back(); }},
        {"remove all",
         [](ArchiveModel& a) {
             while (a.size() > 0)
                 a.Remove(0);
         },
         [](std::vector<Member>& m) { m.clear(); }},
        {"rename", [](ArchiveModel& a) { a.Rename(0, "b.K"); },
         [](std::vector<Member>& m) { m[0].name = "b.K"; }},
        {"rename a raw picture, its size kept",
         [](ArchiveModel& a) { a.Rename(3, "l(12x10).RAW"); },
         [](std::vector<Member>& m) { m[3].name = "l(12x10).RAW"; }},
        {"remove, then put back",
         [](ArchiveModel& a) {
             std::string name = a.Name(3);
             auto data = a.Data(3);
             a.Remove(3);
             a.Insert(3, name, data);
         },
         [](std::vector<Member>&) {}},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteArchive(original, dir / "in.ezx");
        std::vector<Member> expected = original;
        c.onList(expected);
        const std::vector<std::byte> wanted = BuildArchive(expected, "x");

        ArchiveModel model(dir / "in.ezx");
        c.onModel(model);
        EXPECT_EQ(Saved(model, dir / "out.ezx"), wanted);
        // Over the file it was opened from, and again from the new file.
        ArchiveModel again(dir / "in.ezx");
        c.onModel(again);
        EXPECT_EQ(Saved(again, dir / "in.ezx"), wanted);
        EXPECT_FALSE(again.IsModified());
        ASSERT_EQ(again.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(again.Data(i), expected[i].data) << i;
        EXPECT_EQ(test::FolderNames(dir.path()), (std::vector<std::string>{"in.ezx", "out.ezx"}));
    }
}

TEST(ArchiveModel, OpensWhatTheWriterWroteAndLeavesOutNamelessEntries)
{
    TempDir dir;
    const std::vector<Member> members = test::PhoneMembers();
    WriteArchive(members, dir / "in.ezx");
    ArchiveModel model(dir / "in.ezx");
    ASSERT_EQ(model.size(), members.size());
    EXPECT_EQ(model.Name(2), test::kIconCp1251 + ".k");
    EXPECT_EQ(model.DisplayName(2), "Значок.k");
    EXPECT_EQ(model.DataSize(4), members[4].data.size());
    EXPECT_EQ(model.FindAll("p.g"), (std::vector<std::size_t>{5}));
    EXPECT_EQ(model.FindOne("s.k"), 1u);

    // An entry whose name is empty (its name string starts with 0x0A).
    std::vector<std::byte> bytes = BuildArchive(members, "x");
    bytes[kHeaderSize] = std::byte{0x0A};
    test::WriteBytes(dir / "nameless.ezx", bytes);
    ArchiveModel nameless(dir / "nameless.ezx");
    EXPECT_EQ(nameless.size(), members.size() - 1);
    EXPECT_EQ(nameless.Name(0), "s.k");

    // Entries out of the order of their blocks, and a block marker the
    // reader ignores: saved as the writer lays the members out.
    bytes = BuildArchive(members, "x");
    const ArchiveReader reader(dir / "in.ezx");
    const std::size_t table = reader.directory().tableOffset;
    std::swap_ranges(bytes.begin() + table, bytes.begin() + table + kEntrySize,
                     bytes.begin() + table + kEntrySize);
    bytes[reader.directory().dataBase] = std::byte{0};
    test::WriteBytes(dir / "odd.ezx", bytes);
    // A name that would land outside the folder it is exported into is
    // refused when opening, as extraction refuses it.
    WriteArchive(std::vector<Member>{{"ok.k", {}}, {"../up.k", {}}}, dir / "unsafe.ezx");
    EXPECT_THROW_MSG(ArchiveModel(dir / "unsafe.ezx"),
                     (dir / "unsafe.ezx").string() +
                         ": entry 1: member name \"../up.k\" holds \"/\", \"\\\" or a NUL byte");

    std::vector<Member> swapped = members;
    std::swap(swapped[0], swapped[1]);
    ArchiveModel odd(dir / "odd.ezx");
    EXPECT_EQ(Saved(odd, dir / "odd.ezx"), BuildArchive(swapped, "x"));

    // Names no new member may have, already held: they open, are found, and
    // a removal is undone with them.
    const std::vector<Member> control = {{"a\tb.k", Bytes("t")}, {"\x1B[2J.k", {}}};
    WriteArchive(control, dir / "control.ezx");
    ArchiveModel held(dir / "control.ezx");
    EXPECT_EQ(held.FindOne("\x1B[2J.k"), 1u);
    held.Remove(0);
    held.Insert(0, "a\tb.k", Bytes("t"));
    EXPECT_EQ(Saved(held, dir / "control.ezx"), BuildArchive(control, "x"));
}

// The name index, once a check has built it, follows removals and renames.
TEST(ArchiveModel, ANameFreedIsFreeAndATakenOneStaysTaken)
{
    TempDir dir;
    WriteArchive(test::PhoneMembers(), dir / "in.ezx");
    ArchiveModel model(dir / "in.ezx");
    EXPECT_THROW(model.Add("a.k", {}), IoError);
    model.Remove(model.FindOne("a.k"));
    model.Add("a.k", Bytes("again"));
    EXPECT_THROW(model.Add("a.k", {}), IoError);
    model.Rename(model.FindOne("s.k"), "t.k");
    model.Add("s.k", {});
    EXPECT_THROW(model.Rename(model.FindOne("s.k"), "t.k"), IoError);
    EXPECT_EQ(model.Data(model.FindOne("a.k")), Bytes("again"));
}

// A block whose marker is not the writer's, between unchanged members that
// are copied in runs: it is written with the writer's marker and every
// member's bytes come out exactly.
TEST(ArchiveModel, ABlockWithAForeignMarkerIsSavedWithTheWritersMarker)
{
    const std::vector<Member> members = test::PhoneMembers();
    const Change changes[] = {
        {"nothing changed", [](ArchiveModel&) {}, [](std::vector<Member>&) {}},
        {"the first member replaced", [](ArchiveModel& a) { a.Replace(0, Bytes("new")); },
         [](std::vector<Member>& m) { m[0].data = Bytes("new"); }},
        {"the member after it replaced", [](ArchiveModel& a) { a.Replace(7, Bytes("new")); },
         [](std::vector<Member>& m) { m[7].data = Bytes("new"); }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::vector<std::byte> bytes = BuildArchive(members, "x");
        test::WriteBytes(dir / "in.ezx", bytes);
        const std::size_t block = [&] {
            const ArchiveReader reader(dir / "in.ezx");
            return reader.directory().dataBase + reader.entries()[6].dataOffset;
        }();
        bytes[block] = std::byte{0x11};
        test::WriteBytes(dir / "in.ezx", bytes);
        std::vector<Member> expected = members;
        c.onList(expected);
        ArchiveModel model(dir / "in.ezx");
        c.onModel(model);
        EXPECT_EQ(Saved(model, dir / "out.ezx"), BuildArchive(expected, "x"));
    }
}

struct Refusal {
    const char* name;
    std::function<void(ArchiveModel&)> change;
    ErrorKind kind;
    std::string message; // after "<archive>: "
};

TEST(ArchiveModel, ARefusedChangeLeavesModelAndFileAsTheyWere)
{
    const std::string longName(100, 'n');
    const Refusal refusals[] = {
        {"a name taken", [](ArchiveModel& a) { a.Add("a.k", {}); }, ErrorKind::Refused,
         "a member named \"a.k\" is already there"},
        {"an empty name", [](ArchiveModel& a) { a.Add("", {}); }, ErrorKind::Refused,
         "a member name cannot be empty"},
        {"100 bytes", [&](ArchiveModel& a) { a.Add(longName, {}); }, ErrorKind::Refused,
         "member name \"" + longName + "\" is 100 bytes, more than the limit of 99"},
        {"a line break", [](ArchiveModel& a) { a.Insert(0, "a\nb.k", {}); }, ErrorKind::Refused,
         "member name \"a\\nb.k\" holds a line break"},
        {"a slash", [](ArchiveModel& a) { a.Add("x/y.k", {}); }, ErrorKind::Refused,
         "member name \"x/y.k\" holds \"/\", \"\\\" or a NUL byte"},
        {"a backslash", [](ArchiveModel& a) { a.Add("x\\y.k", {}); }, ErrorKind::Refused,
         "member name \"x\\\\y.k\" holds \"/\", \"\\\" or a NUL byte"},
        {"a NUL", [](ArchiveModel& a) { a.Add(std::string("x\0.k", 4), {}); }, ErrorKind::Refused,
         "member name \"x\\x00.k\" holds \"/\", \"\\\" or a NUL byte"},
        {"..", [](ArchiveModel& a) { a.Add("..", {}); }, ErrorKind::Refused,
         "member name \"..\" names a folder"},
        {"over 1 MiB",
         [](ArchiveModel& a) { a.Replace(0, std::vector<std::byte>(kMaxMemberSize + 1)); },
         ErrorKind::OverLimit,
         "the data is 1,048,577 bytes, more than the limit of 1 MiB for a member"},
        {"add over 1 MiB",
         [](ArchiveModel& a) { a.Add("big.k", std::vector<std::byte>(kMaxMemberSize + 1)); },
         ErrorKind::OverLimit,
         "the data is 1,048,577 bytes, more than the limit of 1 MiB for a member"},
        {"another kind", [](ArchiveModel& a) { a.Rename(0, "a.g"); }, ErrorKind::Refused,
         "member \"a.k\" cannot be renamed to \"a.g\": another extension would make it another "
         "kind of file"},
        {"a raw picture's size", [](ArchiveModel& a) { a.Rename(3, "logo(10x12).raw"); },
         ErrorKind::Refused,
         "member \"logo(12x10).raw\" cannot be renamed to \"logo(10x12).raw\": the name of a "
         "raw picture gives its size, 12x10, and the new name gives 10x12"},
        {"renamed onto another", [](ArchiveModel& a) { a.Rename(0, "s.k"); }, ErrorKind::Refused,
         "a member named \"s.k\" is already there"},
        {"renamed to nothing", [](ArchiveModel& a) { a.Rename(0, ""); }, ErrorKind::Refused,
         "a member name cannot be empty"},
        {"no such place", [](ArchiveModel& a) { a.Insert(14, "q.k", {}); }, ErrorKind::Refused,
         "there is no place 14 (the archive has 13 members)"},
        {"no such member", [](ArchiveModel& a) { a.Remove(13); }, ErrorKind::Refused,
         "there is no member number 13 (the archive has 13)"},
        {"no such name", [](ArchiveModel& a) { a.FindOne("q.k"); }, ErrorKind::Refused,
         "no member named \"q.k\""},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        TempDir dir;
        WriteArchive(test::PhoneMembers(), dir / "in.ezx");
        const std::vector<std::byte> before = ReadBytes(dir / "in.ezx");
        ArchiveModel model(dir / "in.ezx");
        try {
            r.change(model);
            ADD_FAILURE() << "not refused";
        } catch (const IoError& e) {
            EXPECT_EQ(e.message(), r.message);
            EXPECT_EQ(e.kind(), r.kind);
            EXPECT_EQ(e.path(), dir / "in.ezx");
        }
        EXPECT_FALSE(model.IsModified());
        EXPECT_EQ(ReadBytes(dir / "in.ezx"), before);
        EXPECT_EQ(Saved(model, dir / "out.ezx"), before);
    }
}

TEST(ArchiveModel, ANameHeldTwiceIsAmbiguousAndTheLimitIsKept)
{
    TempDir dir;
    WriteArchive(std::vector<Member>{{"a.k", Bytes("1")}, {"b.k", {}}, {"a.k", Bytes("2")}},
                 dir / "twice.ezx");
    ArchiveModel twice(dir / "twice.ezx");
    EXPECT_EQ(twice.FindAll("a.k"), (std::vector<std::size_t>{0, 2}));
    EXPECT_THROW_MSG(twice.FindOne("a.k"),
                     (dir / "twice.ezx").string() +
                         ": 2 members are named \"a.k\"; the name does not say which");
    // After renaming one of them the other is found, and its name is still taken.
    twice.Rename(2, "c.k");
    EXPECT_EQ(twice.FindOne("a.k"), 0u);
    EXPECT_THROW(twice.Add("a.k", {}), IoError);

    std::vector<Member> full(kMaxEntries);
    for (std::size_t i = 0; i < full.size(); ++i)
        full[i].name = std::to_string(i);
    WriteArchive(full, dir / "full.ezx");
    ArchiveModel model(dir / "full.ezx");
    EXPECT_THROW_MSG(model.Add("one more", {}),
                     (dir / "full.ezx").string() +
                         ": the archive already holds 65536 members, the limit");
    model.Remove(0);
    EXPECT_EQ(model.Add("one more", {}), kMaxEntries - 1);
}

// Switches injected write faults off again whatever the outcome.
struct FaultInjection {
    explicit FaultInjection(long n) { fileio::FailWritesAfter(n); }
    ~FaultInjection() { fileio::FailWritesAfter(-1); }
};

TEST(ArchiveModel, ASaveThatFailsAtAnyWriteLeavesTheTargetAsItWas)
{
    TempDir dir;
    std::vector<Member> members = test::PhoneMembers();
    WriteArchive(members, dir / "in.ezx");
    const std::vector<std::byte> before = ReadBytes(dir / "in.ezx");
    ArchiveModel model(dir / "in.ezx");
    model.Replace(5, Bytes("changed"));
    members[5].data = Bytes("changed");

    long failures = 0;
    for (;; ++failures) {
        SCOPED_TRACE("a fault after " + std::to_string(failures) + " writes");
        const std::size_t openBefore = test::OpenFiles();
        try {
            FaultInjection fault(failures);
            model.Save(dir / "in.ezx");
            break;
        } catch (const IoError& e) {
            EXPECT_EQ(e.what(),
                      (dir / "in.ezx").string() + ": cannot write: No space left on device");
            EXPECT_EQ(e.kind(), ErrorKind::CannotWrite);
        }
        EXPECT_EQ(ReadBytes(dir / "in.ezx"), before);
        EXPECT_EQ(test::FolderNames(dir.path()), std::vector<std::string>{"in.ezx"});
        EXPECT_EQ(test::OpenFiles(), openBefore);
        EXPECT_TRUE(model.IsModified());
        ASSERT_LT(failures, 100);
    }
    // The head, the members before the changed one in one piece, its header
    // and data, the members after it in one piece, and the rename.
    EXPECT_EQ(failures, 6);
    EXPECT_EQ(ReadBytes(dir / "in.ezx"), BuildArchive(members, "x"));
}

std::string Ellipses(std::size_t n)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += "\xE2\x80\xA6";
    return out;
}

TEST(ArchiveModel, NamesFromUtf8AreStrict)
{
    struct Case {
        const char* name;
        std::string utf8;
        std::string bytes;   // when accepted
        std::string message; // when refused
    };
    const Case cases[] = {
        {"ASCII", "a.k", "a.k", ""},
        {"Cyrillic", "Значок.k", test::kIconCp1251 + ".k", ""},
        {"the euro sign", "\xE2\x82\xAC.g", "\x88.g", ""},
        {"overlong '.'", "a\xC0\xAE.k", "",
         "the name is not valid UTF-8 (byte 0xC0 at position 1)"},
        {"overlong three bytes", "\xE0\x81\x81", "",
         "the name is not valid UTF-8 (byte 0xE0 at position 0)"},
        {"a surrogate", "\xED\xA0\x80", "",
         "the name is not valid UTF-8 (byte 0xED at position 0)"},
        {"cut short", "ab\xD0", "", "the name is not valid UTF-8 (byte 0xD0 at position 2)"},
        {"a lone continuation", "\x80", "",
         "the name is not valid UTF-8 (byte 0x80 at position 0)"},
        {"no Windows-1251 form", "\xE4\xB8\xAD.k", "",
         "the name \"\xE4\xB8\xAD.k\" holds a character Windows-1251 cannot write"},
        {"four bytes", "\xF0\x9F\x98\x80", "",
         "the name \"\xF0\x9F\x98\x80\" holds a character Windows-1251 cannot write"},
        {"a separator", "a/b", "", "member name \"a/b\" holds \"/\", \"\\\" or a NUL byte"},
        {"a tab", "a\tb.k", "", "member name \"a\\tb.k\" holds a control character (\\t)"},
        {"an escape", "\x1B[31m.k", "",
         "member name \"\\x1B[31m.k\" holds a control character (\\x1B)"},
        {"DEL", "a\x7F.k", "", "member name \"a\\x7F.k\" holds a control character (\\x7F)"},
        // "…" is one byte in Windows-1251 and three in UTF-8.
        {"a file name of 255 bytes", Ellipses(85), std::string(85, '\x85'), ""},
        {"a file name of 256 bytes", Ellipses(84) + "ab.k", "",
         "member name \"" + Ellipses(84) +
             "ab.k\" would be a file name of 256 bytes in UTF-8, more than the 255 a file name may "
             "have"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.message.empty())
            EXPECT_EQ(ArchiveModel::NameFromUtf8(c.utf8, "f"), c.bytes);
        else
            EXPECT_THROW_MSG(ArchiveModel::NameFromUtf8(c.utf8, "f"), "f: " + c.message);
    }
}

} // namespace
} // namespace zefir::archive
