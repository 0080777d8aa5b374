// stb_image's implementation, with only its BMP reader compiled in. It reads
// from memory only and refuses sides above kMaxDimension on its own too.

#include <memory>

#include "core/imaging/Codecs.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

static_assert(STBI_MAX_DIMENSIONS == zefir::imaging::kMaxDimension);

namespace zefir::imaging {

std::string StbDecodeBmp(std::span<const std::byte> bytes, Bitmap& out)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> rgba(
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                              static_cast<int>(bytes.size()), &width, &height, &channels, 4),
        &stbi_image_free);
    if (!rgba) {
        const char* reason = stbi_failure_reason();
        return reason ? reason : "stb_image failed";
    }
    if (static_cast<std::uint32_t>(width) != out.width ||
        static_cast<std::uint32_t>(height) != out.height)
        return "stb_image read a different size";
    const stbi_uc* in = rgba.get();
    for (std::uint32_t& pixel : out.pixels) {
        pixel = Argb(in[3], in[0], in[1], in[2]);
        in += 4;
    }
    return {};
}

} // namespace zefir::imaging
