// Raw picture (".raw"): no header; the size is written into the file name,
// e.g. "icon(16x16).raw". For W x H pixels, N = W x H:
//
//   offset 0      2 x N bytes  pixel words, row by row from the top, no row
//                              padding; each 16-bit big-endian RGB565:
//                              bits 11-15 red, 5-10 green, 0-4 blue
//   offset 2 x N  M bytes      mask, one bit per pixel in the same order,
//                              running on across rows; pixel i is bit
//                              7 - (i mod 8) of byte i div 8 (most significant
//                              bit first); set = transparent, clear = opaque
//
// M = N / 8 rounded up to a byte, then up to an even number of bytes. Unused
// mask bits are written as 0. A picture holds at most kMaxRawPixels pixels.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "core/Error.h"
#include "core/Message.h"
#include "core/Text.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::imagecodec {

namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<std::uint32_t> HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint32_t>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint32_t>(c - 'A' + 10);
    return std::nullopt;
}

// Reads text as Delphi's StrToIntDef(text, 0) does: leading blanks, an
// optional sign, then decimal digits, or hexadecimal digits after "$", "x",
// "X", "0x" or "0X"; anything else, trailing text included, gives 0. Decimal
// values must fit a signed 32-bit integer; hexadecimal ones may take all 32
// bits and are read as the signed value of that bit pattern ("$FFFFFFFF" is
// -1), as Delphi does.
std::int32_t StrToIntDef(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        i += 1;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size())
        return 0;

    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        if (hex) {
            auto digit = HexDigitValue(text[i]);
            if (!digit)
                return 0;
            value = value * 16 + *digit;
            if (value > 0xFFFFFFFFu)
                return 0;
        } else {
            if (!IsDigit(text[i]))
                return 0;
            value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
            // One more than the largest value is allowed for -2147483648.
            if (value > static_cast<std::uint64_t>(kInt32Max) + 1)
                return 0;
        }
    }
    if (!hex && !negative && value > static_cast<std::uint64_t>(kInt32Max))
        return 0;
    auto bits = static_cast<std::uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

std::string SizeText(std::int64_t width, std::int64_t height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

// Mask bytes for N pixels: one bit each, rounded up to a byte, then to an even
// byte count.
std::size_t RawMaskBytes(std::size_t pixelCount)
{
    std::size_t bytes = (pixelCount + 7) / 8;
    return bytes + (bytes & 1);
}

} // namespace

bool ParseRawDimensions(std::string_view path, std::int32_t& width, std::int32_t& height)
{
    // Only the file name is searched: a "(" in a folder's name says nothing
    // about the picture. Its first "(" and last ")" enclose the size.
    std::string_view name = path;
    if (const auto slash = name.rfind('/'); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::string_view stem = name.substr(0, name.size() - ExtensionOf(name).size());
    std::size_t n = stem.size();
    std::size_t open = stem.find('(');
    // A "(" in the last place cannot open a size.
    if (n == 0 || open == std::string_view::npos || open >= n - 1)
        return false;
    std::size_t close = stem.rfind(')');
    // At least three characters must stand between "(" and ")"; a ")" in the
    // first place counts as none found.
    if (close == std::string_view::npos || close == 0 || close <= open + 3)
        return false;
    std::string_view inner = stem.substr(open + 1, close - open - 1);

    // The width's digits stop two characters before the end at the latest,
    // so "(16x8)" has no separator in place and fails while "(16x08)" reads.
    std::size_t i = 0;
    while (i + 2 < inner.size() && IsDigit(inner[i]))
        ++i;
    if (i + 2 >= inner.size() || (inner[i] != 'x' && inner[i] != 'X') || i == 0)
        return false;

    std::string_view digits = inner.substr(0, i);
    std::int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > kInt32Max)
            throw IoError(
                Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                                   "the picture width in the name, %1, is larger than 2147483647"),
                     digits),
                fs::path(path), ErrorKind::OverLimit);
    }
    width = static_cast<std::int32_t>(value);
    height = StrToIntDef(inner.substr(i + 1));
    return true;
}

std::uint64_t RawPictureBytes(std::uint64_t pixelCount)
{
    return 2 * pixelCount + RawMaskBytes(static_cast<std::size_t>(pixelCount));
}

imaging::Bitmap DecodeRawPicture(std::span<const std::byte> file, std::int32_t width,
                                 std::int32_t height, const fs::path& source)
{
    if (width <= 0 || height <= 0)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                                         "the picture size in the name, %1, is not positive"),
                           SizeText(width, height)),
                      source);
    auto pixelCount = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (pixelCount > kMaxRawPixels)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                                         "the picture size in the name, %1, is more than "
                                         "the %2 pixels a raw picture can hold"),
                           SizeText(width, height), kMaxRawPixels),
                      source, ErrorKind::OverLimit);

    // Per-picture storage, zero-filled: whatever a short file does not supply
    // reads as black, opaque.
    auto n = static_cast<std::size_t>(pixelCount);
    std::vector<std::byte> data(2 * n + RawMaskBytes(n));
    std::copy_n(file.begin(), std::min(file.size(), data.size()), data.begin());
    const auto* words = reinterpret_cast<const std::uint8_t*>(data.data());
    const std::uint8_t* mask = words + 2 * n;

    imaging::Bitmap picture(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    std::uint32_t* out = picture.pixels.data();
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t v = static_cast<std::uint32_t>(words[2 * i]) << 8 | words[2 * i + 1];
        // Widened by a plain shift: full red and blue read back as 248, full
        // green as 252.
        std::uint32_t red = (v >> 11) << 3;
        std::uint32_t green = ((v >> 5) & 63) << 2;
        std::uint32_t blue = (v & 31) << 3;
        bool transparent = (mask[i / 8] >> (7 - i % 8)) & 1;
        std::uint32_t alpha = transparent ? 0 : 255;
        out[i] = alpha << 24 | red << 16 | green << 8 | blue;
    }
    return picture;
}

std::vector<std::byte> EncodeRawPicture(const imaging::Bitmap& picture, const fs::path& target)
{
    auto pixelCount = static_cast<std::uint64_t>(picture.width) * picture.height;
    if (pixelCount == 0 || pixelCount > kMaxRawPixels)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imagecodec",
                                         "the picture (%1 x %2 pixels) does not fit a raw "
                                         "picture: it must hold 1 to %3 pixels"),
                           picture.width, picture.height, kMaxRawPixels),
                      target);

    auto n = static_cast<std::size_t>(pixelCount);
    // Zero-filled, so the mask's unused bits and padding byte are 0.
    std::vector<std::byte> file(2 * n + RawMaskBytes(n));
    auto* words = reinterpret_cast<std::uint8_t*>(file.data());
    std::uint8_t* mask = words + 2 * n;
    const std::uint32_t* in = picture.pixels.data();
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t argb = in[i];
        // The low bits are dropped, the inverse of the decoder's widening.
        std::uint32_t v = ((argb >> 19) & 31) << 11 | ((argb >> 10) & 63) << 5 | ((argb >> 3) & 31);
        words[2 * i] = static_cast<std::uint8_t>(v >> 8);
        words[2 * i + 1] = static_cast<std::uint8_t>(v);
        if ((argb >> 24) == 0)
            mask[i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
    }
    return file;
}

} // namespace zefir::imagecodec
