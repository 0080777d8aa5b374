#pragma once

// Members written out as files, for the command line's export, the
// editor's Export and Export All, and drags. Planning names every file and
// says which members give none, and why, before anything is written; the
// caller then looks at what stands in the way and decides, and writing
// converts on worker threads while one thread writes every file in order.
//
// One rule for members that would land on one file, as extraction has it:
// the first keeps the file, a later one is not exported and is told about,
// and the export goes on. No other name is made up for it: an exported
// folder is packed back by file name, and a made-up name would come back
// as a new member.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/archive/Archive.h"

namespace zefir::archive {

namespace fs = std::filesystem;

class ArchiveModel;

// The formats a member can be exported in; AsStored writes its bytes
// unchanged under its own name.
enum class ExportFormat : std::uint8_t { Png, Gif, Bmp, Jpeg, AsStored };

// Whether a Moto Image comes out as it is, with the extension of what it
// holds (as extraction writes it), or is encoded in the export's format like
// any other picture (a drag, whose target wants a picture it can show).
enum class MotoImages : std::uint8_t { Keep, Encode };

// One member's file, as named before anything is converted.
struct PlannedFile {
    std::string fileName; // UTF-8, no folder; empty when there is none
    bool copy = false;    // the member's bytes as they are
    std::string whyNot;   // empty when the member gives a file
};

// The file a member (`name` as the archive holds it, Windows-1251) gives:
// its name with the format's extension, a kept Moto Image's with the
// extension of what it holds, or its own name as stored. A member that is
// no phone picture, or whose file name cannot be one here, gives none.
PlannedFile PlanMemberFile(std::string_view name, std::span<const std::byte> bytes,
                        ExportFormat format, MotoImages motoImages = MotoImages::Keep);

// The bytes of that file. Throws IoError: naming the member for a picture
// that cannot be decoded, naming `target` for one that cannot be encoded.
std::vector<std::byte> MemberFileBytes(const PlannedFile& file, std::string_view name,
                                       std::span<const std::byte> bytes, ExportFormat format,
                                       const fs::path& target);

// Both at once, for one member on its own (a drag): never throws IoError;
// a member that gives no file has empty bytes and the reason.
struct ExportedFile {
    std::string fileName;
    std::vector<std::byte> bytes;
    std::string whyNot;
};
ExportedFile ExportMemberFile(std::string_view name, std::span<const std::byte> bytes,
                              ExportFormat format, MotoImages motoImages = MotoImages::Keep);

// The rule for members whose files would have one name: the first to claim
// it keeps it. Names are compared as this system tells them apart: on
// Windows "x.png" and "X.PNG" are one file.
class FileClaims {
public:
    // Nothing when `fileName` (UTF-8) is free, else why `member` (its name
    // as UTF-8) does not get it, naming the member that has it.
    std::optional<std::string> Claim(const std::string& fileName, const std::string& member);

private:
    struct Owner {
        std::string fileName;
        std::string member;
    };
    std::unordered_map<std::string, Owner> m_owners; // by FileNameKey
};

// Where an export reads its members from, on the thread that plans or
// writes; members are asked for in the order they are exported.
class IMemberSource {
public:
    virtual ~IMemberSource() = default;
    // As the archive holds it, Windows-1251.
    virtual std::string Name(std::size_t member) = 0;
    // The member's bytes into `bytes`. Throws IoError.
    virtual void Data(std::size_t member, std::vector<std::byte>& bytes) = 0;
};

// An open archive as a source, read on the calling thread.
class ModelSource final : public IMemberSource {
public:
    explicit ModelSource(const ArchiveModel& model) : m_model(model) {}
    std::string Name(std::size_t member) override;
    void Data(std::size_t member, std::vector<std::byte>& bytes) override;

private:
    const ArchiveModel& m_model;
};

struct ExportSettings {
    ExportFormat format = ExportFormat::Png;
    MotoImages motoImages = MotoImages::Keep;
    // Members the user named one by one: one that gives no file, or whose
    // picture is damaged, stops the export. Of every member (or a
    // selection) those are told about and passed over.
    bool byName = false;
    // The archive being exported, never written over.
    fs::path archive;
    // One member written to this file rather than into the folder.
    fs::path single;
};

struct ExportItem {
    std::size_t member = 0;
    std::string name; // as the archive holds it
    fs::path target;
    bool copy = false;
};

struct ExportPlan {
    fs::path folder;
    ExportSettings settings;
    std::vector<ExportItem> items; // in the order asked for
    // Members that give no file, and why: LeftOut::file is the member's
    // name as UTF-8.
    std::vector<LeftOut> notExported;
};

// Names the file of each of `members` (indexes into `source`, in the order
// given) inside `folder`. Reads every member but a copy's. Throws IoError
// for a member that cannot be read, for one named by the user that gives no
// file, and when a file would be the archive itself.
ExportPlan PlanExport(IMemberSource& source, std::span<const std::size_t> members,
                      const fs::path& folder, const ExportSettings& settings);

// What already stands where the plan writes: a plain file the caller may
// let the export replace, or anything else (a link, a folder), which it
// never replaces.
struct InTheWay {
    fs::path target;
    bool plainFile = false;
};
std::vector<InTheWay> TargetsInTheWay(const ExportPlan& plan);

struct ExportControl {
    // Whether plain files already there are replaced; without, any file
    // found in the way stops the export.
    bool replace = false;
    // Each file as it is written, on the writing thread.
    std::function<void(const fs::path& file)> written;
    // How many of the plan's items are done, after each.
    std::function<void(std::size_t done)> progress;
    // Asked between members; true stops the export, keeping what it wrote.
    std::function<bool()> cancelled;
};

struct ExportReport {
    std::vector<fs::path> written;
    // Members whose picture is damaged, passed over (not byName).
    std::vector<LeftOut> notExported;
    bool cancelled = false;
};

// Writes the plan's files in order, each through a temporary file renamed
// into place, making the folder when it is missing; pictures are made on
// worker threads, a bounded number at a time. An export that stops on an
// error removes the files it made and the folder it created, and throws.
ExportReport WriteExport(const ExportPlan& plan, IMemberSource& source,
                         const ExportControl& control = {});

} // namespace zefir::archive
