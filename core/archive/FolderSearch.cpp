#include "core/archive/FolderSearch.h"

#include <algorithm>

#include "core/Error.h"
#include "core/FileIoFolders.h"
#include "core/Message.h"
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
    // Only files whose extension is asked for need their size and identity.
    const auto entries = fileio::ListFolder(folder, [&](const std::string& name) {
        return MatchingExtension(name, extensions) >= 0;
    });
    for (const fileio::FolderEntry& entry : entries) {
        const std::string& name = entry.name;
        const int k = MatchingExtension(name, extensions);
        if (k < 0) {
            if (name.front() != '.' && entry.kind == fileio::Entry::File)
                search.others.push_back(name);
            continue;
        }
        // Symbolic links are not followed: only what is really in the folder
        // is taken. The size packing plans with comes from this listing.
        if (entry.kind == fileio::Entry::Folder)
            continue;
        if (name.front() == '.')
            search.passedOver.push_back(
                {name, Translated(ZEFIR_MESSAGE("zefir::archive", "hidden file"))});
        else if (entry.kind != fileio::Entry::File)
            search.passedOver.push_back(
                {name, Translated(ZEFIR_MESSAGE("zefir::fileio", "not a plain file"))});
        else
            search.matches[static_cast<std::size_t>(k)].push_back(
                {name, entry.size, entry.identity});
    }
    for (auto& files : search.matches)
        std::sort(files.begin(), files.end(), [](const FoundFile& a, const FoundFile& b) {
            return NameOrderLess(a.name, b.name);
        });
    std::sort(search.passedOver.begin(), search.passedOver.end(),
              [](const LeftOut& a, const LeftOut& b) { return NameOrderLess(a.file, b.file); });
    std::sort(search.others.begin(), search.others.end(),
              [](const std::string& a, const std::string& b) { return NameOrderLess(a, b); });
    return search;
}

} // namespace zefir::archive
