// Huffman tree nodes and descriptors, and the construction of a length-limited code from
// symbol frequencies. Ties between equal frequencies go to the shallower subtree, which is
// part of what makes the output byte-exact.
#pragma once

#include <cstdint>

namespace larkspur::deflate {

// Literal/length symbols: 256 literals, end of block, 29 length codes.
inline constexpr int kLiterals = 256;
inline constexpr int kEndBlock = 256;
inline constexpr int kLengthCodes = 29;
inline constexpr int kLitCodes = kLiterals + 1 + kLengthCodes;
inline constexpr int kDistCodes = 30;
// Code-length alphabet: lengths 0-15 and the three repeat symbols.
inline constexpr int kBlCodes = 19;
inline constexpr int kRepeat3To6 = 16;
inline constexpr int kZeros3To10 = 17;
inline constexpr int kZeros11To138 = 18;
// Longest code of the literal/length and distance codes, and of the code-length code.
inline constexpr int kMaxBits = 15;
inline constexpr int kMaxBlBits = 7;
// Nodes of a tree over n symbols: the n leaves and n - 1 inner nodes, plus the end guard that
// the code-length scan writes behind the last used symbol.
inline constexpr int kHeapSize = 2 * kLitCodes + 1;
inline constexpr int kLitTreeSize = kHeapSize;
inline constexpr int kDistTreeSize = 2 * kDistCodes + 1;
inline constexpr int kBlTreeSize = 2 * kBlCodes + 1;

static_assert(kLitCodes == 286 && kHeapSize == 573);

struct TTreeNode {
  std::uint16_t freqCode;  // frequency while counting and building; bit-reversed code after
  std::uint16_t parentLen; // parent node while building; code length after
};

// What make_tree needs to know about one of the three trees of a block.
struct TTreeDesc {
  TTreeNode* tree;
  const TTreeNode* fixedTree; // the fixed code of RFC 1951, or null for the code-length tree
  const std::uint8_t* extraBits;
  int extraBase; // first symbol with extra bits
  int elems;     // number of symbols
  int maxLength; // longest code allowed
  int max_code;  // largest symbol with a non-zero frequency, set by make_tree
};

// The lowest `length` bits of `value` in reverse order (Huffman codes go out first bit first).
constexpr unsigned reverse_bits(unsigned value, int length) {
  unsigned result = 0;
  for (int i = 0; i < length; ++i) {
    result = (result << 1) | (value & 1);
    value >>= 1;
  }
  return result;
}

// Canonical codes from the code lengths of symbols 0 to max_code, given the number of codes
// per length.
constexpr void assign_codes(TTreeNode* tree, int max_code, const std::uint16_t* length_count) {
  std::uint16_t next[kMaxBits + 1] = {};
  unsigned code = 0;
  for (int bits = 1; bits <= kMaxBits; ++bits) {
    code = (code + length_count[bits - 1]) << 1;
    next[bits] = std::uint16_t(code);
  }
  for (int n = 0; n <= max_code; ++n) {
    const int len = tree[n].parentLen;
    if (len != 0)
      tree[n].freqCode = std::uint16_t(reverse_bits(next[len]++, len));
  }
}

// Scratch for building one tree at a time, and the block's running bit counts.
class TTreeBuilder {
public:
  // Builds the code of desc.tree from its frequencies and adds its cost to opt_bits and,
  // for trees with a fixed counterpart, to static_bits.
  void make_tree(TTreeDesc& desc);

  // Bits of the block coded with the dynamic trees / the fixed trees (without block header).
  std::uint32_t opt_bits = 0;
  std::uint32_t static_bits = 0;

private:
  bool precedes(const TTreeNode* tree, int n, int m) const {
    return tree[n].freqCode < tree[m].freqCode ||
           (tree[n].freqCode == tree[m].freqCode && depth_[n] <= depth_[m]);
  }
  void sift_down(const TTreeNode* tree, int k);
  void set_bit_lengths(TTreeDesc& desc);

  int heap_[kHeapSize];
  int heap_len_ = 0;
  int heap_max_ = 0;
  std::uint8_t depth_[kHeapSize];
  std::uint16_t length_count_[kMaxBits + 1];
};

} // namespace larkspur::deflate
