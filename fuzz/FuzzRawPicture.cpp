// A raw picture's name and bytes: the size parsed from the name, then the
// decoder. Input: a length byte, the name, the file's bytes.

#include "FuzzInput.h"
#include "core/Error.h"
#include "core/imagecodec/ImageCodec.h"

using namespace zefir;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto input = fuzz::SplitNamedInput(fuzz::AsBytes(data, size));
    try {
        std::int32_t width = 0;
        std::int32_t height = 0;
        if (imagecodec::ParseRawDimensions(input.name, width, height))
            imagecodec::DecodeRawPicture(input.bytes, width, height, input.name);
    } catch (const IoError&) {
    }
    return 0;
}
