#pragma once

// The phone files both loader suites read: pictures of every kind made with
// the core's writers, damaged files with the core's message for each, and
// hostile bytes from the fuzz corpus.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "PictureTestUtil.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imagecodec/PhonePictures.h"
#include "core/imaging/Imaging.h"
#include "plugins/PhoneLoader.h"

namespace zefir::test {

struct LoaderCase {
    std::string name;
    plugins::LoaderKind kind;
    std::vector<std::byte> bytes;
    std::string message; // the refusal, without the path; empty for a good file
};

// A picture with transparent pixels and all channels different.
inline imaging::Bitmap Icon(std::uint32_t width, std::uint32_t height)
{
    imaging::Bitmap b(width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            b.At(x, y) = (x + y) % 3 == 0 ? 0 : Argb(0xFF - x, 40 * x % 256, 60 * y % 256, 0x80);
    return b;
}

inline std::vector<LoaderCase> GoodFiles()
{
    using plugins::LoaderKind;
    return {
        {"a.k", LoaderKind::MotoBitmap, imagecodec::EncodeMotoBitmap18(Icon(5, 2), "a.k"), ""},
        {"b.K", LoaderKind::MotoBitmap, imagecodec::EncodeMotoBitmap32(Icon(16, 12), "b.k"), ""},
        {"c(10x12).raw", LoaderKind::Raw, imagecodec::EncodeRawPicture(Icon(10, 12), "c.raw"), ""},
        {"d.g", LoaderKind::MotoImage, imaging::EncodePicture(Icon(9, 4), "image/gif", "d.gif"),
         ""},
        {"e.g", LoaderKind::MotoImage, imaging::EncodePicture(Icon(3, 8), "image/png", "e.png"),
         ""},
    };
}

inline std::vector<LoaderCase> DamagedFiles()
{
    using plugins::LoaderKind;
    auto gif = imaging::EncodePicture(Icon(9, 4), "image/gif", "d.gif");
    gif.resize(20);
    return {
        {"empty.k", LoaderKind::MotoBitmap, MotoFile(0, 3, 18, 0, {}),
         "the Moto Bitmap header gives an empty picture (0 x 3 pixels)"},
        {"overlap.k", LoaderKind::MotoBitmap, MotoFile(4, 1, 32, 2, {1, 2}),
         "the Moto Bitmap header's RowBytes (2) is smaller than 4 x Width (16): its pixel rows "
         "would overlap"},
        {"jpeg.g", LoaderKind::MotoImage, Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10}),
         "the Moto Image holds neither a GIF nor a PNG picture"},
        {"cut.g", LoaderKind::MotoImage, gif,
         "GIF data runs past the end of the file (20 bytes)"},
        {"big(200x200).raw", LoaderKind::Raw, std::vector<std::byte>(100),
         "the picture size in the name, 200x200, is more than the 38721 pixels a raw picture "
         "can hold"},
        {"zero(0x16).raw", LoaderKind::Raw, std::vector<std::byte>(100),
         "the name gives no usable picture size (0x16)"},
    };
}

inline std::vector<LoaderCase> AllFiles()
{
    auto cases = GoodFiles();
    for (LoaderCase& c : DamagedFiles())
        cases.push_back(std::move(c));
    return cases;
}

// Why a raw picture given without its name is refused.
inline constexpr const char* kNoNameMessage =
    "a raw picture's size is in its file name, and the program reading it gave only its bytes";

// The corpus's files, each also cut short at a few lengths and with single
// bytes flipped where headers and sizes lie.
inline std::vector<std::vector<std::byte>> HostileInputs(const fs::path& corpus)
{
    std::vector<std::vector<std::byte>> out;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file())
            continue;
        const std::vector<std::byte> bytes = ReadBytes(entry.path());
        out.push_back(bytes);
        for (std::size_t cut : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{15},
                                bytes.size() / 2, bytes.size() - 1})
            if (cut < bytes.size())
                out.emplace_back(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        for (std::size_t at : {0, 3, 6, 9, 12, 15, 24, 40})
            for (unsigned flip : {0x80u, 0xFFu})
                if (at < bytes.size()) {
                    out.push_back(bytes);
                    out.back()[at] ^= static_cast<std::byte>(flip);
                }
    }
    return out;
}

} // namespace zefir::test
