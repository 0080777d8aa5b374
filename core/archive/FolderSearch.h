#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileIoFolders.h"
#include "core/archive/Archive.h"

namespace zefir::archive {

namespace fs = std::filesystem;

// A plain file the search found, with what the listing's stat told.
struct FoundFile {
    std::string name; // no folder
    std::uint64_t size = 0;
    std::optional<fileio::FileIdentity> identity;
};

// The files of one folder whose extensions match, as the folder searches of
// packing and of converting a folder take them.
struct FolderSearch {
    // One list per extension asked for, in that order; each sorted by
    // NameOrderLess.
    std::vector<std::vector<FoundFile>> matches;
    // Matching entries that are passed over: hidden files and entries that
    // are not plain files (symbolic links, devices). Folders are not listed.
    std::vector<LeftOut> passedOver;
    // Plain, visible files whose extension matches none, sorted.
    std::vector<std::string> others;
};

// Lists the plain files of `folder` whose extension is one of `extensions`,
// compared without regard to the case of ASCII letters. Symbolic links are
// not followed. Throws IoError when the folder cannot be read.
FolderSearch SearchFolder(const fs::path& folder, std::span<const std::string_view> extensions);

// ASCII letters compared without regard to case, ties broken by byte order,
// so that the same folder always lists in the same order.
bool NameOrderLess(std::string_view a, std::string_view b);

} // namespace zefir::archive
