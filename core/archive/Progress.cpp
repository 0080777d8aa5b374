#include "core/archive/Progress.h"

#include <cstdint>

namespace zefir::archive {

int ProgressPosition(std::size_t index, std::size_t count)
{
    // The formula i / (n - 1) x 100 divides 0 by 0 for a single item; that
    // item completes the work.
    if (count <= 1)
        return 100;
    // Exact rational arithmetic, rounded half to even: 1 of 8 gives 12.5 and
    // so 12, 3 of 8 gives 37.5 and so 38.
    const std::uint64_t numerator = std::uint64_t{index} * 100;
    const std::uint64_t denominator = count - 1;
    std::uint64_t quotient = numerator / denominator;
    const std::uint64_t twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 == 1))
        ++quotient;
    return static_cast<int>(quotient);
}

} // namespace zefir::archive
