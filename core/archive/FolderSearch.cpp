#include "core/archive/FolderSearch.h"

#include <algorithm>
#include <system_error>

#include "core/Error.h"
#include "core/Text.h"

namespace zefir::archive {

namespace {

// The index of the extension `name` matches, or -1.
int MatchingExtension(const std::string& name, std::span<const std::string_view> extensions)
{
    const std::string extension = AsciiUpper(ExtensionOf(name));
    if (extension.empty())
        return -1;
    for (std::size_t k = 0; k < extensions.size(); ++k)
        if (extension == AsciiUpper(extensions[k]))
            return static_cast<int>(k);
    return -1;
}

} // namespace

bool NameOrderLess(std::string_view a, std::string_view b)
{
    const std::string upperA = AsciiUpper(a);
    const std::string upperB = AsciiUpper(b);
    if (upperA != upperB)
        return upperA < upperB;
    return a < b;
}

FolderSearch SearchFolder(const fs::path& folder, std::span<const std::string_view> extensions)
{
    FolderSearch search;
    search.matches.resize(extensions.size());
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error)
        throw IoError("cannot read the folder: " + error.message(), folder);
    for (; it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        const int k = MatchingExtension(name, extensions);
        if (k < 0)
            continue;
        // Symbolic links are not followed: only what is really in the folder
        // is taken.
        const fs::file_status status = it->symlink_status(error);
        if (error)
            throw IoError("cannot read the folder: " + error.message(), folder);
        if (fs::is_directory(status))
            continue;
        if (name.front() == '.')
            search.passedOver.push_back({name, "hidden file"});
        else if (!fs::is_regular_file(status))
            search.passedOver.push_back({name, "not a plain file"});
        else
            search.matches[static_cast<std::size_t>(k)].push_back(name);
    }
    if (error)
        throw IoError("cannot read the folder: " + error.message(), folder);
    for (auto& names : search.matches)
        std::sort(names.begin(), names.end(),
                  [](const std::string& a, const std::string& b) { return NameOrderLess(a, b); });
    std::sort(search.passedOver.begin(), search.passedOver.end(),
              [](const LeftOut& a, const LeftOut& b) { return NameOrderLess(a.file, b.file); });
    return search;
}

std::string MemberNameOf(const fs::path& folder, const std::string& name)
{
    auto bytes = Utf8ToCp1251(name);
    if (!bytes)
        throw IoError("the file name cannot be written in Windows-1251, the character set of "
                      "member names",
                      folder / name);
    return *bytes;
}

} // namespace zefir::archive
