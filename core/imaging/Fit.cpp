#include "core/imaging/Fit.h"

#include <algorithm>

namespace zefir::imaging {

namespace {

Bitmap Enlarge(const Bitmap& picture, std::uint32_t zoom)
{
    Bitmap out(picture.width * zoom, picture.height * zoom);
    for (std::uint32_t y = 0; y < out.height; ++y) {
        const std::uint32_t* from = picture.Row(y / zoom);
        std::uint32_t* to = out.Row(y);
        for (std::uint32_t x = 0; x < out.width; ++x)
            to[x] = from[x / zoom];
    }
    return out;
}

// One pixel of the shrunk picture: the average of the source block, colours
// weighted by alpha so that transparent pixels lend the result no colour.
std::uint32_t Average(const Bitmap& picture, std::uint32_t x0, std::uint32_t x1, std::uint32_t y0,
                      std::uint32_t y1)
{
    std::uint64_t a = 0, r = 0, g = 0, b = 0;
    for (std::uint32_t y = y0; y < y1; ++y)
        for (std::uint32_t x = x0; x < x1; ++x) {
            const std::uint32_t p = picture.At(x, y);
            const std::uint32_t alpha = p >> 24;
            a += alpha;
            r += alpha * (p >> 16 & 0xFF);
            g += alpha * (p >> 8 & 0xFF);
            b += alpha * (p & 0xFF);
        }
    const std::uint64_t count = std::uint64_t{x1 - x0} * (y1 - y0);
    if (a == 0)
        return 0;
    const auto channel = [a](std::uint64_t sum) {
        return static_cast<std::uint32_t>((sum + a / 2) / a);
    };
    const auto alpha = static_cast<std::uint32_t>((a + count / 2) / count);
    return alpha << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

Bitmap Shrink(const Bitmap& picture, std::uint32_t side)
{
    const std::uint32_t longer = std::max(picture.width, picture.height);
    // 64-bit products: the sides go up to kMaxDimension.
    const auto scaled = [&](std::uint32_t length) {
        return std::max<std::uint32_t>(
            1, static_cast<std::uint32_t>(std::uint64_t{length} * side / longer));
    };
    Bitmap out(scaled(picture.width), scaled(picture.height));
    for (std::uint32_t y = 0; y < out.height; ++y) {
        const auto y0 = static_cast<std::uint32_t>(std::uint64_t{y} * picture.height / out.height);
        const auto y1 = std::max(
            y0 + 1, static_cast<std::uint32_t>(std::uint64_t{y + 1} * picture.height / out.height));
        for (std::uint32_t x = 0; x < out.width; ++x) {
            const auto x0 =
                static_cast<std::uint32_t>(std::uint64_t{x} * picture.width / out.width);
            const auto x1 = std::max(x0 + 1, static_cast<std::uint32_t>(std::uint64_t{x + 1} *
                                                                        picture.width / out.width));
            out.At(x, y) = Average(picture, x0, x1, y0, y1);
        }
    }
    return out;
}

} // namespace

std::uint32_t FitZoom(std::uint32_t width, std::uint32_t height, std::uint32_t boxWidth,
                      std::uint32_t boxHeight)
{
    if (width == 0 || height == 0)
        return 0;
    return std::min(boxWidth / width, boxHeight / height);
}

Bitmap FitPicture(const Bitmap& picture, std::uint32_t side)
{
    if (picture.width == 0 || picture.height == 0 || side == 0)
        return {};
    const std::uint32_t zoom = FitZoom(picture.width, picture.height, side, side);
    return zoom == 0 ? Shrink(picture, side) : Enlarge(picture, zoom);
}

} // namespace zefir::imaging
