#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "PictureTestUtil.h"
#include "TestUtil.h"
#include "core/FileIo.h"
#include "core/archive/Export.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::archive {
namespace {

using test::Bytes;
using test::TempDir;
using Strings = std::vector<std::string>;

// Members by index, counting each read.
class FakeSource final : public IMemberSource {
public:
    explicit FakeSource(std::vector<std::pair<std::string, std::vector<std::byte>>> members)
        : m_members(std::move(members))
    {
    }
    std::string Name(std::size_t member) override { return m_members.at(member).first; }
    void Data(std::size_t member, std::vector<std::byte>& bytes) override
    {
        bytes = m_members.at(member).second;
    }
    std::vector<std::size_t> All() const
    {
        std::vector<std::size_t> all;
        for (std::size_t i = 0; i < m_members.size(); ++i)
            all.push_back(i);
        return all;
    }

private:
    std::vector<std::pair<std::string, std::vector<std::byte>>> m_members;
};

std::vector<std::byte> MotoBitmap()
{
    return imagecodec::EncodeMotoBitmap18(test::Gradient(2, 3), "m.k");
}
std::vector<std::byte> Png()
{
    return imaging::EncodePicture(test::Gradient(2, 2), "image/png", "p.png");
}
// A Moto Image whose GIF stops after its header.
std::vector<std::byte> BrokenGif()
{
    return Bytes("GIF89a\x01\x00\x01\x00");
}

Strings Files(const ExportPlan& plan)
{
    Strings files;
    for (const ExportItem& item : plan.items)
        files.push_back(Utf8Of(item.target.filename()));
    return files;
}

Strings LeftOutLines(const std::vector<LeftOut>& leftOut)
{
    Strings lines;
    for (const LeftOut& member : leftOut)
        lines.push_back(member.file + ": " + member.reason);
    return lines;
}

TEST(ExportTest, PlanNamesFilesAsExtractionAndLeavesOutWhatCannotBeOne)
{
    // "€" is one byte in Windows-1251 and three in UTF-8: 95 of them are a
    // member name the archive holds but too long for a file name here.
    const std::string longName = std::string(95, '\x88') + ".k";
    const bool caseBlind = fileio::FileNameKey("a.png") == fileio::FileNameKey("A.png");
    const std::string taken = "its file a.png is taken by member \"a.k\", which comes first";
    const struct {
        const char* name;
        ExportFormat format;
        std::vector<std::pair<std::string, std::vector<std::byte>>> members;
        Strings files;
        Strings notExported;
    } cases[] = {
        {"a Moto Image keeps what it holds, the first of one name keeps it",
         ExportFormat::Png,
         {{"a.k", MotoBitmap()}, {"d.g", BrokenGif()}, {"a.g", Png()}, {"a.k", MotoBitmap()}},
         {"a.png", "d.gif"},
         {"a.g: " + taken, "a.k: " + taken}},
        {"another format; a Moto Image's name does not follow it",
         ExportFormat::Bmp,
         {{"a.k", MotoBitmap()}, {"a.g", Png()}, {"logo(2x2).raw", Bytes("12345678")}},
         {"a.bmp", "a.png", "logo(2x2).bmp"},
         {}},
        {"names that differ only in case are one file where the system says so",
         ExportFormat::Png,
         {{"a.k", MotoBitmap()}, {"A.k", MotoBitmap()}},
         caseBlind ? Strings{"a.png"} : Strings{"a.png", "A.png"},
         caseBlind ? Strings{"A.k: its file would be member \"a.k\"'s, since this system does "
                             "not tell their names apart"}
                   : Strings{}},
        {"no phone picture, a name too long for a file",
         ExportFormat::Png,
         {{"notes.txt", Bytes("hello")}, {longName, MotoBitmap()}, {"b.k", MotoBitmap()}},
         {"b.png"},
         {"notes.txt: not a phone picture (.k, .g or .raw)",
          Cp1251ToUtf8(longName) + ": the file name \"" + Cp1251ToUtf8(std::string(95, '\x88')) +
              ".png\" is 289 bytes, more than the 255 a file name may have"}},
        {"as stored: any member under its own name",
         ExportFormat::AsStored,
         {{"notes.txt", Bytes("hello")}, {"d.g", BrokenGif()}, {"d.g", BrokenGif()}},
         {"notes.txt", "d.g"},
         {"d.g: its file d.g is taken by member \"d.g\", which comes first"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSource source(c.members);
        ExportSettings settings;
        settings.format = c.format;
        const ExportPlan plan = PlanExport(source, source.All(), "out", settings);
        EXPECT_EQ(Files(plan), c.files);
        EXPECT_EQ(LeftOutLines(plan.notExported), c.notExported);
    }
}

TEST(ExportTest, MembersNamedOneByOneMustComeOut)
{
    FakeSource source({{"a.k", MotoBitmap()}, {"notes.txt", Bytes("hello")}});
    ExportSettings settings;
    settings.byName = true;
    EXPECT_THROW_MSG(PlanExport(source, source.All(), "out", settings),
                     "notes.txt: not a phone picture (.k, .g or .raw)");
}

TEST(ExportTest, WriteRefusesFilesInTheWayUnlessToldToReplaceThem)
{
    TempDir dir;
    const fs::path out = dir / "out";
    fs::create_directory(out);
    test::WriteBytes(out / "a.png", Bytes("mine"));
    FakeSource source({{"a.k", MotoBitmap()}, {"C.g", Png()}});
    const ExportPlan plan = PlanExport(source, source.All(), out, {});
    ASSERT_EQ(TargetsInTheWay(plan).size(), 1u);
    EXPECT_TRUE(TargetsInTheWay(plan)[0].plainFile);

    EXPECT_THROW_MSG(WriteExport(plan, source), Utf8Of(out / "a.png") + ": the file is already there");
    EXPECT_EQ(test::FolderNames(out), Strings{"a.png"});
    EXPECT_EQ(test::ReadBytes(out / "a.png"), Bytes("mine"));

    Strings written;
    ExportControl control;
    control.replace = true;
    control.written = [&](const fs::path& file) { written.push_back(Utf8Of(file.filename())); };
    const ExportReport report = WriteExport(plan, source, control);
    EXPECT_EQ(written, (Strings{"a.png", "C.png"}));
    EXPECT_EQ(report.written.size(), 2u);
    EXPECT_EQ(test::ReadBytes(out / "C.png"), Png());
    EXPECT_EQ(imaging::LoadPicture(out / "a.png").width, 2u);
}

// The archive itself is never a target, by its own name or another's; in
// a folder not made yet nothing is.
TEST(ExportTest, TheArchiveIsNeverATarget)
{
    TempDir dir;
    test::WriteBytes(dir / "a.ezx", Bytes("archive"));
    FakeSource source({{"a.ezx", Bytes("member")}, {"b.ezx", Bytes("member")}});
    ExportSettings settings;
    settings.format = ExportFormat::AsStored;
    settings.archive = dir / "a.ezx";
    EXPECT_EQ(PlanExport(source, source.All(), dir / "new", settings).items.size(), 2u);
    auto refused = [&](std::size_t member) {
        const std::vector<std::size_t> one{member};
        EXPECT_THROW_MSG(PlanExport(source, one, dir.path(), settings),
                         Utf8Of(dir / source.Name(member)) +
                             ": is the archive being exported; it is not written over");
    };
    refused(0);
    SYMLINK_OR_SKIP(dir / "a.ezx", dir / "b.ezx");
    refused(1);
    EXPECT_EQ(test::ReadBytes(dir / "a.ezx"), Bytes("archive"));
}

// Many more members than go to the workers at once, pictures of different
// sizes and damaged ones among them: every file holds its own member's
// picture, and the report and the progress follow the members' order, as
// one by one; stopped halfway, the files written before it stay.
TEST(ExportTest, ManyMembersComeOutAsOneByOne)
{
    std::vector<std::pair<std::string, std::vector<std::byte>>> members;
    for (std::uint32_t i = 0; i < 150; ++i)
        members.push_back({std::to_string(i) + (i % 9 == 4 ? ".g" : ".k"),
                           i % 9 == 4 ? BrokenGif()
                                      : imagecodec::EncodeMotoBitmap18(
                                            test::Gradient(1 + i % 40, 2 + i % 7), "m.k")});
    FakeSource source(members);
    ExportSettings settings;
    settings.motoImages = MotoImages::Encode;
    Strings expectedNotExported;
    for (const auto& [name, bytes] : members)
        if (ExportMemberFile(name, bytes, settings.format, settings.motoImages).bytes.empty())
            expectedNotExported.push_back(name);
    ASSERT_EQ(expectedNotExported.size(), 17u);
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "whole");
        TempDir dir;
        std::vector<std::size_t> steps;
        ExportControl control;
        control.progress = [&](std::size_t done) { steps.push_back(done); };
        control.cancelled = [&] { return stop && steps.size() == 75; };
        const ExportReport report =
            WriteExport(PlanExport(source, source.All(), dir.path(), settings), source, control);
        EXPECT_EQ(report.cancelled, stop);
        ASSERT_EQ(steps.size(), stop ? 75u : 150u);
        for (std::size_t i = 0; i < steps.size(); ++i)
            EXPECT_EQ(steps[i], i + 1);
        Strings notExported;
        for (const LeftOut& member : report.notExported)
            notExported.push_back(member.file);
        EXPECT_EQ(notExported, Strings(expectedNotExported.begin(),
                                       expectedNotExported.begin() + (stop ? 8 : 17)));
        EXPECT_EQ(test::FolderNames(dir.path()).size(), report.written.size());
        for (const fs::path& file : report.written) {
            const std::string member = Utf8Of(file.stem()) + ".k";
            const auto& bytes = members.at(std::stoul(member)).second;
            EXPECT_EQ(test::ReadBytes(file),
                      ExportMemberFile(member, bytes, settings.format).bytes);
        }
    }
}

TEST(ExportTest, DamagedMembersArePassedOverOrStopTheExportLeavingNothingItMade)
{
    TempDir dir;
    const fs::path out = dir / "made" / "here";
    fs::create_directory(dir / "made");
    FakeSource source({{"a.k", MotoBitmap()}, {"d.g", BrokenGif()}, {"b.k", MotoBitmap()}});
    ExportSettings settings;
    settings.motoImages = MotoImages::Encode; // the Moto Image is decoded
    {
        const ExportPlan plan = PlanExport(source, source.All(), out, settings);
        const ExportReport report = WriteExport(plan, source);
        EXPECT_EQ(test::FolderNames(out), (Strings{"a.png", "b.png"}));
        ASSERT_EQ(report.notExported.size(), 1u);
        EXPECT_EQ(report.notExported[0].file, "d.g");
        fs::remove_all(out);
    }
    settings.byName = true;
    const ExportPlan plan = PlanExport(source, source.All(), out, settings);
    EXPECT_THROW(WriteExport(plan, source), IoError);
    // a.png was written before d.g stopped it, and went again with the
    // folder made for it; the folder above was there before.
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(fs::exists(dir / "made"));

    // Cancelled once a file is written: that file stays.
    settings.byName = false;
    std::size_t written = 0;
    ExportControl control;
    control.written = [&](const fs::path&) { ++written; };
    control.cancelled = [&] { return written > 0; };
    const ExportReport report =
        WriteExport(PlanExport(source, source.All(), out, settings), source, control);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(test::FolderNames(out), Strings{"a.png"});
}

} // namespace
} // namespace zefir::archive
