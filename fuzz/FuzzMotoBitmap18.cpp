// The 18-bit Moto Bitmap decoder on arbitrary bytes.

#include "FuzzInput.h"
#include "core/Error.h"
#include "core/imagecodec/ImageCodec.h"

using namespace zefir;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        imagecodec::DecodeMotoBitmap18(fuzz::AsBytes(data, size), "in.k");
    } catch (const IoError&) {
    }
    return 0;
}
