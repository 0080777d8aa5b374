// Writes the corpus of damaged files that BadDataTest walks. Each file is
// made with the project's own writers and then damaged, one folder per kind:
//
//   archive/     EZX archives; extraction must refuse them
//   convmap/     conv.dat files; packing with conversion must refuse them
//   motobitmap/  Moto Bitmaps (".k"); converting from the phone must refuse them
//   raw/         raw pictures, the size in the name; likewise
//   picture/     PNG, GIF, BMP and JPEG files; loading must refuse them
//
// manifest.tsv holds one line per file: its path in the folder, a tab, and
// the message the operation must fail with after "<path>: ". The messages
// are written out here, not taken from the code under test.
//
// Files cut short inside their pixel data are not here: the phone codecs
// read what a short file lacks as zero, so those files convert.
//
// Usage: zefir-make-bad-data FOLDER (CTest runs it into the build folder).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/archive/ConvMap.h"
#include "core/archive/EzxFormat.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"

using namespace zefir;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::byte>;

struct BadFile {
    std::string path;
    Bytes bytes;
    std::string reason;
};

// The generator's own assumptions about what the writers produce; the
// hard-coded offsets and sizes below depend on them.
void Require(bool condition, const std::string& what)
{
    if (!condition)
        throw std::logic_error("zefir-make-bad-data: " + what);
}

void PutLe(Bytes& b, std::size_t at, std::uint64_t value, int size)
{
    Require(at + size <= b.size(), "a field past the end of a base file");
    for (int i = 0; i < size; ++i)
        b[at + i] = static_cast<std::byte>(value >> (8 * i));
}
void PutU32(Bytes& b, std::size_t at, std::uint32_t v) { PutLe(b, at, v, 4); }
void PutU16(Bytes& b, std::size_t at, std::uint16_t v) { PutLe(b, at, v, 2); }
void PutU16Be(Bytes& b, std::size_t at, std::uint16_t v)
{
    b.at(at) = static_cast<std::byte>(v >> 8);
    b.at(at + 1) = static_cast<std::byte>(v);
}
void PutU32Be(Bytes& b, std::size_t at, std::uint32_t v)
{
    PutU16Be(b, at, static_cast<std::uint16_t>(v >> 16));
    PutU16Be(b, at + 2, static_cast<std::uint16_t>(v));
}

Bytes Cut(Bytes b, std::size_t size)
{
    Require(size <= b.size(), "a cut past the end");
    b.resize(size);
    return b;
}

Bytes Text(std::string_view text)
{
    auto b = std::as_bytes(std::span(text));
    return {b.begin(), b.end()};
}

// Opaque pure red, green, blue and white, and one transparent pixel: every
// byte of a Moto Bitmap made from it is free of 0x0A.
imaging::Bitmap Pattern(std::uint32_t width, std::uint32_t height)
{
    constexpr std::uint32_t kColours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    imaging::Bitmap picture(width, height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = kColours[i % 4];
    if (picture.pixels.size() > 4)
        picture.pixels.back() = 0x00123456;
    return picture;
}

std::size_t Find(const Bytes& b, std::string_view what, std::size_t from = 0)
{
    auto it = std::search(b.begin() + static_cast<std::ptrdiff_t>(from), b.end(),
                          reinterpret_cast<const std::byte*>(what.data()),
                          reinterpret_cast<const std::byte*>(what.data()) + what.size());
    Require(it != b.end(), "no \"" + std::string(what) + "\" in a base file");
    return static_cast<std::size_t>(it - b.begin());
}

// A PNG chunk's CRC-32 over its type and data, so that a changed field is
// read rather than refused for its checksum.
void FixPngCrc(Bytes& b, std::size_t chunk)
{
    const std::uint32_t length = static_cast<std::uint32_t>(b.at(chunk)) << 24 |
                                 static_cast<std::uint32_t>(b.at(chunk + 1)) << 16 |
                                 static_cast<std::uint32_t>(b.at(chunk + 2)) << 8 |
                                 static_cast<std::uint32_t>(b.at(chunk + 3));
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = chunk + 4; i < chunk + 8 + length; ++i) {
        crc ^= static_cast<std::uint32_t>(b.at(i));
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    PutU32Be(b, chunk + 8 + length, ~crc);
}

// The frame descriptor (0x2C) of a GIF: after the header, the screen
// descriptor, its colour table and any extensions.
std::size_t GifFrameOffset(const Bytes& b)
{
    std::size_t at = 13;
    const auto flags = static_cast<unsigned>(b.at(10));
    if (flags & 0x80)
        at += 3u << ((flags & 7) + 1);
    while (b.at(at) == std::byte{0x21}) {
        at += 2;
        while (b.at(at) != std::byte{0})
            at += 1 + static_cast<std::size_t>(b.at(at));
        ++at;
    }
    Require(b.at(at) == std::byte{0x2C}, "no frame in the GIF");
    return at;
}

// The two members of the base archive and the offsets the writer gives them:
// names "a.k" and "b.k", so the directory is at 0x40, the entry table at 0x54
// and the member blocks at 0x6C (sizes at 0x70 and 0xA0, data at 0x74 and
// 0xA4); 0xC4 bytes in all.
constexpr std::size_t kNamesBaseField = 0x44;
constexpr std::size_t kEntryCountField = 0x48;
constexpr std::size_t kTableOffsetField = 0x4C;
constexpr std::size_t kEntry1NameOffset = 0x54 + 12 + 4;
constexpr std::size_t kEntry1DataOffset = 0x54 + 12 + 8;
constexpr std::size_t kMember0Size = 0x70;

Bytes BaseArchive(const std::string& secondName)
{
    std::vector<archive::Member> members = {
        {"a.k", imagecodec::EncodeMotoBitmap18(Pattern(2, 2), "a.k")},
        {secondName, imagecodec::EncodeMotoBitmap32(Pattern(2, 2), "b.k")}};
    return archive::BuildArchive(members, "base.ezx");
}

void AddArchives(std::vector<BadFile>& out)
{
    const Bytes base = BaseArchive("b.k");
    Require(base.size() == 0xC4, "the base archive is not 0xC4 bytes");
    auto with = [&](auto damage) {
        Bytes b = base;
        damage(b);
        return b;
    };
    auto nameWithoutEnd = with([](Bytes& b) { PutU32(b, kNamesBaseField, 0x40); });
    Require(std::find(nameWithoutEnd.begin() + 0x40, nameWithoutEnd.begin() + 0x40 + 100,
                      std::byte{0x0A}) == nameWithoutEnd.begin() + 0x40 + 100,
            "a 0x0A within 100 bytes of the directory");

    const std::vector<BadFile> files = {
        {"empty.ezx", {}, "not an EZX archive: the file is too short for its header (0x0 bytes)"},
        {"cut-in-header.ezx", Cut(base, 20),
         "not an EZX archive: the file is too short for its header (0x14 bytes)"},
        {"offset-field-letter.ezx", with([](Bytes& b) { b[20] = std::byte{'z'}; }),
         "the header's offset field \"0000z040\" is not hexadecimal"},
        {"offset-field-control.ezx", with([](Bytes& b) { b[23] = std::byte{0}; }),
         "the header's offset field \"0000004?\" is not hexadecimal"},
        {"cut-in-directory.ezx", Cut(base, 0x4A),
         "the directory at 0x40 lies past the end of the file (0x4A bytes)"},
        {"directory-offset-wraps.ezx",
         with([](Bytes& b) { std::copy_n(Text("fffffff0").begin(), 8, b.begin() + 16); }),
         "the directory at 0xFFFFFFF0 lies past the end of the file (0xC4 bytes)"},
        {"too-many-entries.ezx", with([](Bytes& b) { PutU32(b, kEntryCountField, 65537); }),
         "the directory lists 65537 entries, more than the limit of 65536"},
        {"entry-count-max.ezx", with([](Bytes& b) { PutU32(b, kEntryCountField, 0xFFFFFFFF); }),
         "the directory lists 4294967295 entries, more than the limit of 65536"},
        {"cut-in-table.ezx", Cut(base, 0x65),
         "the entry table at 0x54 (2 entries) runs past the end of the file (0x65 bytes)"},
        {"table-offset-wraps.ezx",
         with([](Bytes& b) { PutU32(b, kTableOffsetField, 0xFFFFFFF8); }),
         "the entry table at 0xFFFFFFF8 (2 entries) runs past the end of the file (0xC4 bytes)"},
        {"name-offset-wraps.ezx",
         with([](Bytes& b) { PutU32(b, kEntry1NameOffset, 0xFFFFFFFF); }),
         "entry 1: the name at 0x100000036 lies past the end of the file (0xC4 bytes)"},
        {"name-without-end.ezx", nameWithoutEnd,
         "entry 0: the name at 0x40 has no end (0x0A) within 100 bytes"},
        {"member-block-past-end.ezx", with([](Bytes& b) { PutU32(b, kEntry1DataOffset, 0x1000); }),
         "entry 1: the member block at 0x106C lies past the end of the file (0xC4 bytes)"},
        {"member-block-wraps.ezx",
         with([](Bytes& b) { PutU32(b, kEntry1DataOffset, 0xFFFFFFFF); }),
         "entry 1: the member block at 0x10000006B lies past the end of the file (0xC4 bytes)"},
        {"member-above-limit.ezx", with([](Bytes& b) { PutU32(b, kMember0Size, 0x100001); }),
         "entry 0: the member's size 0x100001 is above the limit of 1 MiB"},
        {"member-size-max.ezx", with([](Bytes& b) { PutU32(b, kMember0Size, 0xFFFFFFFF); }),
         "entry 0: the member's size 0xFFFFFFFF is above the limit of 1 MiB"},
        {"cut-in-last-member.ezx", Cut(base, 0xC3),
         "entry 1: the member's data at 0xA4 (0x20 bytes) runs past the end of the file (0xC3 "
         "bytes)"},
    };
    for (const BadFile& f : files)
        out.push_back({"archive/" + f.path, f.bytes, f.reason});

    // Member names that would reach outside raws and icons.
    const std::pair<const char*, std::string> unsafe[] = {
        {"parent", "../escape.k"},     {"grandparent", "../../escape.k"},
        {"subfolder", "sub/escape.k"}, {"backslash", "..\\escape.k"},
        {"dot-dot", ".."},             {"nul", std::string("nul\0.k", 6)},
    };
    for (const auto& [file, name] : unsafe) {
        std::string shown = name;
        if (auto nul = shown.find('\0'); nul != std::string::npos)
            shown.replace(nul, 1, "\\x00");
        out.push_back({"archive/unsafe-name-" + std::string(file) + ".ezx", BaseArchive(name),
                       "entry 1: member name \"" + shown + "\" is not a safe file name"});
    }
}

void AddConvMaps(std::vector<BadFile>& out)
{
    // Two records of 17 bytes: count at 0; record 0 at 4 (names at 8 and 15,
    // kind at 0x14); record 1 at 0x15 (picture name length at 0x1C, picture
    // name at 0x20, kind at 0x25); 0x26 bytes in all.
    std::vector<std::byte> image;
    archive::AppendConvRec(image, {"a.k", "a.bmp", imagecodec::ImageKind::ikMotoBitmap18}, "m");
    archive::AppendConvRec(image, {"b.g", "b.gif", imagecodec::ImageKind::ikMotoImage}, "m");
    const Bytes base = archive::ConvMapFileBytes(2, image);
    Require(base.size() == 0x26, "the base map is not 0x26 bytes");
    auto with = [&](std::size_t at, std::uint32_t value, int size) {
        Bytes b = base;
        PutLe(b, at, value, size);
        return b;
    };
    Bytes overLimit = base;
    overLimit.resize(archive::kMapBufferSize + 1);

    const std::vector<BadFile> files = {
        {"empty.dat", {}, "record count at 0x0 runs past the end of the file (0x0 bytes)"},
        {"cut-in-count.dat", Cut(base, 3),
         "record count at 0x0 runs past the end of the file (0x3 bytes)"},
        {"count-one-too-many.dat", with(0, 3, 4),
         "record 2: member name length at 0x26 runs past the end of the file (0x26 bytes)"},
        {"count-max.dat", with(0, 0xFFFFFFFF, 4),
         "the record count 4294967295 does not fit in the file (0x26 bytes)"},
        {"name-length-max.dat", with(4, 0xFFFFFFFF, 4),
         "record 0: member name at 0x8 runs past the end of the file (0x26 bytes)"},
        {"picture-name-past-end.dat", with(0x1C, 0x100, 4),
         "record 1: picture name at 0x20 runs past the end of the file (0x26 bytes)"},
        {"cut-in-record.dat", Cut(base, 0x1E),
         "record 1: picture name length at 0x1C runs past the end of the file (0x1E bytes)"},
        {"kind-missing.dat", Cut(base, 0x25),
         "record 1: image kind at 0x25 runs past the end of the file (0x25 bytes)"},
        {"kind-5.dat", with(0x14, 5, 1), "record 0: image kind 5 is not one of 0 to 4"},
        {"kind-255.dat", with(0x25, 255, 1), "record 1: image kind 255 is not one of 0 to 4"},
        {"over-limit.dat", overLimit, "file is too large (0x100001 bytes, at most 0x100000)"},
    };
    for (const BadFile& f : files)
        out.push_back({"convmap/" + f.path, f.bytes, f.reason});
}

void AddMotoBitmaps(std::vector<BadFile>& out)
{
    // 5 x 2 pixels: 18-bit RowBytes 16, mask rows 4; 32-bit RowBytes 20.
    const Bytes base18 = imagecodec::EncodeMotoBitmap18(Pattern(5, 2), "a.k");
    const Bytes base32 = imagecodec::EncodeMotoBitmap32(Pattern(5, 2), "b.k");
    Require(base18.size() == 56 && base32.size() == 56, "the base Moto Bitmaps are not 56 bytes");
    // A header alone: width, height, BitDepth and RowBytes.
    auto header = [](std::uint32_t w, std::uint32_t h, std::uint32_t depth, std::uint32_t row) {
        Bytes b(16);
        PutU32(b, 0, w);
        PutU32(b, 4, h);
        PutU32(b, 8, depth);
        PutU32(b, 12, row);
        return b;
    };
    auto with = [](Bytes b, std::size_t at, std::uint32_t value) {
        PutU32(b, at, value);
        return b;
    };
    const std::string overlap = "the Moto Bitmap header's RowBytes ";
    const std::vector<BadFile> files = {
        {"empty.k", {}, "the Moto Bitmap header gives an empty picture (0 x 0 pixels)"},
        {"cut-after-width.k", Cut(base18, 4),
         "the Moto Bitmap header gives an empty picture (5 x 0 pixels)"},
        {"cut-in-header-18.k", Cut(base18, 12),
         overlap + "(0) is smaller than 3 x Width (15): its pixel rows would overlap"},
        {"cut-in-header-32.k", Cut(base32, 12),
         overlap + "(0) is smaller than 4 x Width (20): its pixel rows would overlap"},
        {"zero-width-18.k", with(base18, 0, 0),
         "the Moto Bitmap header gives an empty picture (0 x 2 pixels)"},
        {"zero-height-32.k", with(base32, 4, 0),
         "the Moto Bitmap header gives an empty picture (5 x 0 pixels)"},
        {"rows-overlap-18.k", with(base18, 12, 14),
         overlap + "(14) is smaller than 3 x Width (15): its pixel rows would overlap"},
        {"rows-overlap-32.k", with(base32, 12, 19),
         overlap + "(19) is smaller than 4 x Width (20): its pixel rows would overlap"},
        {"width-max-18.k", header(0xFFFFFFFF, 1, 18, 0xFFFFFFFF),
         overlap + "(4294967295) is smaller than 3 x Width (12884901885): its pixel rows would "
                   "overlap"},
        {"oversized-18.k", header(640, 641, 18, 1920),
         "the Moto Bitmap's pixel data takes 0x12C780 bytes, more than the limit of 0x12C001"},
        {"oversized-32.k", header(641, 480, 32, 2564),
         "the Moto Bitmap's pixel data takes 0x12C780 bytes, more than the limit of 0x12C001"},
        {"oversized-mask-18.k", header(1, 400000, 18, 3),
         "the Moto Bitmap's mask takes 0x186A00 bytes, more than the limit of 0x12C001"},
        {"sizes-wrap-32.k", header(0x3FFFFFFF, 0xFFFFFFFF, 32, 0xFFFFFFFC),
         "the Moto Bitmap's pixel data takes 0xFFFFFFFB00000004 bytes, more than the limit of "
         "0x12C001"},
    };
    for (const BadFile& f : files)
        out.push_back({"motobitmap/" + f.path, f.bytes, f.reason});
}

void AddRawPictures(std::vector<BadFile>& out)
{
    // A whole 10 x 10 picture under names that claim other sizes.
    const Bytes ten = imagecodec::EncodeRawPicture(Pattern(10, 10), "a(10x10).raw");
    const std::string tooMany = " pixels a raw picture can hold";
    const std::vector<BadFile> files = {
        {"oversized(200x200).raw", ten,
         "the picture size in the name, 200x200, is more than the 38721" + tooMany},
        {"one-too-many(38722x01).raw", ten,
         "the picture size in the name, 38722x1, is more than the 38721" + tooMany},
        {"sides-wrap(65536x65536).raw", ten,
         "the picture size in the name, 65536x65536, is more than the 38721" + tooMany},
        {"negative(16x-5).raw", ten, "the picture size in the name, 16x-5, is not positive"},
        {"hex-height(16x$FFFFFFFF).raw", ten,
         "the picture size in the name, 16x-1, is not positive"},
        {"wide(2147483648x01).raw", ten,
         "the picture width in the name, 2147483648, is larger than 2147483647"},
    };
    for (const BadFile& f : files)
        out.push_back({"raw/" + f.path, f.bytes, f.reason});
}

std::string TooLarge(const std::string& format, const std::string& size)
{
    return format + " picture is too large: " + size +
           " pixels (at most 16384 a side and 16777216 in all)";
}

void AddPictures(std::vector<BadFile>& out)
{
    const auto picture = Pattern(5, 2);
    const Bytes png = imaging::EncodePicture(picture, "image/png", "x.png");
    const Bytes gif = imaging::EncodePicture(picture, "image/gif", "x.gif");
    const Bytes bmp = imaging::EncodePicture(picture, "image/bmp", "x.bmp");
    const Bytes jpg = imaging::EncodePicture(Pattern(16, 16), "image/jpeg", "x.jpg");
    auto hex = [](std::size_t v) {
        char text[32];
        std::snprintf(text, sizeof text, "0x%zX", v);
        return std::string(text);
    };
    auto runsPast = [&](const std::string& format, std::size_t size) {
        return format + " data runs past the end of the file (" + hex(size) + " bytes)";
    };
    auto changed = [](Bytes b, auto change) {
        change(b);
        return b;
    };

    // PNG: IHDR at 8, its fields at 16 (width), 20 (height), 25 (colour type).
    const std::size_t idat = Find(png, "IDAT") - 4;
    auto ihdr = [&](auto change) {
        return changed(png, [&](Bytes& b) {
            change(b);
            FixPngCrc(b, 8);
        });
    };
    Bytes noIdat = Cut(png, idat);
    const Bytes iend = {png.end() - 12, png.end()};
    noIdat.insert(noIdat.end(), iend.begin(), iend.end());

    // GIF: screen width at 6; the frame's LZW code size right after its
    // 10-byte descriptor.
    const std::size_t frame = GifFrameOffset(gif);
    Bytes noFrame = Cut(gif, frame);
    noFrame.push_back(std::byte{0x3B});

    // BMP: the writer's V5 header; pixel data at 0x8A.
    Require(bmp.size() == 0xB2, "the BMP is not 0xB2 bytes");
    auto bmpField = [&](std::size_t at, std::uint32_t value, int size) {
        return changed(bmp, [&](Bytes& b) { PutLe(b, at, value, size); });
    };
    // An 8-bit RLE picture: the first 40 bytes of the writer's header are a
    // BITMAPINFOHEADER, a 2-entry colour table follows, then the RLE data.
    auto rle8 = [&](std::initializer_list<unsigned> data) {
        Bytes b = Cut(bmp, 14 + 40 + 8);
        PutU32(b, 10, 14 + 40 + 8);
        PutU32(b, 14, 40);
        PutU16(b, 28, 8);
        PutU32(b, 30, 1);
        PutU32(b, 46, 2);
        for (unsigned v : data)
            b.push_back(static_cast<std::byte>(v));
        return b;
    };

    // JPEG: the frame header (FF C0) holds the height at +5 and the width at
    // +7; the scan (FF DA) follows the tables.
    const std::size_t sof = Find(jpg, "\xFF\xC0");
    const std::size_t sos = Find(jpg, "\xFF\xDA");
    // A stream of tables alone, ended by its end marker (FF D9).
    Bytes tablesOnly = Cut(jpg, sof);
    tablesOnly.insert(tablesOnly.end(), jpg.end() - 2, jpg.end());

    const std::vector<BadFile> files = {
        {"signature-only.png", Cut(png, 8), runsPast("PNG", 8)},
        {"cut-in-header.png", Cut(png, 20), runsPast("PNG", 20)},
        {"cut-in-pixels.png", Cut(png, idat + 12), runsPast("PNG", idat + 12)},
        {"no-pixels.png", noIdat, "PNG data is damaged: IEND: out of place"},
        {"zero-width.png", ihdr([](Bytes& b) { PutU32Be(b, 16, 0); }),
         "PNG picture has no pixels (0 x 2 pixels)"},
        {"too-wide.png", ihdr([](Bytes& b) { PutU32Be(b, 16, 16385); }),
         TooLarge("PNG", "16385 x 2")},
        {"too-many-pixels.png",
         ihdr([](Bytes& b) {
             PutU32Be(b, 16, 16384);
             PutU32Be(b, 20, 1025);
         }),
         TooLarge("PNG", "16384 x 1025")},
        {"header-checksum.png", changed(png, [](Bytes& b) { b[29] ^= std::byte{0xFF}; }),
         "PNG data is damaged: IHDR: CRC error"},
        {"colour-type.png", ihdr([](Bytes& b) { b[25] = std::byte{5}; }),
         "PNG data is damaged: Invalid IHDR data"},
        {"pixels-not-zlib.png",
         changed(png,
                 [&](Bytes& b) {
                     b[idat + 8] = std::byte{0xFF};
                     FixPngCrc(b, idat);
                 }),
         "PNG data is damaged: IDAT: invalid window size (libpng)"},

        {"header-only.gif", Cut(gif, 6), runsPast("GIF", 6)},
        {"cut-in-colour-table.gif", Cut(gif, 15), runsPast("GIF", 15)},
        {"cut-in-pixels.gif", Cut(gif, frame + 12), runsPast("GIF", frame + 12)},
        {"no-frame.gif", noFrame, "GIF holds no picture"},
        {"too-wide.gif", changed(gif, [](Bytes& b) { PutU16(b, 6, 20000); }),
         TooLarge("GIF", "20000 x 2")},
        {"frame-grows-too-wide.gif",
         changed(gif, [&](Bytes& b) { PutU16(b, frame + 1, 0xFFFF); }),
         TooLarge("GIF", "65540 x 2")},
        {"zero-size.gif",
         changed(gif,
                 [&](Bytes& b) {
                     PutU32(b, 6, 0);
                     PutU32(b, frame + 5, 0);
                 }),
         "GIF picture has no pixels (0 x 0 pixels)"},
        {"wrong-record.gif", changed(gif, [&](Bytes& b) { b[frame] = std::byte{0x99}; }),
         "GIF data is damaged: Wrong record type detected"},
        {"code-size.gif", changed(gif, [&](Bytes& b) { b[frame + 10] = std::byte{12}; }),
         "GIF data is damaged: Failed to read from given file"},

        {"cut-in-file-header.bmp", Cut(bmp, 10),
         "BMP file header at 0xA runs past the end of the file (0xA bytes)"},
        {"cut-in-info-header.bmp", Cut(bmp, 40),
         "BMP info header at 0xE runs past the end of the file (0x28 bytes)"},
        {"cut-in-pixels.bmp", Cut(bmp, 0xB1),
         "BMP pixel data at 0x8A runs past the end of the file (0xB1 bytes)"},
        {"header-size.bmp", bmpField(14, 64, 4), "BMP info header of 64 bytes is not supported"},
        {"planes.bmp", bmpField(26, 2, 2), "BMP info header gives 2 colour planes, not 1"},
        {"bits-per-pixel.bmp", bmpField(28, 7, 2), "BMP of 7 bits per pixel is not supported"},
        {"compression.bmp", bmpField(30, 9, 4), "BMP compression 9 is not supported"},
        {"compression-mismatch.bmp", bmpField(30, 1, 4),
         "BMP compression 1 does not fit 32 bits per pixel"},
        {"negative-width.bmp", bmpField(18, 0xFFFFFFFB, 4), "BMP width is negative (-5)"},
        {"zero-height.bmp", bmpField(22, 0, 4), "BMP picture has no pixels (5 x 0 pixels)"},
        {"too-wide.bmp", bmpField(18, 20000, 4), TooLarge("BMP", "20000 x 2")},
        {"height-min.bmp", bmpField(22, 0x80000000, 4), TooLarge("BMP", "5 x 2147483648")},
        {"pixels-in-header.bmp", bmpField(10, 20, 4), "BMP pixel data at 0x14 overlaps the header"},
        {"pixels-past-end.bmp", bmpField(10, 0xFFFFFFF0, 4),
         "BMP pixel data at 0xFFFFFFF0 runs past the end of the file (0xB2 bytes)"},
        {"rle-without-end.bmp", rle8({2, 1}),
         "BMP RLE data at 0x40 runs past the end of the file (0x40 bytes)"},
        {"rle-literal-past-end.bmp", rle8({0, 5, 1, 0}),
         "BMP RLE data at 0x40 runs past the end of the file (0x42 bytes)"},

        {"start-only.jpg", Cut(jpg, 3), runsPast("JPEG", 3)},
        {"cut-in-tables.jpg", Cut(jpg, sof - 4), runsPast("JPEG", sof - 4)},
        {"tables-only.jpg", tablesOnly, "JPEG holds no picture"},
        {"cut-before-scan.jpg", Cut(jpg, sos),
         "JPEG data is damaged: Invalid JPEG file structure: missing SOS marker"},
        {"cut-in-scan.jpg", Cut(jpg, sos + 40), runsPast("JPEG", sos + 40)},
        {"zero-width.jpg", changed(jpg, [&](Bytes& b) { PutU16Be(b, sof + 7, 0); }),
         "JPEG data is damaged: Empty JPEG image (DNL not supported)"},
        {"too-wide.jpg", changed(jpg, [&](Bytes& b) { PutU16Be(b, sof + 7, 20000); }),
         TooLarge("JPEG", "20000 x 16")},
    };
    for (const BadFile& f : files)
        out.push_back({"picture/" + f.path, f.bytes, f.reason});
}

void Write(const fs::path& path, std::span<const std::byte> bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zefir-make-bad-data FOLDER\n");
        return 2;
    }
    const fs::path folder = argv[1];
    try {
        std::vector<BadFile> files;
        AddArchives(files);
        AddConvMaps(files);
        AddMotoBitmaps(files);
        AddRawPictures(files);
        AddPictures(files);
        // Earlier runs may have left files that are no longer made.
        for (const char* kind : {"archive", "convmap", "motobitmap", "raw", "picture"})
            fs::remove_all(folder / kind);
        std::string manifest;
        for (const BadFile& f : files) {
            Require(f.reason.find_first_of("\t\n") == std::string::npos,
                    "a tab or line break in a reason");
            Write(folder / f.path, f.bytes);
            manifest += f.path + "\t" + f.reason + "\n";
        }
        Write(folder / "manifest.tsv", std::as_bytes(std::span(manifest)));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zefir-make-bad-data: %s\n", e.what());
        return 1;
    }
    return 0;
}
