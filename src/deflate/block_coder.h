// Collects the symbols of the current block, decides when the block ends, and writes it in
// the cheapest of the stored, fixed and dynamic forms; it also classifies the entry as text
// or binary and turns an entry that does not shrink into a stored one.
#pragma once

#include <cstdint>

#include "deflate/bit_output.h"
#include "deflate/code_tables.h"
#include "deflate/deflate.h"
#include "deflate/deflate_constants.h"
#include "deflate/huffman_trees.h"

namespace larkspur::deflate {

// A block may end early at every multiple of this many symbols (levels 3 to 9).
inline constexpr unsigned kEarlyEndInterval = 4096;
// Levels up to this one end blocks only when the symbol buffer is full.
inline constexpr int kLastLevelWithoutEarlyEnd = 2;

class TBlockCoder {
public:
  TBlockCoder(TDeflateBuffers& buffers, int packLevel, TBitOutput& out, TDeflateResult& header);

  // Start of an entry: empty bit buffer, no bits written, empty block.
  void ct_init();

  // Records a literal (dist 0, lc = the byte) or a match (dist 1 to 32506, lc = length - 3).
  // `blockBytes` is the input the block covers so far. Returns true when the block should end.
  bool ct_tally(unsigned dist, unsigned lc, std::int32_t blockBytes) {
    lit_buf_[lit_count_++] = std::uint8_t(lc);
    if (dist == 0) {
      ++lit_tree_[lc].freqCode;
    } else {
      --dist;
      ++lit_tree_[kCodeTables.length_code[lc] + kLiterals + 1].freqCode;
      ++dist_tree_[d_code(dist)].freqCode;
      dist_buf_[dist_count_++] = std::uint16_t(dist);
      cur_flags_ |= flag_bit_;
    }
    flag_bit_ = std::uint8_t(flag_bit_ << 1);
    if ((lit_count_ & 7) == 0) {
      flag_bytes_[flag_count_++] = cur_flags_;
      cur_flags_ = 0;
      flag_bit_ = 1;
    }
    if (packLevel_ > kLastLevelWithoutEarlyEnd && lit_count_ % kEarlyEndInterval == 0 &&
        endsEarly(blockBytes))
      return true;
    return lit_count_ == kMaxBlockSymbols;
  }

  // Ends the block over `stored_len` input bytes (`data` is null when they have left the
  // window) and writes it; `last` also finishes the entry. Returns the entry's compressed
  // bytes so far.
  std::uint64_t emit_block(const std::uint8_t* data, std::int32_t stored_len, bool last);

private:
  void reset_block();
  bool endsEarly(std::int32_t blockBytes) const;
  void detect_text();
  void count_length_runs(TTreeNode* tree, int max_code);
  void send_tree(const TTreeNode* tree, int max_code);
  int make_length_tree();
  void send_all_trees(int lcodes, int dcodes, int blcodes);
  void compress_block(const TTreeNode* ltree, const TTreeNode* dtree);
  void send_code(const TTreeNode* tree, unsigned symbol) {
    out_.send_bits(tree[symbol].freqCode, tree[symbol].parentLen);
  }

  TDeflateBuffers& buffers_;
  std::uint8_t* lit_buf_;
  std::uint16_t* dist_buf_;
  std::uint8_t* flag_bytes_;
  int packLevel_;
  TBitOutput& out_;
  TDeflateResult& header_;

  TTreeNode lit_tree_[kLitTreeSize];
  TTreeNode dist_tree_[kDistTreeSize];
  TTreeNode len_tree_[kBlTreeSize];
  TTreeDesc lit_desc_;
  TTreeDesc dist_desc_;
  TTreeDesc len_desc_;
  TTreeBuilder builder_;

  unsigned lit_count_ = 0;
  unsigned dist_count_ = 0;
  unsigned flag_count_ = 0;
  std::uint8_t cur_flags_ = 0;
  std::uint8_t flag_bit_ = 1;
  // Wider than the 29 bits a 512 MiB entry needs, so every entry gets its true size.
  std::uint64_t compressed_bits_ = 0;
};

} // namespace larkspur::deflate
