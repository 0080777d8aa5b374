#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace zefir::imaging {

// A picture in memory: 32-bit ARGB values (alpha in bits 24-31, red 16-23,
// green 8-15, blue 0-7), row by row from the top, no padding between rows.
struct Bitmap {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;

    Bitmap() = default;
    Bitmap(std::uint32_t w, std::uint32_t h)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0)
    {
    }

    std::uint32_t& At(std::uint32_t x, std::uint32_t y)
    {
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
    std::uint32_t At(std::uint32_t x, std::uint32_t y) const
    {
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
    std::uint32_t* Row(std::uint32_t y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
    const std::uint32_t* Row(std::uint32_t y) const
    {
        return pixels.data() + static_cast<std::size_t>(y) * width;
    }
};

// The largest picture the loaders accept, in pixels a side and in all; larger
// files are refused before any pixel memory is allocated.
inline constexpr std::uint32_t kMaxDimension = 16384;
inline constexpr std::uint64_t kMaxPixels = 16u * 1024 * 1024;
// Standard picture files larger than this are refused unread. It leaves room
// for the largest picture as Zefir writes it: kMaxPixels at 4 bytes each in a
// BMP, or in a PNG that does not compress.
inline constexpr std::size_t kMaxPictureFileSize = 80u * 1024 * 1024;

enum class PictureFormat { Unknown, Png, Gif, Bmp, Jpeg };

// Recognises a picture by its signature, not by its file name.
PictureFormat DetectPictureFormat(std::span<const std::byte> bytes);

// Decodes a PNG, GIF, BMP or JPEG held in memory, its values as stored: no
// gamma or colour-profile conversion. `path` only names the file in errors.
// Throws IoError when the bytes are not a picture it can read: unknown,
// damaged, truncated (a JPEG too, though libjpeg would fill in the rest) or
// larger than the caps above.
// - PNG: every colour type and bit depth; 16-bit samples are rounded to 8.
// - GIF: the first frame on its logical screen. Pixels outside the frame and
//   pixels of the transparent index read as 0x00000000.
// - BMP: 1 to 32 bits, RLE4 and RLE8; a 32-bit BI_RGB file whose alpha bytes
//   are all 0 is opaque. Pixels an RLE file leaves unset are 0x00000000;
//   indices past the colour table are opaque black.
// - JPEG: opaque; CMYK files are refused.
Bitmap DecodePicture(std::span<const std::byte> bytes, const std::filesystem::path& path);
// Reads the file (read-only) and decodes it.
Bitmap LoadPicture(const std::filesystem::path& path);

// Encodes with the encoder of a MIME type: "image/gif", "image/png",
// "image/bmp" or "image/jpeg" (exactly). Throws IoError naming `path` for any
// other type, for a bitmap without pixels or beyond the caps, or when
// encoding fails.
// - PNG: 8-bit RGBA.
// - BMP: 32 bits with a BITMAPV5HEADER whose alpha mask keeps alpha.
// - JPEG: quality 90, 4:4:4 sampling, alpha dropped.
// - GIF: pixels of alpha 0 take a transparent index, all others are opaque.
//   Up to 256 colours (the transparent index counting as one) keep their
//   exact values; more are reduced to a palette of means (Palette.h), without
//   dithering. Read back, a picture whose transparent pixels are 0x00000000
//   is the same picture.
std::vector<std::byte> EncodePicture(const Bitmap& bitmap, std::string_view mimeType,
                                     const std::filesystem::path& path);
// Encodes and writes to `path`, replacing it only once the whole file is
// written.
void SavePicture(const Bitmap& bitmap, const std::filesystem::path& path,
                 std::string_view mimeType);

} // namespace zefir::imaging
