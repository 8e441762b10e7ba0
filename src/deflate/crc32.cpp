// CRC-32 by carry-less multiplication where the processor has it, else by slicing: eight
// bytes per step through eight derived tables. Table k advances a
// byte through k further zero bytes, so XOR-ing the eight lookups gives exactly the register
// that eight single-byte steps would.
#include "deflate/crc32.h"

#include "deflate/crc32_clmul.h"

namespace larkspur::deflate {

namespace {

using SliceTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr SliceTables makeSliceTables() {
  SliceTables t{};
  t[0] = crc_table;
  for (int k = 1; k < 8; ++k)
    for (int n = 0; n < 256; ++n)
      t[k][n] = (t[k - 1][n] >> 8) ^ crc_table[t[k - 1][n] & 0xFF];
  return t;
}

constexpr SliceTables kSlices = makeSliceTables();

// Little-endian load whatever the host's alignment rules.
inline std::uint32_t load32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

} // namespace

std::uint32_t update_crc(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
  if (count >= kClmulMinBytes && cpu_has_clmul())
    return update_crc_clmul(crc, bytes, count);
  while (count >= 8) {
    const std::uint32_t lo = load32(bytes) ^ crc;
    const std::uint32_t hi = load32(bytes + 4);
    crc = kSlices[7][lo & 0xFF] ^ kSlices[6][(lo >> 8) & 0xFF] ^ kSlices[5][(lo >> 16) & 0xFF] ^
          kSlices[4][lo >> 24] ^ kSlices[3][hi & 0xFF] ^ kSlices[2][(hi >> 8) & 0xFF] ^
          kSlices[1][(hi >> 16) & 0xFF] ^ kSlices[0][hi >> 24];
    bytes += 8;
    count -= 8;
  }
  while (count-- != 0)
    crc = crc_byte(crc, *bytes++);
  return crc;
}

} // namespace larkspur::deflate
