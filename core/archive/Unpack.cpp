// Extraction of a whole archive into a working folder W:
//
//   W/raws/NAME        each member's bytes, unchanged
//   W/icons/PICTURE    with conversion: a standard picture of each member
//   W/icons/conv.dat   with conversion: member name, picture name and kind of
//                      every member, in archive order
//
// Member names are bytes, Windows-1251 above 0x7F; on disk they are that
// text in UTF-8, so a name survives extraction and packing byte for byte.

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Message.h"
#include "core/OrderedWork.h"
#include "core/Text.h"
#include "core/archive/Archive.h"
#include "core/archive/ConvMap.h"
#include "core/archive/EzxFormat.h"
#include "core/archive/FolderSearch.h"
#include "core/archive/MemberName.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::archive {

namespace {

constexpr MessageText kExtractingCaption = ZEFIR_MESSAGE("zefir::archive", "Extracting icons");

// The map image of conv.dat as it grows, one record per extracted member.
struct MapImage {
    std::vector<std::byte> records;
    std::uint32_t count = 0;
};

// The picture a member's conversion would write, with the reason when it
// writes none. Damaged pictures and pictures beyond a limit are only "not
// converted"; the caller decides what stops.
imagecodec::PictureFromPhoneResult ConvertMemberBytes(const std::string& fileName,
                                                      std::span<const std::byte> bytes,
                                                      imagecodec::Format format,
                                                      const fs::path& raw)
{
    try {
        return imagecodec::PictureFromPhone(fileName, bytes, format, raw);
    } catch (const IoError& e) {
        imagecodec::PictureFromPhoneResult out;
        out.kind = imagecodec::DetectImageKind(fileName, bytes);
        out.whyNot = e.message();
        return out;
    }
}

// Whether raws or icons is a folder that may already hold files; a link in
// its place is refused, as extraction would refuse to write through it.
bool ExistingFolder(const fs::path& folder)
{
    switch (fileio::EntryAt(folder)) {
    case fileio::Entry::Folder:
        return true;
    case fileio::Entry::Link:
        throw IoError(Translated(fileio::kFolderLinkRefused), folder, ErrorKind::Refused);
    default:
        return false;
    }
}

// Finds what an extraction would replace or leave among its own files.
class ConflictSearch {
public:
    ConflictSearch(const fs::path& archive, const fs::path& workFolder,
                   const ConversionSettings& settings)
        : m_reader(archive), m_raws(workFolder / "raws"), m_icons(workFolder / "icons"),
          m_settings(settings)
    {
    }

    ExtractionConflicts Run()
    {
        const bool raws = ExistingFolder(m_raws);
        const bool icons = ExistingFolder(m_icons) && m_settings.ConvertEnabled;
        // A new working folder costs two stats.
        if (!raws && !icons)
            return m_conflicts;
        std::map<std::string, std::vector<std::size_t>> members; // file name -> entries
        const std::vector<std::string> names = m_reader.ReadNames();
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string& name = names[i];
            // Unnamed entries are passed over, unsafe names refused later,
            // names too long for a file not extracted.
            if (!WhyNotMemberName(name, NameUse::File))
                members[Cp1251ToUtf8(name)].push_back(i);
        }
        if (raws)
            CheckRaws(members);
        if (icons)
            CheckIcons(members);
        return m_conflicts;
    }

private:
    void CheckRaws(const std::map<std::string, std::vector<std::size_t>>& members)
    {
        for (const auto& member : members) {
            const fs::path raw = m_raws / PathFromUtf8(member.first);
            // The later of two equal names is what stays.
            const std::size_t last = member.second.back();
            if (InTheWay(raw, [&] { return std::optional(MemberBytes(last)); }))
                m_conflicts.differing.push_back(raw);
        }
        // The phone files packing takes back from raws/.
        FolderSearch search = SearchFolder(m_raws, imagecodec::PhoneFileExtensions());
        for (const auto& files : search.matches)
            for (const FoundFile& file : files)
                if (!members.contains(file.name))
                    m_conflicts.strangers.push_back(m_raws / PathFromUtf8(file.name));
    }

    // Pictures are converted only where a file already stands under their
    // name; a Moto Image's name depends on its content, so its three
    // possible names are looked at first.
    void CheckIcons(const std::map<std::string, std::vector<std::size_t>>& members)
    {
        // Every named entry in archive order: of two pictures with one name,
        // the later stays.
        std::map<std::size_t, std::string> ordered;
        for (const auto& [fileName, entries] : members)
            for (std::size_t i : entries)
                ordered.emplace(i, fileName);
        Candidates candidates;
        for (const auto& [i, fileName] : ordered) {
            using imagecodec::MotoImageContent;
            if (imagecodec::KindOfName(fileName) == imagecodec::ImageKind::ikMotoImage) {
                for (MotoImageContent content :
                     {MotoImageContent::Gif, MotoImageContent::Png, MotoImageContent::Other})
                    AddCandidate(
                        candidates,
                        ReplaceExtension(fileName, imagecodec::MotoImageExtension(content)),
                        fileName, i);
            } else {
                AddCandidate(candidates,
                             imagecodec::PictureFileName(fileName, {}, m_settings.TargetFormat),
                             fileName, i);
            }
        }
        // Plain references: clang cannot capture structured bindings.
        for (const auto& candidate : candidates) {
            const fs::path& picture = candidate.first;
            const auto& writers = candidate.second;
            if (InTheWay(picture, [&] { return LastPicture(picture, writers); }))
                m_conflicts.differing.push_back(picture);
        }
    }

    using Candidates = std::map<fs::path, std::vector<std::pair<std::string, std::size_t>>>;

    // A picture a member may write, when a file already stands there.
    void AddCandidate(Candidates& candidates, const std::string& pictureName,
                      const std::string& fileName, std::size_t entry) const
    {
        if (const fs::path picture = m_icons / PathFromUtf8(pictureName);
            fileio::EntryAt(picture) == fileio::Entry::File)
            candidates[picture].push_back({fileName, entry});
    }

    // The bytes the last member that converts to `picture` gives it; empty
    // when none does, as then nothing is written there.
    std::optional<std::vector<std::byte>>
    LastPicture(const fs::path& picture,
                const std::vector<std::pair<std::string, std::size_t>>& writers)
    {
        for (auto it = writers.rbegin(); it != writers.rend(); ++it) {
            const std::vector<std::byte> bytes = MemberBytes(it->second);
            auto out = ConvertMemberBytes(it->first, bytes, m_settings.TargetFormat,
                                          m_raws / PathFromUtf8(it->first));
            if (out.converted && m_icons / PathFromUtf8(imagecodec::PictureFileName(
                                               it->first, bytes, m_settings.TargetFormat)) ==
                                     picture)
                return std::move(out.bytes);
        }
        return std::nullopt;
    }

    std::vector<std::byte> MemberBytes(std::size_t index) const
    {
        std::vector<std::byte> bytes;
        m_reader.ReadMember(index, bytes);
        return bytes;
    }

    // Whether the plain file at `path` would be replaced by other content.
    // A link, folder or device there is not one to ask about: extraction
    // refuses to write over it whatever the answer.
    template <typename Content> static bool InTheWay(const fs::path& path, Content content)
    {
        if (fileio::EntryAt(path) != fileio::Entry::File)
            return false;
        const std::optional<std::vector<std::byte>> bytes = content();
        return bytes && !fileio::FileHolds(path, *bytes);
    }

    ArchiveReader m_reader;
    const fs::path m_raws;
    const fs::path m_icons;
    const ConversionSettings& m_settings;
    ExtractionConflicts m_conflicts;
};

class Extraction {
public:
    Extraction(const fs::path& archive, const fs::path& workFolder,
               const ConversionSettings& settings, IProgress& progress, IMemberList& list,
               std::vector<LeftOut>* notConverted, std::vector<LeftOut>* notExtracted)
        : m_archive(archive), m_raws(workFolder / "raws"), m_icons(workFolder / "icons"),
          m_mapFile(m_icons / kConvMapFileName), m_settings(settings), m_progress(progress),
          m_list(list), m_notConverted(notConverted), m_notExtracted(notExtracted)
    {
    }

    void Run()
    {
        imagecodec::CheckFormat(m_settings.TargetFormat, m_archive);
        {
            // Opened, and its directory and table checked, before any folder
            // is created.
            ArchiveReader reader(m_archive);
            m_rawsKind = KindIn(fileio::CreateFolder(m_raws, fileio::Target::InFolder));
            m_iconsKind = KindIn(fileio::CreateFolder(m_icons, fileio::Target::InFolder));
            const std::vector<std::string> names = reader.ReadNames();
            const fileio::FolderHold rawsHeld(m_raws);
            const fileio::FolderHold iconsHeld(m_icons);
            ExtractOnWorkers(reader, names);
        }
        // Written last and whole: an extraction that fails keeps the map of
        // the last one that succeeded.
        if (m_settings.ConvertEnabled)
            fileio::WriteFile(m_mapFile, ConvMapFileBytes(m_map.count, m_map.records), m_iconsKind);
        m_list.SelectIndex(0);
    }

private:
    // In a folder made just now nothing is in the way, so nothing is looked
    // for before each file is written.
    static fileio::Target KindIn(bool newFolder)
    {
        return newFolder ? fileio::Target::InNewFolder : fileio::Target::InFolder;
    }

    // A member read from the archive, on its way to its files.
    struct Pending {
        std::size_t index = 0;
        std::string name;              // as the archive holds it
        std::string fileName;          // UTF-8, on disk; empty: left out, only a progress step
        std::vector<std::byte> buffer; // the block as read: its header, then the data
        std::size_t dataAt = 0;
        std::size_t size = 0;
        imagecodec::PictureFromPhoneResult picture;
        // Written ahead on the worker where they can be (fileio's
        // WrittenAhead), named here in archive order.
        std::unique_ptr<fileio::OutputFile> rawFile;
        std::unique_ptr<fileio::OutputFile> pictureFile;

        std::span<const std::byte> Bytes() const
        {
            return std::span<const std::byte>(buffer).subspan(dataAt, size);
        }
    };

    std::optional<std::string> FileNameOf(std::size_t index, const std::string& name)
    {
        if (auto whyNot = WhyNotMemberName(name, NameUse::Stored))
            throw IoError(Fill(kEntryFault, index, *whyNot), m_archive);
        std::string fileName = Cp1251ToUtf8(name);
        // A name the archive holds but a folder here cannot: that member is
        // told about, the others still come out.
        std::optional<std::string> whyNot = WhyNotFileName(fileName);
        if (!whyNot)
            whyNot = WhyNotOwnFile(fileName);
        if (whyNot) {
            if (m_notExtracted)
                m_notExtracted->push_back({fileName, std::move(*whyNot)});
            return std::nullopt;
        }
        return fileName;
    }

    // Where the system tells names apart only by more than case (Windows:
    // "x.k" and "X.K" are one file), a member whose name is another's but
    // for that would land on the other's file: only the first is written.
    // A name the archive holds twice is written twice, the later member's
    // file replacing the earlier's, as extraction always did.
    std::optional<std::string> WhyNotOwnFile(const std::string& fileName)
    {
        const auto [first, added] =
            m_fileOfKey.try_emplace(fileio::FileNameKey(fileName), fileName);
        if (added || first->second == fileName)
            return std::nullopt;
        return Fill(ZEFIR_MESSAGE("zefir::archive",
                                  "its file would be member \"%1\"'s, since this system does not "
                                  "tell their names apart"),
                    first->second);
    }

    // The pictures are made on worker threads, while this thread reads the
    // members and gives every file its name in archive order, as one thread
    // would; in a folder the run has just made the workers write the files'
    // bytes too, unnamed, with or without conversion, so that creating and
    // writing the files is shared with the naming. Members go to the
    // workers in batches (WorkBatch). An entry without a name is passed
    // over; the progress bar stays. A member left out for its name
    // takes its progress step in turn, as one thread would.
    void ExtractOnWorkers(const ArchiveReader& reader, const std::vector<std::string>& names)
    {
        const bool convert = m_settings.ConvertEnabled;
        const imagecodec::Format format = m_settings.TargetFormat;
        const fs::path& raws = m_raws;
        const fs::path& icons = m_icons;
        const fileio::Target rawsKind = m_rawsKind;
        const fileio::Target iconsKind = m_iconsKind;
        const std::size_t workers = DefaultWorkerCount();
        OrderedWork<std::vector<Pending>> work(workers, WorkBatch<Pending>::Window(workers));
        ArchiveReader::DataScan scan(reader);
        WorkBatch<Pending> batch;
        auto finishOne = [&] {
            for (Pending& member : work.Next())
                Finish(std::move(member), names.size());
        };
        auto submit = [&] {
            if (batch.Empty())
                return;
            if (work.Full())
                finishOne();
            work.Submit([convert, format, &raws, &icons, rawsKind, iconsKind,
                         members = batch.Take()] {
                for (Pending& member : *members) {
                    if (member.fileName.empty())
                        continue;
                    const fs::path raw = raws / PathFromUtf8(member.fileName);
                    member.rawFile =
                        fileio::OutputFile::WrittenAhead(raw, rawsKind, member.Bytes());
                    if (!convert)
                        continue;
                    member.picture =
                        ConvertMemberBytes(member.fileName, member.Bytes(), format, raw);
                    const std::string pictureName =
                        imagecodec::PictureFileName(member.fileName, member.Bytes(), format);
                    if (member.picture.converted && !WhyNotFileName(pictureName))
                        member.pictureFile = fileio::OutputFile::WrittenAhead(
                            icons / PathFromUtf8(pictureName), iconsKind, member.picture.bytes);
                    // Written, the bytes are freed here, by the thread that
                    // made them: a free on the reading thread waits for this
                    // thread's allocator.
                    if (member.pictureFile)
                        std::vector<std::byte>().swap(member.picture.bytes);
                }
                return std::move(*members);
            });
        };
        auto finishAll = [&] {
            submit();
            while (!work.Empty())
                finishOne();
        };
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i].empty())
                continue;
            Pending member;
            try {
                member.index = i;
                member.name = names[i];
                std::optional<std::string> fileName = FileNameOf(i, names[i]);
                if (fileName) {
                    member.fileName = std::move(*fileName);
                    const std::span<const std::byte> data = scan.Read(i, member.buffer);
                    member.dataAt = static_cast<std::size_t>(data.data() - member.buffer.data());
                    member.size = data.size();
                }
            } catch (...) {
                // The members before it are written first, as they would
                // have been one at a time.
                finishAll();
                throw;
            }
            const std::size_t bytes = member.buffer.size();
            if (batch.Add(std::move(member), bytes))
                submit();
        }
        finishAll();
    }

    void Finish(Pending member, std::size_t count)
    {
        if (member.fileName.empty()) {
            m_progress.SetPosition(ProgressPosition(member.index, count));
            return;
        }
        WriteMember(member.index, member.name, member.fileName, member.Bytes(), count,
                    std::move(member.rawFile));
        if (m_settings.ConvertEnabled)
            RecordPicture(member.name, member.fileName, member.Bytes(), std::move(member.picture),
                          std::move(member.pictureFile));
    }

    // Names `ahead` when it holds the file, else writes it.
    static void Write(const fs::path& path, std::span<const std::byte> bytes, fileio::Target kind,
                      std::unique_ptr<fileio::OutputFile> ahead)
    {
        if (ahead && ahead->target() == path)
            ahead->Commit();
        else
            fileio::WriteFile(path, bytes, kind);
    }

    void WriteMember(std::size_t index, const std::string& name, const std::string& fileName,
                     std::span<const std::byte> bytes, std::size_t count,
                     std::unique_ptr<fileio::OutputFile> ahead = nullptr)
    {
        Write(m_raws / PathFromUtf8(fileName), bytes, m_rawsKind, std::move(ahead));
        m_progress.SetPosition(ProgressPosition(index, count));
        m_list.AddName(name);
    }

    // The member's picture in icons and its record in the map. A member that
    // has no converter, or whose picture cannot be made, still gets its
    // record with the kind found; its raw file is all there is of it, and
    // the caller hears why. A picture that cannot be written stops it all.
    void RecordPicture(const std::string& name, const std::string& fileName,
                       std::span<const std::byte> bytes, imagecodec::PictureFromPhoneResult out,
                       std::unique_ptr<fileio::OutputFile> ahead)
    {
        const imagecodec::Format format = m_settings.TargetFormat;
        const std::string pictureName = imagecodec::PictureFileName(fileName, bytes, format);
        const fs::path picture = m_icons / PathFromUtf8(pictureName);
        if (auto whyNot = WhyNotFileName(pictureName); whyNot && out.converted) {
            out.converted = false;
            out.whyNot = std::move(*whyNot);
        }
        if (out.converted) {
            // Two members whose pictures get one name: the later picture
            // stays, and the earlier member is told about.
            auto [owner, isNew] = m_pictureOwners.try_emplace(pictureName, fileName);
            if (!isNew) {
                NotConverted(owner->second,
                             Fill(ZEFIR_MESSAGE("zefir::archive",
                                                "its picture %1 was replaced by the picture of %2"),
                                  pictureName, fileName));
                owner->second = fileName;
            }
            Write(picture, out.bytes, m_iconsKind, std::move(ahead));
        } else {
            NotConverted(fileName, out.whyNot);
        }
        AppendConvRec(m_map.records, TConvRec{name, ConvNameOf(pictureName, m_mapFile), out.kind},
                      m_mapFile);
        ++m_map.count;
    }

    void NotConverted(const std::string& fileName, std::string reason)
    {
        if (m_notConverted)
            m_notConverted->push_back({fileName, std::move(reason)});
    }

    // The picture's file name as the map keeps it: Windows-1251 bytes, like
    // the member name it was made from.
    static std::string ConvNameOf(const std::string& pictureName, const fs::path& mapFile)
    {
        auto bytes = Utf8ToCp1251(pictureName);
        if (!bytes)
            throw IoError(
                Fill(ZEFIR_MESSAGE("zefir::archive",
                                   "the picture name \"%1\" cannot be written in Windows-1251"),
                     pictureName),
                mapFile);
        return *bytes;
    }

    const fs::path& m_archive;
    const fs::path m_raws;
    const fs::path m_icons;
    const fs::path m_mapFile;
    fileio::Target m_rawsKind = fileio::Target::InFolder;
    fileio::Target m_iconsKind = fileio::Target::InFolder;
    const ConversionSettings& m_settings;
    IProgress& m_progress;
    IMemberList& m_list;
    std::vector<LeftOut>* m_notConverted;
    std::vector<LeftOut>* m_notExtracted;
    std::unordered_map<std::string, std::string> m_fileOfKey; // a file name's first member
    MapImage m_map;
    // Picture file name -> member file name; every picture is in icons.
    std::unordered_map<std::string, std::string> m_pictureOwners;
};

} // namespace

ExtractionConflicts FindExtractionConflicts(const fs::path& archive, const fs::path& workFolder,
                                            const ConversionSettings& settings)
{
    imagecodec::CheckFormat(settings.TargetFormat, archive);
    return ConflictSearch(archive, workFolder, settings).Run();
}

fs::path UnpackArchive(const fs::path& archive, const fs::path& workFolder,
                       const ConversionSettings& settings, IProgress& progress, IMemberList& list,
                       std::vector<LeftOut>* notConverted, Overwrite overwrite,
                       std::vector<LeftOut>* notExtracted)
{
    progress.Show();
    try {
        progress.SetCaption(Translated(kExtractingCaption));
        // The user's edits are not replaced without asking.
        if (overwrite == Overwrite::Refuse)
            if (auto conflicts = FindExtractionConflicts(archive, workFolder, settings);
                !conflicts.differing.empty())
                fileio::RefuseToReplace(workFolder, conflicts.differing);
        Extraction(archive, workFolder, settings, progress, list, notConverted, notExtracted).Run();
    } catch (...) {
        // The progress display ends with the operation, also when it fails.
        progress.Close();
        throw;
    }
    progress.Close();
    return workFolder;
}

} // namespace zefir::archive
