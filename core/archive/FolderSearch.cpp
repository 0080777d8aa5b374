#include "core/archive/FolderSearch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

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

[[noreturn]] void CannotRead(const fs::path& folder, int error)
{
    throw IoError("cannot read the folder: " + std::string(std::strerror(error)), folder,
                  ErrorKind::CannotRead);
}

// Closes the folder whatever happens.
struct FolderHandle {
    DIR* dir;
    ~FolderHandle() { ::closedir(dir); }
};

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
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        CannotRead(folder, errno);
    FolderHandle handle{dir};
    const int fd = ::dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            if (errno != 0)
                CannotRead(folder, errno);
            break;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const int k = MatchingExtension(name, extensions);
        // The listing's type spares a stat for files that are not taken.
        if (k < 0) {
            if (name.front() == '.')
                continue;
            const bool plain =
                entry->d_type == DT_REG || (entry->d_type == DT_UNKNOWN && [&] {
                    struct stat st {};
                    return ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                           S_ISREG(st.st_mode);
                }());
            if (plain)
                search.others.push_back(name);
            continue;
        }
        // Symbolic links are not followed: only what is really in the folder
        // is taken. The size packing plans with comes from this stat.
        struct stat st {};
        if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue;
            CannotRead(folder, errno);
        }
        if (S_ISDIR(st.st_mode))
            continue;
        if (name.front() == '.')
            search.passedOver.push_back({name, "hidden file"});
        else if (!S_ISREG(st.st_mode))
            search.passedOver.push_back({name, "not a plain file"});
        else
            search.matches[static_cast<std::size_t>(k)].push_back(
                {name, static_cast<std::uint64_t>(st.st_size),
                 static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)});
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
