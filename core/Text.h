#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zefir {

// Member names and conversion-map keys are bytes; bytes 0x80 and above are
// Windows-1251 text, the code page the phone's own tools used.
std::string Cp1251ToUtf8(std::string_view bytes);
// The inverse; empty when the text holds a character Windows-1251 lacks or is
// not valid UTF-8.
std::optional<std::string> Utf8ToCp1251(std::string_view utf8);

// The position of the first byte that is not strict UTF-8 (an overlong form,
// a surrogate, a code point past U+10FFFF, a cut-short sequence); npos when
// the text is valid.
std::size_t FirstInvalidUtf8(std::string_view utf8);

// UTF-8 text as the command line prints names and paths, so that a line
// stays one line and nothing reaches the terminal as a command: tab, line
// feed and carriage return as "\t", "\n", "\r", the other control
// characters (0x00 to 0x1F, 0x7F) as "\xHH", and "\" as "\\", so that
// the escaped form reads back unambiguously.
std::string Printable(std::string_view utf8);
// A path (UTF-8) for a listing or a message: as Printable escapes, except
// that the system's own separator stands as it is. On Windows "\" is no
// character of a name, so it cannot be mistaken for one.
std::string PrintablePath(std::string_view utf8);
// A member name as messages and listings show it: its Windows-1251 bytes as
// UTF-8, escaped as Printable escapes.
std::string PrintableName(std::string_view name);
// The member name (Windows-1251 bytes) a text names, read as PrintableName
// writes it: "\t", "\n", "\r", "\\" and "\xHH" (the byte HH) are read
// back, anything else is UTF-8 taken as it is. Nothing for a text that no
// name can be: another escape, or text that is not UTF-8 Windows-1251 can
// write.
std::optional<std::string> NameFromPrintable(std::string_view text);

// Paths to and from the UTF-8 text the program works in. A path built from
// or turned into a plain std::string goes through the system's narrow code
// page, which on some systems cannot hold every character of a name.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8Of(const std::filesystem::path& path);

// Upper-cases ASCII letters only, as extension comparisons do.
std::string AsciiUpper(std::string_view text);

// The extension of a path: the text from its last "." to the end, provided no
// "/" follows that "."; otherwise empty. A name such as ".k" has the
// extension ".k".
std::string_view ExtensionOf(std::string_view path);
// Cuts the path before its extension (keeps it whole when there is none) and
// appends `extension`.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

} // namespace zefir
