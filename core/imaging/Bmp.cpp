// BMP: the header, colour-table pictures and RLE read here, 16-, 24- and
// 32-bit pixels by stb_image (StbImageBmp.cpp), the 32-bit writer here.
//
// Layout (little-endian):
//   +0   "BM"
//   +2   file size (u32), +6 two reserved u16
//   +10  offset of the pixel data from the start of the file (u32)
//   +14  info header, its size first (u32):
//        12 (core):        +18 width, +20 height, +22 planes, +24 bits per
//                          pixel (u16 each); rows always bottom-up.
//        40, 108 (V4), 124 (V5):
//                          +18 width (i32), +22 height (i32; negative means
//                          rows top-down), +26 planes (u16), +28 bits per
//                          pixel (u16), +30 compression (u32: 0 BI_RGB,
//                          1 BI_RLE8, 2 BI_RLE4, 3 BI_BITFIELDS), +34 image
//                          size, +38 and +42 resolution, +46 colours used,
//                          +50 colours important.
//        108 and 124:      +54 red, +58 green, +62 blue, +66 alpha masks,
//                          +70 colour space type, +74 endpoints (36 bytes),
//                          +110 gamma red, green, blue.
//        124:              +122 intent, +126 profile offset, +130 profile
//                          size, +134 reserved.
//   A 40-byte header with BI_BITFIELDS is followed by the red, green and
//   blue masks (3 x u32). Pictures of 1, 4 and 8 bits have a colour table
//   after the header: B, G, R and a zero byte an entry (B, G, R for core).
//   Pixel rows are padded to a multiple of 4 bytes.
//
// RLE8 and RLE4 data is a run of byte pairs (count, value): a count above 0
// repeats value (RLE4: its two nibbles in turn) count times; count 0 is an
// escape: value 0 ends the row, 1 ends the picture, 2 moves right and up by
// the next two bytes, 3 and above are that many literal pixels padded to an
// even number of bytes. Pixels the data never sets stay transparent.

#include <array>
#include <string>

#include "core/ByteReader.h"
#include "core/Error.h"
#include "core/Message.h"
#include "core/imaging/Codecs.h"

namespace zefir::imaging {

namespace {

// The parts of a BMP file that messages name.
constexpr MessageText kFileHeaderField = ZEFIR_MESSAGE("zefir::imaging", "BMP file header");
constexpr MessageText kInfoHeaderField = ZEFIR_MESSAGE("zefir::imaging", "BMP info header");
constexpr MessageText kColourTableField = ZEFIR_MESSAGE("zefir::imaging", "BMP colour table");
constexpr MessageText kPixelDataField = ZEFIR_MESSAGE("zefir::imaging", "BMP pixel data");
constexpr MessageText kRleDataField = ZEFIR_MESSAGE("zefir::imaging", "BMP RLE data");
constexpr MessageText kColourMasksField = ZEFIR_MESSAGE("zefir::imaging", "BMP colour masks");

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kV5HeaderSize = 124;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

constexpr std::uint32_t kOpaqueBlack = 0xFF000000;

struct BmpHeader {
    std::uint32_t dataOffset = 0;
    std::uint32_t headerSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t coloursUsed = 0;
};

std::uint16_t U16At(const ByteReader& r, std::size_t offset, const MessageText& what)
{
    auto b = r.BytesAt(offset, 2, what);
    return static_cast<std::uint16_t>(static_cast<unsigned>(b[0]) | static_cast<unsigned>(b[1])
                                                                        << 8);
}

BmpHeader ReadHeader(const ByteReader& r)
{
    BmpHeader h;
    h.dataOffset = r.U32At(10, kFileHeaderField);
    h.headerSize = r.U32At(kFileHeaderSize, kInfoHeaderField);
    if (h.headerSize != kCoreHeaderSize && h.headerSize != kInfoHeaderSize &&
        h.headerSize != kV4HeaderSize && h.headerSize != kV5HeaderSize)
        r.Fail(Fill(ZEFIR_MESSAGE("zefir::imaging", "BMP info header of %1 bytes is not supported"),
                    h.headerSize));
    r.BytesAt(kFileHeaderSize, h.headerSize, kInfoHeaderField);

    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint16_t planes = 0;
    if (h.headerSize == kCoreHeaderSize) {
        width = U16At(r, 18, kInfoHeaderField);
        height = U16At(r, 20, kInfoHeaderField);
        planes = U16At(r, 22, kInfoHeaderField);
        h.bitsPerPixel = U16At(r, 24, kInfoHeaderField);
    } else {
        width = static_cast<std::int32_t>(r.U32At(18, kInfoHeaderField));
        height = static_cast<std::int32_t>(r.U32At(22, kInfoHeaderField));
        planes = U16At(r, 26, kInfoHeaderField);
        h.bitsPerPixel = U16At(r, 28, kInfoHeaderField);
        h.compression = r.U32At(30, kInfoHeaderField);
        h.coloursUsed = r.U32At(46, kInfoHeaderField);
    }
    if (width < 0)
        r.Fail(Fill(ZEFIR_MESSAGE("zefir::imaging", "BMP width is negative (%1)"), width));
    h.topDown = height < 0;
    if (height < 0)
        height = -height;
    CheckDimensions(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), "BMP",
                    r.path());
    h.width = static_cast<std::uint32_t>(width);
    h.height = static_cast<std::uint32_t>(height);

    if (planes != 1)
        r.Fail(
            Fill(ZEFIR_MESSAGE("zefir::imaging", "BMP info header gives %1 colour planes, not 1"),
                 planes));
    const std::uint16_t bpp = h.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        r.Fail(Fill(ZEFIR_MESSAGE("zefir::imaging", "BMP of %1 bits per pixel is not supported"),
                    bpp));
    if (h.headerSize == kCoreHeaderSize && (bpp == 16 || bpp == 32))
        r.Fail(Fill(ZEFIR_MESSAGE("zefir::imaging",
                                  "BMP core header with %1 bits per pixel is not supported"),
                    bpp));
    bool fits = h.compression == kBiRgb || (h.compression == kBiRle8 && bpp == 8) ||
                (h.compression == kBiRle4 && bpp == 4) ||
                (h.compression == kBiBitfields && (bpp == 16 || bpp == 32));
    if (h.compression > kBiBitfields)
        r.Fail(Fill(ZEFIR_MESSAGE("zefir::imaging", "BMP compression %1 is not supported"),
                    h.compression));
    if (!fits)
        r.Fail(Fill(
            ZEFIR_MESSAGE("zefir::imaging", "BMP compression %1 does not fit %2 bits per pixel"),
            h.compression, bpp));
    if (h.dataOffset < kFileHeaderSize + h.headerSize)
        r.Fail(Fill(ZEFIR_MESSAGE("zefir::imaging", "BMP pixel data at %1 overlaps the header"),
                    Hex(h.dataOffset)));
    return h;
}

std::uint64_t RowStride(const BmpHeader& h)
{
    return (std::uint64_t{h.width} * h.bitsPerPixel + 31) / 32 * 4;
}

std::uint32_t RowY(const BmpHeader& h, std::uint64_t row)
{
    return static_cast<std::uint32_t>(h.topDown ? row : h.height - 1 - row);
}

// The colour table; entries it lacks (and indices past them) are opaque black.
std::array<std::uint32_t, 256> ReadColourTable(const ByteReader& r, const BmpHeader& h)
{
    std::array<std::uint32_t, 256> table;
    table.fill(kOpaqueBlack);
    std::size_t start = kFileHeaderSize + h.headerSize;
    std::size_t entrySize = h.headerSize == kCoreHeaderSize ? 3 : 4;
    std::size_t count = std::size_t{1} << h.bitsPerPixel;
    if (h.coloursUsed != 0 && h.coloursUsed < count)
        count = h.coloursUsed;
    // The table ends where the pixels begin, whatever the header says.
    count = std::min(count, (h.dataOffset - start) / entrySize);
    auto bytes = r.BytesAt(start, count * entrySize, kColourTableField);
    for (std::size_t i = 0; i < count; ++i) {
        const std::byte* e = bytes.data() + i * entrySize;
        table[i] = Argb(0xFF, std::uint8_t(e[2]), std::uint8_t(e[1]), std::uint8_t(e[0]));
    }
    return table;
}

void DecodeIndexed(const ByteReader& r, const BmpHeader& h,
                   const std::array<std::uint32_t, 256>& table, Bitmap& bitmap)
{
    std::uint64_t stride = RowStride(h);
    auto data = r.BytesAt(h.dataOffset, stride * h.height, kPixelDataField);
    const int bpp = h.bitsPerPixel;
    const unsigned mask = (1u << bpp) - 1;
    for (std::uint32_t row = 0; row < h.height; ++row) {
        const std::byte* in = data.data() + row * stride;
        std::uint32_t* out = bitmap.Row(RowY(h, row));
        for (std::uint32_t x = 0; x < h.width; ++x) {
            std::uint64_t bit = std::uint64_t{x} * bpp;
            unsigned byte = static_cast<unsigned>(in[bit / 8]);
            out[x] = table[(byte >> (8 - bpp - bit % 8)) & mask];
        }
    }
}

void DecodeRle(const ByteReader& r, const BmpHeader& h, const std::array<std::uint32_t, 256>& table,
               Bitmap& bitmap)
{
    const bool rle4 = h.compression == kBiRle4;
    std::size_t pos = h.dataOffset;
    std::uint64_t x = 0;
    std::uint64_t row = 0;
    // Pixels past the right edge are dropped, as Windows does.
    auto put = [&](unsigned index) {
        if (x < h.width)
            bitmap.Row(RowY(h, row))[x] = table[index];
        ++x;
    };
    // Data after the last row is ignored; data that ends before it, without
    // an end-of-picture mark, is a truncated file.
    while (row < h.height) {
        unsigned count = r.U8At(pos, kRleDataField);
        unsigned value = r.U8At(pos + 1, kRleDataField);
        pos += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i)
                put(rle4 ? (i % 2 == 0 ? value >> 4 : value & 0xF) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            x += r.U8At(pos, kRleDataField);
            row += r.U8At(pos + 1, kRleDataField);
            pos += 2;
        } else {
            std::size_t length = rle4 ? (value + 1) / 2 : value;
            auto literal = r.BytesAt(pos, length, kRleDataField);
            for (unsigned i = 0; i < value; ++i) {
                auto byte = static_cast<unsigned>(literal[rle4 ? i / 2 : i]);
                put(rle4 ? (i % 2 == 0 ? byte >> 4 : byte & 0xF) : byte);
            }
            pos += length + length % 2;
        }
    }
}

void DecodeTrueColour(std::span<const std::byte> bytes, const ByteReader& r, const BmpHeader& h,
                      Bitmap& bitmap)
{
    std::uint64_t pixelBytes = RowStride(h) * h.height;
    r.BytesAt(h.dataOffset, pixelBytes, kPixelDataField);
    std::size_t maskBytes =
        h.headerSize == kInfoHeaderSize && h.compression == kBiBitfields ? 12 : 0;
    std::size_t headerEnd = kFileHeaderSize + h.headerSize + maskBytes;
    r.BytesAt(kFileHeaderSize + h.headerSize, maskBytes, kColourMasksField);
    if (h.dataOffset < headerEnd)
        r.Fail(
            Fill(ZEFIR_MESSAGE("zefir::imaging", "BMP pixel data at %1 overlaps the colour masks"),
                 Hex(h.dataOffset)));

    // stb_image wants the pixels right after the header; a gap (a colour
    // table or profile before the pixels of a true-colour file) is closed in
    // a copy.
    std::vector<std::byte> compact;
    if (h.dataOffset > headerEnd) {
        compact.assign(bytes.begin(), bytes.begin() + headerEnd);
        compact.insert(compact.end(), bytes.begin() + h.dataOffset,
                       bytes.begin() + h.dataOffset + pixelBytes);
        PutU32(compact.data() + 10, static_cast<std::uint32_t>(headerEnd));
        bytes = compact;
    }
    std::string failure = StbDecodeBmp(bytes, bitmap);
    if (!failure.empty())
        ThrowDamaged("BMP", failure, r.path());
}

} // namespace

Bitmap DecodeBmp(std::span<const std::byte> bytes, const fs::path& path)
{
    ByteReader r(bytes, path);
    BmpHeader h = ReadHeader(r);
    Bitmap bitmap(h.width, h.height);
    if (h.bitsPerPixel > 8) {
        DecodeTrueColour(bytes, r, h, bitmap);
        return bitmap;
    }
    auto table = ReadColourTable(r, h);
    if (h.compression == kBiRgb)
        DecodeIndexed(r, h, table, bitmap);
    else
        DecodeRle(r, h, table, bitmap);
    return bitmap;
}

// Writes 32 bits per pixel with a BITMAPV5HEADER whose alpha mask keeps the
// alpha channel, rows bottom-up.
std::vector<std::byte> EncodeBmp(const Bitmap& bitmap)
{
    constexpr std::uint32_t kDataOffset = kFileHeaderSize + kV5HeaderSize;
    constexpr std::uint32_t kSrgb = 0x73524742;     // 'sRGB'
    constexpr std::uint32_t kIntentImages = 4;      // LCS_GM_IMAGES
    constexpr std::uint32_t kPixelsPerMetre = 2835; // 72 dots per inch
    const std::uint32_t imageSize = bitmap.width * bitmap.height * 4;

    std::vector<std::byte> out(kDataOffset + std::size_t{imageSize});
    std::byte* p = out.data();
    auto u16 = [](std::byte* at, std::uint16_t v) {
        at[0] = static_cast<std::byte>(v);
        at[1] = static_cast<std::byte>(v >> 8);
    };
    p[0] = std::byte{'B'};
    p[1] = std::byte{'M'};
    PutU32(p + 2, kDataOffset + imageSize);
    PutU32(p + 10, kDataOffset);
    PutU32(p + 14, kV5HeaderSize);
    PutU32(p + 18, bitmap.width);
    PutU32(p + 22, bitmap.height); // positive: bottom-up
    u16(p + 26, 1);                // planes
    u16(p + 28, 32);               // bits per pixel
    PutU32(p + 30, kBiBitfields);
    PutU32(p + 34, imageSize);
    PutU32(p + 38, kPixelsPerMetre);
    PutU32(p + 42, kPixelsPerMetre);
    PutU32(p + 54, 0x00FF0000); // red mask
    PutU32(p + 58, 0x0000FF00); // green mask
    PutU32(p + 62, 0x000000FF); // blue mask
    PutU32(p + 66, 0xFF000000); // alpha mask
    PutU32(p + 70, kSrgb);
    PutU32(p + 122, kIntentImages);
    // The rest of the header (colours used, endpoints, gamma, profile) is 0.

    std::byte* pixels = p + kDataOffset;
    for (std::uint32_t row = 0; row < bitmap.height; ++row) {
        const std::uint32_t* in = bitmap.Row(bitmap.height - 1 - row);
        for (std::uint32_t x = 0; x < bitmap.width; ++x, pixels += 4)
            PutU32(pixels, in[x]);
    }
    return out;
}

} // namespace zefir::imaging
