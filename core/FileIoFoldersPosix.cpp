#include "core/FileIoFolders.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/Error.h"

namespace zefir::fileio {

namespace {

[[noreturn]] void CannotRead(const fs::path& folder, int error)
{
    throw IoError("cannot read the folder: " + std::string(std::strerror(error)), folder,
                  ErrorKind::CannotRead);
}

Entry EntryOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return Entry::File;
    if (S_ISDIR(mode))
        return Entry::Folder;
    if (S_ISLNK(mode))
        return Entry::Link;
    return Entry::Other;
}

struct FolderHandle {
    DIR* dir;
    ~FolderHandle() { ::closedir(dir); }
};

} // namespace

std::optional<FileIdentity> IdentityOf(const fs::path& path) noexcept
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::vector<FolderEntry> ListFolder(const fs::path& folder,
                                    const std::function<bool(const std::string&)>& detailed)
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        CannotRead(folder, errno);
    FolderHandle handle{dir};
    const int fd = ::dirfd(dir);
    std::vector<FolderEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(dir);
        if (found == nullptr) {
            if (errno != 0)
                CannotRead(folder, errno);
            break;
        }
        FolderEntry entry;
        entry.name = found->d_name;
        if (entry.name == "." || entry.name == "..")
            continue;
        // The listing's type spares a stat for the entries not asked about.
        const bool wanted = detailed(entry.name);
        if (!wanted && found->d_type != DT_UNKNOWN) {
            entry.kind = found->d_type == DT_REG   ? Entry::File
                         : found->d_type == DT_DIR ? Entry::Folder
                         : found->d_type == DT_LNK ? Entry::Link
                                                   : Entry::Other;
            entries.push_back(std::move(entry));
            continue;
        }
        struct stat st {};
        if (::fstatat(fd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            // Removed since the listing: as if it had never been there.
            if (errno == ENOENT)
                continue;
            CannotRead(folder, errno);
        }
        entry.kind = EntryOfMode(st.st_mode);
        if (wanted) {
            entry.size = static_cast<std::uint64_t>(st.st_size);
            entry.identity = FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                                          static_cast<std::uint64_t>(st.st_ino)};
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace zefir::fileio
