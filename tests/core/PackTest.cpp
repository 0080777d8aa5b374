// Packing a folder. Round trips through extraction are in
// ArchiveRoundTripTest, failed writes in FaultInjectionTest.

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
using test::LeftOutLines;
using test::ReadBytes;
using test::RecordingProgress;
using test::TempDir;
using test::WriteBytes;
using Strings = std::vector<std::string>;
constexpr ImageKind kImage = ImageKind::ikMotoImage;

const std::string kJpegLeftOut = "JPEG pictures are not packed; convert it to BMP or PNG first";

// A folder "f" to pack, holding `files` and, when `map` is given, its
// conv.dat; an earlier archive "out.ezx" beside it.
struct PackFolder {
    TempDir dir;
    const fs::path folder = dir / "f";
    const fs::path out = dir / "out.ezx";

    explicit PackFolder(const std::vector<Member>& files,
                        const std::vector<TConvRec>* map = nullptr)
    {
        fs::create_directory(folder);
        for (const auto& f : files)
            WriteBytes(folder / PathFromUtf8(f.name), f.data);
        if (map)
            WriteBytes(folder / kConvMapFileName, test::ConvMapBytes(*map));
        WriteBytes(out, Bytes("old"));
    }
    // The earlier archive is as it was and nothing was written beside it.
    void ExpectUnchanged() const
    {
        EXPECT_EQ(ReadBytes(out), Bytes("old"));
        EXPECT_EQ(FolderNames(dir.path()), (Strings{"f", "out.ezx"}));
    }
};

// A small GIF, which goes into a Moto Image as it is whatever the file's
// name; a file that does not decode would stop the packing.
const std::vector<std::byte>& SmallGif()
{
    static const std::vector<std::byte> gif =
        imaging::EncodePicture(test::ExactPicture(2, 2, 1), "image/gif", "x");
    return gif;
}

std::vector<Member> Gifs(const Strings& names)
{
    std::vector<Member> out;
    for (const auto& name : names)
        out.push_back({name, SmallGif()});
    return out;
}

// Members, each holding the stem of its name.
std::vector<Member> Named(const Strings& names)
{
    std::vector<Member> out;
    for (const auto& name : names)
        out.push_back({name, Bytes(fs::path(name).stem().string())});
    return out;
}

TEST(PackArchive, WritesTheArchiveAndMovesTheBarInBothPasses)
{
    const std::vector<TConvRec> map = {{"a.g", "a.bmp", kImage}, {"b.g", "b.bmp", kImage},
                                       {"c.g", "c.bmp", kImage}, {"x.g", "x.gif", kImage},
                                       {"p.g", "p.png", kImage}, {"q.g", "q.unk", kImage}};
    const std::vector<Member> worked = {{"a.k", Bytes({1, 2, 3, 4, 5})}, {"c.g", Bytes({6, 7, 8})}};
    const Strings ends = {"0", "100"};
    const Strings sixths = {"0", "20", "40", "60", "80", "100"};
    struct Case {
        const char* name;
        std::vector<Member> files;
        const std::vector<TConvRec>* map;
        std::vector<Member> members;
        Strings firstPass;
        Strings secondPass;
    } cases[] = {
        {"the worked example (132 bytes) from a folder of a.k and c.g", worked, nullptr, worked,
         ends, ends},
#ifndef _WIN32 // where "a.k" and "A.k" are one file
        {"phone files by name: letter case aside, then byte order",
         Named({"e.K", "d.g", "B.k", "a.k", "c.G", "A.k"}), nullptr,
         Named({"A.k", "c.G", "a.k", "d.g", "B.k", "e.K"}), sixths, sixths},
#endif
        {"pictures through a map: .bmp, .gif, .png and .unk by turns",
         Gifs({"c.bmp", "p.png", "b.bmp", "x.gif", "a.bmp", "q.unk"}), &map,
         Gifs({"a.g", "x.g", "p.g", "q.g", "b.g", "c.g"}), sixths, sixths},
        // A file left out moves the bar in the first pass only.
        {"one file of three left out", Gifs({"a.bmp", "bb.bmp", "c.bmp"}), &map,
         Gifs({"a.g", "c.g"}), Strings{"0", "50", "100"}, ends},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackFolder f(c.files, c.map);
        RecordingProgress progress;
        PackReport report = PackArchive(f.folder, f.out, c.map != nullptr, progress);
        EXPECT_TRUE(report.written);
        EXPECT_EQ(report.members, c.members.size());
        EXPECT_EQ(report.leftOut.size(), c.files.size() - c.members.size());
        EXPECT_EQ(ReadBytes(f.out), BuildArchive(c.members, "x"));
        Strings expected = {"show", "caption Searching for files",
                            "caption Retrieving skin structure"};
        expected.insert(expected.end(), c.firstPass.begin(), c.firstPass.end());
        expected.insert(expected.end(), {"0", "caption Packing icons"});
        expected.insert(expected.end(), c.secondPass.begin(), c.secondPass.end());
        expected.push_back("close");
        EXPECT_EQ(progress.events, expected);
        // No temporary file beside the archive, nothing written into f.
        EXPECT_EQ(FolderNames(f.dir.path()), (Strings{"f", "out.ezx"}));
        EXPECT_FALSE(fs::exists(f.folder / "conv"));
    }
}

TEST(PackArchive, AFolderWithNothingToPackWritesNoArchive)
{
    const std::vector<TConvRec> map = {{"x.g", "x.bmp", kImage}};
    struct Case {
        const char* name;
        Strings files;
        bool convert;
        const std::vector<TConvRec>* map;
        Strings leftOut;
    } cases[] = {
        {"pictures only, without conversion",
         {"a.bmp", "b.png"},
         false,
         nullptr,
         {"a.bmp: not a phone file (.k, .g or .raw)", "b.png: not a phone file (.k, .g or .raw)"}},
        {"JPEG pictures only", {"a.jpg"}, true, nullptr, {"a.jpg: " + kJpegLeftOut}},
        // An archive without members would replace the earlier one for
        // nothing.
        {"every picture left out",
         {"d.bmp", "e.png"},
         true,
         &map,
         {"d.bmp: not in the conversion map", "e.png: not in the conversion map"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackFolder f(Named(c.files), c.map);
        RecordingProgress progress;
        PackReport report = PackArchive(f.folder, f.out, c.convert, progress);
        EXPECT_FALSE(report.written);
        EXPECT_EQ(report.members, 0u);
        EXPECT_EQ(LeftOutLines(report.leftOut), c.leftOut);
        f.ExpectUnchanged();
        EXPECT_EQ(progress.events.front(), "show");
        EXPECT_EQ(progress.events.back(), "close");
        EXPECT_FALSE(fs::exists(f.folder / "conv"));
    }
}

TEST(PackArchive, TellsWhatItLeftOutAndWhy)
{
    const std::vector<TConvRec> map = {{"k.k", "known.bmp", ImageKind::ikUnknown},
                                       {"ok.g", "ok.png", kImage},
                                       {"dup.g", "dup.gif", kImage},
                                       {"dup.g", "dup.png", kImage}};
    PackFolder f({}, &map);
    for (const char* name :
         {"known.bmp", "A.BMP", ".hidden.bmp", "pic.jpg", "ok.png", "dup.gif", "dup.png", "b.bmp"})
        WriteBytes(f.folder / name, Bytes(name));
    for (const char* name : {"ok.png", "dup.gif", "dup.png"})
        WriteBytes(f.folder / name, SmallGif());
    const bool linked = test::MakeSymlink(f.folder / "ok.png", f.folder / "link.png");
    fs::create_directory(f.folder / "dir.bmp");
    RecordingProgress progress;
    PackReport report = PackArchive(f.folder, f.out, true, progress);
    Strings leftOut = LeftOutLines(report.leftOut);
    if (!linked)
        leftOut.insert(leftOut.begin() + 1, "link.png: not a plain file");
    EXPECT_EQ(leftOut,
              (Strings{
                  ".hidden.bmp: hidden file",
                  "link.png: not a plain file",
                  "pic.jpg: " + kJpegLeftOut,
                  // Lookups are case-sensitive.
                  "A.BMP: not in the conversion map",
                  "dup.png: it would become member \"dup.g\", as \"dup.gif\" already does",
                  "b.bmp: not in the conversion map",
                  "known.bmp: the conversion map records it as not a phone picture",
              }));
    EXPECT_EQ(ReadBytes(f.out), BuildArchive(Gifs({"dup.g", "ok.g"}), "x"));
    EXPECT_FALSE(fs::exists(f.folder / "conv"));
}

// Names that are left out: each is reported and the rest is packed.
TEST(PackArchive, NamesThatAreLeftOut)
{
    const std::string notCp1251 = "the name is not UTF-8 text that Windows-1251, the character "
                                  "set of member names, can hold";
    struct Case {
        std::string file;
        std::string reason;
    } cases[] = {
        {"图标.k", notCp1251},
        {std::string(98, 'n') + ".k",
         "member name \"" + std::string(98, 'n') + ".k\" is 100 bytes, more than the limit of 99"},
        // Control characters would break list's lines and reach the terminal.
        {"a\x7F.k", "member name \"a\\x7F.k\" holds a control character (\\x7F)"},
#ifndef _WIN32 // names that are not UTF-16 text, or that Windows takes as folders or refuses
        // An overlong "/": read leniently it would become the member "x/y.k".
        {"x\xC0\xAFy.k", notCp1251},
        {"\xFF.k", notCp1251},
        {"a\\b.k", "member name \"a\\\\b.k\" holds \"/\", \"\\\" or a NUL byte"},
        {"a\nb.k", "member name \"a\\nb.k\" holds a line break"},
        {"a\tb.k", "member name \"a\\tb.k\" holds a control character (\\t)"},
        {"a\x1B[2J.k", "member name \"a\\x1B[2J.k\" holds a control character (\\x1B)"},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        PackFolder f({{"ok.k", Bytes("ok")}, {c.file, Bytes("x")}});
        RecordingProgress progress;
        PackReport report = PackArchive(f.folder, f.out, false, progress);
        EXPECT_EQ(LeftOutLines(report.leftOut), Strings{c.file + ": " + c.reason});
        EXPECT_EQ(ReadBytes(f.out), BuildArchive(std::vector<Member>{{"ok.k", Bytes("ok")}}, "x"));
    }
}

// An archive written over one of the files it packs would destroy it.
TEST(PackArchive, RefusesAnArchiveThatIsOneOfItsFiles)
{
    PackFolder f({{"a.k", Bytes("a")}, {"b.g", Bytes("b")}});
    SYMLINK_OR_SKIP(f.folder / "b.g", f.dir / "link.ezx");
    for (const fs::path& target : {f.folder / "a.k", f.dir / "link.ezx"}) {
        SCOPED_TRACE(target.string());
        RecordingProgress progress;
        try {
            PackArchive(f.folder, target, false, progress);
            ADD_FAILURE() << "not refused";
        } catch (const IoError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Refused);
        }
        EXPECT_EQ(ReadBytes(f.folder / "a.k"), Bytes("a"));
        EXPECT_EQ(ReadBytes(f.folder / "b.g"), Bytes("b"));
    }
}

// Refused before the archive is written, or while it is, since the files may
// change between the pass that measures them and the pass that copies them
// and the archive's table must not lie.
TEST(PackArchive, RefusalsLeaveTheEarlierArchive)
{
    using Change = std::function<void(const fs::path&)>;
    auto add = [](std::string name, std::size_t size) -> Change {
        return [=](const fs::path& folder) {
            WriteBytes(folder / name, std::vector<std::byte>(size));
        };
    };
    struct Case {
        const char* name;
        Change before;
        Change whilePacking; // when the caption "Packing icons" is set
        std::string message; // after "<folder>"
        bool slowUnderWine = false; // which takes minutes to make 65,537 files
    } cases[] = {
        {"a file above 1 MiB", add("big.k", kMaxMemberSize + 1), nullptr,
         "/big.k: the file is 1,048,577 bytes, more than the limit of 1 MiB for a member"},
        {"more files than the entry table holds",
         [](const fs::path& folder) {
             for (std::size_t i = 0; i < kMaxEntries; ++i)
                 WriteBytes(folder / ("m" + std::to_string(i) + ".k"), {});
         },
         nullptr, ": 65537 files to pack are more than the limit of 65536", true},
        {"a file grown between the passes", nullptr, add("a.k", 6),
         "/a.k: the file changed while the archive was being packed (5 bytes before, 6 now)"},
        {"a file removed between the passes", nullptr,
         [](const fs::path& folder) { fs::remove(folder / "a.k"); },
         "/a.k: cannot open: No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.slowUnderWine && test::UnderWine())
            continue;
        PackFolder f({{"a.k", Bytes({1, 2, 3, 4, 5})}});
        if (c.before)
            c.before(f.folder);
        RecordingProgress progress;
        progress.onCaption = [&](std::string_view caption) {
            if (caption == "Packing icons" && c.whilePacking)
                c.whilePacking(f.folder);
        };
        EXPECT_THROW_MSG(PackArchive(f.folder, f.out, false, progress),
                         f.folder.string() + test::NativeSeparators(c.message));
        f.ExpectUnchanged();
        EXPECT_EQ(progress.events.back(), "close");
    }
}

} // namespace
} // namespace zefir::archive
