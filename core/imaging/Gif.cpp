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
// otherwise a median-cut palette; pixels of alpha 0 become the transparent
// index, all others opaque.

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include <gif_lib.h>

#include "core/Error.h"
#include "core/imaging/Codecs.h"

namespace zefir::imaging {

namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000;
constexpr std::size_t kMaxColours = 256;

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

struct ColourCount {
    std::uint32_t rgb;
    std::uint32_t count;
};

struct Box {
    std::size_t begin;
    std::size_t end;
    int channelShift; // the channel with the widest range: 16 red, 8 green, 0 blue
    int range;
};

int Channel(std::uint32_t rgb, int shift)
{
    return static_cast<int>(rgb >> shift & 0xFF);
}

Box MakeBox(const std::vector<ColourCount>& colours, std::size_t begin, std::size_t end)
{
    Box box{begin, end, 16, -1};
    for (int shift : {16, 8, 0}) {
        int low = 255;
        int high = 0;
        for (std::size_t i = begin; i < end; ++i) {
            low = std::min(low, Channel(colours[i].rgb, shift));
            high = std::max(high, Channel(colours[i].rgb, shift));
        }
        if (high - low > box.range) {
            box.range = high - low;
            box.channelShift = shift;
        }
    }
    return box;
}

// Median cut over the distinct colours: splits the box with the widest
// channel range at the pixel-weighted median of that channel until there are
// `capacity` boxes. Reorders `colours`; returns the boxes.
std::vector<Box> MedianCut(std::vector<ColourCount>& colours, std::size_t capacity)
{
    std::vector<Box> boxes{MakeBox(colours, 0, colours.size())};
    while (boxes.size() < capacity) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return a.range < b.range;
        });
        if (widest->range <= 0)
            break;
        Box box = *widest;
        int shift = box.channelShift;
        std::sort(colours.begin() + box.begin, colours.begin() + box.end,
                  [shift](const ColourCount& a, const ColourCount& b) {
                      int ca = Channel(a.rgb, shift);
                      int cb = Channel(b.rgb, shift);
                      return ca != cb ? ca < cb : a.rgb < b.rgb;
                  });
        std::uint64_t total = 0;
        for (std::size_t i = box.begin; i < box.end; ++i)
            total += colours[i].count;
        std::uint64_t seen = 0;
        std::size_t split = box.begin + 1;
        for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
            seen += colours[i].count;
            split = i + 1;
            if (2 * seen >= total)
                break;
        }
        *widest = MakeBox(colours, box.begin, split);
        boxes.push_back(MakeBox(colours, split, box.end));
    }
    return boxes;
}

std::uint32_t AverageColour(const std::vector<ColourCount>& colours, const Box& box)
{
    std::uint64_t sum[3] = {};
    std::uint64_t total = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        for (int c = 0; c < 3; ++c)
            sum[c] += std::uint64_t(Channel(colours[i].rgb, 16 - 8 * c)) * colours[i].count;
        total += colours[i].count;
    }
    std::uint32_t rgb = 0;
    for (int c = 0; c < 3; ++c)
        rgb = rgb << 8 | static_cast<std::uint32_t>((sum[c] + total / 2) / total);
    return rgb;
}

// The palette entry nearest to `rgb`, starting from a good guess (the
// entry of the colour's own box), which lets most entries be passed over
// after one channel.
GifPixelType NearestEntry(const std::vector<std::uint32_t>& palette, std::uint32_t rgb,
                          std::size_t guess)
{
    auto distance = [rgb](std::uint32_t entry, int bound) {
        int sum = 0;
        for (int shift : {16, 8, 0}) {
            int d = Channel(entry, shift) - Channel(rgb, shift);
            sum += d * d;
            if (sum >= bound)
                break;
        }
        return sum;
    };
    std::size_t best = guess;
    int bestDistance = distance(palette[guess], INT_MAX);
    for (std::size_t i = 0; i < palette.size() && bestDistance > 0; ++i) {
        int d = distance(palette[i], bestDistance);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<GifPixelType>(best);
}

struct IndexedPicture {
    std::vector<std::uint32_t> palette; // RGB values; the transparent index follows them
    std::vector<GifPixelType> indices;
    bool hasTransparent = false;
};

IndexedPicture ToIndexed(const Bitmap& bitmap)
{
    std::vector<std::uint32_t> opaque;
    opaque.reserve(bitmap.pixels.size());
    for (std::uint32_t argb : bitmap.pixels)
        if (argb >> 24 != 0)
            opaque.push_back(argb & 0xFFFFFF);
    IndexedPicture picture;
    picture.hasTransparent = opaque.size() < bitmap.pixels.size();

    std::sort(opaque.begin(), opaque.end());
    std::vector<ColourCount> colours;
    for (std::uint32_t rgb : opaque) {
        if (colours.empty() || colours.back().rgb != rgb)
            colours.push_back({rgb, 0});
        ++colours.back().count;
    }
    opaque = {};

    // Sorted by RGB value: the palette index of each distinct colour.
    std::vector<std::pair<std::uint32_t, GifPixelType>> lookup;
    std::size_t capacity = kMaxColours - (picture.hasTransparent ? 1 : 0);
    if (colours.size() <= capacity) {
        for (const ColourCount& c : colours) {
            lookup.emplace_back(c.rgb, static_cast<GifPixelType>(picture.palette.size()));
            picture.palette.push_back(c.rgb);
        }
    } else {
        std::vector<Box> boxes = MedianCut(colours, capacity);
        for (const Box& box : boxes)
            picture.palette.push_back(AverageColour(colours, box));
        // Each colour takes the nearest palette entry, which is not always
        // the average of its own box.
        for (std::size_t b = 0; b < boxes.size(); ++b)
            for (std::size_t i = boxes[b].begin; i < boxes[b].end; ++i)
                lookup.emplace_back(colours[i].rgb,
                                    NearestEntry(picture.palette, colours[i].rgb, b));
        std::sort(lookup.begin(), lookup.end());
    }

    auto transparent = static_cast<GifPixelType>(picture.palette.size());
    picture.indices.reserve(bitmap.pixels.size());
    for (std::uint32_t argb : bitmap.pixels) {
        if (argb >> 24 == 0) {
            picture.indices.push_back(transparent);
            continue;
        }
        auto found = std::lower_bound(lookup.begin(), lookup.end(),
                                      std::pair<std::uint32_t, GifPixelType>(argb & 0xFFFFFF, 0));
        picture.indices.push_back(found->second);
    }
    return picture;
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
            throw IoError("GIF holds no picture", path);
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
    std::array<std::uint32_t, kMaxColours> colours;
    colours.fill(kOpaqueBlack);
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (map)
        for (int i = 0; i < std::min<int>(map->ColorCount, kMaxColours); ++i)
            colours[i] = Argb(0xFF, map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    if (transparent >= 0 && transparent < static_cast<int>(kMaxColours))
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
        throw IoError(
            std::string("cannot encode GIF: ") + (reason ? reason : "unknown giflib error"), path);
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
        control.TransparentColor = static_cast<int>(picture.palette.size());
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
