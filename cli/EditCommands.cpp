// Editing an archive in place: replace, add, remove, rename and export. Each
// editing command opens the archive as a model, makes its changes and saves
// to -o OUT or over ARCHIVE; the save goes through a temporary file, so on
// any failure the file is as it was.

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/archive/ArchiveModel.h"
#include "core/archive/Export.h"
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
    std::cout << "replaced " << Shown(model, index) << " in " << PrintablePath(written) << " with "
              << PrintablePath(options.file);
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
    std::cout << "added " << Plural(added.size(), "member") << " to " << PrintablePath(written) << ": "
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
    std::cout << "removed " << Plural(removed.size(), "member") << " from " << PrintablePath(written)
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
              << PrintablePath(written) << '\n';
    return 0;
}

struct ExportOptions {
    std::string archive;
    std::vector<std::string> members;
    std::string folder; // empty: the current folder
    std::string format = "png";
    bool force = false;
};

// --format, already checked to be one in any letter case.
archive::ExportFormat FormatOfOption(const std::string& format)
{
    if (AsciiUpper(format) == "RAW")
        return archive::ExportFormat::AsStored;
    switch (imagecodec::FormatOfName(format).value_or(imagecodec::Format::Png)) {
    case imagecodec::Format::Gif:
        return archive::ExportFormat::Gif;
    case imagecodec::Format::Bmp:
        return archive::ExportFormat::Bmp;
    case imagecodec::Format::Jpeg:
        return archive::ExportFormat::Jpeg;
    case imagecodec::Format::Png:
        break;
    }
    return archive::ExportFormat::Png;
}

// Nothing is written while a file stands in the way, unless --force says it
// may be replaced, which it may only for a plain file.
void CheckTargets(const archive::ExportPlan& plan, bool force)
{
    for (const archive::InTheWay& found : archive::TargetsInTheWay(plan)) {
        if (!found.plainFile)
            throw IoError("is there and is not a plain file; --force replaces only files",
                          found.target, ErrorKind::Refused);
        if (!force)
            throw IoError("the file is already there; --force replaces it", found.target,
                          ErrorKind::Refused);
    }
}

void NotExported(const std::vector<archive::LeftOut>& members)
{
    for (const archive::LeftOut& member : members)
        std::cerr << "not exported: " << Printable(member.file) << ": " << member.reason << '\n';
}

int RunExport(const ExportOptions& options)
{
    ArchiveModel model(PathFromUtf8(options.archive));
    std::vector<std::size_t> indexes;
    for (const std::string& member : options.members)
        indexes.push_back(FindMember(model, member));
    archive::ExportSettings settings;
    settings.format = FormatOfOption(options.format);
    settings.byName = !indexes.empty();
    settings.archive = PathFromUtf8(options.archive);
    if (indexes.empty())
        for (std::size_t i = 0; i < model.size(); ++i)
            indexes.push_back(i);

    archive::ModelSource source(model);
    const archive::ExportPlan plan =
        archive::PlanExport(source, indexes, PathFromUtf8(options.folder), settings);
    NotExported(plan.notExported);
    CheckTargets(plan, options.force);
    archive::ExportControl control;
    control.replace = options.force;
    control.written = [](const fs::path& file) { std::cout << PrintablePath(Utf8Of(file)) << '\n'; };
    NotExported(archive::WriteExport(plan, source, control).notExported);
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
