#include "core/archive/MemberName.h"

#include <algorithm>

#include "core/FileIo.h"
#include "core/Text.h"
#include "core/archive/EzxFormat.h"

namespace zefir::archive {

namespace {

std::string Named(std::string_view name)
{
    return "member name \"" + PrintableName(name) + "\" ";
}

// Windows-1251 letters take two bytes in UTF-8, some signs three: 99 bytes
// of a member name may not fit a file name.
bool FitsFileName(std::string_view utf8)
{
    return utf8.size() <= fileio::MaxFileNameBytes();
}

std::string FileNameLimit()
{
    return "more than the " + std::to_string(fileio::MaxFileNameBytes()) + " a file name may have";
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
        return "a member name cannot be empty";
    if (name.size() > kMaxNameLength)
        return Named(name) + "is " + std::to_string(name.size()) +
               " bytes, more than the limit of " + std::to_string(kMaxNameLength);
    // 0x0A ends a name in the archive.
    if (name.find('\n') != std::string_view::npos)
        return Named(name) + "holds a line break";
    if (use == NameUse::Format)
        return std::nullopt;
    // These would make the member's file land outside the folder it is
    // written into. One pass over the name: find_first_of would search the
    // three characters once for every byte, and opening checks every member.
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return c == '/' || c == '\\' || c == '\0'; }))
        return Named(name) + "holds \"/\", \"\\\" or a NUL byte";
    if (name == "." || name == "..")
        return Named(name) + "names a folder";
    if (use == NameUse::Stored)
        return std::nullopt;
    if (use == NameUse::New)
        if (const auto control = std::find_if(name.begin(), name.end(), IsControl);
            control != name.end())
            return Named(name) + "holds a control character (" +
                   PrintableName(std::string_view(&*control, 1)) + ")";
    if (const std::string fileName = Cp1251ToUtf8(name); !FitsFileName(fileName))
        return Named(name) + "would be a file name of " + std::to_string(fileName.size()) +
               " bytes in UTF-8, " + FileNameLimit();
    // What else this system does not take in a file's name (on Windows:
    // device names, some characters, a trailing dot or space).
    else if (auto here = fileio::WhyNotFileNameHere(fileName))
        return Named(name) + *here;
    return std::nullopt;
}

std::optional<std::string> WhyNotFileName(std::string_view fileName)
{
    if (!FitsFileName(fileName))
        return "the file name \"" + Printable(fileName) + "\" is " +
               std::to_string(fileName.size()) + " bytes, " + FileNameLimit();
    if (auto here = fileio::WhyNotFileNameHere(fileName))
        return "the file name \"" + Printable(fileName) + "\" " + *here;
    return std::nullopt;
}

std::optional<std::string> WhyNotFileAsMemberName(std::string_view fileName)
{
    const auto bytes = Utf8ToCp1251(fileName);
    if (!bytes)
        return "the name is not UTF-8 text that Windows-1251, the character set of member "
               "names, can hold";
    return WhyNotMemberName(*bytes, NameUse::New);
}

} // namespace zefir::archive
