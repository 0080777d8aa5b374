// JPEG through the TurboJPEG API of libjpeg-turbo.
//
// Layout: a run of segments, each a marker FF xx and (most) a u16 big-endian
// length: SOI (FF D8) first; SOFn (FF C0 baseline, FF C2 progressive, ...)
// with the height at +5 and the width at +7 from its marker; SOS (FF DA)
// followed by entropy-coded data; EOI (FF D9) last.
//
// Reading gives opaque pixels without colour management. A file that ends
// inside its scans decodes with only a libjpeg warning ("Premature end of
// JPEG file"); it is refused as truncated, like the other formats. Other
// warnings met in the scans (stray bytes before a marker) leave a whole
// picture and are accepted, as browsers do; TurboJPEG's header reader
// refuses a file with any warning in its header. CMYK files are refused.
//
// Writing uses quality 90 and 4:4:4 sampling; alpha is dropped.

#include <cstring>
#include <memory>

#include <turbojpeg.h>

#include "core/Error.h"
#include "core/Message.h"
#include "core/imaging/Codecs.h"

namespace zefir::imaging {

namespace {

constexpr int kQuality = 90;
// libjpeg's own text for the warning it gives when the data runs out.
constexpr const char* kEndOfDataWarning = "Premature end of JPEG file";

struct TjHandle {
    tjhandle handle;
    ~TjHandle()
    {
        if (handle)
            tjDestroy(handle);
    }
};

std::string TjReason(tjhandle handle)
{
    const char* reason = tjGetErrorStr2(handle);
    return reason ? reason : "unknown TurboJPEG error";
}

} // namespace

Bitmap DecodeJpeg(std::span<const std::byte> bytes, const fs::path& path)
{
    TjHandle tj{tjInitDecompress()};
    if (!tj.handle)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "cannot start the JPEG decoder: %1"),
                           TjReason(nullptr)),
                      path);
    auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    auto size = static_cast<unsigned long>(bytes.size());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(tj.handle, data, size, &width, &height, &subsampling, &colourspace) !=
        0)
        ThrowDamaged("JPEG", TjReason(tj.handle), path);
    // A stream that ends before its frame header reads as tables alone and
    // gives no size: cut short, unless it ends in its end marker.
    if (width == 0 && height == 0) {
        if (bytes.size() < 2 || bytes[bytes.size() - 2] != std::byte{0xFF} ||
            bytes.back() != std::byte{0xD9})
            ThrowTruncated("JPEG", bytes.size(), path);
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "%1 holds no picture"), "JPEG"), path);
    }
    CheckDimensions(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height), "JPEG",
                    path);
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK)
        throw IoError(
            Translated(ZEFIR_MESSAGE("zefir::imaging", "CMYK JPEG pictures are not supported")),
            path);

    Bitmap bitmap(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    // TJPF_BGRA fills the fourth byte with 0xFF: B, G, R, A are an opaque ARGB value.
    if (tjDecompress2(tj.handle, data, size, reinterpret_cast<unsigned char*>(bitmap.pixels.data()),
                      width, width * 4, height, TJPF_BGRA, TJFLAG_LIMITSCANS) != 0) {
        std::string reason = TjReason(tj.handle);
        if (tjGetErrorCode(tj.handle) == TJERR_FATAL)
            ThrowDamaged("JPEG", reason, path);
        if (reason.find(kEndOfDataWarning) != std::string::npos)
            ThrowTruncated("JPEG", bytes.size(), path);
    }
    return bitmap;
}

std::vector<std::byte> EncodeJpeg(const Bitmap& bitmap, const fs::path& path)
{
    TjHandle tj{tjInitCompress()};
    if (!tj.handle)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "cannot start the JPEG encoder: %1"),
                           TjReason(nullptr)),
                      path);
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    int result = tjCompress2(
        tj.handle, reinterpret_cast<const unsigned char*>(bitmap.pixels.data()),
        static_cast<int>(bitmap.width), static_cast<int>(bitmap.width) * 4,
        static_cast<int>(bitmap.height), TJPF_BGRA, &jpeg, &jpegSize, TJSAMP_444, kQuality, 0);
    std::unique_ptr<unsigned char, decltype(&tjFree)> owned(jpeg, &tjFree);
    if (result != 0)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "cannot encode %1: %2"), "JPEG",
                           TjReason(tj.handle)),
                      path);
    auto* first = reinterpret_cast<const std::byte*>(jpeg);
    return {first, first + jpegSize};
}

} // namespace zefir::imaging
