#pragma once

// What the tests of damaged input and failed writes compare before and after
// an operation: the files the process has open and the entries of a folder.

#include <filesystem>
#include <iterator>
#include <set>
#include <string>

namespace zefir::test {

inline std::size_t OpenFiles()
{
    namespace fs = std::filesystem;
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

// Every entry below a folder, as paths relative to it.
inline std::set<std::string> Listing(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        names.insert(std::filesystem::relative(entry.path(), folder).string());
    return names;
}

// Whether any entry below a folder is hidden, as the temporary files of
// OutputFile are.
inline bool HoldsHiddenFiles(const std::filesystem::path& folder)
{
    for (const std::string& entry : Listing(folder))
        if (std::filesystem::path(entry).filename().string().starts_with("."))
            return true;
    return false;
}

} // namespace zefir::test
