#include "core/archive/ConvertAll.h"

#include <map>
#include <string>
#include <string_view>
#include <system_error>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Message.h"
#include "core/OrderedWork.h"
#include "core/Text.h"
#include "core/archive/FolderSearch.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::archive {

namespace {

using imagecodec::ImageKind;

using imagecodec::Format;
using imagecodec::KindInfo;
using imagecodec::TargetExtension;

// Raw pictures are not taken: their size would have to come from somewhere.
const std::string_view kPhoneExtensions[] = {KindInfo(ImageKind::ikMotoBitmap18).extension,
                                             KindInfo(ImageKind::ikMotoImage).extension};
const std::string_view kPictureExtensions[] = {
    TargetExtension(Format::Bmp), TargetExtension(Format::Png), TargetExtension(Format::Gif)};

// One file of the folder and the output it gets.
struct Job {
    std::string name;
    fs::path source;
    fs::path output;
};

// The output's name, known before anything is converted: a Moto Image's
// from its first bytes.
std::string OutputName(const std::string& name, const fs::path& source, bool fromPhone)
{
    if (!fromPhone)
        return ReplaceExtension(
            name, KindInfo(imagecodec::PhoneKindOfPicture(
                               name, fileio::ReadPrefix(source, imagecodec::kPictureHeadSize)))
                      .extension);
    // A Moto Bitmap's picture is named ".bmp" whatever format it holds.
    if (imagecodec::KindOfName(name) != ImageKind::ikMotoImage)
        return ReplaceExtension(name, TargetExtension(Format::Bmp));
    return imagecodec::PictureFileName(name, fileio::ReadPrefix(source, 4), Format::Bmp);
}

std::vector<std::byte> Convert(const Job& job, bool fromPhone, imagecodec::Format format)
{
    if (!fromPhone) {
        auto out = imagecodec::PhoneFromPicture(
            fileio::ReadFile(job.source, imaging::kMaxPictureFileSize), ImageKind::ikMotoBitmap18,
            Utf8Of(job.output), job.source);
        return std::move(out.bytes);
    }
    auto out = imagecodec::PictureFromPhone(job.name, imagecodec::ReadPhoneFile(job.source), format,
                                            job.source);
    if (!out.converted)
        throw IoError(out.whyNot, job.source, ErrorKind::Refused);
    return std::move(out.bytes);
}

} // namespace

ConvertAllReport ConvertAll(const fs::path& sourceFolder, const fs::path& targetFolder,
                            bool fromPhone, imagecodec::Format format, Overwrite overwrite)
{
    std::error_code error;
    if (!fs::is_directory(targetFolder, error))
        throw IoError(
            Translated(ZEFIR_MESSAGE("zefir::archive", "the target folder does not exist")),
            targetFolder, ErrorKind::CannotOpen);
    std::span<const std::string_view> extensions = kPictureExtensions;
    if (fromPhone)
        extensions = kPhoneExtensions;
    FolderSearch search = SearchFolder(sourceFolder, extensions);
    ConvertAllReport report;
    report.leftOut = std::move(search.passedOver);

    // Every output is named first: files written into the same folder are
    // not taken up, two files never write one output, and the files in the
    // way are known before anything is written.
    std::vector<Job> jobs;
    std::map<fs::path, std::string> owners; // output -> the file it is made from
    std::vector<fs::path> inTheWay;
    for (const auto& names : search.matches)
        for (const FoundFile& file : names) {
            const std::string& name = file.name;
            Job job{name, sourceFolder / PathFromUtf8(name), {}};
            try {
                job.output = targetFolder / PathFromUtf8(OutputName(name, job.source, fromPhone));
            } catch (const IoError& e) {
                report.failed.push_back({name, e.message()});
                continue;
            }
            if (auto [owner, isNew] = owners.try_emplace(job.output, name); !isNew) {
                report.failed.push_back(
                    {name,
                     Fill(ZEFIR_MESSAGE("zefir::archive", "its output %1 is already made from %2"),
                          Utf8Of(job.output.filename()), owner->second)});
                continue;
            }
            if (fileio::EntryAt(job.output) != fileio::Entry::Missing)
                inTheWay.push_back(job.output);
            jobs.push_back(std::move(job));
        }
    if (overwrite == Overwrite::Refuse && !inTheWay.empty())
        fileio::RefuseToReplace(targetFolder, inTheWay);

    // Converted on worker threads; written here, in the folder's order.
    OrderedWork<std::vector<std::byte>> work;
    std::size_t next = 0; // the oldest job in flight
    auto finish = [&] {
        const Job& job = jobs[next++];
        std::vector<std::byte> bytes;
        try {
            bytes = work.Next();
        } catch (const IoError& e) {
            // One picture that cannot be converted does not stop the rest.
            report.failed.push_back({job.name, e.message()});
            return;
        }
        fileio::WriteFile(job.output, bytes);
        report.written.push_back(job.output);
    };
    for (const Job& job : jobs) {
        if (work.Full())
            finish();
        work.Submit([&job, fromPhone, format] { return Convert(job, fromPhone, format); });
    }
    while (next < jobs.size())
        finish();
    return report;
}

} // namespace zefir::archive
