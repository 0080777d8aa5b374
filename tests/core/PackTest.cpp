#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "TestUtil.h"
#include "core/FileIo.h"
#include "core/archive/Archive.h"
#include "core/archive/ConvMap.h"
#include "core/archive/EzxFormat.h"

namespace zefir::archive {
namespace {

using imagecodec::ImageKind;
using test::Bytes;
using test::FolderNames;
using test::ReadArchive;
using test::ReadBytes;
using test::RecordingList;
using test::RecordingProgress;
using test::TempDir;
using test::WriteBytes;

const std::string kIconCp1251 = "\xC7\xED\xE0\xF7\xEE\xEA"; // "Значок"
const std::string kIconUtf8 = "Значок";

std::vector<std::pair<std::string, std::string>> Pairs(const std::vector<LeftOut>& leftOut)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& l : leftOut)
        out.emplace_back(l.file, l.reason);
    return out;
}

std::vector<std::string> Names(const std::vector<Member>& members)
{
    std::vector<std::string> out;
    for (const auto& m : members)
        out.push_back(m.name);
    return out;
}

void WriteMap(const fs::path& folder, const std::vector<TConvRec>& records)
{
    std::vector<std::byte> image;
    for (const auto& r : records)
        AppendConvRec(image, r, "conv.dat");
    fileio::WriteFile(folder / kConvMapFileName,
                      ConvMapFileBytes(static_cast<std::uint32_t>(records.size()), image));
}

// Switches injected write faults off again whatever the test's outcome.
struct FaultInjection {
    explicit FaultInjection(long n) { fileio::FailWritesAfter(n); }
    ~FaultInjection() { fileio::FailWritesAfter(-1); }
};

TEST(PackArchive, TheWorkedExampleFromAFolderOfTwoFiles)
{
    TempDir dir;
    const fs::path folder = dir / "phone";
    fs::create_directory(folder);
    WriteBytes(folder / "a.k", Bytes({1, 2, 3, 4, 5}));
    WriteBytes(folder / "c.g", Bytes({6, 7, 8}));
    // Neither a picture nor a folder named like a phone file is taken.
    WriteBytes(folder / "x.bmp", Bytes({9}));
    fs::create_directory(folder / "d.k");
    RecordingProgress progress;
    PackReport report = PackArchive(folder, dir / "out.ezx", false, progress);
    EXPECT_TRUE(report.written);
    EXPECT_EQ(report.members, 2u);
    EXPECT_TRUE(report.leftOut.empty());
    const auto bytes = ReadBytes(dir / "out.ezx");
    EXPECT_EQ(bytes.size(), 132u);
    EXPECT_EQ(bytes, BuildArchive(std::vector<Member>{{"a.k", Bytes({1, 2, 3, 4, 5})},
                                                      {"c.g", Bytes({6, 7, 8})}},
                                  "x"));
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"show", "caption Searching for files",
                                        "caption Retrieving skin structure", "0", "100", "0",
                                        "caption Packing icons", "0", "100", "close"}));
    // No temporary file is left beside the archive.
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"out.ezx", "phone"}));
}

TEST(PackArchive, TakesTheSearchesByTurnsInNameOrder)
{
    struct Case {
        const char* name;
        std::vector<std::string> files;
        std::vector<TConvRec> map; // written as conv.dat when not empty
        bool convert;
        std::vector<std::string> members;
    } cases[] = {
        {"phone files: letter case aside, then byte order",
         {"e.K", "d.g", "B.k", "a.k", "c.G", "A.k"},
         {},
         false,
         {"A.k", "c.G", "a.k", "d.g", "B.k", "e.K"}},
        {"pictures through a map: .bmp, .gif, .png and .unk by turns",
         {"c.bmp", "p.png", "b.bmp", "x.gif", "a.bmp", "q.unk"},
         {{"a.g", "a.bmp", ImageKind::ikMotoImage},
          {"b.g", "b.bmp", ImageKind::ikMotoImage},
          {"c.g", "c.bmp", ImageKind::ikMotoImage},
          {"x.g", "x.gif", ImageKind::ikMotoImage},
          {"p.g", "p.png", ImageKind::ikMotoImage},
          {"q.g", "q.unk", ImageKind::ikMotoImage}},
         true,
         {"a.g", "x.g", "p.g", "q.g", "b.g", "c.g"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        for (std::size_t i = 0; i < c.files.size(); ++i)
            WriteBytes(dir / c.files[i], Bytes({static_cast<unsigned>(i)}));
        if (!c.map.empty())
            WriteMap(dir.path(), c.map);
        RecordingProgress progress;
        PackArchive(dir.path(), dir / "out.ezx", c.convert, progress);
        EXPECT_EQ(Names(ReadArchive(dir / "out.ezx")), c.members);
    }
}

TEST(PackArchive, AFolderWithNothingToPackWritesNoArchive)
{
    struct Case {
        const char* name;
        std::vector<std::string> files;
        bool convert;
        std::vector<std::pair<std::string, std::string>> leftOut;
    } cases[] = {
        {"pictures only, without conversion", {"a.bmp", "b.png"}, false, {}},
        {"JPEG pictures only", {"a.jpg"}, true,
         {{"a.jpg", "JPEG pictures are not packed; convert it to BMP or PNG first"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path folder = dir / "f";
        fs::create_directory(folder);
        for (const auto& f : c.files)
            WriteBytes(folder / f, Bytes({1}));
        // An archive already at the target stays as it is.
        WriteBytes(dir / "out.ezx", Bytes("old"));
        RecordingProgress progress;
        PackReport report = PackArchive(folder, dir / "out.ezx", c.convert, progress);
        EXPECT_FALSE(report.written);
        EXPECT_EQ(report.members, 0u);
        EXPECT_EQ(Pairs(report.leftOut), c.leftOut);
        EXPECT_EQ(ReadBytes(dir / "out.ezx"), Bytes("old"));
        EXPECT_EQ(progress.events,
                  (std::vector<std::string>{"show", "caption Searching for files",
                                            "caption Retrieving skin structure", "close"}));
        // Nothing to convert: no conv folder either.
        EXPECT_FALSE(fs::exists(folder / "conv"));
    }
}

TEST(PackArchive, TellsWhatItLeftOutAndWhy)
{
    TempDir dir;
    WriteMap(dir.path(), {{"k.k", "known.bmp", ImageKind::ikUnknown},
                          {"a.g", "a.bmp", ImageKind::ikMotoImage},
                          {"ok.g", "ok.png", ImageKind::ikMotoImage},
                          {"dup.g", "dup.gif", ImageKind::ikMotoImage},
                          {"dup.g", "dup.png", ImageKind::ikMotoImage}});
    for (const char* name : {"known.bmp", "A.BMP", ".hidden.bmp", "pic.jpg", "ok.png", "dup.gif",
                             "dup.png", "b.bmp"})
        WriteBytes(dir / name, Bytes(name));
    fs::create_symlink(dir / "ok.png", dir / "link.png");
    fs::create_directory(dir / "dir.bmp");
    RecordingProgress progress;
    PackReport report = PackArchive(dir.path(), dir / "out.ezx", true, progress);
    EXPECT_TRUE(report.written);
    EXPECT_EQ(report.members, 2u);
    EXPECT_EQ(Pairs(report.leftOut),
              (std::vector<std::pair<std::string, std::string>>{
                  {".hidden.bmp", "hidden file"},
                  {"link.png", "not a plain file"},
                  {"pic.jpg", "JPEG pictures are not packed; convert it to BMP or PNG first"},
                  // Lookups are case-sensitive.
                  {"A.BMP", "not in the conversion map"},
                  {"dup.png", "it would become member \"dup.g\", as \"dup.gif\" already does"},
                  {"b.bmp", "not in the conversion map"},
                  {"known.bmp", "the conversion map records it as not a phone picture"},
              }));
    auto members = ReadArchive(dir / "out.ezx");
    ASSERT_EQ(Names(members), (std::vector<std::string>{"dup.g", "ok.g"}));
    EXPECT_EQ(members[0].data, Bytes("dup.gif"));
    EXPECT_EQ(members[1].data, Bytes("ok.png"));
    // The converted files are gone from conv once packed.
    EXPECT_TRUE(fs::is_empty(dir / "conv"));
}

TEST(PackArchive, AllFilesLeftOutGiveAnArchiveWithoutEntries)
{
    TempDir dir;
    WriteMap(dir.path(), {});
    WriteBytes(dir / "a.bmp", Bytes({1}));
    WriteBytes(dir / "b.png", Bytes({2}));
    RecordingProgress progress;
    PackReport report = PackArchive(dir.path(), dir / "out.ezx", true, progress);
    EXPECT_TRUE(report.written);
    EXPECT_EQ(report.members, 0u);
    EXPECT_EQ(report.leftOut.size(), 2u);
    const auto bytes = ReadBytes(dir / "out.ezx");
    EXPECT_EQ(bytes.size(), 76u);
    EXPECT_EQ(bytes, BuildArchive({}, "x"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 16, 8), "00000038");
}

TEST(PackArchive, ProgressPositionsInBothPasses)
{
    const std::vector<std::string> tenths = {"0",  "11", "22", "33", "44",
                                             "56", "67", "78", "89", "100"};
    TempDir dir;
    for (int i = 0; i < 10; ++i)
        WriteBytes(dir / ("m" + std::to_string(i) + ".k"), Bytes({1}));
    RecordingProgress progress;
    PackArchive(dir.path(), dir / "out.ezx", false, progress);
    std::vector<std::string> expected = {"show", "caption Searching for files",
                                         "caption Retrieving skin structure"};
    expected.insert(expected.end(), tenths.begin(), tenths.end());
    expected.insert(expected.end(), {"0", "caption Packing icons"});
    expected.insert(expected.end(), tenths.begin(), tenths.end());
    expected.push_back("close");
    EXPECT_EQ(progress.events, expected);

    // A file left out moves the bar in the first pass only.
    TempDir mapped;
    WriteMap(mapped.path(), {{"a.g", "a.bmp", ImageKind::ikMotoImage},
                             {"c.g", "c.bmp", ImageKind::ikMotoImage}});
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
        WriteBytes(mapped / name, Bytes({1}));
    RecordingProgress skipping;
    PackArchive(mapped.path(), mapped / "out.ezx", true, skipping);
    EXPECT_EQ(skipping.events,
              (std::vector<std::string>{"show", "caption Searching for files",
                                        "caption Retrieving skin structure", "0", "50", "100",
                                        "0", "caption Packing icons", "0", "100", "close"}));
}

TEST(PackArchive, RefusesBeforeWritingAnything)
{
    struct Case {
        const char* name;
        std::string file;
        std::size_t size;
        std::string message; // after "<folder>/"
        bool namesTheArchive;
    } cases[] = {
        {"a file above 1 MiB", "big.k", kMaxMemberSize + 1,
         "big.k: the file is 0x100001 bytes, more than the limit of 1 MiB for a member", false},
        {"a name Windows-1251 lacks", "日本.k", 1,
         "日本.k: the file name cannot be written in Windows-1251, the character set of member "
         "names",
         false},
        {"a name longer than 99 bytes", std::string(98, 'n') + ".k", 1,
         "member name \"" + std::string(98, 'n') +
             ".k\" is empty, longer than 99 bytes or holds a line break",
         true},
        {"a name holding a line break", "a\nb.k", 1,
         "member name \"a\nb.k\" is empty, longer than 99 bytes or holds a line break", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path folder = dir / "f";
        fs::create_directory(folder);
        WriteBytes(folder / "a.k", Bytes({1}));
        WriteBytes(folder / c.file, std::vector<std::byte>(c.size));
        WriteBytes(dir / "out.ezx", Bytes("old"));
        RecordingProgress progress;
        const std::string prefix =
            c.namesTheArchive ? (dir / "out.ezx").string() + ": " : (folder.string() + "/");
        EXPECT_THROW_MSG(PackArchive(folder, dir / "out.ezx", false, progress),
                         prefix + c.message);
        EXPECT_EQ(ReadBytes(dir / "out.ezx"), Bytes("old"));
        EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"f", "out.ezx"}));
        EXPECT_EQ(progress.events.back(), "close");
    }

    // 1 MiB itself is allowed.
    TempDir dir;
    WriteBytes(dir / "max.k", std::vector<std::byte>(kMaxMemberSize));
    RecordingProgress progress;
    EXPECT_EQ(PackArchive(dir.path(), dir / "out.ezx", false, progress).members, 1u);
}

TEST(PackArchive, RefusesMoreFilesThanTheEntryTableHolds)
{
    TempDir dir;
    const fs::path folder = dir / "f";
    fs::create_directory(folder);
    for (std::size_t i = 0; i <= kMaxEntries; ++i)
        WriteBytes(folder / ("m" + std::to_string(i) + ".k"), {});
    RecordingProgress progress;
    EXPECT_THROW_MSG(PackArchive(folder, dir / "out.ezx", false, progress),
                     folder.string() + ": 65537 files to pack are more than the limit of 65536");
    EXPECT_FALSE(fs::exists(dir / "out.ezx"));
}

// The files may change between the pass that measures them and the pass
// that copies them; the archive's table must not lie.
TEST(PackArchive, AFileThatChangesBetweenThePassesIsAnError)
{
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> change;
        std::string message;
    } cases[] = {
        {"grown", [](const fs::path& f) { WriteBytes(f, Bytes({1, 2, 3, 4, 5, 6})); },
         ": the file changed while the archive was being packed (0x5 bytes before, 0x6 now)"},
        {"removed", [](const fs::path& f) { fs::remove(f); },
         ": cannot open: No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path folder = dir / "f";
        fs::create_directory(folder);
        WriteBytes(folder / "a.k", Bytes({1, 2, 3, 4, 5}));
        WriteBytes(dir / "out.ezx", Bytes("old"));
        RecordingProgress progress;
        progress.onCaption = [&](std::string_view caption) {
            if (caption == "Packing icons")
                c.change(folder / "a.k");
        };
        EXPECT_THROW_MSG(PackArchive(folder, dir / "out.ezx", false, progress),
                         (folder / "a.k").string() + c.message);
        EXPECT_EQ(ReadBytes(dir / "out.ezx"), Bytes("old"));
        EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"f", "out.ezx"}));
        EXPECT_EQ(progress.events.back(), "close");
    }
}

// A write that fails at any step, while converting or while writing the
// archive, leaves the earlier archive, no temporary file and no converted
// file behind.
TEST(PackArchive, AnInterruptedPackLeavesNothingBehind)
{
    for (bool convert : {false, true}) {
        SCOPED_TRACE(convert ? "with conversion" : "without conversion");
        TempDir dir;
        const fs::path folder = dir / "f";
        fs::create_directory(folder);
        if (convert) {
            WriteMap(folder, {{"a.g", "a.bmp", ImageKind::ikMotoImage},
                              {"b.g", "b.unk", ImageKind::ikMotoImage},
                              {"c.g", "c.gif", ImageKind::ikMotoImage}});
            for (const char* name : {"a.bmp", "b.unk", "c.gif"})
                WriteBytes(folder / name, Bytes(name));
        } else {
            for (const char* name : {"a.k", "b.k", "c.g"})
                WriteBytes(folder / name, Bytes(name));
        }
        WriteBytes(dir / "out.ezx", Bytes("old"));
        const auto folderBefore = FolderNames(folder);
        int failures = 0;
        for (long n = 0;; ++n) {
            SCOPED_TRACE(n);
            RecordingProgress progress;
            try {
                FaultInjection fault(n);
                PackArchive(folder, dir / "out.ezx", convert, progress);
            } catch (const IoError& e) {
                ++failures;
                EXPECT_EQ(e.message(), "cannot write: No space left on device");
                EXPECT_EQ(ReadBytes(dir / "out.ezx"), Bytes("old"));
                EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"f", "out.ezx"}));
                if (convert) {
                    EXPECT_TRUE(fs::is_empty(folder / "conv"));
                }
                EXPECT_EQ(progress.events.back(), "close");
                continue;
            }
            break;
        }
        // Each conversion and the archive's writes and commit can fail.
        EXPECT_GE(failures, convert ? 9 : 4);
        auto members = ReadArchive(dir / "out.ezx");
        EXPECT_EQ(members.size(), 3u);
        std::vector<std::string> folderAfter = FolderNames(folder);
        std::erase(folderAfter, "conv");
        EXPECT_EQ(folderAfter, folderBefore);
    }
}

TEST(PackArchive, NamesSurviveExtractionAndPackingByteForByte)
{
    TempDir dir;
    const std::vector<Member> members = {
        {"a.k", Bytes({1, 2, 3, 4, 5})},
        {kIconCp1251 + ".k", Bytes({0xAA, 0xBB})},
        // 0x98 is the one byte Windows-1251 leaves unassigned.
        {"\x98\xFF.g", Bytes({0x98})},
        {"zero.g", {}},
        {"B.G", Bytes({7})},
        // Neither .k nor .g: not packed back from raws.
        {"logo(2x2).raw", Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"notes.txt", Bytes("notes")},
    };
    WriteArchive(members, dir / "in.ezx");
    RecordingProgress progress;
    RecordingList list;
    UnpackArchive(dir / "in.ezx", dir / "", {false, imagecodec::Format::Bmp}, progress, list);
    EXPECT_TRUE(fs::exists(dir / "raws" / (kIconUtf8 + ".k")));
    PackArchive(dir / "raws", dir / "out.ezx", false, progress);
    auto expected = test::ByName(members);
    expected.erase("logo(2x2).raw");
    expected.erase("notes.txt");
    EXPECT_EQ(test::ByName(ReadArchive(dir / "out.ezx")), expected);
}

TEST(PackArchive, MotoImagesOfUnknownContentComeBackThroughTheirUnkFiles)
{
    TempDir dir;
    const std::vector<Member> members = {
        {"m.g", Bytes("JUNK")},
        {"short.g", Bytes({0x89, 0x50, 0x4E})},
        {"empty.g", {}},
    };
    WriteArchive(members, dir / "in.ezx");
    RecordingProgress progress;
    RecordingList list;
    UnpackArchive(dir / "in.ezx", dir.path(), {true, imagecodec::Format::Png}, progress, list);
    EXPECT_EQ(FolderNames(dir / "icons"),
              (std::vector<std::string>{"conv.dat", "empty.unk", "m.unk", "short.unk"}));
    PackReport report = PackArchive(dir / "icons", dir / "out.ezx", true, progress);
    EXPECT_TRUE(report.leftOut.empty());
    EXPECT_EQ(test::ByName(ReadArchive(dir / "out.ezx")), test::ByName(members));
    EXPECT_TRUE(fs::is_empty(dir / "icons" / "conv"));
}

} // namespace
} // namespace zefir::archive
