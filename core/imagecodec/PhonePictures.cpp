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
#include "core/FileIo.h"
#include "core/Text.h"

namespace zefir::imagecodec {

namespace {

constexpr std::array<PhoneKindInfo, 5> kPhoneKinds = {{
    {ImageKind::ikRaw, ".raw", "raw", ZEFIR_MESSAGE("zefir::imagecodec", "Raw picture"), "raw"},
    {ImageKind::ikMotoBitmap18, ".k", "moto-bitmap-18",
     ZEFIR_MESSAGE("zefir::imagecodec", "Moto Bitmap (18-bit)"), "18"},
    {ImageKind::ikMotoBitmap32, ".k", "moto-bitmap-32",
     ZEFIR_MESSAGE("zefir::imagecodec", "Moto Bitmap (32-bit)"), "32"},
    {ImageKind::ikMotoImage, ".g", "moto-image", ZEFIR_MESSAGE("zefir::imagecodec", "Moto Image"),
     "g"},
    {ImageKind::ikUnknown, "", "unknown", ZEFIR_MESSAGE("zefir::imagecodec", "Unknown"), ""},
}};

// Packing takes the lists by turns in this order, so it decides the order
// of the members packed.
constexpr std::array<std::string_view, 3> kPhoneFileExtensions = {
    kPhoneKinds[1].extension, kPhoneKinds[3].extension, kPhoneKinds[0].extension};

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
    std::int32_t width = 0;
    std::int32_t height = 0;
};

std::string SignedSizeText(const RawSize& size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

// The size a raw picture's name gives; refused when it gives none, or a zero
// side. A negative side is left to the decoder, which refuses it naming the
// size. A width too large for its number is an error naming `where`.
RawSize RawSizeOfName(std::string_view name, const fs::path& where)
{
    RawSize size;
    try {
        if (!ParseRawDimensions(BaseName(name), size.width, size.height))
            throw IoError(Translated(ZEFIR_MESSAGE("zefir::imagecodec",
                                                   "the name carries no picture size (WxH)")),
                          where, ErrorKind::Refused);
    } catch (const IoError& e) {
        throw IoError(e.message(), where, e.kind());
    }
    if (size.width == 0 || size.height == 0)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::imagecodec", "the name gives no usable picture size (%1)"),
                 SignedSizeText(size)),
            where, ErrorKind::Refused);
    return size;
}

bool SameSize(const RawSize& size, const imaging::Bitmap& picture)
{
    return size.width > 0 && size.height > 0 &&
           static_cast<std::uint32_t>(size.width) == picture.width &&
           static_cast<std::uint32_t>(size.height) == picture.height;
}

// The format code is checked before anything is decoded.
std::string_view MimeTypeOf(Format format, const fs::path& where)
{
    CheckFormat(format, where);
    return TargetMimeType(format);
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

// A ".bmp" name stands for a Moto Bitmap whatever the file holds: convert-all
// names every Moto Bitmap's picture so in any format, and packing must give
// the member back its kind and name.
bool NamesABitmap(std::string_view fileName)
{
    return AsciiUpper(ExtensionOf(BaseName(fileName))) == ".BMP";
}

// One rule wherever a picture becomes a phone file (add, convert, packing,
// convert-all): a picture holding GIF or PNG data becomes a Moto Image
// holding itself, told by its content, not its name ("fake.png" holding a
// BMP does not), except under a ".bmp" name.
bool BecomesMotoImage(std::string_view fileName, std::span<const std::byte> bytes)
{
    return ContentOfPicture(bytes) != MotoImageContent::Other && !NamesABitmap(fileName);
}

// Bytes that go into an archive as they are must decode as what their name
// says, within the decoders' limits: the phone would show a broken icon.
// The decoder's message names the user's file.
// A raw picture or Moto Bitmap cut short decodes (its missing bytes read as
// zero) but would not be whole on the phone, so it is refused too.
void CheckDecodes(std::string_view name, std::span<const std::byte> bytes, const fs::path& file)
{
    const PhonePicture phone = DecodePhonePicture(name, bytes, file);
    std::uint64_t needed = 0;
    if (phone.kind == ImageKind::ikRaw)
        needed = RawPictureBytes(phone.picture.pixels.size());
    else if (phone.kind == ImageKind::ikMotoBitmap18 || phone.kind == ImageKind::ikMotoBitmap32)
        needed = MotoBitmapBytes(ReadMotoBitmapHeader(bytes));
    if (bytes.size() < needed)
        throw IoError(
            phone.kind == ImageKind::ikRaw
                ? Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                                     "the file is cut short: %1, where a raw picture of %2 "
                                     "pixels takes %3"),
                       ByteCount(bytes.size()), SizeText(phone.picture.width, phone.picture.height),
                       ByteCount(needed))
                : Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                                     "the file is cut short: %1, where a %2 of %3 pixels "
                                     "takes %4"),
                       ByteCount(bytes.size()), TitleOf(phone.kind),
                       SizeText(phone.picture.width, phone.picture.height), ByteCount(needed)),
            file, ErrorKind::Damaged);
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

std::string TitleOf(ImageKind kind)
{
    return Translated(KindInfo(kind).title);
}

void CheckFormat(Format format, const fs::path& where)
{
    const auto code = static_cast<unsigned>(format);
    if (code >= TargetMimeTypes.size())
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::imagecodec", "target format code %1 is not one of 0 to 3"),
                 code),
            where, ErrorKind::Refused);
}

std::span<const std::string_view> PhoneFileExtensions()
{
    return kPhoneFileExtensions;
}

ImageKind PhoneKindOfPicture(std::string_view fileName, std::span<const std::byte> head)
{
    const std::string_view extension = ExtensionOf(BaseName(fileName));
    if (extension.empty() || !FormatOfName(extension.substr(1)))
        return ImageKind::ikUnknown;
    return BecomesMotoImage(fileName, head) ? ImageKind::ikMotoImage : ImageKind::ikMotoBitmap18;
}

std::optional<ImageKind> KindOfOption(std::string_view option)
{
    for (const PhoneKindInfo& row : kPhoneKinds)
        if (!row.option.empty() && row.option == option)
            return row.kind;
    return std::nullopt;
}

std::optional<Format> FormatOfName(std::string_view name)
{
    const std::string upper = AsciiUpper(name);
    if (upper == "JPEG")
        return Format::Jpeg;
    for (std::size_t code = 0; code < TargetExtensions.size(); ++code)
        if (AsciiUpper(TargetExtensions[code].substr(1)) == upper)
            return static_cast<Format>(code);
    return std::nullopt;
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

std::string PictureFileName(std::string_view name, std::span<const std::byte> bytes, Format format)
{
    if (KindOfName(name) == ImageKind::ikMotoImage)
        return ReplaceExtension(name, MotoImageExtension(MotoImageHolds(bytes)));
    CheckFormat(format, fs::path(std::string(name)));
    return ReplaceExtension(name, TargetExtension(format));
}

std::vector<std::byte> ReadPhoneFile(const fs::path& path)
{
    // A Moto Image is copied out whole; the other kinds are read only as far
    // as their largest layout goes, as the decoders ignore the rest.
    if (KindOfName(Utf8Of(path.filename())) == ImageKind::ikMotoImage)
        return fileio::ReadFile(path, imaging::kMaxPictureFileSize);
    fileio::InputFile file(path);
    std::vector<std::byte> bytes(
        static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kMaxPhoneFileSize)));
    bytes.resize(file.ReadAt(0, bytes));
    return bytes;
}

PhonePicture DecodePhonePicture(std::string_view name, std::span<const std::byte> bytes,
                                const fs::path& source)
{
    PhonePicture out;
    out.kind = DetectImageKind(BaseName(name), bytes);
    switch (out.kind) {
    case ImageKind::ikRaw: {
        const RawSize size = RawSizeOfName(name, source);
        out.picture = DecodeRawPicture(bytes, size.width, size.height, source);
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
            throw IoError(
                Translated(ZEFIR_MESSAGE("zefir::imagecodec",
                                         "the Moto Image holds neither a GIF nor a PNG picture")),
                source, ErrorKind::Refused);
        out.picture = imaging::DecodePicture(bytes, source);
        return out;
    case ImageKind::ikUnknown:
        break;
    }
    throw IoError(
        Translated(ZEFIR_MESSAGE("zefir::imagecodec", "not a phone picture (.k, .g or .raw)")),
        source, ErrorKind::Refused);
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
        if (!SameSize(size, picture))
            throw IoError(
                Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                                   "the picture is %1, but the raw picture's name says %2"),
                     SizeText(picture.width, picture.height), SignedSizeText(size)),
                target, ErrorKind::Refused);
        return EncodeRawPicture(picture, target);
    }
    case ImageKind::ikMotoBitmap18:
        return EncodeMotoBitmap18(picture, target);
    case ImageKind::ikMotoBitmap32:
        return EncodeMotoBitmap32(picture, target);
    case ImageKind::ikMotoImage:
        if (content == MotoImageContent::Other)
            throw IoError(Translated(ZEFIR_MESSAGE(
                              "zefir::imagecodec",
                              "a Moto Image holds a GIF or a PNG picture, no other format")),
                          target, ErrorKind::Refused);
        return imaging::EncodePicture(picture, MimeTypeOf(content), target);
    case ImageKind::ikUnknown:
        break;
    }
    throw IoError(Translated(ZEFIR_MESSAGE("zefir::imagecodec", "no phone format to encode into")),
                  target, ErrorKind::Refused);
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
        CheckDecodes(memberName, out.bytes, file);
    } else if (phoneFile && DetectImageKind(BaseName(fileName), fileBytes) == kind &&
               SameRawSize(kind, memberName, fileName, file)) {
        out.bytes = Copy(fileBytes);
        CheckDecodes(memberName, out.bytes, file);
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
        CheckDecodes(base, out.bytes, file);
        return out;
    }
    const MotoImageContent content = ContentOfPicture(fileBytes);
    if (BecomesMotoImage(base, fileBytes))
        kind = ImageKind::ikMotoImage;
    if (kind == ImageKind::ikUnknown)
        throw IoError(
            Translated(ZEFIR_MESSAGE("zefir::imagecodec", "no phone format to convert into")), file,
            ErrorKind::Refused);
    out.fileName = ReplaceExtension(base, KindInfo(kind).extension);
    if (kind == ImageKind::ikMotoImage && content != MotoImageContent::Other &&
        !NamesABitmap(base)) {
        out.bytes = Copy(fileBytes);
        CheckDecodes(out.fileName, out.bytes, file);
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
        info.whyNot = Translated(
            ZEFIR_MESSAGE("zefir::imagecodec", "not enough memory to decode the picture"));
    }
    return info;
}

PictureFromPhoneResult PictureFromPhone(std::string_view name, std::span<const std::byte> bytes,
                                        Format format, const fs::path& source)
{
    PictureFromPhoneResult out;
    out.kind = DetectImageKind(BaseName(name), bytes);
    switch (out.kind) {
    case ImageKind::ikUnknown:
        out.whyNot = Translated(kNotPhonePicture);
        return out;
    case ImageKind::ikMotoImage:
        out.extension = MotoImageExtension(MotoImageHolds(bytes));
        out.bytes = Copy(bytes);
        out.converted = true;
        return out;
    case ImageKind::ikRaw:
        // A name without a usable size has no converter; a size beyond a
        // limit is an error.
        try {
            RawSizeOfName(name, source);
        } catch (const IoError& e) {
            if (e.kind() != ErrorKind::Refused)
                throw;
            out.whyNot = e.message();
            return out;
        }
        break;
    default:
        break;
    }
    const std::string_view mimeType = MimeTypeOf(format, source);
    out.bytes =
        imaging::EncodePicture(DecodePhonePicture(name, bytes, source).picture, mimeType, source);
    out.extension = TargetExtension(format);
    out.converted = true;
    return out;
}

PhoneFromPictureResult PhoneFromPicture(std::span<const std::byte> picture, ImageKind kind,
                                        std::string_view targetName, const fs::path& source)
{
    const MotoImageContent content = ContentOfPicture(picture);
    if (BecomesMotoImage(Utf8Of(source.filename()), picture))
        kind = ImageKind::ikMotoImage;
    PhoneFromPictureResult out;
    switch (kind) {
    case ImageKind::ikMotoBitmap18:
    case ImageKind::ikMotoBitmap32:
        out.bytes =
            EncodePhonePicture(imaging::DecodePicture(picture, source), kind, targetName, source);
        break;
    case ImageKind::ikMotoImage:
        // A GIF or PNG goes in as it is, and so does the ".unk" file
        // extraction wrote for a Moto Image holding neither: it gets back
        // what it held. Any other picture is stored as a PNG, which the
        // phone shows.
        if (content != MotoImageContent::Other ||
            AsciiUpper(ExtensionOf(Utf8Of(source.filename()))) == ".UNK")
            out.bytes = Copy(picture);
        else
            out.bytes = EncodePhonePicture(imaging::DecodePicture(picture, source), kind,
                                           targetName, source, MotoImageContent::Png);
        break;
    case ImageKind::ikRaw: {
        // The size is checked against the name the file gets.
        const std::string name = ReplaceExtension(targetName, KindInfo(kind).extension);
        const fs::path target(name);
        RawSizeOfName(name, target);
        out.bytes = EncodePhonePicture(imaging::DecodePicture(picture, source), kind, name, target);
        break;
    }
    default:
        out.whyNot = Fill(ZEFIR_MESSAGE("zefir::imagecodec", "no phone format for kind %1"),
                          static_cast<unsigned>(kind));
        return out;
    }
    out.extension = KindInfo(kind).extension;
    out.converted = true;
    return out;
}

} // namespace zefir::imagecodec
