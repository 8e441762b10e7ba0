// The compressed data of a block: literals, matches and the end-of-block code. A fast loop runs
// while 8 bytes of input can be read at once and the output has room; the careful path decodes
// one symbol group at a time near the ends of the buffers and never consumes half a group.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <string>

#include "inflate/inflate_machine.h"

namespace larkspur::inflate {
namespace {

[[noreturn]] void fail(const char* what) {
  throw EInflateError(std::string("Corrupt compressed data: ") + what);
}

constexpr const char* kInvalidLitLen = "invalid literal/length code";
constexpr const char* kInvalidDistance = "invalid distance code";
constexpr const char* kTooFarBack = "distance reaches before the start of the output";

std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big)
    v = __builtin_bswap64(v);
  return v;
}

constexpr std::uint64_t lowBits(unsigned count) {
  return (std::uint64_t(1) << count) - 1;
}

// Copies a match forwards so that a distance shorter than the length repeats its pattern, in
// 8- or 16-byte stores that may run up to 29 bytes past the end (the window keeps slack).
inline void copyForward(std::uint8_t* out, unsigned length, unsigned distance) {
  const std::uint8_t* from = out - distance;
  std::uint8_t* const end = out + length;
  if (distance >= 16) {
    // Most matches are short: two unconditional stores cover them without a loop branch.
    std::memcpy(out, from, 16);
    std::memcpy(out + 16, from + 16, 16);
    for (out += 32, from += 32; out < end; out += 16, from += 16)
      std::memcpy(out, from, 16);
  } else if (distance >= 8) {
    std::memcpy(out, from, 8);
    std::memcpy(out + 8, from + 8, 8);
    for (out += 16, from += 16; out < end; out += 8, from += 8)
      std::memcpy(out, from, 8);
  } else if (distance == 1) {
    std::memset(out, *from, length);
  } else {
    // A period of 2-7 bytes: store 8 bytes of the repeated pattern, advancing by the largest
    // multiple of the period that fits in 8, so every store starts at the pattern's phase 0.
    std::uint8_t pattern[8];
    for (unsigned i = 0; i < 8; ++i)
      pattern[i] = from[i % distance];
    const unsigned step = 8 - 8 % distance;
    do {
      std::memcpy(out, pattern, 8);
      out += step;
    } while (out < end);
  }
}

} // namespace

void InflateMachine::copyMatch(unsigned length, unsigned distance) {
  if (distance > pos_)
    fail(kTooFarBack);
  copyForward(window_.data() + pos_, length, distance);
  pos_ += length;
}

InflateMachine::Progress InflateMachine::decodeData(std::size_t limit) {
  for (;;) {
    if (inEnd_ - in_ >= kFastLoopInput && pos_ < limit && decodeFast(limit))
      return Progress::Done;
    Progress progress;
    if (!decodeGroup(limit, progress))
      return progress;
    if (phase_ != Phase::Data)
      return Progress::Done;
  }
}

bool InflateMachine::decodeGroup(std::size_t limit, Progress& progress) {
  progress = Progress::NeedInput;
  HuffmanEntry symbol;
  if (!peekCode(*litLen_, 0, symbol))
    return false;
  switch (entryKind(symbol)) {
  case kLiteralEntry:
    if (pos_ >= limit) {
      progress = Progress::OutputFull;
      return false;
    }
    take(entryLength(symbol));
    window_[pos_++] = std::uint8_t(entryValue(symbol));
    return true;
  case kEndOfBlockEntry:
    take(entryLength(symbol));
    phase_ = finalBlock_ ? Phase::Done : Phase::BlockHeader;
    return true;
  case kBaseEntry:
    break;
  default:
    fail(kInvalidLitLen);
  }
  // A match: peek at the whole group before consuming any of it.
  const unsigned lengthBits = entryLength(symbol) + entryExtraBits(symbol);
  HuffmanEntry distanceCode;
  if (!need(lengthBits) || !peekCode(*distance_, lengthBits, distanceCode))
    return false;
  if (entryKind(distanceCode) != kBaseEntry)
    fail(kInvalidDistance);
  if (!need(lengthBits + entryLength(distanceCode) + entryExtraBits(distanceCode)))
    return false;
  if (pos_ >= limit) {
    progress = Progress::OutputFull;
    return false;
  }
  take(entryLength(symbol));
  const unsigned length = entryValue(symbol) + take(entryExtraBits(symbol));
  take(entryLength(distanceCode));
  const unsigned distance = entryValue(distanceCode) + take(entryExtraBits(distanceCode));
  copyMatch(length, distance);
  return true;
}

// Returns true when it decoded the block's end. Refills the bit buffer to at least 56 bits with
// one unaligned 8-byte read per group (two when the literals before a match used up the bits);
// the bytes it read ahead are given back at the end. Each pass starts below outLimit and writes
// at most two extra literals and one match past it, which the window's slack holds.
bool InflateMachine::decodeFast(std::size_t limit) {
  const HuffmanEntry* const litLen = litLen_->entries();
  const HuffmanEntry* const distances = distance_->entries();
  const unsigned litLenBits = litLen_->primaryBits();
  const unsigned distanceBits = distance_->primaryBits();
  const std::uint64_t litLenMask = lowBits(litLenBits);
  const std::uint64_t distanceMask = lowBits(distanceBits);

  std::uint8_t* const windowStart = window_.data();
  std::uint8_t* out = windowStart + pos_;
  std::uint8_t* const outLimit = windowStart + limit;
  const std::uint8_t* in = in_;
  const std::uint8_t* const fastStart = in_;
  std::uint64_t bits = bits_;
  unsigned bitCount = bitCount_;
  bool endOfBlock = false;

  while (inEnd_ - in >= kFastLoopInput && out < outLimit) {
    // Bits above bitCount may hold bytes already read; OR-ing the same bytes again is harmless.
    bits |= load64(in) << bitCount;
    in += (63 - bitCount) >> 3;
    bitCount |= 56;

    HuffmanEntry entry = litLen[bits & litLenMask];
    if (entryKind(entry) == kSubtableEntry)
      entry = litLen[entryValue(entry) + ((bits >> litLenBits) & lowBits(entryExtraBits(entry)))];
    // Up to three literals from one refill (3 x 15 bits of the 56), the commonest case by far.
    if (entryKind(entry) == kLiteralEntry) {
      bits >>= entryLength(entry);
      bitCount -= entryLength(entry);
      *out++ = std::uint8_t(entryValue(entry));
      entry = litLen[bits & litLenMask];
      if (entryKind(entry) == kSubtableEntry)
        entry = litLen[entryValue(entry) + ((bits >> litLenBits) & lowBits(entryExtraBits(entry)))];
      if (entryKind(entry) == kLiteralEntry) {
        bits >>= entryLength(entry);
        bitCount -= entryLength(entry);
        *out++ = std::uint8_t(entryValue(entry));
        entry = litLen[bits & litLenMask];
        if (entryKind(entry) == kSubtableEntry)
          entry =
              litLen[entryValue(entry) + ((bits >> litLenBits) & lowBits(entryExtraBits(entry)))];
        if (entryKind(entry) == kLiteralEntry) {
          bits >>= entryLength(entry);
          bitCount -= entryLength(entry);
          *out++ = std::uint8_t(entryValue(entry));
          continue;
        }
      }
    }
    if (entryKind(entry) != kBaseEntry) {
      if (entryKind(entry) != kEndOfBlockEntry)
        fail(kInvalidLitLen);
      bits >>= entryLength(entry);
      bitCount -= entryLength(entry);
      endOfBlock = true;
      break;
    }
    // At least 26 bits are left here: enough for a length code and its extra bits.
    bits >>= entryLength(entry);
    bitCount -= entryLength(entry);
    const unsigned length = entryValue(entry) + unsigned(bits & lowBits(entryExtraBits(entry)));
    bits >>= entryExtraBits(entry);
    bitCount -= entryExtraBits(entry);

    // The distance code and its extra bits need up to 28.
    if (bitCount < 28) {
      bits |= load64(in) << bitCount;
      in += (63 - bitCount) >> 3;
      bitCount |= 56;
    }
    entry = distances[bits & distanceMask];
    if (entryKind(entry) == kSubtableEntry)
      entry =
          distances[entryValue(entry) + ((bits >> distanceBits) & lowBits(entryExtraBits(entry)))];
    if (entryKind(entry) != kBaseEntry)
      fail(kInvalidDistance);
    bits >>= entryLength(entry);
    bitCount -= entryLength(entry);
    const unsigned distance = entryValue(entry) + unsigned(bits & lowBits(entryExtraBits(entry)));
    bits >>= entryExtraBits(entry);
    bitCount -= entryExtraBits(entry);

    if (distance > std::size_t(out - windowStart))
      fail(kTooFarBack);
    copyForward(out, length, distance);
    out += length;
  }

  // Whole bytes read ahead go back to the input (only those this loop read itself).
  const unsigned giveBack = unsigned(std::min<std::ptrdiff_t>(bitCount >> 3, in - fastStart));
  in -= giveBack;
  bitCount -= 8 * giveBack;
  bits &= lowBits(bitCount);

  in_ = in;
  bits_ = bits;
  bitCount_ = bitCount;
  pos_ = std::size_t(out - windowStart);
  if (endOfBlock)
    phase_ = finalBlock_ ? Phase::Done : Phase::BlockHeader;
  return endOfBlock;
}

} // namespace larkspur::inflate
