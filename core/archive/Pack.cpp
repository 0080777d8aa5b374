// Packing a folder F into a new archive, in two passes over the files found:
//
//   search   conversion disabled: "*.k" and "*.g"; enabled: "*.bmp", "*.gif",
//            "*.png" and, with a map F/conv.dat, "*.unk"; the lists are
//            taken by turns, one name from each while any has names left
//   pass 1   each file's member name and size; with conversion, the picture
//            is first converted back to a phone file in F/conv
//   pass 2   the archive's head, then each file's bytes; converted files are
//            removed once copied
//
// The archive goes to a temporary file beside the target, renamed over it
// only when complete, so a failure leaves whatever was at the target.

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/archive/Archive.h"
#include "core/archive/ConvMap.h"
#include "core/archive/EzxFormat.h"
#include "core/archive/FolderSearch.h"

namespace zefir::archive {

namespace {

using imagecodec::ImageKind;

constexpr std::string_view kSearchingCaption = "Searching for files";
constexpr std::string_view kRetrievingCaption = "Retrieving skin structure";
constexpr std::string_view kPackingCaption = "Packing icons";

constexpr std::string_view kPhoneExtensions[] = {".k", ".g"};
// ".unk" holds what extraction copied out of a Moto Image that was neither a
// GIF nor a PNG; only the map can tell it back into a Moto Image.
constexpr std::string_view kPictureExtensions[] = {".bmp", ".gif", ".png", ".unk"};
constexpr std::size_t kPictureSearchesWithoutMap = 3;
constexpr std::string_view kJpegExtension = ".jpg";

// One listed file on its way into the archive.
struct PackItem {
    std::string fileName;   // in F, UTF-8
    std::string memberName; // Windows-1251 bytes
    fs::path path;          // the file that gets packed
    std::uint32_t size = 0;
    bool packed = false;    // false for a file left out
    bool converted = false; // path is a file this run made in F/conv
};

// Takes one name from each list in turn while any list still has names.
std::vector<std::string> TakeByTurns(const std::vector<std::vector<std::string>>& lists)
{
    std::vector<std::string> out;
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

// The phone format of a picture when there is no map: by its extension. The
// search lists only these extensions; for any other the conversion below
// declines, and says why.
ImageKind KindByExtension(const std::string& fileName)
{
    const std::string extension = AsciiUpper(ExtensionOf(fileName));
    if (extension == ".GIF" || extension == ".PNG")
        return ImageKind::ikMotoImage;
    if (extension == ".BMP")
        return ImageKind::ikMotoBitmap18;
    return ImageKind::ikUnknown;
}

class Packer {
public:
    Packer(const fs::path& folder, const fs::path& archive, bool convertEnabled,
           IProgress& progress)
        : m_folder(folder),
          m_conv(folder / "conv"),
          m_archive(archive),
          m_convertEnabled(convertEnabled),
          m_progress(progress)
    {
    }

    // Whatever the outcome, no converted file stays behind in F/conv.
    ~Packer()
    {
        for (const PackItem& item : m_items)
            if (item.converted)
                fileio::RemoveFile(item.path);
    }

    Packer(const Packer&) = delete;
    Packer& operator=(const Packer&) = delete;

    PackReport Run()
    {
        m_progress.SetCaption(kSearchingCaption);
        const std::vector<std::string> files = Search();
        m_progress.SetCaption(kRetrievingCaption);
        if (files.empty())
            return m_report;
        if (m_convertEnabled)
            fileio::CreateFolder(m_conv);
        for (std::size_t j = 0; j < files.size(); ++j) {
            PackItem& item = m_items.emplace_back();
            item.fileName = files[j];
            PrepareItem(item);
            m_progress.SetPosition(ProgressPosition(j, files.size()));
        }
        WriteArchive();
        return m_report;
    }

private:
    std::vector<std::string> Search()
    {
        std::vector<std::string_view> extensions(std::begin(kPhoneExtensions),
                                                 std::end(kPhoneExtensions));
        if (m_convertEnabled) {
            m_hasMap = LoadConvMap(m_folder, m_map);
            extensions.assign(std::begin(kPictureExtensions),
                              std::begin(kPictureExtensions) +
                                  (m_hasMap ? std::size(kPictureExtensions)
                                            : kPictureSearchesWithoutMap));
            // JPEG pictures are not packed (the format is lossy), but an
            // extraction to JPEG leaves them here: say so rather than pass
            // over them in silence.
            extensions.push_back(kJpegExtension);
        }
        FolderSearch search = SearchFolder(m_folder, extensions);
        m_report.leftOut = std::move(search.passedOver);
        if (m_convertEnabled) {
            for (const std::string& name : search.matches.back())
                m_report.leftOut.push_back({name, "JPEG pictures are not packed; convert it to "
                                                  "BMP or PNG first"});
            search.matches.pop_back();
        }
        std::vector<std::string> files = TakeByTurns(search.matches);
        // The limit of the file list and of the entry table, checked before
        // anything is written.
        if (files.size() > kMaxEntries)
            throw IoError(std::to_string(files.size()) +
                              " files to pack are more than the limit of " +
                              std::to_string(kMaxEntries),
                          m_folder);
        // Every name must have its member name before anything is converted.
        for (const std::string& file : files)
            MemberNameOf(m_folder, file);
        return files;
    }

    // Pass 1: what gets packed for one listed file, and its size.
    void PrepareItem(PackItem& item)
    {
        const std::string fileBytes = MemberNameOf(m_folder, item.fileName);
        if (!m_convertEnabled) {
            item.memberName = fileBytes;
            item.path = m_folder / item.fileName;
        } else if (!ConvertItem(item, fileBytes)) {
            return;
        }
        const auto earlier = m_memberFiles.find(item.memberName);
        if (earlier != m_memberFiles.end()) {
            LeaveOut(item, "it would become member \"" + Cp1251ToUtf8(item.memberName) +
                               "\", as \"" + earlier->second + "\" already does");
            return;
        }
        m_memberFiles.emplace(item.memberName, item.fileName);
        item.size = MeasureFile(item.path);
        item.packed = true;
    }

    // Converts the picture back into F/conv. Returns false, with the file
    // left out and the reason noted, when it has no phone format.
    bool ConvertItem(PackItem& item, const std::string& fileBytes)
    {
        ImageKind kind = KindByExtension(item.fileName);
        if (m_hasMap) {
            const TConvRec rec = m_map.FindConvRec(fileBytes);
            kind = rec.Kind;
            if (kind == ImageKind::ikUnknown) {
                LeaveOut(item, rec.ConvName.empty()
                                   ? "not in the conversion map"
                                   : "the conversion map records it as not a phone picture");
                return false;
            }
        }
        // A prefix of the file's place in the list keeps two pictures that
        // convert to one name (a.gif and a.png both give a.g) from
        // overwriting each other in F/conv.
        const std::string prefix = std::to_string(m_items.size() - 1) + "-";
        fs::path target = m_conv / (prefix + item.fileName);
        std::string whyNot;
        if (!imagecodec::ConvertToPhone(m_folder / item.fileName, kind, target, &whyNot)) {
            LeaveOut(item, whyNot);
            return false;
        }
        item.path = target;
        item.converted = true;
        const std::string written = target.filename().string();
        item.memberName = MemberNameOf(m_conv, written.substr(prefix.size()));
        return true;
    }

    void LeaveOut(PackItem& item, std::string reason)
    {
        if (item.converted) {
            fileio::RemoveFile(item.path);
            item.converted = false;
        }
        m_report.leftOut.push_back({item.fileName, std::move(reason)});
    }

    static std::uint32_t MeasureFile(const fs::path& path)
    {
        fileio::InputFile file(path);
        if (file.Size() > kMaxMemberSize)
            throw IoError("the file is " + Hex(file.Size()) +
                              " bytes, more than the limit of 1 MiB for a member",
                          path);
        return static_cast<std::uint32_t>(file.Size());
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

        fileio::OutputFile out(m_archive);
        m_progress.SetPosition(0);
        m_progress.SetCaption(kPackingCaption);
        out.Write(EncodeArchiveHead(layout, names));
        std::vector<std::byte> buffer;
        for (std::size_t j = 0; j < m_items.size(); ++j) {
            PackItem& item = m_items[j];
            if (!item.packed)
                continue;
            CopyMember(item, out, buffer);
            m_progress.SetPosition(ProgressPosition(j, m_items.size()));
            if (item.converted) {
                fileio::RemoveFile(item.path);
                item.converted = false;
            }
        }
        out.Commit();
        m_report.written = true;
        m_report.members = names.size();
    }

    static void CopyMember(const PackItem& item, fileio::OutputFile& out,
                           std::vector<std::byte>& buffer)
    {
        fileio::InputFile file(item.path);
        // The entry table already holds the size of pass 1; a file that
        // changed since would make it lie.
        if (file.Size() != item.size)
            throw IoError("the file changed while the archive was being packed (" +
                              Hex(item.size) + " bytes before, " + Hex(file.Size()) + " now)",
                          item.path);
        buffer.resize(item.size);
        file.ReadExactAt(0, buffer, "file data");
        out.Write(EncodeMemberHeader(item.size));
        out.Write(buffer);
    }

    const fs::path& m_folder;
    const fs::path m_conv;
    const fs::path& m_archive;
    const bool m_convertEnabled;
    IProgress& m_progress;
    ConvMap m_map;
    bool m_hasMap = false;
    std::vector<PackItem> m_items;
    std::map<std::string, std::string> m_memberFiles; // member name -> file name
    PackReport m_report;
};

} // namespace

PackReport PackArchive(const fs::path& sourceFolder, const fs::path& archive,
                       bool convertEnabled, IProgress& progress)
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
