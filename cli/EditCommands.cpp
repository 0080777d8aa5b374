// Editing an archive in place: replace, add, remove, rename and export. Each
// editing command opens the archive as a model, makes its changes and saves
// to -o OUT or over ARCHIVE; the save goes through a temporary file, so on
// any failure the file is as it was.

#include <filesystem>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/archive/ArchiveModel.h"
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

// MEMBER as `list` prints it. A text that no member name can be (not
// UTF-8, no Windows-1251 form, a separator) names no member.
std::size_t FindMember(const ArchiveModel& model, const std::string& text)
{
    std::string name;
    try {
        name = ArchiveModel::NameFromUtf8(text, model.path());
    } catch (const IoError&) {
        throw IoError("no member named \"" + text + "\"", model.path(), ErrorKind::Refused);
    }
    return model.FindOne(name);
}

// The archive written: OUT when given, else ARCHIVE itself.
struct EditTarget {
    std::string archive;
    std::string out;

    const std::string& path() const { return out.empty() ? archive : out; }
};

void AddTargetOptions(CLI::App& command, EditTarget& target)
{
    command.add_option("ARCHIVE", target.archive, "the .ezx archive")->required();
    command.add_option("-o,--output", target.out,
                       "write the result to OUT and leave ARCHIVE as it is");
}

// An archive changed in place is locked from opening to saving, so that a
// second command is refused at once instead of one of the two saves being
// lost.
ArchiveModel OpenForEdit(const EditTarget& target)
{
    const bool inPlace = target.out.empty() ||
                         fileio::SameFile(PathFromUtf8(target.out), PathFromUtf8(target.archive));
    return ArchiveModel(PathFromUtf8(target.archive), inPlace ? ArchiveModel::Locking::ForChange
                                                : ArchiveModel::Locking::None);
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
    ArchiveModel model = OpenForEdit(options.target);
    const std::size_t index = FindMember(model, options.member);
    const std::vector<std::byte> bytes = ReadInputFile(options.file);
    imagecodec::Replacement replacement = imagecodec::ConvertForMember(
        model.Name(index), model.Data(index), Utf8Of(PathFromUtf8(options.file).filename()), bytes,
        PathFromUtf8(options.file));
    model.Replace(index, std::move(replacement.bytes));
    const std::string written = SaveModel(model, options.target);
    std::cout << "replaced " << options.member << " in " << written << " with " << options.file;
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
    ArchiveModel model = OpenForEdit(options.target);
    std::vector<std::string> added;
    for (const std::string& file : options.files) {
        imagecodec::NewMember member = imagecodec::MemberFromFile(
            Utf8Of(PathFromUtf8(file).filename()), ReadInputFile(file),
            imagecodec::KindOfOption(options.kind).value_or(ImageKind::ikMotoBitmap18),
            PathFromUtf8(file));
        model.Add(ArchiveModel::NameFromUtf8(member.fileName, PathFromUtf8(file)),
                  std::move(member.bytes));
        added.push_back(member.fileName);
    }
    const std::string written = SaveModel(model, options.target);
    std::cout << "added " << Plural(added.size(), "member") << " to " << written << ": "
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
    for (const std::string& member : options.members)
        model.Remove(FindMember(model, member));
    const std::string written = SaveModel(model, options.target);
    std::cout << "removed " << Plural(options.members.size(), "member") << " from " << written
              << ": " << Joined(options.members) << '\n';
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
    model.Rename(index, ArchiveModel::NameFromUtf8(options.newName, PathFromUtf8(options.target.archive)));
    const std::string written = SaveModel(model, options.target);
    std::cout << "renamed " << options.member << " to " << options.newName << " in " << written
              << '\n';
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
    if (AsciiUpper(options.format) == "RAW") {
        item.target = PathFromUtf8(options.folder) / PathFromUtf8(name);
        item.copy = true;
        return item;
    }
    model.Data(index, bytes);
    const ImageKind kind = imagecodec::DetectImageKind(model.Name(index), bytes);
    item.target = PathFromUtf8(options.folder) /
                  imagecodec::PictureFileName(name, bytes, FormatOfOption(options.format));
    item.copy = kind == ImageKind::ikMotoImage;
    if (kind == ImageKind::ikUnknown)
        item.whyNot = "not a phone picture (.k, .g or .raw)";
    return item;
}

// Nothing is written until every target is known to be free (or --force
// says it may be replaced), and no two members would share one.
void CheckTargets(const std::vector<ExportItem>& items, bool force)
{
    std::set<fs::path> taken;
    for (const ExportItem& item : items) {
        if (!taken.insert(item.target).second)
            throw IoError("two members would both be written to this file", item.target,
                          ErrorKind::Refused);
        std::error_code ignored;
        if (!force && fs::symlink_status(item.target, ignored).type() != fs::file_type::not_found)
            throw IoError("the file is already there; --force replaces it", item.target,
                          ErrorKind::Refused);
    }
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
                throw IoError(item.whyNot, model.DisplayName(index), ErrorKind::Refused);
            std::cerr << "not exported: " << model.DisplayName(index) << ": " << item.whyNot
                      << '\n';
            continue;
        }
        items.push_back(std::move(item));
    }
    if (!options.folder.empty() && !fs::is_directory(PathFromUtf8(options.folder)))
        fileio::CreateFolder(PathFromUtf8(options.folder));
    CheckTargets(items, options.force);

    const std::string_view mimeType = imagecodec::TargetMimeType(FormatOfOption(options.format));
    for (const ExportItem& item : items) {
        model.Data(item.index, bytes);
        if (item.copy) {
            fileio::WriteFile(item.target, bytes);
        } else {
            const std::string name = model.Name(item.index);
            std::vector<std::byte> picture;
            try {
                picture = imaging::EncodePicture(
                    imagecodec::DecodePhonePicture(name, bytes, model.DisplayName(item.index))
                        .picture,
                    mimeType, item.target);
            } catch (const IoError& e) {
                // A damaged member stops an export by name; of every member it
                // is listed and passed over, as extraction does.
                if (!every || e.path() != model.DisplayName(item.index))
                    throw;
                std::cerr << "not exported: " << model.DisplayName(item.index) << ": "
                          << e.message() << '\n';
                continue;
            }
            fileio::WriteFile(item.target, picture);
        }
        std::cout << Utf8Of(item.target) << '\n';
    }
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
    command->add_option("FILE", options->file, "the new picture or phone file")->required();
    command->callback([&action, options] { action = [options] { return RunReplace(*options); }; });
}

void AddAddCommand(CLI::App& app, Action& action)
{
    auto* command = app.add_subcommand(
        "add", "Add files at the end: a phone file as it is, a picture converted and named after "
               "its stem with the kind's extension");
    auto options = std::make_shared<AddOptions>();
    AddTargetOptions(*command, options->target);
    command->add_option("FILE", options->files, "pictures or phone files")->required();
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
    command->add_option("ARCHIVE", options->archive, "the .ezx archive")->required();
    command->add_option("MEMBER", options->members, "the members' names as list prints them");
    command->add_option("-d,--dir", options->folder, "the folder to write into (default: .)");
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
