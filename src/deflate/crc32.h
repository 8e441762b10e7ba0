// The ZIP CRC-32 (reflected polynomial 0xEDB88320). The entry writer presets the register to
// 0xFFFFFFFF, runs every byte it reads through update_crc and stores the complement.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace larkspur::deflate {

// Register preset and final complement of the ZIP CRC-32.
inline constexpr std::uint32_t kCrcPreset = 0xFFFFFFFFu;
// Reflected generator polynomial.
inline constexpr std::uint32_t kCrcPolynomial = 0xEDB88320u;

// Entry n: n after eight shift-and-conditional-XOR steps.
inline constexpr std::array<std::uint32_t, 256> crc_table = [] {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k)
      c = (c & 1) ? (c >> 1) ^ kCrcPolynomial : c >> 1;
    table[n] = c;
  }
  return table;
}();

// One byte through the register (also the key step of the traditional encryption).
constexpr std::uint32_t crc_byte(std::uint32_t crc, std::uint8_t b) {
  return crc_table[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

// The register after `count` bytes; equal to crc_byte applied to each byte in order.
std::uint32_t update_crc(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count);

} // namespace larkspur::deflate
