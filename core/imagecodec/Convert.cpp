// The file-to-file conversions between phone files and standard pictures:
// thin layers over the in-memory ones, which add what only files have. The
// target must not be the source or a folder; the target the user named may
// be replaced, a name the content chose only when allowed.

#include <string>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Message.h"
#include "core/Text.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::imagecodec {

namespace {

fs::path WithExtension(const fs::path& path, std::string_view extension)
{
    return fs::path(ReplaceExtension(Utf8Of(path), extension));
}

void SetReason(std::string* whyNot, std::string reason)
{
    if (whyNot)
        *whyNot = std::move(reason);
}

constexpr MessageText kIsTheSource =
    ZEFIR_MESSAGE("zefir::imagecodec", "is the file being converted; name another target");

// What every conversion refuses before it reads anything: a target that
// names a folder, is the source itself (through any path or link), or is a
// device or pipe.
void CheckTarget(const fs::path& source, const fs::path& target)
{
    const fileio::Entry entry = fileio::EntryAt(target);
    if (target.filename().empty() || entry == fileio::Entry::Folder)
        throw IoError(
            Translated(ZEFIR_MESSAGE("zefir::imagecodec", "is a folder; name the file to write")),
            target, ErrorKind::Refused);
    if (fileio::SameFile(source, target))
        throw IoError(Translated(kIsTheSource), target, ErrorKind::Refused);
}

// Writes a conversion's output. The target the user named may be replaced
// (written through a link, as cp does); another name, chosen by the
// content, only when allowed.
void WriteOutput(const fs::path& source, const fs::path& named, const fs::path& written,
                 std::span<const std::byte> bytes, Overwrite otherNames)
{
    if (written == named) {
        fileio::WriteFile(written, bytes, fileio::Target::Named);
        return;
    }
    if (fileio::SameFile(source, written))
        throw IoError(Translated(kIsTheSource), written, ErrorKind::Refused);
    if (otherNames == Overwrite::Refuse && fileio::EntryAt(written) != fileio::Entry::Missing)
        fileio::RefuseToReplace(written.parent_path(), {written});
    fileio::WriteFile(written, bytes, fileio::Target::InFolder);
}

} // namespace

bool ConvertFromPhone(const fs::path& source, fs::path& target, Format format, ImageKind& kind,
                      std::string* whyNot, Overwrite otherNames)
{
    // Set before detection, which throws for a ".k" file it cannot read.
    kind = ImageKind::ikUnknown;
    CheckTarget(source, target);
    // A picture under a phone file's extension would be taken for one later
    // (packing reads a ".k" as a Moto Bitmap).
    if (IsPhoneFileName(Utf8Of(target.filename())))
        throw IoError(Translated(ZEFIR_MESSAGE("zefir::imagecodec",
                                               "a phone file converts to a standard picture "
                                               "(.gif, .png, .bmp or .jpg), not to a phone "
                                               "file's extension")),
                      target, ErrorKind::Refused);
    CheckFormat(format, target);
    kind = DetectImageKind(source);
    if (kind == ImageKind::ikUnknown) {
        SetReason(whyNot, Translated(kNotPhonePicture));
        return false;
    }
    const std::vector<std::byte> bytes = ReadPhoneFile(source);
    PictureFromPhoneResult out =
        PictureFromPhone(Utf8Of(source.filename()), bytes, format, source);
    if (!out.converted) {
        SetReason(whyNot, out.whyNot);
        return false;
    }
    // For kinds 0 to 2 the picture goes under the target exactly as named,
    // whatever its extension says.
    fs::path written =
        kind == ImageKind::ikMotoImage ? WithExtension(target, out.extension) : target;
    WriteOutput(source, target, written, out.bytes, otherNames);
    target = written;
    return true;
}

bool ConvertToPhone(const fs::path& source, ImageKind kind, fs::path& target, std::string* whyNot,
                    Overwrite otherNames)
{
    CheckTarget(source, target);
    PhoneFromPictureResult out = PhoneFromPicture(
        fileio::ReadFile(source, imaging::kMaxPictureFileSize), kind, Utf8Of(target), source);
    if (!out.converted) {
        SetReason(whyNot, out.whyNot);
        return false;
    }
    fs::path written = WithExtension(target, out.extension);
    WriteOutput(source, target, written, out.bytes, otherNames);
    target = written;
    return true;
}

void CopyMotoImageOut(const fs::path& source, fs::path& target)
{
    const auto bytes = fileio::ReadFile(source, imaging::kMaxPictureFileSize);
    fs::path written = WithExtension(target, MotoImageExtension(MotoImageHolds(bytes)));
    fileio::WriteFile(written, bytes);
    target = written;
}

void CopyAsMotoImage(const fs::path& source, fs::path& target)
{
    // Whatever the source holds is copied; a ".g" made from a BMP or JPEG
    // comes back out as ".unk".
    fs::path written = WithExtension(target, KindInfo(ImageKind::ikMotoImage).extension);
    fileio::CopyFile(source, written, imaging::kMaxPictureFileSize);
    target = written;
}

PhoneFileInfo InspectPhoneFile(const fs::path& path)
{
    // Read first: a file that cannot be read is an error, not a picture of
    // no size. Only a size the decoder accepts is told: a header's fields
    // alone may be anything.
    const PhonePictureInfo info =
        InspectPhonePicture(Utf8Of(path.filename()), ReadPhoneFile(path));
    return {info.kind, info.width, info.height};
}

} // namespace zefir::imagecodec
