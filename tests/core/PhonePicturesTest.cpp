// Phone pictures in memory: a replaced member keeps its kind, a new member
// is named and converted as packing would, and a member's kind and size are
// told from its name and bytes.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "TestUtil.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::imagecodec {
namespace {

using test::Bytes;
using test::ExactPicture;
using test::Translucent;

std::vector<std::byte> Encoded(const imaging::Bitmap& picture, std::string_view mime)
{
    return imaging::EncodePicture(picture, mime, "x");
}

std::vector<std::byte> Cut(const std::vector<std::byte>& bytes)
{
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2)};
}

// Every replacement of 8 x 10 pixels that these members take exactly.
const imaging::Bitmap kPicture = ExactPicture(8, 10, 1);

struct ReplaceCase {
    const char* name;
    std::string memberName;
    std::vector<std::byte> member;
    std::string fileName;
    std::vector<std::byte> file;
    std::vector<std::byte> expected; // when accepted
    std::string error;               // when refused
};

TEST(PhonePictures, ReplaceKeepsTheMembersKind)
{
    const auto k18 = EncodeMotoBitmap18(ExactPicture(12, 12, 0), "x");
    const auto raw = EncodeRawPicture(ExactPicture(8, 10, 2), "x");
    const auto gif = Encoded(kPicture, "image/gif");
    const auto png = Encoded(kPicture, "image/png");
    const auto bmp = Encoded(kPicture, "image/bmp");
    const auto small = Encoded(ExactPicture(12, 12, 0), "image/bmp");
    auto k18Tail = EncodeMotoBitmap18(kPicture, "x");
    test::Append(k18Tail, Bytes("tail"));
    const ReplaceCase cases[] = {
        {"18-bit from a BMP", "a.k", k18, "new.bmp", bmp, EncodeMotoBitmap18(kPicture, "x"), ""},
        {"18-bit from a 32-bit file", "a.k", k18, "new.k", EncodeMotoBitmap32(kPicture, "x"),
         EncodeMotoBitmap18(kPicture, "x"), ""},
        {"18-bit file as it is, trailing bytes too", "a.k", k18, "new.K", k18Tail, k18Tail, ""},
        {"32-bit from a PNG", "s.k", EncodeMotoBitmap32(kPicture, "x"), "new.png",
         Encoded(Translucent(5, 3), "image/png"), EncodeMotoBitmap32(Translucent(5, 3), "x"), ""},
        {"raw of the right size", "i(8x10).raw", raw, "new.gif", gif,
         EncodeRawPicture(kPicture, "x"), ""},
        {"raw file of its size as it is", "i(8x10).raw", raw, "j(8x10).raw",
         EncodeRawPicture(kPicture, "x"), EncodeRawPicture(kPicture, "x"), ""},
        // What goes in as it is must decode: the phone would show a broken
        // icon.
        {"raw file of its size, cut short",
         "i(8x10).raw",
         raw,
         "j(8x10).raw",
         Bytes("short"),
         {},
         "j(8x10).raw: the file is cut short: 5 bytes, where a raw picture of 8x10 pixels takes "
         "170 "
         "bytes"},
        {"32-bit file with an impossible header",
         "s.k",
         EncodeMotoBitmap32(kPicture, "x"),
         "bad.k",
         Bytes("xxxx"),
         {},
         "bad.k: the Moto Bitmap header gives an empty picture (2021161080 x 0 pixels)"},
        {"PNG-holding from a cut PNG",
         "p.g",
         png,
         "cut.png",
         Cut(png),
         {},
         "cut.png: PNG data runs past the end of the file (" + std::to_string(png.size() / 2) +
             " bytes)"},
        {"GIF-holding from a cut GIF",
         "g.g",
         gif,
         "cut.gif",
         Cut(gif),
         {},
         "cut.gif: GIF data runs past the end of the file (" + std::to_string(gif.size() / 2) +
             " bytes)"},
        {"raw of the wrong size",
         "i(8x10).raw",
         raw,
         "new.bmp",
         small,
         {},
         "new.bmp: the picture is 12x12, but the raw picture's name says 8x10"},
        {"raw file of another size",
         "i(8x10).raw",
         raw,
         "j(12x12).raw",
         EncodeRawPicture(ExactPicture(12, 12, 0), "x"),
         {},
         "j(12x12).raw: the picture is 12x12, but the raw picture's name says 8x10"},
        {"raw without a size",
         "i.raw",
         raw,
         "new.bmp",
         bmp,
         {},
         "i.raw: the name carries no picture size (WxH)"},
        {"GIF-holding from a GIF, byte for byte", "g.g", gif, "new.gif", gif, gif, ""},
        {"GIF-holding from a PNG", "g.g", Bytes("GIF89a"), "new.png", png, gif, ""},
        {"PNG-holding from a BMP", "p.g", png, "new.bmp", bmp, png, ""},
        {"PNG-holding from a GIF-holding file", "p.g", png, "new.g", gif, png, ""},
        {"holding neither, from a GIF", "j.g", Bytes("JUNK"), "new.gif", gif, gif, ""},
        {"unknown takes any file", "notes.txt", Bytes("old"), "new.bmp", small, small, ""},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = c.fileName;
        if (!c.error.empty()) {
            EXPECT_THROW_MSG(ConvertForMember(c.memberName, c.member, c.fileName, c.file, file),
                             c.error);
            continue;
        }
        const Replacement r = ConvertForMember(c.memberName, c.member, c.fileName, c.file, file);
        EXPECT_EQ(r.bytes, c.expected);
    }
}

TEST(PhonePictures, ReplaceTellsWhenTheSizeChanges)
{
    const auto k18 = EncodeMotoBitmap18(ExactPicture(12, 12, 0), "x");
    const Replacement bigger =
        ConvertForMember("a.k", k18, "new.bmp", Encoded(kPicture, "image/bmp"), "new.bmp");
    EXPECT_TRUE(bigger.sizeChanged);
    EXPECT_EQ(bigger.oldWidth * 100 + bigger.oldHeight, 1212u);
    EXPECT_EQ(bigger.newWidth * 100 + bigger.newHeight, 810u);
    const Replacement same = ConvertForMember(
        "a.k", k18, "new.bmp", Encoded(ExactPicture(12, 12, 3), "image/bmp"), "new.bmp");
    EXPECT_FALSE(same.sizeChanged);
}

struct NewMemberCase {
    const char* name;
    std::string fileName;
    std::vector<std::byte> file;
    ImageKind kind;
    std::string memberName;          // when accepted
    std::vector<std::byte> expected; // when accepted
    std::string error;               // when refused
};

TEST(PhonePictures, NewMembersAreNamedAndConvertedByKind)
{
    const auto bmp = Encoded(kPicture, "image/bmp");
    const auto png = Encoded(kPicture, "image/png");
    const auto jpeg = Encoded(kPicture, "image/jpeg");
    const NewMemberCase cases[] = {
        {"phone file as it is", "dir/a.k", EncodeMotoBitmap32(kPicture, "x"), ImageKind::ikRaw,
         "a.k", EncodeMotoBitmap32(kPicture, "x"), ""},
        {"damaged phone file",
         "dir/a.k",
         Bytes("xxxx"),
         ImageKind::ikRaw,
         "",
         {},
         "dir/a.k: the Moto Bitmap header gives an empty picture (2021161080 x 0 pixels)"},
        {"cut PNG",
         "logo.png",
         Cut(png),
         ImageKind::ikMotoBitmap18,
         "",
         {},
         "logo.png: PNG data runs past the end of the file (" + std::to_string(png.size() / 2) +
             " bytes)"},
        // A Moto Image by content, not by name.
        {"BMP named .png as 18-bit", "fake.png", bmp, ImageKind::ikMotoBitmap18, "fake.k",
         EncodeMotoBitmap18(kPicture, "x"), ""},
        {"PNG named .bmp as 18-bit", "a.bmp", png, ImageKind::ikMotoBitmap18, "a.k",
         EncodeMotoBitmap18(kPicture, "x"), ""},
        {"PNG as a Moto Image", "logo.png", png, ImageKind::ikMotoBitmap18, "logo.g", png, ""},
        {"BMP as 18-bit", "x.bmp", bmp, ImageKind::ikMotoBitmap18, "x.k",
         EncodeMotoBitmap18(kPicture, "x"), ""},
        {"BMP as 32-bit", "x.bmp", bmp, ImageKind::ikMotoBitmap32, "x.k",
         EncodeMotoBitmap32(kPicture, "x"), ""},
        {"BMP as raw", "i(8x10).bmp", bmp, ImageKind::ikRaw, "i(8x10).raw",
         EncodeRawPicture(kPicture, "x"), ""},
        {"JPEG as a Moto Image holds a PNG", "p.jpg", jpeg, ImageKind::ikMotoImage, "p.g",
         Encoded(imaging::DecodePicture(jpeg, "x"), "image/png"), ""},
        {"raw without a size",
         "i.bmp",
         bmp,
         ImageKind::ikRaw,
         "",
         {},
         "i.bmp: the name carries no picture size (WxH)"},
        {"raw of another size",
         "i(12x12).bmp",
         bmp,
         ImageKind::ikRaw,
         "",
         {},
         "i(12x12).bmp: the picture is 8x10, but the raw picture's name says 12x12"},
        {"no kind",
         "x.bmp",
         bmp,
         ImageKind::ikUnknown,
         "",
         {},
         "x.bmp: no phone format to convert into"},
    };
    for (const NewMemberCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.error.empty()) {
            EXPECT_THROW_MSG(MemberFromFile(c.fileName, c.file, c.kind, c.fileName), c.error);
            continue;
        }
        const NewMember m = MemberFromFile(c.fileName, c.file, c.kind, c.fileName);
        EXPECT_EQ(m.fileName, c.memberName);
        EXPECT_EQ(m.bytes, c.expected);
    }
}

TEST(PhonePictures, KindAndSizeFromNameAndBytes)
{
    struct Case {
        std::string name;
        std::vector<std::byte> bytes;
        std::string label;
        std::uint32_t width, height;
        std::string whyNot;
    };
    const auto raw = EncodeRawPicture(kPicture, "x");
    const Case cases[] = {
        {"a.K", EncodeMotoBitmap18(kPicture, "x"), "moto-bitmap-18", 8, 10, ""},
        {"b.k", EncodeMotoBitmap32(Translucent(3, 2), "x"), "moto-bitmap-32", 3, 2, ""},
        {"c.G", Encoded(kPicture, "image/gif"), "moto-image", 8, 10, ""},
        {"d(8x10).RAW", raw, "raw", 8, 10, ""},
        // The size is the member's own name's, never a folder's.
        {"dir(8x10)/d.raw", raw, "raw", 0, 0, "the name carries no picture size (WxH)"},
        {"j.g", Bytes("JUNK"), "moto-image", 0, 0,
         "the Moto Image holds neither a GIF nor a PNG picture"},
        {"e.k.bak", raw, "unknown", 0, 0, "not a phone picture (.k, .g or .raw)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PhonePictureInfo info = InspectPhonePicture(c.name, c.bytes);
        EXPECT_EQ(KindInfo(info.kind).label, c.label);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        EXPECT_EQ(info.whyNot, c.whyNot);
        EXPECT_EQ(IsPhoneFileName(c.name), c.label != "unknown");
    }
    EXPECT_EQ(KindOfName("a.K"), ImageKind::ikMotoBitmap18);
}

} // namespace
} // namespace zefir::imagecodec
