#pragma once

// Pictures and phone files that the picture and conversion tests share.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <utility>
#include <vector>

#include "TestUtil.h"
#include "core/imaging/Imaging.h"

namespace zefir::test {

constexpr std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b)
{
    return std::uint32_t(a) << 24 | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b;
}

inline imaging::Bitmap Picture(std::uint32_t width, std::uint32_t height,
                               std::vector<std::uint32_t> pixels)
{
    imaging::Bitmap picture(width, height);
    picture.pixels = std::move(pixels);
    return picture;
}

// A smooth opaque picture, the kind JPEG keeps well.
inline imaging::Bitmap Gradient(std::uint32_t width, std::uint32_t height)
{
    imaging::Bitmap b(width, height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            b.At(x, y) = Argb(0xFF, x * 6, y * 10, 128 + (x + y) * 2);
    return b;
}

// The largest difference of any colour channel over all pixels.
inline int MaxColourError(const imaging::Bitmap& a, const imaging::Bitmap& b)
{
    int worst = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        for (int shift : {16, 8, 0})
            worst = std::max(worst, std::abs(static_cast<int>(a.pixels[i] >> shift & 0xFF) -
                                             static_cast<int>(b.pixels[i] >> shift & 0xFF)));
    return worst;
}

// The mean difference of a colour channel over the pixels opaque in `a`.
inline double MeanColourError(const imaging::Bitmap& a, const imaging::Bitmap& b)
{
    double sum = 0;
    std::size_t channels = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        if (a.pixels[i] >> 24 != 0)
            for (int shift : {16, 8, 0}) {
                sum += std::abs(static_cast<int>(a.pixels[i] >> shift & 0xFF) -
                                static_cast<int>(b.pixels[i] >> shift & 0xFF));
                ++channels;
            }
    return channels ? sum / static_cast<double>(channels) : 0.0;
}

// A Moto Bitmap: the header's Width, Height, BitDepth and RowBytes, then `body`.
inline std::vector<std::byte> MotoFile(std::uint32_t width, std::uint32_t height,
                                       std::uint32_t depth, std::uint32_t rowBytes,
                                       std::initializer_list<unsigned> body = {})
{
    std::vector<std::byte> out;
    for (std::uint32_t field : {width, height, depth, rowBytes})
        AppendU32(out, field);
    Append(out, Bytes(body));
    return out;
}

} // namespace zefir::test
