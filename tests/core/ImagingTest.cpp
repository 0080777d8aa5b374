// Round trips through the four encoders, refusals with their messages, and
// the written files read back by an independent reader (Pillow).

#include <cstdio>
#include <fstream>

#include "PictureTestUtil.h"
#include "core/ByteReader.h"

namespace zefir::test {
namespace {

using imaging::Bitmap;

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

// `count` distinct opaque colours, each pixel its own, then `transparent`
// pixels of alpha 0 in varied colours.
Bitmap ColourfulPicture(std::uint32_t count, std::uint32_t transparent)
{
    Bitmap b(20, (count + transparent + 19) / 20);
    for (std::uint32_t i = 0; i < b.pixels.size(); ++i)
        b.pixels[i] = i < count                 ? Argb(0xFF, (i % 20) * 13, (i / 20) * 15, 0x40)
                      : i < count + transparent ? Argb(0, i & 0xFF, 0x12, 0x34)
                                                : Argb(0xFF, 0, 0, 0x40);
    return b;
}

// What a format gives back: GIF reads alpha 0 as 0x00000000 and every other
// pixel as opaque; JPEG reads every pixel as opaque.
Bitmap AsReadBack(Bitmap b, std::string_view mime)
{
    for (std::uint32_t& p : b.pixels)
        if (mime == "image/jpeg" || (mime == "image/gif" && p >> 24 != 0))
            p |= 0xFF000000;
        else if (mime == "image/gif")
            p = 0;
    return b;
}

TEST(ImagingTest, EncodedPicturesDecodeToWhatWasSaved)
{
    Bitmap single = Picture(1, 1, {Argb(0x80, 1, 2, 3)});
    Bitmap halfTransparent = Picture(4, 2,
                                     {Argb(0x80, 1, 2, 3), Argb(1, 4, 5, 6), Argb(0, 7, 8, 9),
                                      Argb(0xFF, 9, 9, 9), Argb(0xFE, 1, 2, 3), Argb(0, 0, 0, 0),
                                      Argb(0, 0xFF, 0xFF, 0xFF), Argb(0xFF, 0, 0, 0)});
    Bitmap reds(16, 16);
    for (std::uint32_t i = 0; i < 256; ++i)
        reds.pixels[i] = Argb(0xFF, i, 0, 0);
    Bitmap gradient = Gradient(40, 24);
    Bitmap withAlpha = gradient;
    for (std::uint32_t& p : withAlpha.pixels)
        p &= 0x7FFFFFFF;
    struct Case {
        const char* mime;
        const char* name;
        Bitmap picture;
        int tolerance; // 0: pixel for pixel
    };
    // clang-format off
    const Case cases[] = {
        {"image/png", "mixed", MixedPicture(), 0},
        {"image/png", "one pixel", single, 0},
        {"image/bmp", "mixed", MixedPicture(), 0},
        // Alpha 0 throughout must not read as a BMP without alpha.
        {"image/bmp", "transparent", Bitmap(3, 2), 0},
        {"image/bmp", "one pixel", single, 0},
        {"image/gif", "one colour", Picture(1, 1, {Argb(0xFF, 0x10, 0x20, 0x30)}), 0},
        {"image/gif", "all transparent", Bitmap(5, 3), 0},
        {"image/gif", "alpha 1 to 254 becomes opaque", halfTransparent, 0},
        {"image/gif", "255 colours and transparent pixels", ColourfulPicture(255, 25), 0},
        {"image/gif", "256 opaque colours", ColourfulPicture(256, 0), 0},
        {"image/gif", "256 colours that differ in red alone", reds, 0},
        {"image/gif", "256 colours and transparent pixels", ColourfulPicture(256, 10), 8},
        {"image/gif", "300 colours and transparent pixels", ColourfulPicture(300, 20), 8},
        // 851 colours; giflib's own GifQuantizeBuffer misses by up to 52 here.
        {"image/gif", "mixed", MixedPicture(), 20},
        {"image/jpeg", "gradient", gradient, 6},
        {"image/jpeg", "alpha dropped", withAlpha, 6},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mime) + ", " + c.name);
        Bitmap expected = AsReadBack(c.picture, c.mime);
        Bitmap back = imaging::DecodePicture(imaging::EncodePicture(c.picture, c.mime, "o"), "o");
        ASSERT_EQ(back.width, c.picture.width);
        ASSERT_EQ(back.height, c.picture.height);
        if (c.tolerance == 0) {
            EXPECT_EQ(back.pixels, expected.pixels);
            continue;
        }
        EXPECT_LE(MaxColourError(back, expected), c.tolerance);
        for (std::size_t i = 0; i < back.pixels.size(); ++i)
            ASSERT_EQ(back.pixels[i] >> 24, expected.pixels[i] >> 24) << "pixel " << i;
    }
}

TEST(ImagingTest, GifPalettesOfManyColoursStayClose)
{
    Bitmap gradient(64, 64);
    Bitmap holes(48, 48);
    for (std::uint32_t y = 0; y < 64; ++y)
        for (std::uint32_t x = 0; x < 64; ++x) {
            gradient.At(x, y) = Argb(0xFF, x * 4, y * 4, (x + y) * 2);
            if (x < 48 && y < 48)
                holes.At(x, y) = (x + y) % 5 == 0 ? Argb(0, x, y, 1)
                                                  : Argb(0xFF, x * 5, y * 5, (x ^ y) * 5);
        }
    // Three pixels in four of one colour amid 1,024 rare ones around it:
    // weighed by its pixels, it gets an entry of its own.
    constexpr std::uint32_t kCommon = Argb(0xFF, 0x80, 0x40, 0x20);
    Bitmap common(64, 64);
    for (std::uint32_t i = 0; i < 4096; ++i)
        common.pixels[i] = i % 4 ? kCommon
                                 : Argb(0xFF, 0x70 + (i & 31), 0x38 + (i >> 7), 0x20 + (i >> 2 & 7));
    Bitmap grays(40, 25);
    for (std::uint32_t i = 0; i < 1000; ++i)
        grays.pixels[i] = Argb(0xFF, i / 4, i / 4, i * 255 / 999);
    // More colours than the colour table first has room for, each seen
    // again after it grew.
    Bitmap scattered(512, 512);
    for (std::size_t i = 0; i < scattered.pixels.size(); ++i)
        scattered.pixels[i] =
            0xFF000000 | static_cast<std::uint32_t>(i % 70000 * 2654435761u) >> 8;
    struct Case {
        const char* name;
        Bitmap picture;
        double meanError;
        int maxError;
    };
    const Case cases[] = {
        {"4,096 colours", gradient, 3.6, 6},
        {"a gradient with transparent pixels", holes, 4.5, 16},
        {"one colour in most pixels", common, 0.1, 4},
        {"1,000 grays and near-grays", grays, 0.2, 1},
        {"70,000 scattered colours", scattered, 11.5, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap back = imaging::DecodePicture(imaging::EncodePicture(c.picture, "image/gif", "o"), "o");
        Bitmap expected = AsReadBack(c.picture, "image/gif");
        EXPECT_LE(MeanColourError(expected, back), c.meanError);
        EXPECT_LE(MaxColourError(expected, back), c.maxError);
        for (std::size_t i = 0; i < back.pixels.size(); ++i) {
            ASSERT_EQ(back.pixels[i] >> 24, expected.pixels[i] >> 24) << "pixel " << i;
            if (c.picture.pixels[i] == kCommon) {
                ASSERT_EQ(back.pixels[i], kCommon) << "pixel " << i;
            }
        }
    }
}

TEST(ImagingTest, PngsWrittenOneAfterAnotherComeBackExactly)
{
    // Each picture's encoder reuses the memory the one before it freed, for
    // rows and zlib tables smaller and larger than its own.
    for (std::uint32_t width : {64u, 1u, 700u, 16u, 1500u, 7u, 700u}) {
        SCOPED_TRACE(width);
        Bitmap picture(width, width / 3 + 1);
        for (std::size_t i = 0; i < picture.pixels.size(); ++i)
            picture.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) >> (i % 3 * 8);
        Bitmap back = imaging::DecodePicture(imaging::EncodePicture(picture, "image/png", "o"), "o");
        EXPECT_TRUE(back.pixels == picture.pixels);
    }
}

TEST(ImagingTest, WrittenFilesCarryWhatReadersSkip)
{
    // GIF87a would have no place for the transparent index.
    auto gif = imaging::EncodePicture(MixedPicture(), "image/gif", "o");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(gif.data()), 6), "GIF89a");
    // A BITMAPV5HEADER and 32 bits a pixel; no reader checks the file size field.
    auto bmp = imaging::EncodePicture(MixedPicture(), "image/bmp", "o");
    ASSERT_EQ(bmp.size(), 14 + 124 + 37 * 23 * 4u);
    EXPECT_EQ(GetU32(bmp.data() + 2), bmp.size());
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
    EXPECT_TRUE(imaging::LoadPicture(dir / "large.bmp").pixels == picture.pixels);
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
         "picture is too large to save: 16385 x 1 pixels (at most 16384 a side and 16777216 in "
         "all)"},
        {"pixel count wrong", wrongCount, "image/gif", out,
         "bitmap of 2 x 2 pixels holds 3 pixel values"},
        {"missing folder", picture, "image/png", dir / "missing" / "out.png",
         "cannot create: No such file or directory"},
#ifdef _WIN32
        // Windows finds no such path rather than a file in its way.
        {"a file for a folder", picture, "image/jpeg", dir / "file" / "out.jpg",
         "cannot create: No such file or directory"},
#else
        {"a file for a folder", picture, "image/jpeg", dir / "file" / "out.jpg",
         "cannot create: Not a directory"},
#endif
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW_MSG(imaging::SavePicture(c.picture, c.target, c.mime),
                         c.target.string() + ": " + c.message);
    }
    EXPECT_FALSE(fs::exists(out));
}

// Cuts a file to its first `keep` bytes.
std::vector<std::byte> Cut(std::vector<std::byte> bytes, std::size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

// Sets a field of `size` bytes, little- or big-endian.
std::vector<std::byte> Patch(std::vector<std::byte> bytes, std::size_t at, std::uint32_t value,
                             int size, bool big = false)
{
    for (int i = 0; i < size; ++i)
        bytes[at + (big ? size - 1 - i : i)] = std::byte(value >> (8 * i));
    return bytes;
}

TEST(ImagingTest, RefusesPicturesItCannotRead)
{
    Bitmap picture = Gradient(40, 24);
    auto png = imaging::EncodePicture(picture, "image/png", "p");
    auto gif = imaging::EncodePicture(picture, "image/gif", "g");
    auto bmp = imaging::EncodePicture(picture, "image/bmp", "b");
    auto jpeg = imaging::EncodePicture(picture, "image/jpeg", "j");
    // The SOF0 marker, FF C0.
    std::size_t sof = 2;
    while (jpeg[sof] != std::byte{0xFF} || jpeg[sof + 1] != std::byte{0xC0})
        ++sof;
    auto pngBadCrc = png;
    pngBadCrc[30] ^= std::byte{1}; // the CRC of IHDR
    auto pngBadAdler = png;
    pngBadAdler[png.size() - 20] ^= std::byte{1}; // the zlib checksum, last in IDAT
    const std::string notAPicture = "not a PNG, GIF, BMP or JPEG picture";
    const std::string tooLarge = " (at most 16384 a side and 16777216 in all)";
    struct Case {
        const char* name;
        std::vector<std::byte> bytes;
        std::string message;
    };
    // clang-format off
    const Case cases[] = {
        {"empty", {}, notAPicture},
        {"text", Bytes("not a picture"), notAPicture},
        {"PNG signature cut short", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A}), notAPicture},
        {"PNG signature with a damaged line end",
         Bytes({0x89, 'P', 'N', 'G', 0x0A, 0x0A, 0x1A, 0x0A}), notAPicture},
        {"GIF of an unknown version", Bytes("GIF88a"), notAPicture},
        {"JPEG start without a marker", Bytes({0xFF, 0xD8, 0x00}), notAPicture},
        {"lower-case bm", Bytes("bm"), notAPicture},
        {"PNG cut in its pixels", Cut(png, png.size() / 2),
         "PNG data runs past the end of the file (" + ByteCount(png.size() / 2) + ")"},
        {"PNG cut in its header", Cut(png, 20),
         "PNG data runs past the end of the file (20 bytes)"},
        {"PNG with a damaged chunk checksum", pngBadCrc, "PNG data is damaged: IHDR: CRC error"},
        {"PNG with a damaged zlib checksum", pngBadAdler,
         "PNG data is damaged: IDAT: incorrect data check"},
        {"PNG too large", Patch(png, 16, 20000, 4, true),
         "PNG picture is too large: 20000 x 24 pixels" + tooLarge},
        {"PNG of no pixels", Patch(png, 20, 0, 4, true),
         "PNG picture has no pixels (40 x 0 pixels)"},
        {"GIF cut in its pixels", Cut(gif, gif.size() / 2),
         "GIF data runs past the end of the file (" + ByteCount(gif.size() / 2) + ")"},
        {"GIF cut in its header", Cut(gif, 9),
         "GIF data runs past the end of the file (9 bytes)"},
        {"GIF too large", Patch(Patch(gif, 6, 5000, 2), 8, 5000, 2),
         "GIF picture is too large: 5000 x 5000 pixels" + tooLarge},
        {"GIF without a frame", Bytes({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}),
         "GIF holds no picture"},
        {"BMP cut in its pixels", Cut(bmp, 1000),
         "BMP pixel data at 0x8A runs past the end of the file (1,000 bytes)"},
        {"BMP cut in its header", Cut(bmp, 40),
         "BMP info header at 0xE runs past the end of the file (40 bytes)"},
        {"BMP too large", Patch(bmp, 22, 0xFFFFB1E0, 4), // height -20000: top-down
         "BMP picture is too large: 40 x 20000 pixels" + tooLarge},
        {"BMP of an unknown header", Patch(bmp, 14, 64, 4),
         "BMP info header of 64 bytes is not supported"},
        {"BMP of 64 bits", Patch(bmp, 28, 64, 2), "BMP of 64 bits per pixel is not supported"},
        {"BMP with embedded PNG", Patch(bmp, 30, 5, 4), "BMP compression 5 is not supported"},
        {"BMP with RLE8 at 32 bits", Patch(bmp, 30, 1, 4),
         "BMP compression 1 does not fit 32 bits per pixel"},
        {"BMP with its pixels in the header", Patch(bmp, 10, 100, 4),
         "BMP pixel data at 0x64 overlaps the header"},
        {"BMP without colour masks", Patch(Patch(Patch(bmp, 54, 0, 4), 58, 0, 4), 62, 0, 4),
         "BMP data is damaged: bad masks"},
        {"JPEG cut in its pixels", Cut(jpeg, jpeg.size() - 100),
         "JPEG data runs past the end of the file (" + ByteCount(jpeg.size() - 100) + ")"},
        {"JPEG cut in its header", Cut(jpeg, sof + 4), "JPEG data is damaged: Bogus marker length"},
        {"JPEG too large", Patch(Patch(jpeg, sof + 5, 20000, 2, true), sof + 7, 1000, 2, true),
         "JPEG picture is too large: 1000 x 20000 pixels" + tooLarge},
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
    std::ofstream(big).close();
    fs::resize_file(big, imaging::kMaxPictureFileSize + 1); // sparse: no disk used
    const std::pair<fs::path, std::string> cases[] = {
        {dir / "missing.png", "cannot open: No such file or directory"},
        {dir.path(), "cannot open: Is a directory"},
        {big, "file is too large (83,886,081 bytes; at most 83,886,080)"},
    };
    for (const auto& [path, message] : cases)
        EXPECT_THROW_MSG(imaging::LoadPicture(path), path.string() + ": " + message);
}

// Pillow's reading of a file: its mode, size and pixels as RGBA hex values,
// e.g. "RGBA 2x1 ff000080 00ff00ff".
std::string AsPillowLine(const std::string& mode, const Bitmap& b)
{
    std::string line = mode + " " + std::to_string(b.width) + "x" + std::to_string(b.height);
    for (std::uint32_t p : b.pixels) {
        char hex[10];
        std::snprintf(hex, sizeof hex, " %08x", p << 8 | p >> 24);
        line += hex;
    }
    return line;
}

TEST(ImagingTest, PillowReadsTheWrittenFiles)
{
#ifdef _WIN32
    GTEST_SKIP() << "Pillow is the build machine's Python library, which a Windows program "
                    "cannot start";
#endif
    TempDir dir;
    Bitmap gifPicture = ColourfulPicture(255, 25);
    imaging::SavePicture(MixedPicture(), dir / "a.png", "image/png");
    imaging::SavePicture(MixedPicture(), dir / "a.bmp", "image/bmp");
    imaging::SavePicture(gifPicture, dir / "a.gif", "image/gif");
    imaging::SavePicture(Gradient(40, 24), dir / "a.jpg", "image/jpeg");
    std::ofstream(dir / "read.py")
        << "import sys\n"
           "from PIL import Image\n"
           "for name in sys.argv[1:]:\n"
           "    im = Image.open(name)\n"
           "    px = im.convert('RGBA').getdata()\n"
           "    print(im.mode, '%dx%d' % im.size, ' '.join('%02x%02x%02x%02x' % p for p in px))\n";
    std::string command = "cd " + dir.path().string() +
                          " && /usr/bin/python3 read.py a.png a.bmp a.gif a.jpg > pillow.txt";
    ASSERT_EQ(std::system(command.c_str()), 0) << "Pillow (python3-pil) failed";
    std::ifstream in(dir / "pillow.txt");
    const std::string expected[] = {
        AsPillowLine("RGBA", MixedPicture()),
        AsPillowLine("RGBA", MixedPicture()),
        AsPillowLine("P", AsReadBack(gifPicture, "image/gif")),
        // Pillow's libjpeg decodes as TurboJPEG does.
        AsPillowLine("RGB", imaging::LoadPicture(dir / "a.jpg")),
    };
    for (const std::string& line : expected) {
        std::string read;
        std::getline(in, read);
        EXPECT_EQ(read, line);
    }
}

} // namespace
} // namespace zefir::test
