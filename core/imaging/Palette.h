#pragma once

// A picture as indices into a palette of at most 256 colours, as GIF stores
// it: transparency is binary, pixels of alpha 0 take an index of their own.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/imaging/Imaging.h"

namespace zefir::imaging {

inline constexpr std::size_t kMaxPaletteColours = 256;

struct IndexedPicture {
    std::vector<std::uint32_t> palette; // 0xRRGGBB; the transparent index follows them
    std::vector<std::uint8_t> indices;  // one a pixel, row by row
    bool hasTransparent = false;
    std::uint8_t TransparentIndex() const { return static_cast<std::uint8_t>(palette.size()); }
};

// Pixels of alpha 0 take the transparent index, all others are opaque. A
// picture of at most 256 colours, the transparent index counting as one,
// keeps every colour exactly; one of more is reduced to a palette of means
// (Palette.cpp), without dithering, since icons are small and have hard
// pixel edges.
IndexedPicture ToIndexed(const Bitmap& bitmap);

} // namespace zefir::imaging
