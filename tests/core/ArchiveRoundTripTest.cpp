// Extraction with conversion and packing back, through the real picture
// codecs, and converting whole folders.

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "TestUtil.h"
#include "core/Text.h"
#include "core/archive/Archive.h"
#include "core/archive/ConvertAll.h"
#include "core/archive/EzxFormat.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"

namespace zefir::archive {
namespace {

using imagecodec::Format;
using imaging::Bitmap;
using test::ByName;
using test::Bytes;
using test::ReadArchive;
using test::ReadBytes;
using test::RecordingList;
using test::RecordingProgress;
using test::TempDir;
using test::WriteBytes;

const std::string kIconCp1251 = "\xC7\xED\xE0\xF7\xEE\xEA"; // "Значок"

// Opaque and fully transparent pixels with colours every phone format holds
// exactly (channels of 6 bits, and of 5 and 6 for raw pictures).
Bitmap Picture(std::uint32_t w, std::uint32_t h, std::uint32_t seed)
{
    Bitmap bmp(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            if ((x + y + seed) % 5 == 0)
                continue;
            std::uint32_t r = ((x * 37 + seed * 11) % 32) << 3;
            std::uint32_t g = ((y * 19 + seed * 7) % 64) << 2;
            std::uint32_t b = (((x ^ y) + seed) % 32) << 3;
            bmp.At(x, y) = 0xFF000000u | r << 16 | g << 8 | b;
        }
    return bmp;
}

// A picture with partial alpha, for the 32-bit Moto Bitmap.
Bitmap Translucent(std::uint32_t w, std::uint32_t h)
{
    Bitmap bmp(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            bmp.At(x, y) = (x * 16 + y) << 24 | (x * 20) << 16 | (y * 20) << 8 | 0x40;
    return bmp;
}

std::vector<Member> PhoneMembers()
{
    namespace codec = imagecodec;
    return {
        {"a.k", codec::EncodeMotoBitmap18(Picture(16, 12, 1), "a.k")},
        {"s.k", codec::EncodeMotoBitmap32(Translucent(12, 10), "s.k")},
        {kIconCp1251 + ".k", codec::EncodeMotoBitmap18(Picture(7, 5, 2), "icon")},
        {"g.g", imaging::EncodePicture(Picture(9, 9, 3), "image/gif", "g.g")},
        {"p.g", imaging::EncodePicture(Translucent(8, 6), "image/png", "p.g")},
        // A Moto Image holding a JPEG comes out as ".unk".
        {"j.g", imaging::EncodePicture(Picture(8, 8, 4), "image/jpeg", "j.g")},
        {"logo(12x10).raw", codec::EncodeRawPicture(Picture(12, 10, 5), "logo(12x10).raw")},
        {"notes.txt", Bytes("not a picture")},
    };
}

struct Trip {
    std::map<std::string, std::vector<std::byte>> members;
    std::vector<LeftOut> leftOut;
};

// Extracts the members with conversion to `format`, then packs icons back.
Trip ExtractAndPack(const TempDir& dir, const std::vector<Member>& members, Format format)
{
    WriteArchive(members, dir / "in.ezx");
    RecordingProgress progress;
    RecordingList list;
    std::vector<LeftOut> notConverted;
    UnpackArchive(dir / "in.ezx", dir.path(), {true, format}, progress, list, &notConverted);
    // Every member but the one that is not a picture was converted.
    EXPECT_EQ(notConverted.size(), 1u);
    for (const auto& n : notConverted)
        EXPECT_EQ(n.file + ": " + n.reason, "notes.txt: not a phone picture");
    PackReport report = PackArchive(dir / "icons", dir / "out.ezx", true, progress);
    EXPECT_TRUE(fs::is_empty(dir / "icons" / "conv"));
    return {ByName(ReadArchive(dir / "out.ezx")), report.leftOut};
}

TEST(ArchiveRoundTrip, ThroughBmpEveryPhonePictureComesBackByteForByte)
{
    TempDir dir;
    const auto members = PhoneMembers();
    Trip trip = ExtractAndPack(dir, members, Format::Bmp);
    auto expected = ByName(members);
    // Not a picture: its record says so, and no picture of it was written.
    expected.erase("notes.txt");
    EXPECT_EQ(trip.members, expected);
    EXPECT_TRUE(trip.leftOut.empty());
}

// GIF and PNG pictures always go back as Moto Images: a Moto Bitmap or raw
// picture converted to them returns as a ".g" holding that picture.
TEST(ArchiveRoundTrip, ThroughGifOrPngPicturesComeBackAsMotoImages)
{
    for (Format format : {Format::Gif, Format::Png}) {
        const std::string extension(imagecodec::TargetExtension(format));
        SCOPED_TRACE(extension);
        TempDir dir;
        const auto members = PhoneMembers();
        Trip trip = ExtractAndPack(dir, members, format);
        auto expected = ByName(members);
        expected.erase("notes.txt");
        for (const std::string& stem : std::vector<std::string>{"a", "s", kIconCp1251, "logo(12x10)"}) {
            const std::string original = stem == "logo(12x10)" ? stem + ".raw" : stem + ".k";
            expected.erase(original);
            const fs::path picture = dir / "icons" / (Cp1251ToUtf8(stem) + extension);
            expected[stem + ".g"] = ReadBytes(picture);
        }
        EXPECT_EQ(trip.members, expected);
    }
}

TEST(ArchiveRoundTrip, ThroughJpegOnlyMotoImagesComeBack)
{
    TempDir dir;
    const auto members = PhoneMembers();
    Trip trip = ExtractAndPack(dir, members, Format::Jpeg);
    auto all = ByName(members);
    EXPECT_EQ(trip.members, (std::map<std::string, std::vector<std::byte>>{
                                {"g.g", all["g.g"]}, {"p.g", all["p.g"]}, {"j.g", all["j.g"]}}));
    EXPECT_EQ(trip.leftOut.size(), 4u);
    for (const auto& l : trip.leftOut)
        EXPECT_EQ(l.reason, "JPEG pictures are not packed; convert it to BMP or PNG first");
}

// Without a map, packing takes ".bmp" pictures as 18-bit Moto Bitmaps and
// GIF and PNG pictures as Moto Images.
TEST(ArchiveRoundTrip, WithoutAMapTheExtensionChoosesThePhoneFormat)
{
    TempDir dir;
    const Bitmap picture = Picture(6, 4, 7);
    imaging::SavePicture(picture, dir / "a.bmp", "image/bmp");
    const auto gif = imaging::EncodePicture(picture, "image/gif", "b.gif");
    WriteBytes(dir / "b.gif", gif);
    RecordingProgress progress;
    PackReport report = PackArchive(dir.path(), dir / "out.ezx", true, progress);
    EXPECT_EQ(report.members, 2u);
    auto members = ByName(ReadArchive(dir / "out.ezx"));
    EXPECT_EQ(members["a.k"], imagecodec::EncodeMotoBitmap18(picture, "a.k"));
    EXPECT_EQ(members["b.g"], gif);
}

TEST(ConvertAll, FromAndToThePhone)
{
    TempDir dir;
    const fs::path phone = dir / "phone";
    const fs::path pictures = dir / "pictures";
    const fs::path back = dir / "back";
    for (const auto& folder : {phone, pictures, back})
        fs::create_directory(folder);
    const Bitmap picture = Picture(5, 5, 8);
    const auto k = imagecodec::EncodeMotoBitmap18(picture, "a.k");
    const auto png = imaging::EncodePicture(picture, "image/png", "b.g");
    WriteBytes(phone / "a.k", k);
    WriteBytes(phone / "b.g", png);
    WriteBytes(phone / "c.g", Bytes("JUNK"));
    WriteBytes(phone / "d.raw", Bytes({0}));
    WriteBytes(phone / ".e.k", k);

    // From the phone, in PNG: the Moto Bitmap's picture is still named .bmp.
    ConvertAllReport fromPhone = ConvertAll(phone, pictures, true, Format::Png);
    EXPECT_EQ(fromPhone.written, (std::vector<fs::path>{pictures / "a.bmp", pictures / "b.png",
                                                        pictures / "c.unk"}));
    ASSERT_EQ(fromPhone.leftOut.size(), 1u);
    EXPECT_EQ(fromPhone.leftOut[0].file, ".e.k");
    EXPECT_EQ(imaging::DetectPictureFormat(ReadBytes(pictures / "a.bmp")),
              imaging::PictureFormat::Png);
    EXPECT_EQ(ReadBytes(pictures / "b.png"), png);

    // To the phone: .bmp first, then .png, then .gif; the .unk is not taken.
    const auto gif = imaging::EncodePicture(picture, "image/gif", "z.gif");
    WriteBytes(pictures / "z.gif", gif);
    ConvertAllReport toPhone = ConvertAll(pictures, back, false, Format::Bmp);
    EXPECT_EQ(toPhone.written,
              (std::vector<fs::path>{back / "a.k", back / "b.g", back / "z.g"}));
    EXPECT_TRUE(toPhone.leftOut.empty());
    EXPECT_EQ(ReadBytes(back / "a.k"), k);
    EXPECT_EQ(ReadBytes(back / "b.g"), png);
    EXPECT_EQ(ReadBytes(back / "z.g"), gif);

    EXPECT_THROW_MSG(ConvertAll(phone, dir / "missing", true, Format::Bmp),
                     (dir / "missing").string() + ": the target folder does not exist");
}

} // namespace
} // namespace zefir::archive
