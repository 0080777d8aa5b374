// Moto Bitmap (".k"), two variants behind one header of four u32 LE fields:
//
//   offset 0   Width     pixels
//   offset 4   Height    pixel rows
//   offset 8   BitDepth  18 for the 18-bit variant; any other value is 32-bit
//   offset 12  RowBytes  bytes per pixel row in the file
//
// 18-bit (RowBytes = 3 x Width rounded up to a multiple of 4):
//   offset 16                     Height rows of RowBytes bytes; pixel (x, y)
//                                 is the 24-bit LE value at 3 x x in its row:
//                                 bits 12-17 red, 6-11 green, 0-5 blue, 18-23
//                                 zero; row padding is zero
//   offset 16 + Height x RowBytes Height rows of MaskRowBytes bytes, where
//                                 MaskRowBytes = Width / 8 rounded up, then up
//                                 to a multiple of 4 (not stored); pixel
//                                 (x, y) is bit (x mod 8) of byte x div 8 of
//                                 its row (least significant bit first);
//                                 set = opaque, clear = transparent
//
// 32-bit (RowBytes = 4 x Width):
//   offset 16                     Height rows of RowBytes bytes; pixel (x, y)
//                                 is blue, green, red, alpha at 4 x x in its
//                                 row; bytes past 4 x Width are skipped
//
// 6-bit channels are the 8-bit value shifted right by 2 and read back shifted
// left by 2, so a full channel comes back as 252. Pixel data and the mask
// must each fit in WorkBufferSize bytes.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "core/ByteReader.h"
#include "core/Error.h"
#include "core/Message.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::imagecodec {

namespace {

constexpr std::uint32_t kBitDepth18 = 18;
constexpr std::uint32_t kBitDepth32 = 32;

std::uint64_t MaskRowBytes(std::uint64_t width)
{
    return ((width + 7) / 8 + 3) / 4 * 4;
}

std::uint64_t RowBytes18(std::uint64_t width)
{
    return (3 * width + 3) / 4 * 4;
}

// Where the 18-bit decoder finds its data; both sizes already checked.
struct Layout18 {
    std::size_t pixelBytes = 0;
    std::size_t maskRowBytes = 0;
    std::size_t maskBytes = 0;
};

void CheckNotEmpty(const MotoBitmapHeader& header, const fs::path& source)
{
    if (header.Width == 0 || header.Height == 0)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                               "the Moto Bitmap header gives an empty picture (%1 x %2 pixels)"),
                 header.Width, header.Height),
            source);
}

// Rows narrower than their pixels would overlap; such a file has no defined
// picture.
void CheckRowBytes(const MotoBitmapHeader& header, std::uint64_t bytesPerPixel,
                   const fs::path& source)
{
    std::uint64_t needed = bytesPerPixel * header.Width;
    if (header.RowBytes < needed)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                                         "the Moto Bitmap header's RowBytes (%1) is smaller "
                                         "than %2 x Width (%3): its pixel rows would "
                                         "overlap"),
                           header.RowBytes, bytesPerPixel, needed),
                      source);
}

// Sizes come in 64 bits, so the products cannot wrap before the comparison.
void CheckFileLimit(std::uint64_t bytes, const MessageText& what, const fs::path& source)
{
    if (bytes > WorkBufferSize)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                               "the Moto Bitmap's %1 takes %2, more than the limit of %3"),
                 Translated(what), ByteCount(bytes), Grouped(WorkBufferSize)),
            source, ErrorKind::OverLimit);
}

void CheckPictureLimit(const imaging::Bitmap& picture, std::uint64_t pixelBytes,
                       const fs::path& target)
{
    if (pixelBytes > WorkBufferSize)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                                         "the picture (%1 x %2 pixels) is too large for a "
                                         "Moto Bitmap: its pixel data would take %3, "
                                         "more than the limit of %4"),
                           picture.width, picture.height, ByteCount(pixelBytes),
                           Grouped(WorkBufferSize)),
                      target, ErrorKind::OverLimit);
}

std::size_t CheckedPixelBytes(const MotoBitmapHeader& header, const fs::path& source)
{
    std::uint64_t pixelBytes = static_cast<std::uint64_t>(header.RowBytes) * header.Height;
    CheckFileLimit(pixelBytes, ZEFIR_MESSAGE("zefir::imagecodec", "pixel data"), source);
    return static_cast<std::size_t>(pixelBytes);
}

Layout18 CheckLayout18(const MotoBitmapHeader& header, const fs::path& source)
{
    CheckNotEmpty(header, source);
    CheckRowBytes(header, 3, source);
    Layout18 layout;
    layout.pixelBytes = CheckedPixelBytes(header, source);
    std::uint64_t maskBytes = MaskRowBytes(header.Width) * header.Height;
    CheckFileLimit(maskBytes, ZEFIR_MESSAGE("zefir::imagecodec", "mask"), source);
    layout.maskRowBytes = static_cast<std::size_t>(MaskRowBytes(header.Width));
    layout.maskBytes = static_cast<std::size_t>(maskBytes);
    return layout;
}

// Per-picture storage for the bytes after the header, zero-filled: whatever
// a short file does not supply reads as zero.
std::vector<std::uint8_t> BodyOf(std::span<const std::byte> file, std::size_t size)
{
    std::vector<std::uint8_t> body(size);
    if (file.size() > kMotoBitmapHeaderSize) {
        auto available = std::min(file.size() - kMotoBitmapHeaderSize, size);
        const auto* from = reinterpret_cast<const std::uint8_t*>(file.data());
        std::copy_n(from + kMotoBitmapHeaderSize, available, body.begin());
    }
    return body;
}

void CheckPicture(const imaging::Bitmap& picture, const fs::path& target)
{
    if (picture.width == 0 || picture.height == 0)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::imagecodec", "the picture is empty (%1 x %2 pixels)"),
                 picture.width, picture.height),
            target);
    if (picture.pixels.size() != static_cast<std::uint64_t>(picture.width) * picture.height)
        throw IoError(Translated(ZEFIR_MESSAGE("zefir::imagecodec",
                                               "the picture's pixels do not match its size")),
                      target);
}

void PutHeader(std::vector<std::byte>& file, const MotoBitmapHeader& header)
{
    PutU32(file.data() + 0, header.Width);
    PutU32(file.data() + 4, header.Height);
    PutU32(file.data() + 8, header.BitDepth);
    PutU32(file.data() + 12, header.RowBytes);
}

} // namespace

std::uint64_t MotoBitmapBytes(const MotoBitmapHeader& header)
{
    const std::uint64_t pixelBytes = static_cast<std::uint64_t>(header.RowBytes) * header.Height;
    // Only the 18-bit layout has a mask after its pixels.
    const std::uint64_t maskBytes =
        header.BitDepth == kBitDepth32 ? 0 : MaskRowBytes(header.Width) * header.Height;
    return kMotoBitmapHeaderSize + pixelBytes + maskBytes;
}

MotoBitmapHeader ReadMotoBitmapHeader(std::span<const std::byte> file)
{
    // Zero-filled first, so that a file shorter than the header reads as one
    // whose missing fields are 0.
    std::array<std::byte, kMotoBitmapHeaderSize> bytes{};
    std::copy_n(file.begin(), std::min(file.size(), bytes.size()), bytes.begin());
    MotoBitmapHeader header;
    header.Width = GetU32(bytes.data() + 0);
    header.Height = GetU32(bytes.data() + 4);
    header.BitDepth = GetU32(bytes.data() + 8);
    header.RowBytes = GetU32(bytes.data() + 12);
    return header;
}

imaging::Bitmap DecodeMotoBitmap18(std::span<const std::byte> file, const fs::path& source)
{
    MotoBitmapHeader header = ReadMotoBitmapHeader(file);
    Layout18 layout = CheckLayout18(header, source);
    std::vector<std::uint8_t> body = BodyOf(file, layout.pixelBytes + layout.maskBytes);
    const std::uint8_t* pixels = body.data();
    // The mask follows the pixel data directly; its rows are located from
    // Width alone, whatever RowBytes says.
    const std::uint8_t* mask = body.data() + layout.pixelBytes;

    imaging::Bitmap picture(header.Width, header.Height);
    for (std::uint32_t y = 0; y < header.Height; ++y) {
        const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * header.RowBytes;
        const std::uint8_t* maskRow = mask + static_cast<std::size_t>(y) * layout.maskRowBytes;
        std::uint32_t* out = picture.Row(y);
        for (std::uint32_t x = 0; x < header.Width; ++x) {
            const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
            std::uint32_t v = p[0] | static_cast<std::uint32_t>(p[1]) << 8 |
                              static_cast<std::uint32_t>(p[2]) << 16;
            std::uint32_t red = ((v >> 12) & 63) << 2;
            std::uint32_t green = ((v >> 6) & 63) << 2;
            std::uint32_t blue = (v & 63) << 2;
            bool opaque = (maskRow[x / 8] >> (x % 8)) & 1;
            std::uint32_t alpha = opaque ? 255 : 0;
            out[x] = alpha << 24 | red << 16 | green << 8 | blue;
        }
    }
    return picture;
}

imaging::Bitmap DecodeMotoBitmap32(std::span<const std::byte> file, const fs::path& source)
{
    MotoBitmapHeader header = ReadMotoBitmapHeader(file);
    CheckNotEmpty(header, source);
    CheckRowBytes(header, 4, source);
    std::vector<std::uint8_t> body = BodyOf(file, CheckedPixelBytes(header, source));

    imaging::Bitmap picture(header.Width, header.Height);
    for (std::uint32_t y = 0; y < header.Height; ++y) {
        const std::uint8_t* row = body.data() + static_cast<std::size_t>(y) * header.RowBytes;
        std::uint32_t* out = picture.Row(y);
        for (std::uint32_t x = 0; x < header.Width; ++x) {
            const std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
            out[x] = p[0] | static_cast<std::uint32_t>(p[1]) << 8 |
                     static_cast<std::uint32_t>(p[2]) << 16 |
                     static_cast<std::uint32_t>(p[3]) << 24;
        }
    }
    return picture;
}

std::vector<std::byte> EncodeMotoBitmap18(const imaging::Bitmap& picture, const fs::path& target)
{
    CheckPicture(picture, target);
    MotoBitmapHeader header;
    header.Width = picture.width;
    header.Height = picture.height;
    header.BitDepth = kBitDepth18;
    std::uint64_t rowBytes = RowBytes18(picture.width);
    std::uint64_t maskRowBytes = MaskRowBytes(picture.width);
    // A mask row is never longer than a pixel row, so this bounds the mask too.
    CheckPictureLimit(picture, rowBytes * picture.height, target);
    header.RowBytes = static_cast<std::uint32_t>(rowBytes);

    auto pixelBytes = static_cast<std::size_t>(rowBytes * picture.height);
    auto maskBytes = static_cast<std::size_t>(maskRowBytes * picture.height);
    // Zero-filled, so row padding and unused mask bits are written as 0.
    std::vector<std::byte> file(kMotoBitmapHeaderSize + pixelBytes + maskBytes);
    PutHeader(file, header);
    auto* pixels = reinterpret_cast<std::uint8_t*>(file.data()) + kMotoBitmapHeaderSize;
    std::uint8_t* mask = pixels + pixelBytes;
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        std::uint8_t* row = pixels + static_cast<std::size_t>(y) * rowBytes;
        std::uint8_t* maskRow = mask + static_cast<std::size_t>(y) * maskRowBytes;
        const std::uint32_t* in = picture.Row(y);
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            std::uint32_t argb = in[x];
            std::uint32_t v =
                ((argb >> 18) & 63) << 12 | ((argb >> 10) & 63) << 6 | ((argb >> 2) & 63);
            std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
            p[0] = static_cast<std::uint8_t>(v);
            p[1] = static_cast<std::uint8_t>(v >> 8);
            p[2] = static_cast<std::uint8_t>(v >> 16);
            // Any alpha above 0 counts as opaque; a transparent pixel keeps
            // its colour.
            if ((argb >> 24) != 0)
                maskRow[x / 8] |= static_cast<std::uint8_t>(1u << (x % 8));
        }
    }
    return file;
}

std::vector<std::byte> EncodeMotoBitmap32(const imaging::Bitmap& picture, const fs::path& target)
{
    CheckPicture(picture, target);
    MotoBitmapHeader header;
    header.Width = picture.width;
    header.Height = picture.height;
    header.BitDepth = kBitDepth32;
    std::uint64_t rowBytes = 4 * static_cast<std::uint64_t>(picture.width);
    CheckPictureLimit(picture, rowBytes * picture.height, target);
    header.RowBytes = static_cast<std::uint32_t>(rowBytes);

    auto pixelBytes = static_cast<std::size_t>(rowBytes * picture.height);
    std::vector<std::byte> file(kMotoBitmapHeaderSize + pixelBytes);
    PutHeader(file, header);
    auto* out = reinterpret_cast<std::uint8_t*>(file.data()) + kMotoBitmapHeaderSize;
    // Rows have no padding, so the pixels run on as one sequence.
    for (std::uint32_t argb : picture.pixels) {
        out[0] = static_cast<std::uint8_t>(argb);
        out[1] = static_cast<std::uint8_t>(argb >> 8);
        out[2] = static_cast<std::uint8_t>(argb >> 16);
        out[3] = static_cast<std::uint8_t>(argb >> 24);
        out += 4;
    }
    return file;
}

} // namespace zefir::imagecodec
