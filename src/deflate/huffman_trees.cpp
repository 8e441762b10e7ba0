// Heap-based Huffman construction with the overflow repair that folds codes longer than the
// limit back into it.
#include "deflate/huffman_trees.h"

#include <algorithm>
#include <iterator>

namespace larkspur::deflate {

void TTreeBuilder::sift_down(const TTreeNode* tree, int k) {
  const int v = heap_[k];
  int j = k << 1;
  while (j <= heap_len_) {
    if (j < heap_len_ && precedes(tree, heap_[j + 1], heap_[j]))
      ++j;
    if (precedes(tree, v, heap_[j]))
      break;
    heap_[k] = heap_[j];
    k = j;
    j <<= 1;
  }
  heap_[k] = v;
}

void TTreeBuilder::make_tree(TTreeDesc& desc) {
  TTreeNode* tree = desc.tree;
  int max_code = -1;
  heap_len_ = 0;
  heap_max_ = kHeapSize;
  for (int n = 0; n < desc.elems; ++n) {
    if (tree[n].freqCode != 0) {
      heap_[++heap_len_] = max_code = n;
      depth_[n] = 0;
    } else {
      tree[n].parentLen = 0;
    }
  }
  // Deflate needs at least two codes; unused symbols are forced in with frequency 1 and
  // their cost taken back, so the bit counts stay those of the real symbols.
  while (heap_len_ < 2) {
    const int added = heap_[++heap_len_] = (max_code < 2 ? ++max_code : 0);
    tree[added].freqCode = 1;
    depth_[added] = 0;
    --opt_bits;
    if (desc.fixedTree)
      static_bits -= desc.fixedTree[added].parentLen;
  }
  desc.max_code = max_code;
  for (int k = heap_len_ / 2; k >= 1; --k)
    sift_down(tree, k);

  int node = desc.elems;
  do {
    const int n = heap_[1];
    heap_[1] = heap_[heap_len_--];
    sift_down(tree, 1);
    const int m = heap_[1];
    heap_[--heap_max_] = n;
    heap_[--heap_max_] = m;
    tree[node].freqCode = std::uint16_t(tree[n].freqCode + tree[m].freqCode);
    depth_[node] = std::uint8_t(std::max(depth_[n], depth_[m]) + 1);
    tree[n].parentLen = tree[m].parentLen = std::uint16_t(node);
    heap_[1] = node++;
    sift_down(tree, 1);
  } while (heap_len_ >= 2);
  heap_[--heap_max_] = heap_[1];

  set_bit_lengths(desc);
  assign_codes(tree, max_code, length_count_);
}

void TTreeBuilder::set_bit_lengths(TTreeDesc& desc) {
  TTreeNode* tree = desc.tree;
  const int max_code = desc.max_code;
  const int maxLength = desc.maxLength;
  std::fill(std::begin(length_count_), std::end(length_count_), std::uint16_t(0));

  // Parents precede their children in the sorted top of the heap, so a node's length can
  // replace its parent link in place.
  tree[heap_[heap_max_]].parentLen = 0;
  int overflow = 0;
  for (int h = heap_max_ + 1; h < kHeapSize; ++h) {
    const int n = heap_[h];
    int bits = tree[tree[n].parentLen].parentLen + 1;
    if (bits > maxLength) {
      bits = maxLength;
      ++overflow;
    }
    tree[n].parentLen = std::uint16_t(bits);
    if (n > max_code)
      continue; // inner node
    ++length_count_[bits];
    const int xbits = n >= desc.extraBase ? desc.extraBits[n - desc.extraBase] : 0;
    const std::uint32_t f = tree[n].freqCode;
    opt_bits += f * std::uint32_t(bits + xbits);
    if (desc.fixedTree)
      static_bits += f * std::uint32_t(desc.fixedTree[n].parentLen + xbits);
  }
  if (overflow == 0)
    return;

  // Make room below the limit: move a leaf from the deepest non-full level down one level
  // (its sibling takes its place), which frees two slots at the limit for the overflow.
  do {
    int bits = maxLength - 1;
    while (length_count_[bits] == 0)
      --bits;
    --length_count_[bits];
    length_count_[bits + 1] += 2;
    --length_count_[maxLength];
    overflow -= 2;
  } while (overflow > 0);

  // Hand the new lengths out again, longest first, to the leaves in ascending frequency.
  int h = kHeapSize;
  for (int bits = maxLength; bits != 0; --bits) {
    int n = length_count_[bits];
    while (n != 0) {
      const int m = heap_[--h];
      if (m > max_code)
        continue;
      if (tree[m].parentLen != bits) {
        opt_bits += std::uint32_t(bits - tree[m].parentLen) * tree[m].freqCode;
        tree[m].parentLen = std::uint16_t(bits);
      }
      --n;
    }
  }
}

} // namespace larkspur::deflate
