#include <climits>

#include <gtest/gtest.h>

#include "PictureTestUtil.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::imagecodec {
namespace {

using test::Bytes;
using test::MotoFile;
using test::Picture;

TEST(ImageKindTest, ByNameAndBitDepth)
{
    struct Case {
        const char* name;
        std::vector<std::byte> header;
        ImageKind expected;
    };
    using K = ImageKind;
    // clang-format off
    const Case cases[] = {
        {"ICON.RAW", {}, K::ikRaw}, {"icon.raw", {}, K::ikRaw}, {"icon.Raw", {}, K::ikRaw},
        {"icon.raw.bak", {}, K::ikUnknown}, {"icon", {}, K::ikUnknown},
        {"folder.raw/icon", {}, K::ikUnknown}, {"icon.gif", {}, K::ikUnknown},
        {"icon.g", {}, K::ikMotoImage}, {"ICON.G", {}, K::ikMotoImage},
        {"ICON.K", MotoFile(1, 1, 18, 4), K::ikMotoBitmap18},
        {"icon.k", MotoFile(1, 1, 32, 4), K::ikMotoBitmap32},
        {"icon.k", MotoFile(1, 1, 24, 4), K::ikMotoBitmap32},
        {"icon.k", MotoFile(1, 1, 0, 4), K::ikMotoBitmap32},
        // Bytes a short header lacks read as 0.
        {"icon.k", Bytes({1, 0, 0, 0, 1, 0, 0, 0, 18}), K::ikMotoBitmap18},
        {"icon.k", Bytes({1, 0, 0, 0, 1, 0, 0, 0}), K::ikMotoBitmap32},
        {"icon.k", {}, K::ikMotoBitmap32},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.name << ", header " << testing::PrintToString(c.header));
        EXPECT_EQ(DetectImageKind(c.name, c.header), c.expected);
    }
}

TEST(RawNameTest, Parses)
{
    struct Case {
        const char* name;
        std::int32_t width;
        std::int32_t height;
    };
    // clang-format off
    const Case cases[] = {
        {"icon(16x16).raw", 16, 16}, {"icon(16X16).RAW", 16, 16}, {"a(20x30)b.raw", 20, 30},
        {"(16x08).raw", 16, 8}, {"icon(1x01).raw", 1, 1},
        {"icon(0000000000000000016x16).raw", 16, 16}, {"icon(2147483647x01).raw", INT_MAX, 1},
        // The height is read as an integer conversion reads it.
        {"icon(16xx10).raw", 16, 16}, {"icon(16x$1F).raw", 16, 31}, {"icon(16x 12).raw", 16, 12},
        {"icon(16x-5).raw", 16, -5}, {"icon(16x-$10).raw", 16, -16}, {"icon(16xab).raw", 16, 0},
        {"icon(0x16).raw", 0, 16}, {"icon(16x12 ).raw", 16, 0},
        {"icon(16x2147483647).raw", 16, INT_MAX}, {"icon(16x2147483648).raw", 16, 0},
        {"icon(16x-2147483648).raw", 16, INT_MIN}, {"icon(16x$FFFFFFFF).raw", 16, -1},
        {"icon(16x$100000000).raw", 16, 0},
        // Only the file name counts: a folder's "(" or ")" is not the size's.
        {"my (old)/logo(16x12).raw", 16, 12}, {"x(1x1)/y)/a(3x04).raw", 3, 4},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::int32_t width = 0;
        std::int32_t height = 0;
        ASSERT_TRUE(ParseRawDimensions(c.name, width, height));
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
    }
    // A size in a folder's name is not the file's.
    for (const char* name :
         {"icon16x16.raw", "icon(16x).raw", "icon(x16).raw", "icon(16x8).raw", "icon(1x1).raw",
          "icon(123456).raw", "icon(16x16.raw", "icon)16x16(.raw", "pics (16x16)/a.raw"}) {
        std::int32_t width = 0;
        std::int32_t height = 0;
        EXPECT_FALSE(ParseRawDimensions(name, width, height)) << name;
    }
}

TEST(RawPictureTest, GoldenBytesBothWays)
{
    // 2 x 2: red, transparent green, blue, white with alpha 1. The red
    // pixel's low green and blue bits are dropped, not rounded.
    auto picture = Picture(2, 2, {0xFFFF0307, 0x0000FF00, 0xFF0000FF, 0x01FFFFFF});
    auto file = EncodeRawPicture(picture, "a(2x2).raw");
    EXPECT_EQ(file, Bytes({
                        0xF8, 0x00, 0x07, 0xE0, 0x00, 0x1F, 0xFF, 0xFF, // pixel words, big-endian
                        0x40,                                           // mask: pixel 1 transparent
                        0x00,                                           // padding to an even count
                    }));
    EXPECT_EQ(DecodeRawPicture(file, 2, 2, "a(2x2).raw").pixels,
              (std::vector<std::uint32_t>{0xFFF80000, 0x0000FC00, 0xFF0000F8, 0xFFF8FCF8}));

    // Every pixel word and mask bit survives decoding and encoding again.
    std::vector<std::byte> full(2 * 176 * 220 + 4840);
    for (std::size_t i = 0; i < full.size(); ++i)
        full[i] = static_cast<std::byte>(i * 7 + i / 251);
    EXPECT_EQ(EncodeRawPicture(DecodeRawPicture(full, 176, 220, "c.raw"), "c.raw"), full);
}

TEST(RawPictureTest, MaskIsMostSignificantBitFirstAndRunsOnAcrossRows)
{
    // 10 x 10: 200 pixel bytes, then the mask. Bit 80 of byte 0 is pixel
    // (0, 0); pixel (0, 1) is pixel 10, bit 5 of byte 1.
    std::vector<std::byte> file(214);
    file[200] = std::byte{0x80};
    file[201] = std::byte{0x20};
    auto picture = DecodeRawPicture(file, 10, 10, "b.raw");
    for (std::uint32_t i = 0; i < 100; ++i)
        EXPECT_EQ(picture.pixels[i] >> 24, i == 0 || i == 10 ? 0u : 255u) << i;
}

TEST(PhonePictureTest, FileSizes)
{
    struct Case {
        std::uint32_t width;
        std::uint32_t height;
        std::size_t raw;
        std::size_t bytes18;
        std::size_t bytes32;
    };
    // clang-format off
    const Case cases[] = {
        {16, 16, 544, 848, 1040}, {10, 10, 214, 376, 416}, {5, 2, 22, 56, 56}, {3, 3, 20, 64, 52},
        {33, 1, 72, 124, 148}, {1, 1, 4, 24, 20}, {1, 38721, 82284, 309784, 154900},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        imaging::Bitmap picture(c.width, c.height);
        EXPECT_EQ(EncodeRawPicture(picture, "a.raw").size(), c.raw);
        EXPECT_EQ(EncodeMotoBitmap18(picture, "a.k").size(), c.bytes18);
        EXPECT_EQ(EncodeMotoBitmap32(picture, "a.k").size(), c.bytes32);
    }
}

TEST(MotoBitmap18Test, FiveByTwoLayout)
{
    auto picture = Picture(5, 2,
                           {0xFFFF0000, 0x0000FF00, 0xFF0000FF, 0xFFFFFFFF, 0x80040404, //
                            0x00000000, 0xFF808080, 0x01000000, 0x00123456, 0xFF000004});
    auto file = EncodeMotoBitmap18(picture, "a.k");
    EXPECT_EQ(file, MotoFile(5, 2, 18, 16,
                             {
                                 0x00, 0xF0, 0x03, 0xC0, 0x0F, 0x00, 0x3F, 0x00, // row 0 pixels 0-2
                                 0x00, 0xFF, 0xFF, 0x03, 0x41, 0x10, 0x00,       // pixels 3-4
                                 0x00,                                           // padding
                                 0x00, 0x00, 0x00, 0x20, 0x08, 0x02, 0x00, 0x00, // row 1 pixels 0-2
                                 0x00, 0x55, 0x43, 0x00, 0x01, 0x00, 0x00,       // pixels 3-4
                                 0x00,                                           // padding
                                 0x1D, 0x00, 0x00, 0x00, // mask row 0: pixels 0, 2, 3, 4 opaque
                                 0x16, 0x00, 0x00, 0x00, // mask row 1: pixels 1, 2, 4 opaque
                             }));
    // Channels keep their top 6 bits, the low ones dropped, so a full one
    // reads back 252; alpha 1 is opaque and a transparent pixel keeps its
    // colour.
    EXPECT_EQ(
        DecodeMotoBitmap18(file, "a.k").pixels,
        (std::vector<std::uint32_t>{0xFFFC0000, 0x0000FC00, 0xFF0000FC, 0xFFFCFCFC, 0xFF040404,
                                    0x00000000, 0xFF808080, 0xFF000000, 0x00103454, 0xFF000004}));
}

TEST(MotoBitmap18Test, MaskIsLeastSignificantBitFirstPerRow)
{
    imaging::Bitmap picture(16, 2);
    picture.At(9, 0) = 0xFF000000;
    auto file = EncodeMotoBitmap18(picture, "a.k");
    // RowBytes 48, so the mask starts at 16 + 2 x 48; pixel (9, 0) is bit 1 of
    // its row's byte 1.
    EXPECT_EQ(std::vector<std::byte>(file.begin() + 112, file.end()),
              Bytes({0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    auto back = DecodeMotoBitmap18(file, "a.k");
    for (std::uint32_t i = 0; i < 32; ++i)
        EXPECT_EQ(back.pixels[i] >> 24, i == 9 ? 255u : 0u) << i;
}

TEST(MotoBitmap32Test, KeepsEveryByte)
{
    auto picture = Picture(2, 2, {0x00123456, 0x01FEDCBA, 0x80000000, 0xFF7F0080});
    auto file = EncodeMotoBitmap32(picture, "a.k");
    EXPECT_EQ(file, MotoFile(2, 2, 32, 8,
                             {0x56, 0x34, 0x12, 0x00, 0xBA, 0xDC, 0xFE, 0x01,    // row 0, BGRA
                              0x00, 0x00, 0x00, 0x80, 0x80, 0x00, 0x7F, 0xFF})); // row 1
    EXPECT_EQ(DecodeMotoBitmap32(file, "a.k").pixels, picture.pixels);
}

TEST(PhonePictureTest, DecodesWideRowsAndShortFiles)
{
    using Decode = imaging::Bitmap (*)(std::span<const std::byte>, const fs::path&);
    Decode raw4x4 = [](std::span<const std::byte> f, const fs::path& p) {
        return DecodeRawPicture(f, 4, 4, p);
    };
    struct Case {
        const char* name;
        Decode decode;
        std::vector<std::byte> file;
        std::vector<std::uint32_t> expected;
    };
    std::vector<std::uint32_t> rawShort(16, 0xFF000000);
    rawShort[0] = 0xFFF80000;
    // Each short file follows a full one of its size, so that nothing of an
    // earlier picture may show through where the short one ends.
    // clang-format off
    const Case cases[] = {
        {"18-bit, RowBytes 12 for 8: the mask still follows the rows", DecodeMotoBitmap18,
         MotoFile(2, 2, 18, 12, {0x00, 0xF0, 0x03, 0x3F, 0x00, 0x00, 9, 9, 9, 9, 9, 9,
                                 0xC0, 0x0F, 0x00, 0xFF, 0xFF, 0x03, 9, 9, 9, 9, 9, 9,
                                 0x01, 0, 0, 0, 0x02, 0, 0, 0}),
         {0xFFFC0000, 0x000000FC, 0x0000FC00, 0xFFFCFCFC}},
        {"18-bit, one pixel and no mask", DecodeMotoBitmap18,
         MotoFile(2, 2, 18, 8, {0x00, 0xF0, 0x03}), {0x00FC0000, 0, 0, 0}},
        {"BitDepth 24, RowBytes 12: decoded as 32-bit", DecodeMotoBitmap32,
         MotoFile(2, 2, 24, 12, {0x56, 0x34, 0x12, 0x00, 0xBA, 0xDC, 0xFE, 0x01, 7, 7, 7, 7,
                                 0x00, 0x00, 0x00, 0x80, 0x80, 0x00, 0x7F, 0xFF, 7, 7, 7, 7}),
         {0x00123456, 0x01FEDCBA, 0x80000000, 0xFF7F0080}},
        {"32-bit, two bytes", DecodeMotoBitmap32, MotoFile(2, 2, 32, 8, {0x01, 0x02}),
         {0x00000201, 0, 0, 0}},
        {"raw, all transparent white", raw4x4, std::vector<std::byte>(34, std::byte{0xFF}),
         std::vector<std::uint32_t>(16, 0x00F8FCF8)},
        {"raw, one byte", raw4x4, Bytes({0xF8}), rawShort},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.decode(c.file, "a").pixels, c.expected);
    }
}

TEST(PhonePictureTest, RefusesSizesOutsideTheLimits)
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    EXPECT_THROW_MSG(ParseRawDimensions("p/icon(2147483648x16).raw", width, height),
                     "p/icon(2147483648x16).raw: the picture width in the name, 2147483648, is "
                     "larger than 2147483647");
    struct RawCase {
        std::int32_t width;
        std::int32_t height;
        const char* message;
    };
    // clang-format off
    const RawCase raw[] = {
        {16, -5, "16x-5, is not positive"},
        {0, 16, "0x16, is not positive"},
        {2, 19361, "2x19361, is more than the 38721 pixels a raw picture can hold"},
        // Computed in 64 bits: 65536 x 65536 wraps to 0 in 32.
        {65536, 65536, "65536x65536, is more than the 38721 pixels a raw picture can hold"},
    };
    // clang-format on
    for (const auto& c : raw)
        EXPECT_THROW_MSG(DecodeRawPicture({}, c.width, c.height, "a.raw"),
                         std::string("a.raw: the picture size in the name, ") + c.message);

    using Decode = imaging::Bitmap (*)(std::span<const std::byte>, const fs::path&);
    struct MotoCase {
        Decode decode;
        std::vector<std::byte> file;
        const char* message;
    };
    // clang-format off
    const MotoCase moto[] = {
        {DecodeMotoBitmap18, MotoFile(0, 4, 18, 4),
         "the Moto Bitmap header gives an empty picture (0 x 4 pixels)"},
        {DecodeMotoBitmap32, MotoFile(4, 0, 32, 16),
         "the Moto Bitmap header gives an empty picture (4 x 0 pixels)"},
        {DecodeMotoBitmap18, MotoFile(5, 2, 18, 14),
         "the Moto Bitmap header's RowBytes (14) is smaller than 3 x Width (15): its pixel rows "
         "would overlap"},
        {DecodeMotoBitmap32, MotoFile(5, 2, 32, 19),
         "the Moto Bitmap header's RowBytes (19) is smaller than 4 x Width (20): its pixel rows "
         "would overlap"},
        {DecodeMotoBitmap18, MotoFile(640, 481, 18, 2560),
         "the Moto Bitmap's pixel data takes 1,231,360 bytes, more than the limit of 1,228,801"},
        {DecodeMotoBitmap32, MotoFile(1, 0x10000, 32, 0x10000),
         "the Moto Bitmap's pixel data takes 4,294,967,296 bytes, more than the limit of 1,228,801"},
        {DecodeMotoBitmap18, MotoFile(1, 400000, 18, 3),
         "the Moto Bitmap's mask takes 1,600,000 bytes, more than the limit of 1,228,801"},
    };
    // clang-format on
    for (const auto& c : moto)
        EXPECT_THROW_MSG(c.decode(c.file, "a.k"), std::string("a.k: ") + c.message);

    EXPECT_THROW_MSG(EncodeRawPicture(imaging::Bitmap(200, 200), "b.raw"),
                     "b.raw: the picture (200 x 200 pixels) does not fit a raw picture: it must "
                     "hold 1 to 38721 pixels");
    EXPECT_THROW_MSG(EncodeMotoBitmap18(imaging::Bitmap(820, 500), "b.k"),
                     "b.k: the picture (820 x 500 pixels) is too large for a Moto Bitmap: its "
                     "pixel data would take 1,230,000 bytes, more than the limit of 1,228,801");
    EXPECT_THROW_MSG(EncodeMotoBitmap18(imaging::Bitmap(), "b.k"),
                     "b.k: the picture is empty (0 x 0 pixels)");
    // The limits themselves are allowed: 38721 raw pixels, 640 x 480 at 4 bytes each.
    EXPECT_EQ(DecodeRawPicture({}, 1, 38721, "a.raw").pixels.size(), 38721u);
    EXPECT_EQ(DecodeMotoBitmap32(MotoFile(640, 480, 32, 2560), "a.k").pixels.size(), 307200u);
    EXPECT_EQ(EncodeMotoBitmap32(imaging::Bitmap(640, 480), "b.k").size(), 16u + 1228800u);
}

} // namespace
} // namespace zefir::imagecodec
