// Fitting icons into squares: whole zooms for small icons, an alpha-weighted
// shrink for large pictures.

#include <gtest/gtest.h>

#include "core/imaging/Fit.h"

namespace zefir::test {
namespace {

using imaging::Bitmap;

TEST(FitTest, ZoomIsTheLargestWholeOneThatFits)
{
    const struct {
        const char* name;
        std::uint32_t w, h, boxW, boxH, zoom;
    } cases[] = {
        {"exact", 16, 16, 64, 64, 4},
        {"rounded down", 20, 16, 64, 64, 3},
        {"the narrower side", 20, 16, 240, 320, 12},
        {"own size", 64, 64, 64, 64, 1},
        {"too wide", 65, 10, 64, 64, 0},
        {"too tall", 10, 65, 64, 64, 0},
        {"empty", 0, 16, 64, 64, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(imaging::FitZoom(c.w, c.h, c.boxW, c.boxH), c.zoom);
    }
}

TEST(FitTest, SmallPicturesGrowByWholePixels)
{
    Bitmap icon(2, 1);
    icon.pixels = {0xFFFF0000u, 0x00000000u};
    const Bitmap out = imaging::FitPicture(icon, 7); // zoom 3
    ASSERT_EQ(out.width, 6u);
    ASSERT_EQ(out.height, 3u);
    for (std::uint32_t y = 0; y < 3; ++y)
        for (std::uint32_t x = 0; x < 6; ++x)
            EXPECT_EQ(out.At(x, y), x < 3 ? 0xFFFF0000u : 0u) << x << "," << y;
}

TEST(FitTest, LargePicturesShrinkKeepingProportionsAndWeighingAlpha)
{
    const struct {
        const char* name;
        std::uint32_t w, h, side, outW, outH;
    } sizes[] = {
        {"wide", 300, 100, 128, 128, 42},
        {"tall", 10, 400, 100, 2, 100},
        {"a line stays a pixel wide", 1000, 1, 10, 10, 1},
    };
    for (const auto& c : sizes) {
        SCOPED_TRACE(c.name);
        const Bitmap out = imaging::FitPicture(Bitmap(c.w, c.h), c.side);
        EXPECT_EQ(out.width, c.outW);
        EXPECT_EQ(out.height, c.outH);
    }
    // Two pixels into one: a transparent neighbour lends no colour, only
    // half the coverage.
    Bitmap pair(4, 2);
    pair.pixels = {0xFF0000FFu, 0x00FFFFFFu, 0xFF00FF00u, 0xFF00FF00u,
                   0xFF0000FFu, 0x00FFFFFFu, 0xFF00FF00u, 0xFF00FF00u};
    const Bitmap out = imaging::FitPicture(pair, 2);
    ASSERT_EQ(out.width, 2u);
    ASSERT_EQ(out.height, 1u);
    EXPECT_EQ(out.At(0, 0), 0x800000FFu);
    EXPECT_EQ(out.At(1, 0), 0xFF00FF00u);
    EXPECT_TRUE(imaging::FitPicture(Bitmap(), 64).pixels.empty());
}

} // namespace
} // namespace zefir::test
