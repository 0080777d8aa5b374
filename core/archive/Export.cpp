// Export: members named as extraction names their pictures, checked before
// anything is written, then converted on worker threads and written in
// order by the calling thread.

#include "core/archive/Export.h"

#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/FileIoFolders.h"
#include "core/Message.h"
#include "core/OrderedWork.h"
#include "core/Text.h"
#include "core/archive/ArchiveModel.h"
#include "core/archive/MemberName.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::archive {

namespace {

using imagecodec::ImageKind;

// The standard format a picture is encoded in; a copy is not encoded.
imagecodec::Format PictureFormatOf(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Gif:
        return imagecodec::Format::Gif;
    case ExportFormat::Bmp:
        return imagecodec::Format::Bmp;
    case ExportFormat::Jpeg:
        return imagecodec::Format::Jpeg;
    case ExportFormat::Png:
    case ExportFormat::AsStored:
        break;
    }
    return imagecodec::Format::Png;
}

// The files written so far and the folder made for them go again when the
// export stops on an error, so a refused export leaves nothing it made.
class ExportCleanup {
public:
    ExportCleanup() = default;
    ExportCleanup(const ExportCleanup&) = delete;
    ExportCleanup& operator=(const ExportCleanup&) = delete;
    ~ExportCleanup()
    {
        if (m_done)
            return;
        for (const fs::path& file : m_written)
            fileio::RemoveFile(file);
        if (!m_folder.empty()) {
            std::error_code ignored;
            fs::remove(m_folder, ignored); // only when empty
        }
    }

    void FolderMade(fs::path folder) { m_folder = std::move(folder); }
    bool MadeFolder() const { return !m_folder.empty(); }
    // Only files that were not there: a replaced file is the user's no more.
    void Written(const fs::path& file, bool wasThere)
    {
        if (!wasThere)
            m_written.push_back(file);
    }
    void Done() { m_done = true; }

private:
    std::vector<fs::path> m_written;
    fs::path m_folder;
    bool m_done = false;
};

// Whether the files go into a folder that does not exist (yet): then no
// target is in the way, and none needs looking up.
bool IntoMissingFolder(const ExportPlan& plan)
{
    return plan.settings.single.empty() && !plan.folder.empty() &&
           fileio::EntryAt(plan.folder) == fileio::Entry::Missing;
}

} // namespace

std::optional<std::string> FileClaims::Claim(const std::string& fileName, const std::string& member)
{
    const auto [first, added] =
        m_owners.try_emplace(fileio::FileNameKey(fileName), Owner{fileName, member});
    if (added)
        return std::nullopt;
    if (first->second.fileName == fileName)
        return Fill(ZEFIR_MESSAGE("zefir::archive",
                                  "its file %1 is taken by member \"%2\", which comes first"),
                    Printable(fileName), Printable(first->second.member));
    // The words extraction uses for the same case.
    return Fill(ZEFIR_MESSAGE("zefir::archive",
                              "its file would be member \"%1\"'s, since this system does not "
                              "tell their names apart"),
                Printable(first->second.member));
}

PlannedFile PlanMemberFile(std::string_view name, std::span<const std::byte> bytes,
                           ExportFormat format, MotoImages motoImages)
{
    PlannedFile out;
    const std::string shown = Cp1251ToUtf8(name);
    if (format == ExportFormat::AsStored) {
        out.fileName = shown;
        out.copy = true;
    } else {
        const ImageKind kind = imagecodec::DetectImageKind(name, bytes);
        if (kind == ImageKind::ikUnknown) {
            out.whyNot = Translated(
                ZEFIR_MESSAGE("zefir::imagecodec", "not a phone picture (.k, .g or .raw)"));
            return out;
        }
        out.copy = kind == ImageKind::ikMotoImage && motoImages == MotoImages::Keep;
        out.fileName =
            out.copy
                ? imagecodec::PictureFileName(shown, bytes, imagecodec::Format::Png)
                : ReplaceExtension(shown, imagecodec::TargetExtension(PictureFormatOf(format)));
    }
    // A name the archive holds may be too long for a file here, or one this
    // system cannot give a file.
    if (auto whyNot = WhyNotFileName(out.fileName))
        out.whyNot = std::move(*whyNot);
    return out;
}

std::vector<std::byte> MemberFileBytes(const PlannedFile& file, std::string_view name,
                                       std::span<const std::byte> bytes, ExportFormat format,
                                       const fs::path& target)
{
    if (file.copy)
        return {bytes.begin(), bytes.end()};
    const imagecodec::PhonePicture phone =
        imagecodec::DecodePhonePicture(name, bytes, PathFromUtf8(Cp1251ToUtf8(name)));
    return imaging::EncodePicture(phone.picture,
                                  imagecodec::TargetMimeType(PictureFormatOf(format)), target);
}

ExportedFile ExportMemberFile(std::string_view name, std::span<const std::byte> bytes,
                              ExportFormat format, MotoImages motoImages)
{
    const PlannedFile file = PlanMemberFile(name, bytes, format, motoImages);
    ExportedFile out{file.fileName, {}, file.whyNot};
    if (!out.whyNot.empty())
        return out;
    try {
        out.bytes = MemberFileBytes(file, name, bytes, format, PathFromUtf8(file.fileName));
    } catch (const IoError& e) {
        out.bytes.clear();
        out.whyNot = e.message();
    } catch (const std::bad_alloc&) {
        out.bytes.clear();
        out.whyNot = Translated(ZEFIR_MESSAGE("zefir::archive", "out of memory"));
    }
    return out;
}

std::string ModelSource::Name(std::size_t member)
{
    return m_model.Name(member);
}

void ModelSource::Data(std::size_t member, std::vector<std::byte>& bytes)
{
    m_model.Data(member, bytes);
}

ExportPlan PlanExport(IMemberSource& source, std::span<const std::size_t> members,
                      const fs::path& folder, const ExportSettings& settings)
{
    ExportPlan plan{folder, settings, {}, {}};
    FileClaims claims;
    // Nothing in a folder that is not there yet can be the archive; in one
    // that is, the archive is looked up once, each target once.
    const std::optional<fileio::FileIdentity> archive =
        IntoMissingFolder(plan) || settings.archive.empty() ? std::nullopt
                                                            : fileio::IdentityOf(settings.archive);
    // One buffer for every member: memory does not grow with the archive.
    std::vector<std::byte> bytes;
    for (std::size_t member : members) {
        std::string name = source.Name(member);
        bytes.clear();
        // A copy's name is its own: its bytes are not needed yet.
        if (settings.format != ExportFormat::AsStored)
            source.Data(member, bytes);
        const PlannedFile file = PlanMemberFile(name, bytes, settings.format, settings.motoImages);
        const std::string shown = Cp1251ToUtf8(name);
        if (!file.whyNot.empty()) {
            // A member asked for by name must come out.
            if (settings.byName)
                throw IoError(file.whyNot, PrintableName(name), ErrorKind::Refused);
            plan.notExported.push_back({shown, file.whyNot});
            continue;
        }
        if (auto taken = claims.Claim(file.fileName, shown)) {
            plan.notExported.push_back({shown, std::move(*taken)});
            continue;
        }
        fs::path target =
            settings.single.empty() ? folder / PathFromUtf8(file.fileName) : settings.single;
        if (archive && fileio::IdentityOf(target) == archive)
            throw IoError(
                Translated(ZEFIR_MESSAGE("zefir::archive",
                                         "is the archive being exported; it is not written over")),
                target, ErrorKind::Refused);
        plan.items.push_back({member, std::move(name), std::move(target), file.copy});
    }
    return plan;
}

std::vector<InTheWay> TargetsInTheWay(const ExportPlan& plan)
{
    std::vector<InTheWay> found;
    if (IntoMissingFolder(plan))
        return found;
    for (const ExportItem& item : plan.items)
        if (const fileio::Entry entry = fileio::EntryAt(item.target);
            entry != fileio::Entry::Missing)
            found.push_back({item.target, entry == fileio::Entry::File});
    return found;
}

ExportReport WriteExport(const ExportPlan& plan, IMemberSource& source,
                         const ExportControl& control)
{
    // Nothing is written until every target is known to be free, unless
    // the caller said files there may be replaced; what is not a plain file
    // the file layer refuses to write over.
    if (!control.replace)
        if (const std::vector<InTheWay> inTheWay = TargetsInTheWay(plan); !inTheWay.empty())
            throw IoError(Translated(ZEFIR_MESSAGE("zefir::archive", "the file is already there")),
                          inTheWay.front().target, ErrorKind::Refused);
    ExportReport report;
    ExportCleanup cleanup;
    if (!plan.folder.empty() && fileio::CreateFolder(plan.folder))
        cleanup.FolderMade(plan.folder);

    // Pictures are made on worker threads, which write their bytes too where
    // the file layer can write them unnamed; here each file is named, or
    // written, in order. Members go to the workers in batches (WorkBatch).
    const ExportFormat format = plan.settings.format;
    const fileio::Target kind =
        cleanup.MadeFolder() ? fileio::Target::InNewFolder : fileio::Target::InFolder;
    struct Made {
        std::vector<std::byte> bytes; // the member's data until the job makes the file's
        std::unique_ptr<fileio::OutputFile> ahead;
        std::exception_ptr error; // what making the file threw
    };
    const std::optional<fileio::FolderHold> held =
        plan.folder.empty() ? std::nullopt : std::make_optional<fileio::FolderHold>(plan.folder);
    const std::size_t workers = DefaultWorkerCount();
    OrderedWork<std::vector<Made>> work(workers, WorkBatch<Made>::Window(workers));
    WorkBatch<Made> batch;
    std::size_t next = 0;      // the oldest item in flight
    std::size_t submitted = 0; // items handed to the workers
    auto finishItem = [&](Made& picture) {
        const ExportItem& item = plan.items[next++];
        try {
            if (picture.error)
                std::rethrow_exception(picture.error);
        } catch (const IoError& e) {
            // A damaged member stops an export by name; of every member it
            // is listed and passed over, as extraction does. An error
            // about anything else (the encoder naming the target) stops it.
            const std::string shown = Cp1251ToUtf8(item.name);
            if (plan.settings.byName || e.path() != PathFromUtf8(shown))
                throw;
            report.notExported.push_back({shown, e.message()});
            if (control.progress)
                control.progress(next);
            return;
        }
        // In the folder this export made, nothing was there before it.
        const bool wasThere = kind != fileio::Target::InNewFolder &&
                              fileio::EntryAt(item.target) != fileio::Entry::Missing;
        if (picture.ahead)
            picture.ahead->Commit();
        else
            fileio::WriteFile(item.target, picture.bytes, kind);
        cleanup.Written(item.target, wasThere);
        report.written.push_back(item.target);
        if (control.written)
            control.written(item.target);
        if (control.progress)
            control.progress(next);
    };
    // What was written stays when the user stops it: nothing failed.
    bool halted = false;
    auto stopped = [&] {
        if (halted)
            return true;
        if (!control.cancelled || !control.cancelled())
            return false;
        report.cancelled = true;
        cleanup.Done();
        halted = true;
        return true;
    };
    // The oldest batch's files; `mayStop`: unless the user stops it first.
    auto finish = [&](bool mayStop) {
        for (Made& picture : work.Next()) {
            if (mayStop && stopped())
                return;
            finishItem(picture);
        }
    };
    auto submit = [&](bool mayStop) {
        if (batch.Empty())
            return;
        if (work.Full()) {
            finish(mayStop);
            if (halted)
                return;
        }
        const std::span<const ExportItem> items =
            std::span(plan.items).subspan(submitted, batch.Size());
        submitted += batch.Size();
        work.Submit([items, format, kind, made = batch.Take()] {
            for (std::size_t i = 0; i < items.size(); ++i) {
                const ExportItem& item = items[i];
                Made& out = (*made)[i];
                try {
                    if (!item.copy)
                        out.bytes = MemberFileBytes(PlannedFile{{}, false, {}}, item.name,
                                                    out.bytes, format, item.target);
                    out.ahead = fileio::OutputFile::WrittenAhead(item.target, kind, out.bytes);
                    // Written, the bytes are freed by the thread that made them.
                    if (out.ahead)
                        std::vector<std::byte>().swap(out.bytes);
                } catch (...) {
                    out.error = std::current_exception();
                }
            }
            return std::move(*made);
        });
    };
    // Before an error, whatever came before it is written.
    auto finishAll = [&] {
        submit(false);
        while (!work.Empty())
            finish(false);
    };
    for (const ExportItem& item : plan.items) {
        if (stopped())
            return report;
        Made member;
        try {
            source.Data(item.member, member.bytes);
        } catch (...) {
            // What comes before it is written first.
            finishAll();
            throw;
        }
        const std::size_t bytes = member.bytes.size();
        if (batch.Add(std::move(member), bytes))
            submit(true);
    }
    submit(true);
    while (!halted && !work.Empty())
        finish(true);
    if (halted)
        return report;
    cleanup.Done();
    return report;
}

} // namespace zefir::archive
