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

// A member name as messages show it: its Windows-1251 bytes as UTF-8,
// control bytes escaped as "\xNN".
std::string PrintableName(std::string_view name);

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
