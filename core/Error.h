#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace zefir {

// What went wrong, so that callers choose what to do without reading the
// message: a damaged member is listed and passed over, a full disk stops the
// operation, a refusal asks the user.
enum class ErrorKind : std::uint8_t {
    Damaged,     // the bytes are not what their format says (the default)
    CannotOpen,  // missing, not a plain file, no permission
    CannotRead,  // a read failed
    CannotWrite, // creating, writing, flushing or renaming failed
    OverLimit,   // a size or count beyond a limit of the formats
    Refused,     // a rule: a name the archive cannot hold, a file in the way
};

// The only exception core throws. what() is "<path>: <message>", ready to
// show; ui and cli show it unchanged.
class IoError : public std::runtime_error {
public:
    IoError(const std::string& message, std::filesystem::path path,
            ErrorKind kind = ErrorKind::Damaged);
    // A path given as UTF-8 text (an argument, a member's name): taken as
    // UTF-8 on every system, not through a narrow code page.
    IoError(const std::string& message, const std::string& utf8Path,
            ErrorKind kind = ErrorKind::Damaged);
    IoError(const std::string& message, const char* utf8Path, ErrorKind kind = ErrorKind::Damaged);

    const std::filesystem::path& path() const noexcept { return m_path; }
    // The message without the leading path.
    const std::string& message() const noexcept { return m_message; }
    ErrorKind kind() const noexcept { return m_kind; }

private:
    std::filesystem::path m_path;
    std::string m_message;
    ErrorKind m_kind;
};

// "0x1F000": offsets of data inside a file, and byte values, as a hex viewer
// shows them.
std::string Hex(std::uint64_t value);

// "1,228,816": a count or limit in messages, decimal with its thousands
// grouped, so that sizes read at a glance and compare with a file manager's.
std::string Grouped(std::uint64_t value);
// "1,228,816 bytes", "1 byte": every size in messages.
std::string ByteCount(std::uint64_t bytes);

} // namespace zefir
