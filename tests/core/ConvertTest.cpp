#include <algorithm>

#include <gtest/gtest.h>

#include "TestUtil.h"
#include "core/FileIo.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::imagecodec {
namespace {

using test::Append;
using test::AppendU32;
using test::Bytes;
using test::WriteBytes;

// Through fileio, which also reads an empty file.
std::vector<std::byte> ReadBytes(const fs::path& path)
{
    return fileio::ReadFile(path, imaging::kMaxPictureFileSize);
}

// A 2 x 2 Moto Bitmap 18-bit: red and transparent blue, green and white.
std::vector<std::byte> MotoBitmap18File()
{
    std::vector<std::byte> file;
    AppendU32(file, 2);                                                    // Width
    AppendU32(file, 2);                                                    // Height
    AppendU32(file, 18);                                                   // BitDepth
    AppendU32(file, 8);                                                    // RowBytes
    Append(file, Bytes({0x00, 0xF0, 0x03, 0x3F, 0x00, 0x00, 0x00, 0x00})); // row 0
    Append(file, Bytes({0xC0, 0x0F, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x00})); // row 1
    Append(file, Bytes({0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00})); // mask rows
    return file;
}

// A 2 x 2 Moto Bitmap 32-bit with a different alpha in every pixel.
std::vector<std::byte> MotoBitmap32File(std::uint32_t bitDepth = 32)
{
    std::vector<std::byte> file;
    AppendU32(file, 2);                                                    // Width
    AppendU32(file, 2);                                                    // Height
    AppendU32(file, bitDepth);                                             // BitDepth
    AppendU32(file, 8);                                                    // RowBytes
    Append(file, Bytes({0x10, 0x20, 0x30, 0xFF, 0x01, 0x02, 0x03, 0x00,    // row 0, BGRA
                        0xFF, 0xFE, 0xFD, 0x80, 0x44, 0x55, 0x66, 0x01})); // row 1
    return file;
}

imaging::Bitmap SamplePicture(std::uint32_t width, std::uint32_t height)
{
    imaging::Bitmap picture(width, height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] =
            (i % 3 == 0 ? 0u : 0xFF000000u) | static_cast<std::uint32_t>(i * 0x10305);
    return picture;
}

class ConvertTest : public ::testing::Test {
protected:
    fs::path Write(const std::string& name, const std::vector<std::byte>& bytes)
    {
        fs::path path = m_dir / name;
        WriteBytes(path, bytes);
        return path;
    }
    fs::path Save(const std::string& name, const imaging::Bitmap& picture, std::string_view mime)
    {
        fs::path path = m_dir / name;
        imaging::SavePicture(picture, path, mime);
        return path;
    }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir m_dir;
};

TEST_F(ConvertTest, FromPhoneWritesNothingWithoutAConverter)
{
    struct Case {
        const char* name;
        std::vector<std::byte> bytes;
        ImageKind kind;
        const char* whyNot;
    };
    const Case cases[] = {
        {"icon.gif", Bytes("GIF89a"), ImageKind::ikUnknown, "not a phone picture"},
        {"icon.raw", std::vector<std::byte>(544), ImageKind::ikRaw,
         "the name carries no picture size (WxH)"},
        {"icon(16x8).raw", std::vector<std::byte>(544), ImageKind::ikRaw,
         "the name carries no picture size (WxH)"},
        {"icon(0x16).raw", std::vector<std::byte>(544), ImageKind::ikRaw,
         "the name gives no usable picture size (0x16)"},
        {"icon(16xab).raw", std::vector<std::byte>(544), ImageKind::ikRaw,
         "the name gives no usable picture size (16x0)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::path source = Write(c.name, c.bytes);
        fs::path target = m_dir / "out.bmp";
        ImageKind kind = ImageKind::ikMotoImage;
        std::string whyNot;
        EXPECT_FALSE(ConvertFromPhone(source, target, Format::Bmp, kind, &whyNot));
        EXPECT_EQ(kind, c.kind);
        EXPECT_EQ(whyNot, c.whyNot);
        EXPECT_EQ(target, m_dir / "out.bmp");
        EXPECT_FALSE(fs::exists(target));
        fs::remove(source);
    }
}

TEST_F(ConvertTest, FromPhoneCopiesMotoImagesOutByWhatTheyHold)
{
    struct Case {
        const char* name;
        std::vector<std::byte> bytes;
        const char* written;
    };
    const Case cases[] = {
        {"gif", Bytes("GIF87a and the rest"), "out.gif"},
        {"png", Bytes({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00}), "out.png"},
        {"jpeg", Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}), "out.unk"},
        {"three bytes of a GIF", Bytes("GIF"), "out.unk"},
        {"empty", {}, "out.unk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::path source = Write("icon.g", c.bytes);
        // An existing target is replaced.
        WriteBytes(m_dir / c.written, Bytes("old"));
        fs::path target = m_dir / "out.jpg";
        ImageKind kind = ImageKind::ikUnknown;
        EXPECT_TRUE(ConvertFromPhone(source, target, Format::Jpeg, kind));
        EXPECT_EQ(kind, ImageKind::ikMotoImage);
        EXPECT_EQ(target, m_dir / c.written);
        EXPECT_EQ(ReadBytes(target), c.bytes);
        fs::remove(target);
    }
}

TEST_F(ConvertTest, FromPhoneDecodesWhatTheHeaderSays)
{
    // BitDepth 24 is decoded as the 32-bit variant.
    fs::path source = Write("icon.k", MotoBitmap32File(24));
    fs::path target = m_dir / "icon.png";
    WriteBytes(target, Bytes("old"));
    ImageKind kind = ImageKind::ikUnknown;
    EXPECT_TRUE(ConvertFromPhone(source, target, Format::Png, kind));
    EXPECT_EQ(kind, ImageKind::ikMotoBitmap32);
    EXPECT_EQ(target, m_dir / "icon.png");
    EXPECT_EQ(imaging::LoadPicture(target).pixels,
              (std::vector<std::uint32_t>{0xFF302010, 0x00030201, 0x80FDFEFF, 0x01665544}));
}

TEST_F(ConvertTest, FromPhoneRefusals)
{
    fs::path target = m_dir / "out.bmp";
    ImageKind kind = ImageKind::ikMotoImage;
    fs::path negative = Write("icon(16x-5).raw", std::vector<std::byte>(544));
    EXPECT_THROW_MSG(ConvertFromPhone(negative, target, Format::Bmp, kind),
                     negative.string() + ": the picture size in the name, 16x-5, is not positive");
    EXPECT_EQ(kind, ImageKind::ikRaw);
    fs::path good = Write("good.k", MotoBitmap18File());
    EXPECT_THROW_MSG(ConvertFromPhone(good, target, static_cast<Format>(7), kind),
                     target.string() + ": target format code 7 is not one of 0 to 3");
    fs::path missing = m_dir / "missing.k";
    EXPECT_THROW_MSG(ConvertFromPhone(missing, target, Format::Bmp, kind),
                     missing.string() + ": cannot open: No such file or directory");
    EXPECT_EQ(kind, ImageKind::ikUnknown);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(ConvertTest, ToPhoneChoosesTheProducer)
{
    imaging::Bitmap picture = SamplePicture(3, 2);
    fs::path bmp = Save("pic.bmp", picture, "image/bmp");
    fs::path png = Save("pic.PNG", picture, "image/png");
    fs::path gif = Save("pic.gif", picture, "image/gif");
    fs::path unk = Write("pic.unk", Bytes({0xFF, 0xD8, 0xFF}));
    auto encoded18 = EncodeMotoBitmap18(imaging::LoadPicture(bmp), "x");
    auto encoded32 = EncodeMotoBitmap32(imaging::LoadPicture(bmp), "x");
    struct Case {
        const char* name;
        fs::path source;
        ImageKind kind;
        std::vector<std::byte> expected;
    };
    const Case cases[] = {
        {"PNG asked as 18-bit", png, ImageKind::ikMotoBitmap18, ReadBytes(png)},
        {"GIF asked as 32-bit", gif, ImageKind::ikMotoBitmap32, ReadBytes(gif)},
        {"BMP as 18-bit", bmp, ImageKind::ikMotoBitmap18, encoded18},
        {"BMP as 32-bit", bmp, ImageKind::ikMotoBitmap32, encoded32},
        {"BMP as Moto Image", bmp, ImageKind::ikMotoImage, ReadBytes(bmp)},
        {"copied-out Moto Image back", unk, ImageKind::ikMotoImage, ReadBytes(unk)},
    };
    fs::create_directory(m_dir / "conv");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool image = c.kind == ImageKind::ikMotoImage || c.source != bmp;
        fs::path expectedTarget = m_dir / "conv" / (image ? "out.g" : "out.k");
        WriteBytes(expectedTarget, Bytes("old"));
        fs::path target = m_dir / "conv" / "out.tmp";
        EXPECT_TRUE(ConvertToPhone(c.source, c.kind, target));
        EXPECT_EQ(target, expectedTarget);
        EXPECT_EQ(ReadBytes(target), c.expected);
        fs::remove(target);
    }
}

TEST_F(ConvertTest, ToPhoneWritesNothingForAKindWithoutProducer)
{
    fs::path bmp = Save("pic.bmp", SamplePicture(2, 2), "image/bmp");
    for (unsigned code : {4u, 9u}) {
        SCOPED_TRACE(code);
        fs::path target = m_dir / "out.bmp";
        std::string whyNot;
        EXPECT_FALSE(ConvertToPhone(bmp, static_cast<ImageKind>(code), target, &whyNot));
        EXPECT_EQ(whyNot, "no phone format for kind " + std::to_string(code));
        EXPECT_EQ(target, m_dir / "out.bmp");
        EXPECT_EQ(Files(), std::vector<std::string>{"pic.bmp"});
    }
}

TEST_F(ConvertTest, ToPhoneRefusalsLeaveNoFile)
{
    fs::path bmp = Save("pic.bmp", SamplePicture(3, 2), "image/bmp");
    fs::path target = m_dir / "icon.bmp";
    EXPECT_THROW_MSG(ConvertToPhone(bmp, ImageKind::ikRaw, target),
                     (m_dir / "icon.raw").string() + ": the name carries no picture size (WxH)");
    target = m_dir / "icon(2x03).bmp";
    EXPECT_THROW_MSG(ConvertToPhone(bmp, ImageKind::ikRaw, target),
                     (m_dir / "icon(2x03).raw").string() +
                         ": the size in the name, 2x3, does not match the picture's 3x2");
    fs::path big = Save("big.bmp", imaging::Bitmap(641, 480), "image/bmp");
    target = m_dir / "big.k";
    EXPECT_THROW_MSG(ConvertToPhone(big, ImageKind::ikMotoBitmap32, target),
                     target.string() + ": the picture (641 x 480 pixels) is too large for a Moto "
                                       "Bitmap: its pixel data would take 0x12C780 bytes, more "
                                       "than the limit of 0x12C001");
    // A picture the imaging layer cannot load: its error comes through.
    fs::path broken = Write("broken.bmp", Bytes("BM not really"));
    target = m_dir / "broken.k";
    try {
        ConvertToPhone(broken, ImageKind::ikMotoBitmap18, target);
        ADD_FAILURE() << "no IoError";
    } catch (const IoError& e) {
        EXPECT_EQ(e.path(), broken);
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"big.bmp", "broken.bmp", "pic.bmp"}));
}

TEST_F(ConvertTest, RoundTripsThroughBmpKeepEveryByte)
{
    struct Case {
        const char* name;
        std::vector<std::byte> file;
        ImageKind kind;
        const char* bmp;
    };
    std::vector<std::byte> raw(2 * 15 + 2);
    for (std::size_t i = 0; i < 30; ++i)
        raw[i] = static_cast<std::byte>(i * 29 + 3);
    raw[30] = std::byte{0xA5}; // pixels 0, 2, 5 and 7 transparent
    raw[31] = std::byte{0x4C}; // pixels 9, 12 and 13; the last bit is padding
    const Case cases[] = {
        {"icon.k", MotoBitmap18File(), ImageKind::ikMotoBitmap18, "icon.bmp"},
        {"icon32.k", MotoBitmap32File(), ImageKind::ikMotoBitmap32, "icon32.bmp"},
        {"icon(5x03).raw", raw, ImageKind::ikRaw, "icon(5x03).bmp"},
    };
    fs::create_directory(m_dir / "back");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::path source = Write(c.name, c.file);
        fs::path picture = m_dir / c.bmp;
        ImageKind kind = ImageKind::ikUnknown;
        ASSERT_TRUE(ConvertFromPhone(source, picture, Format::Bmp, kind));
        EXPECT_EQ(kind, c.kind);
        fs::path back = m_dir / "back" / c.bmp;
        ASSERT_TRUE(ConvertToPhone(picture, kind, back));
        EXPECT_EQ(back, m_dir / "back" / c.name);
        EXPECT_EQ(ReadBytes(back), c.file);
    }
}

TEST_F(ConvertTest, ReadOnlySourcesConvertAndStayUnchanged)
{
    fs::path source = Write("icon.k", MotoBitmap18File());
    fs::permissions(source, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::path picture = m_dir / "icon.bmp";
    ImageKind kind = ImageKind::ikUnknown;
    ASSERT_TRUE(ConvertFromPhone(source, picture, Format::Bmp, kind));
    fs::permissions(picture,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    auto pictureBytes = ReadBytes(picture);
    fs::path target = m_dir / "out.k";
    ASSERT_TRUE(ConvertToPhone(picture, ImageKind::ikMotoBitmap18, target));
    EXPECT_EQ(ReadBytes(target), MotoBitmap18File());
    EXPECT_EQ(ReadBytes(source), MotoBitmap18File());
    EXPECT_EQ(ReadBytes(picture), pictureBytes);
    auto perms = fs::status(source).permissions();
    EXPECT_EQ(perms & fs::perms::owner_write, fs::perms::none);
}

TEST_F(ConvertTest, InspectPhoneFile)
{
    fs::path gif = Save("pic.gif", SamplePicture(7, 5), "image/gif");
    fs::path png = Save("pic.png", SamplePicture(4, 9), "image/png");
    fs::create_directory(m_dir / "folder.k");
    struct Case {
        const char* name;
        std::vector<std::byte> bytes;
        ImageKind kind;
        std::uint32_t width;
        std::uint32_t height;
    };
    const Case cases[] = {
        {"a(16x16).raw", {}, ImageKind::ikRaw, 16, 16},
        {"a(16xab).raw", {}, ImageKind::ikRaw, 0, 0},
        {"a(16x-5).raw", {}, ImageKind::ikRaw, 0, 0},
        {"a(99999999999x16).raw", {}, ImageKind::ikRaw, 0, 0},
        {"a.raw", {}, ImageKind::ikRaw, 0, 0},
        {"a.k", MotoBitmap18File(), ImageKind::ikMotoBitmap18, 2, 2},
        {"b.k", MotoBitmap32File(24), ImageKind::ikMotoBitmap32, 2, 2},
        {"c.k", Bytes({3}), ImageKind::ikMotoBitmap32, 3, 0},
        {"gif.g", ReadBytes(gif), ImageKind::ikMotoImage, 7, 5},
        {"png.g", ReadBytes(png), ImageKind::ikMotoImage, 4, 9},
        {"bmp.g", Bytes("BM and more"), ImageKind::ikMotoImage, 0, 0},
        {"broken.g", Bytes("GIF89a broken"), ImageKind::ikMotoImage, 0, 0},
        {"a.txt", Bytes("text"), ImageKind::ikUnknown, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PhoneFileInfo info = InspectPhoneFile(Write(c.name, c.bytes));
        EXPECT_EQ(info.kind, c.kind);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
    }
    struct Unreadable {
        const char* name;
        ImageKind kind;
    };
    const Unreadable unreadable[] = {{"missing(16x16).raw", ImageKind::ikRaw},
                                     {"missing.k", ImageKind::ikUnknown},
                                     {"folder.k", ImageKind::ikUnknown},
                                     {"missing.g", ImageKind::ikMotoImage}};
    for (const auto& c : unreadable) {
        SCOPED_TRACE(c.name);
        PhoneFileInfo info = InspectPhoneFile(m_dir / c.name);
        EXPECT_EQ(info.kind, c.kind);
        EXPECT_EQ(info.width, 0u);
        EXPECT_EQ(info.height, 0u);
    }
}

} // namespace
} // namespace zefir::imagecodec
