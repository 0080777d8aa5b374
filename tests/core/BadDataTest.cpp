// Walks the damaged files that zefir-make-bad-data wrote into the build
// folder and puts each through the operation a user would: opening for
// editing and extraction for an archive, packing with conversion for a
// conv.dat, conversion from the phone for a Moto Bitmap or raw picture,
// loading (and conversion to the phone) for a standard picture. Each must
// fail with the reason the manifest gives, write nothing outside the working
// folder and leave no file open.

#include <fstream>
#include <functional>
#include <map>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "TestUtil.h"
#include "core/archive/Archive.h"
#include "core/archive/ArchiveModel.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"

namespace zefir {
namespace {

namespace fs = std::filesystem;
using imagecodec::Format;
using imagecodec::ImageKind;
using test::Listing;
using test::OpenFiles;

const fs::path kBadData = ZEFIR_BINARY_DIR "/bad-data";

// One operation on a file of the corpus, writing only inside `work`.
using Operation = std::function<void(const fs::path& file, const fs::path& work)>;

void Extract(const fs::path& file, const fs::path& work)
{
    test::RecordingProgress progress;
    test::RecordingList list;
    archive::UnpackArchive(file, work, {true, Format::Bmp}, progress, list);
}

// Opening for editing makes the same checks, reading member headers in
// windows rather than one by one.
void OpenForEditing(const fs::path& file, const fs::path&)
{
    archive::ArchiveModel model(file);
}

void PackWithConversion(const fs::path&, const fs::path& work)
{
    test::RecordingProgress progress;
    archive::PackArchive(work, work / "out.ezx", true, progress);
}

void ConvertFromPhone(const fs::path& file, const fs::path& work)
{
    fs::path target = work / "out.bmp";
    ImageKind kind = ImageKind::ikUnknown;
    imagecodec::ConvertFromPhone(file, target, Format::Bmp, kind);
}

void ConvertToPhone(const fs::path& file, const fs::path& work)
{
    fs::path target = work / "out.bmp";
    imagecodec::ConvertToPhone(file, ImageKind::ikMotoBitmap18, target);
}

void Load(const fs::path& file, const fs::path&)
{
    imaging::LoadPicture(file);
}

TEST(BadData, EveryDamagedFileIsRefusedWithItsReason)
{
    // Path in the corpus -> expected message after "<path>: ".
    std::map<std::string, std::string> manifest;
    std::ifstream in(kBadData / "manifest.tsv");
    for (std::string line; std::getline(in, line);)
        if (const auto tab = line.find('\t'); tab != std::string::npos)
            manifest[line.substr(0, tab)] = line.substr(tab + 1);
    ASSERT_FALSE(manifest.empty()) << "no manifest in " << kBadData;
    const auto corpusBefore = Listing(kBadData);
    std::size_t walked = 0;
    for (const auto& name : corpusBefore) {
        const fs::path file = kBadData / name;
        if (fs::is_directory(file) || name == "manifest.tsv")
            continue;
        SCOPED_TRACE(name);
        ++walked;
        const auto expected = manifest.find(name);
        ASSERT_NE(expected, manifest.end()) << "not in the manifest";
        const std::string kind = fs::path(name).begin()->string();
        test::TempDir root;
        const fs::path work = root / "work";
        fs::create_directory(work);
        fs::path named = file;
        std::vector<Operation> operations;
        if (kind == "archive") {
            operations = {OpenForEditing, Extract};
        } else if (kind == "convmap") {
            // Packing reads conv.dat by that name only, so a map is packed
            // from a copy inside the working folder; the error names the copy.
            named = work / "conv.dat";
            fs::copy_file(file, named);
            imaging::SavePicture(imaging::Bitmap(2, 2), work / "a.bmp", "image/bmp");
            operations = {PackWithConversion};
        } else if (kind == "motobitmap" || kind == "raw") {
            operations = {ConvertFromPhone};
        } else if (kind == "picture") {
            operations = {Load};
            // GIF and PNG pictures go to the phone as byte copies, unread.
            if (file.extension() == ".bmp" || file.extension() == ".jpg")
                operations.push_back(ConvertToPhone);
        }
        ASSERT_FALSE(operations.empty()) << "unknown kind " << kind;

        for (const Operation& operation : operations) {
            const auto rootBefore = Listing(root.path());
            const std::size_t openBefore = OpenFiles();
            EXPECT_THROW_MSG(operation(named, work), named.string() + ": " + expected->second);
            EXPECT_EQ(OpenFiles(), openBefore);
            // Extraction may have written members before a damaged entry
            // into raws and icons, but creates nothing for an archive refused
            // at open; nothing else is written anywhere, and no temporary
            // (hidden) file is left even there.
            const bool entryFault = kind == "archive" && expected->second.starts_with("entry ");
            auto rootAfter = Listing(root.path());
            std::erase_if(rootAfter, [&](const std::string& entry) {
                const bool hidden = fs::path(entry).filename().string().starts_with(".");
                return entryFault && !hidden &&
                       (entry.starts_with("work/raws") || entry.starts_with("work/icons"));
            });
            EXPECT_EQ(rootAfter, rootBefore);
        }
    }
    EXPECT_EQ(Listing(kBadData), corpusBefore);
    EXPECT_EQ(walked, manifest.size()) << "files missing for the manifest";
}

// A pipe or a device where a file is expected is refused at once, neither
// waited on nor read without end.
TEST(BadData, SpecialFilesAreRefusedWithoutWaiting)
{
#ifdef _WIN32
    GTEST_SKIP() << "pipes and devices do not stand in folders on Windows";
#else
    test::TempDir root;
    ASSERT_EQ(::mkfifo((root / "pipe.ezx").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", root / "device.ezx");
    const fs::path folder = root / "pictures";
    fs::create_directory(folder);
    ASSERT_EQ(::mkfifo((folder / "conv.dat").c_str(), 0600), 0);
    imaging::SavePicture(imaging::Bitmap(2, 2), folder / "a.bmp", "image/bmp");
    const auto before = Listing(root.path());
    const std::size_t openBefore = OpenFiles();
    for (const char* name : {"pipe.ezx", "device.ezx"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW_MSG(Extract(root / name, root.path()),
                         (root / name).string() + ": cannot open: not a plain file");
    }
    EXPECT_THROW_MSG(PackWithConversion({}, folder),
                     (folder / "conv.dat").string() + ": cannot open: not a plain file");
    EXPECT_EQ(OpenFiles(), openBefore);
    EXPECT_EQ(Listing(root.path()), before);
#endif
}

} // namespace
} // namespace zefir
