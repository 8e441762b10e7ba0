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

// Copies a match forwards, byte by byte in effect, so a short distance repeats its pattern.
// Writes may run up to 7 bytes past the end (the window keeps slack for that).
inline void copyForward(std::uint8_t* out, unsigned length, unsigned distance) {
  const std::uint8_t* from = out - distance;
  std::uint8_t* const end = out + length;
  if (distance >= 8) {
    do {
      std::memcpy(out, from, 8);
      out += 8;
      from += 8;
    } while (out < end);
  } else if (distance == 1) {
    std::memset(out, *from, length);
  } else {
    do
      *out++ = *from++;
    while (out < end);
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
    if (inEnd_ - in_ >= 8 && pos_ < limit && decodeFast(limit))
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

// Returns true when it decoded the block's end. Keeps the bit buffer filled to at least 56 bits
// with one unaligned 8-byte read per group; the bytes it read ahead are given back at the end.
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

  while (inEnd_ - in >= 8 && out < outLimit) {
    // Bits above bitCount may hold bytes already read; OR-ing the same bytes again is harmless.
    bits |= load64(in) << bitCount;
    in += (63 - bitCount) >> 3;
    bitCount |= 56;

    HuffmanEntry entry = litLen[bits & litLenMask];
    if (entryKind(entry) == kSubtableEntry)
      entry = litLen[entryValue(entry) + ((bits >> litLenBits) & lowBits(entryExtraBits(entry)))];
    if (entryKind(entry) == kLiteralEntry) {
      bits >>= entryLength(entry);
      bitCount -= entryLength(entry);
      *out++ = std::uint8_t(entryValue(entry));
      continue;
    }
    if (entryKind(entry) != kBaseEntry) {
      if (entryKind(entry) != kEndOfBlockEntry)
        fail(kInvalidLitLen);
      bits >>= entryLength(entry);
      bitCount -= entryLength(entry);
      endOfBlock = true;
      break;
    }
    bits >>= entryLength(entry);
    bitCount -= entryLength(entry);
    const unsigned length = entryValue(entry) + unsigned(bits & lowBits(entryExtraBits(entry)));
    bits >>= entryExtraBits(entry);
    bitCount -= entryExtraBits(entry);

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
