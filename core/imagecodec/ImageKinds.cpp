// Image kinds are told by extension, compared upper-cased (ASCII letters only):
//
//   ".RAW"  ikRaw           headerless RGB565 picture, size in the name
//   ".G"    ikMotoImage     a GIF or PNG file under the phone's extension
//   ".K"    ikMotoBitmap18  when the header's BitDepth (offset 8, u32 LE) is 18
//   ".K"    ikMotoBitmap32  for any other BitDepth
//   other   ikUnknown       a name without an extension included
//
// Only ".k" files are opened, and only their first 16 bytes are read.

#include <string>

#include "core/FileIo.h"
#include "core/Text.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::imagecodec {

namespace {

constexpr std::uint32_t kBitDepth18 = 18;

} // namespace

ImageKind DetectImageKind(std::string_view name, std::span<const std::byte> header)
{
    // The tests run in this order; ".K" alone needs the header.
    std::string extension = AsciiUpper(ExtensionOf(name));
    if (extension == ".RAW")
        return ImageKind::ikRaw;
    if (extension == ".G")
        return ImageKind::ikMotoImage;
    if (extension != ".K")
        return ImageKind::ikUnknown;
    if (ReadMotoBitmapHeader(header).BitDepth == kBitDepth18)
        return ImageKind::ikMotoBitmap18;
    return ImageKind::ikMotoBitmap32;
}

ImageKind DetectImageKind(const fs::path& path)
{
    std::string name = path.string();
    if (AsciiUpper(ExtensionOf(name)) != ".K")
        return DetectImageKind(name, {});
    auto header = fileio::ReadPrefix(path, kMotoBitmapHeaderSize);
    return DetectImageKind(name, header);
}

} // namespace zefir::imagecodec
