// zefir-cli thumbnail INPUT OUTPUT [--size N]: a PNG of a phone file for file
// managers, which call it through the installed .thumbnailer entry.

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imagecodec/PhonePictures.h"
#include "core/imaging/Fit.h"
#include "core/imaging/Imaging.h"

namespace zefir::cli {

namespace {

namespace fs = std::filesystem;

struct ThumbnailOptions {
    std::string input;
    std::string output;
    std::uint32_t size = 128;
};

int RunThumbnail(const ThumbnailOptions& options)
{
    const fs::path input = PathFromUtf8(options.input);
    const fs::path output = PathFromUtf8(options.output);
    if (fileio::SameFile(input, output))
        throw IoError("is the phone file itself; its thumbnail is not written over it", output,
                      ErrorKind::Refused);
    // Everything is decoded before the output is touched, so a damaged
    // input leaves no file behind. The phone file is read as info reads it.
    const auto bytes = imagecodec::ReadPhoneFile(input);
    const imagecodec::PhonePicture phone =
        imagecodec::DecodePhonePicture(Utf8Of(input.filename()), bytes, input);
    const imaging::Bitmap thumbnail = imaging::FitPicture(phone.picture, options.size);
    // A thumbnailer's caller (tumbler) makes the output file and reads it
    // through the descriptor it holds: an existing OUTPUT is written in
    // place, not replaced by a new file.
    fileio::WriteFileInPlace(output, imaging::EncodePicture(thumbnail, "image/png", output));
    std::cout << options.output << '\n';
    return 0;
}

} // namespace

void AddThumbnailCommand(CLI::App& app, Action& action)
{
    auto* thumbnail = app.add_subcommand(
        "thumbnail", "Write a PNG of a phone file (.k, .raw, .g) at most N x N pixels: the icon "
                     "at the largest whole zoom that fits, or shrunk when larger");
    auto options = std::make_shared<ThumbnailOptions>();
    thumbnail->add_option("INPUT", options->input, "the phone file")
        ->required()
        ->check(NonEmptyPath());
    thumbnail
        ->add_option("OUTPUT", options->output,
                     "the PNG file to write; an existing file is written in place")
        ->required()
        ->check(NonEmptyPath());
    thumbnail->add_option("--size", options->size, "the largest width and height (default 128)")
        ->check(CLI::Range(1, 1024));
    thumbnail->callback(
        [&action, options] { action = [options] { return RunThumbnail(*options); }; });
}

} // namespace zefir::cli
