// Editing an archive in place: replace, add, remove, rename and export. Each
// editing command opens the archive as a model, makes its changes and saves
// to -o OUT or over ARCHIVE; the save goes through a temporary file, so on
// any failure the file is as it was.

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "core/Error.h"
#include "core/FileIo.h"
#include "core/OrderedWork.h"
#include "core/Text.h"
#include "core/archive/ArchiveModel.h"
#include "core/archive/MemberName.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::cli {

namespace {

namespace fs = std::filesystem;
using archive::ArchiveModel;
using imagecodec::ImageKind;

std::string Plural(std::size_t n, const std::string& word)
{
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& name : names)
        out += (out.empty() ? "" : ", ") + name;
    return out;
}

std::vector<std::byte> ReadInputFile(const std::string& file)
{
    return fileio::ReadFile(PathFromUtf8(file), imaging::kMaxPictureFileSize);
}

// MEMBER as `list` prints it, escapes read back. A text that no member
// name can be (not UTF-8, no Windows-1251 form, an unknown escape) names no
// member.
std::size_t FindMember(const ArchiveModel& model, const std::string& text)
{
    const std::optional<std::string> name = NameFromPrintable(text);
    if (!name)
        throw IoError("no member named \"" + Printable(text) + "\"", model.path(),
                      ErrorKind::Refused);
    return model.FindOne(*name);
}

std::string Shown(const ArchiveModel& model, std::size_t index)
{
    return DisplayName(model.Name(index));
}

// The archive written: OUT when given, else ARCHIVE itself.
struct EditTarget {
    std::string archive;
    std::string out;

    const std::string& path() const { return out.empty() ? archive : out; }
};

void AddTargetOptions(CLI::App& command, EditTarget& target)
{
    command.add_option("ARCHIVE", target.archive, "the .ezx archive")
        ->required()
        ->check(NonEmptyPath());
    command
        .add_option("-o,--output", target.out, "write the result to OUT and leave ARCHIVE as it is")
        ->check(NonEmptyPath());
}

// The archive written is never one of the files the command reads: saving
// would replace the user's picture (through any path or link to it).
void RefuseInputAsTarget(const EditTarget& target, const std::vector<std::string>& inputs)
{
    for (const std::string& input : inputs)
        if (fileio::SameFile(PathFromUtf8(target.path()), PathFromUtf8(input)))
            throw IoError("is also a file this command reads; the archive is not written over it",
                          target.path(), ErrorKind::Refused);
}

// A converted picture above the member limit is the picture's fault: the
// message names the file the user gave.
void CheckConverted(std::span<const std::byte> bytes, const fs::path& file)
{
    ArchiveModel::CheckData(bytes.size(), file);
}

// An archive changed in place is locked from opening to saving, so that a
// second command is refused at once instead of one of the two saves being
// lost.
ArchiveModel OpenForEdit(const EditTarget& target)
{
    const bool inPlace = target.out.empty() ||
                         fileio::SameFile(PathFromUtf8(target.out), PathFromUtf8(target.archive));
    return ArchiveModel(PathFromUtf8(target.archive),
                        inPlace ? ArchiveModel::Locking::ForChange : ArchiveModel::Locking::None);
}

std::string SaveModel(ArchiveModel& model, const EditTarget& target)
{
    model.Save(PathFromUtf8(target.path()));
    return target.path();
}

std::string SizeText(std::uint32_t width, std::uint32_t height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

struct ReplaceOptions {
    EditTarget target;
    std::string member;
    std::string file;
};

int RunReplace(const ReplaceOptions& options)
{
    RefuseInputAsTarget(options.target, {options.file});
    ArchiveModel model = OpenForEdit(options.target);
    const std::size_t index = FindMember(model, options.member);
    const std::vector<std::byte> bytes = ReadInputFile(options.file);
    imagecodec::Replacement replacement = imagecodec::ConvertForMember(
        model.Name(index), model.Data(index), Utf8Of(PathFromUtf8(options.file).filename()), bytes,
        PathFromUtf8(options.file));
    CheckConverted(replacement.bytes, PathFromUtf8(options.file));
    model.Replace(index, std::move(replacement.bytes));
    const std::string written = SaveModel(model, options.target);
    std::cout << "replaced " << Shown(model, index) << " in " << Printable(written) << " with "
              << Printable(options.file);
    if (replacement.sizeChanged)
        std::cout << " (now " << SizeText(replacement.newWidth, replacement.newHeight) << ", was "
                  << SizeText(replacement.oldWidth, replacement.oldHeight) << ")";
    std::cout << '\n';
    return 0;
}

struct AddOptions {
    EditTarget target;
    std::vector<std::string> files;
    std::string kind;
};

int RunAdd(const AddOptions& options)
{
    RefuseInputAsTarget(options.target, options.files);
    ArchiveModel model = OpenForEdit(options.target);
    std::vector<std::string> added;
    for (const std::string& file : options.files) {
        imagecodec::NewMember member = imagecodec::MemberFromFile(
            Utf8Of(PathFromUtf8(file).filename()), ReadInputFile(file),
            imagecodec::KindOfOption(options.kind).value_or(ImageKind::ikMotoBitmap18),
            PathFromUtf8(file));
        CheckConverted(member.bytes, PathFromUtf8(file));
        model.Add(ArchiveModel::NameFromUtf8(member.fileName, PathFromUtf8(file)),
                  std::move(member.bytes));
        added.push_back(Printable(member.fileName));
    }
    const std::string written = SaveModel(model, options.target);
    std::cout << "added " << Plural(added.size(), "member") << " to " << Printable(written) << ": "
              << Joined(added) << '\n';
    return 0;
}

struct RemoveOptions {
    EditTarget target;
    std::vector<std::string> members;
};

int RunRemove(const RemoveOptions& options)
{
    ArchiveModel model = OpenForEdit(options.target);
    std::vector<std::string> removed;
    for (const std::string& member : options.members) {
        const std::size_t index = FindMember(model, member);
        removed.push_back(Shown(model, index));
        model.Remove(index);
    }
    const std::string written = SaveModel(model, options.target);
    std::cout << "removed " << Plural(removed.size(), "member") << " from " << Printable(written)
              << ": " << Joined(removed) << '\n';
    return 0;
}

struct RenameOptions {
    EditTarget target;
    std::string member;
    std::string newName;
};

int RunRename(const RenameOptions& options)
{
    ArchiveModel model = OpenForEdit(options.target);
    const std::size_t index = FindMember(model, options.member);
    const std::string oldName = Shown(model, index);
    model.Rename(index,
                 ArchiveModel::NameFromUtf8(options.newName, PathFromUtf8(options.target.archive)));
    const std::string written = SaveModel(model, options.target);
    std::cout << "renamed " << oldName << " to " << Shown(model, index) << " in "
              << Printable(written) << '\n';
    return 0;
}

struct ExportOptions {
    std::string archive;
    std::vector<std::string> members;
    std::string folder; // empty: the current folder
    std::string format = "png";
    bool force = false;
};

// --format, already checked to be a picture format in any letter case.
imagecodec::Format FormatOfOption(const std::string& format)
{
    return imagecodec::FormatOfName(format).value_or(imagecodec::Format::Png);
}

// One member on its way out: where it goes and, when it is not copied as it
// is, why it cannot be (empty when it can).
struct ExportItem {
    std::size_t index = 0;
    fs::path target;
    bool copy = false; // bytes unchanged: --format raw, or a Moto Image
    std::string whyNot;
};

// Named as extraction names its pictures: the member's name with the
// format's extension, a Moto Image's with the extension of what it holds.
ExportItem PlanExport(const ArchiveModel& model, std::size_t index, const ExportOptions& options,
                      std::vector<std::byte>& bytes)
{
    ExportItem item;
    item.index = index;
    const std::string name = model.DisplayName(index);
    std::string fileName = name;
    if (AsciiUpper(options.format) == "RAW") {
        item.copy = true;
    } else {
        model.Data(index, bytes);
        const ImageKind kind = imagecodec::DetectImageKind(model.Name(index), bytes);
        fileName = imagecodec::PictureFileName(name, bytes, FormatOfOption(options.format));
        item.copy = kind == ImageKind::ikMotoImage;
        if (kind == ImageKind::ikUnknown)
            item.whyNot = "not a phone picture (.k, .g or .raw)";
    }
    // A name the archive holds may be too long for a file here.
    if (auto whyNot = archive::WhyNotFileName(fileName); whyNot && item.whyNot.empty())
        item.whyNot = std::move(*whyNot);
    item.target = PathFromUtf8(options.folder) / PathFromUtf8(fileName);
    return item;
}

// Nothing is written until every target is known to be free (or --force
// says it may be replaced, which it may only for a plain file), none is the
// archive itself, and no two members would share one.
void CheckTargets(const std::vector<ExportItem>& items, const ExportOptions& options)
{
    // Keyed as this system tells names apart: on Windows "x.k" and "X.K"
    // are one file.
    std::set<std::string> taken;
    for (const ExportItem& item : items) {
        if (!taken.insert(fileio::FileNameKey(Utf8Of(item.target))).second)
            throw IoError("two members would both be written to this file", item.target,
                          ErrorKind::Refused);
        if (fileio::SameFile(item.target, PathFromUtf8(options.archive)))
            throw IoError("is the archive being exported; it is not written over", item.target,
                          ErrorKind::Refused);
        switch (fileio::EntryAt(item.target)) {
        case fileio::Entry::Missing:
            break;
        case fileio::Entry::File:
            if (!options.force)
                throw IoError("the file is already there; --force replaces it", item.target,
                              ErrorKind::Refused);
            break;
        default:
            throw IoError("is there and is not a plain file; --force replaces only files",
                          item.target, ErrorKind::Refused);
        }
    }
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

void NotExported(const std::string& name, const std::string& why)
{
    std::cerr << "not exported: " << Printable(name) << ": " << why << '\n';
}

int RunExport(const ExportOptions& options)
{
    ArchiveModel model(PathFromUtf8(options.archive));
    std::vector<std::size_t> indexes;
    for (const std::string& member : options.members)
        indexes.push_back(FindMember(model, member));
    const bool every = indexes.empty();
    if (every)
        for (std::size_t i = 0; i < model.size(); ++i)
            indexes.push_back(i);

    std::vector<ExportItem> items;
    // One buffer for every member: memory does not grow with the archive.
    std::vector<std::byte> bytes;
    for (std::size_t index : indexes) {
        ExportItem item = PlanExport(model, index, options, bytes);
        if (!item.whyNot.empty()) {
            // A member asked for by name must come out; of every member,
            // those that are no picture are only listed.
            if (!every)
                throw IoError(item.whyNot, Shown(model, index), ErrorKind::Refused);
            NotExported(model.DisplayName(index), item.whyNot);
            continue;
        }
        items.push_back(std::move(item));
    }
    CheckTargets(items, options);
    ExportCleanup cleanup;
    if (!options.folder.empty() && fileio::CreateFolder(PathFromUtf8(options.folder)))
        cleanup.FolderMade(PathFromUtf8(options.folder));

    // Pictures are made on worker threads and written here, in order.
    const std::string_view mimeType = imagecodec::TargetMimeType(FormatOfOption(options.format));
    OrderedWork<std::vector<std::byte>> work;
    std::size_t next = 0; // the oldest item in flight
    auto finish = [&] {
        const ExportItem& item = items[next++];
        std::vector<std::byte> picture;
        try {
            picture = work.Next();
        } catch (const IoError& e) {
            // A damaged member stops an export by name; of every member it
            // is listed and passed over, as extraction does.
            if (!every || e.path() != PathFromUtf8(model.DisplayName(item.index)))
                throw;
            NotExported(model.DisplayName(item.index), e.message());
            return;
        }
        const bool wasThere = fileio::EntryAt(item.target) != fileio::Entry::Missing;
        fileio::WriteFile(item.target, picture);
        cleanup.Written(item.target, wasThere);
        std::cout << Printable(Utf8Of(item.target)) << '\n';
    };
    for (const ExportItem& item : items) {
        if (work.Full())
            finish();
        std::vector<std::byte> data;
        try {
            model.Data(item.index, data);
        } catch (...) {
            // What comes before it is written first.
            while (next < items.size() && !work.Empty())
                finish();
            throw;
        }
        if (item.copy) {
            work.Submit([data = std::move(data)]() mutable { return std::move(data); });
        } else {
            work.Submit([name = model.Name(item.index),
                         source = PathFromUtf8(model.DisplayName(item.index)),
                         data = std::move(data), mimeType, target = item.target] {
                return imaging::EncodePicture(
                    imagecodec::DecodePhonePicture(name, data, source).picture, mimeType, target);
            });
        }
    }
    while (next < items.size())
        finish();
    cleanup.Done();
    return 0;
}

void AddReplaceCommand(CLI::App& app, Action& action)
{
    auto* command = app.add_subcommand(
        "replace", "Replace a member's data with FILE (PNG, GIF, BMP, JPEG or a phone file), "
                   "converted to what the member is");
    auto options = std::make_shared<ReplaceOptions>();
    AddTargetOptions(*command, options->target);
    command->add_option("MEMBER", options->member, "the member's name as list prints it")
        ->required();
    command->add_option("FILE", options->file, "the new picture or phone file")
        ->required()
        ->check(NonEmptyPath());
    command->callback([&action, options] { action = [options] { return RunReplace(*options); }; });
}

void AddAddCommand(CLI::App& app, Action& action)
{
    auto* command = app.add_subcommand(
        "add", "Add files at the end: a phone file as it is, a picture converted and named after "
               "its stem with the kind's extension");
    auto options = std::make_shared<AddOptions>();
    AddTargetOptions(*command, options->target);
    command->add_option("FILE", options->files, "pictures or phone files")
        ->required()
        ->check(NonEmptyPath());
    command
        ->add_option("--kind", options->kind,
                     "phone format of the pictures: 18 or 32 (Moto Bitmap .k), g (Moto Image .g), "
                     "raw (size from the file's name, icon(16x16).png) (default 18; GIF and PNG "
                     "pictures always become Moto Images)")
        ->check(CLI::IsMember({"18", "32", "g", "raw"}));
    command->callback([&action, options] { action = [options] { return RunAdd(*options); }; });
}

void AddRemoveCommand(CLI::App& app, Action& action)
{
    auto* command = app.add_subcommand("remove", "Remove members");
    auto options = std::make_shared<RemoveOptions>();
    AddTargetOptions(*command, options->target);
    command->add_option("MEMBER", options->members, "the members' names as list prints them")
        ->required();
    command->callback([&action, options] { action = [options] { return RunRemove(*options); }; });
}

void AddRenameCommand(CLI::App& app, Action& action)
{
    auto* command = app.add_subcommand(
        "rename", "Rename a member; a new name with another extension is refused");
    auto options = std::make_shared<RenameOptions>();
    AddTargetOptions(*command, options->target);
    command->add_option("MEMBER", options->member, "the member's name as list prints it")
        ->required();
    command->add_option("NEWNAME", options->newName, "its new name")->required();
    command->callback([&action, options] { action = [options] { return RunRename(*options); }; });
}

void AddExportCommand(CLI::App& app, Action& action)
{
    auto* command = app.add_subcommand(
        "export", "Write members (every member when none is named) into DIR as pictures, or "
                  "unchanged with --format raw; prints each path written");
    auto options = std::make_shared<ExportOptions>();
    command->add_option("ARCHIVE", options->archive, "the .ezx archive")
        ->required()
        ->check(NonEmptyPath());
    command->add_option("MEMBER", options->members, "the members' names as list prints them");
    command->add_option("-d,--dir", options->folder, "the folder to write into (default: .)")
        ->check(NonEmptyPath());
    command
        ->add_option("--format", options->format,
                     "picture format (default png); raw writes the member's bytes unchanged")
        ->check(CLI::IsMember({"gif", "png", "bmp", "jpg", "raw"}, CLI::ignore_case));
    command->add_flag("--force", options->force, "replace files that are already there");
    command->callback([&action, options] { action = [options] { return RunExport(*options); }; });
}

} // namespace

void AddEditCommands(CLI::App& app, Action& action)
{
    AddReplaceCommand(app, action);
    AddAddCommand(app, action);
    AddRemoveCommand(app, action);
    AddRenameCommand(app, action);
    AddExportCommand(app, action);
}

} // namespace zefir::cli
