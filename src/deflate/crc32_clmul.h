// CRC-32 by carry-less multiplication (PCLMULQDQ), for processors that have it: the same
// register as update_crc, several times faster on long runs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace larkspur::deflate {

// True when this processor can run update_crc_clmul (checked once).
bool cpu_has_clmul();

// Needs cpu_has_clmul() and at least kClmulMinBytes bytes.
std::uint32_t update_crc_clmul(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count);
inline constexpr std::size_t kClmulMinBytes = 64;

} // namespace larkspur::deflate
