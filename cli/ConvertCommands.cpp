#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "core/Error.h"
#include "core/Text.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::cli {

namespace {

namespace fs = std::filesystem;
using imagecodec::Format;
using imagecodec::ImageKind;

struct ConvertOptions {
    std::string source;
    std::string target;
    std::string format;
    std::string kind;
    bool force = false;
};

// --format wins; then the target's extension; BMP when neither says.
Format ChooseFormat(const ConvertOptions& options)
{
    if (auto format = imagecodec::FormatOfName(options.format))
        return *format;
    std::string_view extension = ExtensionOf(options.target);
    if (!extension.empty())
        if (auto format = imagecodec::FormatOfName(extension.substr(1)))
            return *format;
    return Format::Bmp;
}

// --kind wins; then the target's extension; an 18-bit Moto Bitmap when
// neither says, as packing chooses.
ImageKind ChooseKind(const ConvertOptions& options)
{
    if (auto kind = imagecodec::KindOfOption(options.kind))
        return *kind;
    // A raw picture takes its size from the target's name, "icon(16x16).raw".
    const ImageKind kind = imagecodec::KindOfName(options.target);
    if (kind == ImageKind::ikMotoImage || kind == ImageKind::ikRaw)
        return kind;
    return ImageKind::ikMotoBitmap18;
}

int RunConvert(const ConvertOptions& options)
{
    fs::path source = PathFromUtf8(options.source);
    fs::path target = PathFromUtf8(options.target);
    // TARGET itself may be replaced, as cp does; a file under the name a
    // Moto Image's content chooses only with --force.
    const auto otherNames =
        options.force ? imagecodec::Overwrite::Replace : imagecodec::Overwrite::Refuse;
    std::string whyNot;
    bool written = false;
    ImageKind kind = imagecodec::DetectImageKind(source);
    if (kind != ImageKind::ikUnknown)
        written = imagecodec::ConvertFromPhone(source, target, ChooseFormat(options), kind, &whyNot,
                                               otherNames);
    else
        written =
            imagecodec::ConvertToPhone(source, ChooseKind(options), target, &whyNot, otherNames);
    if (!written) {
        std::cerr << "zefir-cli: " << Utf8Of(source) << ": " << whyNot << '\n';
        return 1;
    }
    std::cout << Utf8Of(target) << '\n';
    return 0;
}

// A file that cannot be read is an error on stderr, and the exit code says
// so; the other files are still described.
int RunInfo(const std::vector<std::string>& files)
{
    std::string out;
    int code = 0;
    for (const auto& file : files) {
        imagecodec::PhoneFileInfo info;
        try {
            info = imagecodec::InspectPhoneFile(file);
        } catch (const IoError& e) {
            std::cerr << "zefir-cli: " << e.what() << '\n';
            code = 1;
            continue;
        }
        out += file;
        out += '\t';
        out += imagecodec::KindInfo(info.kind).label;
        out += '\t';
        out += std::to_string(info.width) + "x" + std::to_string(info.height);
        out += '\n';
    }
    std::cout << out;
    return code;
}

void AddConvertCommand(CLI::App& app, Action& action)
{
    auto* convert = app.add_subcommand(
        "convert", "Convert a phone picture (.raw, .k, .g) to a standard picture, or a standard "
                   "picture to a phone file; prints the path written");
    auto options = std::make_shared<ConvertOptions>();
    convert->add_option("SOURCE", options->source, "the picture to convert")
        ->required()
        ->check(NonEmptyPath());
    convert
        ->add_option("TARGET", options->target,
                     "the file to write; a Moto Image or phone file may get another extension")
        ->required()
        ->check(NonEmptyPath());
    convert
        ->add_option("--format", options->format,
                     "standard picture format (default: from TARGET's extension, else bmp)")
        ->check(CLI::IsMember({"gif", "png", "bmp", "jpg"}));
    convert
        ->add_option("--kind", options->kind,
                     "phone format: 18 or 32 (Moto Bitmap .k), g (Moto Image .g), raw (raw "
                     "picture, size from TARGET's name) (default: from TARGET's extension, .g "
                     "gives g, .raw gives raw, else 18)")
        ->check(CLI::IsMember({"18", "32", "g", "raw"}));
    convert->add_flag("--force", options->force,
                      "replace an existing file under the name a Moto Image's content chooses "
                      "(TARGET itself is always replaced)");
    convert->callback([&action, options] { action = [options] { return RunConvert(*options); }; });
}

void AddInfoCommand(CLI::App& app, Action& action)
{
    auto* info = app.add_subcommand(
        "info", "Print each phone file's kind and picture size: FILE<TAB>KIND<TAB>WxH");
    auto files = std::make_shared<std::vector<std::string>>();
    info->add_option("FILE", *files, "phone files (.raw, .k, .g)")
        ->required()
        ->check(NonEmptyPath());
    info->callback([&action, files] { action = [files] { return RunInfo(*files); }; });
}

} // namespace

void AddConvertCommands(CLI::App& app, Action& action)
{
    AddConvertCommand(app, action);
    AddInfoCommand(app, action);
}

} // namespace zefir::cli
