// GIF through giflib.
//
// Layout:
//   +0   "GIF87a" or "GIF89a"
//   +6   logical screen width, height (u16 little-endian)
//   +10  flags (0x80 global colour table, bits 0-2 its size as 2^(n+1))
//   +11  background index, +12 pixel aspect ratio
//   +13  global colour table, 3 bytes (R, G, B) an entry
//   then blocks: 0x21 extension (label, data sub-blocks ending in a 0 byte),
//   0x2C frame (left, top, width, height u16; flags 0x80 local colour table,
//   0x40 interlaced; LZW data sub-blocks), 0x3B trailer.
//   Graphics Control Extension: 0x21 0xF9 0x04, flags (0x01 transparent
//   index set), delay u16, transparent index, 0x00.
//
// Reading gives the first frame on its logical screen; the screen's pixels
// outside the frame and the frame's transparent index read as 0x00000000.
// Writing gives one frame of the bitmap's size: an exact palette when the
// picture has at most 256 colours (a transparent index counting as one),
// otherwise a palette of fewer colours (Palette.h); pixels of alpha 0
// become the transparent index, all others opaque.

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

#include <gif_lib.h>

#include "core/Error.h"
#include "core/Message.h"
#include "core/imaging/Codecs.h"
#include "core/imaging/Palette.h"

namespace zefir::imaging {

namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000;

struct GifInput {
    std::span<const std::byte> data;
    std::size_t offset = 0;
    bool ranOut = false;
};

int ReadGifBytes(GifFileType* gif, GifByteType* out, int length)
{
    auto* in = static_cast<GifInput*>(gif->UserData);
    std::size_t wanted = static_cast<std::size_t>(std::max(length, 0));
    std::size_t n = std::min(wanted, in->data.size() - in->offset);
    std::memcpy(out, in->data.data() + in->offset, n);
    in->offset += n;
    if (n < wanted)
        in->ranOut = true;
    return static_cast<int>(n);
}

int WriteGifBytes(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<std::vector<std::byte>*>(gif->UserData);
    try {
        auto* first = reinterpret_cast<const std::byte*>(data);
        out->insert(out->end(), first, first + length);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return length;
}

struct GifReader {
    GifFileType* gif = nullptr;
    ~GifReader()
    {
        int ignored = 0;
        if (gif)
            DGifCloseFile(gif, &ignored);
    }
};

// Closes explicitly with Close(), since closing writes the trailer and can
// fail; the destructor only frees after an earlier failure.
struct GifWriter {
    GifFileType* gif = nullptr;
    int Close()
    {
        int error = 0;
        int result = EGifCloseFile(gif, &error);
        gif = nullptr;
        return result == GIF_OK ? 0 : error;
    }
    ~GifWriter()
    {
        int ignored = 0;
        if (gif)
            EGifCloseFile(gif, &ignored);
    }
};

struct ColourMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// Rows of an interlaced frame come in four passes.
std::vector<std::uint32_t> RowOrder(std::uint32_t height, bool interlaced)
{
    std::vector<std::uint32_t> order;
    order.reserve(height);
    if (!interlaced) {
        for (std::uint32_t y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    constexpr std::uint32_t kStart[] = {0, 4, 2, 1};
    constexpr std::uint32_t kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (std::uint32_t y = kStart[pass]; y < height; y += kStep[pass])
            order.push_back(y);
    return order;
}

} // namespace

Bitmap DecodeGif(std::span<const std::byte> bytes, const fs::path& path)
{
    GifInput input{bytes};
    auto fail = [&](int error) {
        if (input.ranOut)
            ThrowTruncated("GIF", bytes.size(), path);
        const char* reason = GifErrorString(error);
        ThrowDamaged("GIF", reason ? reason : "unknown giflib error", path);
    };
    int error = 0;
    GifReader reader{DGifOpen(&input, ReadGifBytes, &error)};
    if (!reader.gif)
        fail(error);
    GifFileType* gif = reader.gif;

    // Extensions before the first frame; only a Graphics Control Extension
    // matters, for its transparent index.
    int transparent = NO_TRANSPARENT_COLOR;
    for (bool atFrame = false; !atFrame;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            fail(gif->Error);
        if (type == IMAGE_DESC_RECORD_TYPE) {
            atFrame = true;
        } else if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                fail(gif->Error);
            GraphicsControlBlock control;
            if (code == GRAPHICS_EXT_FUNC_CODE && block &&
                DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparent = control.TransparentColor;
            while (block)
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    fail(gif->Error);
        } else if (type == TERMINATE_RECORD_TYPE) {
            throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "%1 holds no picture"), "GIF"),
                          path);
        }
    }
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        fail(gif->Error);
    const GifImageDesc frame = gif->Image;

    // A screen smaller than the frame (a damaged descriptor) grows to hold
    // it, as browsers do.
    std::uint64_t width =
        std::max<std::uint64_t>(gif->SWidth, std::uint64_t(frame.Left) + frame.Width);
    std::uint64_t height =
        std::max<std::uint64_t>(gif->SHeight, std::uint64_t(frame.Top) + frame.Height);
    CheckDimensions(width, height, "GIF", path);

    // Indices the colour table lacks (or every index, without a table) read
    // as opaque black.
    std::array<std::uint32_t, kMaxPaletteColours> colours;
    colours.fill(kOpaqueBlack);
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (map)
        for (int i = 0; i < std::min<int>(map->ColorCount, kMaxPaletteColours); ++i)
            colours[i] = Argb(0xFF, map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    if (transparent >= 0 && transparent < static_cast<int>(kMaxPaletteColours))
        colours[transparent] = 0;

    Bitmap bitmap(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    if (frame.Width > 0 && frame.Height > 0) {
        std::vector<GifPixelType> line(frame.Width);
        for (std::uint32_t row : RowOrder(frame.Height, frame.Interlace)) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                fail(gif->Error);
            std::uint32_t* out = bitmap.Row(frame.Top + row) + frame.Left;
            for (int x = 0; x < frame.Width; ++x)
                out[x] = colours[line[x]];
        }
    }
    return bitmap;
}

std::vector<std::byte> EncodeGif(const Bitmap& bitmap, const fs::path& path)
{
    IndexedPicture picture = ToIndexed(bitmap);

    // giflib takes colour tables of 2, 4, ... 256 entries; unused ones are black.
    int used = static_cast<int>(picture.palette.size()) + (picture.hasTransparent ? 1 : 0);
    int tableSize = 2;
    while (tableSize < used)
        tableSize *= 2;
    std::vector<GifColorType> table(tableSize, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < picture.palette.size(); ++i)
        table[i] = GifColorType{static_cast<GifByteType>(picture.palette[i] >> 16),
                                static_cast<GifByteType>(picture.palette[i] >> 8),
                                static_cast<GifByteType>(picture.palette[i])};
    std::unique_ptr<ColorMapObject, ColourMapDeleter> map(
        GifMakeMapObject(tableSize, table.data()));
    if (!map)
        throw std::bad_alloc();

    std::vector<std::byte> out;
    int error = 0;
    GifWriter writer{EGifOpen(&out, WriteGifBytes, &error)};
    auto fail = [&](int code) {
        const char* reason = GifErrorString(code);
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::imaging", "cannot encode %1: %2"), "GIF",
                           reason ? reason : "unknown giflib error"),
                      path);
    };
    if (!writer.gif)
        fail(error);
    GifFileType* gif = writer.gif;
    // Without this giflib writes a GIF87a header, which has no place for the
    // transparent index.
    EGifSetGifVersion(gif, true);
    int width = static_cast<int>(bitmap.width);
    int height = static_cast<int>(bitmap.height);
    if (EGifPutScreenDesc(gif, width, height, 8, 0, map.get()) == GIF_ERROR)
        fail(gif->Error);
    if (picture.hasTransparent) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.UserInputFlag = false;
        control.DelayTime = 0;
        control.TransparentColor = picture.TransparentIndex();
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) == GIF_ERROR)
            fail(gif->Error);
    }
    if (EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_ERROR)
        fail(gif->Error);
    for (int y = 0; y < height; ++y)
        if (EGifPutLine(gif, picture.indices.data() + std::size_t(y) * bitmap.width, width) ==
            GIF_ERROR)
            fail(gif->Error);
    if (int code = writer.Close(); code != 0)
        fail(code);
    return out;
}

} // namespace zefir::imaging
