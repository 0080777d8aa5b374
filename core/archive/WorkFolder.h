#pragma once

// The layout of a working folder, as extraction writes it and the desktop
// program reads it back: the members as they are in raws/, their pictures
// and the conversion map in icons/. Callers ask here instead of spelling the
// names out, so the layout has one owner.

#include <filesystem>
#include <string_view>

#include "core/archive/ConvMap.h"

namespace zefir::archive {

namespace fs = std::filesystem;

inline fs::path RawsFolder(const fs::path& workFolder)
{
    return workFolder / "raws";
}

inline fs::path IconsFolder(const fs::path& workFolder)
{
    return workFolder / "icons";
}

inline fs::path ConvMapFile(const fs::path& workFolder)
{
    return IconsFolder(workFolder) / kConvMapFileName;
}

// A member's file under raws/; `utf8Name` is the member's name as UTF-8
// text, which is how extraction names the files.
inline fs::path MemberFile(const fs::path& workFolder, std::string_view utf8Name)
{
    return RawsFolder(workFolder) / fs::path(utf8Name);
}

} // namespace zefir::archive
