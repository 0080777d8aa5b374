// Conversion dispatch between phone files and standard pictures, and the
// Moto Image (".g") pass-through. A Moto Image is a GIF or PNG file under the
// phone's extension and is copied both ways, never re-encoded; on the way out
// its first four bytes choose the extension:
//
//   offset 0  "GIF8" (47 49 46 38)  -> ".gif"
//   offset 0  89 50 4E 47           -> ".png"
//   anything else, or fewer bytes   -> ".unk"

#include <algorithm>
#include <array>
#include <string>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::imagecodec {

namespace {

constexpr std::array<unsigned char, 4> kGifSignature = {0x47, 0x49, 0x46, 0x38};
constexpr std::array<unsigned char, 4> kPngSignatureStart = {0x89, 0x50, 0x4E, 0x47};

bool StartsWith(std::span<const std::byte> bytes, const std::array<unsigned char, 4>& signature)
{
    if (bytes.size() < signature.size())
        return false;
    for (std::size_t i = 0; i < signature.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) != signature[i])
            return false;
    return true;
}

fs::path WithExtension(const fs::path& path, std::string_view extension)
{
    return fs::path(ReplaceExtension(path.string(), extension));
}

std::string UpperExtension(const fs::path& path)
{
    return AsciiUpper(ExtensionOf(path.string()));
}

void SetReason(std::string* whyNot, std::string reason)
{
    if (whyNot)
        *whyNot = std::move(reason);
}

// Checked before anything is read, as the encoder lookup comes first.
std::string_view MimeTypeFor(Format format, const fs::path& target)
{
    auto code = static_cast<unsigned>(format);
    if (code >= TargetMimeTypes.size())
        throw IoError("target format code " + std::to_string(code) + " is not one of 0 to 3",
                      target);
    return TargetMimeTypes[code];
}

// A raw picture's size from its name, or the reason it has none.
bool RawSize(std::string_view name, std::int32_t& width, std::int32_t& height, std::string& whyNot)
{
    if (!ParseRawDimensions(name, width, height)) {
        whyNot = "the name carries no picture size (WxH)";
        return false;
    }
    // A zero side, as in "(0x16)" or "(16xab)", is no picture; a negative one
    // is refused by the decoder.
    if (width == 0 || height == 0) {
        whyNot = "the name gives no usable picture size (" + std::to_string(width) + "x" +
                 std::to_string(height) + ")";
        return false;
    }
    return true;
}

// The picture a phone file of a decodable kind holds.
imaging::Bitmap DecodePhoneBytes(ImageKind kind, std::int32_t rawWidth, std::int32_t rawHeight,
                                 std::span<const std::byte> bytes, const fs::path& source)
{
    switch (kind) {
    case ImageKind::ikRaw:
        return DecodeRawPicture(bytes, rawWidth, rawHeight, source);
    case ImageKind::ikMotoBitmap18:
        return DecodeMotoBitmap18(bytes, source);
    case ImageKind::ikMotoBitmap32:
        return DecodeMotoBitmap32(bytes, source);
    default:
        // A Moto Image: only the GIF or PNG it is meant to hold.
        if (MotoImageExtensionOf(bytes) == ".unk")
            throw IoError("the Moto Image holds neither a GIF nor a PNG picture", source);
        return imaging::DecodePicture(bytes, source);
    }
}

bool IsPhoneName(const fs::path& path)
{
    const std::string extension = UpperExtension(path);
    return extension == ".K" || extension == ".G" || extension == ".RAW";
}

// What every conversion refuses before it reads anything: a target that
// names a folder, is the source itself (through any path or link), or is a
// device or pipe.
void CheckTarget(const fs::path& source, const fs::path& target)
{
    const fileio::Entry entry = fileio::EntryAt(target);
    if (target.filename().empty() || entry == fileio::Entry::Folder)
        throw IoError("is a folder; name the file to write", target, ErrorKind::Refused);
    if (fileio::SameFile(source, target))
        throw IoError("is the file being converted; name another target", target,
                      ErrorKind::Refused);
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
        throw IoError("is the file being converted; name another target", written,
                      ErrorKind::Refused);
    if (otherNames == Overwrite::Refuse && fileio::EntryAt(written) != fileio::Entry::Missing)
        fileio::RefuseToReplace(written.parent_path(), {written});
    fileio::WriteFile(written, bytes, fileio::Target::InFolder);
}

} // namespace

// A phone file is read only as far as its largest possible layout goes; the
// decoders ignore the rest.
std::vector<std::byte> ReadPhoneFile(const fs::path& path)
{
    if (UpperExtension(path) == ".G")
        return fileio::ReadFile(path, imaging::kMaxPictureFileSize);
    fileio::InputFile file(path);
    std::vector<std::byte> bytes(
        static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kMaxPhoneFileSize)));
    bytes.resize(file.ReadAt(0, bytes));
    return bytes;
}

std::string_view MotoImageExtensionOf(std::span<const std::byte> bytes)
{
    if (StartsWith(bytes, kGifSignature))
        return ".gif";
    if (StartsWith(bytes, kPngSignatureStart))
        return ".png";
    return ".unk";
}

PictureFromPhoneResult PictureFromPhone(std::string_view name, std::span<const std::byte> bytes,
                                        Format format, const fs::path& source)
{
    PictureFromPhoneResult out;
    out.kind = DetectImageKind(name, bytes);
    std::int32_t width = 0;
    std::int32_t height = 0;
    switch (out.kind) {
    case ImageKind::ikUnknown:
        out.whyNot = "not a phone picture";
        return out;
    case ImageKind::ikMotoImage:
        // The format asked for does not matter: a Moto Image comes out as
        // what it holds, byte for byte.
        out.extension = MotoImageExtensionOf(bytes);
        out.bytes.assign(bytes.begin(), bytes.end());
        out.converted = true;
        return out;
    case ImageKind::ikRaw:
        try {
            if (!RawSize(name, width, height, out.whyNot))
                return out;
        } catch (const IoError& e) {
            // A width too large for the name's number: the file is named.
            throw IoError(e.message(), source, e.kind());
        }
        break;
    default:
        break;
    }
    const std::string_view mimeType = MimeTypeFor(format, source);
    out.bytes = imaging::EncodePicture(DecodePhoneBytes(out.kind, width, height, bytes, source),
                                       mimeType, source);
    out.extension = TargetExtension(format);
    out.converted = true;
    return out;
}

PhoneFromPictureResult PhoneFromPicture(const fs::path& source, ImageKind kind,
                                        std::string_view targetName)
{
    // GIF and PNG pictures always become Moto Images, whatever was asked.
    const std::string extension = UpperExtension(source);
    if (extension == ".GIF" || extension == ".PNG")
        kind = ImageKind::ikMotoImage;

    PhoneFromPictureResult out;
    switch (kind) {
    case ImageKind::ikMotoBitmap18:
        out.bytes = EncodeMotoBitmap18(imaging::LoadPicture(source), source);
        out.extension = ".k";
        break;
    case ImageKind::ikMotoBitmap32:
        out.bytes = EncodeMotoBitmap32(imaging::LoadPicture(source), source);
        out.extension = ".k";
        break;
    case ImageKind::ikMotoImage:
        // Whatever the source holds is copied; a ".g" made from a BMP or JPEG
        // comes back out as ".unk".
        out.bytes = fileio::ReadFile(source, imaging::kMaxPictureFileSize);
        out.extension = ".g";
        break;
    case ImageKind::ikRaw: {
        const std::string name = ReplaceExtension(targetName, ".raw");
        std::int32_t width = 0;
        std::int32_t height = 0;
        if (!ParseRawDimensions(name, width, height))
            throw IoError("the name carries no picture size (WxH)", fs::path(name),
                          ErrorKind::Refused);
        imaging::Bitmap picture = imaging::LoadPicture(source);
        if (width < 0 || height < 0 || static_cast<std::uint32_t>(width) != picture.width ||
            static_cast<std::uint32_t>(height) != picture.height)
            throw IoError("the size in the name, " + std::to_string(width) + "x" +
                              std::to_string(height) + ", does not match the picture's " +
                              std::to_string(picture.width) + "x" + std::to_string(picture.height),
                          fs::path(name), ErrorKind::Refused);
        out.bytes = EncodeRawPicture(picture, source);
        out.extension = ".raw";
        break;
    }
    default:
        out.whyNot = "no phone format for kind " + std::to_string(static_cast<unsigned>(kind));
        return out;
    }
    out.converted = true;
    return out;
}

bool ConvertFromPhone(const fs::path& source, fs::path& target, Format format, ImageKind& kind,
                      std::string* whyNot, Overwrite otherNames)
{
    // Set before detection, which throws for a ".k" file it cannot read.
    kind = ImageKind::ikUnknown;
    CheckTarget(source, target);
    // A picture under a phone file's extension would be taken for one later
    // (packing reads a ".k" as a Moto Bitmap).
    if (IsPhoneName(target))
        throw IoError("a phone file converts to a standard picture (.gif, .png, .bmp or .jpg), "
                      "not to a phone file's extension",
                      target, ErrorKind::Refused);
    MimeTypeFor(format, target);
    kind = DetectImageKind(source);
    if (kind == ImageKind::ikUnknown) {
        SetReason(whyNot, "not a phone picture");
        return false;
    }
    const std::vector<std::byte> bytes = ReadPhoneFile(source);
    PictureFromPhoneResult out =
        PictureFromPhone(source.filename().string(), bytes, format, source);
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
    PhoneFromPictureResult out = PhoneFromPicture(source, kind, target.string());
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
    auto bytes = fileio::ReadFile(source, imaging::kMaxPictureFileSize);
    fs::path written = WithExtension(target, MotoImageExtensionOf(bytes));
    fileio::WriteFile(written, bytes);
    target = written;
}

void CopyAsMotoImage(const fs::path& source, fs::path& target)
{
    // Whatever the source holds is copied; a ".g" made from a BMP or JPEG
    // comes back out as ".unk".
    fs::path written = WithExtension(target, ".g");
    fileio::CopyFile(source, written, imaging::kMaxPictureFileSize);
    target = written;
}

PhoneFileInfo InspectPhoneFile(const fs::path& path)
{
    PhoneFileInfo info;
    const std::string name = path.filename().string();
    // Read first: a file that cannot be read is an error, not a picture of
    // no size.
    const std::vector<std::byte> bytes = ReadPhoneFile(path);
    info.kind = DetectImageKind(name, bytes);
    if (info.kind == ImageKind::ikUnknown)
        return info;
    // Only a size the decoder accepts is told: a header's fields alone may
    // be anything.
    try {
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::string whyNot;
        if (info.kind == ImageKind::ikRaw && !RawSize(name, width, height, whyNot))
            return info;
        imaging::Bitmap picture = DecodePhoneBytes(info.kind, width, height, bytes, path);
        info.width = picture.width;
        info.height = picture.height;
    } catch (const IoError&) {
        info.width = 0;
        info.height = 0;
    }
    return info;
}

} // namespace zefir::imagecodec
