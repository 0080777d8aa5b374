#include <optional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "PictureTestUtil.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::imagecodec {
namespace {

using test::Bytes;
using test::MotoFile;
using test::ReadBytes;
using test::WriteBytes;

// A 2 x 2 18-bit Moto Bitmap: red and transparent blue over green and white.
std::vector<std::byte> MotoBitmap18File()
{
    return MotoFile(2, 2, 18, 8, {0x00, 0xF0, 0x03, 0x3F, 0x00, 0x00, 0x00, 0x00,   // row 0
                                  0xC0, 0x0F, 0x00, 0xFF, 0xFF, 0x03, 0x00, 0x00,   // row 1
                                  0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00}); // mask rows
}

// A 2 x 2 32-bit Moto Bitmap with a different alpha in every pixel.
std::vector<std::byte> MotoBitmap32File(std::uint32_t bitDepth = 32)
{
    return MotoFile(2, 2, bitDepth, 8,
                    {0x10, 0x20, 0x30, 0xFF, 0x01, 0x02, 0x03, 0x00,   // row 0, BGRA
                     0xFF, 0xFE, 0xFD, 0x80, 0x44, 0x55, 0x66, 0x01}); // row 1
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
        WriteBytes(m_dir / name, bytes);
        return m_dir / name;
    }
    fs::path Save(const std::string& name, const imaging::Bitmap& picture, std::string_view mime)
    {
        imaging::SavePicture(picture, m_dir / name, mime);
        return m_dir / name;
    }
    void MakeReadOnly(const fs::path& path)
    {
        fs::permissions(path,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }

    test::TempDir m_dir;
};

TEST_F(ConvertTest, FromPhoneDispatchesByKind)
{
    const auto gif = imaging::EncodePicture(SamplePicture(16, 16), "image/gif", "x");
    struct Case {
        const char* name;
        std::vector<std::byte> bytes;
        ImageKind kind;
        const char* result; // the file written, or why nothing was
    };
    // clang-format off
    const Case cases[] = {
        // A real GIF is no phone file.
        {"icon.gif", gif, ImageKind::ikUnknown, "not a phone picture"},
        {"icon.raw", gif, ImageKind::ikRaw, "the name carries no picture size (WxH)"},
        {"icon(0x16).raw", gif, ImageKind::ikRaw, "the name gives no usable picture size (0x16)"},
        {"icon(16xab).raw", gif, ImageKind::ikRaw, "the name gives no usable picture size (16x0)"},
        // A Moto Image comes out as what it holds, whatever format was asked for.
        {"icon.g", Bytes("GIF87a and the rest"), ImageKind::ikMotoImage, "out.gif"},
        {"icon.g", Bytes({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00}),
         ImageKind::ikMotoImage, "out.png"},
        {"icon.g", Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}), ImageKind::ikMotoImage, "out.unk"},
        {"icon.g", Bytes("GIF"), ImageKind::ikMotoImage, "out.unk"},
        {"icon.g", {}, ImageKind::ikMotoImage, "out.unk"},
    };
    // clang-format on
    const fs::path out = m_dir / "out";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " of " + std::to_string(c.bytes.size()) + " bytes");
        fs::path source = Write(c.name, c.bytes);
        fs::create_directory(out);
        bool converts = std::string_view(c.result).starts_with("out.");
        // An existing target is replaced.
        if (converts)
            WriteBytes(out / c.result, Bytes("old"));
        fs::path target = out / "out.jpg";
        ImageKind kind = ImageKind::ikMotoBitmap18;
        std::string whyNot;
        EXPECT_EQ(ConvertFromPhone(source, target, Format::Jpeg, kind, &whyNot), converts);
        EXPECT_EQ(kind, c.kind);
        if (converts) {
            EXPECT_EQ(target, out / c.result);
            EXPECT_EQ(ReadBytes(target), c.bytes);
        } else {
            EXPECT_EQ(whyNot, c.result);
            EXPECT_EQ(target, out / "out.jpg");
            EXPECT_TRUE(fs::is_empty(out));
        }
        fs::remove_all(out);
        fs::remove(source);
    }
}

// The file conversions are layers over the in-memory ones: for each kind,
// both ways, a file gets the bytes the in-memory conversion gives.
TEST_F(ConvertTest, FilesGetTheBytesOfTheInMemoryConversion)
{
    const imaging::Bitmap picture = SamplePicture(4, 3);
    const auto gif = imaging::EncodePicture(picture, "image/gif", "x");
    const auto png = imaging::EncodePicture(picture, "image/png", "x");
    struct Case {
        const char* phoneName;
        ImageKind kind;
        std::vector<std::byte> phone; // a phone file of the kind
        const char* pictureName;      // the standard picture it is made from
        std::vector<std::byte> standard;
    };
    const Case cases[] = {
        {"a.k", ImageKind::ikMotoBitmap18, EncodeMotoBitmap18(picture, "x"), "a.bmp",
         imaging::EncodePicture(picture, "image/bmp", "x")},
        {"b.k", ImageKind::ikMotoBitmap32, EncodeMotoBitmap32(picture, "x"), "b.jpg",
         imaging::EncodePicture(picture, "image/jpeg", "x")},
        {"c(4x03).raw", ImageKind::ikRaw, EncodeRawPicture(picture, "x"), "c(4x03).bmp",
         imaging::EncodePicture(picture, "image/bmp", "x")},
        {"d.g", ImageKind::ikMotoImage, gif, "d.gif", gif},
        {"e.g", ImageKind::ikMotoImage, png, "e.png", png},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phoneName);
        const fs::path phone = Write(c.phoneName, c.phone);
        fs::path target = m_dir / "out.png";
        ImageKind kind = ImageKind::ikUnknown;
        ASSERT_TRUE(ConvertFromPhone(phone, target, Format::Png, kind));
        const auto fromPhone = PictureFromPhone(c.phoneName, c.phone, Format::Png, phone);
        EXPECT_EQ(kind, c.kind);
        EXPECT_EQ(fromPhone.kind, c.kind);
        EXPECT_EQ(ReadBytes(target), fromPhone.bytes);
        EXPECT_EQ(target.extension().string(),
                  fs::path(PictureFileName(c.phoneName, c.phone, Format::Png)).extension());

        const fs::path standard = Write(c.pictureName, c.standard);
        const std::string back = std::string("back-") + c.phoneName;
        target = m_dir / back;
        ASSERT_TRUE(ConvertToPhone(standard, c.kind, target));
        const auto toPhone = PhoneFromPicture(c.standard, c.kind, back, standard);
        EXPECT_EQ(ReadBytes(target), toPhone.bytes);
        EXPECT_EQ(target.extension().string(), toPhone.extension);
        EXPECT_EQ(DetectImageKind(target), c.kind);
        for (const fs::path& file : {phone, standard, target, m_dir / "out.png"})
            fs::remove(file);
    }
}

TEST_F(ConvertTest, ToPhoneChoosesTheProducer)
{
    imaging::Bitmap picture = SamplePicture(3, 2);
    fs::path bmp = Save("pic.bmp", picture, "image/bmp");
    fs::path png = Save("pic.PNG", picture, "image/png");
    fs::path gif = Save("pic.gif", picture, "image/gif");
    fs::path unk = Write("pic.unk", Bytes({0xFF, 0xD8, 0xFF}));
    struct Case {
        const char* name;
        fs::path source;
        ImageKind kind;
        std::vector<std::byte> expected;
        const char* written; // none: no producer, nothing written
    };
    // clang-format off
    const Case cases[] = {
        {"PNG asked as 18-bit", png, ImageKind::ikMotoBitmap18, ReadBytes(png), "out.g"},
        {"GIF asked as 32-bit", gif, ImageKind::ikMotoBitmap32, ReadBytes(gif), "out.g"},
        {"BMP as 18-bit", bmp, ImageKind::ikMotoBitmap18, EncodeMotoBitmap18(picture, "x"),
         "out.k"},
        {"BMP as 32-bit", bmp, ImageKind::ikMotoBitmap32, EncodeMotoBitmap32(picture, "x"),
         "out.k"},
        // A Moto Image holds a GIF or PNG, which the phone shows.
        {"BMP as Moto Image", bmp, ImageKind::ikMotoImage,
         imaging::EncodePicture(picture, "image/png", "x"), "out.g"},
        {"copied-out Moto Image back", unk, ImageKind::ikMotoImage, ReadBytes(unk), "out.g"},
        {"BMP as kind 4", bmp, ImageKind::ikUnknown, {}, nullptr},
        {"BMP as kind 9", bmp, static_cast<ImageKind>(9), {}, nullptr},
    };
    // clang-format on
    fs::create_directory(m_dir / "conv");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.written)
            WriteBytes(m_dir / "conv" / c.written, Bytes("old"));
        fs::path target = m_dir / "conv" / "out.tmp";
        std::string whyNot;
        EXPECT_EQ(ConvertToPhone(c.source, c.kind, target, &whyNot), c.written != nullptr);
        if (!c.written) {
            EXPECT_EQ(whyNot, "no phone format for kind " + std::to_string(unsigned(c.kind)));
            EXPECT_EQ(target, m_dir / "conv" / "out.tmp");
            EXPECT_TRUE(fs::is_empty(m_dir / "conv"));
            continue;
        }
        EXPECT_EQ(target, m_dir / "conv" / c.written);
        EXPECT_EQ(ReadBytes(target), c.expected);
        fs::remove(target);
    }
}

TEST_F(ConvertTest, RefusalsLeaveNoFile)
{
    fs::path negative = Write("icon(16x-5).raw", std::vector<std::byte>(544));
    fs::path good = Write("good.k", MotoBitmap18File());
    fs::path missing = m_dir / "missing.k";
    fs::path bmp = Save("pic.bmp", SamplePicture(3, 2), "image/bmp");
    fs::path big = Save("big.bmp", imaging::Bitmap(641, 480), "image/bmp");
    fs::path broken = Write("broken.bmp", Bytes("BM not really"));
    const fs::path out = m_dir / "out";
    fs::create_directory(out);
    fs::path target = out / "out.bmp";
    ImageKind kind = ImageKind::ikMotoImage;
    EXPECT_THROW_MSG(ConvertFromPhone(negative, target, Format::Bmp, kind),
                     negative.string() + ": the picture size in the name, 16x-5, is not positive");
    EXPECT_EQ(kind, ImageKind::ikRaw);
    EXPECT_THROW_MSG(ConvertFromPhone(good, target, static_cast<Format>(7), kind),
                     target.string() + ": target format code 7 is not one of 0 to 3");
    EXPECT_THROW_MSG(ConvertFromPhone(missing, target, Format::Bmp, kind),
                     missing.string() + ": cannot open: No such file or directory");
    EXPECT_EQ(kind, ImageKind::ikUnknown);

    target = out / "icon.bmp";
    EXPECT_THROW_MSG(ConvertToPhone(bmp, ImageKind::ikRaw, target),
                     (out / "icon.raw").string() + ": the name carries no picture size (WxH)");
    EXPECT_EQ(target, out / "icon.bmp");
    target = out / "icon(2x03).bmp";
    EXPECT_THROW_MSG(ConvertToPhone(bmp, ImageKind::ikRaw, target),
                     (out / "icon(2x03).raw").string() +
                         ": the picture is 3x2, but the raw picture's name says 2x3");
    // The picture that is too large is named, not the file not written.
    target = out / "big.k";
    EXPECT_THROW_MSG(ConvertToPhone(big, ImageKind::ikMotoBitmap32, target),
                     big.string() + ": the picture (641 x 480 pixels) is too large for a Moto "
                                    "Bitmap: its pixel data would take 1,230,720 bytes, more "
                                    "than the limit of 1,228,801");
    // A picture the imaging layer cannot load: its error comes through.
    target = out / "broken.k";
    EXPECT_THROW_MSG(ConvertToPhone(broken, ImageKind::ikMotoBitmap18, target),
                     broken.string() + ": BMP file header at 0xA runs past the end of the file "
                                       "(13 bytes)");
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(ConvertTest, ReadOnlyFilesRoundTripThroughBmpKeepingEveryByte)
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
        MakeReadOnly(source);
        fs::path picture = m_dir / c.bmp;
        // An existing picture is replaced.
        WriteBytes(picture, Bytes("old"));
        ImageKind kind = ImageKind::ikUnknown;
        ASSERT_TRUE(ConvertFromPhone(source, picture, Format::Bmp, kind));
        EXPECT_EQ(kind, c.kind);
        MakeReadOnly(picture);
        fs::path back = m_dir / "back" / c.bmp;
        ASSERT_TRUE(ConvertToPhone(picture, kind, back));
        EXPECT_EQ(back, m_dir / "back" / c.name);
        EXPECT_EQ(ReadBytes(back), c.file);
    }
}

// Targets that must be refused: each leaves every file as it was.
TEST_F(ConvertTest, TargetsThatMustBeRefused)
{
    const fs::path k = Write("a.k", MotoBitmap18File());
    const fs::path gifImage =
        Write("m.g", ReadBytes(Save("p.gif", SamplePicture(3, 3), "image/gif")));
    const fs::path bmp = Save("pic.bmp", SamplePicture(3, 2), "image/bmp");
    fs::create_directory(m_dir / "folder");
    const bool linked = test::MakeSymlink(k, m_dir / "link.k");
    fs::create_hard_link(bmp, m_dir / "hard.bmp");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((m_dir / "fifo.bmp").c_str(), 0600), 0);
#endif
    Write("taken.gif", Bytes("mine"));
    struct Case {
        const char* name;
        fs::path source;
        std::string target;
        bool toPhone;
        std::string message; // after the refused path
    } cases[] = {
        {"the source itself", k, "a.k", false, "is the file being converted; name another target"},
        {"the source through a link", k, "link.k", false,
         "is the file being converted; name another target"},
        {"a picture over itself by a hard link", bmp, "hard.bmp", true,
         "is the file being converted; name another target"},
        {"a folder", k, "folder", false, "is a folder; name the file to write"},
        {"a folder named with a slash", bmp, "folder/", true,
         "is a folder; name the file to write"},
        {"a phone file to a phone extension", k, "b.k", false,
         "a phone file converts to a standard picture (.gif, .png, .bmp or .jpg), not to a phone "
         "file's extension"},
#ifndef _WIN32
        {"a pipe", k, "fifo.bmp", false,
         "cannot replace the file: it is not a plain file (a device or a pipe)"},
#endif
        {"a name the content chose, not the one named", gifImage, "taken.png", false,
         "already exists; it is not replaced unless asked to"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!linked && c.target == "link.k")
            continue;
        const auto before = test::FolderFiles(m_dir.path());
        fs::path target = m_dir / c.target;
        ImageKind kind{};
        try {
            if (c.toPhone)
                ConvertToPhone(c.source, ImageKind::ikMotoBitmap18, target, nullptr,
                               Overwrite::Refuse);
            else
                ConvertFromPhone(c.source, target, Format::Bmp, kind, nullptr, Overwrite::Refuse);
            ADD_FAILURE() << "not refused";
        } catch (const IoError& e) {
            EXPECT_EQ(e.message(), c.message);
            EXPECT_EQ(e.kind(), ErrorKind::Refused);
        }
        EXPECT_EQ(test::FolderFiles(m_dir.path()), before);
    }
}

// The target the user named is written through its link, keeps its
// permission bits, and is replaced as cp replaces it.
TEST_F(ConvertTest, ANamedTargetIsWrittenThroughItsLink)
{
    const fs::path k = Write("a.k", MotoBitmap18File());
    fs::create_directory(m_dir / "real");
    const fs::path real = Write("real/pic.bmp", Bytes("old"));
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    SYMLINK_OR_SKIP(real, m_dir / "pic.bmp");
    fs::path target = m_dir / "pic.bmp";
    ImageKind kind{};
    ASSERT_TRUE(ConvertFromPhone(k, target, Format::Bmp, kind, nullptr, Overwrite::Refuse));
    EXPECT_TRUE(fs::is_symlink(m_dir / "pic.bmp"));
    EXPECT_EQ(ReadBytes(real).front(), std::byte{'B'});
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(test::FolderNames(m_dir / "real"), std::vector<std::string>{"pic.bmp"});
}

TEST_F(ConvertTest, InspectPhoneFile)
{
    fs::path gif = Save("pic.gif", SamplePicture(7, 5), "image/gif");
    fs::path png = Save("pic.png", SamplePicture(4, 9), "image/png");
    fs::create_directory(m_dir / "folder.k");
    struct Case {
        const char* name;
        std::optional<std::vector<std::byte>> bytes; // none: the file is not there
        ImageKind kind;
        std::uint32_t width;
        std::uint32_t height;
    };
    // clang-format off
    const Case cases[] = {
        {"a(16x16).raw", Bytes(""), ImageKind::ikRaw, 16, 16},
        {"a(16xab).raw", Bytes(""), ImageKind::ikRaw, 0, 0},
        {"a(16x-5).raw", Bytes(""), ImageKind::ikRaw, 0, 0},
        {"a(99999999999x16).raw", Bytes(""), ImageKind::ikRaw, 0, 0},
        {"a.raw", Bytes(""), ImageKind::ikRaw, 0, 0},
        {"a.k", MotoBitmap18File(), ImageKind::ikMotoBitmap18, 2, 2},
        {"b.k", MotoBitmap32File(24), ImageKind::ikMotoBitmap32, 2, 2},
        // Only a size the decoder accepts: this header's fields are not one.
        {"c.k", Bytes({3}), ImageKind::ikMotoBitmap32, 0, 0},
        {"gif.g", ReadBytes(gif), ImageKind::ikMotoImage, 7, 5},
        {"png.g", ReadBytes(png), ImageKind::ikMotoImage, 4, 9},
        {"bmp.g", Bytes("BM and more"), ImageKind::ikMotoImage, 0, 0},
        {"broken.g", Bytes("GIF89a broken"), ImageKind::ikMotoImage, 0, 0},
        {"a.txt", Bytes("text"), ImageKind::ikUnknown, 0, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PhoneFileInfo info = InspectPhoneFile(c.bytes ? Write(c.name, *c.bytes) : m_dir / c.name);
        EXPECT_EQ(info.kind, c.kind);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
    }
    // A file that cannot be read is an error, not a picture of no size.
    for (const char* name : {"missing(16x16).raw", "missing.k", "folder.k", "missing.g"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(InspectPhoneFile(m_dir / name), IoError);
    }
}

} // namespace
} // namespace zefir::imagecodec
