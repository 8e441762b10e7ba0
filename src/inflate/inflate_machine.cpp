// Block structure of a Deflate stream: block headers, stored blocks, the dynamic header's code
// lengths, and handing decoded output from the window to the caller.
#include "inflate/inflate_machine.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>

namespace larkspur::inflate {
namespace {

[[noreturn]] void fail(const char* what) {
  throw EInflateError(std::string("Corrupt compressed data: ") + what);
}

std::array<std::uint8_t, kFixedLitLenSymbols> fixedLitLenLengths() {
  std::array<std::uint8_t, kFixedLitLenSymbols> lengths{};
  for (unsigned symbol = 0; symbol < kFixedLitLenSymbols; ++symbol)
    lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
  return lengths;
}

} // namespace

InflateMachine::InflateMachine()
    : window_(kBufferEnd + kCopySlack),
      codeLengthTable_(Alphabet::CodeLength, kMaxCodeLengthCodeLength),
      dynamicLitLen_(Alphabet::LiteralLength, kLitLenPrimaryBits),
      dynamicDistance_(Alphabet::Distance, kDistancePrimaryBits),
      fixedLitLen_(Alphabet::LiteralLength, kLitLenPrimaryBits),
      fixedDistance_(Alphabet::Distance, kDistancePrimaryBits) {
  fixedLitLen_.build(fixedLitLenLengths());
  std::array<std::uint8_t, kFixedDistanceSymbols> distanceLengths;
  distanceLengths.fill(5);
  fixedDistance_.build(distanceLengths);
}

void InflateMachine::reset() {
  phase_ = Phase::BlockHeader;
  finalBlock_ = false;
  bits_ = 0;
  bitCount_ = 0;
  pos_ = 0;
  flushed_ = 0;
}

InflateStep InflateMachine::run(std::span<const std::uint8_t> in, std::span<std::uint8_t> out,
                                bool inputEnds) {
  if (phase_ == Phase::Failed)
    throw EInflateError("Corrupt compressed data: decoding already failed");
  in_ = in.data();
  inEnd_ = in.data() + in.size();
  std::size_t produced = 0;
  try {
    for (;;) {
      const std::size_t n = std::min(pos_ - flushed_, out.size() - produced);
      if (n != 0)
        std::memcpy(out.data() + produced, window_.data() + flushed_, n);
      produced += n;
      flushed_ += n;
      if (flushed_ != pos_ || phase_ == Phase::Done)
        break;
      if (pos_ >= kBufferEnd - kMaxMatch)
        slide();
      const std::size_t room = out.size() - produced;
      const std::size_t limit = std::min(pos_ + room, kBufferEnd - kMaxMatch);
      const Progress progress = decode(limit);
      if (progress == Progress::NeedInput && inputEnds)
        fail("the stream ends before its last block");
      // Decoded output still waits in the window: hand it over before returning.
      if (progress == Progress::NeedInput || (progress == Progress::OutputFull && room == 0)) {
        const std::size_t rest = std::min(pos_ - flushed_, out.size() - produced);
        if (rest != 0)
          std::memcpy(out.data() + produced, window_.data() + flushed_, rest);
        produced += rest;
        flushed_ += rest;
        break;
      }
    }
  } catch (...) {
    phase_ = Phase::Failed;
    throw;
  }
  return {std::size_t(in_ - in.data()), produced, phase_ == Phase::Done && flushed_ == pos_};
}

void InflateMachine::slide() {
  assert(flushed_ == pos_ && pos_ >= kWindowSize);
  std::memmove(window_.data(), window_.data() + pos_ - kWindowSize, kWindowSize);
  pos_ = flushed_ = kWindowSize;
}

InflateMachine::Progress InflateMachine::decode(std::size_t limit) {
  for (;;) {
    switch (phase_) {
    case Phase::BlockHeader: {
      if (!need(3))
        return Progress::NeedInput;
      finalBlock_ = take(1) != 0;
      switch (take(2)) {
      case 0:
        take(bitCount_ % 8); // stored data starts at a byte boundary
        phase_ = Phase::StoredLengths;
        break;
      case 1:
        litLen_ = &fixedLitLen_;
        distance_ = &fixedDistance_;
        phase_ = Phase::Data;
        break;
      case 2:
        phase_ = Phase::DynamicCounts;
        break;
      default:
        fail("invalid block type");
      }
      break;
    }
    case Phase::StoredLengths: {
      if (!need(32))
        return Progress::NeedInput;
      const unsigned length = take(16);
      const unsigned complement = take(16);
      if (length != (~complement & 0xFFFF))
        fail("stored block length does not match its complement");
      storedLeft_ = length;
      phase_ = Phase::StoredCopy;
      break;
    }
    case Phase::StoredCopy: {
      const Progress progress = copyStored(limit);
      if (phase_ == Phase::StoredCopy)
        return progress;
      break;
    }
    case Phase::DynamicCounts:
      if (!need(14))
        return Progress::NeedInput;
      litLenCount_ = take(5) + kFirstLengthSymbol;
      distanceCount_ = take(5) + 1;
      codeLengthCount_ = take(4) + 4;
      if (litLenCount_ > kMaxLitLenSymbols || distanceCount_ > kMaxDistanceSymbols)
        fail("too many length or distance codes");
      codeLengthLengths_.fill(0);
      lengthIndex_ = 0;
      phase_ = Phase::CodeLengthLengths;
      break;
    case Phase::CodeLengthLengths:
      for (; lengthIndex_ < codeLengthCount_; ++lengthIndex_) {
        if (!need(3))
          return Progress::NeedInput;
        codeLengthLengths_[kCodeLengthOrder[lengthIndex_]] = std::uint8_t(take(3));
      }
      codeLengthTable_.build(codeLengthLengths_);
      lengthIndex_ = 0;
      phase_ = Phase::CodeLengths;
      break;
    case Phase::CodeLengths:
      if (readCodeLengths() == Progress::NeedInput)
        return Progress::NeedInput;
      buildDynamicTables();
      phase_ = Phase::Data;
      break;
    case Phase::Data: {
      const Progress progress = decodeData(limit);
      if (phase_ == Phase::Data)
        return progress;
      break;
    }
    case Phase::Done:
      return Progress::Done;
    case Phase::Failed:
      fail("decoding already failed");
    }
  }
}

InflateMachine::Progress InflateMachine::copyStored(std::size_t limit) {
  // Whole bytes still in the bit buffer come first (the header's lengths were read through it).
  while (storedLeft_ != 0 && bitCount_ >= 8 && pos_ < limit) {
    window_[pos_++] = std::uint8_t(take(8));
    --storedLeft_;
  }
  const std::size_t n = std::min<std::size_t>(
      {storedLeft_, limit - std::min(limit, pos_), std::size_t(inEnd_ - in_)});
  if (n != 0) {
    assert(bitCount_ == 0);
    std::memcpy(window_.data() + pos_, in_, n);
    in_ += n;
    pos_ += n;
    storedLeft_ -= unsigned(n);
  }
  if (storedLeft_ == 0) {
    phase_ = finalBlock_ ? Phase::Done : Phase::BlockHeader;
    return Progress::Done;
  }
  return pos_ >= limit ? Progress::OutputFull : Progress::NeedInput;
}

InflateMachine::Progress InflateMachine::readCodeLengths() {
  const unsigned total = litLenCount_ + distanceCount_;
  while (lengthIndex_ < total) {
    HuffmanEntry entry;
    if (!peekCode(codeLengthTable_, 0, entry))
      return Progress::NeedInput;
    const unsigned symbol = entryValue(entry);
    const unsigned codeBits = entryLength(entry);
    if (symbol < 16) {
      take(codeBits);
      lengths_[lengthIndex_++] = std::uint8_t(symbol);
      continue;
    }
    // 16: repeat the previous length 3-6 times; 17: 3-10 zeros; 18: 11-138 zeros.
    const unsigned extraBits = symbol == 16 ? 2 : symbol == 17 ? 3 : 7;
    const unsigned minimum = symbol == 18 ? 11 : 3;
    if (!need(codeBits + extraBits))
      return Progress::NeedInput;
    take(codeBits);
    const unsigned repeat = minimum + take(extraBits);
    std::uint8_t value = 0;
    if (symbol == 16) {
      if (lengthIndex_ == 0)
        fail("code length repeat with no previous length");
      value = lengths_[lengthIndex_ - 1];
    }
    if (repeat > total - lengthIndex_)
      fail("code length repeat past the end of the lengths");
    std::fill_n(lengths_.begin() + lengthIndex_, repeat, value);
    lengthIndex_ += repeat;
  }
  return Progress::Done;
}

void InflateMachine::buildDynamicTables() {
  if (lengths_[kEndOfBlock] == 0)
    fail("block has no end-of-block code");
  dynamicLitLen_.build(std::span(lengths_.data(), litLenCount_));
  dynamicDistance_.build(std::span(lengths_.data() + litLenCount_, distanceCount_));
  litLen_ = &dynamicLitLen_;
  distance_ = &dynamicDistance_;
}

bool InflateMachine::peekCode(const HuffmanTable& table, unsigned skip, HuffmanEntry& entry) {
  const unsigned primaryBits = table.primaryBits();
  const std::uint64_t primaryMask = (std::uint64_t(1) << primaryBits) - 1;
  for (;;) {
    const std::uint64_t bits = bits_ >> skip;
    const unsigned available = bitCount_ - skip;
    entry = table.entries()[bits & primaryMask];
    if (entryKind(entry) == kSubtableEntry) {
      if (available >= primaryBits) {
        const std::uint64_t subMask = (std::uint64_t(1) << entryExtraBits(entry)) - 1;
        entry = table.entries()[entryValue(entry) + ((bits >> primaryBits) & subMask)];
        if (entryLength(entry) <= available)
          return true;
      }
    } else if (entryLength(entry) <= available) {
      return true;
    }
    // Too few bits to tell which code comes next (a group needs at most 48, so room remains).
    if (!pullByte())
      return false;
  }
}

} // namespace larkspur::inflate
