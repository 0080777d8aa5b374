// The standard-picture loader (PNG, GIF, BMP, JPEG) on arbitrary bytes, and
// the encoders on whatever it loads.

#include "FuzzInput.h"
#include "core/Error.h"
#include "core/imaging/Imaging.h"

using namespace zefir;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        auto bitmap = imaging::DecodePicture(fuzz::AsBytes(data, size), "in");
        // Encoding is slow for large pictures; small ones cover the writers.
        if (bitmap.pixels.size() <= 64 * 64)
            for (const char* mime : {"image/gif", "image/png", "image/bmp", "image/jpeg"})
                imaging::DecodePicture(imaging::EncodePicture(bitmap, mime, "out"), "out");
    } catch (const IoError&) {
    }
    return 0;
}
