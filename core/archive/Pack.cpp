// Packing a folder F into a new archive, in two passes over the files found:
//
//   search   conversion disabled: "*.k", "*.g" and "*.raw"; enabled: "*.bmp",
//            "*.gif", "*.png" and, with a map F/conv.dat, "*.unk"; the lists
//            are taken by turns, one name from each while any has names
//            left; the listing's stat gives each file's size
//   pass 1   each file's member name and size; with conversion, the picture
//            is converted back to a phone file in memory and kept in an
//            unnamed scratch file outside F
//   pass 2   the archive's head, then each file's bytes, each file opened
//            once and checked against the size planned
//
// The archive goes to a temporary file beside the target, flushed to disk
// and renamed over it only when complete, so a failure leaves whatever was
// at the target. Nothing is written into F.

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Message.h"
#include "core/Text.h"
#include "core/archive/Archive.h"
#include "core/archive/ConvMap.h"
#include "core/archive/EzxFormat.h"
#include "core/archive/FolderSearch.h"
#include "core/archive/MemberName.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::archive {

namespace {

using imagecodec::ImageKind;

constexpr MessageText kSearchingCaption = ZEFIR_MESSAGE("zefir::archive", "Searching for files");
constexpr MessageText kRetrievingCaption =
    ZEFIR_MESSAGE("zefir::archive", "Retrieving skin structure");
constexpr MessageText kPackingCaption = ZEFIR_MESSAGE("zefir::archive", "Packing icons");

// ".unk" holds what extraction copied out of a Moto Image that was neither a
// GIF nor a PNG; only the map can tell it back into a Moto Image.
constexpr std::string_view kPictureExtensions[] = {
    imagecodec::TargetExtensions[static_cast<int>(imagecodec::Format::Bmp)],
    imagecodec::TargetExtensions[static_cast<int>(imagecodec::Format::Gif)],
    imagecodec::TargetExtensions[static_cast<int>(imagecodec::Format::Png)], ".unk"};
constexpr std::size_t kPictureSearchesWithoutMap = 3;
constexpr std::string_view kJpegExtension =
    imagecodec::TargetExtensions[static_cast<int>(imagecodec::Format::Jpeg)];

// One listed file on its way into the archive.
struct PackItem {
    FoundFile file;         // in F, UTF-8, with the listing's size
    std::string memberName; // Windows-1251 bytes
    std::uint32_t size = 0;
    bool packed = false;                  // false for a file left out
    std::optional<std::uint64_t> scratch; // where its converted bytes are
};

// Takes one name from each list in turn while any list still has names.
std::vector<FoundFile> TakeByTurns(const std::vector<std::vector<FoundFile>>& lists)
{
    std::vector<FoundFile> out;
    for (std::size_t turn = 0;; ++turn) {
        bool any = false;
        for (const auto& list : lists)
            if (turn < list.size()) {
                out.push_back(list[turn]);
                any = true;
            }
        if (!any)
            return out;
    }
}

// `what` has one place, for the size.
std::string TooLarge(std::uint64_t size, const MessageText& what)
{
    return Fill(what, ByteCount(size));
}

class Packer {
public:
    Packer(const fs::path& folder, const fs::path& archive, bool convertEnabled,
           IProgress& progress)
        : m_folder(folder), m_archive(archive), m_convertEnabled(convertEnabled),
          m_progress(progress)
    {
    }

    PackReport Run()
    {
        m_progress.SetCaption(Translated(kSearchingCaption));
        const std::vector<FoundFile> files = Search();
        m_progress.SetCaption(Translated(kRetrievingCaption));
        if (files.empty())
            return m_report;
        CheckTargetIsNotPacked(files);
        for (std::size_t j = 0; j < files.size(); ++j) {
            PackItem& item = m_items.emplace_back();
            item.file = files[j];
            PrepareItem(item);
            m_progress.SetPosition(ProgressPosition(j, files.size()));
        }
        // An archive without members is no use to anyone: the target stays
        // as it is.
        if (m_memberFiles.empty())
            return m_report;
        WriteArchive();
        return m_report;
    }

private:
    std::vector<FoundFile> Search()
    {
        const auto phone = imagecodec::PhoneFileExtensions();
        std::vector<std::string_view> extensions(phone.begin(), phone.end());
        if (m_convertEnabled) {
            m_hasMap = LoadConvMap(m_folder, m_map);
            extensions.assign(std::begin(kPictureExtensions),
                              std::begin(kPictureExtensions) + (m_hasMap
                                                                    ? std::size(kPictureExtensions)
                                                                    : kPictureSearchesWithoutMap));
            // JPEG pictures are not packed (the format is lossy), but an
            // extraction to JPEG leaves them here: say so rather than pass
            // over them in silence.
            extensions.push_back(kJpegExtension);
        }
        FolderSearch search = SearchFolder(m_folder, extensions);
        m_report.leftOut = std::move(search.passedOver);
        if (m_convertEnabled) {
            for (const FoundFile& file : search.matches.back())
                m_report.leftOut.push_back(
                    {file.name, Translated(ZEFIR_MESSAGE("zefir::archive",
                                                         "JPEG pictures are not packed; "
                                                         "convert it to BMP or PNG first"))});
            search.matches.pop_back();
        }
        ReportOthers(search.others);
        std::vector<FoundFile> files = TakeByTurns(search.matches);
        // The limit of the file list and of the entry table, checked before
        // anything is written.
        if (files.size() > kMaxEntries)
            throw IoError(FillCount(ZEFIR_PLURAL("zefir::archive",
                                                 "%n files to pack are more than the "
                                                 "limit of %1",
                                                 "%n file to pack is more than the limit of %1"),
                                    files.size(), std::to_string(files.size()), kMaxEntries),
                          m_folder, ErrorKind::OverLimit);
        return files;
    }

    // Every file that is not taken is told about, with the reason.
    void ReportOthers(const std::vector<std::string>& others)
    {
        for (const std::string& name : others) {
            if (m_convertEnabled && name == kConvMapFileName)
                continue;
            const std::string extension = AsciiUpper(ExtensionOf(name));
            std::string reason = Translated(
                m_convertEnabled
                    ? extension == ".UNK"
                          ? ZEFIR_MESSAGE("zefir::archive",
                                          "a .unk file is packed only through the "
                                          "conversion map that names it")
                          : ZEFIR_MESSAGE("zefir::archive",
                                          "not a picture packing converts (.bmp, .gif or .png)")
                    : ZEFIR_MESSAGE("zefir::archive", "not a phone file (.k, .g or .raw)"));
            m_report.leftOut.push_back({name, std::move(reason)});
        }
    }

    // Writing the archive over one of its own members would destroy it.
    void CheckTargetIsNotPacked(const std::vector<FoundFile>& files) const
    {
        const auto archive = fileio::IdentityOf(m_archive);
        if (!archive)
            return;
        for (const FoundFile& file : files)
            if (file.identity == archive)
                throw IoError(
                    Fill(ZEFIR_MESSAGE(
                             "zefir::archive",
                             "is one of the files being packed (%1); name another archive"),
                         file.name),
                    m_archive, ErrorKind::Refused);
    }

    // Pass 1: what gets packed for one listed file, and its size.
    void PrepareItem(PackItem& item)
    {
        if (auto whyNot = WhyNotFileAsMemberName(item.file.name)) {
            LeaveOut(item, *whyNot);
            return;
        }
        if (!m_convertEnabled) {
            item.memberName = *Utf8ToCp1251(item.file.name);
            if (item.file.size > kMaxMemberSize)
                throw IoError(
                    TooLarge(item.file.size,
                             ZEFIR_MESSAGE("zefir::archive", "the file is %1, more than the "
                                                             "limit of 1 MiB for a member")),
                    m_folder / PathFromUtf8(item.file.name), ErrorKind::OverLimit);
            item.size = static_cast<std::uint32_t>(item.file.size);
        } else if (!ConvertItem(item)) {
            return;
        }
        const auto earlier = m_memberFiles.find(item.memberName);
        if (earlier != m_memberFiles.end()) {
            LeaveOut(item,
                     Fill(ZEFIR_MESSAGE("zefir::archive",
                                        "it would become member \"%1\", as \"%2\" already does"),
                          Cp1251ToUtf8(item.memberName), earlier->second));
            return;
        }
        m_memberFiles.emplace(item.memberName, item.file.name);
        item.packed = true;
    }

    // Converts the picture back to a phone file in memory and keeps the
    // bytes in the scratch file. Returns false, with the file left out and
    // the reason noted, when it has no phone format or its name cannot be a
    // member's.
    bool ConvertItem(PackItem& item)
    {
        const fs::path source = m_folder / PathFromUtf8(item.file.name);
        // Without a map, the extension tells; the search lists only the
        // extensions that have a kind, and the conversion says why not for
        // any other.
        const std::vector<std::byte> picture =
            fileio::ReadFile(source, imaging::kMaxPictureFileSize);
        ImageKind kind = imagecodec::PhoneKindOfPicture(item.file.name, picture);
        if (m_hasMap) {
            const TConvRec rec = m_map.FindConvRec(*Utf8ToCp1251(item.file.name));
            kind = rec.Kind;
            if (kind == ImageKind::ikUnknown) {
                LeaveOut(item,
                         Translated(
                             rec.ConvName.empty()
                                 ? ZEFIR_MESSAGE("zefir::archive", "not in the conversion map")
                                 : ZEFIR_MESSAGE("zefir::archive", "the conversion map records it "
                                                                   "as not a phone picture")));
                return false;
            }
        }
        auto out = imagecodec::PhoneFromPicture(picture, kind, Utf8Of(source), source);
        if (!out.converted) {
            LeaveOut(item, out.whyNot);
            return false;
        }
        const std::string memberFile = ReplaceExtension(item.file.name, out.extension);
        if (auto whyNot = WhyNotFileAsMemberName(memberFile)) {
            LeaveOut(item, *whyNot);
            return false;
        }
        if (out.bytes.size() > kMaxMemberSize)
            throw IoError(TooLarge(out.bytes.size(),
                                   ZEFIR_MESSAGE("zefir::archive",
                                                 "its phone file would be %1, more than the "
                                                 "limit of 1 MiB for a member")),
                          source, ErrorKind::OverLimit);
        if (!m_scratch)
            m_scratch = std::make_unique<fileio::ScratchFile>();
        item.scratch = m_scratch->Append(out.bytes);
        item.size = static_cast<std::uint32_t>(out.bytes.size());
        item.memberName = *Utf8ToCp1251(memberFile);
        return true;
    }

    void LeaveOut(PackItem& item, std::string reason)
    {
        m_report.leftOut.push_back({item.file.name, std::move(reason)});
    }

    // Pass 2: every offset is known from pass 1, so the head is written
    // whole, its offset field final, and the member blocks follow.
    void WriteArchive()
    {
        std::vector<std::string> names;
        std::vector<std::uint32_t> sizes;
        for (const PackItem& item : m_items)
            if (item.packed) {
                names.push_back(item.memberName);
                sizes.push_back(item.size);
            }
        const ArchiveLayout layout = PlanArchive(names, sizes, m_archive);

        fileio::OutputFile out(m_archive, fileio::Target::Named);
        m_progress.SetPosition(0);
        m_progress.SetCaption(Translated(kPackingCaption));
        out.Write(EncodeArchiveHead(layout, names));
        std::vector<std::byte> buffer;
        for (std::size_t j = 0; j < m_items.size(); ++j) {
            const PackItem& item = m_items[j];
            if (!item.packed)
                continue;
            if (item.scratch) {
                buffer.resize(item.size);
                m_scratch->ReadAt(*item.scratch, buffer);
            } else {
                ReadPlanned(item, buffer);
            }
            out.Write(EncodeMemberHeader(item.size));
            out.Write(buffer);
            m_progress.SetPosition(ProgressPosition(j, m_items.size()));
        }
        out.Commit();
        m_report.written = true;
        m_report.members = names.size();
    }

    // Opens the file once and reads it once; the entry table already holds
    // the size the listing gave, and a file that changed since would make
    // it lie.
    void ReadPlanned(const PackItem& item, std::vector<std::byte>& buffer) const
    {
        const fs::path path = m_folder / PathFromUtf8(item.file.name);
        if (auto now = fileio::ReadExpected(path, item.size, buffer))
            throw IoError(
                Fill(ZEFIR_MESSAGE("zefir::archive", "the file changed while the archive was being "
                                                     "packed (%1 before, %2 now)"),
                     ByteCount(item.size), Grouped(*now)),
                path, ErrorKind::Refused);
    }

    const fs::path& m_folder;
    const fs::path& m_archive;
    const bool m_convertEnabled;
    IProgress& m_progress;
    ConvMap m_map;
    bool m_hasMap = false;
    std::vector<PackItem> m_items;
    std::map<std::string, std::string> m_memberFiles; // member name -> file name
    std::unique_ptr<fileio::ScratchFile> m_scratch;
    PackReport m_report;
};

} // namespace

PackReport PackArchive(const fs::path& sourceFolder, const fs::path& archive, bool convertEnabled,
                       IProgress& progress)
{
    progress.Show();
    PackReport report;
    try {
        report = Packer(sourceFolder, archive, convertEnabled, progress).Run();
    } catch (...) {
        // The progress display ends with the operation, also when it fails.
        progress.Close();
        throw;
    }
    progress.Close();
    return report;
}

} // namespace zefir::archive
