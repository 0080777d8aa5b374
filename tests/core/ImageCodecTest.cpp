#include <climits>

#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::imagecodec {
namespace {

using test::Append;
using test::AppendU32;
using test::Bytes;

// A Moto Bitmap header, one u32 LE field after another.
std::vector<std::byte> MotoHeader(std::uint32_t width, std::uint32_t height, std::uint32_t depth,
                                  std::uint32_t rowBytes)
{
    std::vector<std::byte> out;
    AppendU32(out, width);    // Width
    AppendU32(out, height);   // Height
    AppendU32(out, depth);    // BitDepth
    AppendU32(out, rowBytes); // RowBytes
    return out;
}

imaging::Bitmap Picture(std::uint32_t width, std::uint32_t height,
                        std::initializer_list<std::uint32_t> pixels)
{
    imaging::Bitmap picture(width, height);
    picture.pixels.assign(pixels);
    return picture;
}

std::uint32_t Alpha(std::uint32_t argb)
{
    return argb >> 24;
}

TEST(ImageKindTest, ByNameAndBitDepth)
{
    struct Case {
        const char* name;
        std::vector<std::byte> header;
        ImageKind expected;
    };
    const Case cases[] = {
        {"ICON.RAW", {}, ImageKind::ikRaw},
        {"icon.raw", {}, ImageKind::ikRaw},
        {"icon.Raw", {}, ImageKind::ikRaw},
        {"icon.raw.bak", {}, ImageKind::ikUnknown},
        {"icon", {}, ImageKind::ikUnknown},
        {"folder.raw/icon", {}, ImageKind::ikUnknown},
        {"icon.gif", {}, ImageKind::ikUnknown},
        {"icon.g", {}, ImageKind::ikMotoImage},
        {"ICON.G", {}, ImageKind::ikMotoImage},
        {"icon.k", MotoHeader(1, 1, 18, 4), ImageKind::ikMotoBitmap18},
        {"ICON.K", MotoHeader(1, 1, 18, 4), ImageKind::ikMotoBitmap18},
        {"icon.k", MotoHeader(1, 1, 32, 4), ImageKind::ikMotoBitmap32},
        {"icon.k", MotoHeader(1, 1, 24, 4), ImageKind::ikMotoBitmap32},
        {"icon.k", MotoHeader(1, 1, 0, 4), ImageKind::ikMotoBitmap32},
        // Bytes a short header lacks read as 0.
        {"icon.k", Bytes({1, 0, 0, 0, 1, 0, 0, 0, 18}), ImageKind::ikMotoBitmap18},
        {"icon.k", Bytes({1, 0, 0, 0, 1, 0, 0, 0}), ImageKind::ikMotoBitmap32},
        {"icon.k", {}, ImageKind::ikMotoBitmap32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", header of " + std::to_string(c.header.size()) +
                     " bytes" +
                     (c.header.size() > 8 ? ", BitDepth " + std::to_string(int(c.header[8])) : ""));
        EXPECT_EQ(DetectImageKind(c.name, c.header), c.expected);
    }
}

TEST(RawNameTest, Parses)
{
    struct Case {
        const char* name;
        bool ok;
        std::int32_t width;
        std::int32_t height;
    };
    const Case cases[] = {
        {"icon(16x16).raw", true, 16, 16},
        {"icon(16X16).RAW", true, 16, 16},
        {"a(20x30)b.raw", true, 20, 30},
        {"(16x08).raw", true, 16, 8},
        {"icon(8x16).raw", true, 8, 16},
        {"icon(1x01).raw", true, 1, 1},
        {"icon(0000000000000000016x16).raw", true, 16, 16},
        {"icon(2147483647x01).raw", true, INT_MAX, 1},
        {"icon16x16.raw", false, 0, 0},
        {"icon(16x).raw", false, 0, 0},
        {"icon(x16).raw", false, 0, 0},
        {"icon(16x8).raw", false, 0, 0},
        {"icon(1x1).raw", false, 0, 0},
        {"icon(123456).raw", false, 0, 0},
        {"icon(16x16.raw", false, 0, 0},
        {"icon)16x16(.raw", false, 0, 0},
        {"C:/pics (old)/a(16x16).raw", false, 0, 0},
        // The height is read as an integer conversion reads it.
        {"icon(16xx10).raw", true, 16, 16},
        {"icon(16x$1F).raw", true, 16, 31},
        {"icon(16x 12).raw", true, 16, 12},
        {"icon(16x-5).raw", true, 16, -5},
        {"icon(16x-$10).raw", true, 16, -16},
        {"icon(16xab).raw", true, 16, 0},
        {"icon(0x16).raw", true, 0, 16},
        {"icon(16x12 ).raw", true, 16, 0},
        {"icon(16x2147483647).raw", true, 16, INT_MAX},
        {"icon(16x2147483648).raw", true, 16, 0},
        {"icon(16x-2147483648).raw", true, 16, INT_MIN},
        {"icon(16x$FFFFFFFF).raw", true, 16, -1},
        {"icon(16x$100000000).raw", true, 16, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::int32_t width = 0;
        std::int32_t height = 0;
        ASSERT_EQ(ParseRawDimensions(c.name, width, height), c.ok);
        if (c.ok) {
            EXPECT_EQ(width, c.width);
            EXPECT_EQ(height, c.height);
        }
    }
}

TEST(RawNameTest, RefusesAWidthAbove32Bits)
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    EXPECT_THROW_MSG(ParseRawDimensions("p/icon(2147483648x16).raw", width, height),
                     "p/icon(2147483648x16).raw: the picture width in the name, 2147483648, is "
                     "larger than 2147483647");
}

TEST(RawPictureTest, PixelWords)
{
    struct Case {
        const char* name;
        unsigned high;
        unsigned low;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"red", 0xF8, 0x00, 0xFFF80000},
        {"green", 0x07, 0xE0, 0xFF00FC00},
        {"blue", 0x00, 0x1F, 0xFF0000F8},
        {"white", 0xFF, 0xFF, 0xFFF8FCF8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::byte> file(544); // 16 x 16: 512 pixel bytes, 32 mask bytes
        file[0] = std::byte(c.high);
        file[1] = std::byte(c.low);
        auto picture = DecodeRawPicture(file, 16, 16, "icon(16x16).raw");
        ASSERT_EQ(picture.width, 16u);
        ASSERT_EQ(picture.height, 16u);
        EXPECT_EQ(picture.At(0, 0), c.expected);
        EXPECT_EQ(picture.At(1, 0), 0xFF000000u);
    }
}

TEST(RawPictureTest, MaskIsMostSignificantBitFirstAndRunsOnAcrossRows)
{
    std::vector<std::byte> file(544);
    file[512] = std::byte{0x80};
    auto picture = DecodeRawPicture(file, 16, 16, "a.raw");
    EXPECT_EQ(Alpha(picture.At(0, 0)), 0u);
    for (std::uint32_t x = 1; x < 8; ++x)
        EXPECT_EQ(Alpha(picture.At(x, 0)), 255u) << x;

    // 10 x 10: 200 pixel bytes, 13 mask bytes padded to 14. Pixel (0, 1) is
    // pixel 10, bit 5 of mask byte 1.
    std::vector<std::byte> narrow(214);
    narrow[201] = std::byte{0x20};
    auto tenWide = DecodeRawPicture(narrow, 10, 10, "b.raw");
    for (std::uint32_t i = 0; i < 100; ++i)
        EXPECT_EQ(Alpha(tenWide.pixels[i]), i == 10 ? 0u : 255u) << i;
}

TEST(RawPictureTest, EncodesTheDecodersInverse)
{
    // 2 x 2: red, transparent green, blue, white with alpha 1.
    auto picture = Picture(2, 2, {0xFFFF0000, 0x0000FF00, 0xFF0000FF, 0x01FFFFFF});
    auto expected = Bytes({
        0xF8, 0x00, 0x07, 0xE0, 0x00, 0x1F, 0xFF, 0xFF, // pixel words, big-endian
        0x40,                                           // mask: pixel 1 transparent
        0x00,                                           // padding to an even count
    });
    auto file = EncodeRawPicture(picture, "a(2x2).raw");
    EXPECT_EQ(file, expected);
    auto back = DecodeRawPicture(file, 2, 2, "a(2x2).raw");
    EXPECT_EQ(back.pixels,
              (std::vector<std::uint32_t>{0xFFF80000, 0x0000FC00, 0xFF0000F8, 0xFFF8FCF8}));

    // Every pixel word and mask bit survives decoding and encoding again.
    std::vector<std::byte> full(2 * 176 * 220 + 4840);
    for (std::size_t i = 0; i < full.size(); ++i)
        full[i] = static_cast<std::byte>(i * 7 + i / 251);
    auto decoded = DecodeRawPicture(full, 176, 220, "c(176x220).raw");
    EXPECT_EQ(EncodeRawPicture(decoded, "c(176x220).raw"), full);
}

TEST(RawPictureTest, FileSizes)
{
    struct Case {
        std::uint32_t width;
        std::uint32_t height;
        std::size_t bytes;
    };
    const Case cases[] = {{16, 16, 544}, {10, 10, 214}, {3, 3, 20}, {4, 4, 34}, {1, 38721, 82284}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        EXPECT_EQ(EncodeRawPicture(imaging::Bitmap(c.width, c.height), "r.raw").size(), c.bytes);
    }
}

TEST(RawPictureTest, RefusesSizesOutsideTheLimits)
{
    std::vector<std::byte> none;
    EXPECT_THROW_MSG(DecodeRawPicture(none, 16, -5, "a(16x-5).raw"),
                     "a(16x-5).raw: the picture size in the name, 16x-5, is not positive");
    EXPECT_THROW_MSG(DecodeRawPicture(none, 0, 16, "a(0x16).raw"),
                     "a(0x16).raw: the picture size in the name, 0x16, is not positive");
    EXPECT_THROW_MSG(DecodeRawPicture(none, 2, 19361, "a.raw"),
                     "a.raw: the picture size in the name, 2x19361, is more than the 38721 "
                     "pixels a raw picture can hold");
    // Computed in 64 bits: 65536 x 65536 wraps to 0 in 32.
    EXPECT_THROW_MSG(DecodeRawPicture(none, 65536, 65536, "a.raw"),
                     "a.raw: the picture size in the name, 65536x65536, is more than the 38721 "
                     "pixels a raw picture can hold");
    EXPECT_THROW_MSG(EncodeRawPicture(imaging::Bitmap(200, 200), "b.raw"),
                     "b.raw: the picture (200 x 200 pixels) does not fit a raw picture: it must "
                     "hold 1 to 38721 pixels");
    EXPECT_NO_THROW(DecodeRawPicture(none, 1, 38721, "a.raw"));
}

TEST(RawPictureTest, ShortFileReadsAsZeroWithNothingLeftFromAnEarlierPicture)
{
    std::vector<std::byte> transparent(2 * 16 + 2, std::byte{0xFF});
    auto first = DecodeRawPicture(transparent, 4, 4, "a.raw");
    EXPECT_EQ(first.At(3, 3), 0x00F8FCF8u);

    auto second = DecodeRawPicture(Bytes({0xF8}), 4, 4, "b.raw");
    EXPECT_EQ(second.At(0, 0), 0xFFF80000u);
    for (std::uint32_t i = 1; i < 16; ++i)
        EXPECT_EQ(second.pixels[i], 0xFF000000u) << i;
}

TEST(MotoBitmap18Test, ChannelBytesAndAlpha)
{
    struct Case {
        const char* name;
        std::uint32_t argb;
        std::vector<std::byte> pixelBytes;
        unsigned maskByte;
        std::uint32_t decoded;
    };
    const Case cases[] = {
        {"red", 0xFFFF0000, Bytes({0x00, 0xF0, 0x03}), 1, 0xFFFC0000},
        {"green", 0xFF00FF00, Bytes({0xC0, 0x0F, 0x00}), 1, 0xFF00FC00},
        {"blue", 0xFF0000FF, Bytes({0x3F, 0x00, 0x00}), 1, 0xFF0000FC},
        {"white", 0xFFFFFFFF, Bytes({0xFF, 0xFF, 0x03}), 1, 0xFFFCFCFC},
        {"alpha 1", 0x01FF0000, Bytes({0x00, 0xF0, 0x03}), 1, 0xFFFC0000},
        {"alpha 0 keeps its colour", 0x00123456, Bytes({0x55, 0x43, 0x00}), 0, 0x00103454},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto file = EncodeMotoBitmap18(Picture(1, 1, {c.argb}), "a.k");
        auto expected = MotoHeader(1, 1, 18, 4);
        Append(expected, c.pixelBytes);
        Append(expected, Bytes({0x00}));                         // row padding
        Append(expected, Bytes({c.maskByte, 0x00, 0x00, 0x00})); // mask row
        EXPECT_EQ(file, expected);
        EXPECT_EQ(DecodeMotoBitmap18(file, "a.k").At(0, 0), c.decoded);
    }
}

TEST(MotoBitmap18Test, FiveByTwoLayout)
{
    auto picture = Picture(5, 2,
                           {0xFFFF0000, 0x0000FF00, 0xFF0000FF, 0xFFFFFFFF, 0x80040404, //
                            0x00000000, 0xFF808080, 0x01000000, 0x00FFFFFF, 0xFF000004});
    std::vector<std::byte> expected = MotoHeader(5, 2, 18, 16);
    Append(expected, Bytes({
                         0x00, 0xF0, 0x03, 0xC0, 0x0F, 0x00, 0x3F, 0x00, // row 0 pixels 0-2
                         0x00, 0xFF, 0xFF, 0x03, 0x41, 0x10, 0x00,       // pixels 3-4
                         0x00,                                           // padding
                         0x00, 0x00, 0x00, 0x20, 0x08, 0x02, 0x00, 0x00, // row 1 pixels 0-2
                         0x00, 0xFF, 0xFF, 0x03, 0x01, 0x00, 0x00,       // pixels 3-4
                         0x00,                                           // padding
                         0x1D, 0x00, 0x00, 0x00, // mask row 0: pixels 0, 2, 3, 4 opaque
                         0x16, 0x00, 0x00, 0x00, // mask row 1: pixels 1, 2, 4 opaque
                     }));
    auto file = EncodeMotoBitmap18(picture, "a.k");
    ASSERT_EQ(file.size(), 56u);
    EXPECT_EQ(file, expected);
}

TEST(MotoBitmapTest, FileSizes)
{
    struct Case {
        std::uint32_t width;
        std::uint32_t height;
        std::size_t bytes18;
        std::size_t bytes32;
    };
    const Case cases[] = {{16, 16, 848, 1040}, {5, 2, 56, 56}, {1, 1, 24, 20}, {33, 1, 124, 148}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        imaging::Bitmap picture(c.width, c.height);
        EXPECT_EQ(EncodeMotoBitmap18(picture, "a.k").size(), c.bytes18);
        EXPECT_EQ(EncodeMotoBitmap32(picture, "a.k").size(), c.bytes32);
    }
}

TEST(MotoBitmap18Test, MaskIsLeastSignificantBitFirstPerRow)
{
    imaging::Bitmap picture(16, 2);
    picture.At(9, 0) = 0xFF000000;
    auto file = EncodeMotoBitmap18(picture, "a.k");
    // RowBytes 48, so the mask starts at 16 + 2 x 48; pixel (9, 0) is bit 1 of
    // its row's byte 1.
    auto mask = std::span(file).subspan(112);
    EXPECT_EQ(std::vector<std::byte>(mask.begin(), mask.end()),
              Bytes({0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    auto back = DecodeMotoBitmap18(file, "a.k");
    for (std::uint32_t i = 0; i < 32; ++i)
        EXPECT_EQ(Alpha(back.pixels[i]), i == 9 ? 255u : 0u) << i;
}

TEST(MotoBitmap18Test, WideRowBytesLeaveTheMaskLocatedByWidth)
{
    // 2 x 2 with RowBytes 12 instead of 8.
    std::vector<std::byte> file = MotoHeader(2, 2, 18, 12);
    Append(file, Bytes({0x00, 0xF0, 0x03, 0x3F, 0x00, 0x00, 9, 9, 9, 9, 9, 9})); // row 0
    Append(file, Bytes({0xC0, 0x0F, 0x00, 0xFF, 0xFF, 0x03, 9, 9, 9, 9, 9, 9})); // row 1
    Append(file, Bytes({0x01, 0, 0, 0, 0x02, 0, 0, 0}));                         // mask rows
    auto picture = DecodeMotoBitmap18(file, "a.k");
    EXPECT_EQ(picture.pixels,
              (std::vector<std::uint32_t>{0xFFFC0000, 0x000000FC, 0x0000FC00, 0xFFFCFCFC}));
}

TEST(MotoBitmap32Test, KeepsEveryByteAndSkipsWideRows)
{
    auto picture = Picture(2, 2, {0x00123456, 0x01FEDCBA, 0x80000000, 0xFF7F0080});
    auto file = EncodeMotoBitmap32(picture, "a.k");
    std::vector<std::byte> expected = MotoHeader(2, 2, 32, 8);
    Append(expected, Bytes({0x56, 0x34, 0x12, 0x00, 0xBA, 0xDC, 0xFE, 0x01,    // row 0, BGRA
                            0x00, 0x00, 0x00, 0x80, 0x80, 0x00, 0x7F, 0xFF})); // row 1
    EXPECT_EQ(file, expected);
    EXPECT_EQ(DecodeMotoBitmap32(file, "a.k").pixels, picture.pixels);

    std::vector<std::byte> wide = MotoHeader(2, 2, 24, 12);
    Append(wide, Bytes({0x56, 0x34, 0x12, 0x00, 0xBA, 0xDC, 0xFE, 0x01, 7, 7, 7, 7}));
    Append(wide, Bytes({0x00, 0x00, 0x00, 0x80, 0x80, 0x00, 0x7F, 0xFF, 7, 7, 7, 7}));
    EXPECT_EQ(DecodeMotoBitmap32(wide, "a.k").pixels, picture.pixels);
}

TEST(MotoBitmapTest, RefusesHeadersOutsideTheLimits)
{
    using Decoder = imaging::Bitmap (*)(std::span<const std::byte>, const fs::path&);
    struct Case {
        const char* name;
        Decoder decode;
        std::vector<std::byte> file;
        const char* message;
    };
    const Case cases[] = {
        {"zero width", DecodeMotoBitmap18, MotoHeader(0, 4, 18, 4),
         "a.k: the Moto Bitmap header gives an empty picture (0 x 4 pixels)"},
        {"zero height", DecodeMotoBitmap32, MotoHeader(4, 0, 32, 16),
         "a.k: the Moto Bitmap header gives an empty picture (4 x 0 pixels)"},
        {"header cut short", DecodeMotoBitmap32, Bytes({2, 0, 0, 0}),
         "a.k: the Moto Bitmap header gives an empty picture (2 x 0 pixels)"},
        {"RowBytes cut short", DecodeMotoBitmap32, Bytes({2, 0, 0, 0, 2, 0, 0, 0, 32}),
         "a.k: the Moto Bitmap header's RowBytes (0) is smaller than 4 x Width (8): its pixel "
         "rows would overlap"},
        {"overlapping 18-bit rows", DecodeMotoBitmap18, MotoHeader(5, 2, 18, 14),
         "a.k: the Moto Bitmap header's RowBytes (14) is smaller than 3 x Width (15): its pixel "
         "rows would overlap"},
        {"overlapping 32-bit rows", DecodeMotoBitmap32, MotoHeader(5, 2, 32, 19),
         "a.k: the Moto Bitmap header's RowBytes (19) is smaller than 4 x Width (20): its pixel "
         "rows would overlap"},
        {"pixel data", DecodeMotoBitmap18, MotoHeader(640, 481, 18, 2560),
         "a.k: the Moto Bitmap's pixel data takes 0x12CA00 bytes, more than the limit of "
         "0x12C001"},
        {"pixel data past 32 bits", DecodeMotoBitmap32, MotoHeader(1, 0x10000, 32, 0x10000),
         "a.k: the Moto Bitmap's pixel data takes 0x100000000 bytes, more than the limit of "
         "0x12C001"},
        {"mask", DecodeMotoBitmap18, MotoHeader(1, 400000, 18, 3),
         "a.k: the Moto Bitmap's mask takes 0x186A00 bytes, more than the limit of 0x12C001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW_MSG(c.decode(c.file, "a.k"), c.message);
    }
    // The limit itself is allowed: 640 x 480 at 4 bytes each.
    EXPECT_EQ(DecodeMotoBitmap32(MotoHeader(640, 480, 32, 2560), "a.k").pixels.size(), 307200u);
}

TEST(MotoBitmapTest, RefusesPicturesOutsideTheLimits)
{
    EXPECT_THROW_MSG(EncodeMotoBitmap32(imaging::Bitmap(641, 480), "b.k"),
                     "b.k: the picture (641 x 480 pixels) is too large for a Moto Bitmap: its "
                     "pixel data would take 0x12C780 bytes, more than the limit of 0x12C001");
    EXPECT_THROW_MSG(EncodeMotoBitmap18(imaging::Bitmap(820, 500), "b.k"),
                     "b.k: the picture (820 x 500 pixels) is too large for a Moto Bitmap: its "
                     "pixel data would take 0x12C4B0 bytes, more than the limit of 0x12C001");
    EXPECT_THROW_MSG(EncodeMotoBitmap18(imaging::Bitmap(), "b.k"),
                     "b.k: the picture is empty (0 x 0 pixels)");
    EXPECT_EQ(EncodeMotoBitmap32(imaging::Bitmap(640, 480), "b.k").size(), 16u + 1228800u);
}

TEST(MotoBitmapTest, ShortFileReadsAsZeroWithNothingLeftFromAnEarlierPicture)
{
    imaging::Bitmap white(2, 2);
    white.pixels.assign(4, 0xFFFFFFFF);
    DecodeMotoBitmap18(EncodeMotoBitmap18(white, "a.k"), "a.k");
    DecodeMotoBitmap32(EncodeMotoBitmap32(white, "a.k"), "a.k");

    // Header and the first pixel's bytes only; no mask.
    std::vector<std::byte> short18 = MotoHeader(2, 2, 18, 8);
    Append(short18, Bytes({0x00, 0xF0, 0x03}));
    EXPECT_EQ(DecodeMotoBitmap18(short18, "b.k").pixels,
              (std::vector<std::uint32_t>{0x00FC0000, 0, 0, 0}));

    std::vector<std::byte> short32 = MotoHeader(2, 2, 32, 8);
    Append(short32, Bytes({0x01, 0x02}));
    EXPECT_EQ(DecodeMotoBitmap32(short32, "b.k").pixels,
              (std::vector<std::uint32_t>{0x00000201, 0, 0, 0}));
}

} // namespace
} // namespace zefir::imagecodec
