// Decoding tables for one canonical Huffman code: a primary table indexed by the next bits of the
// stream, with subtables for the longer codes, built from a list of code lengths.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace larkspur::inflate {

// One table entry, packed so the decoder's inner loop needs a shift and a mask per field:
// bits 0-7 the code's full length, 8-11 the extra bits that follow it (for a subtable pointer:
// the subtable's index bits), 12-15 the kind, 16-31 the value.
using HuffmanEntry = std::uint32_t;

enum EntryKind : unsigned {
  kLiteralEntry = 0,    // value: the byte (or, in the code-length code, the symbol)
  kBaseEntry = 1,       // value: a length or distance base, plus extra bits
  kEndOfBlockEntry = 2, // symbol 256
  kSubtableEntry = 3,   // value: where the subtable starts
  kInvalidEntry = 4,    // a symbol or bit pattern no valid stream uses
};

constexpr unsigned entryLength(HuffmanEntry e) {
  return e & 0xFF;
}
constexpr unsigned entryExtraBits(HuffmanEntry e) {
  return (e >> 8) & 0xF;
}
constexpr unsigned entryKind(HuffmanEntry e) {
  return (e >> 12) & 0xF;
}
constexpr unsigned entryValue(HuffmanEntry e) {
  return e >> 16;
}
constexpr HuffmanEntry makeEntry(unsigned kind, unsigned value, unsigned extraBits,
                                 unsigned length) {
  return HuffmanEntry(value << 16 | kind << 12 | extraBits << 8 | length);
}

// Which alphabet a table decodes; it decides the entries and which incomplete codes are allowed.
enum class Alphabet { LiteralLength, Distance, CodeLength };

class HuffmanTable {
public:
  // `primaryBits`: the bits the first lookup uses; codes up to that length need one lookup.
  HuffmanTable(Alphabet alphabet, unsigned primaryBits);

  // Replaces the code with the one the lengths (one per symbol, 0 = unused) describe. Throws
  // EInflateError for an over-subscribed code, and for an incomplete one except the single
  // one-bit code (and, for distances, no code at all) that streams legitimately contain.
  void build(std::span<const std::uint8_t> lengths);

  unsigned primaryBits() const { return primaryBits_; }
  const HuffmanEntry* entries() const { return entries_.data(); }

private:
  HuffmanEntry symbolEntry(unsigned symbol, unsigned length) const;

  Alphabet alphabet_;
  unsigned primaryBits_;
  std::vector<HuffmanEntry> entries_;
  std::vector<std::uint16_t> sorted_;     // symbols by code length, then by value
  std::vector<std::uint8_t> longestCode_; // per primary index: its longest code (subtable size)
};

} // namespace larkspur::inflate
