#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace zefir {

// The only exception core throws. what() is "<path>: <message>", ready to
// show; ui and cli show it unchanged.
class IoError : public std::runtime_error {
public:
    IoError(const std::string& message, std::filesystem::path path);

    const std::filesystem::path& path() const noexcept { return m_path; }
    // The message without the leading path.
    const std::string& message() const noexcept { return m_message; }

private:
    std::filesystem::path m_path;
    std::string m_message;
};

// "0x1F000": offsets and sizes in messages are given in hexadecimal, as a
// hex viewer shows them.
std::string Hex(std::uint64_t value);

} // namespace zefir
