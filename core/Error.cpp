#include "core/Error.h"

#include <cstdio>
#include <string>

#include "core/Message.h"
#include "core/Text.h"

namespace zefir {

namespace {

std::string Compose(const std::string& message, const std::filesystem::path& path)
{
    if (path.empty())
        return message;
    return Utf8Of(path) + ": " + message;
}

} // namespace

IoError::IoError(const std::string& message, std::filesystem::path path, ErrorKind kind)
    : std::runtime_error(Compose(message, path)), m_path(std::move(path)), m_message(message),
      m_kind(kind)
{
}

IoError::IoError(const std::string& message, const std::string& utf8Path, ErrorKind kind)
    : IoError(message, PathFromUtf8(utf8Path), kind)
{
}

IoError::IoError(const std::string& message, const char* utf8Path, ErrorKind kind)
    : IoError(message, PathFromUtf8(utf8Path), kind)
{
}

std::string Hex(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string Grouped(std::uint64_t value)
{
    const std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

std::string ByteCount(std::uint64_t bytes)
{
    return FillCount(ZEFIR_PLURAL("zefir", "%n bytes", "%n byte"), bytes, Grouped(bytes));
}

} // namespace zefir
