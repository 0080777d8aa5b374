#pragma once

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

// Extracts every member of `archive` into workFolder/raws and, with
// conversion enabled, a standard picture of each into workFolder/icons with
// the map icons/conv.dat. Member names go to `list` in archive order.
// Returns the working folder (WorkFolder). Throws IoError.
fs::path UnpackArchive(const fs::path& archive, const fs::path& workFolder,
                       const ConversionSettings& settings, IProgress& progress,
                       IMemberList& list);

// What packing did: whether an archive was written, how many members it
// holds, and each listed file it left out with the reason.
struct PackReport {
    bool written = false;
    std::size_t members = 0;
    struct LeftOut {
        std::string file; // UTF-8 file name
        std::string reason;
    };
    std::vector<LeftOut> leftOut;
};

// Packs the files of `sourceFolder` into `archive`: phone files as they are
// (conversion disabled) or standard pictures converted back (enabled).
// Throws IoError; after an error the archive path is as it was before.
PackReport PackArchive(const fs::path& sourceFolder, const fs::path& archive,
                       bool convertEnabled, IProgress& progress);

} // namespace zefir::archive
