#pragma once

// Making a picture fit a square, as thumbnails and gallery tiles show icons:
// small icons grow by a whole zoom with hard pixel edges, since icons are
// pixel art and blurring them hides what the phone will show; only pictures
// too large for the square are shrunk.

#include <cstdint>

#include "core/imaging/Imaging.h"

namespace zefir::imaging {

// The largest whole zoom at which a width x height picture fits a box of
// boxWidth x boxHeight; 0 when it does not fit even at its own size (or is
// empty).
std::uint32_t FitZoom(std::uint32_t width, std::uint32_t height, std::uint32_t boxWidth,
                      std::uint32_t boxHeight);

// The picture at the largest whole zoom that fits a side x side square,
// nearest neighbour; a picture larger than the square is shrunk to fit it,
// keeping its proportions, each pixel the alpha-weighted average of the
// pixels it covers. An empty picture, or side 0, gives an empty picture.
Bitmap FitPicture(const Bitmap& picture, std::uint32_t side);

} // namespace zefir::imaging
