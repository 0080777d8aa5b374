#pragma once

// The members of the benchmark's archive, which both the archive generator
// and the GIF error measurement make.

#include "core/archive/EzxFormat.h"

namespace zefir::bench {

// Member `i` of the archive: members cycle through 18-bit and 32-bit Moto
// Bitmaps from 16 x 16 to 64 x 64, Moto Images holding GIF and PNG pictures,
// and raw pictures. `large` makes every member a 64 x 64 32-bit Moto Bitmap
// (16 KiB each).
archive::Member MakeMember(unsigned i, bool large);

} // namespace zefir::bench
