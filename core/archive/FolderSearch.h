#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive/Archive.h"

namespace zefir::archive {

namespace fs = std::filesystem;

// The files of one folder whose extensions match, as the folder searches of
// packing and of converting a folder take them.
struct FolderSearch {
    // One list per extension asked for, in that order; each holds file
    // names (no folder) sorted by NameOrderLess.
    std::vector<std::vector<std::string>> matches;
    // Matching entries that are passed over: hidden files and entries that
    // are not plain files (symbolic links, devices). Folders are not listed.
    std::vector<LeftOut> passedOver;
};

// Lists the plain files of `folder` whose extension is one of `extensions`,
// compared without regard to the case of ASCII letters. Throws IoError when
// the folder cannot be read.
FolderSearch SearchFolder(const fs::path& folder, std::span<const std::string_view> extensions);

// ASCII letters compared without regard to case, ties broken by byte order,
// so that the same folder always lists in the same order.
bool NameOrderLess(std::string_view a, std::string_view b);

// A file name on disk (UTF-8) as member-name bytes (Windows-1251). Throws
// IoError naming folder/name when the name holds a character Windows-1251
// lacks.
std::string MemberNameOf(const fs::path& folder, const std::string& name);

} // namespace zefir::archive
