// PNG through libpng's low-level API.
//
// Layout: signature 89 50 4E 47 0D 0A 1A 0A, then chunks of
//   +0 length (u32 big-endian)  +4 type (4 letters)  +8 data  +8+length CRC-32.
// The first chunk is IHDR: +16 width, +20 height (u32 big-endian, from the
// start of the file), +24 bit depth, +25 colour type, +28 interlace method.
//
// Reading asks libpng only for expansions (palette, low bit depths, tRNS, gray
// to RGB, 16 to 8 bits, alpha filler), never for gamma: the simplified API
// applies gAMA and treats 16-bit samples as linear light, which changes the
// stored values. libpng reports errors by longjmp, so the functions that call
// it hold no C++ objects with destructors; the state they share is plain.
//
// Writing gives 8-bit RGBA, every row Paeth-filtered, compressed at zlib's
// level 6 with the filtered strategy, the window as small as the picture
// allows (libpng's choice). Most pictures are icons of a few hundred bytes,
// for which setting zlib up costs a quarter of the work: see BlockCache.

#include <array>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include <png.h>
#include <zlib.h>

#include "core/Error.h"
#include "core/Message.h"
#include "core/imaging/Codecs.h"

namespace zefir::imaging {

namespace {

constexpr std::size_t kIhdrWidthOffset = 16;
constexpr std::size_t kIhdrHeightOffset = 20;

// What the libpng callbacks share with the code that called libpng.
struct PngIo {
    const png_byte* data = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
    std::vector<std::byte>* output = nullptr;
    bool ranOut = false;
    char message[256] = {};
};

void OnError(png_structp png, png_const_charp message)
{
    auto* io = static_cast<PngIo*>(png_get_error_ptr(png));
    std::snprintf(io->message, sizeof io->message, "%s", message);
    png_longjmp(png, 1);
}

// Warnings (an unknown sRGB profile, a damaged ancillary chunk) leave the
// pixels intact.
void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep out, std::size_t length)
{
    auto* io = static_cast<PngIo*>(png_get_io_ptr(png));
    if (length > io->size - io->offset) {
        io->ranOut = true;
        png_error(png, "the data ends early");
    }
    std::memcpy(out, io->data + io->offset, length);
    io->offset += length;
}

void WriteBytes(png_structp png, png_bytep in, std::size_t length)
{
    auto* io = static_cast<PngIo*>(png_get_io_ptr(png));
    try {
        auto* first = reinterpret_cast<const std::byte*>(in);
        io->output->insert(io->output->end(), first, first + length);
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void FlushBytes(png_structp) {}

// The memory of the write structs. zlib's window, hash chains and pending
// buffer take up to 256 KiB for every picture; freed, the heap hands those
// pages back to the kernel and faults them in again for the next picture,
// which cost a quarter of encoding an icon. Freed blocks wait here, by size
// class, for the next picture on the same thread.
class BlockCache {
public:
    BlockCache() = default;
    BlockCache(const BlockCache&) = delete;
    BlockCache& operator=(const BlockCache&) = delete;
    ~BlockCache()
    {
        for (auto& blocks : m_free)
            for (std::size_t i = 0; i < blocks.count; ++i)
                std::free(blocks.block[i]);
    }

    void* Allocate(std::size_t size)
    {
        unsigned sizeClass = ClassOf(size);
        if (sizeClass < kClasses && m_free[sizeClass].count > 0) {
            Blocks& blocks = m_free[sizeClass];
            return Payload(blocks.block[--blocks.count]);
        }
        std::size_t blockSize = sizeClass < kClasses ? std::size_t{1} << sizeClass : size;
        if (blockSize > SIZE_MAX - kHeader)
            return nullptr;
        auto* block = static_cast<unsigned char*>(std::malloc(kHeader + blockSize));
        if (!block)
            return nullptr;
        std::memcpy(block, &sizeClass, sizeof sizeClass);
        return Payload(block);
    }

    void Free(void* payload)
    {
        if (!payload)
            return;
        unsigned char* block = static_cast<unsigned char*>(payload) - kHeader;
        unsigned sizeClass = 0;
        std::memcpy(&sizeClass, block, sizeof sizeClass);
        if (sizeClass < kClasses && m_free[sizeClass].count < kPerClass)
            m_free[sizeClass].block[m_free[sizeClass].count++] = block;
        else
            std::free(block);
    }

private:
    // Each block starts with its size class; the header keeps the payload
    // aligned for any type.
    static constexpr std::size_t kHeader = alignof(std::max_align_t);
    // Classes are powers of two up to 512 KiB, more than a 16384-pixel row
    // or zlib's largest table needs; larger blocks are not kept.
    static constexpr unsigned kClasses = 20;
    // zlib alone takes four blocks of one class for a larger picture.
    static constexpr std::size_t kPerClass = 8;

    struct Blocks {
        std::array<unsigned char*, kPerClass> block{};
        std::size_t count = 0;
    };

    static unsigned ClassOf(std::size_t size)
    {
        return size <= 1 ? 0u : static_cast<unsigned>(std::bit_width(size - 1));
    }
    static void* Payload(unsigned char* block) { return block + kHeader; }

    std::array<Blocks, kClasses> m_free{};
};

#ifndef _WIN32
thread_local BlockCache t_blocks;

png_voidp AllocateBlock(png_structp, png_alloc_size_t size)
{
    return t_blocks.Allocate(size);
}

void FreeBlock(png_structp, png_voidp block)
{
    t_blocks.Free(block);
}
#else
// MinGW-w64 runs a thread's thread_local destructors after it has freed the
// thread's storage for them (GCC's emulated TLS), and a worker thread that
// had kept blocks crashed when it ended. Windows keeps no blocks, so
// nothing of them is left to free.
png_voidp AllocateBlock(png_structp, png_alloc_size_t size)
{
    return std::malloc(size);
}

void FreeBlock(png_structp, png_voidp block)
{
    std::free(block);
}
#endif

std::uint32_t BigEndianU32(const std::byte* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

// Reads the header and sets up the transforms that turn every colour type
// and bit depth into B, G, R, A bytes. False when libpng failed.
bool ReadHeader(png_structp png, png_infop info, png_uint_32* width, png_uint_32* height)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{*width} * 4)
        png_error(png, "unexpected row layout after expansion");
    return true;
}

bool ReadRows(png_structp png, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    // The chunks after the pixels (IEND, text) are not read: a file cut
    // after its last pixel still gives the whole picture.
    png_read_image(png, rows);
    return true;
}

bool WriteAll(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height,
              png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Measured on the benchmark's icons: libpng's choice of filter per row
    // takes Paeth nearly always, after trying all five; Paeth alone gives
    // the same files in a sixth less time. Levels below 6 are faster but
    // their files larger; level 9 saves 8 per cent in three times the time.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
    png_set_compression_level(png, 6);
    png_set_compression_strategy(png, Z_FILTERED);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

struct ReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadStructs() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct WriteStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~WriteStructs() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

} // namespace

Bitmap DecodePng(std::span<const std::byte> bytes, const fs::path& path)
{
    // The size is checked here, before libpng allocates anything, so that
    // every too-large PNG gets the same message.
    if (bytes.size() >= kIhdrHeightOffset + 4 && std::memcmp(bytes.data() + 12, "IHDR", 4) == 0)
        CheckDimensions(BigEndianU32(bytes.data() + kIhdrWidthOffset),
                        BigEndianU32(bytes.data() + kIhdrHeightOffset), "PNG", path);

    PngIo io;
    io.data = reinterpret_cast<const png_byte*>(bytes.data());
    io.size = bytes.size();
    ReadStructs s;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning);
    if (s.png)
        s.info = png_create_info_struct(s.png);
    if (!s.png || !s.info)
        throw std::bad_alloc();
    png_set_read_fn(s.png, &io, ReadBytes);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool ok = ReadHeader(s.png, s.info, &width, &height);
    Bitmap bitmap;
    std::vector<png_bytep> rows;
    if (ok) {
        bitmap = Bitmap(width, height);
        rows.resize(height);
        for (png_uint_32 y = 0; y < height; ++y)
            rows[y] = reinterpret_cast<png_bytep>(bitmap.Row(y));
        ok = ReadRows(s.png, rows.data());
    }
    if (!ok) {
        if (io.ranOut)
            ThrowTruncated("PNG", bytes.size(), path);
        ThrowDamaged("PNG", io.message, path);
    }
    return bitmap;
}

std::vector<std::byte> EncodePng(const Bitmap& bitmap, const fs::path& path)
{
    std::vector<std::byte> out;
    PngIo io;
    io.output = &out;
    WriteStructs s;
    s.png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning, nullptr,
                                      AllocateBlock, FreeBlock);
    if (s.png)
        s.info = png_create_info_struct(s.png);
    if (!s.png || !s.info)
        throw std::bad_alloc();
    png_set_write_fn(s.png, &io, WriteBytes, FlushBytes);

    // libpng takes row pointers to mutable bytes but only reads them.
    std::vector<png_bytep> rows(bitmap.height);
    for (std::uint32_t y = 0; y < bitmap.height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(const_cast<std::uint32_t*>(bitmap.Row(y)));
    if (!WriteAll(s.png, s.info, bitmap.width, bitmap.height, rows.data()))
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::imaging", "cannot encode %1: %2"), "PNG", io.message), path);
    return out;
}

} // namespace zefir::imaging
