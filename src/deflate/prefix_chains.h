// Hash chains on longer prefixes (4, 6 and 8 bytes) beside the 3-byte chains, with each
// position's rank among the insertions into its 3-byte chain. They let the deep searches of
// the maximum levels visit only candidates that can still beat the best match, and still know
// which of them the 3-byte walk, with its candidate count, would have reached.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <memory>

#include "deflate/deflate_constants.h"

namespace larkspur::deflate {

// Prefix lengths of the extra chains, shortest first.
inline constexpr std::array<unsigned, 6> kPrefixLengths = {4, 6, 8, 12, 16, 32};
inline constexpr unsigned kMaxPrefix = kPrefixLengths.back();
static_assert(kMaxPrefix % 8 == 0 && kMaxPrefix < kMinLookahead);
inline constexpr unsigned kPrefixChains = unsigned(kPrefixLengths.size());
inline constexpr unsigned kPrefixHashBits = 15;
inline constexpr unsigned kPrefixHashSize = 1u << kPrefixHashBits;

class TPrefixChains {
public:
  TPrefixChains();

  // Start of an entry: empty chains (the counters need no reset, only their differences count).
  void clear();
  // Adds positions from `first` up to `last` (their first kMaxPrefix bytes must be the
  // input's, not stale window bytes) to every chain and stamps each with its rank in its 3-byte
  // chain. Works in groups: the hashes of a group are computed first and the table lines they
  // touch loaded early, so that the misses of several positions overlap.
  void insert(const std::uint8_t* window, unsigned first, unsigned last) {
    constexpr unsigned kGroup = 16;
    std::uint16_t* const links = links_.get();
    std::uint32_t* const stamps = stamps_.get();
    std::uint32_t* const counters = counters_.get();
    std::uint16_t* const heads = heads_.get();
    std::array<unsigned, kGroup> h3;
    std::array<std::array<unsigned, kPrefixChains>, kGroup> hashes;
    for (unsigned start = first; start <= last; start += kGroup) {
      const unsigned n = last - start + 1 < kGroup ? last - start + 1 : kGroup;
      for (unsigned i = 0; i < n; ++i) {
        const std::uint8_t* bytes = window + start + i;
        h3[i] = (unsigned(bytes[0]) << 10 ^ unsigned(bytes[1]) << 5 ^ bytes[2]) & kHashMask;
        hashes[i] = hashAll(bytes);
        __builtin_prefetch(&counters[h3[i]]);
#pragma GCC unroll 8
        for (unsigned k = 0; k < kPrefixChains; ++k)
          __builtin_prefetch(&heads[k * kPrefixHashSize + hashes[i][k]]);
      }
      for (unsigned i = 0; i < n; ++i) {
        const unsigned p = start + i;
        const unsigned slot = p & kHashMask;
        stamps[slot] = counters[h3[i]]++;
#pragma GCC unroll 8
        for (unsigned k = 0; k < kPrefixChains; ++k) {
          std::uint16_t& head = heads[k * kPrefixHashSize + hashes[i][k]];
          links[k * kHalfWindow + slot] = head;
          head = std::uint16_t(p);
        }
      }
    }
  }
  // Moves every position down by 32768 as the window slides; positions that leave become 0.
  void slide();

  // The position before p on p's chain of prefix length index k.
  unsigned prev(unsigned k, unsigned p) const {
    return links_[k * kHalfWindow + (p & kHashMask)];
  }
  // Number of insertions into p's 3-byte chain before p (modulo 2^32).
  std::uint32_t stamp(unsigned p) const {
    return stamps_[p & kHashMask];
  }

private:
  static std::uint64_t load(const std::uint8_t* p) {
    std::uint64_t v;
    __builtin_memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big)
      v = __builtin_bswap64(v); // the first byte in the low bits, as the hash expects
    return v;
  }
  // Hashes of the prefixes: each word (the last one cut to the bytes it holds of the prefix)
  // multiplied by its own odd constant, the products XOR-ed, the top bits taken. The products
  // are shared between the prefix lengths.
  static std::array<unsigned, kPrefixChains> hashAll(const std::uint8_t* bytes) {
    static_assert(kPrefixLengths == std::array<unsigned, kPrefixChains>{4, 6, 8, 12, 16, 32});
    constexpr std::uint64_t kM0 = 0x9E3779B97F4A7C15ull, kM1 = 0xC2B2AE3D27D4EB4Full,
                            kM2 = 0x165667B19E3779F9ull, kM3 = 0xD6E8FEB86659FD93ull;
    const std::uint64_t w0 = load(bytes), w1 = load(bytes + 8);
    const std::uint64_t p0 = w0 * kM0, p01 = p0 ^ w1 * kM1;
    const std::uint64_t p0123 = p01 ^ load(bytes + 16) * kM2 ^ load(bytes + 24) * kM3;
    const auto top = [](std::uint64_t h) { return unsigned(h >> (64 - kPrefixHashBits)); };
    const auto hashes = std::to_array({top((w0 << 32) * kM0), top((w0 << 16) * kM0), top(p0),
                                       top(p0 ^ (w1 << 32) * kM1), top(p01), top(p0123)});
    static_assert(hashes.size() == kPrefixChains, "one hash per prefix length");
    return hashes;
  }

  std::unique_ptr<std::uint16_t[]> heads_; // kPrefixChains tables of kPrefixHashSize
  // kPrefixChains tables of one link per window position: a walk along one chain stays in
  // one 64 KB table.
  std::unique_ptr<std::uint16_t[]> links_;
  std::unique_ptr<std::uint32_t[]> stamps_;   // per window position
  std::unique_ptr<std::uint32_t[]> counters_; // insertions per 3-byte hash
};

} // namespace larkspur::deflate
