#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "core/Error.h"
#include "core/Message.h"

namespace zefir {

// Checked little-endian reads from bytes held in memory. The only place that
// does offset arithmetic on outside data: every read is checked against the
// size first, in a form that cannot overflow, and a failed check throws an
// IoError that names the file and the field.
class ByteReader {
public:
    ByteReader(std::span<const std::byte> data, std::filesystem::path path)
        : m_data(data), m_path(std::move(path))
    {
    }

    std::size_t size() const noexcept { return m_data.size(); }
    std::size_t position() const noexcept { return m_position; }
    std::size_t remaining() const noexcept { return m_data.size() - m_position; }
    const std::filesystem::path& path() const noexcept { return m_path; }

    bool Has(std::size_t offset, std::size_t length) const noexcept
    {
        return offset <= m_data.size() && length <= m_data.size() - offset;
    }

    std::span<const std::byte> BytesAt(std::size_t offset, std::size_t length,
                                       const MessageText& what) const
    {
        Require(offset, length, what);
        return m_data.subspan(offset, length);
    }

    std::uint32_t U32At(std::size_t offset, const MessageText& what) const
    {
        auto b = BytesAt(offset, 4, what);
        return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
               static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    }

    std::uint8_t U8At(std::size_t offset, const MessageText& what) const
    {
        return static_cast<std::uint8_t>(BytesAt(offset, 1, what)[0]);
    }

    std::span<const std::byte> ReadBytes(std::size_t length, const MessageText& what)
    {
        auto b = BytesAt(m_position, length, what);
        m_position += length;
        return b;
    }

    std::uint32_t ReadU32(const MessageText& what)
    {
        auto v = U32At(m_position, what);
        m_position += 4;
        return v;
    }

    std::uint8_t ReadU8(const MessageText& what)
    {
        auto v = U8At(m_position, what);
        m_position += 1;
        return v;
    }

    [[noreturn]] void Fail(const std::string& message) const { throw IoError(message, m_path); }

private:
    void Require(std::size_t offset, std::size_t length, const MessageText& what) const
    {
        if (Has(offset, length))
            return;
        Fail(Fill(ZEFIR_MESSAGE("zefir", "%1 at %2 runs past the end of the file (%3)"),
                  Translated(what), Hex(offset), ByteCount(m_data.size())));
    }

    std::span<const std::byte> m_data;
    std::filesystem::path m_path;
    std::size_t m_position = 0;
};

// Little-endian stores for writers.
inline void PutU32(std::byte* out, std::uint32_t value)
{
    out[0] = static_cast<std::byte>(value);
    out[1] = static_cast<std::byte>(value >> 8);
    out[2] = static_cast<std::byte>(value >> 16);
    out[3] = static_cast<std::byte>(value >> 24);
}

inline std::uint32_t GetU32(const std::byte* in)
{
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
           static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

} // namespace zefir
