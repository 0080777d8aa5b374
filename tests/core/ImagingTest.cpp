// Round trips through the four encoders, refusals with their messages, and
// the written files read back by an independent reader (Pillow).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

#include "TestUtil.h"
#include "core/ByteReader.h"
#include "core/FileIo.h"
#include "core/imaging/Imaging.h"

namespace zefir::test {
namespace {

using imaging::Bitmap;

constexpr std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b)
{
    return std::uint32_t(a) << 24 | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b;
}

int Channel(std::uint32_t argb, int shift)
{
    return static_cast<int>(argb >> shift & 0xFF);
}

// The largest difference of any colour channel over all pixels.
int MaxColourError(const Bitmap& a, const Bitmap& b)
{
    int worst = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        for (int shift : {16, 8, 0})
            worst = std::max(worst,
                             std::abs(Channel(a.pixels[i], shift) - Channel(b.pixels[i], shift)));
    return worst;
}

// Every alpha level, colours that differ in each channel, transparent pixels
// of several colours.
Bitmap MixedPicture()
{
    Bitmap b(37, 23);
    for (std::uint32_t y = 0; y < b.height; ++y)
        for (std::uint32_t x = 0; x < b.width; ++x)
            b.At(x, y) = Argb((x * 7 + y * 13) & 0xFF, x * 7, y * 11, (x * y) & 0xFF);
    return b;
}

// A smooth opaque picture, the kind JPEG keeps well.
Bitmap GradientPicture()
{
    Bitmap b(40, 24);
    for (std::uint32_t y = 0; y < b.height; ++y)
        for (std::uint32_t x = 0; x < b.width; ++x)
            b.At(x, y) = Argb(0xFF, x * 6, y * 10, 128 + (x + y) * 2);
    return b;
}

// `count` distinct opaque colours on a smooth grid, each pixel its own
// colour, then `transparent` pixels of alpha 0 in varied colours.
Bitmap ColourfulPicture(std::uint32_t count, std::uint32_t transparent)
{
    Bitmap b(20, (count + transparent + 19) / 20);
    for (std::uint32_t i = 0; i < b.pixels.size(); ++i) {
        if (i < count)
            b.pixels[i] = Argb(0xFF, (i % 20) * 13, (i / 20) * 15, 0x40);
        else if (i < count + transparent)
            b.pixels[i] = Argb(0, i & 0xFF, 0x12, 0x34);
        else
            b.pixels[i] = Argb(0xFF, 0, 0, 0x40);
    }
    return b;
}

// What a GIF gives back: alpha 0 pixels read as 0x00000000, all others opaque.
Bitmap AsGifReadsIt(Bitmap b)
{
    for (std::uint32_t& p : b.pixels)
        p = p >> 24 == 0 ? 0 : p | 0xFF000000;
    return b;
}

std::size_t DistinctColours(const Bitmap& b)
{
    return std::set<std::uint32_t>(b.pixels.begin(), b.pixels.end()).size();
}

TEST(ImagingTest, DetectsPicturesByTheirSignature)
{
    struct Case {
        const char* name;
        std::vector<std::byte> bytes;
        imaging::PictureFormat expected;
    };
    using F = imaging::PictureFormat;
    // clang-format off
    const Case cases[] = {
        {"PNG", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0}), F::Png},
        {"PNG signature cut short", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}), F::Unknown},
        {"PNG signature with a damaged line end",
         Bytes({0x89, 'P', 'N', 'G', 0x0A, 0x0A, 0x1A, 0x0A}),
         F::Unknown},
        {"GIF87a", Bytes("GIF87a\x01"), F::Gif},
        {"GIF89a", Bytes("GIF89a"), F::Gif},
        {"GIF of an unknown version", Bytes("GIF88a"), F::Unknown},
        {"JPEG", Bytes({0xFF, 0xD8, 0xFF, 0xE0}), F::Jpeg},
        {"JPEG start without a marker", Bytes({0xFF, 0xD8, 0x00}), F::Unknown},
        {"BMP", Bytes("BM\x36\x00"), F::Bmp},
        {"lower-case bm", Bytes("bm"), F::Unknown},
        {"empty", {}, F::Unknown},
        {"text", Bytes("hello, world"), F::Unknown},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(imaging::DetectPictureFormat(c.bytes), c.expected);
    }
}

TEST(ImagingTest, LosslessFormatsComeBackPixelForPixel)
{
    struct Case {
        const char* mime;
        Bitmap picture;
    };
    Bitmap transparent(3, 2);
    Bitmap single(1, 1);
    single.pixels = {Argb(0x80, 1, 2, 3)};
    // clang-format off
    const Case cases[] = {
        {"image/png", MixedPicture()}, {"image/png", transparent}, {"image/png", single},
        {"image/bmp", MixedPicture()}, {"image/bmp", transparent}, {"image/bmp", single},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mime) + " " + std::to_string(c.picture.width) + "x" +
                     std::to_string(c.picture.height));
        auto bytes = imaging::EncodePicture(c.picture, c.mime, "out");
        Bitmap back = imaging::DecodePicture(bytes, "out");
        EXPECT_EQ(back.width, c.picture.width);
        EXPECT_EQ(back.height, c.picture.height);
        EXPECT_EQ(back.pixels, c.picture.pixels);
    }
}

TEST(ImagingTest, TheLargestPictureComesBackFromAFile)
{
    // As long a side and as many pixels as allowed: the 32-bit BMP is more
    // than kMaxPixels * 4 bytes.
    Bitmap picture(imaging::kMaxDimension, imaging::kMaxPixels / imaging::kMaxDimension);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u);
    TempDir dir;
    imaging::SavePicture(picture, dir / "large.bmp", "image/bmp");
    Bitmap back = imaging::LoadPicture(dir / "large.bmp");
    EXPECT_EQ(back.width, picture.width);
    EXPECT_TRUE(back.pixels == picture.pixels);
}

TEST(ImagingTest, GifKeepsUpTo256ColoursExactlyAndQuantisesMore)
{
    Bitmap halfTransparent(4, 2);
    halfTransparent.pixels = {Argb(0x80, 1, 2, 3),       Argb(1, 4, 5, 6),    Argb(0, 7, 8, 9),
                              Argb(0xFF, 9, 9, 9),       Argb(0xFE, 1, 2, 3), Argb(0, 0, 0, 0),
                              Argb(0, 0xFF, 0xFF, 0xFF), Argb(0xFF, 0, 0, 0)};
    Bitmap oneColour(1, 1);
    oneColour.pixels = {Argb(0xFF, 0x10, 0x20, 0x30)};
    struct Case {
        const char* name;
        Bitmap picture;
        int tolerance; // 0: pixel for pixel
    };
    // clang-format off
    const Case cases[] = {
        {"one colour", oneColour, 0},
        {"all transparent", Bitmap(5, 3), 0},
        {"alpha 1 to 254 becomes opaque", halfTransparent, 0},
        {"255 colours and transparent pixels", ColourfulPicture(255, 25), 0},
        {"256 opaque colours", ColourfulPicture(256, 0), 0},
        {"256 colours and transparent pixels", ColourfulPicture(256, 10), 8},
        {"300 colours and transparent pixels", ColourfulPicture(300, 20), 8},
        // 851 colours; giflib's own GifQuantizeBuffer misses by up to 52 here.
        {"mixed picture", MixedPicture(), 20},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap expected = AsGifReadsIt(c.picture);
        Bitmap back =
            imaging::DecodePicture(imaging::EncodePicture(c.picture, "image/gif", "out"), "out");
        ASSERT_EQ(back.width, c.picture.width);
        ASSERT_EQ(back.height, c.picture.height);
        if (c.tolerance == 0) {
            EXPECT_EQ(back.pixels, expected.pixels);
            continue;
        }
        EXPECT_LE(DistinctColours(back), 256u);
        EXPECT_LE(MaxColourError(back, expected), c.tolerance);
        for (std::size_t i = 0; i < back.pixels.size(); ++i)
            ASSERT_EQ(back.pixels[i] >> 24, expected.pixels[i] >> 24) << "pixel " << i;
    }
}

TEST(ImagingTest, JpegKeepsTheSizeAndTheColoursWithinATolerance)
{
    Bitmap picture = GradientPicture();
    Bitmap withAlpha = picture;
    for (std::uint32_t& p : withAlpha.pixels)
        p &= 0x7FFFFFFF;
    for (const Bitmap* source : {&picture, &withAlpha}) {
        auto bytes = imaging::EncodePicture(*source, "image/jpeg", "out.jpg");
        Bitmap back = imaging::DecodePicture(bytes, "out.jpg");
        ASSERT_EQ(back.width, picture.width);
        ASSERT_EQ(back.height, picture.height);
        EXPECT_LE(MaxColourError(back, picture), 6);
        EXPECT_TRUE(std::all_of(back.pixels.begin(), back.pixels.end(),
                                [](std::uint32_t p) { return p >> 24 == 0xFF; }));
    }
}

TEST(ImagingTest, WrittenFilesBeginWithTheirFormatsHeaders)
{
    Bitmap picture = MixedPicture();
    auto gif = imaging::EncodePicture(picture, "image/gif", "out");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(gif.data()), 6), "GIF89a");

    // BITMAPV5HEADER, BI_BITFIELDS, 32 bits, masks R G B A.
    auto bmp = imaging::EncodePicture(picture, "image/bmp", "out");
    ASSERT_EQ(bmp.size(), 14 + 124 + 37 * 23 * 4u);
    const std::byte* p = bmp.data();
    EXPECT_EQ(GetU32(p + 2), bmp.size());
    EXPECT_EQ(GetU32(p + 10), 138u);
    EXPECT_EQ(GetU32(p + 14), 124u);
    EXPECT_EQ(GetU32(p + 18), 37u);
    EXPECT_EQ(GetU32(p + 22), 23u);
    EXPECT_EQ(GetU32(p + 26), 1u | 32u << 16);
    EXPECT_EQ(GetU32(p + 30), 3u);
    EXPECT_EQ(GetU32(p + 54), 0x00FF0000u);
    EXPECT_EQ(GetU32(p + 58), 0x0000FF00u);
    EXPECT_EQ(GetU32(p + 62), 0x000000FFu);
    EXPECT_EQ(GetU32(p + 66), 0xFF000000u);
    // The first row in the file is the bottom one.
    EXPECT_EQ(GetU32(p + 138), picture.At(0, 22));
}

TEST(ImagingTest, SavesThroughAFileAndLoadsAReadOnlyOne)
{
    TempDir dir;
    fs::path target = dir / "picture.png";
    WriteBytes(target, Bytes("old contents"));
    imaging::SavePicture(MixedPicture(), target, "image/png");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Bitmap back = imaging::LoadPicture(target);
    EXPECT_EQ(back.pixels, MixedPicture().pixels);
    // Recognised by content: a PNG under another extension loads as well.
    fs::copy_file(target, dir / "picture.gif");
    EXPECT_EQ(imaging::LoadPicture(dir / "picture.gif").pixels, back.pixels);
}

TEST(ImagingTest, RefusesToSaveWhatItCannotWrite)
{
    TempDir dir;
    WriteBytes(dir / "file", Bytes("x"));
    Bitmap picture(2, 2);
    Bitmap wrongCount(2, 2);
    wrongCount.pixels.pop_back();
    struct Case {
        const char* name;
        Bitmap picture;
        std::string mime;
        fs::path target;
        std::string message;
    };
    const fs::path out = dir / "out.png";
    // clang-format off
    const Case cases[] = {
        {"unknown type", picture, "image/tiff", out,
         "no encoder for the picture type \"image/tiff\" (known: image/gif, image/png, image/bmp, "
         "image/jpeg)"},
        {"type in capitals", picture, "IMAGE/PNG", out,
         "no encoder for the picture type \"IMAGE/PNG\" (known: image/gif, image/png, image/bmp, "
         "image/jpeg)"},
        {"no pixels", Bitmap(0, 3), "image/png", out,
         "cannot save a picture without pixels (0 x 3 pixels)"},
        {"too wide", Bitmap(16385, 1), "image/bmp", out,
         "picture is too large to save: 16385 x 1 pixels "
         "(at most 16384 a side and 16777216 in all)"},
        {"pixel count wrong", wrongCount, "image/gif", out,
         "bitmap of 2 x 2 pixels holds 3 pixel values"},
        {"missing folder", picture, "image/png", dir / "missing" / "out.png",
         "cannot create: No such file or directory"},
        {"a file for a folder", picture, "image/jpeg", dir / "file" / "out.jpg",
         "cannot create: Not a directory"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW_MSG(imaging::SavePicture(c.picture, c.target, c.mime),
                         c.target.string() + ": " + c.message);
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST(ImagingTest, RefusesAReadOnlyFolder)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW_MSG(imaging::SavePicture(Bitmap(1, 1), dir / "out.bmp", "image/bmp"),
                     (dir / "out.bmp").string() + ": cannot create: Permission denied");
}

TEST(ImagingTest, AFullDiskLeavesTheOldFileWhole)
{
    TempDir dir;
    fs::path target = dir / "out.gif";
    WriteBytes(target, Bytes("old contents"));
    fileio::FailWritesAfter(0);
    EXPECT_THROW_MSG(imaging::SavePicture(MixedPicture(), target, "image/gif"),
                     target.string() + ": cannot write: No space left on device");
    fileio::FailWritesAfter(-1);
    EXPECT_EQ(ReadBytes(target), Bytes("old contents"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// Cuts a file: keeps its first `keep` bytes.
std::vector<std::byte> Cut(std::vector<std::byte> bytes, std::size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

// Sets a 16-bit field, little- or big-endian.
std::vector<std::byte> Patch16(std::vector<std::byte> bytes, std::size_t at, unsigned value,
                               bool big)
{
    bytes[at + (big ? 1 : 0)] = std::byte(value & 0xFF);
    bytes[at + (big ? 0 : 1)] = std::byte(value >> 8);
    return bytes;
}

std::vector<std::byte> Patch32(std::vector<std::byte> bytes, std::size_t at, std::uint32_t value,
                               bool big)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + (big ? 3 - i : i)] = std::byte(value >> (8 * i));
    return bytes;
}

// The offset of the first JPEG marker `code` (e.g. 0xC0 for SOF0).
std::size_t FindMarker(const std::vector<std::byte>& bytes, unsigned code)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        if (bytes[i] == std::byte{0xFF} && bytes[i + 1] == std::byte(code))
            return i;
    return bytes.size();
}

TEST(ImagingTest, RefusesPicturesItCannotRead)
{
    Bitmap picture = GradientPicture(); // 40 x 24
    auto png = imaging::EncodePicture(picture, "image/png", "p");
    auto gif = imaging::EncodePicture(picture, "image/gif", "g");
    auto bmp = imaging::EncodePicture(picture, "image/bmp", "b");
    auto jpeg = imaging::EncodePicture(picture, "image/jpeg", "j");
    std::size_t sof = FindMarker(jpeg, 0xC0);
    auto pngBadCrc = png;
    pngBadCrc[30] ^= std::byte{1}; // the CRC of IHDR
    auto pngBadAdler = png;
    pngBadAdler[png.size() - 20] ^= std::byte{1}; // the zlib checksum, last in IDAT

    struct Case {
        const char* name;
        std::vector<std::byte> bytes;
        std::string message;
    };
    // clang-format off
    const Case cases[] = {
        {"empty", {}, "not a PNG, GIF, BMP or JPEG picture"},
        {"text", Bytes("not a picture"), "not a PNG, GIF, BMP or JPEG picture"},
        {"PNG cut in its pixels", Cut(png, png.size() / 2),
         "PNG data runs past the end of the file (" + Hex(png.size() / 2) + " bytes)"},
        {"PNG cut in its header", Cut(png, 20),
         "PNG data runs past the end of the file (0x14 bytes)"},
        {"PNG with a damaged chunk checksum", pngBadCrc, "PNG data is damaged: IHDR: CRC error"},
        {"PNG with a damaged zlib checksum", pngBadAdler,
         "PNG data is damaged: IDAT: incorrect data check"},
        {"PNG too large", Patch32(png, 16, 20000, true),
         "PNG picture is too large: 20000 x 24 pixels (at most 16384 a side and 16777216 in all)"},
        {"PNG of no pixels", Patch32(png, 20, 0, true),
         "PNG picture has no pixels (40 x 0 pixels)"},
        {"GIF cut in its pixels", Cut(gif, gif.size() / 2),
         "GIF data runs past the end of the file (" + Hex(gif.size() / 2) + " bytes)"},
        {"GIF cut in its header", Cut(gif, 9),
         "GIF data runs past the end of the file (0x9 bytes)"},
        {"GIF too large", Patch16(Patch16(gif, 6, 5000, false), 8, 5000, false),
         "GIF picture is too large: 5000 x 5000 pixels (at most 16384 a side and 16777216 in all)"},
        {"GIF without a frame", Bytes({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}),
         "GIF holds no picture"},
        {"BMP cut in its pixels", Cut(bmp, 1000),
         "BMP pixel data at 0x8A runs past the end of the file (0x3E8 bytes)"},
        {"BMP cut in its header", Cut(bmp, 40),
         "BMP info header at 0xE runs past the end of the file (0x28 bytes)"},
        {"BMP too large", Patch32(bmp, 22, 0xFFFFB1E0, false), // height -20000: top-down
         "BMP picture is too large: 40 x 20000 pixels (at most 16384 a side and 16777216 in all)"},
        {"BMP of an unknown header", Patch32(bmp, 14, 64, false),
         "BMP info header of 64 bytes is not supported"},
        {"BMP of 64 bits", Patch16(bmp, 28, 64, false),
         "BMP of 64 bits per pixel is not supported"},
        {"BMP with embedded PNG", Patch32(bmp, 30, 5, false), "BMP compression 5 is not supported"},
        {"BMP with RLE8 at 32 bits", Patch32(bmp, 30, 1, false),
         "BMP compression 1 does not fit 32 bits per pixel"},
        {"BMP with its pixels in the header", Patch32(bmp, 10, 100, false),
         "BMP pixel data at 0x64 overlaps the header"},
        {"BMP without colour masks",
         Patch32(Patch32(Patch32(bmp, 54, 0, false), 58, 0, false), 62, 0, false),
         "BMP data is damaged: bad masks"},
        {"JPEG cut in its pixels", Cut(jpeg, jpeg.size() - 100),
         "JPEG data runs past the end of the file (" + Hex(jpeg.size() - 100) + " bytes)"},
        {"JPEG cut in its header", Cut(jpeg, sof + 4), "JPEG data is damaged: Bogus marker length"},
        {"JPEG too large", Patch16(Patch16(jpeg, sof + 5, 20000, true), sof + 7, 1000, true),
         "JPEG picture is too large: 1000 x 20000 pixels "
         "(at most 16384 a side and 16777216 in all)"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW_MSG(imaging::DecodePicture(c.bytes, "dir/x"), "dir/x: " + c.message);
    }
}

TEST(ImagingTest, RefusesFilesItCannotOpen)
{
    TempDir dir;
    fs::path big = dir / "big.png";
    {
        std::ofstream out(big, std::ios::binary);
    }
    fs::resize_file(big, imaging::kMaxPictureFileSize + 1); // sparse: no disk used
    struct Case {
        const char* name;
        fs::path path;
        std::string message;
    };
    // clang-format off
    const Case cases[] = {
        {"missing", dir / "missing.png", "cannot open: No such file or directory"},
        {"a folder", dir.path(), "cannot open: Is a directory"},
        {"too large", big, "file is too large (0x5000001 bytes, at most 0x5000000)"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW_MSG(imaging::LoadPicture(c.path), c.path.string() + ": " + c.message);
    }
}

// Runs Pillow on the files and returns, per file, its mode, size and pixels
// as RGBA hex values: "RGBA 2x1 ff000080 00ff00ff".
std::vector<std::string> ReadWithPillow(const std::vector<fs::path>& files, const fs::path& folder)
{
    fs::path script = folder / "read.py";
    std::ofstream(script)
        << "import sys\n"
           "from PIL import Image\n"
           "for name in sys.argv[1:]:\n"
           "    im = Image.open(name)\n"
           "    mode = im.mode\n"
           "    px = im.convert('RGBA').getdata()\n"
           "    print(mode, '%dx%d' % im.size, ' '.join('%02x%02x%02x%02x' % p for p in px))\n";
    std::string command = "/usr/bin/python3 " + script.string();
    for (const fs::path& f : files)
        command += " " + f.string();
    fs::path output = folder / "pillow.txt";
    command += " > " + output.string();
    if (std::system(command.c_str()) != 0)
        return {};
    std::vector<std::string> lines;
    std::ifstream in(output);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string AsPillowLine(const std::string& mode, const Bitmap& b)
{
    std::string line = mode + " " + std::to_string(b.width) + "x" + std::to_string(b.height) + " ";
    for (std::size_t i = 0; i < b.pixels.size(); ++i) {
        char hex[10];
        std::uint32_t p = b.pixels[i];
        std::snprintf(hex, sizeof hex, "%s%02x%02x%02x%02x", i == 0 ? "" : " ", Channel(p, 16),
                      Channel(p, 8), Channel(p, 0), Channel(p, 24));
        line += hex;
    }
    return line;
}

TEST(ImagingTest, PillowReadsTheWrittenFiles)
{
    TempDir dir;
    Bitmap mixed = MixedPicture();
    Bitmap gifPicture = ColourfulPicture(255, 25);
    Bitmap jpegPicture = GradientPicture();
    imaging::SavePicture(mixed, dir / "a.png", "image/png");
    imaging::SavePicture(mixed, dir / "a.bmp", "image/bmp");
    imaging::SavePicture(gifPicture, dir / "a.gif", "image/gif");
    imaging::SavePicture(jpegPicture, dir / "a.jpg", "image/jpeg");
    auto lines =
        ReadWithPillow({dir / "a.png", dir / "a.bmp", dir / "a.gif", dir / "a.jpg"}, dir.path());
    ASSERT_EQ(lines.size(), 4u) << "Pillow (python3-pil) failed";
    EXPECT_EQ(lines[0], AsPillowLine("RGBA", mixed));
    EXPECT_EQ(lines[1], AsPillowLine("RGBA", mixed));
    EXPECT_EQ(lines[2], AsPillowLine("P", AsGifReadsIt(gifPicture)));
    // Pillow's libjpeg decodes as TurboJPEG does.
    EXPECT_EQ(lines[3], AsPillowLine("RGB", imaging::LoadPicture(dir / "a.jpg")));
}

} // namespace
} // namespace zefir::test
