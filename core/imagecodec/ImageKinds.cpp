// A phone file's kind is told by its extension, as the table of phone kinds
// gives it; a ".k" file's header (BitDepth at offset 8, u32 LE) tells its
// variant: 18 is the 18-bit Moto Bitmap, any other value the 32-bit one.
// Only ".k" files are opened, and only their first 16 bytes are read.

#include <string>

#include "core/FileIo.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/Text.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::imagecodec {

namespace {

constexpr std::uint32_t kBitDepth18 = 18;

} // namespace

ImageKind DetectImageKind(std::string_view name, std::span<const std::byte> header)
{
    const ImageKind kind = KindOfName(name);
    if (kind != ImageKind::ikMotoBitmap18)
        return kind;
    if (ReadMotoBitmapHeader(header).BitDepth == kBitDepth18)
        return ImageKind::ikMotoBitmap18;
    return ImageKind::ikMotoBitmap32;
}

ImageKind DetectImageKind(const fs::path& path)
{
    const std::string name = Utf8Of(path);
    if (KindOfName(name) != ImageKind::ikMotoBitmap18)
        return KindOfName(name);
    return DetectImageKind(name, fileio::ReadPrefix(path, kMotoBitmapHeaderSize));
}

} // namespace zefir::imagecodec
