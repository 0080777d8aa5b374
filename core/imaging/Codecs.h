#pragma once

// The codecs behind Imaging.h; only core/imaging includes this header.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/imaging/Imaging.h"

namespace zefir::imaging {

// The decoders write B, G, R, A bytes straight into the ARGB values of a
// Bitmap, which is the value's own layout only on a little-endian machine.
static_assert(std::endian::native == std::endian::little,
              "the codecs store ARGB values as B, G, R, A bytes");

namespace fs = std::filesystem;

// Throws IoError unless a picture of width x height fits the caps of
// Imaging.h; `format` ("PNG", ...) begins the message. Decoders call it as
// soon as the header gives the size, before they allocate anything.
void CheckDimensions(std::uint64_t width, std::uint64_t height, std::string_view format,
                     const fs::path& path);

// "PNG data runs past the end of the file (0x1A3 bytes)".
[[noreturn]] void ThrowTruncated(std::string_view format, std::size_t fileSize,
                                 const fs::path& path);
// "PNG data is damaged: <the library's reason>".
[[noreturn]] void ThrowDamaged(std::string_view format, std::string_view reason,
                               const fs::path& path);

std::uint32_t Argb(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b);

// Each decoder gets the whole file, its signature already recognised; each
// encoder gets a bitmap whose size Imaging.cpp has checked.
Bitmap DecodePng(std::span<const std::byte> bytes, const fs::path& path);
Bitmap DecodeGif(std::span<const std::byte> bytes, const fs::path& path);
Bitmap DecodeBmp(std::span<const std::byte> bytes, const fs::path& path);
Bitmap DecodeJpeg(std::span<const std::byte> bytes, const fs::path& path);

std::vector<std::byte> EncodePng(const Bitmap& bitmap, const fs::path& path);
std::vector<std::byte> EncodeGif(const Bitmap& bitmap, const fs::path& path);
std::vector<std::byte> EncodeBmp(const Bitmap& bitmap);
std::vector<std::byte> EncodeJpeg(const Bitmap& bitmap, const fs::path& path);

// stb_image's BMP reader, compiled in StbImageBmp.cpp: decodes an
// uncompressed 16-, 24- or 32-bit BMP whose header and size the caller has
// checked into `out`, which already has the picture's size. Returns an empty
// string on success, else stb_image's reason.
std::string StbDecodeBmp(std::span<const std::byte> bytes, Bitmap& out);

} // namespace zefir::imaging
