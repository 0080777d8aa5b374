#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/FileIo.h"
#include "core/archive/EzxFormat.h"

namespace zefir::archive {
namespace {

using test::Append;
using test::AppendU32;
using test::Bytes;
using test::TempDir;

std::vector<std::byte> Header(std::string_view offsetField)
{
    return Bytes(std::string("motoskin\n\nv1.00\n") + std::string(offsetField) +
                 "\n\nComment: zefirkit\nID table:\n\n");
}

// Two members, a.k (5 bytes) and c.g (3 bytes), written by hand field by
// field.
std::vector<std::byte> WorkedExample()
{
    std::vector<std::byte> b = Header("00000040");   // 0..54, P = 64
    Append(b, Bytes("a.k\n"));                       // 55: name 0
    Append(b, Bytes("c.g\n"));                       // 59: name 1
    Append(b, Bytes({0x00}));                        // 63: padding
    Append(b, Bytes({0xBA, 0xDC, 0xCD, 0xAB}));      // 64: directory marker
    AppendU32(b, 55);                                // NamesBase
    AppendU32(b, 2);                                 // EntryCount
    AppendU32(b, 84);                                // TableOffset
    AppendU32(b, 108);                               // DataBase
    AppendU32(b, 0x1B3);                             // 84: a.k hash
    AppendU32(b, 0);                                 //     NameOffset
    AppendU32(b, 0);                                 //     DataOffset
    AppendU32(b, 0x1B7);                             // 96: c.g hash
    AppendU32(b, 4);                                 //     NameOffset
    AppendU32(b, 13);                                //     DataOffset
    Append(b, Bytes({0xCD, 0xAB, 0xBA, 0xDC}));      // 108: member marker
    AppendU32(b, 5);                                 //      size
    Append(b, Bytes({1, 2, 3, 4, 5}));               //      data
    Append(b, Bytes({0xCD, 0xAB, 0xBA, 0xDC}));      // 121: member marker
    AppendU32(b, 3);                                 //      size
    Append(b, Bytes({6, 7, 8}));                     //      data
    return b;                                        // 132 bytes
}

std::vector<Member> WorkedMembers()
{
    return {{"a.k", Bytes({1, 2, 3, 4, 5})}, {"c.g", Bytes({6, 7, 8})}};
}

TEST(NameHash, KnownValues)
{
    struct Case {
        std::string name;
        std::uint32_t hash;
    } cases[] = {
        {"", 0},
        {"abc", 0x123},
        {"a.k", 0x1B3},
        {"c.g", 0x1B7},
        // Long enough that the right shift by 20 feeds back.
        {"status_battery_full.g", 0x05AFFA3E},
        // Bytes above 0x7F count as unsigned values.
        {"\xFF", 0xFF},
        {"\x80\x80", 0x80 << 1 ^ 0x80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NameHash(c.name), c.hash);
    }
}

TEST(OffsetField, EncodesLowerCaseAndDecodesEitherCase)
{
    struct Case {
        std::uint32_t offset;
        std::string text;
    } cases[] = {
        {0x38, "00000038"}, {0x3C, "0000003c"},   {64, "00000040"},
        {4660, "00001234"}, {43981, "0000abcd"},  {0xFFFFFFFF, "ffffffff"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto field = EncodeOffsetField(c.offset);
        EXPECT_EQ(std::string(field.begin(), field.end()), c.text);
        auto bytes = Bytes(c.text);
        EXPECT_EQ(DecodeOffsetField(std::span<const std::byte, 8>(bytes.data(), 8), "x"), c.offset);
    }
    auto upper = Bytes("0000ABCD");
    EXPECT_EQ(DecodeOffsetField(std::span<const std::byte, 8>(upper.data(), 8), "x"), 43981u);
}

TEST(OffsetField, RefusesCharactersThatAreNotHexadecimal)
{
    for (std::string text : {"0000004g", "0000 040", "-0000040", "0000004G"}) {
        SCOPED_TRACE(text);
        auto bytes = Bytes(text);
        EXPECT_THROW_MSG(DecodeOffsetField(std::span<const std::byte, 8>(bytes.data(), 8), "a.ezx"),
                         "a.ezx: the header's offset field \"" + text + "\" is not hexadecimal");
    }
}

TEST(ArchiveWriter, LayoutsByteForByte)
{
    auto emptyArchive = Header("00000038");
    Append(emptyArchive, Bytes({0}));                    // 55: padding
    Append(emptyArchive, Bytes({0xBA, 0xDC, 0xCD, 0xAB}));
    AppendU32(emptyArchive, 55);
    AppendU32(emptyArchive, 0);
    AppendU32(emptyArchive, 76);
    AppendU32(emptyArchive, 76);

    // 55 + "abcd\n" = 60, a multiple of 4: no padding.
    auto fourByteName = Header("0000003c");
    Append(fourByteName, Bytes("abcd\n"));
    Append(fourByteName, Bytes({0xBA, 0xDC, 0xCD, 0xAB}));
    AppendU32(fourByteName, 55);
    AppendU32(fourByteName, 1);
    AppendU32(fourByteName, 80);
    AppendU32(fourByteName, 92);
    AppendU32(fourByteName, NameHash("abcd"));
    AppendU32(fourByteName, 0);
    AppendU32(fourByteName, 0);
    Append(fourByteName, Bytes({0xCD, 0xAB, 0xBA, 0xDC}));
    AppendU32(fourByteName, 0);

    struct Case {
        const char* name;
        std::vector<Member> members;
        std::vector<std::byte> expected;
        std::size_t size;
    } cases[] = {
        {"worked example", WorkedMembers(), WorkedExample(), 132},
        {"empty archive", {}, emptyArchive, 76},
        {"four-byte name of size 0", {{"abcd", {}}}, fourByteName, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = BuildArchive(c.members, "out.ezx");
        EXPECT_EQ(bytes.size(), c.size);
        EXPECT_EQ(bytes, c.expected);
    }
}

TEST(ArchiveWriter, ZeroSizeMembersAdvanceByTheBlockHeader)
{
    std::vector<Member> members = {{"a", {}}, {"b", {}}, {"c", Bytes({9})}};
    std::vector<std::string> names = {"a", "b", "c"};
    std::vector<std::uint32_t> sizes = {0, 0, 1};
    auto layout = PlanArchive(names, sizes, "x");
    ASSERT_EQ(layout.entries.size(), 3u);
    EXPECT_EQ(layout.entries[1].dataOffset, 8u);
    EXPECT_EQ(layout.entries[2].dataOffset, 16u);
    EXPECT_EQ(layout.entries[2].nameOffset, 4u);
}

TEST(ArchiveWriter, RefusesWhatTheReaderCouldNotReadBack)
{
    std::vector<std::uint32_t> one = {0};
    std::vector<std::string> longName = {std::string(100, 'n')};
    EXPECT_THROW_MSG(PlanArchive(longName, one, "o.ezx"),
                     "o.ezx: member name \"" + longName[0] +
                         "\" is empty, longer than 99 bytes or holds a line break");
    std::vector<std::string> lineBreak = {"a\nb"};
    EXPECT_THROW(PlanArchive(lineBreak, one, "o.ezx"), IoError);
    std::vector<std::string> big = {"big.k"};
    std::vector<std::uint32_t> bigSize = {kMaxMemberSize + 1};
    EXPECT_THROW_MSG(PlanArchive(big, bigSize, "o.ezx"),
                     "o.ezx: member \"big.k\" is 0x100001 bytes, more than the limit of 1 MiB");
    std::vector<std::string> tooMany(kMaxEntries + 1, "n");
    std::vector<std::uint32_t> tooManySizes(kMaxEntries + 1, 0);
    EXPECT_THROW_MSG(PlanArchive(tooMany, tooManySizes, "o.ezx"),
                     "o.ezx: 65537 members are more than the limit of 65536");
    // 99 bytes is the longest name that reads back.
    std::vector<std::string> longest = {std::string(99, 'n')};
    EXPECT_NO_THROW(PlanArchive(longest, one, "o.ezx"));
}

struct ReadMember {
    std::string name;
    std::vector<std::byte> data;
    bool operator==(const ReadMember&) const = default;
};

std::vector<ReadMember> ReadAll(const fs::path& path)
{
    ArchiveReader reader(path);
    std::vector<ReadMember> out;
    std::vector<std::byte> buffer;
    for (std::size_t i = 0; i < reader.entries().size(); ++i) {
        std::string name = reader.ReadName(i);
        if (name.empty())
            continue;
        reader.ReadMember(i, buffer);
        out.push_back({name, buffer});
    }
    return out;
}

TEST(ArchiveReader, ReadsWhatTheWriterWrote)
{
    TempDir dir;
    std::vector<Member> members = {
        {"a.k", Bytes({1, 2, 3, 4, 5})},
        {"zero.g", {}},
        // Two names with one hash are both kept.
        {"ab", Bytes({7})},
        {"B$", Bytes({8})},
        {"\xC8\xEA\xEE\xED\xEA\xE0.k", Bytes({0xAA, 0xBB})}, // Windows-1251 bytes
    };
    ASSERT_EQ(NameHash("ab"), NameHash("B$"));
    WriteArchive(members, dir / "x.ezx");
    auto got = ReadAll(dir / "x.ezx");
    ASSERT_EQ(got.size(), members.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].name, members[i].name);
        EXPECT_EQ(got[i].data, members[i].data);
    }
}

// An archive whose regions lie in another order than the writer's: member
// blocks first, then the table (entries sorted by hash, hashes wrong), names
// and directory last, with an upper-case offset field and another comment.
TEST(ArchiveReader, TakesRegionsFromTheDirectory)
{
    std::vector<std::byte> b = Bytes("motoskin\n\nv1.00\n000000XX\n\nComment: another tool!!\nID:\n\n");
    ASSERT_EQ(b.size(), 55u);
    const std::size_t dataBase = b.size();
    Append(b, Bytes({0xCD, 0xAB, 0xBA, 0xDC}));
    AppendU32(b, 2);
    Append(b, Bytes({0x11, 0x22}));                 // c.g's data at DataOffset 0
    Append(b, Bytes({0xCD, 0xAB, 0xBA, 0xDC}));
    AppendU32(b, 1);
    Append(b, Bytes({0x33}));                       // a.k's data at DataOffset 10
    const std::size_t table = b.size();
    AppendU32(b, 0);                                // a.k, hash ignored
    AppendU32(b, 4);
    AppendU32(b, 10);
    AppendU32(b, 0xDEAD);                           // c.g
    AppendU32(b, 0);
    AppendU32(b, 0);
    const std::size_t names = b.size();
    Append(b, Bytes("c.g\na.k\n"));
    const std::size_t directory = b.size();
    Append(b, Bytes({0, 0, 0, 0}));                 // marker not checked
    AppendU32(b, static_cast<std::uint32_t>(names));
    AppendU32(b, 2);
    AppendU32(b, static_cast<std::uint32_t>(table));
    AppendU32(b, static_cast<std::uint32_t>(dataBase));
    char field[9];
    std::snprintf(field, sizeof field, "%08X", static_cast<unsigned>(directory));
    for (int i = 0; i < 8; ++i)
        b[16 + i] = static_cast<std::byte>(field[i]);

    TempDir dir;
    test::WriteBytes(dir / "o.ezx", b);
    auto got = ReadAll(dir / "o.ezx");
    std::vector<ReadMember> expected = {{"a.k", Bytes({0x33})}, {"c.g", Bytes({0x11, 0x22})}};
    EXPECT_EQ(got, expected);
}

TEST(ArchiveReader, EntriesWithEmptyNamesAreSkipped)
{
    auto b = WorkedExample();
    b[55] = std::byte{0x0A}; // a.k's name now starts with its terminator
    TempDir dir;
    test::WriteBytes(dir / "e.ezx", b);
    auto got = ReadAll(dir / "e.ezx");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].name, "c.g");
}

// Each case damages the worked example and expects the reader's message.
TEST(ArchiveReader, RefusesDamagedArchives)
{
    auto setU32 = [](std::vector<std::byte>& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::byte>(v >> (8 * i));
    };
    struct Case {
        const char* name;
        std::function<void(std::vector<std::byte>&)> damage;
        std::string message; // after "<path>: "
        bool atOpen;
    } cases[] = {
        {"too short", [](auto& b) { b.resize(20); },
         "not an EZX archive: the file is too short for its header (0x14 bytes)", true},
        {"offset field not hex", [](auto& b) { b[20] = std::byte{'z'}; },
         "the header's offset field \"0000z040\" is not hexadecimal", true},
        {"directory past the end", [](auto& b) { b.resize(80); },
         "the directory at 0x40 lies past the end of the file (0x50 bytes)", true},
        {"directory offset huge", [](auto& b) { std::memcpy(&b[16], "fffffff0", 8); },
         "the directory at 0xFFFFFFF0 lies past the end of the file (0x84 bytes)", true},
        {"too many entries", [&](auto& b) { setU32(b, 72, 65537); },
         "the directory lists 65537 entries, more than the limit of 65536", true},
        {"table past the end", [&](auto& b) { setU32(b, 72, 20); },
         "the entry table at 0x54 (20 entries) runs past the end of the file (0x84 bytes)", true},
        {"table offset wraps", [&](auto& b) { setU32(b, 76, 0xFFFFFFF8); },
         "the entry table at 0xFFFFFFF8 (2 entries) runs past the end of the file (0x84 bytes)",
         true},
        {"name past the end", [&](auto& b) { setU32(b, 88, 0x1000); },
         "entry 0: the name at 0x1037 lies past the end of the file (0x84 bytes)", false},
        {"member block past the end", [&](auto& b) { setU32(b, 92, 0x100); },
         "entry 0: the member block at 0x16C lies past the end of the file (0x84 bytes)", false},
        {"member above 1 MiB", [&](auto& b) { setU32(b, 112, 0x100001); },
         "entry 0: the member's size 0x100001 is above the limit of 1 MiB", false},
        {"member data past the end", [&](auto& b) { setU32(b, 112, 0x100); },
         "entry 0: the member's data at 0x74 (0x100 bytes) runs past the end of the file "
         "(0x84 bytes)",
         false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = WorkedExample();
        c.damage(b);
        const fs::path path = dir / "bad.ezx";
        test::WriteBytes(path, b);
        if (c.atOpen) {
            EXPECT_THROW_MSG(ArchiveReader reader(path), path.string() + ": " + c.message);
        } else {
            EXPECT_THROW_MSG(ReadAll(path), path.string() + ": " + c.message);
        }
    }
}

TEST(ArchiveReader, RefusesANameWithoutItsEndWithin100Bytes)
{
    std::vector<Member> members = {{"a.k", Bytes({1})}};
    auto b = BuildArchive(members, "x");
    // Replace the name's terminator and pad names out so that no 0x0A lies in
    // the 100 bytes read for it.
    std::vector<std::byte> longNames(120, std::byte{'n'});
    b.insert(b.begin() + 55, longNames.begin(), longNames.end());
    // The directory moved by 120 bytes: fix the offset field and pointers.
    const std::uint32_t p = 60 + 120; // one 3-byte name: P was 60
    auto field = EncodeOffsetField(p);
    for (int i = 0; i < 8; ++i)
        b[16 + i] = static_cast<std::byte>(field[i]);
    auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::byte>(v >> (8 * i));
    };
    put(p + 12, p + 20);
    put(p + 16, p + 32);
    TempDir dir;
    test::WriteBytes(dir / "n.ezx", b);
    EXPECT_THROW_MSG(ReadAll(dir / "n.ezx"),
                     (dir / "n.ezx").string() +
                         ": entry 0: the name at 0x37 has no end (0x0A) within 100 bytes");
}

TEST(ArchiveReader, MissingFile)
{
    TempDir dir;
    EXPECT_THROW_MSG(ArchiveReader reader(dir / "none.ezx"),
                     (dir / "none.ezx").string() + ": cannot open: No such file or directory");
}

TEST(ArchiveWriter, WritingLeavesNoTemporaryFileAndReplacesTheTarget)
{
    TempDir dir;
    test::WriteBytes(dir / "x.ezx", Bytes("old"));
    WriteArchive(WorkedMembers(), dir / "x.ezx");
    EXPECT_EQ(test::ReadBytes(dir / "x.ezx"), WorkedExample());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ArchiveWriter, AFailedWriteKeepsTheOldArchive)
{
    TempDir dir;
    test::WriteBytes(dir / "x.ezx", Bytes("old"));
    fileio::FailWritesAfter(0);
    EXPECT_THROW(WriteArchive(WorkedMembers(), dir / "x.ezx"), IoError);
    fileio::FailWritesAfter(-1);
    EXPECT_EQ(test::ReadBytes(dir / "x.ezx"), Bytes("old"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

} // namespace
} // namespace zefir::archive
