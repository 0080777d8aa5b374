#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/imaging/Imaging.h"

namespace zefir::imagecodec {

namespace fs = std::filesystem;

// What a phone-side file is. Stored in conv.dat, so the values are fixed.
enum class ImageKind : std::uint8_t {
    ikRaw = 0,
    ikMotoBitmap18 = 1,
    ikMotoBitmap32 = 2,
    ikMotoImage = 3,
    ikUnknown = 4,
};

// Target-format code: the standard picture format conversions write, in the
// order of the settings list. Indexes TargetExtensions and TargetMimeTypes.
enum class Format : std::uint8_t { Gif = 0, Png = 1, Bmp = 2, Jpeg = 3 };

inline constexpr std::array<std::string_view, 4> TargetExtensions = {".gif", ".png", ".bmp",
                                                                     ".jpg"};
inline constexpr std::array<std::string_view, 4> TargetMimeTypes = {"image/gif", "image/png",
                                                                    "image/bmp", "image/jpeg"};

inline std::string_view TargetExtension(Format f)
{
    return TargetExtensions[static_cast<int>(f)];
}
inline std::string_view TargetMimeType(Format f)
{
    return TargetMimeTypes[static_cast<int>(f)];
}

// Design limits: a picture's pixel data, and its mask, must each fit in
// WorkBufferSize bytes (640 x 480 x 4 + 1); a raw picture holds at most
// kMaxRawPixels pixels (176 x 220 + 1).
inline constexpr std::size_t WorkBufferSize = 1228801;
inline constexpr std::size_t kMaxRawPixels = 38721;
// Phone files are small; one larger than this is refused unread.
inline constexpr std::size_t kMaxPhoneFileSize = 2 * WorkBufferSize + 16;

// The kind of a phone-side file from its name and, for ".k" files, its
// header's BitDepth field (the first 16 bytes, fewer for a short file).
ImageKind DetectImageKind(std::string_view name, std::span<const std::byte> header);
// The same for a file on disk; reads the header of ".k" files (read-only) and
// throws IoError when it cannot.
ImageKind DetectImageKind(const fs::path& path);

// Reads "(WxH)" from a raw picture's file name; folders in the path are not
// looked at. False when the name carries no size. The height is read as Delphi's StrToIntDef reads
// it, so it may come out 0 or negative. Throws IoError when the width is above 2147483647.
bool ParseRawDimensions(std::string_view path, std::int32_t& width, std::int32_t& height);

// The 16-byte header both Moto Bitmap variants share, fields as stored.
struct MotoBitmapHeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint32_t BitDepth = 0;
    std::uint32_t RowBytes = 0;
};
inline constexpr std::size_t kMotoBitmapHeaderSize = 16;
// Reads the header from the start of a file; bytes a short file does not
// supply read as zero.
MotoBitmapHeader ReadMotoBitmapHeader(std::span<const std::byte> file);

// Decoders: the file's bytes in, a picture out. `source` names the file in
// errors. Bytes a short file does not supply read as zero. Sizes outside the
// design limits (an empty picture, more than kMaxRawPixels raw pixels, Moto
// Bitmap pixel data or mask over WorkBufferSize bytes, pixel rows that would
// overlap) are refused with IoError.
imaging::Bitmap DecodeRawPicture(std::span<const std::byte> file, std::int32_t width,
                                 std::int32_t height, const fs::path& source);
imaging::Bitmap DecodeMotoBitmap18(std::span<const std::byte> file, const fs::path& source);
imaging::Bitmap DecodeMotoBitmap32(std::span<const std::byte> file, const fs::path& source);

// How many bytes a complete file of each layout takes, for a header or size
// the decoder accepted: the decoders read a short file's missing bytes as
// zero, but nothing short goes into an archive.
std::uint64_t RawPictureBytes(std::uint64_t pixelCount);
std::uint64_t MotoBitmapBytes(const MotoBitmapHeader& header);

// Encoders: a picture in, the phone file's bytes out. `target` names the file
// in errors. A picture too large for the format is refused with IoError.
std::vector<std::byte> EncodeRawPicture(const imaging::Bitmap& picture, const fs::path& target);
std::vector<std::byte> EncodeMotoBitmap18(const imaging::Bitmap& picture, const fs::path& target);
std::vector<std::byte> EncodeMotoBitmap32(const imaging::Bitmap& picture, const fs::path& target);

// Whether a conversion may replace a file the user did not name: one whose
// name the picture's content chose (a Moto Image's ".gif"), or one made in a
// folder the user chose.
enum class Overwrite { Refuse, Replace };

// Phone file to standard picture. `kind` is always set. Returns whether the
// kind has a converter; when it returns false nothing is written and
// `whyNot` (if given) receives the reason. For a Moto Image `target` is
// replaced by the name actually written (".gif", ".png" or ".unk"); a file
// already there under that other name is replaced only with
// Overwrite::Replace. Refused (IoError): a target that is the source itself,
// a folder, or named as a phone file. Throws IoError when the source cannot
// be read or is refused, or for a format code above 3.
bool ConvertFromPhone(const fs::path& source, fs::path& target, Format format, ImageKind& kind,
                      std::string* whyNot = nullptr, Overwrite otherNames = Overwrite::Replace);

// Standard picture to phone file. A GIF or PNG source always becomes a Moto
// Image. Returns whether a file was written; then `target` holds its name
// (extension ".k", ".g" or ".raw"), and a file under that name which is not
// `target` itself is replaced only with Overwrite::Replace. Otherwise
// `target` is unchanged and `whyNot` (if given) receives the reason. For
// ikRaw the size comes from the target's name, "(WxH)", which must match the
// picture's; a missing or different size is an IoError.
bool ConvertToPhone(const fs::path& source, ImageKind kind, fs::path& target,
                    std::string* whyNot = nullptr, Overwrite otherNames = Overwrite::Replace);

// The Moto Image pass-through, both ways: byte copies.
void CopyMotoImageOut(const fs::path& source, fs::path& target);
void CopyAsMotoImage(const fs::path& source, fs::path& target);

// A phone file's kind and picture size as the conversion sees it, found by
// decoding it: 0 x 0 when it does not decode. Throws IoError when the file
// cannot be read.
struct PhoneFileInfo {
    ImageKind kind = ImageKind::ikUnknown;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};
PhoneFileInfo InspectPhoneFile(const fs::path& path);

} // namespace zefir::imagecodec
