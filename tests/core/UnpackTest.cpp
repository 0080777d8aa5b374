#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "TestUtil.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/archive/Archive.h"
#include "core/archive/EzxFormat.h"
#include "core/imagecodec/PhonePictures.h"
#include "core/imaging/Imaging.h"

namespace zefir::archive {
namespace {

using imagecodec::Format;
using test::Bytes;
using test::ConvMapBytes;
using test::Files;
using test::kIconCp1251;
using test::RecordingList;
using test::RecordingProgress;
using test::TempDir;
using test::WriteBytes;
using Strings = std::vector<std::string>;
constexpr ImageKind kUnknown = ImageKind::ikUnknown;

std::vector<std::byte> Archive(const std::vector<Member>& members)
{
    return BuildArchive(members, "x");
}

// An archive whose first entry's name starts with 0x0A: "Q.k" is written and
// its first byte (at 55, the first name) overwritten.
std::vector<std::byte> ArchiveWithUnnamedEntry()
{
    auto bytes = Archive({{"Q.k", Bytes({1})}, {"b.txt", Bytes({2, 3})}});
    bytes[kHeaderSize] = std::byte{0x0A};
    return bytes;
}

TEST(UnpackArchive, WritesRawsPicturesListAndMap)
{
    struct Case {
        const char* name;
        std::vector<std::byte> archive;
        Files files; // below the working folder
        Strings list;
        Strings notConverted; // "file: reason"
    } cases[] = {
        {"no entries: a map of four zero bytes", Archive({}),
         Files{{"icons/conv.dat", Bytes({0, 0, 0, 0})}}, Strings{}, Strings{}},
        // No converter for a .txt member: no picture, but its record.
        {"an entry without a name is passed over", ArchiveWithUnnamedEntry(),
         Files{{"raws/b.txt", Bytes({2, 3})},
               {"icons/conv.dat", ConvMapBytes({{"b.txt", "b.bmp", kUnknown}})}},
         Strings{"b.txt"}, Strings{"b.txt: not a phone picture"}},
        {"the later of two equal names wins, the list and the map keep both",
         Archive({{"d.txt", Bytes({1})}, {"d.txt", Bytes({2})}}),
         Files{{"raws/d.txt", Bytes({2})},
               {"icons/conv.dat",
                ConvMapBytes({{"d.txt", "d.bmp", kUnknown}, {"d.txt", "d.bmp", kUnknown}})}},
         Strings{"d.txt", "d.txt"},
         Strings{"d.txt: not a phone picture", "d.txt: not a phone picture"}},
        {"a Windows-1251 name is UTF-8 on disk and bytes in the list and map",
         Archive({{kIconCp1251 + ".txt", Bytes({7})}}),
         Files{{"raws/Значок.txt", Bytes({7})},
               {"icons/conv.dat",
                ConvMapBytes({{kIconCp1251 + ".txt", kIconCp1251 + ".bmp", kUnknown}})}},
         Strings{kIconCp1251 + ".txt"}, Strings{"Значок.txt: not a phone picture"}},
        // A member too damaged to convert keeps its raw file and its record
        // with the kind found; the rest go on. A Moto Image holding neither
        // GIF nor PNG comes out as .unk. bad.k has a header of one byte:
        // 32-bit, no size.
        {"members not converted are reported",
         Archive({{"nosize.raw", Bytes({0, 0})}, {"bad.k", Bytes({1})}, {"m.g", Bytes("JUNK")}}),
         Files{{"raws/nosize.raw", Bytes({0, 0})},
               {"raws/bad.k", Bytes({1})},
               {"raws/m.g", Bytes("JUNK")},
               {"icons/m.unk", Bytes("JUNK")},
               {"icons/conv.dat", ConvMapBytes({{"nosize.raw", "nosize.bmp", ImageKind::ikRaw},
                                                {"bad.k", "bad.bmp", ImageKind::ikMotoBitmap32},
                                                {"m.g", "m.unk", ImageKind::ikMotoImage}})}},
         Strings{"nosize.raw", "bad.k", "m.g"},
         Strings{"nosize.raw: the name carries no picture size (WxH)",
                 "bad.k: the Moto Bitmap header gives an empty picture (1 x 0 pixels)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteBytes(dir / "a.ezx", c.archive);
        RecordingProgress progress;
        RecordingList list;
        std::vector<LeftOut> notConverted;
        const fs::path work = dir / "work";
        fs::create_directory(work);
        EXPECT_EQ(
            UnpackArchive(dir / "a.ezx", work, {true, Format::Bmp}, progress, list, &notConverted),
            work);
        EXPECT_EQ(test::FolderFiles(work), c.files);
        EXPECT_EQ(list.names, c.list);
        // The first entry is selected, also on an empty list.
        EXPECT_EQ(list.selected, std::vector<int>{0});
        EXPECT_EQ(test::LeftOutLines(notConverted), c.notConverted);
    }
}

TEST(UnpackArchive, ProgressPositions)
{
    auto named = [](std::size_t n) {
        std::vector<Member> members;
        for (std::size_t i = 0; i < n; ++i)
            members.push_back({"m" + std::to_string(i) + ".k", Bytes({1})});
        return Archive(members);
    };
    struct Case {
        const char* name;
        std::vector<std::byte> archive;
        Strings positions;
    } cases[] = {
        {"one entry completes the work", named(1), {"100"}},
        {"9 entries round halves to even", named(9),
         Strings{"0", "12", "25", "38", "50", "62", "75", "88", "100"}},
        {"10 entries", named(10), {"0", "11", "22", "33", "44", "56", "67", "78", "89", "100"}},
        {"11 entries", named(11),
         Strings{"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}},
        // Entry 0 has no name: it moves nothing, but still counts.
        {"an unnamed entry moves nothing", ArchiveWithUnnamedEntry(), {"100"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteBytes(dir / "a.ezx", c.archive);
        RecordingProgress progress;
        RecordingList list;
        UnpackArchive(dir / "a.ezx", dir.path(), {false, Format::Bmp}, progress, list);
        Strings expected = {"show", "caption Extracting icons"};
        expected.insert(expected.end(), c.positions.begin(), c.positions.end());
        expected.push_back("close");
        EXPECT_EQ(progress.events, expected);
    }
}

// A member name that would reach outside raws and icons stops the
// extraction before anything is written for it.
TEST(UnpackArchive, RefusesUnsafeMemberNames)
{
    const std::string separator = " holds \"/\", \"\\\" or a NUL byte";
    const std::pair<std::string, std::string> cases[] = {
        {"../x.k", "\"../x.k\"" + separator},
        {"../../x.k", "\"../../x.k\"" + separator},
        {"/tmp/zefir-unsafe-x.k", "\"/tmp/zefir-unsafe-x.k\"" + separator},
        {"..\\x.k", "\"..\\\\x.k\"" + separator},
        {".", "\".\" names a folder"},
        {"..", "\"..\" names a folder"},
        // Messages show control bytes escaped.
        {std::string("a\0b.k", 5), "\"a\\x00b.k\"" + separator},
    };
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(reason);
        TempDir dir;
        const fs::path archive = dir / "a.ezx";
        WriteArchive(std::vector<Member>{{"ok.txt", Bytes({1})}, {name, Bytes({2})}}, archive);
        fs::create_directory(dir / "work");
        RecordingProgress progress;
        RecordingList list;
        EXPECT_THROW_MSG(UnpackArchive(archive, dir / "work", {true, Format::Bmp}, progress, list),
                         archive.string() + ": entry 1: member name " + reason);
        EXPECT_EQ(test::Listing(dir.path()),
                  (std::set<std::string>{"a.ezx", "work", "work/icons", "work/raws",
                                         "work/raws/ok.txt"}));
        EXPECT_FALSE(fs::exists("/tmp/zefir-unsafe-x.k"));
        EXPECT_EQ(progress.events.back(), "close");
    }
}

// Checked before the archive is opened: nothing is created. Failures of the
// archive itself are in BadDataTest, of writes in FaultInjectionTest.
TEST(UnpackArchive, RefusesAFormatCodeOutOfRange)
{
    TempDir dir;
    WriteBytes(dir / "a.ezx", Archive({{"a.k", Bytes({1})}}));
    fs::create_directory(dir / "work");
    RecordingProgress progress;
    RecordingList list;
    EXPECT_THROW_MSG(
        UnpackArchive(dir / "a.ezx", dir / "work", {true, static_cast<Format>(4)}, progress, list),
        (dir / "a.ezx").string() + ": target format code 4 is not one of 0 to 3");
    EXPECT_TRUE(fs::is_empty(dir / "work"));
    EXPECT_EQ(progress.events.back(), "close");
}

// What an earlier extraction and the user left in the working folder: an
// edited picture and member are refused unless replacing is asked for,
// identical files are fine, files of an earlier archive in raws/ are
// pointed out, and a new folder costs nothing.
TEST(UnpackArchive, FilesTheUserChangedAreNotReplacedWithoutAsking)
{
    TempDir dir;
    const auto members = test::PhoneMembers();
    WriteArchive(members, dir / "a.ezx");
    const fs::path work = dir / "work";
    const ConversionSettings settings{true, Format::Bmp};
    RecordingProgress progress;
    RecordingList list;
    EXPECT_TRUE(FindExtractionConflicts(dir / "a.ezx", work, settings).differing.empty());
    fs::create_directory(work);
    UnpackArchive(dir / "a.ezx", work, settings, progress, list);
    // Extracting again over identical files needs no question.
    const ExtractionConflicts same = FindExtractionConflicts(dir / "a.ezx", work, settings);
    EXPECT_TRUE(same.differing.empty());
    EXPECT_TRUE(same.strangers.empty());

    // One pixel edited in place: the file keeps its size.
    std::vector<std::byte> picture = test::ReadBytes(work / "icons/a.bmp");
    picture.back() ^= std::byte{0xFF};
    WriteBytes(work / "icons/a.bmp", picture);
    WriteBytes(work / "raws/s.k", Bytes("edited"));
    WriteBytes(work / "raws/old.k", Bytes("an earlier archive's"));
    const ExtractionConflicts conflicts = FindExtractionConflicts(dir / "a.ezx", work, settings);
    EXPECT_EQ(conflicts.differing,
              (std::vector<fs::path>{work / "raws/s.k", work / "icons/a.bmp"}));
    EXPECT_EQ(conflicts.strangers, std::vector<fs::path>{work / "raws/old.k"});
    const Files edited = test::FolderFiles(work);
    EXPECT_THROW_MSG(UnpackArchive(dir / "a.ezx", work, settings, progress, list),
                     work.string() + test::NativeSeparators(
                                         ": 2 files already exist and are not replaced unless "
                                         "asked to: raws/s.k, icons/a.bmp"));
    EXPECT_EQ(test::FolderFiles(work), edited);
    UnpackArchive(dir / "a.ezx", work, settings, progress, list, nullptr, Overwrite::Replace);
    EXPECT_EQ(test::ReadBytes(work / "raws/s.k"), members[1].data);
    EXPECT_NE(test::ReadBytes(work / "icons/a.bmp"), picture);
}

// A name the archive holds whose UTF-8 form no file name here can hold (99
// bytes of "…", three bytes each): that member is told about and takes its
// progress step in turn, the others come out.
TEST(UnpackArchive, AMemberWhoseNameNoFileCanHaveIsNotExtracted)
{
    TempDir dir;
    const std::string longName = std::string(97, '\x85') + ".k";
    WriteArchive(std::vector<Member>{{"a.txt", Bytes({1})}, {longName, Bytes({2})},
                                     {"b.txt", Bytes({3})}},
                 dir / "a.ezx");
    fs::create_directory(dir / "work");
    RecordingProgress progress;
    RecordingList list;
    std::vector<LeftOut> notConverted;
    std::vector<LeftOut> notExtracted;
    UnpackArchive(dir / "a.ezx", dir / "work", {true, Format::Bmp}, progress, list, &notConverted,
                  Overwrite::Refuse, &notExtracted);
    const std::string fileName = Cp1251ToUtf8(longName);
    EXPECT_EQ(test::LeftOutLines(notExtracted),
              Strings{fileName + ": the file name \"" + fileName +
                      "\" is 293 bytes, more than the 255 a file name may have"});
    EXPECT_EQ(test::ReadBytes(dir / "work/raws/b.txt"), Bytes({3}));
    EXPECT_EQ(list.names, (Strings{"a.txt", "b.txt"}));
    EXPECT_EQ(notConverted.size(), 2u);
    Strings events{"show", "caption Extracting icons"};
    for (std::size_t i = 0; i < 3; ++i)
        events.push_back(std::to_string(ProgressPosition(i, 3)));
    events.push_back("close");
    EXPECT_EQ(progress.events, events);
}

// Names that differ only in case are two files here and one on Windows,
// where only the first is written; a name held twice is written twice, the
// later member's bytes last.
TEST(UnpackArchive, NamesThatAreOneFileHereAreWrittenOnce)
{
    TempDir dir;
    WriteArchive(std::vector<Member>{{"x.txt", Bytes({1})}, {"X.TXT", Bytes({2})},
                                     {"x.txt", Bytes({3})}},
                 dir / "a.ezx");
    fs::create_directory(dir / "work");
    RecordingProgress progress;
    RecordingList list;
    std::vector<LeftOut> notExtracted;
    UnpackArchive(dir / "a.ezx", dir / "work", {false, Format::Bmp}, progress, list, nullptr,
                  Overwrite::Refuse, &notExtracted);
    EXPECT_EQ(test::ReadBytes(dir / "work/raws/x.txt"), Bytes({3}));
#ifdef _WIN32
    EXPECT_EQ(test::LeftOutLines(notExtracted),
              Strings{"X.TXT: its file would be member \"x.txt\"'s, since this system does not "
                      "tell their names apart"});
    EXPECT_EQ(test::FolderNames(dir / "work/raws"), Strings{"x.txt"});
#else
    EXPECT_TRUE(notExtracted.empty());
    EXPECT_EQ(test::ReadBytes(dir / "work/raws/X.TXT"), Bytes({2}));
#endif
}

// raws or icons as a link to another folder would put every member there.
TEST(UnpackArchive, RefusesRawsOrIconsThatAreLinks)
{
    for (const char* linked : {"raws", "icons"}) {
        SCOPED_TRACE(linked);
        TempDir dir;
        WriteArchive(std::vector<Member>{{"a.k", Bytes({1})}}, dir / "a.ezx");
        fs::create_directories(dir / "elsewhere");
        fs::create_directories(dir / "work");
        SYMLINK_OR_SKIP(dir / "elsewhere", dir / "work" / linked);
        RecordingProgress progress;
        RecordingList list;
        const std::string message = (dir / "work" / linked).string() +
                                    ": cannot use the folder: it is a symbolic link, and nothing "
                                    "is written through one here";
        EXPECT_THROW_MSG(FindExtractionConflicts(dir / "a.ezx", dir / "work", {true, Format::Bmp}),
                         message);
        EXPECT_THROW_MSG(UnpackArchive(dir / "a.ezx", dir / "work", {true, Format::Bmp}, progress,
                                       list, nullptr, Overwrite::Replace),
                         message);
        EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
    }
}

// Two members whose pictures get one name: the later picture stays and the
// earlier member is reported; a picture the imaging layer cannot hold is
// only not converted, and the members after it still are.
TEST(UnpackArchive, CollisionsAndPicturesBeyondALimitAreReported)
{
    const auto gif = imaging::EncodePicture(test::ExactPicture(3, 3, 1), "image/gif", "a.g");
    const auto k = imagecodec::EncodeMotoBitmap18(test::ExactPicture(4, 4, 2), "x.k");
    const auto raw = imagecodec::EncodeRawPicture(test::ExactPicture(8, 8, 3), "n(8x08).raw");
    // 20000 x 1 pixels at 32 bits: within the format, beyond the imaging
    // layer's 16384 pixels a side.
    std::vector<std::byte> wide =
        test::Bytes({0x20, 0x4E, 0, 0, 1, 0, 0, 0, 32, 0, 0, 0, 0x80, 0x38, 1, 0});
    wide.resize(16 + 80000);
    struct Case {
        const char* name;
        std::vector<Member> members;
        Format format;
        Strings notConverted;
    } cases[] = {
        {"a.k and a GIF-holding a.g",
         {{"a.k", k}, {"a.g", gif}},
         Format::Gif,
         {"a.k: its picture a.gif was replaced by the picture of a.g"}},
        {"x.k and x.K",
         {{"x.k", k}, {"x.K", k}},
         Format::Png,
         {"x.k: its picture x.png was replaced by the picture of x.K"}},
        {"n(8x08).raw and n(8x08).k",
         {{"n(8x08).raw", raw}, {"n(8x08).k", k}},
         Format::Bmp,
         {"n(8x08).raw: its picture n(8x08).bmp was replaced by the picture of n(8x08).k"}},
        {"a picture too wide to save",
         {{"wide.k", wide}, {"x.k", k}},
         Format::Png,
         {"wide.k: picture is too large to save: 20000 x 1 pixels (at most 16384 a side and "
          "16777216 in all)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Where x.k and x.K are one file, x.K is not extracted at all
        // (NamesThatAreOneFileHereAreWrittenOnce).
        if (fileio::FileNameKey("x.k") == fileio::FileNameKey("x.K") &&
            std::string(c.name) == "x.k and x.K")
            continue;
        TempDir dir;
        WriteArchive(c.members, dir / "a.ezx");
        RecordingProgress progress;
        RecordingList list;
        std::vector<LeftOut> notConverted;
        UnpackArchive(dir / "a.ezx", dir.path(), {true, c.format}, progress, list, &notConverted);
        EXPECT_EQ(test::LeftOutLines(notConverted), c.notConverted);
        EXPECT_EQ(list.names.size(), c.members.size());
        EXPECT_TRUE(fs::exists(dir / "icons" / kConvMapFileName));
    }
}

// Many more members than are converted at once, some damaged: every file,
// report line, name, progress step and map record is what converting the
// members one by one in archive order gives; without conversion, every raw
// file, name and progress step.
TEST(UnpackArchive, ManyMembersComeOutAsConvertedOneByOne)
{
    const std::vector<Member> kinds = test::PhoneMembers();
    std::vector<Member> members;
    for (std::size_t i = 0; i < 400; ++i) {
        Member m = kinds[i % kinds.size()];
        m.name = std::to_string(i) + "_" + m.name;
        if (i % 7 == 3)
            m.data.resize(std::min<std::size_t>(m.data.size(), 3)); // shorter than any header
        members.push_back(std::move(m));
    }
    for (const ConversionSettings settings : {ConversionSettings{true, Format::Gif},
                                              ConversionSettings{true, Format::Bmp},
                                              ConversionSettings{false, Format::Bmp}}) {
        const Format format = settings.TargetFormat;
        SCOPED_TRACE(settings.ConvertEnabled ? imagecodec::TargetExtension(format) : "raw");
        TempDir dir;
        WriteArchive(members, dir / "a.ezx");
        Files expected;
        Strings expectedNotConverted;
        std::vector<TConvRec> records;
        for (const Member& m : members) {
            const std::string fileName = Cp1251ToUtf8(m.name);
            expected["raws/" + fileName] = m.data;
            if (!settings.ConvertEnabled)
                continue;
            imagecodec::PictureFromPhoneResult out;
            try {
                out = imagecodec::PictureFromPhone(fileName, m.data, format,
                                                   dir / "raws" / fileName);
            } catch (const IoError& e) {
                out.kind = imagecodec::DetectImageKind(fileName, m.data);
                out.whyNot = e.message();
            }
            const std::string picture = imagecodec::PictureFileName(fileName, m.data, format);
            if (out.converted)
                expected["icons/" + picture] = out.bytes;
            else
                expectedNotConverted.push_back(fileName + ": " + out.whyNot);
            records.push_back({m.name, *Utf8ToCp1251(picture), out.kind});
        }
        if (settings.ConvertEnabled) {
            expected["icons/conv.dat"] = ConvMapBytes(records);
            // damaged or unknown, spread over the archive
            ASSERT_GE(expectedNotConverted.size(), 40u);
        }

        RecordingProgress progress;
        RecordingList list;
        std::vector<LeftOut> notConverted;
        UnpackArchive(dir / "a.ezx", dir.path(), settings, progress, list, &notConverted);
        EXPECT_EQ(test::LeftOutLines(notConverted), expectedNotConverted);
        Files written = test::FolderFiles(dir.path());
        written.erase("a.ezx");
        EXPECT_EQ(written, expected);
        Strings names;
        for (const Member& m : members)
            names.push_back(m.name);
        EXPECT_EQ(list.names, names);
        Strings events{"show", "caption Extracting icons"};
        for (std::size_t i = 0; i < members.size(); ++i)
            events.push_back(std::to_string(ProgressPosition(i, members.size())));
        events.push_back("close");
        EXPECT_EQ(progress.events, events);
    }
}

} // namespace
} // namespace zefir::archive
