#pragma once

#include <filesystem>
#include <vector>

#include "core/archive/Archive.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::archive {

namespace fs = std::filesystem;

// What converting a folder did.
struct ConvertAllReport {
    std::vector<fs::path> written; // the files written, in the order made
    std::vector<LeftOut> leftOut;  // files found and passed over (hidden, not plain files)
    std::vector<LeftOut> failed;   // files that could not be converted, and why
};

// Converts every picture of `sourceFolder` into `targetFolder`, which must
// exist. From the phone: every ".k" and then every ".g" file into `format`,
// a Moto Bitmap's picture always named ".bmp" so that packing without a
// conversion map takes it back as an 18-bit Moto Bitmap. To the phone: every
// ".bmp", then ".png", then ".gif" file into an 18-bit Moto Bitmap (".k") or
// a Moto Image (".g"); `format` is not used.
//
// Every output is named before anything is written. Of two files that would
// give one output the first is converted and the second fails. Outputs that
// already exist are replaced only with Overwrite::Replace; otherwise IoError
// (Refused) lists them and nothing is written. A file that cannot be
// converted fails and the rest go on; a failed write stops it (IoError).
ConvertAllReport ConvertAll(const fs::path& sourceFolder, const fs::path& targetFolder,
                            bool fromPhone, imagecodec::Format format,
                            Overwrite overwrite = Overwrite::Replace);

} // namespace zefir::archive
