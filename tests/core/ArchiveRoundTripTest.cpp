// Extraction and packing back, through the real picture codecs, and
// converting whole folders.

#include <string>
#include <utility>
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
using test::ByName;
using test::Bytes;
using test::ExactPicture;
using test::kIconCp1251;
using test::LeftOutLines;
using test::ReadArchive;
using test::ReadBytes;
using test::WriteBytes;
using Strings = std::vector<std::string>;

// Extracts members of every kind, with conversion or without, and packs
// icons (or raws) back. Names survive both ways byte for byte; each phone
// file comes back as it was, except that GIF and PNG pictures always go back
// as Moto Images, so a Moto Bitmap or raw picture returns as a ".g" holding
// its picture, and JPEG pictures are not packed.
TEST(ArchiveRoundTrip, MembersComeBackByteForByte)
{
    auto members = test::PhoneMembers();
    // 1 MiB is the largest member the reader, the packer and the writer take.
    members.push_back({"max.g", std::vector<std::byte>(kMaxMemberSize, std::byte{'x'})});
    // The members only conversion takes back, by stem and extension, in the
    // order packing lists their pictures.
    const std::pair<std::string, std::string> converted[] = {
        {"a", ".k"}, {"logo(12x10)", ".raw"}, {"s", ".k"}, {kIconCp1251, ".k"}};
    struct {
        const char* name;
        bool convert;
        Format format;
    } trips[] = {{"raws", false, Format::Bmp},
                 {"BMP", true, Format::Bmp},
                 {"GIF", true, Format::Gif},
                 {"PNG", true, Format::Png},
                 {"JPEG", true, Format::Jpeg}};
    for (const auto& t : trips) {
        SCOPED_TRACE(t.name);
        test::TempDir dir;
        WriteArchive(members, dir / "in.ezx");
        test::RecordingProgress progress;
        test::RecordingList list;
        std::vector<LeftOut> notConverted;
        UnpackArchive(dir / "in.ezx", dir.path(), {t.convert, t.format}, progress, list,
                      &notConverted);
        const fs::path folder = dir / (t.convert ? "icons" : "raws");
        PackReport report = PackArchive(folder, dir / "out.ezx", t.convert, progress);

        auto expected = ByName(members);
        // Not a picture: its record says so, and no picture of it was written.
        expected.erase("notes.txt");
        // From raws every phone file goes back, the raw picture included.
        Strings leftOut;
        if (!t.convert)
            leftOut.push_back("notes.txt: not a phone file (.k, .g or .raw)");
        for (const auto& [stem, extension] : converted) {
            if (!t.convert || t.format == Format::Bmp)
                continue;
            expected.erase(stem + extension);
            const std::string picture = Cp1251ToUtf8(stem) + std::string(TargetExtension(t.format));
            if (t.format == Format::Jpeg)
                leftOut.push_back(picture + ": JPEG pictures are not packed; convert it to BMP or "
                                            "PNG first");
            else
                expected[stem + ".g"] = ReadBytes(folder / PathFromUtf8(picture));
        }
        EXPECT_EQ(ByName(ReadArchive(dir / "out.ezx")), expected);
        EXPECT_EQ(LeftOutLines(report.leftOut), leftOut);
        EXPECT_EQ(LeftOutLines(notConverted),
                  t.convert ? Strings{"notes.txt: not a phone picture"} : Strings{});
        // Nothing is written into the folder being packed.
        EXPECT_FALSE(fs::exists(folder / "conv"));
    }
}

// Without a map, packing takes ".bmp" pictures as 18-bit Moto Bitmaps and
// GIF and PNG pictures as Moto Images.
TEST(ArchiveRoundTrip, WithoutAMapTheExtensionChoosesThePhoneFormat)
{
    test::TempDir dir;
    const imaging::Bitmap picture = ExactPicture(6, 4, 7);
    imaging::SavePicture(picture, dir / "a.bmp", "image/bmp");
    const auto gif = imaging::EncodePicture(picture, "image/gif", "b.gif");
    WriteBytes(dir / "b.gif", gif);
    // Only the map can tell what a ".unk" holds: without one it is not taken.
    WriteBytes(dir / "c.unk", Bytes("JUNK"));
    test::RecordingProgress progress;
    EXPECT_EQ(LeftOutLines(PackArchive(dir.path(), dir / "out.ezx", true, progress).leftOut),
              Strings{"c.unk: a .unk file is packed only through the conversion map that names "
                      "it"});
    EXPECT_EQ(ByName(ReadArchive(dir / "out.ezx")),
              (test::Files{{"a.k", imagecodec::EncodeMotoBitmap18(picture, "a.k")}, {"b.g", gif}}));
}

TEST(ConvertAll, FromAndToThePhone)
{
    test::TempDir dir;
    for (const char* folder : {"phone", "pictures", "back"})
        fs::create_directory(dir / folder);
    const imaging::Bitmap picture = ExactPicture(5, 5, 8);
    const auto k = imagecodec::EncodeMotoBitmap18(picture, "a.k");
    const auto png = imaging::EncodePicture(picture, "image/png", "b.g");
    const auto gif = imaging::EncodePicture(picture, "image/gif", "z.gif");
    WriteBytes(dir / "phone/a.k", k);
    WriteBytes(dir / "phone/b.g", png);
    WriteBytes(dir / "phone/c.g", Bytes("JUNK"));
    WriteBytes(dir / "phone/d.raw", Bytes({0}));
    WriteBytes(dir / "phone/.e.k", k);

    // From the phone, in PNG: the Moto Bitmap's picture is still named .bmp.
    ConvertAllReport fromPhone = ConvertAll(dir / "phone", dir / "pictures", true, Format::Png);
    EXPECT_EQ(fromPhone.written,
              (std::vector<fs::path>{dir / "pictures/a.bmp", dir / "pictures/b.png",
                                     dir / "pictures/c.unk"}));
    EXPECT_EQ(LeftOutLines(fromPhone.leftOut), Strings{".e.k: hidden file"});
    // To the phone: .bmp first, then .png, then .gif; the .unk is not taken.
    WriteBytes(dir / "pictures/z.gif", gif);
    ConvertAllReport toPhone = ConvertAll(dir / "pictures", dir / "back", false, Format::Bmp);
    EXPECT_EQ(toPhone.written,
              (std::vector<fs::path>{dir / "back/a.k", dir / "back/b.g", dir / "back/z.g"}));
    EXPECT_TRUE(toPhone.leftOut.empty());
    EXPECT_EQ(test::FolderFiles(dir / "back"),
              (test::Files{{"a.k", k}, {"b.g", png}, {"z.g", gif}}));

    EXPECT_THROW_MSG(ConvertAll(dir / "phone", dir / "missing", true, Format::Bmp),
                     (dir / "missing").string() + ": the target folder does not exist");
}

// Two pictures for one output: the first is converted, the second fails;
// a broken picture fails alone; outputs already there are refused, listed,
// before anything is written, unless replacing is asked for.
TEST(ConvertAll, CollisionsFailuresAndFilesInTheWay)
{
    test::TempDir dir;
    fs::create_directory(dir / "in");
    fs::create_directory(dir / "out");
    const imaging::Bitmap picture = ExactPicture(4, 4, 9);
    const auto png = imaging::EncodePicture(picture, "image/png", "x.png");
    WriteBytes(dir / "in/x.png", png);
    WriteBytes(dir / "in/x.gif", imaging::EncodePicture(picture, "image/gif", "x.gif"));
    WriteBytes(dir / "in/broken.bmp", Bytes("BM broken"));
    WriteBytes(dir / "in/y.bmp", imaging::EncodePicture(picture, "image/bmp", "y.bmp"));
    ConvertAllReport report =
        ConvertAll(dir / "in", dir / "out", false, Format::Bmp, Overwrite::Refuse);
    EXPECT_EQ(report.written, (std::vector<fs::path>{dir / "out/y.k", dir / "out/x.g"}));
    EXPECT_EQ(LeftOutLines(report.failed),
              (Strings{"x.gif: its output x.g is already made from x.png",
                       "broken.bmp: BMP file header at 0xA runs past the end of the file (9 "
                       "bytes)"}));
    EXPECT_EQ(ReadBytes(dir / "out/x.g"), png);

    WriteBytes(dir / "out/x.g", Bytes("mine"));
    EXPECT_THROW_MSG(ConvertAll(dir / "in", dir / "out", false, Format::Bmp, Overwrite::Refuse),
                     (dir / "out").string() +
                         ": 2 files already exist and are not replaced unless asked to: "
                         "y.k, x.g");
    EXPECT_EQ(ReadBytes(dir / "out/x.g"), Bytes("mine"));
    ConvertAll(dir / "in", dir / "out", false, Format::Bmp, Overwrite::Replace);
    EXPECT_EQ(ReadBytes(dir / "out/x.g"), png);
}

} // namespace
} // namespace zefir::archive
