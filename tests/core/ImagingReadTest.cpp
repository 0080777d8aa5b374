// Reading the kinds of file the writers never produce: every PNG colour type
// and bit depth, GIF frames and interlacing, BMP bit depths, orientations,
// masks and RLE, progressive and grey JPEG. PNG, GIF and JPEG files are made
// here with the codec libraries themselves; BMP files are written by hand.

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <gif_lib.h>
#include <png.h>
#include <turbojpeg.h>

#include "TestUtil.h"
#include "core/imaging/Imaging.h"

namespace zefir::test {
namespace {

using imaging::Bitmap;

struct PngCase {
    const char* name;
    int colourType;
    int bitDepth;
    std::vector<unsigned> samples; // 3 x 2 pixels, channel by channel, top row first
    std::vector<std::uint32_t> expected;
    std::vector<std::uint32_t> palette = {}; // 0xRRGGBB
    std::vector<unsigned> transparency = {}; // palette alphas, or the gray value or RGB
    bool gammaOne = false;
};

[[noreturn]] void PngFixtureFailed(png_structp, png_const_charp message)
{
    std::fprintf(stderr, "libpng cannot write a fixture: %s\n", message);
    std::abort();
}

void AppendPng(png_structp png, png_bytep data, std::size_t length)
{
    auto* out = static_cast<std::vector<std::byte>*>(png_get_io_ptr(png));
    out->insert(out->end(), reinterpret_cast<std::byte*>(data),
                reinterpret_cast<std::byte*>(data) + length);
}

std::vector<std::byte> MakePng(const PngCase& c, bool interlaced)
{
    constexpr std::uint32_t kWidth = 3;
    constexpr std::uint32_t kHeight = 2;
    int channels = c.colourType == PNG_COLOR_TYPE_RGB          ? 3
                   : c.colourType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                   : c.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                               : 1;
    // Samples packed big-endian, low bit depths from the high bit down.
    std::vector<std::vector<png_byte>> rows(kHeight);
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        unsigned bits = 0;
        unsigned fill = 0;
        for (std::uint32_t i = 0; i < kWidth * channels; ++i) {
            unsigned v = c.samples[y * kWidth * channels + i];
            if (c.bitDepth == 16) {
                rows[y].push_back(static_cast<png_byte>(v >> 8));
                rows[y].push_back(static_cast<png_byte>(v));
                continue;
            }
            bits = bits << c.bitDepth | v;
            fill += c.bitDepth;
            if (fill == 8) {
                rows[y].push_back(static_cast<png_byte>(bits));
                bits = fill = 0;
            }
        }
        if (fill > 0)
            rows[y].push_back(static_cast<png_byte>(bits << (8 - fill)));
    }
    std::vector<png_bytep> rowPointers;
    for (auto& row : rows)
        rowPointers.push_back(row.data());

    std::vector<std::byte> out;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFixtureFailed, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendPng, nullptr);
    png_set_IHDR(png, info, kWidth, kHeight, c.bitDepth, c.colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::uint32_t rgb : c.palette)
        palette.push_back(png_color{png_byte(rgb >> 16), png_byte(rgb >> 8), png_byte(rgb)});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    std::vector<png_byte> alphas(c.transparency.begin(), c.transparency.end());
    png_color_16 colour{};
    if (c.colourType == PNG_COLOR_TYPE_PALETTE && !alphas.empty())
        png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
    if (c.colourType == PNG_COLOR_TYPE_GRAY && !alphas.empty()) {
        colour.gray = static_cast<png_uint_16>(c.transparency[0]);
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    if (c.colourType == PNG_COLOR_TYPE_RGB && !alphas.empty()) {
        colour.red = static_cast<png_uint_16>(c.transparency[0]);
        colour.green = static_cast<png_uint_16>(c.transparency[1]);
        colour.blue = static_cast<png_uint_16>(c.transparency[2]);
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    if (c.gammaOne)
        png_set_gAMA(png, info, 1.0);
    png_write_info(png, info);
    png_write_image(png, rowPointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<std::uint32_t> Grays(std::initializer_list<unsigned> values)
{
    std::vector<std::uint32_t> out;
    for (unsigned v : values)
        out.push_back(0xFF000000 | v << 16 | v << 8 | v);
    return out;
}

TEST(ImagingReadTest, ReadsEveryPngColourTypeAndBitDepth)
{
    constexpr int kGray = PNG_COLOR_TYPE_GRAY;
    constexpr int kGrayAlpha = PNG_COLOR_TYPE_GRAY_ALPHA;
    constexpr int kRgb = PNG_COLOR_TYPE_RGB;
    constexpr int kRgba = PNG_COLOR_TYPE_RGB_ALPHA;
    constexpr int kPalette = PNG_COLOR_TYPE_PALETTE;
    const std::vector<std::uint32_t> palette = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
    std::vector<std::uint32_t> bigPalette(201, 0x000000);
    bigPalette[200] = 0xFEDCBA;
    bigPalette[17] = 0x123456;
    // clang-format off
    const PngCase cases[] = {
        {"gray 1 bit", kGray, 1, {0, 1, 0, 1, 1, 0}, Grays({0, 255, 0, 255, 255, 0})},
        {"gray 2 bits", kGray, 2, {0, 1, 2, 3, 2, 1}, Grays({0, 0x55, 0xAA, 0xFF, 0xAA, 0x55})},
        {"gray 4 bits", kGray, 4, {0, 5, 10, 15, 1, 14}, Grays({0, 0x55, 0xAA, 0xFF, 0x11, 0xEE})},
        {"gray 8 bits", kGray, 8, {0, 0x7F, 0xFF, 0x12, 0x34, 0x56},
         Grays({0, 0x7F, 0xFF, 0x12, 0x34, 0x56})},
        // 16 bits scale to 8 with rounding: 0x12FF is 18.9 of 255, so 0x13.
        {"gray 16 bits", kGray, 16, {0, 0xFFFF, 0x8080, 0x1234, 0x12FF, 0x7F7F},
         Grays({0, 0xFF, 0x80, 0x12, 0x13, 0x7F})},
        {"gray and alpha 8 bits", kGrayAlpha, 8,
         {0x10, 0, 0x20, 0x80, 0x30, 0xFF, 0, 1, 0xFF, 0xFE, 9, 9},
         {0x00101010, 0x80202020, 0xFF303030, 0x01000000, 0xFEFFFFFF, 0x09090909}},
        {"gray and alpha 16 bits", kGrayAlpha, 16,
         {0x1234, 0xFFFF, 0xABCD, 0, 0x12FF, 0x8080, 0, 0, 0xFFFF, 0xFFFF, 0x8080, 0x12FF},
         {0xFF121212, 0x00ABABAB, 0x80131313, 0x00000000, 0xFFFFFFFF, 0x13808080}},
        {"RGB 8 bits", kRgb, 8,
         {1, 2, 3, 0xFF, 0, 0x80, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x12, 0x34, 0x56, 9, 8, 7},
         {0xFF010203, 0xFFFF0080, 0xFF000000, 0xFFFFFFFF, 0xFF123456, 0xFF090807}},
        {"RGB 16 bits", kRgb, 16,
         {0x12FF, 0x8080, 0xFFFF, 0, 0, 0, 0x1234, 0x5678, 0x9ABC,
          0xFFFF, 0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF},
         {0xFF1380FF, 0xFF000000, 0xFF12569A, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF}},
        {"RGBA 8 bits", kRgba, 8,
         {1, 2, 3, 4, 0xFF, 0, 0x80, 0, 0, 0, 0, 0xFF,
          0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34, 0x56, 0x78, 9, 8, 7, 0x80},
         {0x04010203, 0x00FF0080, 0xFF000000, 0xFFFFFFFF, 0x78123456, 0x80090807}},
        {"RGBA 16 bits", kRgba, 16,
         {0x12FF, 0x8080, 0xFFFF, 0xFFFF, 0, 0, 0, 0, 0x1234, 0x5678, 0x9ABC, 0x8080,
          0xFFFF, 0, 0, 0x12FF, 0, 0xFFFF, 0, 0xFFFF, 0, 0, 0xFFFF, 0xFFFF},
         {0xFF1380FF, 0x00000000, 0x8012569A, 0x13FF0000, 0xFF00FF00, 0xFF0000FF}},
        {"palette 1 bit", kPalette, 1, {0, 1, 1, 1, 0, 0},
         {0xFF102030, 0xFF405060, 0xFF405060, 0xFF405060, 0xFF102030, 0xFF102030},
         {0x102030, 0x405060}},
        {"palette 2 bits", kPalette, 2, {0, 1, 2, 3, 3, 0},
         {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFFA0B0C0, 0xFF102030}, palette},
        {"palette 4 bits", kPalette, 4, {3, 2, 1, 0, 1, 2},
         {0xFFA0B0C0, 0xFF708090, 0xFF405060, 0xFF102030, 0xFF405060, 0xFF708090}, palette},
        {"palette 8 bits", kPalette, 8, {200, 17, 0, 0, 17, 200},
         {0xFFFEDCBA, 0xFF123456, 0xFF000000, 0xFF000000, 0xFF123456, 0xFFFEDCBA}, bigPalette},
        {"palette with tRNS", kPalette, 8, {0, 1, 2, 3, 2, 1},
         {0x00102030, 0x80405060, 0xFF708090, 0xFFA0B0C0, 0xFF708090, 0x80405060},
         palette, {0, 0x80}},
        {"gray with tRNS", kGray, 8, {0x34, 0x35, 0x33, 0x34, 0, 0xFF},
         {0x00343434, 0xFF353535, 0xFF333333, 0x00343434, 0xFF000000, 0xFFFFFFFF}, {}, {0x34}},
        {"RGB with tRNS", kRgb, 8, {1, 2, 3, 1, 2, 4, 1, 2, 3, 0, 0, 0, 3, 2, 1, 1, 2, 3},
         {0x00010203, 0xFF010204, 0x00010203, 0xFF000000, 0xFF030201, 0x00010203}, {}, {1, 2, 3}},
        // A gamma of 1.0 must not make libpng convert: the stored values come back.
        {"gAMA 1.0, 8 bits", kRgb, 8,
         {1, 2, 3, 0x40, 0x80, 0xC0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x12, 0x34, 0x56, 9, 8, 7},
         {0xFF010203, 0xFF4080C0, 0xFF000000, 0xFFFFFFFF, 0xFF123456, 0xFF090807}, {}, {}, true},
        {"gAMA 1.0, 16 bits", kGray, 16, {0, 0xFFFF, 0x8080, 0x1234, 0x12FF, 0x7F7F},
         Grays({0, 0xFF, 0x80, 0x12, 0x13, 0x7F}), {}, {}, true},
    };
    // clang-format on
    for (const PngCase& c : cases) {
        for (bool interlaced : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (interlaced ? ", interlaced" : ""));
            Bitmap b = imaging::DecodePicture(MakePng(c, interlaced), "x.png");
            EXPECT_EQ(b.width, 3u);
            EXPECT_EQ(b.height, 2u);
            EXPECT_EQ(b.pixels, c.expected);
        }
    }
}

struct GifFrame {
    int left, top, width, height;
    std::vector<GifPixelType> indices; // row by row, top first
    bool interlaced = false;
    int transparent = NO_TRANSPARENT_COLOR;
    std::vector<std::uint32_t> localTable = {};
};

int AppendGif(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<std::vector<std::byte>*>(gif->UserData);
    out->insert(out->end(), reinterpret_cast<const std::byte*>(data),
                reinterpret_cast<const std::byte*>(data) + length);
    return length;
}

ColorMapObject* MakeTable(const std::vector<std::uint32_t>& rgb)
{
    std::vector<GifColorType> colours;
    for (std::uint32_t c : rgb)
        colours.push_back(GifColorType{GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)});
    return GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
}

std::vector<std::byte> MakeGif(int width, int height, const std::vector<std::uint32_t>& globalTable,
                               const std::vector<GifFrame>& frames)
{
    std::vector<std::byte> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendGif, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = MakeTable(globalTable);
    EXPECT_EQ(EGifPutScreenDesc(gif, width, height, 8, 0, global), GIF_OK);
    GifFreeMapObject(global);
    for (const GifFrame& f : frames) {
        if (f.transparent != NO_TRANSPARENT_COLOR) {
            GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, f.transparent};
            GifByteType extension[4];
            EGifGCBToExtension(&control, extension);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        }
        ColorMapObject* local = f.localTable.empty() ? nullptr : MakeTable(f.localTable);
        EXPECT_EQ(EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local),
                  GIF_OK);
        GifFreeMapObject(local);
        // giflib writes rows in the order given; interlaced ones go pass by pass.
        std::vector<int> order;
        const int starts[] = {0, 4, 2, 1};
        const int steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (f.interlaced ? 4 : 1); ++pass)
            for (int y = f.interlaced ? starts[pass] : 0; y < f.height;
                 y += f.interlaced ? steps[pass] : 1)
                order.push_back(y);
        for (int y : order) {
            std::vector<GifPixelType> row(f.indices.begin() + y * f.width,
                                          f.indices.begin() + (y + 1) * f.width);
            EXPECT_EQ(EGifPutLine(gif, row.data(), f.width), GIF_OK);
        }
    }
    EXPECT_EQ(EGifCloseFile(gif, &error), GIF_OK);
    return out;
}

TEST(ImagingReadTest, ReadsTheFirstGifFrameOnItsScreen)
{
    const std::vector<std::uint32_t> table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    constexpr std::uint32_t K = 0xFF000000, R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, T = 0;
    std::vector<GifPixelType> tall;
    std::vector<std::uint32_t> tallExpected;
    for (int y = 0; y < 10; ++y) {
        tall.insert(tall.end(), {GifPixelType(y % 4), GifPixelType((y + 1) % 4)});
        tallExpected.insert(tallExpected.end(),
                            {(std::vector<std::uint32_t>{K, R, G, B})[y % 4],
                             (std::vector<std::uint32_t>{K, R, G, B})[(y + 1) % 4]});
    }
    struct Case {
        const char* name;
        int width, height;
        std::vector<GifFrame> frames;
        std::vector<std::uint32_t> expected;
    };
    // clang-format off
    const Case cases[] = {
        {"frame on the whole screen", 3, 2, {{0, 0, 3, 2, {0, 1, 2, 3, 2, 1}}}, {K, R, G, B, G, R}},
        {"interlaced frame of ten rows", 2, 10, {{0, 0, 2, 10, tall, true}}, tallExpected},
        {"frame inside a larger screen", 4, 3, {{1, 1, 2, 1, {1, 2}}},
         {T, T, T, T, T, R, G, T, T, T, T, T}},
        {"transparent index", 3, 1, {{0, 0, 3, 1, {1, 2, 1}, false, 2}}, {R, T, R}},
        {"local colour table", 2, 1,
         {{0, 0, 2, 1, {0, 1}, false, NO_TRANSPARENT_COLOR, {0x123456, 0xABCDEF}}},
         {0xFF123456, 0xFFABCDEF}},
        {"later frames left out", 2, 1, {{0, 0, 2, 1, {1, 1}}, {0, 0, 2, 1, {2, 2}}}, {R, R}},
        {"frame larger than its screen", 1, 1, {{0, 0, 2, 2, {1, 2, 3, 0}}}, {R, G, B, K}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap b = imaging::DecodePicture(MakeGif(c.width, c.height, table, c.frames), "x.gif");
        EXPECT_EQ(b.pixels, c.expected);
        EXPECT_EQ(b.pixels.size(), std::size_t{b.width} * b.height);
    }
}

struct BmpCase {
    const char* name;
    std::uint32_t headerSize; // 12 core, 40, 108 V4 or 124 V5
    std::int32_t width;
    std::int32_t height; // negative: top-down
    std::uint16_t bitsPerPixel;
    std::uint32_t compression;              // 0 BI_RGB, 1 RLE8, 2 RLE4, 3 BI_BITFIELDS
    std::vector<std::uint32_t> masks;       // R, G, B (, A)
    std::vector<std::uint32_t> colourTable; // 0xRRGGBB
    std::vector<std::byte> pixels;
    std::vector<std::uint32_t> expected; // top row first
    std::size_t gap = 0;                 // bytes between the colour table and the pixels
};

void Put16(std::vector<std::byte>& out, std::size_t at, unsigned v)
{
    out[at] = std::byte(v & 0xFF);
    out[at + 1] = std::byte(v >> 8);
}

void Put32(std::vector<std::byte>& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = std::byte(v >> (8 * i));
}

std::vector<std::byte> MakeBmp(const BmpCase& c)
{
    bool core = c.headerSize == 12;
    bool masksAfterHeader = c.headerSize == 40 && c.compression == 3;
    std::size_t tableStart = 14 + c.headerSize + (masksAfterHeader ? 12 : 0);
    std::size_t entrySize = core ? 3 : 4;
    std::size_t offset = tableStart + c.colourTable.size() * entrySize + c.gap;
    std::vector<std::byte> out(offset);
    out[0] = std::byte{'B'};
    out[1] = std::byte{'M'};
    Put32(out, 2, static_cast<std::uint32_t>(offset + c.pixels.size())); // file size
    Put32(out, 10, static_cast<std::uint32_t>(offset));                  // pixel data offset
    Put32(out, 14, c.headerSize);
    if (core) {
        Put16(out, 18, static_cast<unsigned>(c.width));
        Put16(out, 20, static_cast<unsigned>(c.height));
        Put16(out, 22, 1); // planes
        Put16(out, 24, c.bitsPerPixel);
    } else {
        Put32(out, 18, static_cast<std::uint32_t>(c.width));
        Put32(out, 22, static_cast<std::uint32_t>(c.height));
        Put16(out, 26, 1); // planes
        Put16(out, 28, c.bitsPerPixel);
        Put32(out, 30, c.compression);
        Put32(out, 34, static_cast<std::uint32_t>(c.pixels.size()));      // image size
        Put32(out, 46, static_cast<std::uint32_t>(c.colourTable.size())); // colours used
    }
    // Masks at 54 either way: right after a 40-byte header, or at +40 in a V4 or V5 one.
    for (std::size_t i = 0; i < c.masks.size(); ++i)
        Put32(out, 54 + 4 * i, c.masks[i]);
    for (std::size_t i = 0; i < c.colourTable.size(); ++i) { // B, G, R (, 0)
        std::size_t at = tableStart + i * entrySize;
        out[at] = std::byte(c.colourTable[i]);
        out[at + 1] = std::byte(c.colourTable[i] >> 8);
        out[at + 2] = std::byte(c.colourTable[i] >> 16);
    }
    out.insert(out.end(), c.pixels.begin(), c.pixels.end());
    return out;
}

TEST(ImagingReadTest, ReadsBmpDepthsOrientationsMasksAndRle)
{
    const std::vector<std::uint32_t> table = {0x102030, 0x405060, 0x708090};
    constexpr std::uint32_t A = 0xFF102030, B = 0xFF405060, C = 0xFF708090, K = 0xFF000000, T = 0;
    constexpr std::uint32_t R = 0xFFFF0000, G = 0xFF00FF00, U = 0xFF0000FF, W = 0xFFFFFFFF;
    // clang-format off
    const BmpCase cases[] = {
        {"1 bit", 40, 3, 2, 1, 0, {}, {0x102030, 0x405060},
         Bytes({0xA0, 0, 0, 0,   // bottom row: 1 0 1, padded to 4 bytes
                0x60, 0, 0, 0}), // top row: 0 1 1
         {A, B, B, B, A, B}},
        {"4 bits", 40, 3, 2, 4, 0, {}, table,
         Bytes({0x21, 0x00, 0, 0,  // bottom: 2 1 0
                0x01, 0x20, 0, 0}), // top: 0 1 2
         {A, B, C, C, B, A}},
        {"8 bits, an index past the colour table", 40, 3, 2, 8, 0, {}, table,
         Bytes({2, 1, 0, 0,   // bottom
                7, 1, 2, 0}), // top: 7 is not in the table
         {K, B, C, C, B, A}},
        {"8 bits top-down", 40, 3, -2, 8, 0, {}, table,
         Bytes({2, 1, 0, 0,   // top
                0, 0, 1, 0}), // bottom
         {C, B, A, A, A, B}},
        {"8 bits, core header", 12, 3, 1, 8, 0, {}, table, Bytes({0, 1, 2, 0}), {A, B, C}},
        {"16 bits 5-5-5", 40, 2, 2, 16, 0, {}, {},
         Bytes({0x1F, 0x00, 0x10, 0x42,   // bottom: blue, gray 16/31
                0x00, 0x7C, 0xE0, 0x03}), // top: red, green
         {R, G, U, 0xFF848484}},
        {"16 bits 5-6-5 bit fields", 40, 2, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, {},
         Bytes({0x1F, 0x00, 0x10, 0x84,   // bottom: blue, 16/31 32/63 16/31
                0x00, 0xF8, 0xE0, 0x07}), // top: red, green
         {R, G, U, 0xFF848284}},
        {"24 bits", 40, 3, 2, 24, 0, {}, {},
         Bytes({0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, // bottom: blue green red, padding
                0x30, 0x20, 0x10, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0}), // top
         {A, K, W, U, G, R}},
        {"24 bits top-down", 40, 1, -2, 24, 0, {}, {},
         Bytes({0x30, 0x20, 0x10, 0,   // top
                0x60, 0x50, 0x40, 0}), // bottom
         {A, B}},
        {"24 bits, V4 header and a gap before the pixels", 108, 1, 1, 24, 0, {}, {},
         Bytes({0x30, 0x20, 0x10, 0}), {A}, 10},
        {"32 bits, alpha all 0 means opaque", 40, 2, 1, 32, 0, {}, {},
         Bytes({0x30, 0x20, 0x10, 0, 0x60, 0x50, 0x40, 0}), {A, B}},
        {"32 bits with alpha", 40, 2, 1, 32, 0, {}, {},
         Bytes({0x30, 0x20, 0x10, 0x80, 0x60, 0x50, 0x40, 0}), {0x80102030, 0x00405060}},
        {"32 bits, bit fields without alpha", 40, 2, 1, 32, 3, {0xFF0000, 0xFF00, 0xFF}, {},
         Bytes({0x30, 0x20, 0x10, 0x80, 0x60, 0x50, 0x40, 0}), {A, B}},
        {"32 bits, V5 with masks in R G B A byte order", 124, 2, 1, 32, 3,
         {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}, {},
         Bytes({0x10, 0x20, 0x30, 0x80, 0x40, 0x50, 0x60, 0}), {0x80102030, 0x00405060}},
        {"RLE8", 40, 5, 3, 8, 1, {}, table,
         Bytes({2, 1,             // bottom row: 1 1
                0, 3, 2, 0, 1, 0, // literal 2 0 1, padded to an even length
                0, 0,             // end of row
                0, 2, 3, 0,       // move 3 right: three pixels unset
                2, 2,             // 2 2
                0, 0,             // end of row
                1, 1,             // top row: 1
                0, 1}),           // end of picture: the rest unset
         {B, T, T, T, T, T, T, T, C, C, B, B, C, A, B}},
        {"RLE8 with a run past the right edge", 40, 2, 1, 8, 1, {}, table,
         Bytes({5, 2, 0, 1}), {C, C}},
        {"RLE4", 40, 5, 2, 4, 2, {}, table,
         Bytes({5, 0x12,          // bottom row: 1 2 1 2 1
                0, 0,             // end of row
                0, 3, 0x01, 0x20, // literal 0 1 2
                2, 0x22,          // 2 2
                0, 1}),           // end of picture
         {A, B, C, C, C, B, C, B, C, B}},
    };
    // clang-format on
    for (const BmpCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap b = imaging::DecodePicture(MakeBmp(c), "x.bmp");
        EXPECT_EQ(b.width, static_cast<std::uint32_t>(c.width));
        EXPECT_EQ(b.height, static_cast<std::uint32_t>(std::abs(c.height)));
        EXPECT_EQ(b.pixels, c.expected);
    }
}

TEST(ImagingReadTest, RefusesRleThatEndsEarly)
{
    BmpCase c{"", 40, 2, 2, 8, 1, {}, {0x102030}, Bytes({2, 0, 0, 0, 2}), {}};
    EXPECT_THROW_MSG(imaging::DecodePicture(MakeBmp(c), "x.bmp"),
                     "x.bmp: BMP RLE data at 0x3F runs past the end of the file (0x3F bytes)");
}

std::vector<std::byte> MakeJpeg(const Bitmap& picture, int subsampling, int flags,
                                int pixelFormat = TJPF_BGRA)
{
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    int width = static_cast<int>(picture.width);
    EXPECT_EQ(tjCompress2(tj, reinterpret_cast<const unsigned char*>(picture.pixels.data()), width,
                          width * 4, static_cast<int>(picture.height), pixelFormat, &jpeg, &size,
                          subsampling, 95, flags),
              0)
        << tjGetErrorStr2(tj);
    std::vector<std::byte> out(reinterpret_cast<std::byte*>(jpeg),
                               reinterpret_cast<std::byte*>(jpeg) + size);
    tjFree(jpeg);
    tjDestroy(tj);
    return out;
}

int MaxError(const Bitmap& a, const Bitmap& b)
{
    int worst = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        for (int shift : {16, 8, 0})
            worst = std::max(worst, std::abs(static_cast<int>(a.pixels[i] >> shift & 0xFF) -
                                             static_cast<int>(b.pixels[i] >> shift & 0xFF)));
    return worst;
}

TEST(ImagingReadTest, ReadsJpegVariants)
{
    Bitmap colour(33, 17);
    Bitmap gray(33, 17);
    for (std::uint32_t y = 0; y < colour.height; ++y)
        for (std::uint32_t x = 0; x < colour.width; ++x) {
            colour.At(x, y) = 0xFF000000 | (x * 7) << 16 | (y * 15) << 8 | (x + y) * 4;
            gray.At(x, y) = 0xFF000000 | 0x010101 * (x * 3 + y * 5);
        }
    auto baseline = MakeJpeg(colour, TJSAMP_444, 0);
    // Stray bytes before the end marker: libjpeg warns, the picture is whole.
    auto stray = baseline;
    stray.insert(stray.end() - 2, {std::byte{0x12}, std::byte{0x34}});
    struct Case {
        const char* name;
        std::vector<std::byte> jpeg;
        const Bitmap& source;
        int tolerance;
    };
    // clang-format off
    const Case cases[] = {
        {"baseline 4:4:4", baseline, colour, 6},
        {"progressive 4:4:4", MakeJpeg(colour, TJSAMP_444, TJFLAG_PROGRESSIVE), colour, 6},
        {"progressive 4:2:0", MakeJpeg(colour, TJSAMP_420, TJFLAG_PROGRESSIVE), colour, 12},
        {"gray", MakeJpeg(gray, TJSAMP_GRAY, 0), gray, 3},
        {"stray bytes before the end", stray, colour, 6},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap b = imaging::DecodePicture(c.jpeg, "x.jpg");
        ASSERT_EQ(b.width, c.source.width);
        ASSERT_EQ(b.height, c.source.height);
        EXPECT_LE(MaxError(c.source, b), c.tolerance);
        for (std::uint32_t p : b.pixels)
            ASSERT_EQ(p >> 24, 0xFFu);
    }
}

TEST(ImagingReadTest, RefusesCmykJpeg)
{
    Bitmap picture(8, 8);
    auto cmyk = MakeJpeg(picture, TJSAMP_444, 0, TJPF_CMYK);
    EXPECT_THROW_MSG(imaging::DecodePicture(cmyk, "x.jpg"),
                     "x.jpg: CMYK JPEG pictures are not supported");
}

} // namespace
} // namespace zefir::test
