// The six working buffers of the compressor. A zip operation allocates one set, uses it for
// every entry it deflates and releases it at its end; they start zero-filled so the output
// depends on the input alone.
#pragma once

#include <cstdint>
#include <memory>

namespace larkspur::deflate {

class TPrefixChains;

// How levels 8 and 9 search for matches. Every mode gives the same output; the default switches
// the longer-prefix chains on where walks are long, the others exist so that tests and the fuzz
// target can compare: the plain walk only, the chains always, or switched at every choice.
enum class TMatchSearch { Adaptive, PlainWalk, PrefixChains, Alternating };

// One chain_prev entry: the next positions along a position's hash chain, the nearest in the
// low 16 bits, then the one before that, and so on (four links, see insert_position).
using TChainLinks = std::uint64_t;
inline constexpr unsigned kLinksPerEntry = sizeof(TChainLinks) / sizeof(std::uint16_t);

class TDeflateBuffers {
public:
  TDeflateBuffers();
  ~TDeflateBuffers();
  TDeflateBuffers(const TDeflateBuffers&) = delete;
  TDeflateBuffers& operator=(const TDeflateBuffers&) = delete;
  TDeflateBuffers(TDeflateBuffers&&) noexcept;
  TDeflateBuffers& operator=(TDeflateBuffers&&) noexcept;

  // Sliding window (65536 bytes, plus a zero tail that comparisons may load but never use).
  std::uint8_t* window() const { return window_.get(); }
  // Most recent position per hash value (32768 entries).
  std::uint16_t* chain_head() const { return chainHead_.get(); }
  // Earlier positions with the same hash, per window position modulo 32768 (256 KB).
  TChainLinks* chain_prev() const { return chainPrev_.get(); }
  // Per block symbol: the literal or match length - 3 (32768 bytes).
  std::uint8_t* lit_buf() const { return litBuf_.get(); }
  // Per block match: distance - 1 (32768 entries).
  std::uint16_t* dist_buf() const { return distBuf_.get(); }
  // One bit per block symbol, set for a match (4096 bytes).
  std::uint8_t* flag_bytes() const { return flagBytes_.get(); }

  // The longer-prefix chains of the maximum levels (about 1 MB), allocated on first use.
  TPrefixChains& prefix_chains();

  TMatchSearch matchSearch() const { return matchSearch_; }
  void setMatchSearch(TMatchSearch mode) { matchSearch_ = mode; }

  // Zeroes window bytes 0 to 65534 (the last byte keeps its value), as at the end of every
  // entry, so the next entry's output does not depend on the bytes of this one, with one
  // exception: an entry of 65,279 to 65,535 bytes never writes byte 65535, slides its window
  // once near its end (the slide copies that byte down to 32767) and may compare its last
  // matches against it there. Its output can then depend on the last byte the entries before
  // it left, so entries compressed apart (say on several threads) must hand that byte on, or
  // wait for the entry before.
  void clearWindow();

private:
  std::unique_ptr<std::uint8_t[]> window_;
  std::unique_ptr<std::uint16_t[]> chainHead_;
  std::unique_ptr<TChainLinks[]> chainPrev_;
  std::unique_ptr<std::uint8_t[]> litBuf_;
  std::unique_ptr<std::uint16_t[]> distBuf_;
  std::unique_ptr<std::uint8_t[]> flagBytes_;
  std::unique_ptr<TPrefixChains> prefixChains_;
  TMatchSearch matchSearch_ = TMatchSearch::Adaptive;
};

} // namespace larkspur::deflate
