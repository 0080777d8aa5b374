#include "plugins/PhoneLoader.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/Error.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::plugins {

namespace {

using imagecodec::ImageKind;

constexpr std::array<LoaderFormat, 3> kFormats = {{
    {LoaderKind::MotoBitmap, "zefir-moto-bitmap", "image/x-moto-bitmap", "k", "Moto Bitmap"},
    {LoaderKind::MotoImage, "zefir-moto-image", "image/x-moto-image", "g", "Moto Image"},
    {LoaderKind::Raw, "zefir-moto-raw", "image/x-moto-raw", "raw", "ROKR E2 raw picture"},
}};

// The name the core decodes under: its extension chooses the decoder, and
// for a raw picture the name is the file's own, as it carries the size.
std::string DecodingName(LoaderKind kind, const fs::path& file)
{
    if (kind != LoaderKind::Raw)
        return "picture." + std::string(FormatOf(kind).extension);
    if (file.empty())
        throw IoError("a raw picture's size is in its file name, and the program reading it gave "
                      "only its bytes",
                      file, ErrorKind::Refused);
    std::string name = file.filename().string();
    // A name the raw type was chosen for by hand may lack the extension.
    if (imagecodec::KindOfName(name) != ImageKind::ikRaw)
        name += ".raw";
    return name;
}

} // namespace

std::span<const LoaderFormat> LoaderFormats()
{
    return kFormats;
}

const LoaderFormat& FormatOf(LoaderKind kind)
{
    return kFormats[static_cast<std::size_t>(kind)];
}

PhoneFileBytes::PhoneFileBytes(LoaderKind kind)
    : m_kind(kind), m_keep(kind == LoaderKind::MotoImage ? imaging::kMaxPictureFileSize
                                                         : imagecodec::kMaxPhoneFileSize)
{
}

void PhoneFileBytes::Append(std::span<const std::byte> more)
{
    m_total += more.size();
    const std::size_t room = m_keep - m_bytes.size();
    m_bytes.insert(m_bytes.end(), more.begin(),
                   more.begin() + static_cast<std::ptrdiff_t>(std::min(room, more.size())));
}

imaging::Bitmap PhoneFileBytes::Decode(const fs::path& file) const
{
    if (m_kind == LoaderKind::MotoImage && m_total > m_keep)
        throw IoError("file is too large (" + Hex(m_total) + " bytes, at most " + Hex(m_keep) + ")",
                      file, ErrorKind::OverLimit);
    return imagecodec::DecodePhonePicture(DecodingName(m_kind, file), m_bytes, file).picture;
}

} // namespace zefir::plugins
