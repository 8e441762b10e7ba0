// Pieces every stream's Seek shares: the invalid-origin error and position arithmetic that
// cannot overflow on hostile offsets.
#pragma once

#include <cstdint>

namespace larkspur::zip {

// Raises Error "Invalid seek origin (%d)" with the origin filled in.
[[noreturn]] void RaiseInvalidSeekOrigin(int origin);
// a + b, saturated at the ends of the 64-bit range.
std::int64_t AddSaturated(std::int64_t a, std::int64_t b);

} // namespace larkspur::zip
