#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/FileIo.h"

namespace zefir::fileio {

// Which file a path names, whatever the spelling and through links: equal
// identities are one file.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentityOf(const fs::path& path) noexcept;

// One entry of a folder listing. Symbolic links are not followed.
struct FolderEntry {
    std::string name; // UTF-8, no folder
    Entry kind = Entry::Other;
    std::uint64_t size = 0;           // set for files `detailed` asked for
    std::optional<FileIdentity> identity; // likewise
};

// Lists a folder without "." and ".."; `detailed` says for which names the
// size and identity are wanted, which may cost a look at the file each.
// Throws IoError when the folder cannot be read.
std::vector<FolderEntry> ListFolder(const fs::path& folder,
                                    const std::function<bool(const std::string&)>& detailed);

} // namespace zefir::fileio
