#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "TestUtil.h"
#include "core/FileIo.h"
#include "core/archive/Archive.h"
#include "core/archive/EzxFormat.h"

namespace zefir::archive {
namespace {

using test::AppendU32;
using test::Bytes;
using test::ReadBytes;
using test::RecordingList;
using test::RecordingProgress;
using test::TempDir;
using test::WriteBytes;
using Files = std::map<std::string, std::vector<std::byte>>;

const std::string kIconCp1251 = "\xC7\xED\xE0\xF7\xEE\xEA"; // "Значок"
const std::string kIconUtf8 = "Значок";

// The files of a folder with their contents.
Files ReadFolder(const fs::path& folder)
{
    Files files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = ReadBytes(entry.path());
    return files;
}

// One conv.dat record, field by field.
std::vector<std::byte> Record(const std::string& origName, const std::string& convName,
                              unsigned kind)
{
    std::vector<std::byte> b;
    AppendU32(b, static_cast<std::uint32_t>(origName.size()));
    test::Append(b, Bytes(origName));
    AppendU32(b, static_cast<std::uint32_t>(convName.size()));
    test::Append(b, Bytes(convName));
    test::Append(b, Bytes({kind}));
    return b;
}

std::vector<std::byte> MapFile(std::uint32_t count, std::vector<std::vector<std::byte>> records)
{
    std::vector<std::byte> b;
    AppendU32(b, count);
    for (const auto& r : records)
        test::Append(b, r);
    return b;
}

// An archive whose first entry's name starts with 0x0A: "Q.k" is written and
// its first byte (at 55, the first name) overwritten.
std::vector<std::byte> ArchiveWithUnnamedEntry()
{
    std::vector<Member> members = {{"Q.k", Bytes({1})}, {"b.txt", Bytes({2, 3})}};
    auto bytes = BuildArchive(members, "x");
    bytes[kHeaderSize] = std::byte{0x0A};
    return bytes;
}

TEST(UnpackArchive, WritesRawsPicturesListAndMap)
{
    struct Case {
        const char* name;
        std::vector<std::byte> archive;
        bool convert;
        Files raws;
        Files icons;
        std::vector<std::string> list;
    } cases[] = {
        {"no entries, with conversion: a map of four zero bytes",
         BuildArchive({}, "x"), true, {}, {{"conv.dat", Bytes({0, 0, 0, 0})}}, {}},
        {"no entries, without conversion: no map", BuildArchive({}, "x"), false, {}, {}, {}},
        {"an entry without a name is passed over", ArchiveWithUnnamedEntry(), true,
         {{"b.txt", Bytes({2, 3})}},
         // No converter for a .txt member: no picture, but its record.
         {{"conv.dat", MapFile(1, {Record("b.txt", "b.bmp", 4)})}},
         {"b.txt"}},
        {"a member of size 0 gives an empty file",
         BuildArchive(std::vector<Member>{{"z.k", {}}}, "x"), false, {{"z.k", {}}}, {}, {"z.k"}},
        {"the later of two equal names wins, the list and the map keep both",
         BuildArchive(std::vector<Member>{{"d.txt", Bytes({1})}, {"d.txt", Bytes({2})}}, "x"),
         true, {{"d.txt", Bytes({2})}},
         {{"conv.dat", MapFile(2, {Record("d.txt", "d.bmp", 4), Record("d.txt", "d.bmp", 4)})}},
         {"d.txt", "d.txt"}},
        {"a Windows-1251 name is UTF-8 on disk and bytes in the list and map",
         BuildArchive(std::vector<Member>{{kIconCp1251 + ".txt", Bytes({7})}}, "x"), true,
         {{kIconUtf8 + ".txt", Bytes({7})}},
         {{"conv.dat", MapFile(1, {Record(kIconCp1251 + ".txt", kIconCp1251 + ".bmp", 4)})}},
         {kIconCp1251 + ".txt"}},
        {"a Moto Image holding neither GIF nor PNG comes out as .unk",
         BuildArchive(std::vector<Member>{{"m.g", Bytes("JUNK")}}, "x"), true,
         {{"m.g", Bytes("JUNK")}},
         {{"m.unk", Bytes("JUNK")}, {"conv.dat", MapFile(1, {Record("m.g", "m.unk", 3)})}},
         {"m.g"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteBytes(dir / "a.ezx", c.archive);
        RecordingProgress progress;
        RecordingList list;
        ConversionSettings settings{c.convert, imagecodec::Format::Bmp};
        const fs::path work = dir / "work";
        fs::create_directory(work);
        EXPECT_EQ(UnpackArchive(dir / "a.ezx", work, settings, progress, list), work);
        EXPECT_EQ(ReadFolder(work / "raws"), c.raws);
        EXPECT_EQ(ReadFolder(work / "icons"), c.icons);
        EXPECT_EQ(list.names, c.list);
        // The first entry is selected, also on an empty list.
        EXPECT_EQ(list.selected, std::vector<int>{0});
    }
}

TEST(UnpackArchive, ProgressPositions)
{
    auto named = [](std::size_t n) {
        std::vector<Member> members;
        for (std::size_t i = 0; i < n; ++i)
            members.push_back({"m" + std::to_string(i) + ".k", Bytes({1})});
        return BuildArchive(members, "x");
    };
    struct Case {
        const char* name;
        std::vector<std::byte> archive;
        std::vector<std::string> positions;
    } cases[] = {
        {"one entry completes the work", named(1), {"100"}},
        {"9 entries round halves to even", named(9),
         {"0", "12", "25", "38", "50", "62", "75", "88", "100"}},
        {"10 entries", named(10), {"0", "11", "22", "33", "44", "56", "67", "78", "89", "100"}},
        {"11 entries", named(11),
         {"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}},
        // Entry 0 has no name: it moves nothing, but still counts.
        {"an unnamed entry moves nothing", ArchiveWithUnnamedEntry(), {"100"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteBytes(dir / "a.ezx", c.archive);
        RecordingProgress progress;
        RecordingList list;
        UnpackArchive(dir / "a.ezx", dir.path(), {false, imagecodec::Format::Bmp}, progress, list);
        std::vector<std::string> expected = {"show", "caption Extracting icons"};
        expected.insert(expected.end(), c.positions.begin(), c.positions.end());
        expected.push_back("close");
        EXPECT_EQ(progress.events, expected);
    }
}

// A member name that would reach outside raws and icons stops the
// extraction before anything is written for it.
TEST(UnpackArchive, RefusesUnsafeMemberNames)
{
    struct Case {
        std::string name;
        std::string shown;
    } cases[] = {
        {"../x.k", "../x.k"},
        {"../../x.k", "../../x.k"},
        {"/tmp/zefir-unsafe-x.k", "/tmp/zefir-unsafe-x.k"},
        {"a/b.k", "a/b.k"},
        {"..\\x.k", "..\\x.k"},
        {".", "."},
        {"..", ".."},
        {std::string("a\0b.k", 5), "a\\x00b.k"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        TempDir dir;
        const fs::path archive = dir / "a.ezx";
        WriteArchive(std::vector<Member>{{"ok.txt", Bytes({1})}, {c.name, Bytes({2})}}, archive);
        const fs::path work = dir / "work";
        fs::create_directory(work);
        RecordingProgress progress;
        RecordingList list;
        EXPECT_THROW_MSG(UnpackArchive(archive, work, {true, imagecodec::Format::Bmp}, progress,
                                       list),
                         archive.string() + ": entry 1: member name \"" + c.shown +
                             "\" is not a safe file name");
        EXPECT_EQ(test::FolderNames(dir.path()), (std::vector<std::string>{"a.ezx", "work"}));
        EXPECT_EQ(test::FolderNames(work), (std::vector<std::string>{"icons", "raws"}));
        EXPECT_EQ(test::FolderNames(work / "raws"), std::vector<std::string>{"ok.txt"});
        EXPECT_FALSE(fs::exists("/tmp/zefir-unsafe-x.k"));
        EXPECT_EQ(progress.events.back(), "close");
    }
}

TEST(UnpackArchive, FailuresNameTheFileAndLeaveTheEarlierMap)
{
    TempDir dir;
    const fs::path work = dir / "work";
    fs::create_directory(work);
    const fs::path good = dir / "good.ezx";
    WriteArchive(std::vector<Member>{{"a.txt", Bytes({1})}}, good);
    RecordingList list;
    test::RecordingProgress progress;
    UnpackArchive(good, work, {true, imagecodec::Format::Png}, progress, list);
    const auto map = ReadBytes(work / "icons" / "conv.dat");
    ASSERT_EQ(map, MapFile(1, {Record("a.txt", "a.png", 4)}));

    // The second archive's member "b.txt" cannot be written: a folder is in
    // its way.
    const fs::path blocked = dir / "blocked.ezx";
    WriteArchive(std::vector<Member>{{"c.txt", Bytes({3})}, {"b.txt", Bytes({2})}}, blocked);
    fs::create_directory(work / "raws" / "b.txt");
    const fs::path damaged = dir / "damaged.ezx";
    WriteBytes(damaged, Bytes("motoskin\n"));
    const fs::path otherWork = dir / "other";
    fs::create_directory(otherWork);

    struct Case {
        const char* name;
        fs::path archive;
        fs::path work;
        imagecodec::Format format;
        std::string message;
    } cases[] = {
        {"a member file that cannot be written", blocked, work, imagecodec::Format::Bmp,
         (work / "raws" / "b.txt").string() + ": cannot replace the file: Is a directory"},
        {"a missing archive", dir / "missing.ezx", otherWork, imagecodec::Format::Bmp,
         (dir / "missing.ezx").string() + ": cannot open: No such file or directory"},
        {"a damaged archive", damaged, otherWork, imagecodec::Format::Bmp,
         damaged.string() + ": not an EZX archive: the file is too short for its header (0x9 "
                            "bytes)"},
        {"a format code out of range", good, otherWork, static_cast<imagecodec::Format>(7),
         good.string() + ": target format code 7 is not one of 0 to 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingProgress failing;
        EXPECT_THROW_MSG(UnpackArchive(c.archive, c.work, {true, c.format}, failing, list),
                         c.message);
        EXPECT_EQ(failing.events.back(), "close");
    }
    // The map of the extraction that succeeded is still there, whole.
    EXPECT_EQ(ReadBytes(work / "icons" / "conv.dat"), map);
    // An archive that cannot be read creates no folders.
    EXPECT_TRUE(fs::is_empty(otherWork));
}

TEST(UnpackArchive, ReportsMembersNotConvertedAndGoesOn)
{
    TempDir dir;
    WriteArchive(std::vector<Member>{{"notes.txt", Bytes({1})},
                                     {"nosize.raw", Bytes({0, 0})},
                                     // A header of one byte: 32-bit, no size.
                                     {"bad.k", Bytes({1})},
                                     {"m.g", Bytes("JUNK")}},
                 dir / "a.ezx");
    RecordingProgress progress;
    RecordingList list;
    std::vector<LeftOut> notConverted;
    UnpackArchive(dir / "a.ezx", dir.path(), {true, imagecodec::Format::Bmp}, progress, list,
                  &notConverted);
    std::vector<std::pair<std::string, std::string>> reasons;
    for (const auto& n : notConverted)
        reasons.emplace_back(n.file, n.reason);
    EXPECT_EQ(reasons, (std::vector<std::pair<std::string, std::string>>{
                           {"notes.txt", "not a phone picture"},
                           {"nosize.raw", "the name carries no picture size (WxH)"},
                           {"bad.k", "the Moto Bitmap header gives an empty picture (1 x 0 "
                                     "pixels)"}}));
    EXPECT_EQ(ReadFolder(dir / "icons"),
              (Files{{"m.unk", Bytes("JUNK")},
                     {"conv.dat", MapFile(4, {Record("notes.txt", "notes.bmp", 4),
                                              Record("nosize.raw", "nosize.bmp", 0),
                                              Record("bad.k", "bad.bmp", 2),
                                              Record("m.g", "m.unk", 3)})}}));
}

} // namespace
} // namespace zefir::archive
