// Draws a handful of icons and packs them into the example archive that
// `make run` opens: 18-bit and 32-bit Moto Bitmaps with transparency, Moto
// Images holding a GIF and a PNG, and a raw picture. Usage:
//   zefir-make-example OUTPUT.ezx

#include <cmath>
#include <cstdio>
#include <vector>

#include "core/Error.h"
#include "core/archive/EzxFormat.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"

namespace {

using zefir::archive::Member;
using zefir::imaging::Bitmap;

constexpr std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b)
{
    return a << 24 | r << 16 | g << 8 | b;
}

// A battery: green cells in a grey case, the rest transparent.
Bitmap Battery(std::uint32_t w, std::uint32_t h)
{
    Bitmap bmp(w, h);
    for (std::uint32_t y = 3; y + 3 < h; ++y)
        for (std::uint32_t x = 1; x + 2 < w; ++x) {
            bool edge = y == 3 || y + 4 == h || x == 1 || x + 3 == w;
            bmp.At(x, y) = edge ? Argb(255, 96, 96, 104) : Argb(255, 40, 200, 64);
        }
    for (std::uint32_t y = h / 2 - 2; y < h / 2 + 2; ++y)
        bmp.At(w - 2, y) = Argb(255, 96, 96, 104);
    return bmp;
}

// Signal bars fading in: alpha grows from left to right.
Bitmap Signal(std::uint32_t w, std::uint32_t h)
{
    Bitmap bmp(w, h);
    for (std::uint32_t bar = 0; bar < 4; ++bar) {
        std::uint32_t top = h - 1 - (bar + 1) * (h - 2) / 4;
        for (std::uint32_t x = bar * w / 4 + 1; x < (bar + 1) * w / 4; ++x)
            for (std::uint32_t y = top; y < h; ++y)
                bmp.At(x, y) = Argb(64 + 63 * bar, 30, 120, 230);
    }
    return bmp;
}

// A globe: a blue disc with green land, transparent corners.
Bitmap Globe(std::uint32_t size)
{
    Bitmap bmp(size, size);
    const double c = (size - 1) / 2.0;
    for (std::uint32_t y = 0; y < size; ++y)
        for (std::uint32_t x = 0; x < size; ++x) {
            double dx = x - c, dy = y - c;
            if (dx * dx + dy * dy > c * c + 1)
                continue;
            bool land = std::sin(x * 0.9) + std::cos(y * 0.7) > 0.6;
            bmp.At(x, y) = land ? Argb(255, 60, 170, 60) : Argb(255, 40, 90, 220);
        }
    return bmp;
}

// An envelope with a soft shadow (partial alpha, so PNG is the right holder).
Bitmap Mail(std::uint32_t w, std::uint32_t h)
{
    Bitmap bmp(w, h);
    for (std::uint32_t y = 0; y + 1 < h; ++y)
        for (std::uint32_t x = 0; x + 1 < w; ++x) {
            bool edge = y == 0 || y + 2 == h || x == 0 || x + 2 == w;
            bool flap = std::abs(static_cast<int>(x) * static_cast<int>(h) / static_cast<int>(w) -
                                 static_cast<int>(y)) < 1 ||
                        std::abs(static_cast<int>(w - 2 - x) * static_cast<int>(h) /
                                     static_cast<int>(w) -
                                 static_cast<int>(y)) < 1;
            bmp.At(x, y) = edge || flap ? Argb(255, 150, 110, 40) : Argb(255, 250, 240, 210);
        }
    for (std::uint32_t x = 1; x < w; ++x)
        bmp.At(x, h - 1) = Argb(80, 0, 0, 0);
    for (std::uint32_t y = 1; y < h; ++y)
        bmp.At(w - 1, y) = Argb(80, 0, 0, 0);
    return bmp;
}

// A checkered logo with a transparent frame, for the raw picture.
Bitmap Logo(std::uint32_t w, std::uint32_t h)
{
    Bitmap bmp(w, h);
    for (std::uint32_t y = 1; y + 1 < h; ++y)
        for (std::uint32_t x = 1; x + 1 < w; ++x)
            bmp.At(x, y) = ((x / 3 + y / 3) % 2) ? Argb(255, 248, 0, 0) : Argb(255, 248, 252, 248);
    return bmp;
}

std::vector<std::byte> Encoded(const Bitmap& bmp, const char* mime)
{
    return zefir::imaging::EncodePicture(bmp, mime, "example");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zefir-make-example OUTPUT.ezx\n");
        return 2;
    }
    namespace codec = zefir::imagecodec;
    try {
        std::vector<Member> members = {
            {"a.k", codec::EncodeMotoBitmap18(Battery(16, 16), "a.k")},
            {"status_battery_full.k", codec::EncodeMotoBitmap18(Battery(24, 14), "battery")},
            {"signal.k", codec::EncodeMotoBitmap32(Signal(20, 16), "signal.k")},
            {"globe.g", Encoded(Globe(16), "image/gif")},
            {"Mail.g", Encoded(Mail(22, 16), "image/png")},
            {"logo(16x12).raw", codec::EncodeRawPicture(Logo(16, 12), "logo(16x12).raw")},
            // "Значок.k" in Windows-1251, as names on the phone are.
            {"\xC7\xED\xE0\xF7\xEE\xEA.k", codec::EncodeMotoBitmap32(Signal(12, 12), "icon")},
        };
        zefir::archive::WriteArchive(members, argv[1]);
    } catch (const zefir::IoError& e) {
        std::fprintf(stderr, "zefir-make-example: %s\n", e.what());
        return 1;
    }
    return 0;
}
