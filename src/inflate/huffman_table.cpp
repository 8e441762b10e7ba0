// Canonical code assignment (RFC 1951 3.2.2) and the two-level table fill.
#include "inflate/huffman_table.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <string>

#include "inflate/inflate_error.h"
#include "inflate/inflate_symbols.h"

namespace larkspur::inflate {
namespace {

unsigned alphabetSize(Alphabet alphabet) {
  switch (alphabet) {
  case Alphabet::LiteralLength:
    return kFixedLitLenSymbols;
  case Alphabet::Distance:
    return kFixedDistanceSymbols;
  case Alphabet::CodeLength:
    return kCodeLengthSymbols;
  }
  return 0;
}

const char* codeName(Alphabet alphabet) {
  switch (alphabet) {
  case Alphabet::LiteralLength:
    return "literal/length";
  case Alphabet::Distance:
    return "distance";
  case Alphabet::CodeLength:
    return "code length";
  }
  return "";
}

// Deflate sends codes most significant bit first; the bit buffer holds them least significant
// bit first, so tables are indexed by the reversed code.
unsigned reverseBits(unsigned code, unsigned length) {
  unsigned reversed = 0;
  for (unsigned i = 0; i < length; ++i, code >>= 1)
    reversed = (reversed << 1) | (code & 1);
  return reversed;
}

// A pattern no code uses: one bit is enough to tell, since only codes with no symbols or a single
// one-bit code are allowed to leave patterns unused.
constexpr HuffmanEntry kUnusedPattern = makeEntry(kInvalidEntry, 0, 0, 1);

} // namespace

HuffmanTable::HuffmanTable(Alphabet alphabet, unsigned primaryBits)
    : alphabet_(alphabet), primaryBits_(primaryBits),
      // Every subtable holds at least one code of its own, so there are at most as many
      // subtables as symbols, each at most 2^(15 - primaryBits) entries.
      entries_((std::size_t(1) << primaryBits) +
               (std::size_t(alphabetSize(alphabet)) << (kMaxCodeLength - primaryBits))),
      sorted_(alphabetSize(alphabet)), longestCode_(std::size_t(1) << primaryBits) {
  assert(primaryBits >= 1 && primaryBits <= kMaxCodeLength);
}

HuffmanEntry HuffmanTable::symbolEntry(unsigned symbol, unsigned length) const {
  switch (alphabet_) {
  case Alphabet::CodeLength:
    return makeEntry(kLiteralEntry, symbol, 0, length);
  case Alphabet::LiteralLength:
    if (symbol < kEndOfBlock)
      return makeEntry(kLiteralEntry, symbol, 0, length);
    if (symbol == kEndOfBlock)
      return makeEntry(kEndOfBlockEntry, 0, 0, length);
    if (symbol < kMaxLitLenSymbols) {
      const SymbolMeaning m = kLengthSymbols[symbol - kFirstLengthSymbol];
      return makeEntry(kBaseEntry, m.base, m.extraBits, length);
    }
    return makeEntry(kInvalidEntry, symbol, 0, length);
  case Alphabet::Distance:
    if (symbol < kMaxDistanceSymbols) {
      const SymbolMeaning m = kDistanceSymbols[symbol];
      return makeEntry(kBaseEntry, m.base, m.extraBits, length);
    }
    return makeEntry(kInvalidEntry, symbol, 0, length);
  }
  return kUnusedPattern;
}

void HuffmanTable::build(std::span<const std::uint8_t> lengths) {
  assert(lengths.size() <= sorted_.size());
  std::array<unsigned, kMaxCodeLength + 1> count{};
  for (const std::uint8_t length : lengths)
    ++count[length];
  count[0] = 0;

  // Kraft sum: more codes than the lengths allow cannot be decoded unambiguously.
  int left = 1;
  unsigned longest = 0;
  for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
    left = (left << 1) - int(count[length]);
    if (left < 0)
      throw EInflateError(std::string("Corrupt compressed data: over-subscribed ") +
                          codeName(alphabet_) + " code");
    if (count[length] != 0)
      longest = length;
  }
  if (left > 0) {
    // Encoders legitimately emit a lone one-bit code, and a block without matches may have no
    // distance code at all; anything else incomplete (and any code-length code) is damage.
    const bool loneOneBitCode = longest == 1 && alphabet_ != Alphabet::CodeLength;
    const bool noDistances = longest == 0 && alphabet_ == Alphabet::Distance;
    if (!loneOneBitCode && !noDistances)
      throw EInflateError(std::string("Corrupt compressed data: incomplete ") +
                          codeName(alphabet_) + " code");
  }

  // Symbols in canonical order: by length, then by value.
  std::array<unsigned, kMaxCodeLength + 2> offset{};
  for (unsigned length = 1; length <= kMaxCodeLength; ++length)
    offset[length + 1] = offset[length] + count[length];
  for (unsigned symbol = 0; symbol < lengths.size(); ++symbol)
    if (lengths[symbol] != 0)
      sorted_[offset[lengths[symbol]]++] = std::uint16_t(symbol);
  const unsigned used = offset[kMaxCodeLength];

  const unsigned primarySize = 1u << primaryBits_;
  for (unsigned i = 0; i < primarySize; ++i)
    entries_[i] = kUnusedPattern;
  std::fill(longestCode_.begin(), longestCode_.end(), std::uint8_t(0));

  // First pass: the longest code behind each primary index sizes its subtable.
  std::array<unsigned, kMaxCodeLength + 1> nextCode{};
  unsigned code = 0;
  for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
    code = (code + count[length - 1]) << 1;
    nextCode[length] = code;
  }
  std::array<unsigned, kMaxCodeLength + 1> firstCode = nextCode;
  for (unsigned i = 0; i < used; ++i) {
    const unsigned length = lengths[sorted_[i]];
    if (length <= primaryBits_)
      continue;
    const unsigned prefix = reverseBits(nextCode[length]++, length) & (primarySize - 1);
    longestCode_[prefix] = std::uint8_t(length);
  }

  // Second pass: fill every index whose low bits are the reversed code.
  nextCode = firstCode;
  std::size_t subtableEnd = primarySize;
  for (unsigned i = 0; i < used; ++i) {
    const unsigned symbol = sorted_[i];
    const unsigned length = lengths[symbol];
    const unsigned reversed = reverseBits(nextCode[length]++, length);
    const HuffmanEntry entry = symbolEntry(symbol, length);
    if (length <= primaryBits_) {
      for (unsigned index = reversed; index < primarySize; index += 1u << length)
        entries_[index] = entry;
      continue;
    }
    const unsigned prefix = reversed & (primarySize - 1);
    const unsigned subBits = longestCode_[prefix] - primaryBits_;
    if (entryKind(entries_[prefix]) != kSubtableEntry) {
      assert(subtableEnd + (std::size_t(1) << subBits) <= entries_.size());
      entries_[prefix] = makeEntry(kSubtableEntry, unsigned(subtableEnd), subBits, primaryBits_);
      subtableEnd += std::size_t(1) << subBits;
    }
    const unsigned start = entryValue(entries_[prefix]);
    for (unsigned index = reversed >> primaryBits_; index < (1u << subBits);
         index += 1u << (length - primaryBits_))
      entries_[start + index] = entry;
  }
}

} // namespace larkspur::inflate
