#pragma once

// The rules a member's name keeps, in one place, for the model, the writer,
// packing, extraction and export: what the format can hold, what can be
// written inside a chosen folder, what a file name here can be, and what a
// name given now may be.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zefir::archive {

// What a name is for; each use asks what the one before asks, and more.
enum class NameUse : std::uint8_t {
    // Written into an archive: not empty, at most 99 bytes, no 0x0A, so that
    // the reader reads it back.
    Format,
    // Held by an archive that is opened: also a name that, written as a
    // file, stays inside its folder (no "/", "\" or NUL, not "." or "..").
    Stored,
    // Written as a file (extraction, export): also a UTF-8 form short enough
    // for a file name here.
    File,
    // Given to a member now (add, rename, pack): also no control character
    // (0x00 to 0x1F, 0x7F), which would break `list`'s lines and reach the
    // terminal. Names already in an archive keep theirs and are shown
    // escaped.
    New,
};

// Why `name` (Windows-1251 bytes) cannot serve `use`, as a message that
// names it ("member name \"a\\tb.k\" holds a control character (\\t)");
// nothing when it can.
std::optional<std::string> WhyNotMemberName(std::string_view name, NameUse use);

// Why a file name (UTF-8, no folder) is too long for a folder here: what
// NameUse::File asks of a member's name, asked of a name derived from it
// (a picture's, with another extension).
std::optional<std::string> WhyNotFileName(std::string_view fileName);

// Why a file's name (UTF-8, no folder) cannot become a new member's name:
// it must have a Windows-1251 form, which must then pass NameUse::New.
std::optional<std::string> WhyNotFileAsMemberName(std::string_view fileName);

} // namespace zefir::archive
