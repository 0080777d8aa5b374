// The conversion map's layout and its search tree. Damaged conv.dat files are
// in the corpus that BadDataTest walks; only the limits a loaded file cannot
// reach are tested here.

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "TestUtil.h"
#include "core/archive/ConvMap.h"

namespace zefir::archive {
namespace {

using imagecodec::ImageKind;
using test::Bytes;
using test::ConvMapBytes;

ConvMap Parse(const std::vector<std::byte>& bytes)
{
    ConvMap map;
    ParseConvMap(bytes, "conv.dat", map);
    return map;
}

TEST(ConvMapFile, TheOneRecordExampleIs21Bytes)
{
    std::vector<std::byte> expected;
    test::AppendU32(expected, 1);           // N
    test::AppendU32(expected, 3);           // L1
    test::Append(expected, Bytes("a.k"));   // OrigName
    test::AppendU32(expected, 5);           // L2
    test::Append(expected, Bytes("a.bmp")); // ConvName
    test::Append(expected, Bytes({1}));     // Kind
    const TConvRec rec{"a.k", "a.bmp", ImageKind::ikMotoBitmap18};
    auto bytes = ConvMapBytes({rec});
    EXPECT_EQ(bytes.size(), 21u);
    EXPECT_EQ(bytes, expected);
    auto map = Parse(bytes);
    EXPECT_EQ(map.size(), 1u);
    EXPECT_EQ(map.FindConvRec("a.bmp"), rec);
}

TEST(ConvMapLookup, TreeSemantics)
{
    const TConvRec notFound{"", "", ImageKind::ikUnknown};
    auto map = Parse(ConvMapBytes({
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

TEST(ConvMapLookup, SixtyFiveThousandSortedNamesDoNotExhaustTheStack)
{
    // Sorted input makes the unbalanced tree a chain 65,536 nodes deep.
    ConvMap map;
    for (int i = 0; i < 65536; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%06d.bmp", i);
        map.AddConvRec({"m.k", name, ImageKind::ikMotoBitmap18});
    }
    EXPECT_EQ(map.FindConvRec("065535.bmp").ConvName, "065535.bmp");
    EXPECT_EQ(map.FindConvRec("000000.bmp").ConvName, "000000.bmp");
    EXPECT_EQ(map.FindConvRec("065536.bmp"), TConvRec{});
    map.FreeSearchTree();
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(map.FindConvRec("000000.bmp"), TConvRec{});
}

// A map image, and so conv.dat, is at most 1 MiB: the writer stops before it
// and the parser refuses bytes beyond it whoever read them.
TEST(ConvMapFile, BothEndsKeepToMapBuffersSize)
{
    std::vector<std::byte> image;
    TConvRec big{std::string(600000, 'o'), "c.bmp", ImageKind::ikMotoBitmap18};
    AppendConvRec(image, big, "icons/conv.dat");
    EXPECT_THROW_MSG(AppendConvRec(image, big, "icons/conv.dat"),
                     "icons/conv.dat: the conversion map would be larger than its limit of 1 MiB");
    // The file the first record makes still loads.
    EXPECT_EQ(Parse(ConvMapFileBytes(1, image)).FindConvRec("c.bmp").Kind,
              ImageKind::ikMotoBitmap18);

    ConvMap map;
    EXPECT_THROW_MSG(ParseConvMap(std::vector<std::byte>(kMapBufferSize + 1), "c.dat", map),
                     "c.dat: the conversion map is larger than its limit of 1 MiB");
}

} // namespace
} // namespace zefir::archive
