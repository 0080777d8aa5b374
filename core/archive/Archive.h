#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "core/archive/Progress.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::archive {

namespace fs = std::filesystem;

// The conversion settings extraction and packing read.
struct ConversionSettings {
    bool ConvertEnabled = true;
    imagecodec::Format TargetFormat = imagecodec::Format::Bmp;
};

// A file or member an operation found and left out, and why.
struct LeftOut {
    std::string file; // UTF-8 name, no folder
    std::string reason;
};

// Whether extraction may replace files in the working folder whose content
// differs from what it would write (pictures or members the user edited).
using imagecodec::Overwrite;

// What an extraction would find in the working folder: files it would
// replace by other content, and files in raws/ that are no member of the
// archive (an earlier, different archive's, which packing raws/ would take
// back). Files already identical to what it writes are in neither list, and
// conv.dat, which extraction owns, is never in them; nor are links, folders
// or devices in the way, which extraction refuses whatever the answer. In a
// new working folder it only looks (two stats); a member is converted only
// where a picture of its name exists. Reads the archive and the existing
// files; writes nothing. Throws IoError, Refused for a raws or icons that is
// a symbolic link.
struct ExtractionConflicts {
    std::vector<fs::path> differing;
    std::vector<fs::path> strangers;
};
ExtractionConflicts FindExtractionConflicts(const fs::path& archive, const fs::path& workFolder,
                                            const ConversionSettings& settings);

// Extracts every member of `archive` into workFolder/raws and, with
// conversion enabled, a standard picture of each into workFolder/icons with
// the map icons/conv.dat. Member names go to `list` in archive order, and the
// first is selected at the end. Members that have no converter (neither a
// Moto Bitmap, a Moto Image nor a raw picture with its size in its name), or
// whose conversion fails (a damaged picture, one beyond a limit), keep only
// their raw file and their map record, and go to `notConverted`, if given,
// with the reason; so does a member whose picture a later member's picture
// of the same name replaced. A member whose name is too long for a file
// here, or whose file would be an earlier member's (where this system does
// not tell the names apart by case), is not extracted at all and goes to
// `notExtracted`, if given, with the reason; the others still are. Only a
// failure to write stops it.
//
// With Overwrite::Refuse, files that FindExtractionConflicts lists as
// differing make it throw IoError (Refused) before anything is written.
// raws and icons must be folders, not symbolic links; each file gets its
// name only when complete (written unnamed in a folder made by this run,
// else under a temporary name and renamed), so an interrupted one never
// stands under its final name.
//
// Returns the working folder (WorkFolder). Throws IoError; folders and files
// written before the error stay, so the caller should keep workFolder as
// WorkFolder in that case too. conv.dat is written last, so a failed
// extraction leaves an earlier map as it was.

fs::path UnpackArchive(const fs::path& archive, const fs::path& workFolder,
                       const ConversionSettings& settings, IProgress& progress, IMemberList& list,
                       std::vector<LeftOut>* notConverted = nullptr,
                       Overwrite overwrite = Overwrite::Refuse,
                       std::vector<LeftOut>* notExtracted = nullptr);

// What packing did: whether an archive was written, how many members it
// holds, and each file it found and left out with the reason.
struct PackReport {
    bool written = false;
    std::size_t members = 0;
    using LeftOut = archive::LeftOut;
    std::vector<LeftOut> leftOut;
};

// Packs the files of `sourceFolder` into `archive`: phone files (".k", ".g",
// ".raw") as they are (conversion disabled) or standard pictures (".bmp",
// ".gif", ".png" and, with a conversion map, ".unk") converted back to phone
// files (enabled), in memory and a scratch file outside the folder: nothing
// is written into sourceFolder. Every file found and not packed is in the
// report with its reason, names that cannot be member names included.
// Writes no archive when no member would be packed; an archive that is one
// of the files to pack is refused. Throws IoError; after an error the
// archive path is as it was before.
PackReport PackArchive(const fs::path& sourceFolder, const fs::path& archive, bool convertEnabled,
                       IProgress& progress);

} // namespace zefir::archive
