#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/archive/ConvMap.h"

namespace zefir::archive {
namespace {

using imagecodec::ImageKind;
using test::Append;
using test::AppendU32;
using test::Bytes;
using test::TempDir;

std::vector<std::byte> MapFile(const std::vector<TConvRec>& records)
{
    std::vector<std::byte> image;
    for (const auto& r : records)
        AppendConvRec(image, r, "conv.dat");
    return ConvMapFileBytes(static_cast<std::uint32_t>(records.size()), image);
}

ConvMap Parse(const std::vector<std::byte>& bytes)
{
    ConvMap map;
    ParseConvMap(bytes, "conv.dat", map);
    return map;
}

TEST(ConvMapFile, TheOneRecordExampleIs21Bytes)
{
    std::vector<std::byte> expected;
    AppendU32(expected, 1);         // N
    AppendU32(expected, 3);         // L1
    Append(expected, Bytes("a.k")); // OrigName
    AppendU32(expected, 5);         // L2
    Append(expected, Bytes("a.bmp"));
    Append(expected, Bytes({1})); // Kind
    auto bytes = MapFile({{"a.k", "a.bmp", ImageKind::ikMotoBitmap18}});
    EXPECT_EQ(bytes.size(), 21u);
    EXPECT_EQ(bytes, expected);

    auto map = Parse(bytes);
    EXPECT_EQ(map.size(), 1u);
    EXPECT_EQ(map.FindConvRec("a.bmp"), (TConvRec{"a.k", "a.bmp", ImageKind::ikMotoBitmap18}));
}

TEST(ConvMapLookup, TreeSemantics)
{
    const TConvRec notFound{"", "", ImageKind::ikUnknown};
    auto map = Parse(MapFile({
        {"b.k", "b.bmp", ImageKind::ikMotoBitmap32},
        {"a.k", "a.bmp", ImageKind::ikMotoBitmap18},
        {"first.g", "dup.gif", ImageKind::ikMotoImage},
        {"second.k", "dup.gif", ImageKind::ikMotoBitmap18},
        {"zz.x", "zz.bmp", ImageKind::ikUnknown},
        {"pre.k", "a.bm", ImageKind::ikMotoBitmap32},
        {"hi.k", "\xE0.bmp", ImageKind::ikMotoBitmap18},
        {"empty", "", ImageKind::ikRaw},
    }));
    struct Case {
        std::string name;
        TConvRec expected;
    } cases[] = {
        {"a.bmp", {"a.k", "a.bmp", ImageKind::ikMotoBitmap18}},
        {"b.bmp", {"b.k", "b.bmp", ImageKind::ikMotoBitmap32}},
        // Equal keys: the record that came first in the file wins.
        {"dup.gif", {"first.g", "dup.gif", ImageKind::ikMotoImage}},
        // Case-sensitive: A.BMP is not a.bmp.
        {"A.BMP", notFound},
        // A prefix is a different, smaller key.
        {"a.bm", {"pre.k", "a.bm", ImageKind::ikMotoBitmap32}},
        {"a.b", notFound},
        // Kind 4 records load like any other.
        {"zz.bmp", {"zz.x", "zz.bmp", ImageKind::ikUnknown}},
        // Bytes above 0x7F compare as unsigned values.
        {"\xE0.bmp", {"hi.k", "\xE0.bmp", ImageKind::ikMotoBitmap18}},
        {"", {"empty", "", ImageKind::ikRaw}},
        {"c.bmp", notFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(map.FindConvRec(c.name), c.expected);
    }
}

TEST(ConvMapLookup, AnEmptyMapFindsNothing)
{
    auto map = Parse(Bytes({0, 0, 0, 0}));
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(map.FindConvRec("a.bmp").Kind, ImageKind::ikUnknown);
}

TEST(ConvMapLookup, SixtyFiveThousandSortedNamesDoNotExhaustTheStack)
{
    // Sorted input makes the unbalanced tree a chain 65,536 nodes deep.
    std::vector<TConvRec> records;
    for (int i = 0; i < 65536; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%06d.bmp", i);
        records.push_back({"m.k", name, ImageKind::ikMotoBitmap18});
    }
    ConvMap map;
    for (const auto& r : records)
        map.AddConvRec(r);
    EXPECT_EQ(map.FindConvRec("065535.bmp").ConvName, "065535.bmp");
    EXPECT_EQ(map.FindConvRec("000000.bmp").ConvName, "000000.bmp");
    EXPECT_EQ(map.FindConvRec("065536.bmp").Kind, ImageKind::ikUnknown);
    map.FreeSearchTree();
    EXPECT_TRUE(map.empty());
}

TEST(ConvMapFile, RefusesDamagedMaps)
{
    auto good = MapFile({{"a.k", "a.bmp", ImageKind::ikMotoBitmap18}});
    auto truncated = [&](std::size_t size) {
        return std::vector<std::byte>(good.begin(), good.begin() + static_cast<long>(size));
    };
    auto withCount = [&](std::uint32_t n) {
        auto b = good;
        b[0] = static_cast<std::byte>(n);
        b[1] = static_cast<std::byte>(n >> 8);
        b[2] = static_cast<std::byte>(n >> 16);
        b[3] = static_cast<std::byte>(n >> 24);
        return b;
    };
    auto hugeLength = good;
    hugeLength[4] = std::byte{0xFF};
    hugeLength[7] = std::byte{0xFF};
    auto badKind = good;
    badKind[20] = std::byte{5};

    struct Case {
        const char* name;
        std::vector<std::byte> bytes;
        std::string message;
    } cases[] = {
        {"empty file", {}, "record count at 0x0 runs past the end of the file (0x0 bytes)"},
        {"count beyond the file", withCount(3),
         "the record count 3 does not fit in the file (0x15 bytes)"},
        {"count near 2^32", withCount(0xFFFFFFFF),
         "the record count 4294967295 does not fit in the file (0x15 bytes)"},
        {"name length past the end", hugeLength,
         "record 0: member name at 0x8 runs past the end of the file (0x15 bytes)"},
        {"cut in the picture name", truncated(15),
         "record 0: picture name at 0xF runs past the end of the file (0xF bytes)"},
        {"cut before the kind", truncated(20),
         "record 0: image kind at 0x14 runs past the end of the file (0x14 bytes)"},
        {"kind above 4", badKind, "record 0: image kind 5 is not one of 0 to 4"},
        {"larger than 1 MiB", std::vector<std::byte>(kMapBufferSize + 1),
         "the conversion map is larger than its limit of 1 MiB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConvMap map;
        EXPECT_THROW_MSG(ParseConvMap(c.bytes, "icons/conv.dat", map), "icons/conv.dat: " + c.message);
    }
}

TEST(ConvMapFile, LoadsFromAFolder)
{
    TempDir dir;
    ConvMap map;
    EXPECT_FALSE(LoadConvMap(dir.path(), map));
    EXPECT_TRUE(map.empty());

    test::WriteBytes(dir / "conv.dat", MapFile({{"a.k", "a.bmp", ImageKind::ikMotoBitmap18}}));
    EXPECT_TRUE(LoadConvMap(dir.path(), map));
    EXPECT_EQ(map.FindConvRec("a.bmp").OrigName, "a.k");

    // Larger than MapBuffer: refused before it is read.
    test::WriteBytes(dir / "conv.dat", std::vector<std::byte>(kMapBufferSize + 1));
    ConvMap other;
    EXPECT_THROW_MSG(LoadConvMap(dir.path(), other),
                     (dir / "conv.dat").string() +
                         ": file is too large (0x100001 bytes, at most 0x100000)");
}

TEST(ConvMapFile, TheWriterStopsAtMapBuffersSize)
{
    std::vector<std::byte> image;
    TConvRec big{std::string(600000, 'o'), "c.bmp", ImageKind::ikMotoBitmap18};
    AppendConvRec(image, big, "icons/conv.dat");
    EXPECT_THROW_MSG(AppendConvRec(image, big, "icons/conv.dat"),
                     "icons/conv.dat: the conversion map would be larger than its limit of 1 MiB");
    // The file the first record makes still loads.
    ConvMap map;
    ParseConvMap(ConvMapFileBytes(1, image), "icons/conv.dat", map);
    EXPECT_EQ(map.FindConvRec("c.bmp").Kind, ImageKind::ikMotoBitmap18);
}

} // namespace
} // namespace zefir::archive
