// conv.dat loading and lookup on arbitrary bytes.

#include "FuzzInput.h"
#include "core/Error.h"
#include "core/archive/ConvMap.h"

using namespace zefir;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    archive::ConvMap map;
    try {
        archive::ParseConvMap(fuzz::AsBytes(data, size), "conv.dat", map);
    } catch (const IoError&) {
    }
    for (const char* name : {"", "a.bmp", "A.BMP", "zz", "\xFF"})
        map.FindConvRec(name);
    map.FreeSearchTree();
    return 0;
}
