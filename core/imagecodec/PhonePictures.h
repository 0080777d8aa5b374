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
    std::string_view title;     // "Moto Bitmap (18-bit)", as windows show it
};

// The rows for ikRaw, ikMotoBitmap18, ikMotoBitmap32, ikMotoImage and
// ikUnknown, in that order.
std::span<const PhoneKindInfo> PhoneKinds();
const PhoneKindInfo& KindInfo(ImageKind kind);

// Whether a name's extension is one of the phone's (".k", ".g", ".raw", any
// letter case). The kind of a ".k" file needs its header: KindOfName gives
// ikMotoBitmap18 for ".k", and DetectImageKind(name, header) the exact kind.
bool IsPhoneFileName(std::string_view name);
ImageKind KindOfName(std::string_view name);

// What a Moto Image holds, told by its first four bytes.
enum class MotoImageContent : std::uint8_t { Gif, Png, Other };
MotoImageContent MotoImageHolds(std::span<const std::byte> bytes);
// The extension a Moto Image's content is copied out under: ".gif", ".png"
// or ".unk".
std::string_view MotoImageExtension(MotoImageContent content);

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

} // namespace zefir::imagecodec
