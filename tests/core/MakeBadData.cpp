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

// Sets the field of `size` bytes at `at`, little-endian unless bigEndian.
void Put(Bytes& b, std::size_t at, std::uint64_t value, int size = 4, bool bigEndian = false)
{
    Require(at + size <= b.size(), "a field past the end of a base file");
    for (int i = 0; i < size; ++i)
        b[at + (bigEndian ? size - 1 - i : i)] = static_cast<std::byte>(value >> (8 * i));
}

Bytes With(Bytes b, std::size_t at, std::uint64_t value, int size = 4, bool bigEndian = false)
{
    Put(b, at, value, size, bigEndian);
    return b;
}

Bytes Cut(Bytes b, std::size_t size)
{
    Require(size <= b.size(), "a cut past the end");
    b.resize(size);
    return b;
}

// The first `size` bytes, then the last `tail` bytes of the file.
Bytes CutKeepingTail(const Bytes& b, std::size_t size, std::size_t tail)
{
    Bytes out = Cut(b, size);
    out.insert(out.end(), b.end() - static_cast<std::ptrdiff_t>(tail), b.end());
    return out;
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

std::size_t Find(const Bytes& b, std::string_view what)
{
    auto it = std::search(b.begin(), b.end(), reinterpret_cast<const std::byte*>(what.data()),
                          reinterpret_cast<const std::byte*>(what.data()) + what.size());
    Require(it != b.end(), "no \"" + std::string(what) + "\" in a base file");
    return static_cast<std::size_t>(it - b.begin());
}

// A PNG chunk's CRC-32 over its type and data, so that a changed field is
// read rather than refused for its checksum.
Bytes FixPngCrc(Bytes b, std::size_t chunk)
{
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length = length << 8 | static_cast<std::uint32_t>(b.at(chunk + i));
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = chunk + 4; i < chunk + 8 + length; ++i) {
        crc ^= static_cast<std::uint32_t>(b.at(i));
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    Put(b, chunk + 8 + length, ~crc, 4, true);
    return b;
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

void Add(std::vector<BadFile>& out, const std::string& kind, std::vector<BadFile> files)
{
    for (BadFile& f : files)
        out.push_back({kind + "/" + f.path, std::move(f.bytes), std::move(f.reason)});
}

// A file whose reader finds `what` running or lying past its end.
BadFile PastEnd(std::string path, Bytes bytes, const std::string& what)
{
    const std::string size = ByteCount(bytes.size());
    return {std::move(path), std::move(bytes), what + " past the end of the file (" + size + ")"};
}

void AddArchives(std::vector<BadFile>& out)
{
    // Members "a.k" and "b.k": the directory is at 0x40 (NamesBase at 0x44,
    // EntryCount at 0x48, TableOffset at 0x4C), the entry table at 0x54
    // (entry 1's NameOffset at 0x64, DataOffset at 0x68) and the member
    // blocks at 0x6C (sizes at 0x70 and 0xA0, data at 0x74 and 0xA4); 0xC4
    // bytes in all.
    std::vector<archive::Member> members = {
        {"a.k", imagecodec::EncodeMotoBitmap18(Pattern(2, 2), "a.k")},
        {"b.k", imagecodec::EncodeMotoBitmap32(Pattern(2, 2), "b.k")}};
    const Bytes base = archive::BuildArchive(members, "base.ezx");
    Require(base.size() == 0xC4, "the base archive is not 0xC4 bytes");
    const std::string tooShort = "not an EZX archive: the file is too short for its header (";
    Add(out, "archive",
        {
            {"empty.ezx", {}, tooShort + "0 bytes)"},
            {"cut-in-header.ezx", Cut(base, 20), tooShort + "20 bytes)"},
            {"offset-field-letter.ezx", With(base, 20, 'z', 1),
             "the header's offset field \"0000z040\" is not hexadecimal"},
            {"offset-field-control.ezx", With(base, 23, 0, 1),
             "the header's offset field \"0000004?\" is not hexadecimal"},
            PastEnd("cut-in-directory.ezx", Cut(base, 0x4A), "the directory at 0x40 lies"),
            // The offset field "fffffff0".
            PastEnd("directory-offset-wraps.ezx", With(base, 16, 0x3066666666666666, 8),
                    "the directory at 0xFFFFFFF0 lies"),
            {"too-many-entries.ezx", With(base, 0x48, 65537),
             "the directory lists 65537 entries, more than the limit of 65536"},
            {"entry-count-max.ezx", With(base, 0x48, 0xFFFFFFFF),
             "the directory lists 4294967295 entries, more than the limit of 65536"},
            PastEnd("cut-in-table.ezx", Cut(base, 0x65),
                    "the entry table at 0x54 (2 entries) runs"),
            PastEnd("table-offset-wraps.ezx", With(base, 0x4C, 0xFFFFFFF8),
                    "the entry table at 0xFFFFFFF8 (2 entries) runs"),
            PastEnd("name-at-end.ezx", With(base, 0x64, 0xC4 - 0x37),
                    "entry 1: the name at 0xC4 lies"),
            PastEnd("name-offset-wraps.ezx", With(base, 0x64, 0xFFFFFFFF),
                    "entry 1: the name at 0x100000036 lies"),
            // NamesBase at the directory: no 0x0A in the 100 bytes from there.
            {"name-without-end.ezx", With(base, 0x44, 0x40),
             "entry 0: the name at 0x40 has no end (0x0A) within 100 bytes"},
            PastEnd("member-block-past-end.ezx", With(base, 0x68, 0x1000),
                    "entry 1: the member block at 0x106C lies"),
            PastEnd("member-block-wraps.ezx", With(base, 0x68, 0xFFFFFFFF),
                    "entry 1: the member block at 0x10000006B lies"),
            {"member-above-limit.ezx", With(base, 0x70, 0x100001),
             "entry 0: the member's size (1,048,577 bytes) is above the limit of 1 MiB"},
            {"member-size-max.ezx", With(base, 0x70, 0xFFFFFFFF),
             "entry 0: the member's size (4,294,967,295 bytes) is above the limit of 1 MiB"},
            PastEnd("cut-in-last-member.ezx", Cut(base, 0xC3),
                    "entry 1: the member's data at 0xA4 (32 bytes) runs"),
        });
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
    Bytes overLimit = base;
    overLimit.resize(archive::kMapBufferSize + 1);
    Add(out, "convmap",
        {
            PastEnd("empty.dat", {}, "record count at 0x0 runs"),
            PastEnd("cut-in-count.dat", Cut(base, 3), "record count at 0x0 runs"),
            PastEnd("count-one-too-many.dat", With(base, 0, 3),
                    "record 2: member name length at 0x26 runs"),
            // Each record takes at least 9 bytes: four cannot fit in 0x22.
            {"count-beyond-file.dat", With(base, 0, 4),
             "the record count 4 does not fit in the file (38 bytes)"},
            {"count-max.dat", With(base, 0, 0xFFFFFFFF),
             "the record count 4294967295 does not fit in the file (38 bytes)"},
            PastEnd("name-length-max.dat", With(base, 4, 0xFFFFFFFF),
                    "record 0: member name at 0x8 runs"),
            PastEnd("picture-name-past-end.dat", With(base, 0x1C, 0x100),
                    "record 1: picture name at 0x20 runs"),
            PastEnd("cut-in-record.dat", Cut(base, 0x1E),
                    "record 1: picture name length at 0x1C runs"),
            PastEnd("kind-missing.dat", Cut(base, 0x25), "record 1: image kind at 0x25 runs"),
            {"kind-5.dat", With(base, 0x14, 5, 1), "record 0: image kind 5 is not one of 0 to 4"},
            {"kind-255.dat", With(base, 0x25, 255, 1),
             "record 1: image kind 255 is not one of 0 to 4"},
            {"over-limit.dat", overLimit, "file is too large (1,048,577 bytes; at most 1,048,576)"},
        });
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
        std::size_t at = 0;
        for (std::uint32_t v : {w, h, depth, row}) {
            Put(b, at, v);
            at += 4;
        }
        return b;
    };
    auto empty = [](const char* size) {
        return "the Moto Bitmap header gives an empty picture (" + std::string(size) + " pixels)";
    };
    auto overlap = [](const char* rowBytes, const char* width) {
        return "the Moto Bitmap header's RowBytes (" + std::string(rowBytes) +
               ") is smaller than " + width + ": its pixel rows would overlap";
    };
    auto over = [](const char* what, const char* size) {
        return "the Moto Bitmap's " + std::string(what) + " takes " + size +
               " bytes, more than the limit of 1,228,801";
    };
    Add(out, "motobitmap",
        {
            {"empty.k", {}, empty("0 x 0")},
            {"cut-after-width.k", Cut(base18, 4), empty("5 x 0")},
            {"cut-in-header-18.k", Cut(base18, 12), overlap("0", "3 x Width (15)")},
            {"cut-in-header-32.k", Cut(base32, 12), overlap("0", "4 x Width (20)")},
            {"zero-width-18.k", With(base18, 0, 0), empty("0 x 2")},
            {"zero-height-32.k", With(base32, 4, 0), empty("5 x 0")},
            {"rows-overlap-18.k", With(base18, 12, 14), overlap("14", "3 x Width (15)")},
            {"rows-overlap-32.k", With(base32, 12, 19), overlap("19", "4 x Width (20)")},
            {"width-max-18.k", header(0xFFFFFFFF, 1, 18, 0xFFFFFFFF),
             overlap("4294967295", "3 x Width (12884901885)")},
            {"oversized-18.k", header(640, 641, 18, 1920), over("pixel data", "1,230,720")},
            {"oversized-32.k", header(641, 480, 32, 2564), over("pixel data", "1,230,720")},
            {"oversized-mask-18.k", header(1, 400000, 18, 3), over("mask", "1,600,000")},
            {"sizes-wrap-32.k", header(0x3FFFFFFF, 0xFFFFFFFF, 32, 0xFFFFFFFC),
             over("pixel data", "18,446,744,052,234,715,140")},
        });
}

void AddRawPictures(std::vector<BadFile>& out)
{
    // A whole 10 x 10 picture under names that claim other sizes.
    const Bytes ten = imagecodec::EncodeRawPicture(Pattern(10, 10), "a(10x10).raw");
    const std::string size = "the picture size in the name, ";
    const std::string tooMany = " pixels a raw picture can hold";
    Add(out, "raw",
        {
            {"oversized(200x200).raw", ten, size + "200x200, is more than the 38721" + tooMany},
            {"one-too-many(38722x01).raw", ten, size + "38722x1, is more than the 38721" + tooMany},
            {"sides-wrap(65536x65536).raw", ten,
             size + "65536x65536, is more than the 38721" + tooMany},
            {"negative(16x-5).raw", ten, size + "16x-5, is not positive"},
            {"hex-height(16x$FFFFFFFF).raw", ten, size + "16x-1, is not positive"},
            {"wide(2147483648x01).raw", ten,
             "the picture width in the name, 2147483648, is larger than 2147483647"},
        });
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
    // PNG: IHDR at 8, its fields at 16 (width), 20 (height), 25 (colour
    // type). GIF: screen width at 6; the frame's LZW code size right after
    // its 10-byte descriptor. BMP: the writer's V5 header; pixel data at
    // 0x8A. JPEG: the frame header (FF C0) holds the height at +5 and the
    // width at +7; the scan (FF DA) follows the tables.
    const std::size_t idat = Find(png, "IDAT") - 4;
    const std::size_t frame = GifFrameOffset(gif);
    Require(bmp.size() == 0xB2, "the BMP is not 0xB2 bytes");
    const std::size_t sof = Find(jpg, "\xFF\xC0");
    const std::size_t sos = Find(jpg, "\xFF\xDA");
    auto ihdr = [&](std::size_t at, std::uint64_t value, int size = 4) {
        return FixPngCrc(With(png, at, value, size, true), 8);
    };
    // An 8-bit RLE picture: the first 40 bytes of the writer's header are a
    // BITMAPINFOHEADER, a 2-entry colour table follows, then the RLE data.
    auto rle8 = [&](std::initializer_list<unsigned> data) {
        Bytes b = Cut(bmp, 14 + 40 + 8);
        Put(b, 10, 14 + 40 + 8); // pixel data offset
        Put(b, 14, 40);          // header size
        Put(b, 28, 8, 2);        // bits per pixel
        Put(b, 30, 1);           // compression: RLE8
        Put(b, 46, 2);           // colours used
        for (unsigned v : data)
            b.push_back(static_cast<std::byte>(v));
        return b;
    };

    Add(out, "picture",
        {
            // Files cut short before their pixels end.
            PastEnd("signature-only.png", Cut(png, 8), "PNG data runs"),
            PastEnd("cut-in-header.png", Cut(png, 20), "PNG data runs"),
            PastEnd("cut-in-pixels.png", Cut(png, idat + 12), "PNG data runs"),
            PastEnd("header-only.gif", Cut(gif, 6), "GIF data runs"),
            PastEnd("cut-in-colour-table.gif", Cut(gif, 15), "GIF data runs"),
            PastEnd("cut-in-pixels.gif", Cut(gif, frame + 12), "GIF data runs"),
            PastEnd("start-only.jpg", Cut(jpg, 3), "JPEG data runs"),
            PastEnd("cut-in-tables.jpg", Cut(jpg, sof - 4), "JPEG data runs"),
            PastEnd("cut-in-scan.jpg", Cut(jpg, sos + 40), "JPEG data runs"),

            {"no-pixels.png", CutKeepingTail(png, idat, 12),
             "PNG data is damaged: IEND: out of place"},
            {"zero-width.png", ihdr(16, 0), "PNG picture has no pixels (0 x 2 pixels)"},
            {"too-wide.png", ihdr(16, 16385), TooLarge("PNG", "16385 x 2")},
            {"too-many-pixels.png",
             FixPngCrc(With(With(png, 16, 16384, 4, true), 20, 1025, 4, true), 8),
             TooLarge("PNG", "16384 x 1025")},
            {"header-checksum.png", With(png, 29, static_cast<unsigned>(png[29]) ^ 0xFF, 1),
             "PNG data is damaged: IHDR: CRC error"},
            {"colour-type.png", ihdr(25, 5, 1), "PNG data is damaged: Invalid IHDR data"},
            {"pixels-not-zlib.png", FixPngCrc(With(png, idat + 8, 0xFF, 1), idat),
             "PNG data is damaged: IDAT: invalid window size (libpng)"},

            {"no-frame.gif", CutKeepingTail(gif, frame, 1), "GIF holds no picture"},
            {"too-wide.gif", With(gif, 6, 20000, 2), TooLarge("GIF", "20000 x 2")},
            {"frame-grows-too-wide.gif", With(gif, frame + 1, 0xFFFF, 2),
             TooLarge("GIF", "65540 x 2")},
            {"zero-size.gif", With(With(gif, 6, 0), frame + 5, 0),
             "GIF picture has no pixels (0 x 0 pixels)"},
            {"wrong-record.gif", With(gif, frame, 0x99, 1),
             "GIF data is damaged: Wrong record type detected"},
            {"code-size.gif", With(gif, frame + 10, 12, 1),
             "GIF data is damaged: Failed to read from given file"},

            PastEnd("cut-in-file-header.bmp", Cut(bmp, 10), "BMP file header at 0xA runs"),
            PastEnd("cut-in-info-header.bmp", Cut(bmp, 40), "BMP info header at 0xE runs"),
            PastEnd("cut-in-pixels.bmp", Cut(bmp, 0xB1), "BMP pixel data at 0x8A runs"),
            {"header-size.bmp", With(bmp, 14, 64), "BMP info header of 64 bytes is not supported"},
            {"planes.bmp", With(bmp, 26, 2, 2), "BMP info header gives 2 colour planes, not 1"},
            {"bits-per-pixel.bmp", With(bmp, 28, 7, 2), "BMP of 7 bits per pixel is not supported"},
            {"compression.bmp", With(bmp, 30, 9), "BMP compression 9 is not supported"},
            {"compression-mismatch.bmp", With(bmp, 30, 1),
             "BMP compression 1 does not fit 32 bits per pixel"},
            {"negative-width.bmp", With(bmp, 18, 0xFFFFFFFB), "BMP width is negative (-5)"},
            {"zero-height.bmp", With(bmp, 22, 0), "BMP picture has no pixels (5 x 0 pixels)"},
            {"too-wide.bmp", With(bmp, 18, 20000), TooLarge("BMP", "20000 x 2")},
            {"height-min.bmp", With(bmp, 22, 0x80000000), TooLarge("BMP", "5 x 2147483648")},
            {"pixels-in-header.bmp", With(bmp, 10, 20),
             "BMP pixel data at 0x14 overlaps the header"},
            PastEnd("pixels-past-end.bmp", With(bmp, 10, 0xFFFFFFF0),
                    "BMP pixel data at 0xFFFFFFF0 runs"),
            PastEnd("rle-without-end.bmp", rle8({2, 1}), "BMP RLE data at 0x40 runs"),
            PastEnd("rle-literal-past-end.bmp", rle8({0, 5, 1, 0}), "BMP RLE data at 0x40 runs"),

            // A stream of tables alone, ended by its end marker (FF D9).
            {"tables-only.jpg", CutKeepingTail(jpg, sof, 2), "JPEG holds no picture"},
            {"cut-before-scan.jpg", Cut(jpg, sos),
             "JPEG data is damaged: Invalid JPEG file structure: missing SOS marker"},
            {"zero-width.jpg", With(jpg, sof + 7, 0, 2, true),
             "JPEG data is damaged: Empty JPEG image (DNL not supported)"},
            {"too-wide.jpg", With(jpg, sof + 7, 20000, 2, true), TooLarge("JPEG", "20000 x 16")},
        });
}

void Write(const fs::path& path, std::span<const std::byte> bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
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
