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

// A phone file is read only as far as its largest possible layout goes; the
// decoders ignore the rest.
std::vector<std::byte> ReadPhoneFile(const fs::path& source)
{
    fileio::InputFile file(source);
    std::vector<std::byte> bytes(
        static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kMaxPhoneFileSize)));
    bytes.resize(file.ReadAt(0, bytes));
    return bytes;
}

bool RawFromPhone(const fs::path& source, const fs::path& target, Format format,
                  std::string* whyNot)
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!ParseRawDimensions(source.string(), width, height)) {
        SetReason(whyNot, "the name carries no picture size (WxH)");
        return false;
    }
    // A zero side, as in "(0x16)" or "(16xab)", is no picture; a negative one
    // is refused by the decoder.
    if (width == 0 || height == 0) {
        SetReason(whyNot, "the name gives no usable picture size (" + std::to_string(width) + "x" +
                              std::to_string(height) + ")");
        return false;
    }
    std::string_view mimeType = MimeTypeFor(format, target);
    auto file = ReadPhoneFile(source);
    imaging::SavePicture(DecodeRawPicture(file, width, height, source), target, mimeType);
    return true;
}

void RawToPhone(const fs::path& source, fs::path& target)
{
    fs::path written = WithExtension(target, ".raw");
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!ParseRawDimensions(written.string(), width, height))
        throw IoError("the name carries no picture size (WxH)", written);
    imaging::Bitmap picture = imaging::LoadPicture(source);
    if (width < 0 || height < 0 || static_cast<std::uint32_t>(width) != picture.width ||
        static_cast<std::uint32_t>(height) != picture.height)
        throw IoError("the size in the name, " + std::to_string(width) + "x" +
                          std::to_string(height) + ", does not match the picture's " +
                          std::to_string(picture.width) + "x" + std::to_string(picture.height),
                      written);
    fileio::WriteFile(written, EncodeRawPicture(picture, written));
    target = written;
}

} // namespace

bool ConvertFromPhone(const fs::path& source, fs::path& target, Format format, ImageKind& kind,
                      std::string* whyNot)
{
    // Set before detection, which throws for a ".k" file it cannot read.
    kind = ImageKind::ikUnknown;
    kind = DetectImageKind(source);
    switch (kind) {
    case ImageKind::ikRaw:
        return RawFromPhone(source, target, format, whyNot);
    case ImageKind::ikMotoBitmap18: {
        std::string_view mimeType = MimeTypeFor(format, target);
        auto file = ReadPhoneFile(source);
        imaging::SavePicture(DecodeMotoBitmap18(file, source), target, mimeType);
        return true;
    }
    case ImageKind::ikMotoBitmap32: {
        std::string_view mimeType = MimeTypeFor(format, target);
        auto file = ReadPhoneFile(source);
        imaging::SavePicture(DecodeMotoBitmap32(file, source), target, mimeType);
        return true;
    }
    case ImageKind::ikMotoImage:
        // The format asked for does not matter: a Moto Image comes out as
        // what it holds.
        CopyMotoImageOut(source, target);
        return true;
    case ImageKind::ikUnknown:
        break;
    }
    SetReason(whyNot, "not a phone picture");
    return false;
}

bool ConvertToPhone(const fs::path& source, ImageKind kind, fs::path& target, std::string* whyNot)
{
    // GIF and PNG pictures always become Moto Images, whatever was asked.
    std::string extension = UpperExtension(source);
    if (extension == ".GIF" || extension == ".PNG")
        kind = ImageKind::ikMotoImage;

    switch (kind) {
    case ImageKind::ikMotoBitmap18: {
        fs::path written = WithExtension(target, ".k");
        imaging::Bitmap picture = imaging::LoadPicture(source);
        fileio::WriteFile(written, EncodeMotoBitmap18(picture, written));
        target = written;
        return true;
    }
    case ImageKind::ikMotoBitmap32: {
        fs::path written = WithExtension(target, ".k");
        imaging::Bitmap picture = imaging::LoadPicture(source);
        fileio::WriteFile(written, EncodeMotoBitmap32(picture, written));
        target = written;
        return true;
    }
    case ImageKind::ikMotoImage:
        CopyAsMotoImage(source, target);
        return true;
    case ImageKind::ikRaw:
        RawToPhone(source, target);
        return true;
    case ImageKind::ikUnknown:
        break;
    }
    SetReason(whyNot, "no phone format for kind " + std::to_string(static_cast<unsigned>(kind)));
    return false;
}

void CopyMotoImageOut(const fs::path& source, fs::path& target)
{
    auto bytes = fileio::ReadFile(source, imaging::kMaxPictureFileSize);
    std::string_view extension = ".unk";
    if (StartsWith(bytes, kGifSignature))
        extension = ".gif";
    else if (StartsWith(bytes, kPngSignatureStart))
        extension = ".png";
    fs::path written = WithExtension(target, extension);
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
    std::string name = path.string();
    try {
        if (UpperExtension(path) == ".K") {
            auto header = fileio::ReadPrefix(path, kMotoBitmapHeaderSize);
            info.kind = DetectImageKind(name, header);
            MotoBitmapHeader fields = ReadMotoBitmapHeader(header);
            info.width = fields.Width;
            info.height = fields.Height;
            return info;
        }
        info.kind = DetectImageKind(name, {});
        if (info.kind == ImageKind::ikRaw) {
            // The size is the name's, but only for a file that is there to
            // convert.
            fileio::InputFile probe(path);
            std::int32_t width = 0;
            std::int32_t height = 0;
            if (ParseRawDimensions(name, width, height) && width > 0 && height > 0) {
                info.width = static_cast<std::uint32_t>(width);
                info.height = static_cast<std::uint32_t>(height);
            }
        } else if (info.kind == ImageKind::ikMotoImage) {
            auto bytes = fileio::ReadFile(path, imaging::kMaxPictureFileSize);
            if (StartsWith(bytes, kGifSignature) || StartsWith(bytes, kPngSignatureStart)) {
                imaging::Bitmap picture = imaging::DecodePicture(bytes, path);
                info.width = picture.width;
                info.height = picture.height;
            }
        }
    } catch (const IoError&) {
        info.width = 0;
        info.height = 0;
    }
    return info;
}

} // namespace zefir::imagecodec
