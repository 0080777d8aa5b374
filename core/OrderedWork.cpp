#include "core/OrderedWork.h"

namespace zefir {

std::size_t DefaultWorkerCount()
{
    // hardware_concurrency may not know, and says 0.
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 ? cores : 0;
}

} // namespace zefir
