// ConvertToPhone from arbitrary picture bytes. The first byte picks the kind
// asked for and the source's extension; the rest is the picture file.

#include <array>

#include "FuzzInput.h"
#include "core/Error.h"
#include "core/imagecodec/ImageCodec.h"

using namespace zefir;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    constexpr std::array<const char*, 6> kExtensions = {".bmp", ".png", ".gif", ".jpg", ".unk",
                                                        ".BMP"};
    const auto kind = static_cast<imagecodec::ImageKind>(data[0] % 5);
    const char* extension = kExtensions[(data[0] / 5) % kExtensions.size()];
    fuzz::ClearScratch();
    const auto source = fuzz::ScratchFolder() / (std::string("in(4x4)") + extension);
    fuzz::WriteScratchFile(source, fuzz::AsBytes(data + 1, size - 1));
    auto target = fuzz::ScratchFolder() / "out(4x4).bmp";
    try {
        imagecodec::ConvertToPhone(source, kind, target);
    } catch (const IoError&) {
    }
    return 0;
}
