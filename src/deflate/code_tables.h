// The fixed tables of Deflate coding: extra bits per length and distance code, the maps from
// match length and distance to their codes, and the fixed literal and distance codes of
// RFC 1951. All are computed at compile time and never change.
#pragma once

#include <array>
#include <cstdint>

#include "deflate/huffman_trees.h"

namespace larkspur::deflate {

inline constexpr std::array<std::uint8_t, kLengthCodes> kExtraLengthBits = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr std::array<std::uint8_t, kDistCodes> kExtraDistBits = {
    0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
inline constexpr std::array<std::uint8_t, kBlCodes> kExtraBlBits = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                    0, 0, 0, 0, 0, 0, 2, 3, 7};
// Order in which the code-length code's lengths are sent (most often unused last).
inline constexpr std::array<std::uint8_t, kBlCodes> kBlOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                11, 4,  12, 3, 13, 2, 14, 1, 15};

// Fixed literal/length code: 288 symbols (286 and 287 are never used but shape the code).
inline constexpr int kFixedLitCodes = 288;
// Length of every fixed distance code.
inline constexpr int kFixedDistBits = 5;

struct TCodeTables {
  std::uint8_t length_code[256]; // match length - 3 -> length code
  std::uint8_t dist_code[512];   // see d_code
  int base_length[kLengthCodes]; // first length - 3 of each code
  int base_dist[kDistCodes];     // first distance - 1 of each code
  TTreeNode fixed_lit_tree[kFixedLitCodes];
  TTreeNode fixed_dist_tree[kDistCodes];
};

constexpr TCodeTables makeCodeTables() {
  TCodeTables t{};
  int length = 0;
  int code = 0;
  for (code = 0; code < kLengthCodes - 1; ++code) {
    t.base_length[code] = length;
    for (int n = 0; n < (1 << kExtraLengthBits[code]); ++n)
      t.length_code[length++] = std::uint8_t(code);
  }
  // Length 258 has a code of its own rather than code 27 with extra value 31.
  t.length_code[length - 1] = std::uint8_t(code);

  int dist = 0;
  for (code = 0; code < 16; ++code) {
    t.base_dist[code] = dist;
    for (int n = 0; n < (1 << kExtraDistBits[code]); ++n)
      t.dist_code[dist++] = std::uint8_t(code);
  }
  dist >>= 7; // from here on, distances are looked up in units of 128
  for (; code < kDistCodes; ++code) {
    t.base_dist[code] = dist << 7;
    for (int n = 0; n < (1 << (kExtraDistBits[code] - 7)); ++n)
      t.dist_code[256 + dist++] = std::uint8_t(code);
  }

  std::uint16_t length_count[kMaxBits + 1] = {};
  for (int n = 0; n < kFixedLitCodes; ++n) {
    const int bits = n <= 143 ? 8 : n <= 255 ? 9 : n <= 279 ? 7 : 8;
    t.fixed_lit_tree[n].parentLen = std::uint16_t(bits);
    ++length_count[bits];
  }
  assign_codes(t.fixed_lit_tree, kFixedLitCodes - 1, length_count);
  for (int n = 0; n < kDistCodes; ++n) {
    t.fixed_dist_tree[n].parentLen = kFixedDistBits;
    t.fixed_dist_tree[n].freqCode = std::uint16_t(reverse_bits(unsigned(n), kFixedDistBits));
  }
  return t;
}

inline constexpr TCodeTables kCodeTables = makeCodeTables();

// Distance code of `dist` (distance - 1).
constexpr unsigned d_code(unsigned dist) {
  return dist < 256 ? kCodeTables.dist_code[dist] : kCodeTables.dist_code[256 + (dist >> 7)];
}

static_assert(kCodeTables.length_code[255] == 28 && kCodeTables.base_length[27] == 224);
static_assert(kCodeTables.base_dist[29] == 24576 && d_code(32767) == 29);

} // namespace larkspur::deflate
