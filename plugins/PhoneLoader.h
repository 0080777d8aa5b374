#pragma once

// What the gdk-pixbuf modules and the Qt image-format plugin share: one
// loader per phone kind, given a file's bytes and, where the host program
// tells it, the file's name. The desktop's MIME types tell the kinds apart;
// a loader never guesses one kind from another's bytes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "core/imaging/Imaging.h"

namespace zefir::plugins {

namespace fs = std::filesystem;

enum class LoaderKind : std::uint8_t { MotoBitmap, MotoImage, Raw };

struct LoaderFormat {
    LoaderKind kind;
    std::string_view name;        // "zefir-moto-bitmap", the gdk-pixbuf format's name
    std::string_view mimeType;    // as the installed MIME types name it
    std::string_view extension;   // without the dot
    std::string_view description; // "Moto Bitmap", as the phone's tools name it
};

// The rows for MotoBitmap, MotoImage and Raw, in that order.
std::span<const LoaderFormat> LoaderFormats();
const LoaderFormat& FormatOf(LoaderKind kind);

// A file's bytes as a loader is handed them, piece by piece. Only what
// decoding needs is kept: a Moto Image whole (one larger than the picture
// file limit is refused), the other kinds as far as their largest layout
// goes, since their decoders ignore the rest.
class PhoneFileBytes {
public:
    explicit PhoneFileBytes(LoaderKind kind);

    void Append(std::span<const std::byte> more);

    // The picture. `file` is the file's path where the host program gives
    // it, else empty: a raw picture's size is read from its name, so
    // without one it is refused. Errors name `file`. Throws IoError.
    imaging::Bitmap Decode(const fs::path& file) const;

private:
    LoaderKind m_kind;
    std::size_t m_keep;
    std::uint64_t m_total = 0;
    std::vector<std::byte> m_bytes;
};

} // namespace zefir::plugins
