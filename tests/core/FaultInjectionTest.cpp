// Extraction and packing with a write that fails as on a full disk, at every
// write step in turn until a run gets through: each failure must be a clear
// error that leaves no file open, no temporary or half-written file, and the
// user's earlier files (an archive, a conv.dat) as they were.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "Hardening.h"
#include "TestUtil.h"
#include "core/FileIo.h"
#include "core/archive/Archive.h"
#include "core/archive/EzxFormat.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"

namespace zefir::archive {
namespace {

using imagecodec::Format;
using test::Bytes;
using test::Listing;
using test::OpenFiles;
using test::ReadBytes;
using test::TempDir;

constexpr const char* kDiskFull = "cannot write: No space left on device";

// Switches injected write faults off again whatever the outcome.
struct FaultInjection {
    explicit FaultInjection(long n) { fileio::FailWritesAfter(n); }
    ~FaultInjection() { fileio::FailWritesAfter(-1); }
};

// Runs `operation` with a fault after 0, 1, 2, ... successful write steps
// until it succeeds, calling `check` after each failure. Returns the number
// of failures.
long FailAtEveryWrite(const std::function<void(test::RecordingProgress&)>& operation,
                      const std::function<void(const IoError&)>& check)
{
    constexpr long kMaxSteps = 1000;
    for (long n = 0; n < kMaxSteps; ++n) {
        SCOPED_TRACE("a fault after " + std::to_string(n) + " writes");
        const std::size_t openBefore = OpenFiles();
        test::RecordingProgress progress;
        try {
            FaultInjection fault(n);
            operation(progress);
            EXPECT_EQ(OpenFiles(), openBefore);
            return n;
        } catch (const IoError& e) {
            EXPECT_EQ(e.message(), kDiskFull);
            EXPECT_EQ(OpenFiles(), openBefore);
            EXPECT_EQ(progress.events.back(), "close");
            check(e);
        }
    }
    ADD_FAILURE() << "no run got through in " << kMaxSteps << " attempts";
    return kMaxSteps;
}

bool IsInside(const fs::path& path, const fs::path& folder)
{
    const auto relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

imaging::Bitmap Picture(std::uint32_t width, std::uint32_t height)
{
    imaging::Bitmap picture(width, height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = (i % 3 == 0 ? 0xFF000000u : 0x80000000u) | (i * 0x2F1D3Bu & 0xFFFFFF);
    return picture;
}

// Members of every kind: each phone format, a raw picture and a member with
// no converter.
std::vector<Member> Members()
{
    return {
        {"a.k", imagecodec::EncodeMotoBitmap18(Picture(5, 2), "a.k")},
        {"b.k", imagecodec::EncodeMotoBitmap32(Picture(3, 3), "b.k")},
        {"c.g", imaging::EncodePicture(Picture(4, 4), "image/gif", "c.gif")},
        {"d.g", imaging::EncodePicture(Picture(2, 5), "image/png", "d.png")},
        {"e(4x02).raw", imagecodec::EncodeRawPicture(Picture(4, 2), "e(4x02).raw")},
        {"notes.txt", Bytes("notes")},
    };
}

std::map<std::string, std::vector<std::byte>> FolderFiles(const fs::path& folder)
{
    std::map<std::string, std::vector<std::byte>> files;
    for (const std::string& entry : Listing(folder))
        if (fs::is_regular_file(folder / entry))
            files[entry] = ReadBytes(folder / entry);
    return files;
}

TEST(FaultInjection, AnInterruptedExtractionKeepsTheEarlierMap)
{
    TempDir root;
    WriteArchive(Members(), root / "in.ezx");
    test::RecordingList list;
    test::RecordingProgress progress;
    // What the extraction gives when nothing fails.
    fs::create_directory(root / "clean");
    UnpackArchive(root / "in.ezx", root / "clean", {true, Format::Bmp}, progress, list);
    const auto clean = FolderFiles(root / "clean");

    for (bool convert : {true, false}) {
        SCOPED_TRACE(convert ? "with conversion" : "without conversion");
        const fs::path work = root / (convert ? "work" : "work-raws");
        fs::create_directory(work);
        // An earlier extraction to PNG left its pictures and its map.
        UnpackArchive(root / "in.ezx", work, {true, Format::Png}, progress, list);
        const auto earlier = FolderFiles(work);
        const auto earlierMap = earlier.at("icons/conv.dat");
        std::set<fs::path> named;
        const long failures = FailAtEveryWrite(
            [&](test::RecordingProgress& p) {
                UnpackArchive(root / "in.ezx", work, {convert, Format::Bmp}, p, list);
            },
            [&](const IoError& e) {
                named.insert(e.path());
                EXPECT_EQ(ReadBytes(work / "icons" / "conv.dat"), earlierMap);
                // Each file is as the earlier extraction left it or whole:
                // nothing half-written, no temporary file.
                for (const auto& [name, bytes] : FolderFiles(work)) {
                    const auto before = earlier.find(name);
                    const auto whole = clean.find(name);
                    EXPECT_TRUE((before != earlier.end() && before->second == bytes) ||
                                (whole != clean.end() && whole->second == bytes))
                        << name;
                }
            });
        // Every file is written in at least two steps (its bytes, then its
        // commit): six members, five pictures and the map. A failure names
        // the file whose write failed, so each of them is named.
        EXPECT_GE(failures, convert ? 2 * (6 + 5 + 1) : 2 * 6);
        std::set<fs::path> written;
        for (const auto& [name, bytes] : clean)
            if (convert || name.starts_with("raws/"))
                written.insert(work / name);
        EXPECT_EQ(named, written);
        // The run that got through wrote what a clean one does; without
        // conversion it kept the earlier map.
        auto files = FolderFiles(work);
        for (const auto& [name, bytes] : clean)
            if (convert || name.starts_with("raws/")) {
                EXPECT_EQ(files[name], bytes) << name;
            }
        if (!convert) {
            EXPECT_EQ(files["icons/conv.dat"], earlierMap);
        }
    }
}

TEST(FaultInjection, AnInterruptedPackKeepsTheEarlierArchive)
{
    TempDir root;
    WriteArchive(Members(), root / "in.ezx");
    test::RecordingList list;
    test::RecordingProgress progress;
    fs::create_directory(root / "work");
    UnpackArchive(root / "in.ezx", root / "work", {true, Format::Bmp}, progress, list);

    for (bool convert : {true, false}) {
        const fs::path folder = root / "work" / (convert ? "icons" : "raws");
        const fs::path expected = root / "expected.ezx";
        PackArchive(folder, expected, convert, progress);
        const auto expectedBytes = ReadBytes(expected);
        fs::remove(expected);
        fs::remove_all(folder / "conv");
        const auto folderBefore = Listing(folder);

        for (bool earlier : {false, true}) {
            SCOPED_TRACE(std::string(convert ? "with" : "without") + " conversion, " +
                         (earlier ? "over an earlier archive" : "no archive before"));
            const fs::path out = root / "out" / "iconres.ezx";
            fs::create_directories(out.parent_path());
            if (earlier)
                test::WriteBytes(out, Bytes("earlier"));
            const auto outBefore = Listing(out.parent_path());
            std::set<fs::path> named;
            const long failures = FailAtEveryWrite(
                [&](test::RecordingProgress& p) { PackArchive(folder, out, convert, p); },
                [&](const IoError& e) {
                    // A failure while converting names the converted file.
                    EXPECT_TRUE(e.path() == out || IsInside(e.path(), folder / "conv"))
                        << e.path();
                    named.insert(e.path());
                    if (earlier) {
                        EXPECT_EQ(ReadBytes(out), Bytes("earlier"));
                    }
                    EXPECT_EQ(Listing(out.parent_path()), outBefore);
                    auto folderAfter = Listing(folder);
                    folderAfter.erase("conv");
                    EXPECT_EQ(folderAfter, folderBefore);
                });
            // Five pictures converted, each in two steps; the archive's head,
            // its member blocks and its commit.
            EXPECT_GE(failures, (convert ? 2 * 5 : 0) + 3);
            EXPECT_EQ(named.size(), (convert ? 5u : 0u) + 1);
            EXPECT_EQ(ReadBytes(out), expectedBytes);
            EXPECT_EQ(Listing(out.parent_path()), (std::set<std::string>{"iconres.ezx"}));
            auto folderAfter = Listing(folder);
            folderAfter.erase("conv");
            EXPECT_EQ(folderAfter, folderBefore);
            fs::remove_all(out.parent_path());
        }
    }
}

} // namespace
} // namespace zefir::archive
