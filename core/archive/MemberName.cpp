#include "core/archive/MemberName.h"

#include <algorithm>

#include "core/FileIo.h"
#include "core/Message.h"
#include "core/Text.h"
#include "core/archive/EzxFormat.h"

namespace zefir::archive {

namespace {

// Windows-1251 letters take two bytes in UTF-8, some signs three: 99 bytes
// of a member name may not fit a file name.
bool FitsFileName(std::string_view utf8)
{
    return utf8.size() <= fileio::MaxFileNameBytes();
}

std::string FileNameLimit()
{
    return Fill(ZEFIR_MESSAGE("zefir::archive", "more than the %1 a file name may have"),
                fileio::MaxFileNameBytes());
}

bool IsControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

} // namespace

std::optional<std::string> WhyNotMemberName(std::string_view name, NameUse use)
{
    if (name.empty())
        return Translated(ZEFIR_MESSAGE("zefir::archive", "a member name cannot be empty"));
    if (name.size() > kMaxNameLength)
        return Fill(ZEFIR_MESSAGE("zefir::archive",
                                  "member name \"%1\" is %2 bytes, more than the limit of %3"),
                    PrintableName(name), name.size(), kMaxNameLength);
    // 0x0A ends a name in the archive.
    if (name.find('\n') != std::string_view::npos)
        return Fill(ZEFIR_MESSAGE("zefir::archive", "member name \"%1\" holds a line break"),
                    PrintableName(name));
    if (use == NameUse::Format)
        return std::nullopt;
    // These would make the member's file land outside the folder it is
    // written into. One pass over the name: find_first_of would search the
    // three characters once for every byte, and opening checks every member.
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return c == '/' || c == '\\' || c == '\0'; }))
        return Fill(
            ZEFIR_MESSAGE("zefir::archive", "member name \"%1\" holds \"/\", \"\\\" or a NUL byte"),
            PrintableName(name));
    if (name == "." || name == "..")
        return Fill(ZEFIR_MESSAGE("zefir::archive", "member name \"%1\" names a folder"),
                    PrintableName(name));
    if (use == NameUse::Stored)
        return std::nullopt;
    if (use == NameUse::New)
        if (const auto control = std::find_if(name.begin(), name.end(), IsControl);
            control != name.end())
            return Fill(ZEFIR_MESSAGE("zefir::archive",
                                      "member name \"%1\" holds a control character (%2)"),
                        PrintableName(name), PrintableName(std::string_view(&*control, 1)));
    if (const std::string fileName = Cp1251ToUtf8(name); !FitsFileName(fileName))
        return Fill(ZEFIR_MESSAGE("zefir::archive",
                                  "member name \"%1\" would be a file name of %2 bytes "
                                  "in UTF-8, %3"),
                    PrintableName(name), fileName.size(), FileNameLimit());
    // What else this system does not take in a file's name (on Windows:
    // device names, some characters, a trailing dot or space).
    else if (auto here = fileio::WhyNotFileNameHere(fileName))
        return Fill(ZEFIR_MESSAGE("zefir::archive", "member name \"%1\" %2"), PrintableName(name),
                    *here);
    return std::nullopt;
}

std::optional<std::string> WhyNotFileName(std::string_view fileName)
{
    if (!FitsFileName(fileName))
        return Fill(ZEFIR_MESSAGE("zefir::archive", "the file name \"%1\" is %2 bytes, %3"),
                    Printable(fileName), fileName.size(), FileNameLimit());
    if (auto here = fileio::WhyNotFileNameHere(fileName))
        return Fill(ZEFIR_MESSAGE("zefir::archive", "the file name \"%1\" %2"), Printable(fileName),
                    *here);
    return std::nullopt;
}

std::optional<std::string> WhyNotFileAsMemberName(std::string_view fileName)
{
    const auto bytes = Utf8ToCp1251(fileName);
    if (!bytes)
        return Translated(ZEFIR_MESSAGE("zefir::archive",
                                        "the name is not UTF-8 text that Windows-1251, the "
                                        "character set of member names, can hold"));
    return WhyNotMemberName(*bytes, NameUse::New);
}

} // namespace zefir::archive
