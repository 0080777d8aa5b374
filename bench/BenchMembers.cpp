// The benchmark's icons: a disc of opaque pixels over a few half-transparent
// ones, in colours that change along both axes, so that most of them have
// more than 256 colours.

#include "bench/BenchMembers.h"

#include <cstdio>

#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"

namespace zefir::bench {

namespace {

imaging::Bitmap Icon(std::uint32_t w, std::uint32_t h, unsigned seed)
{
    imaging::Bitmap bmp(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            bool inside = (x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < w * h / 4;
            std::uint32_t alpha = inside ? 255 : (x + y + seed) % 7 == 0 ? 128 : 0;
            bmp.At(x, y) = alpha << 24 | ((x * 8 + seed) % 256) << 16 | ((y * 8) % 256) << 8 |
                           ((x ^ y) * 4 % 256);
        }
    return bmp;
}

} // namespace

archive::Member MakeMember(unsigned i, bool large)
{
    char name[64];
    if (large) {
        std::snprintf(name, sizeof name, "icon_%04u.k", i);
        return {name, imagecodec::EncodeMotoBitmap32(Icon(64, 64, i), name)};
    }
    const std::uint32_t side = 16 + (i * 12) % 49; // 16 to 64
    switch (i % 5) {
    case 0:
        std::snprintf(name, sizeof name, "icon_%04u.k", i);
        return {name, imagecodec::EncodeMotoBitmap18(Icon(side, side, i), name)};
    case 1:
        std::snprintf(name, sizeof name, "icon_%04u.k", i);
        return {name, imagecodec::EncodeMotoBitmap32(Icon(side, side, i), name)};
    case 2:
        std::snprintf(name, sizeof name, "anim_%04u.g", i);
        return {name, imaging::EncodePicture(Icon(side, side, i), "image/gif", name)};
    case 3:
        std::snprintf(name, sizeof name, "image_%04u.g", i);
        return {name, imaging::EncodePicture(Icon(side, side, i), "image/png", name)};
    default:
        std::snprintf(name, sizeof name, "raw_%04u(%ux%u).raw", i, side, side);
        return {name, imagecodec::EncodeRawPicture(Icon(side, side, i), name)};
    }
}

} // namespace zefir::bench
