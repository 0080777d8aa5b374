#pragma once

// The thumbnail handler's COM classes, one per phone kind, and what its
// test checks beside them. windows/installer.nsi registers the same CLSIDs
// for the kinds' extensions.

#include <windows.h>

#include <array>
#include <cstdint>

#include "plugins/PhoneLoader.h"

namespace zefir::plugins {

struct ThumbnailClass {
    LoaderKind kind;
    CLSID clsid;
};

// {12E96473-7950-4483-B6E8-EA4D47DCF116}, Moto Bitmaps (.k)
// {EE31C765-BDC9-418B-94F4-C402C087CE7D}, Moto Images (.g)
// {D1207432-1B16-460F-A819-942C25669999}, raw pictures (.raw)
inline const std::array<ThumbnailClass, 3>& ThumbnailClasses()
{
    static const std::array<ThumbnailClass, 3> classes = {{
        {LoaderKind::MotoBitmap,
         {0x12e96473, 0x7950, 0x4483, {0xb6, 0xe8, 0xea, 0x4d, 0x47, 0xdc, 0xf1, 0x16}}},
        {LoaderKind::MotoImage,
         {0xee31c765, 0xbdc9, 0x418b, {0x94, 0xf4, 0xc4, 0x02, 0xc0, 0x87, 0xce, 0x7d}}},
        {LoaderKind::Raw,
         {0xd1207432, 0x1b16, 0x460f, {0xa8, 0x19, 0x94, 0x2c, 0x25, 0x66, 0x99, 0x99}}},
    }};
    return classes;
}

// 0xAARRGGBB with each colour channel scaled by the alpha, rounded: the
// shell blends a thumbnail's pixels as premultiplied.
inline std::uint32_t PremultipliedPixel(std::uint32_t argb)
{
    const std::uint32_t a = argb >> 24;
    const auto scaled = [a](std::uint32_t channel) { return (channel * a + 127) / 255; };
    return a << 24 | scaled(argb >> 16 & 0xFF) << 16 | scaled(argb >> 8 & 0xFF) << 8 |
           scaled(argb & 0xFF);
}

// A 32-bit DIB's description with its rows top-down, as the handler makes
// its bitmaps and its test reads them back.
inline BITMAPINFO TopDownArgbInfo(std::uint32_t width, std::uint32_t height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace zefir::plugins
