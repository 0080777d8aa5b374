// Reading the kinds of file the writers never produce: every PNG colour type
// and bit depth, GIF frames and interlacing, BMP bit depths, orientations,
// masks and RLE, progressive and grey JPEG. PNG, GIF and JPEG files are made
// here with the codec libraries themselves; BMP files are written by hand.

#include <gif_lib.h>
#include <png.h>
#include <turbojpeg.h>

#include "PictureTestUtil.h"

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

void AppendPng(png_structp png, png_bytep data, std::size_t length)
{
    auto* first = reinterpret_cast<std::byte*>(data);
    auto* out = static_cast<std::vector<std::byte>*>(png_get_io_ptr(png));
    out->insert(out->end(), first, first + length);
}

// libpng's default error handler aborts: a fixture it cannot write is a
// broken test.
std::vector<std::byte> MakePng(const PngCase& c, bool interlaced)
{
    int channels = c.colourType == PNG_COLOR_TYPE_PALETTE
                       ? 1
                       : (c.colourType & PNG_COLOR_MASK_COLOR ? 3 : 1) +
                             (c.colourType & PNG_COLOR_MASK_ALPHA ? 1 : 0);
    // Samples packed big-endian, most significant bit first.
    std::vector<std::vector<png_byte>> rows(2);
    std::vector<png_bytep> rowPointers;
    for (std::size_t y = 0; y < 2; ++y) {
        int used = 8;
        for (std::size_t i = 0; i < std::size_t(3 * channels); ++i)
            for (int bit = c.bitDepth - 1; bit >= 0; --bit) {
                if (used == 8) {
                    rows[y].push_back(0);
                    used = 0;
                }
                unsigned v = c.samples[y * 3 * channels + i] >> bit & 1;
                rows[y].back() = png_byte(rows[y].back() | v << (7 - used++));
            }
        rowPointers.push_back(rows[y].data());
    }
    std::vector<std::byte> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendPng, nullptr);
    png_set_IHDR(png, info, 3, 2, c.bitDepth, c.colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (std::uint32_t rgb : c.palette)
        palette.push_back(png_color{png_byte(rgb >> 16), png_byte(rgb >> 8), png_byte(rgb)});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    // A palette takes the values as alphas; gray and RGB as the colour that
    // is transparent.
    const auto& t = c.transparency;
    std::vector<png_byte> alphas(t.begin(), t.end());
    png_color_16 colour{};
    if (!t.empty()) {
        colour.gray = colour.red = png_uint_16(t[0]);
        colour.green = png_uint_16(t.size() == 3 ? t[1] : 0);
        colour.blue = png_uint_16(t.size() == 3 ? t[2] : 0);
        png_set_tRNS(png, info, alphas.data(), palette.empty() ? 0 : int(alphas.size()), &colour);
    }
    if (c.gammaOne)
        png_set_gAMA(png, info, 1.0);
    png_set_rows(png, info, rowPointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
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

std::vector<PngCase> PngCases()
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
    constexpr std::uint32_t A = 0xFF102030, B = 0xFF405060, C = 0xFF708090, D = 0xFFA0B0C0;
    // clang-format off
    return {
        {"gray 1 bit", kGray, 1, {0, 1, 0, 1, 1, 0}, Grays({0, 255, 0, 255, 255, 0})},
        {"gray 2 bits", kGray, 2, {0, 1, 2, 3, 2, 1}, Grays({0, 0x55, 0xAA, 0xFF, 0xAA, 0x55})},
        {"gray 4 bits", kGray, 4, {0, 5, 10, 15, 1, 14}, Grays({0, 0x55, 0xAA, 0xFF, 0x11, 0xEE})},
        {"gray 8 bits", kGray, 8, {0, 0x7F, 0xFF, 0x12, 0x34, 0x56},
         Grays({0, 0x7F, 0xFF, 0x12, 0x34, 0x56})},
        // 16 bits scale to 8 with rounding: 0x12FF is 18.9 of 255, so 0x13. A
        // gamma of 1.0 must not make libpng convert.
        {"gray 16 bits, gAMA 1.0", kGray, 16, {0, 0xFFFF, 0x8080, 0x1234, 0x12FF, 0x7F7F},
         Grays({0, 0xFF, 0x80, 0x12, 0x13, 0x7F}), {}, {}, true},
        {"gray and alpha 8 bits", kGrayAlpha, 8,
         {0x10, 0, 0x20, 0x80, 0x30, 0xFF, 0, 1, 0xFF, 0xFE, 9, 9},
         {0x00101010, 0x80202020, 0xFF303030, 0x01000000, 0xFEFFFFFF, 0x09090909}},
        {"gray and alpha 16 bits", kGrayAlpha, 16,
         {0x1234, 0xFFFF, 0xABCD, 0, 0x12FF, 0x8080, 0, 0, 0xFFFF, 0xFFFF, 0x8080, 0x12FF},
         {0xFF121212, 0x00ABABAB, 0x80131313, 0x00000000, 0xFFFFFFFF, 0x13808080}},
        {"RGB 8 bits, gAMA 1.0", kRgb, 8,
         {1, 2, 3, 0xFF, 0, 0x80, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x12, 0x34, 0x56, 9, 8, 7},
         {0xFF010203, 0xFFFF0080, 0xFF000000, 0xFFFFFFFF, 0xFF123456, 0xFF090807}, {}, {}, true},
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
        {"palette 1 bit", kPalette, 1, {0, 1, 1, 1, 0, 0}, {A, B, B, B, A, A},
         {0x102030, 0x405060}},
        {"palette 2 bits", kPalette, 2, {0, 1, 2, 3, 3, 0}, {A, B, C, D, D, A}, palette},
        {"palette 4 bits", kPalette, 4, {3, 2, 1, 0, 1, 2}, {D, C, B, A, B, C}, palette},
        {"palette 8 bits", kPalette, 8, {200, 17, 0, 0, 17, 200},
         {0xFFFEDCBA, 0xFF123456, 0xFF000000, 0xFF000000, 0xFF123456, 0xFFFEDCBA}, bigPalette},
        {"palette with tRNS", kPalette, 8, {0, 1, 2, 3, 2, 1},
         {0x00102030, 0x80405060, C, D, C, 0x80405060}, palette, {0, 0x80}},
        {"gray with tRNS", kGray, 8, {0x34, 0x35, 0x33, 0x34, 0, 0xFF},
         {0x00343434, 0xFF353535, 0xFF333333, 0x00343434, 0xFF000000, 0xFFFFFFFF}, {}, {0x34}},
        {"RGB with tRNS", kRgb, 8, {1, 2, 3, 1, 2, 4, 1, 2, 3, 0, 0, 0, 3, 2, 1, 1, 2, 3},
         {0x00010203, 0xFF010204, 0x00010203, 0xFF000000, 0xFF030201, 0x00010203}, {}, {1, 2, 3}},
    };
    // clang-format on
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
    auto* first = reinterpret_cast<const std::byte*>(data);
    auto* out = static_cast<std::vector<std::byte>*>(gif->UserData);
    out->insert(out->end(), first, first + length);
    return length;
}

ColorMapObject* MakeTable(const std::vector<std::uint32_t>& rgb)
{
    std::vector<GifColorType> colours;
    for (std::uint32_t c : rgb)
        colours.push_back(GifColorType{GifByteType(c >> 16), GifByteType(c >> 8), GifByteType(c)});
    return GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
}

// A GIF whose global colour table is black, red, green, blue. It is GIF87a
// unless a frame has a transparent index. A fixture giflib fails to write
// fails to decode.
std::vector<std::byte> MakeGif(int width, int height, const std::vector<GifFrame>& frames)
{
    std::vector<std::byte> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendGif, &error);
    EGifSetGifVersion(gif, std::any_of(frames.begin(), frames.end(), [](const GifFrame& f) {
                          return f.transparent != NO_TRANSPARENT_COLOR;
                      }));
    ColorMapObject* global = MakeTable({0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
    EGifPutScreenDesc(gif, width, height, 8, 0, global);
    GifFreeMapObject(global);
    for (const GifFrame& f : frames) {
        if (f.transparent != NO_TRANSPARENT_COLOR) {
            GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, f.transparent};
            GifByteType extension[4];
            EGifGCBToExtension(&control, extension);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        }
        ColorMapObject* local = f.localTable.empty() ? nullptr : MakeTable(f.localTable);
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local);
        GifFreeMapObject(local);
        // giflib writes rows in the order given; interlaced ones go pass by pass.
        const int starts[] = {0, 4, 2, 1};
        const int steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (f.interlaced ? 4 : 1); ++pass)
            for (int y = f.interlaced ? starts[pass] : 0; y < f.height;
                 y += f.interlaced ? steps[pass] : 1) {
                // A copy, as giflib masks the line in place.
                std::vector<GifPixelType> row(f.indices.begin() + y * f.width,
                                              f.indices.begin() + (y + 1) * f.width);
                EGifPutLine(gif, row.data(), f.width);
            }
    }
    EGifCloseFile(gif, &error);
    return out;
}

void Put(std::vector<std::byte>& out, std::size_t at, std::uint32_t v, int size)
{
    for (int i = 0; i < size; ++i)
        out[at + i] = std::byte(v >> (8 * i));
}

// A BMP: header size 12 (core), 40, 108 (V4) or 124 (V5); a negative height
// for rows top-down; compression 0 BI_RGB, 1 RLE8, 2 RLE4, 3 BI_BITFIELDS;
// masks R, G, B (, A); colour table 0xRRGGBB; `gap` bytes between the colour
// table and the pixels.
std::vector<std::byte> MakeBmp(std::uint32_t headerSize, std::int32_t width, std::int32_t height,
                               unsigned bitsPerPixel, std::uint32_t compression,
                               const std::vector<std::uint32_t>& masks,
                               const std::vector<std::uint32_t>& table,
                               const std::vector<unsigned>& pixels, std::size_t gap = 0)
{
    bool core = headerSize == 12;
    std::size_t tableStart = 14 + headerSize + (headerSize == 40 && compression == 3 ? 12 : 0);
    std::size_t entrySize = core ? 3 : 4;
    std::size_t offset = tableStart + table.size() * entrySize + gap;
    std::vector<std::byte> out(offset);
    out[0] = std::byte{'B'};
    out[1] = std::byte{'M'};
    Put(out, 2, static_cast<std::uint32_t>(offset + pixels.size()), 4); // file size
    Put(out, 10, static_cast<std::uint32_t>(offset), 4);                // pixel data offset
    Put(out, 14, headerSize, 4);
    int fieldSize = core ? 2 : 4;
    Put(out, 18, static_cast<std::uint32_t>(width), fieldSize);
    Put(out, 18 + fieldSize, static_cast<std::uint32_t>(height), fieldSize);
    Put(out, 18 + 2 * fieldSize, 1, 2); // planes
    Put(out, 20 + 2 * fieldSize, bitsPerPixel, 2);
    if (!core) {
        Put(out, 30, compression, 4);
        Put(out, 34, static_cast<std::uint32_t>(pixels.size()), 4); // image size
        Put(out, 46, static_cast<std::uint32_t>(table.size()), 4);  // colours used
    }
    // Masks at 54 either way: right after a 40-byte header, or at +40 in a V4 or V5 one.
    for (std::size_t i = 0; i < masks.size(); ++i)
        Put(out, 54 + 4 * i, masks[i], 4);
    for (std::size_t i = 0; i < table.size(); ++i) // B, G, R (, 0)
        Put(out, tableStart + i * entrySize, table[i], 3);
    for (unsigned v : pixels)
        out.push_back(std::byte(v));
    return out;
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

TEST(ImagingReadTest, ReadsEveryVariant)
{
    struct Case {
        std::string name;
        std::vector<std::byte> file;
        Bitmap expected;
        int tolerance = 0; // JPEG: the largest channel error allowed
    };
    std::vector<Case> cases;
    for (const PngCase& c : PngCases())
        for (bool interlaced : {false, true})
            cases.push_back({std::string("PNG ") + c.name + (interlaced ? ", interlaced" : ""),
                             MakePng(c, interlaced), Picture(3, 2, c.expected)});

    constexpr std::uint32_t K = 0xFF000000, R = 0xFFFF0000, G = 0xFF00FF00, U = 0xFF0000FF, T = 0;
    const std::uint32_t globalTable[] = {K, R, G, U};
    const std::vector<GifPixelType> tall = {0, 1, 1, 2, 2, 3, 3, 0, 0, 1,
                                            1, 2, 2, 3, 3, 0, 0, 1, 1, 2};
    Bitmap tallExpected(2, 10);
    for (std::size_t i = 0; i < tall.size(); ++i)
        tallExpected.pixels[i] = globalTable[tall[i]];
    // clang-format off
    cases.insert(cases.end(), {
        {"GIF87a frame on the whole screen", MakeGif(3, 2, {{0, 0, 3, 2, {0, 1, 2, 3, 2, 1}}}),
         Picture(3, 2, {K, R, G, U, G, R})},
        {"GIF interlaced frame of ten rows", MakeGif(2, 10, {{0, 0, 2, 10, tall, true}}),
         tallExpected},
        {"GIF frame inside a larger screen", MakeGif(4, 3, {{1, 1, 2, 1, {1, 2}}}),
         Picture(4, 3, {T, T, T, T, T, R, G, T, T, T, T, T})},
        {"GIF transparent index", MakeGif(3, 1, {{0, 0, 3, 1, {1, 2, 1}, false, 2}}),
         Picture(3, 1, {R, T, R})},
        {"GIF local colour table",
         MakeGif(2, 1, {{0, 0, 2, 1, {0, 1}, false, NO_TRANSPARENT_COLOR, {0x123456, 0xABCDEF}}}),
         Picture(2, 1, {0xFF123456, 0xFFABCDEF})},
        {"GIF later frames left out", MakeGif(2, 1, {{0, 0, 2, 1, {1, 1}}, {0, 0, 2, 1, {2, 2}}}),
         Picture(2, 1, {R, R})},
        {"GIF frame larger than its screen", MakeGif(1, 1, {{0, 0, 2, 2, {1, 2, 3, 0}}}),
         Picture(2, 2, {R, G, U, K})},
    });
    // clang-format on

    auto bmp = [&](const char* name, std::uint32_t headerSize, std::int32_t width,
                   std::int32_t height, unsigned bitsPerPixel, std::uint32_t compression,
                   const std::vector<std::uint32_t>& masks, const std::vector<std::uint32_t>& table,
                   const std::vector<unsigned>& pixels, const std::vector<std::uint32_t>& expected,
                   std::size_t gap = 0) {
        cases.push_back({std::string("BMP ") + name,
                         MakeBmp(headerSize, width, height, bitsPerPixel, compression, masks, table,
                                 pixels, gap),
                         Picture(width, std::abs(height), expected)});
    };
    const std::vector<std::uint32_t> two = {0x102030, 0x405060};
    const std::vector<std::uint32_t> three = {0x102030, 0x405060, 0x708090};
    constexpr std::uint32_t A = 0xFF102030, B = 0xFF405060, C = 0xFF708090, W = 0xFFFFFFFF;
    // Rows are bottom-up unless the height is negative, each padded to 4 bytes.
    // clang-format off
    // Pixels 1 0 1, then 0 1 1.
    bmp("1 bit", 40, 3, 2, 1, 0, {}, two, {0xA0, 0, 0, 0, 0x60, 0, 0, 0}, {A, B, B, B, A, B});
    // Pixels 2 1 0, then 0 1 2.
    bmp("4 bits", 40, 3, 2, 4, 0, {}, three, {0x21, 0, 0, 0, 0x01, 0x20, 0, 0},
        {A, B, C, C, B, A});
    bmp("8 bits, 7 past the colour table", 40, 3, 2, 8, 0, {}, three, {2, 1, 0, 0, 7, 1, 2, 0},
        {K, B, C, C, B, A});
    bmp("8 bits top-down", 40, 3, -2, 8, 0, {}, three, {2, 1, 0, 0, 0, 0, 1, 0},
        {C, B, A, A, A, B});
    bmp("8 bits, core header", 12, 3, 1, 8, 0, {}, three, {0, 1, 2, 0}, {A, B, C});
    // Blue and gray 16/31, then red and green.
    bmp("16 bits 5-5-5", 40, 2, 2, 16, 0, {}, {}, {0x1F, 0x00, 0x10, 0x42, 0x00, 0x7C, 0xE0, 0x03},
        {R, G, U, 0xFF848484});
    // Blue and 16/31 32/63 16/31, then red and green.
    bmp("16 bits 5-6-5 bit fields", 40, 2, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, {},
        {0x1F, 0x00, 0x10, 0x84, 0x00, 0xF8, 0xE0, 0x07}, {R, G, U, 0xFF848284});
    // B, G, R a pixel: blue green red, then three others.
    bmp("24 bits", 40, 3, 2, 24, 0, {}, {},
        {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0,
         0x30, 0x20, 0x10, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0},
        {A, K, W, U, G, R});
    bmp("24 bits top-down", 40, 1, -2, 24, 0, {}, {}, {0x30, 0x20, 0x10, 0, 0x60, 0x50, 0x40, 0},
        {A, B});
    bmp("24 bits, V4 header and a gap before the pixels", 108, 1, 1, 24, 0, {}, {},
        {0x30, 0x20, 0x10, 0}, {A}, 10);
    bmp("32 bits, alpha all 0 means opaque", 40, 2, 1, 32, 0, {}, {},
        {0x30, 0x20, 0x10, 0, 0x60, 0x50, 0x40, 0}, {A, B});
    bmp("32 bits with alpha", 40, 2, 1, 32, 0, {}, {},
        {0x30, 0x20, 0x10, 0x80, 0x60, 0x50, 0x40, 0}, {0x80102030, 0x00405060});
    bmp("32 bits, bit fields without alpha", 40, 2, 1, 32, 3, {0xFF0000, 0xFF00, 0xFF}, {},
        {0x30, 0x20, 0x10, 0x80, 0x60, 0x50, 0x40, 0}, {A, B});
    bmp("32 bits, V5 with masks in R G B A byte order", 124, 2, 1, 32, 3,
        {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}, {},
        {0x10, 0x20, 0x30, 0x80, 0x40, 0x50, 0x60, 0}, {0x80102030, 0x00405060});
    bmp("RLE8", 40, 5, 3, 8, 1, {}, three,
        {2, 1,             // bottom row: 1 1
         0, 3, 2, 0, 1, 0, // literal 2 0 1, padded to an even length
         0, 0,             // end of row
         0, 2, 3, 0,       // move 3 right: three pixels unset
         2, 2,             // 2 2
         0, 0,             // end of row
         1, 1,             // top row: 1
         0, 1},            // end of picture: the rest unset
        {B, T, T, T, T, T, T, T, C, C, B, B, C, A, B});
    bmp("RLE8 with a run past the right edge", 40, 2, 1, 8, 1, {}, three, {5, 2, 0, 1}, {C, C});
    bmp("RLE4", 40, 5, 2, 4, 2, {}, three,
        {5, 0x12,          // bottom row: 1 2 1 2 1
         0, 0,             // end of row
         0, 3, 0x01, 0x20, // literal 0 1 2
         2, 0x22,          // 2 2
         0, 1},            // end of picture
        {A, B, C, C, C, B, C, B, C, B});
    // clang-format on

    const Bitmap colour = Gradient(33, 17);
    Bitmap gray(33, 17);
    for (std::uint32_t i = 0; i < gray.pixels.size(); ++i)
        gray.pixels[i] = 0xFF000000 | 0x010101 * (i % 33 * 3 + i / 33 * 5);
    auto baseline = MakeJpeg(colour, TJSAMP_444, 0);
    // Stray bytes before the end marker: libjpeg warns, the picture is whole.
    auto stray = baseline;
    stray.insert(stray.end() - 2, {std::byte{0x12}, std::byte{0x34}});
    // clang-format off
    cases.insert(cases.end(), {
        {"JPEG baseline 4:4:4", baseline, colour, 6},
        {"JPEG progressive 4:4:4", MakeJpeg(colour, TJSAMP_444, TJFLAG_PROGRESSIVE), colour, 6},
        {"JPEG progressive 4:2:0", MakeJpeg(colour, TJSAMP_420, TJFLAG_PROGRESSIVE), colour, 12},
        {"JPEG gray", MakeJpeg(gray, TJSAMP_GRAY, 0), gray, 3},
        {"JPEG with stray bytes before the end", stray, colour, 6},
    });
    // clang-format on

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap b = imaging::DecodePicture(c.file, "x");
        ASSERT_EQ(b.width, c.expected.width);
        ASSERT_EQ(b.height, c.expected.height);
        if (c.tolerance == 0) {
            EXPECT_EQ(b.pixels, c.expected.pixels);
            continue;
        }
        EXPECT_LE(MaxColourError(c.expected, b), c.tolerance);
        for (std::uint32_t p : b.pixels)
            ASSERT_EQ(p >> 24, 0xFFu);
    }
}

TEST(ImagingReadTest, RefusesRleThatEndsEarlyAndCmyk)
{
    const std::pair<std::vector<std::byte>, std::string> cases[] = {
        {MakeBmp(40, 2, 2, 8, 1, {}, {0x102030}, {2, 0, 0, 0, 2}),
         "x: BMP RLE data at 0x3F runs past the end of the file (63 bytes)"},
        {MakeJpeg(Bitmap(8, 8), TJSAMP_444, 0, TJPF_CMYK),
         "x: CMYK JPEG pictures are not supported"},
    };
    for (const auto& [file, message] : cases)
        EXPECT_THROW_MSG(imaging::DecodePicture(file, "x"), message);
}

} // namespace
} // namespace zefir::test
