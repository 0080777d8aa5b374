#pragma once

// Phone pictures in memory: which kind a member is, its picture decoded from
// its bytes, and a picture encoded to a kind. Files are read and written only
// by the callers; the file-to-file conversions are thin layers over these.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Message.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"

namespace zefir::imagecodec {

namespace fs = std::filesystem;

// One row per phone kind: the one table every caller asks instead of testing
// extensions itself.
struct PhoneKindInfo {
    ImageKind kind;
    std::string_view extension; // ".k", ".g", ".raw"; empty for ikUnknown
    std::string_view label;     // "moto-bitmap-18", as `info` and `list --long` print it
    MessageText title;          // "Moto Bitmap (18-bit)", as windows show it
    std::string_view option;    // "18", as --kind takes it; empty for ikUnknown
};

// The rows for ikRaw, ikMotoBitmap18, ikMotoBitmap32, ikMotoImage and
// ikUnknown, in that order.
std::span<const PhoneKindInfo> PhoneKinds();
const PhoneKindInfo& KindInfo(ImageKind kind);
// The kind's title in the user's language.
std::string TitleOf(ImageKind kind);
// Why a file with no phone kind gives no picture.
inline constexpr MessageText kNotPhonePicture =
    ZEFIR_MESSAGE("zefir::imagecodec", "not a phone picture");

// Whether a name's extension is one of the phone's (".k", ".g", ".raw", any
// letter case). The kind of a ".k" file needs its header: KindOfName gives
// ikMotoBitmap18 for ".k", and DetectImageKind(name, header) the exact kind.
bool IsPhoneFileName(std::string_view name);
// The kind an option names ("18", "32", "g", "raw"); none for anything else.
std::optional<ImageKind> KindOfOption(std::string_view option);
// The format a name gives ("gif", "png", "bmp", "jpg" or "jpeg", any letter
// case, as options and extensions without the dot spell them); none for
// anything else.
std::optional<Format> FormatOfName(std::string_view name);
ImageKind KindOfName(std::string_view name);
// The phone's extensions, each once, in the order packing searches for them:
// ".k", ".g", ".raw".
std::span<const std::string_view> PhoneFileExtensions();
// The phone kind a standard picture becomes when nothing else says, told by
// what it holds (`head`, its first bytes), not by its name: GIF and PNG
// data become Moto Images holding themselves, any other picture an 18-bit
// Moto Bitmap; a ".bmp" name is a Moto Bitmap's whatever it holds, since
// convert-all names every Moto Bitmap's picture so. ikUnknown for a name
// that is no picture's (".unk"). add, convert and packing keep this rule.
ImageKind PhoneKindOfPicture(std::string_view fileName, std::span<const std::byte> head);
// How many first bytes PhoneKindOfPicture needs.
inline constexpr std::size_t kPictureHeadSize = 16;

// What a Moto Image holds, told by its first four bytes.
enum class MotoImageContent : std::uint8_t { Gif, Png, Other };
MotoImageContent MotoImageHolds(std::span<const std::byte> bytes);
// The extension a Moto Image's content is copied out under: ".gif", ".png"
// or ".unk".
std::string_view MotoImageExtension(MotoImageContent content);

// Refuses (IoError naming `where`) a format code that is none of the four.
void CheckFormat(Format format, const fs::path& where);

// The name a phone file's picture is written under, as extraction and export
// name it: the name's stem with the format's extension; a Moto Image, which
// comes out as it is, with the extension of what it holds.
std::string PictureFileName(std::string_view name, std::span<const std::byte> bytes, Format format);

// A phone file's bytes, read (read-only) as far as any layout of its kind
// goes; a Moto Image whole, up to the picture file limit.
std::vector<std::byte> ReadPhoneFile(const fs::path& path);

// A phone file's picture, decoded from its name (for the kind and a raw
// picture's size) and its bytes.
struct PhonePicture {
    ImageKind kind = ImageKind::ikUnknown;
    imaging::Bitmap picture;
};

// Decodes a phone file held in memory. `name` is the member's or file's name
// (only its extension and, for a raw picture, "(WxH)" are read: the size is
// taken from the file name alone, never from a folder); `source` names it in
// errors. Throws IoError: Refused for ikUnknown, for a raw picture whose name
// carries no usable size and for a Moto Image holding neither GIF nor PNG;
// Damaged or OverLimit for bytes the decoders refuse.
PhonePicture DecodePhonePicture(std::string_view name, std::span<const std::byte> bytes,
                                const fs::path& source);

// Encodes a picture as a phone file of `kind`. For ikRaw the size comes from
// `name` and must equal the picture's (else Refused, naming both sizes). For
// ikMotoImage the picture is encoded as `content` says (Gif, or Png; Other
// is refused). ikUnknown is refused. `target` names it in errors.
std::vector<std::byte> EncodePhonePicture(const imaging::Bitmap& picture, ImageKind kind,
                                          std::string_view name, const fs::path& target,
                                          MotoImageContent content = MotoImageContent::Png);

// The bytes that replace a member, converted to what the member is ("replace
// keeps the member's kind"):
// - an 18-bit Moto Bitmap stays 18-bit, a 32-bit one 32-bit (its size may
//   change);
// - a Moto Image keeps the format it holds: a GIF-holding member gets a GIF
//   and a PNG-holding one a PNG; a file already in that format goes in byte
//   for byte;
// - a raw picture keeps its size (a picture of another size is refused,
//   naming both sizes);
// - a phone file of the member's own kind goes in as it is;
// - a member of the unknown kind takes any file as it is.
// `fileName` and `fileBytes` are the new file (a PNG, GIF, BMP, JPEG or phone
// file); `file` names it in errors. Throws IoError.
struct Replacement {
    std::vector<std::byte> bytes;
    bool sizeChanged = false; // a Moto Bitmap of another size than before
    std::uint32_t oldWidth = 0, oldHeight = 0, newWidth = 0, newHeight = 0;
};
Replacement ConvertForMember(std::string_view memberName, std::span<const std::byte> memberBytes,
                             std::string_view fileName, std::span<const std::byte> fileBytes,
                             const fs::path& file);

// What a new member made from a file is: a phone file goes in as it is under
// its own name; a picture is converted to `kind` (GIF and PNG pictures always
// become Moto Images holding themselves, byte for byte) and named after the
// file's stem with the kind's extension. For ikRaw the file's stem must
// carry the size, "(WxH)". Throws IoError.
struct NewMember {
    std::string fileName; // UTF-8, the member's name on disk
    std::vector<std::byte> bytes;
};
NewMember MemberFromFile(std::string_view fileName, std::span<const std::byte> fileBytes,
                         ImageKind kind, const fs::path& file);

// A phone file's kind and picture size, from its name and bytes; 0 x 0 for
// what cannot be decoded. Never throws.
struct PhonePictureInfo {
    ImageKind kind = ImageKind::ikUnknown;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::string whyNot; // empty when the picture decodes
};
PhonePictureInfo InspectPhonePicture(std::string_view name, std::span<const std::byte> bytes);

// The standard picture a phone file becomes, made in memory. `name` is the
// file's or member's name: its extension tells the kind (with the header in
// `bytes` for ".k"), and a raw picture's size is read from the file name
// itself, never from a folder. A Moto Image comes out byte for byte, whatever
// `format` says. `source` names the file in errors.
struct PictureFromPhoneResult {
    ImageKind kind = ImageKind::ikUnknown;
    bool converted = false;     // false: no converter for it, see whyNot
    std::string_view extension; // the format's, or the one a Moto Image's content chooses
    std::vector<std::byte> bytes;
    std::string whyNot;
};
// Throws IoError for a picture the decoders or the encoder refuse (damaged,
// or beyond a limit), and for a format code above 3.
PictureFromPhoneResult PictureFromPhone(std::string_view name, std::span<const std::byte> bytes,
                                        Format format, const fs::path& source);

// The phone file a standard picture becomes, made in memory from the
// picture file's name and bytes. GIF and PNG pictures (by their name) always
// become Moto Images, copied byte for byte; a Moto Image made from anything
// else holds it as it is too. For ikRaw the size comes from `targetName`,
// "(WxH)", and must be the picture's. Errors name `source`, the user's
// picture, or for a raw picture's size the target.
struct PhoneFromPictureResult {
    bool converted = false;
    std::string_view extension; // ".k", ".g" or ".raw"
    std::vector<std::byte> bytes;
    std::string whyNot;
};
PhoneFromPictureResult PhoneFromPicture(std::span<const std::byte> picture, ImageKind kind,
                                        std::string_view targetName, const fs::path& source);

} // namespace zefir::imagecodec
