#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/archive/Archive.h"
#include "core/archive/ConvertAll.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::cli {

namespace {

namespace fs = std::filesystem;
using imagecodec::Format;

constexpr int kFailure = 1;
constexpr int kBarWidth = 30;

// The --format value, already checked to be one of the four names in any
// letter case.
Format FormatOfName(const std::string& name)
{
    return imagecodec::FormatOfName(name).value_or(Format::Bmp);
}

std::string FormatLabel(Format format)
{
    return AsciiUpper(imagecodec::TargetExtension(format).substr(1));
}

CLI::Option* AddFormatOption(CLI::App& command, std::string& format, const std::string& help)
{
    return command.add_option("--format", format, help)
        ->check(CLI::IsMember({"gif", "png", "bmp", "jpg"}, CLI::ignore_case));
}

std::string Plural(std::size_t n, const std::string& word)
{
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// A bar on stderr, redrawn in place; only when stderr is a terminal, so
// that logs and pipes get the summary alone.
class TerminalProgress final : public archive::IProgress {
public:
    TerminalProgress() : m_enabled(::isatty(STDERR_FILENO) == 1) {}

    void Show() override { m_position = 0; }
    void SetCaption(std::string_view caption) override
    {
        m_caption = caption;
        Draw();
    }
    void SetPosition(int position) override
    {
        if (position == m_position)
            return;
        m_position = position;
        Draw();
    }
    void Close() override
    {
        if (m_drawn)
            std::cerr << "\r\033[K" << std::flush;
        m_drawn = false;
    }

private:
    void Draw()
    {
        if (!m_enabled)
            return;
        const int filled = m_position * kBarWidth / 100;
        std::string line = "\r\033[K" + m_caption + " [";
        line.append(static_cast<std::size_t>(filled), '#');
        line.append(static_cast<std::size_t>(kBarWidth - filled), ' ');
        line += "] " + std::to_string(m_position) + "%";
        std::cerr << line << std::flush;
        m_drawn = true;
    }

    bool m_enabled;
    bool m_drawn = false;
    int m_position = 0;
    std::string m_caption;
};

class CountingList final : public archive::IMemberList {
public:
    void AddName(std::string_view) override { ++m_count; }
    void SelectIndex(int) override {}
    std::size_t count() const { return m_count; }

private:
    std::size_t m_count = 0;
};

void PrintLeftOut(const std::string& label, const std::vector<archive::LeftOut>& leftOut)
{
    for (const archive::LeftOut& item : leftOut)
        std::cerr << label << ' ' << PrintablePath(item.file) << ": " << item.reason << '\n';
}

// The folder the user named is created when missing (not its parents).
void EnsureFolder(const fs::path& folder)
{
    if (fileio::EntryAt(folder) != fileio::Entry::Folder)
        fileio::CreateFolder(folder);
}

struct ExtractOptions {
    std::string archive;
    std::string workFolder;
    std::string format = "bmp";
    bool noConvert = false;
    bool force = false;
};

int RunExtract(const ExtractOptions& options)
{
    const fs::path archive = PathFromUtf8(options.archive);
    fs::path workFolder = PathFromUtf8(options.workFolder);
    if (workFolder.empty()) {
        workFolder = archive.parent_path();
        if (workFolder.empty())
            workFolder = ".";
    }
    archive::ConversionSettings settings;
    settings.ConvertEnabled = !options.noConvert;
    settings.TargetFormat = FormatOfName(options.format);
    // Before anything is written: the user's edits are not replaced without
    // --force, and files an earlier archive left in raws/ are pointed out.
    const archive::ExtractionConflicts conflicts =
        archive::FindExtractionConflicts(archive, workFolder, settings);
    for (const fs::path& stranger : conflicts.strangers)
        std::cerr << "not in the archive: " << Utf8Of(stranger)
                  << " (packing raws/ would take it too)\n";
    if (!conflicts.differing.empty() && !options.force) {
        for (const fs::path& file : conflicts.differing)
            std::cerr << "would be replaced: " << Utf8Of(file) << '\n';
        throw IoError(Plural(conflicts.differing.size(), "file") +
                          " in the way, whose content differs from what extraction writes; "
                          "--force replaces them",
                      workFolder, ErrorKind::Refused);
    }
    EnsureFolder(workFolder);
    TerminalProgress progress;
    CountingList list;
    std::vector<archive::LeftOut> notConverted;
    std::vector<archive::LeftOut> notExtracted;
    archive::UnpackArchive(archive, workFolder, settings, progress, list, &notConverted,
                           archive::Overwrite::Replace, &notExtracted);
    PrintLeftOut("not converted:", notConverted);
    PrintLeftOut("not extracted:", notExtracted);
    std::cout << "extracted " << Plural(list.count(), "member") << " into " << Utf8Of(workFolder)
              << " (raws/";
    if (settings.ConvertEnabled)
        std::cout << ", icons/ as " << FormatLabel(settings.TargetFormat);
    std::cout << ")\n";
    // The others are out, but packing raws/ back would lose these: not a
    // success.
    if (!notExtracted.empty()) {
        std::cerr << "zefir-cli: " << options.archive << ": "
                  << Plural(notExtracted.size(), "member") << " not extracted\n";
        return kFailure;
    }
    return 0;
}

void AddExtractCommand(CLI::App& app, Action& action)
{
    auto* command = app.add_subcommand(
        "extract", "Extract every member of an archive into WORKDIR/raws and, converted, "
                   "into WORKDIR/icons with the conversion map icons/conv.dat");
    auto options = std::make_shared<ExtractOptions>();
    command->add_option("ARCHIVE", options->archive, "the .ezx archive")
        ->required()
        ->check(NonEmptyPath());
    command
        ->add_option("WORKDIR", options->workFolder,
                     "the working folder (default: the archive's folder)")
        ->check(NonEmptyPath());
    auto* format = AddFormatOption(*command, options->format,
                                   "format of the converted pictures (default bmp)");
    command->add_flag("--no-convert", options->noConvert, "write the raw members only")
        ->excludes(format);
    command->add_flag("--force", options->force,
                      "replace files in WORKDIR whose content differs from what extraction "
                      "writes (pictures or members you edited)");
    command->callback([&action, options] { action = [options] { return RunExtract(*options); }; });
}

struct PackOptions {
    std::string folder;
    std::string archive;
    bool convert = false;
};

int RunPack(const PackOptions& options)
{
    TerminalProgress progress;
    archive::PackReport report =
        archive::PackArchive(PathFromUtf8(options.folder), PathFromUtf8(options.archive),
                             options.convert, progress);
    PrintLeftOut("left out:", report.leftOut);
    // No archive without members: the target is left as it was.
    if (!report.written) {
        std::cerr << "zefir-cli: nothing to pack in " << options.folder << ": ";
        if (report.leftOut.empty())
            std::cerr << "no " << (options.convert ? ".bmp, .gif or .png" : ".k, .g or .raw")
                      << " files\n";
        else
            std::cerr << "every file was left out; " << options.archive << " is not written\n";
        return kFailure;
    }
    std::cout << "packed " << Plural(report.members, "member") << " from " << options.folder
              << " into " << options.archive << '\n';
    return 0;
}

void AddPackCommand(CLI::App& app, Action& action)
{
    auto* command = app.add_subcommand(
        "pack", "Pack the .k, .g and .raw files of FOLDER into ARCHIVE or, with --convert, "
                "its pictures converted back to phone formats");
    auto options = std::make_shared<PackOptions>();
    command->add_option("FOLDER", options->folder, "the folder to pack")
        ->required()
        ->check(NonEmptyPath());
    command->add_option("ARCHIVE", options->archive, "the .ezx archive to write")
        ->required()
        ->check(NonEmptyPath());
    command->add_flag("--convert", options->convert,
                      "pack .bmp, .gif and .png pictures (and .unk files listed in the "
                      "folder's conv.dat), converted back to phone files");
    command->callback([&action, options] { action = [options] { return RunPack(*options); }; });
}

struct ConvertAllOptions {
    std::string source;
    std::string target;
    std::string format = "bmp";
    bool fromPhone = false;
    bool toPhone = false;
    bool force = false;
};

int RunConvertAll(const ConvertAllOptions& options)
{
    EnsureFolder(PathFromUtf8(options.target));
    archive::ConvertAllReport report = archive::ConvertAll(
        PathFromUtf8(options.source), PathFromUtf8(options.target), options.fromPhone, FormatOfName(options.format),
        options.force ? archive::Overwrite::Replace : archive::Overwrite::Refuse);
    PrintLeftOut("not converted:", report.leftOut);
    PrintLeftOut("not converted:", report.failed);
    if (report.written.empty() && report.leftOut.empty() && report.failed.empty()) {
        std::cerr << "zefir-cli: nothing to convert in " << options.source << ": no "
                  << (options.fromPhone ? ".k or .g" : ".bmp, .png or .gif") << " files\n";
        return kFailure;
    }
    std::cout << "converted " << Plural(report.written.size(), "file") << " from " << options.source
              << " into " << options.target << '\n';
    if (!report.failed.empty() || report.written.empty()) {
        std::cerr << "zefir-cli: " << options.source << ": "
                  << Plural(report.failed.size() + report.leftOut.size(), "file")
                  << " not converted\n";
        return kFailure;
    }
    return 0;
}

void AddConvertAllCommand(CLI::App& app, Action& action)
{
    auto* command = app.add_subcommand(
        "convert-all", "Convert every phone file of a folder into standard pictures "
                       "(--from-phone) or every picture into phone files (--to-phone)");
    auto options = std::make_shared<ConvertAllOptions>();
    command->add_option("SOURCE_DIR", options->source, "the folder to convert")
        ->required()
        ->check(NonEmptyPath());
    command->add_option("TARGET_DIR", options->target, "the folder to write into")
        ->required()
        ->check(NonEmptyPath());
    auto* direction = command->add_option_group("direction");
    auto* fromPhone = direction->add_flag(
        "--from-phone", options->fromPhone,
        "every .k and .g file into the format (a .k file's picture is named .bmp)");
    direction->add_flag("--to-phone", options->toPhone,
                        "every .bmp, .png and .gif file into 18-bit Moto Bitmaps (.k) or "
                        "Moto Images (.g)");
    direction->require_option(1);
    command->add_flag("--force", options->force,
                      "replace files of TARGET_DIR that the conversion would write over");
    AddFormatOption(*command, options->format, "format of the pictures (default bmp)")
        ->needs(fromPhone);
    command->callback(
        [&action, options] { action = [options] { return RunConvertAll(*options); }; });
}

} // namespace

void AddArchiveCommands(CLI::App& app, Action& action)
{
    AddExtractCommand(app, action);
    AddPackCommand(app, action);
    AddConvertAllCommand(app, action);
}

} // namespace zefir::cli
