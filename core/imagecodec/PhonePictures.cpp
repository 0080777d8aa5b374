// Phone pictures in memory. One table says which extension is which kind;
// everything else decodes a phone file's bytes into a picture or encodes a
// picture into a phone file's bytes. A Moto Image is a GIF or PNG file under
// the phone's extension, told by its first four bytes:
//
//   offset 0  "GIF8" (47 49 46 38)  a GIF
//   offset 0  89 50 4E 47           a PNG
//   anything else, or fewer bytes   neither; the phone shows nothing

#include "core/imagecodec/PhonePictures.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/Error.h"
#include "core/Text.h"

namespace zefir::imagecodec {

namespace {

constexpr std::array<PhoneKindInfo, 5> kPhoneKinds = {{
    {ImageKind::ikRaw, ".raw", "raw", "Raw picture"},
    {ImageKind::ikMotoBitmap18, ".k", "moto-bitmap-18", "Moto Bitmap (18-bit)"},
    {ImageKind::ikMotoBitmap32, ".k", "moto-bitmap-32", "Moto Bitmap (32-bit)"},
    {ImageKind::ikMotoImage, ".g", "moto-image", "Moto Image"},
    {ImageKind::ikUnknown, "", "unknown", "Unknown"},
}};

constexpr std::array<unsigned char, 4> kGifSignature = {0x47, 0x49, 0x46, 0x38};
constexpr std::array<unsigned char, 4> kPngSignatureStart = {0x89, 0x50, 0x4E, 0x47};

bool StartsWith(std::span<const std::byte> bytes, const std::array<unsigned char, 4>& signature)
{
    if (bytes.size() < signature.size())
        return false;
    return std::equal(signature.begin(), signature.end(), bytes.begin(),
                      [](unsigned char s, std::byte b) { return static_cast<std::byte>(s) == b; });
}

// The last component of a name: a raw picture's size is read from its own
// name, never from a folder that happens to hold "(WxH)".
std::string_view BaseName(std::string_view name)
{
    const auto slash = name.rfind('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::string SizeText(std::uint64_t width, std::uint64_t height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

struct RawSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The size a raw picture's name gives; refused when it gives none that a
// picture can have.
RawSize RawSizeOfName(std::string_view name, const fs::path& where)
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!ParseRawDimensions(BaseName(name), width, height))
        throw IoError("the name carries no picture size (WxH)", where, ErrorKind::Refused);
    if (width <= 0 || height <= 0)
        throw IoError("the name gives no usable picture size (" + SizeText(width, height) + ")",
                      where, ErrorKind::Refused);
    return {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
}

std::string_view MimeTypeOf(MotoImageContent content)
{
    return content == MotoImageContent::Gif ? "image/gif" : "image/png";
}

// The file's picture: a phone file through its decoder, anything else as a
// standard picture.
imaging::Bitmap DecodeAnyPicture(std::string_view fileName, std::span<const std::byte> bytes,
                                 const fs::path& file)
{
    if (IsPhoneFileName(fileName))
        return DecodePhonePicture(fileName, bytes, file).picture;
    return imaging::DecodePicture(bytes, file);
}

MotoImageContent ContentOfPicture(std::span<const std::byte> bytes)
{
    switch (imaging::DetectPictureFormat(bytes)) {
    case imaging::PictureFormat::Gif:
        return MotoImageContent::Gif;
    case imaging::PictureFormat::Png:
        return MotoImageContent::Png;
    default:
        return MotoImageContent::Other;
    }
}

std::vector<std::byte> Copy(std::span<const std::byte> bytes)
{
    return {bytes.begin(), bytes.end()};
}

// What a Moto Image member gets: a file already holding its format goes in
// byte for byte; any other picture is encoded into that format. A member that
// holds neither GIF nor PNG has no format to keep, so it takes a GIF or PNG
// as it is and anything else as a PNG, the formats the phone shows.
std::vector<std::byte> ForMotoImage(MotoImageContent held, std::string_view fileName,
                                    std::span<const std::byte> fileBytes, const fs::path& file)
{
    const MotoImageContent given =
        IsPhoneFileName(fileName) && KindOfName(fileName) == ImageKind::ikMotoImage
            ? MotoImageHolds(fileBytes)
            : ContentOfPicture(fileBytes);
    if (given != MotoImageContent::Other && (given == held || held == MotoImageContent::Other))
        return Copy(fileBytes);
    const MotoImageContent wanted = held == MotoImageContent::Other ? MotoImageContent::Png : held;
    return imaging::EncodePicture(DecodeAnyPicture(fileName, fileBytes, file), MimeTypeOf(wanted),
                                  file);
}

// A raw picture file fits a raw member as it is only when both names give
// one size; any other kind has its size inside.
bool SameRawSize(ImageKind kind, std::string_view memberName, std::string_view fileName,
                 const fs::path& file)
{
    if (kind != ImageKind::ikRaw)
        return true;
    const RawSize member = RawSizeOfName(memberName, file);
    const RawSize given = RawSizeOfName(fileName, file);
    return member.width == given.width && member.height == given.height;
}

} // namespace

std::span<const PhoneKindInfo> PhoneKinds()
{
    return kPhoneKinds;
}

const PhoneKindInfo& KindInfo(ImageKind kind)
{
    const auto code = static_cast<std::size_t>(kind);
    return code < kPhoneKinds.size() ? kPhoneKinds[code] : kPhoneKinds.back();
}

bool IsPhoneFileName(std::string_view name)
{
    return KindOfName(name) != ImageKind::ikUnknown;
}

ImageKind KindOfName(std::string_view name)
{
    // The first row with the extension: ".k" gives the 18-bit row, whose
    // exact variant only the header tells.
    const std::string extension = AsciiUpper(ExtensionOf(BaseName(name)));
    for (const PhoneKindInfo& row : kPhoneKinds)
        if (!row.extension.empty() && AsciiUpper(row.extension) == extension)
            return row.kind;
    return ImageKind::ikUnknown;
}

MotoImageContent MotoImageHolds(std::span<const std::byte> bytes)
{
    if (StartsWith(bytes, kGifSignature))
        return MotoImageContent::Gif;
    if (StartsWith(bytes, kPngSignatureStart))
        return MotoImageContent::Png;
    return MotoImageContent::Other;
}

std::string_view MotoImageExtension(MotoImageContent content)
{
    switch (content) {
    case MotoImageContent::Gif:
        return ".gif";
    case MotoImageContent::Png:
        return ".png";
    case MotoImageContent::Other:
        break;
    }
    return ".unk";
}

PhonePicture DecodePhonePicture(std::string_view name, std::span<const std::byte> bytes,
                                const fs::path& source)
{
    PhonePicture out;
    out.kind = DetectImageKind(BaseName(name), bytes);
    switch (out.kind) {
    case ImageKind::ikRaw: {
        const RawSize size = RawSizeOfName(name, source);
        out.picture = DecodeRawPicture(bytes, static_cast<std::int32_t>(size.width),
                                       static_cast<std::int32_t>(size.height), source);
        return out;
    }
    case ImageKind::ikMotoBitmap18:
        out.picture = DecodeMotoBitmap18(bytes, source);
        return out;
    case ImageKind::ikMotoBitmap32:
        out.picture = DecodeMotoBitmap32(bytes, source);
        return out;
    case ImageKind::ikMotoImage:
        if (MotoImageHolds(bytes) == MotoImageContent::Other)
            throw IoError("the Moto Image holds neither a GIF nor a PNG picture", source,
                          ErrorKind::Refused);
        out.picture = imaging::DecodePicture(bytes, source);
        return out;
    case ImageKind::ikUnknown:
        break;
    }
    throw IoError("not a phone picture (.k, .g or .raw)", source, ErrorKind::Refused);
}

std::vector<std::byte> EncodePhonePicture(const imaging::Bitmap& picture, ImageKind kind,
                                          std::string_view name, const fs::path& target,
                                          MotoImageContent content)
{
    switch (kind) {
    case ImageKind::ikRaw: {
        // The size is part of the name, so a picture of another size would
        // be read back wrong.
        const RawSize size = RawSizeOfName(name, target);
        if (size.width != picture.width || size.height != picture.height)
            throw IoError("the picture is " + SizeText(picture.width, picture.height) +
                              ", but the raw picture's name says " +
                              SizeText(size.width, size.height),
                          target, ErrorKind::Refused);
        return EncodeRawPicture(picture, target);
    }
    case ImageKind::ikMotoBitmap18:
        return EncodeMotoBitmap18(picture, target);
    case ImageKind::ikMotoBitmap32:
        return EncodeMotoBitmap32(picture, target);
    case ImageKind::ikMotoImage:
        if (content == MotoImageContent::Other)
            throw IoError("a Moto Image holds a GIF or a PNG picture, no other format", target,
                          ErrorKind::Refused);
        return imaging::EncodePicture(picture, MimeTypeOf(content), target);
    case ImageKind::ikUnknown:
        break;
    }
    throw IoError("no phone format to encode into", target, ErrorKind::Refused);
}

Replacement ConvertForMember(std::string_view memberName, std::span<const std::byte> memberBytes,
                             std::string_view fileName, std::span<const std::byte> fileBytes,
                             const fs::path& file)
{
    Replacement out;
    const ImageKind kind = DetectImageKind(BaseName(memberName), memberBytes);
    const PhonePictureInfo before = InspectPhonePicture(memberName, memberBytes);
    out.oldWidth = before.width;
    out.oldHeight = before.height;

    // A raw member without a size in its name takes no picture; say so
    // about the member, not the file.
    if (kind == ImageKind::ikRaw)
        RawSizeOfName(memberName, fs::path(std::string(memberName)));
    const bool phoneFile = IsPhoneFileName(fileName);
    if (kind == ImageKind::ikUnknown) {
        // Nothing to keep: the file goes in as it is.
        out.bytes = Copy(fileBytes);
    } else if (kind == ImageKind::ikMotoImage) {
        out.bytes = ForMotoImage(MotoImageHolds(memberBytes), fileName, fileBytes, file);
    } else if (phoneFile && DetectImageKind(BaseName(fileName), fileBytes) == kind &&
               SameRawSize(kind, memberName, fileName, file)) {
        out.bytes = Copy(fileBytes);
    } else {
        // A raw picture's size comes from the member's name; the picture
        // given must have it.
        const imaging::Bitmap picture = DecodeAnyPicture(fileName, fileBytes, file);
        out.bytes = EncodePhonePicture(picture, kind, memberName, file);
    }

    const PhonePictureInfo after = InspectPhonePicture(memberName, out.bytes);
    out.newWidth = after.width;
    out.newHeight = after.height;
    out.sizeChanged = before.width != 0 && after.width != 0 &&
                      (before.width != after.width || before.height != after.height);
    return out;
}

NewMember MemberFromFile(std::string_view fileName, std::span<const std::byte> fileBytes,
                         ImageKind kind, const fs::path& file)
{
    const std::string_view base = BaseName(fileName);
    NewMember out;
    if (IsPhoneFileName(base)) {
        out.fileName = std::string(base);
        out.bytes = Copy(fileBytes);
        return out;
    }
    // GIF and PNG pictures become Moto Images holding themselves, whatever
    // kind was asked for, as conversion to phone files has it.
    const MotoImageContent content = ContentOfPicture(fileBytes);
    if (content != MotoImageContent::Other)
        kind = ImageKind::ikMotoImage;
    if (kind == ImageKind::ikUnknown)
        throw IoError("no phone format to convert into", file, ErrorKind::Refused);
    out.fileName = ReplaceExtension(base, KindInfo(kind).extension);
    if (kind == ImageKind::ikMotoImage && content != MotoImageContent::Other) {
        out.bytes = Copy(fileBytes);
        return out;
    }
    // A BMP or JPEG asked to be a Moto Image is stored as a PNG, which the
    // phone shows.
    out.bytes = EncodePhonePicture(imaging::DecodePicture(fileBytes, file), kind, out.fileName,
                                   file, MotoImageContent::Png);
    return out;
}

PhonePictureInfo InspectPhonePicture(std::string_view name, std::span<const std::byte> bytes)
{
    PhonePictureInfo info;
    info.kind = DetectImageKind(BaseName(name), bytes);
    try {
        const PhonePicture decoded = DecodePhonePicture(name, bytes, fs::path(std::string(name)));
        info.width = decoded.picture.width;
        info.height = decoded.picture.height;
    } catch (const IoError& e) {
        info.whyNot = e.message();
    } catch (const std::bad_alloc&) {
        info.whyNot = "not enough memory to decode the picture";
    }
    return info;
}

} // namespace zefir::imagecodec
