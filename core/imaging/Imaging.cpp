#include "core/imaging/Imaging.h"

#include <array>
#include <cstring>
#include <string>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Message.h"
#include "core/imaging/Codecs.h"

namespace zefir::imaging {

namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool StartsWith(std::span<const std::byte> bytes, std::string_view prefix)
{
    return bytes.size() >= prefix.size() &&
           std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

std::string SizeText(std::uint64_t width, std::uint64_t height)
{
    return Fill(ZEFIR_MESSAGE("zefir::imaging", "%1 x %2 pixels"), width, height);
}

std::string LimitText()
{
    return Fill(ZEFIR_MESSAGE("zefir::imaging", "at most %1 a side and %2 in all"), kMaxDimension,
                kMaxPixels);
}

// The caps that hold for reading hold for writing too, so that whatever
// Zefir writes it can read back.
void CheckBitmap(const Bitmap& bitmap, const fs::path& path)
{
    if (bitmap.width == 0 || bitmap.height == 0)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::imaging", "cannot save a picture without pixels (%1)"),
                 SizeText(bitmap.width, bitmap.height)),
            path);
    if (bitmap.width > kMaxDimension || bitmap.height > kMaxDimension ||
        std::uint64_t{bitmap.width} * bitmap.height > kMaxPixels)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "picture is too large to save: %1 (%2)"),
                           SizeText(bitmap.width, bitmap.height), LimitText()),
                      path, ErrorKind::OverLimit);
    if (bitmap.pixels.size() != std::size_t{bitmap.width} * bitmap.height)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "bitmap of %1 holds %2 pixel values"),
                           SizeText(bitmap.width, bitmap.height), bitmap.pixels.size()),
                      path);
}

} // namespace

void CheckDimensions(std::uint64_t width, std::uint64_t height, std::string_view format,
                     const fs::path& path)
{
    if (width == 0 || height == 0)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "%1 picture has no pixels (%2)"), format,
                           SizeText(width, height)),
                      path);
    if (width > kMaxDimension || height > kMaxDimension || width * height > kMaxPixels)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "%1 picture is too large: %2 (%3)"),
                           format, SizeText(width, height), LimitText()),
                      path, ErrorKind::OverLimit);
}

void ThrowTruncated(std::string_view format, std::size_t fileSize, const fs::path& path)
{
    throw IoError(
        Fill(ZEFIR_MESSAGE("zefir::imaging", "%1 data runs past the end of the file (%2)"), format,
             ByteCount(fileSize)),
        path);
}

void ThrowDamaged(std::string_view format, std::string_view reason, const fs::path& path)
{
    throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "%1 data is damaged: %2"), format, reason),
                  path);
}

std::uint32_t Argb(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return std::uint32_t{a} << 24 | std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
}

PictureFormat DetectPictureFormat(std::span<const std::byte> bytes)
{
    if (bytes.size() >= kPngSignature.size() &&
        std::memcmp(bytes.data(), kPngSignature.data(), kPngSignature.size()) == 0)
        return PictureFormat::Png;
    if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a"))
        return PictureFormat::Gif;
    if (StartsWith(bytes, "\xFF\xD8\xFF"))
        return PictureFormat::Jpeg;
    // Two letters only, as every BMP reader has it; the header checks that follow
    // tell a damaged BMP from other data.
    if (StartsWith(bytes, "BM"))
        return PictureFormat::Bmp;
    return PictureFormat::Unknown;
}

Bitmap DecodePicture(std::span<const std::byte> bytes, const std::filesystem::path& path)
{
    if (bytes.size() > kMaxPictureFileSize)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "file is too large (%1; at most %2)"),
                           ByteCount(bytes.size()), Grouped(kMaxPictureFileSize)),
                      path, ErrorKind::OverLimit);
    switch (DetectPictureFormat(bytes)) {
    case PictureFormat::Png:
        return DecodePng(bytes, path);
    case PictureFormat::Gif:
        return DecodeGif(bytes, path);
    case PictureFormat::Bmp:
        return DecodeBmp(bytes, path);
    case PictureFormat::Jpeg:
        return DecodeJpeg(bytes, path);
    case PictureFormat::Unknown:
        break;
    }
    throw IoError(
        Translated(ZEFIR_MESSAGE("zefir::imaging", "not a PNG, GIF, BMP or JPEG picture")), path);
}

Bitmap LoadPicture(const std::filesystem::path& path)
{
    return DecodePicture(fileio::ReadFile(path, kMaxPictureFileSize), path);
}

std::vector<std::byte> EncodePicture(const Bitmap& bitmap, std::string_view mimeType,
                                     const std::filesystem::path& path)
{
    // The type is checked first: an unknown one is the caller's mistake
    // whatever the picture.
    enum class Encoder { Gif, Png, Bmp, Jpeg };
    Encoder encoder;
    if (mimeType == "image/gif")
        encoder = Encoder::Gif;
    else if (mimeType == "image/png")
        encoder = Encoder::Png;
    else if (mimeType == "image/bmp")
        encoder = Encoder::Bmp;
    else if (mimeType == "image/jpeg")
        encoder = Encoder::Jpeg;
    else
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::imaging", "no encoder for the picture type \"%1\" (known: "
                                                 "image/gif, image/png, image/bmp, image/jpeg)"),
                 mimeType),
            path);
    CheckBitmap(bitmap, path);
    switch (encoder) {
    case Encoder::Gif:
        return EncodeGif(bitmap, path);
    case Encoder::Png:
        return EncodePng(bitmap, path);
    case Encoder::Bmp:
        return EncodeBmp(bitmap);
    case Encoder::Jpeg:
        return EncodeJpeg(bitmap, path);
    }
    return {};
}

void SavePicture(const Bitmap& bitmap, const std::filesystem::path& path, std::string_view mimeType)
{
    fileio::WriteFile(path, EncodePicture(bitmap, mimeType, path));
}

} // namespace zefir::imaging
