#include "core/archive/ConvertAll.h"

#include <string>
#include <string_view>

#include "core/Error.h"
#include "core/Text.h"
#include "core/archive/FolderSearch.h"

namespace zefir::archive {

namespace {

using imagecodec::ImageKind;

constexpr std::string_view kPhoneExtensions[] = {".k", ".g"};
constexpr std::string_view kPictureExtensions[] = {".bmp", ".png", ".gif"};

bool ConvertOneFromPhone(const fs::path& source, fs::path& target, imagecodec::Format format,
                         std::string& whyNot)
{
    // A Moto Bitmap's picture is named ".bmp" whatever format it holds.
    if (AsciiUpper(ExtensionOf(source.filename().string())) == ".K")
        target.replace_filename(ReplaceExtension(target.filename().string(), ".bmp"));
    ImageKind kind = ImageKind::ikUnknown;
    return imagecodec::ConvertFromPhone(source, target, format, kind, &whyNot);
}

} // namespace

ConvertAllReport ConvertAll(const fs::path& sourceFolder, const fs::path& targetFolder,
                            bool fromPhone, imagecodec::Format format)
{
    if (!fs::is_directory(targetFolder))
        throw IoError("the target folder does not exist", targetFolder);
    std::span<const std::string_view> extensions = kPictureExtensions;
    if (fromPhone)
        extensions = kPhoneExtensions;
    FolderSearch search = SearchFolder(sourceFolder, extensions);
    ConvertAllReport report;
    report.leftOut = std::move(search.passedOver);
    // The searches follow one another; every file is listed before the first
    // is converted, so files written into the same folder are not taken up.
    for (const auto& names : search.matches)
        for (const std::string& name : names) {
            const fs::path source = sourceFolder / name;
            fs::path target = targetFolder / name;
            std::string whyNot;
            const bool converted =
                fromPhone ? ConvertOneFromPhone(source, target, format, whyNot)
                          : imagecodec::ConvertToPhone(source, ImageKind::ikMotoBitmap18, target,
                                                       &whyNot);
            if (converted)
                report.written.push_back(target);
            else
                report.leftOut.push_back({name, whyNot});
        }
    return report;
}

} // namespace zefir::archive
