// The parse of one entry: the sliding window with its hash chains, the longest-match search,
// and the greedy (levels 1-3) and lazy (levels 4-9) loops that hand literals, matches and
// block ends to the block coder.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "deflate/block_coder.h"
#include "deflate/deflate.h"
#include "deflate/deflate_constants.h"
#include "deflate/prefix_chains.h"

namespace larkspur::deflate {

// Search limits of one level.
struct TLevelConfig {
  std::uint16_t good_len;    // previous match this long: search a quarter of the chain
  std::uint16_t lazy_limit;  // lazy: no search after a match this long; greedy: longest
                             // match whose inner positions are still inserted
  std::uint16_t nice_len;    // a match this long ends the search
  std::uint16_t chain_limit; // most chain candidates examined per search
};

inline constexpr int kMaxLevel = 9;
// Highest level parsed greedily.
inline constexpr int kLastGreedyLevel = 3;

inline constexpr std::array<TLevelConfig, kMaxLevel + 1> level_table = {{
    {0, 0, 0, 0}, // 0: stored by the writer, never parsed
    {4, 4, 8, 4},
    {4, 5, 16, 8},
    {4, 6, 32, 32},
    {4, 4, 16, 16},
    {8, 16, 32, 32},
    {8, 16, 128, 128},
    {8, 32, 128, 256},
    {32, 128, 258, 1024},
    {32, 258, 258, 4096},
}};

// General purpose flag bits of the fast and the maximum levels.
inline constexpr std::uint16_t kFlagFastLevels = 4;
inline constexpr std::uint16_t kFlagMaximumLevels = 2;
inline constexpr int kLastFastLevel = 2;
inline constexpr int kFirstMaximumLevel = 8;
// Levels from this one search through the longer-prefix chains.
inline constexpr int kFirstPrefixLevel = 8;
// One plain walk in this many is measured for the choice of the prefix chains; the first choice
// of an entry is made after this many searches, later ones at refills of the window.
inline constexpr unsigned kWalkSampling = 16;
inline constexpr unsigned kFirstChoiceSearches = 512;

// Unaligned load for comparisons.
inline std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Length of the match of `m` against `scan` as the search defines it: 0 or 1 when byte 0 or 1
// differs, else the first offset from 3 on at which they differ, at most kMaxMatch; the byte
// at offset 2 is not compared (equal hashes and equal first two bytes imply it). Compares
// eight bytes at a time and finds the first differing byte from the trailing zero bits of the
// difference, which gives exactly the byte-by-byte result; the loads may read up to 7 bytes
// past offset kMaxMatch, which is why the window has padding.
inline unsigned matchLength(const std::uint8_t* scan, const std::uint8_t* m) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kIgnoreByte2 = ~std::uint64_t(0xFF0000);
    std::uint64_t diff = (load64(scan) ^ load64(m)) & kIgnoreByte2;
    unsigned len = 0;
    while (diff == 0) {
      len += 8;
      if (len >= kMaxMatch)
        return kMaxMatch;
      diff = load64(scan + len) ^ load64(m + len);
    }
    len += unsigned(std::countr_zero(diff)) >> 3;
    return len < kMaxMatch ? len : kMaxMatch;
  } else {
    if (m[0] != scan[0] || m[1] != scan[1])
      return m[0] != scan[0] ? 0 : 1;
    unsigned len = kMinMatch;
    while (len < kMaxMatch && m[len] == scan[len])
      ++len;
    return len;
  }
}
static_assert(kWindowPadding >= 8, "matchLength loads 8 bytes at offsets up to kMaxMatch");

// The quick reject of a candidate against the best length so far: which eight bytes to
// compare (from `offset` on) and which of them count. A candidate can only be longer than `best`
// if its bytes at offsets 0 to best, offset 2 aside, equal those at the current position. Up to
// best 7 that is exactly what the mask tests, so a candidate that passes is longer; beyond, the
// eight bytes that end at offset best are tested and matchLength checks the rest.
struct TEndCheck {
  unsigned offset;
  std::uint64_t mask;
};
inline constexpr unsigned kExactEndChecks = 8;
inline constexpr std::array<TEndCheck, kExactEndChecks + 2> end_checks = [] {
  std::array<TEndCheck, kExactEndChecks + 2> checks{};
  for (unsigned best = 0; best < checks.size(); ++best) {
    const unsigned offset = best < kExactEndChecks ? 0 : best - 7;
    std::array<std::uint8_t, 8> lanes{};
    for (unsigned i = 0; i < 8; ++i)
      lanes[i] = offset + i <= best && offset + i != 2 ? 0xFF : 0;
    checks[best] = {offset, std::bit_cast<std::uint64_t>(lanes)};
  }
  return checks;
}();
inline TEndCheck endCheck(unsigned best) {
  return best < end_checks.size() ? end_checks[best] : TEndCheck{best - 7, ~std::uint64_t(0)};
}

class TMatcher {
public:
  TMatcher(TDeflateBuffers& buffers, int packLevel, TDeflateIo& io, TBlockCoder& coder,
           TDeflateResult& header);

  // Clears the chain heads, takes the level's limits and reads the first part of the input.
  void start_matcher();
  // The two parsing loops; each returns what the final emit_block returned.
  std::uint64_t deflate_greedy();
  std::uint64_t deflate();

private:
  void refill_window();
  std::uint32_t readInput(std::uint8_t* destination, std::uint32_t count);
  void slide();
  static unsigned roll_hash(unsigned h, unsigned c) { return ((h << kHashShift) ^ c) & kHashMask; }
  // Puts position p at the head of its hash chain; returns the head it replaced. p's entry
  // gets the replaced head as its nearest link and the head's own links behind it, so a
  // search follows several links with one load instead of one dependent load per link.
  unsigned insert_position(unsigned p) {
    ins_hash_ = roll_hash(ins_hash_, window_[p + 2]);
    const unsigned head = chain_head_[ins_hash_];
    chain_prev_[p & kHashMask] = TChainLinks(chain_prev_[head & kHashMask] << 16 | head);
    chain_head_[ins_hash_] = std::uint16_t(p);
    // The next two insertions need the entries of their chains' heads: start loading them
    // now (only a hint; nothing depends on it).
    const unsigned nextHash = roll_hash(ins_hash_, window_[p + 3]);
    __builtin_prefetch(&chain_prev_[chain_head_[nextHash] & kHashMask]);
    __builtin_prefetch(&chain_prev_[chain_head_[roll_hash(nextHash, window_[p + 4])] & kHashMask]);
    return head;
  }
  // The longest-match search (prefix_search.cpp): the plain walk of the 3-byte chain, or at
  // levels 8 and 9 the same search through the longer-prefix chains where it is cheaper.
  unsigned search_chain(unsigned first) {
    // Near the end of the input the bytes behind it are not the input's and the last
    // positions may be hashed over them: only the plain walk is defined there.
    if (prefix_ == nullptr)
      return walk_chain(first);
    if (!prefix_on_ || lookahead_ < kMinLookahead) {
      // A sample of the plain walks tells whether the chains would pay.
      if ((++searches_ & (kWalkSampling - 1)) == 0) {
        walkedSum_ += kWalkSampling * chainReach(first);
        // The first choice comes early, while switching on is still cheap.
        if (first_choice_ && searches_ >= kFirstChoiceSearches)
          choosePrefixChains();
      }
      return walk_chain(first);
    }
    return search_prefix(first);
  }
  // Adds a search's 3-byte candidates (examined, or as many as it would have examined) to
  // the statistics that switch the prefix chains on and off at the next refill.
  void countWalk(unsigned walked) {
    walkedSum_ += walked;
    ++searches_;
  }
  unsigned walk_chain(unsigned first);
  // How many candidates the plain walk from `first` examines at most (its count and the
  // distance limit, without comparing any bytes).
  unsigned chainReach(unsigned first) const;
  unsigned search_prefix(unsigned first);
  void startPrefixChains();
  void catchUpPrefixChains();
  void choosePrefixChains();
  std::uint64_t flushBlock(bool last) {
    return coder_.emit_block(block_start_ >= 0 ? window_ + block_start_ : nullptr,
                             std::int32_t(cur_pos_) - block_start_, last);
  }
  std::int32_t blockBytes() const { return std::int32_t(cur_pos_) - block_start_; }

  TDeflateBuffers& buffers_;
  std::uint8_t* window_;
  std::uint16_t* chain_head_;
  TChainLinks* chain_prev_;
  int packLevel_;
  TDeflateIo& io_;
  TBlockCoder& coder_;
  TDeflateResult& header_;

  // Positions are unsigned and wrap like 16-bit quantities: a match position that slides out
  // of the window still gives its true distance by modular subtraction.
  unsigned cur_pos_ = 0;
  unsigned lookahead_ = 0;
  std::int32_t block_start_ = 0;
  bool end_of_input_ = false;
  unsigned ins_hash_ = 0;
  unsigned chain_start_ = 0;
  unsigned match_len_ = 0;
  unsigned match_pos_ = 0;
  unsigned prev_len_ = 0;
  unsigned good_len_ = 0;
  unsigned lazy_limit_ = 0;
  unsigned chain_limit_ = 0;
  int nice_len_ = 0;
  // Levels 8 and 9: the longer-prefix chains, and the next position to add to them.
  TPrefixChains* prefix_ = nullptr;
  unsigned prefix_next_ = 0;
  // Whether the searches use them, and what recent searches cost in 3-byte candidates.
  bool prefix_on_ = false;
  bool first_choice_ = true;
  unsigned searches_ = 0;
  std::uint64_t walkedSum_ = 0;
};

} // namespace larkspur::deflate
