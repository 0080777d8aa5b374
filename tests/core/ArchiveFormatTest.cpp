// The archive layout byte for byte, the limits the writer keeps and the
// reader's freedom in where regions lie. The reader's refusals of damaged
// archives are in the corpus that BadDataTest walks; the offset field is
// read in both cases here and by it.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "TestUtil.h"
#include "core/ByteReader.h"
#include "core/archive/EzxFormat.h"

namespace zefir::archive {
namespace {

using test::Append;
using test::AppendU32;
using test::Bytes;

std::vector<std::byte> Header(std::string_view offsetField)
{
    return Bytes(std::string("motoskin\n\nv1.00\n") + std::string(offsetField) +
                 "\n\nComment: zefirkit\nID table:\n\n");
}

void AppendU32s(std::vector<std::byte>& b, std::initializer_list<std::uint32_t> values)
{
    for (std::uint32_t v : values)
        AppendU32(b, v);
}

// The directory at P: marker, NamesBase, EntryCount, TableOffset, DataBase.
void AppendDirectory(std::vector<std::byte>& b, std::uint32_t count, std::uint32_t table,
                     std::uint32_t data)
{
    Append(b, Bytes({0xBA, 0xDC, 0xCD, 0xAB}));
    AppendU32s(b, {55, count, table, data});
}

// One member block: marker, size, data.
void AppendMember(std::vector<std::byte>& b, const std::vector<std::byte>& data)
{
    Append(b, Bytes({0xCD, 0xAB, 0xBA, 0xDC}));
    AppendU32(b, static_cast<std::uint32_t>(data.size()));
    Append(b, data);
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
        // Two names with one hash; ArchiveRoundTripTest packs both.
        {"ab.g", 0x2BB},
        {"B$.g", 0x2BB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NameHash(c.name), c.hash);
    }
}

TEST(ArchiveWriter, LayoutsByteForByte)
{
    // Two members, a.k (5 bytes) and c.g (3 bytes), field by field.
    const std::vector<Member> twoMembers = {{"a.k", Bytes({1, 2, 3, 4, 5})},
                                            {"c.g", Bytes({6, 7, 8})}};
    auto worked = Header("00000040");                // 0..54, P = 64
    Append(worked, Bytes("a.k\nc.g\n"));             // 55: names at 0 and 4
    Append(worked, Bytes({0x00}));                   // 63: padding
    AppendDirectory(worked, 2, 84, 108);             // 64
    AppendU32s(worked, {0x1B3, 0, 0, 0x1B7, 4, 13}); // 84: hash, name and data offsets
    AppendMember(worked, Bytes({1, 2, 3, 4, 5}));    // 108
    AppendMember(worked, Bytes({6, 7, 8}));          // 121

    auto empty = Header("00000038");
    Append(empty, Bytes({0}));         // 55: padding
    AppendDirectory(empty, 0, 76, 76); // 56

    // 55 + "abcd\n" = 60, a multiple of 4: no padding.
    auto fourByteName = Header("0000003c");
    Append(fourByteName, Bytes("abcd\n"));
    AppendDirectory(fourByteName, 1, 80, 92); // 60
    AppendU32s(fourByteName, {0x222, 0, 0});  // 80
    AppendMember(fourByteName, {});           // 92: size 0

    struct Case {
        const char* name;
        std::vector<Member> members;
        std::vector<std::byte> expected;
        std::size_t size;
    } cases[] = {
        {"worked example", twoMembers, worked, 132},
        {"empty archive", {}, empty, 76},
        {"four-byte name of size 0", {{"abcd", {}}}, fourByteName, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected.size(), c.size);
        EXPECT_EQ(BuildArchive(c.members, "out.ezx"), c.expected);
    }
}

TEST(ArchiveWriter, RefusesWhatTheReaderCouldNotReadBack)
{
    using Names = std::vector<std::string>;
    using Sizes = std::vector<std::uint32_t>;
    struct Case {
        const char* name;
        Names names;
        Sizes sizes;
        std::string message; // after "o.ezx: "; empty when allowed
    } cases[] = {
        {"an empty name", {""}, {0}, "a member name cannot be empty"},
        {"a name of 100 bytes", {std::string(100, 'n')}, {0},
         "member name \"" + std::string(100, 'n') + "\" is 100 bytes, more than the limit of 99"},
        {"a line break", {"a\nb"}, {0}, "member name \"a\\nb\" holds a line break"},
        {"a member above 1 MiB", Names{"big.k"}, Sizes{kMaxMemberSize + 1},
         "member \"big.k\" is 1,048,577 bytes, more than the limit of 1 MiB"},
        {"65,537 members", Names(kMaxEntries + 1, "n"), Sizes(kMaxEntries + 1, 0),
         "65537 members are more than the limit of 65536"},
        {"the longest name and largest member", {std::string(99, 'n')}, {kMaxMemberSize}, ""},
        {"65,536 members", Names(kMaxEntries, "n"), Sizes(kMaxEntries, 0), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.message.empty()) {
            EXPECT_NO_THROW(PlanArchive(c.names, c.sizes, "o.ezx"));
        } else {
            EXPECT_THROW_MSG(PlanArchive(c.names, c.sizes, "o.ezx"), "o.ezx: " + c.message);
        }
    }
}

// An archive whose regions lie in another order than the writer's: member
// blocks first, then the table (entries sorted by hash, hashes wrong), names
// and directory last, with an upper-case offset field and another comment.
TEST(ArchiveReader, TakesRegionsFromTheDirectory)
{
    auto b = Bytes("motoskin\n\nv1.00\n0000006A\n\nComment: another tool!!\nID:\n\n");
    ASSERT_EQ(b.size(), 55u);
    AppendMember(b, Bytes({0x11, 0x22}));    // 55: c.g's data at DataOffset 0
    AppendMember(b, Bytes({0x33}));          // 65: a.k's data at DataOffset 10
    AppendU32s(b, {0, 4, 10, 0xDEAD, 0, 0}); // 74: a.k (hash ignored), then c.g
    Append(b, Bytes("c.g\na.k\n"));          // 98: names
    Append(b, Bytes({0, 0, 0, 0}));          // 106 = 0x6A: directory, marker not checked
    AppendU32s(b, {98, 2, 74, 55});
    test::TempDir dir;
    test::WriteBytes(dir / "o.ezx", b);
    EXPECT_EQ(test::ByName(test::ReadArchive(dir / "o.ezx")),
              (test::Files{{"a.k", Bytes({0x33})}, {"c.g", Bytes({0x11, 0x22})}}));
}

// A member is read with its header in one read when its size can be told
// from where the next block starts; the header still decides, whether it
// gives less than that (a gap) or more (blocks that overlap).
TEST(ArchiveReader, MemberSizeComesFromItsHeader)
{
    const std::vector<Member> members = {
        {"a.k", Bytes("abcd")}, {"b.k", Bytes("efghij")}, {"c.k", Bytes("kl")}};
    const std::vector<std::byte> written = BuildArchive(members, "o.ezx");
    const std::size_t table = 55 + 12 + 1 + 20; // names and padding, directory
    const std::size_t data = table + 3 * kEntrySize;
    struct Case {
        const char* name;
        std::function<void(std::vector<std::byte>&)> change;
        std::vector<std::string> expected; // the first members' data
    } cases[] = {
        {"as written", [](auto&) {}, {"abcd", "efghij", "kl"}},
        {"a gap after a block",
         [&](auto& b) { PutU32(&b[data + 12 + 4], 3); },
         {"abcd", "efg", "kl"}},
        {"the next block starts inside this one",
         [&](auto& b) { PutU32(&b[table + 2 * kEntrySize + 8], 12 + 8 + 2); },
         {"abcd", "efghij"}},
        {"bytes after the last block",
         [](auto& b) { Append(b, Bytes("xyz")); },
         {"abcd", "efghij", "kl"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::byte> b = written;
        c.change(b);
        test::TempDir dir;
        test::WriteBytes(dir / "o.ezx", b);
        const ArchiveReader reader(dir / "o.ezx");
        std::vector<std::byte> buffer;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            reader.ReadMember(i, buffer);
            EXPECT_EQ(buffer, Bytes(c.expected[i])) << "entry " << i;
            const std::span<const std::byte> got = reader.ReadMemberData(i, buffer);
            EXPECT_EQ(std::vector(got.begin(), got.end()), Bytes(c.expected[i])) << "entry " << i;
        }
        // Read ahead in entry order, as extraction reads them: the same.
        ArchiveReader::DataScan scan(reader);
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const std::span<const std::byte> got = scan.Read(i, buffer);
            EXPECT_EQ(std::vector(got.begin(), got.end()), Bytes(c.expected[i])) << "entry " << i;
        }
    }
}

// Blocks larger than the read-ahead window, and small ones around them,
// come out whole in entry order.
TEST(ArchiveReader, ReadAheadTakesBlocksOfAnySize)
{
    const std::vector<Member> members = {{"a.k", Bytes("abcd")},
                                         {"b.k", std::vector<std::byte>(300 * 1024, std::byte{7})},
                                         {"c.k", std::vector<std::byte>(200 * 1024, std::byte{8})},
                                         {"d.k", std::vector<std::byte>(100 * 1024, std::byte{9})},
                                         {"e.k", Bytes("kl")}};
    test::TempDir dir;
    test::WriteBytes(dir / "o.ezx", BuildArchive(members, "o.ezx"));
    const ArchiveReader reader(dir / "o.ezx");
    ArchiveReader::DataScan scan(reader);
    std::vector<std::byte> buffer;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const std::span<const std::byte> got = scan.Read(i, buffer);
        EXPECT_EQ(std::vector(got.begin(), got.end()), members[i].data) << "entry " << i;
    }
}

} // namespace
} // namespace zefir::archive
