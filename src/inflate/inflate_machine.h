// The decoder's state between calls: the bit buffer, the phase of the current block, the window
// the output is decoded into, and the Huffman tables. Inflater is its public face.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "inflate/huffman_table.h"
#include "inflate/inflate_symbols.h"
#include "inflate/inflater.h"

namespace larkspur::inflate {

// Output is decoded into one linear buffer: the last 32 KB of history followed by room for new
// output, which is copied to the caller and slid back when the room runs out. A larger room
// means fewer slides; every match fits behind the decoding limit, so none is ever split.
inline constexpr std::size_t kDecodeRoom = 224 * 1024;
inline constexpr std::size_t kBufferEnd = kWindowSize + kDecodeRoom;
// Matches start before the decoding limit plus two literals, so a match ends at most one byte
// past kBufferEnd; wide copies store up to 15 bytes past a long match's end (and short ones stay
// far from kBufferEnd).
inline constexpr std::size_t kCopySlack = 1 + 15 + 16;
static_assert(kDecodeRoom > kMaxMatch);

// The fast loop reads 8 bytes at a time, and one symbol group (length code, extra bits, distance
// code, extra bits) needs at most 48 bits, so a refill to 56 bits covers a whole group.
inline constexpr unsigned kMaxGroupBits = 15 + 5 + 15 + 13;
static_assert(kMaxGroupBits <= 56);
// Input the fast loop needs in hand per pass: two 8-byte reads (the second after literals).
inline constexpr std::ptrdiff_t kFastLoopInput = 16;
inline constexpr unsigned kLitLenPrimaryBits = 10;
inline constexpr unsigned kDistancePrimaryBits = 8;

class InflateMachine {
public:
  InflateMachine();
  void reset();
  InflateStep run(std::span<const std::uint8_t> in, std::span<std::uint8_t> out, bool inputEnds);

private:
  enum class Phase {
    BlockHeader,
    StoredLengths,
    StoredCopy,
    DynamicCounts,
    CodeLengthLengths,
    CodeLengths,
    Data,
    Done,
    Failed
  };
  enum class Progress { OutputFull, NeedInput, Done };

  // Bit input. Bytes are pulled only when an item needs them, so between items fewer than 8 bits
  // are held and the end of the stream leaves the bytes after it unconsumed.
  bool pullByte() {
    if (in_ == inEnd_)
      return false;
    bits_ |= std::uint64_t(*in_++) << bitCount_;
    bitCount_ += 8;
    return true;
  }
  bool need(unsigned count) {
    while (bitCount_ < count)
      if (!pullByte())
        return false;
    return true;
  }
  unsigned take(unsigned count) {
    const unsigned value = unsigned(bits_ & ((std::uint64_t(1) << count) - 1));
    bits_ >>= count;
    bitCount_ -= count;
    return value;
  }
  bool peekCode(const HuffmanTable& table, unsigned skip, HuffmanEntry& entry);

  Progress decode(std::size_t limit);
  Progress copyStored(std::size_t limit);
  Progress readCodeLengths();
  void buildDynamicTables();
  Progress decodeData(std::size_t limit);
  bool decodeFast(std::size_t limit);
  bool decodeGroup(std::size_t limit, Progress& progress);
  void copyMatch(unsigned length, unsigned distance);
  void slide();

  Phase phase_ = Phase::BlockHeader;
  bool finalBlock_ = false;
  const std::uint8_t* in_ = nullptr;
  const std::uint8_t* inEnd_ = nullptr;
  std::uint64_t bits_ = 0;
  unsigned bitCount_ = 0;

  std::vector<std::uint8_t> window_;
  std::size_t pos_ = 0;     // where the next output byte is decoded
  std::size_t flushed_ = 0; // output before this was handed to the caller

  unsigned storedLeft_ = 0;
  unsigned litLenCount_ = 0;
  unsigned distanceCount_ = 0;
  unsigned codeLengthCount_ = 0;
  unsigned lengthIndex_ = 0;
  std::array<std::uint8_t, kCodeLengthSymbols> codeLengthLengths_{};
  std::array<std::uint8_t, kMaxLitLenSymbols + kMaxDistanceSymbols> lengths_{};

  HuffmanTable codeLengthTable_;
  HuffmanTable dynamicLitLen_;
  HuffmanTable dynamicDistance_;
  HuffmanTable fixedLitLen_;
  HuffmanTable fixedDistance_;
  const HuffmanTable* litLen_ = nullptr;
  const HuffmanTable* distance_ = nullptr;
};

} // namespace larkspur::inflate
