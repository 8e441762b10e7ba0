// Block ends, form selection (whole stored entry, stored block, fixed or dynamic codes), the
// code-length description of the dynamic trees, and the coding of the recorded symbols.
#include "deflate/block_coder.h"

namespace larkspur::deflate {

namespace {

// The dynamic header's counts, each stored less its smallest value: HLIT (literal/length codes
// less 257), HDIST (distance codes less 1), HCLEN (code-length codes less 4).
constexpr int kHlitBits = 5;
constexpr int kHdistBits = 5;
constexpr int kHclenBits = 4;
constexpr int kHlitBase = 257;
constexpr int kHdistBase = 1;
constexpr int kHclenBase = 4;
// Every count the alphabets allow fits its field.
static_assert(kLitCodes - kHlitBase < (1 << kHlitBits));
static_assert(kDistCodes - kHdistBase < (1 << kHdistBits));
static_assert(kBlCodes - kHclenBase < (1 << kHclenBits));
// Bits of the dynamic header besides the code-length code's lengths.
constexpr std::uint32_t kDynamicHeaderBits = kHlitBits + kHdistBits + kHclenBits;
// Bits per code length of the code-length code.
constexpr int kBlLengthBits = 3;
// Block type bits: BFINAL plus two bits of BTYPE.
constexpr std::uint32_t kBlockTypeBits = 3;
constexpr unsigned kStoredBlock = 0;
constexpr unsigned kFixedBlock = 1;
constexpr unsigned kDynamicBlock = 2;
// LEN and NLEN of a stored block.
constexpr std::int64_t kStoredHeaderBytes = 4;

} // namespace

TBlockCoder::TBlockCoder(TDeflateBuffers& buffers, int packLevel, TBitOutput& out,
                         TDeflateResult& header)
    : buffers_(buffers), lit_buf_(buffers.lit_buf()), dist_buf_(buffers.dist_buf()),
      flag_bytes_(buffers.flag_bytes()), packLevel_(packLevel), out_(out),
      header_(header), lit_desc_{lit_tree_,
                                 kCodeTables.fixed_lit_tree,
                                 kExtraLengthBits.data(),
                                 kLiterals + 1,
                                 kLitCodes,
                                 kMaxBits,
                                 0},
      dist_desc_{
          dist_tree_, kCodeTables.fixed_dist_tree, kExtraDistBits.data(), 0, kDistCodes, kMaxBits,
          0},
      len_desc_{len_tree_, nullptr, kExtraBlBits.data(), 0, kBlCodes, kMaxBlBits, 0} {}

void TBlockCoder::ct_init() {
  compressed_bits_ = 0;
  out_.start_bits();
  reset_block();
}

void TBlockCoder::reset_block() {
  for (int n = 0; n < kLitCodes; ++n)
    lit_tree_[n].freqCode = 0;
  for (int n = 0; n < kDistCodes; ++n)
    dist_tree_[n].freqCode = 0;
  for (int n = 0; n < kBlCodes; ++n)
    len_tree_[n].freqCode = 0;
  lit_tree_[kEndBlock].freqCode = 1;
  builder_.opt_bits = builder_.static_bits = 0;
  lit_count_ = dist_count_ = flag_count_ = 0;
  cur_flags_ = 0;
  flag_bit_ = 1;
}

// Ends a block of mostly literals once its estimated size falls below half its input, so the
// next block can get trees of its own.
bool TBlockCoder::endsEarly(std::int32_t blockBytes) const {
  std::uint32_t estimate = lit_count_ * 8u;
  for (int c = 0; c < kDistCodes; ++c)
    estimate += dist_tree_[c].freqCode * (5u + kExtraDistBits[c]);
  estimate >>= 3;
  return dist_count_ < lit_count_ / 2 && std::int64_t(estimate) < blockBytes / 2;
}

void TBlockCoder::detect_text() {
  unsigned binary = 0;
  unsigned text = 0;
  int n = 0;
  for (; n < 7; ++n)
    binary += lit_tree_[n].freqCode;
  for (; n < 128; ++n)
    text += lit_tree_[n].freqCode;
  for (; n < kLiterals; ++n)
    binary += lit_tree_[n].freqCode;
  header_.internalAttributes = binary > (text >> 2) ? kBinaryData : kTextData;
}

// The run-length coding of code lengths, shared by the counting and the sending pass:
// calls emit(symbol, extra value, extra bits, repeat) for each code-length symbol, where
// repeat > 1 only for plain lengths repeated fewer times than a run symbol needs.
template <typename Emit>
static void walkLengthRuns(const TTreeNode* tree, int max_code, Emit emit) {
  int prevlen = -1;
  int nextlen = tree[0].parentLen;
  int count = 0;
  int max_count = 7;
  int min_count = 4;
  if (nextlen == 0)
    max_count = 138, min_count = 3;
  for (int n = 0; n <= max_code; ++n) {
    const int curlen = nextlen;
    nextlen = tree[n + 1].parentLen;
    if (++count < max_count && curlen == nextlen)
      continue;
    if (count < min_count) {
      emit(curlen, 0, 0, count);
    } else if (curlen != 0) {
      if (curlen != prevlen) {
        emit(curlen, 0, 0, 1);
        --count;
      }
      emit(kRepeat3To6, count - 3, 2, 1);
    } else if (count <= 10) {
      emit(kZeros3To10, count - 3, 3, 1);
    } else {
      emit(kZeros11To138, count - 11, 7, 1);
    }
    count = 0;
    prevlen = curlen;
    if (nextlen == 0)
      max_count = 138, min_count = 3;
    else if (curlen == nextlen)
      max_count = 6, min_count = 3;
    else
      max_count = 7, min_count = 4;
  }
}

void TBlockCoder::count_length_runs(TTreeNode* tree, int max_code) {
  tree[max_code + 1].parentLen = 0xFFFF; // end guard, also used by send_tree
  walkLengthRuns(tree, max_code, [this](int symbol, int, int, int repeat) {
    len_tree_[symbol].freqCode = std::uint16_t(len_tree_[symbol].freqCode + repeat);
  });
}

void TBlockCoder::send_tree(const TTreeNode* tree, int max_code) {
  walkLengthRuns(tree, max_code, [this](int symbol, int extra, int extraBits, int repeat) {
    for (int i = 0; i < repeat; ++i)
      send_code(len_tree_, unsigned(symbol));
    if (extraBits != 0)
      out_.send_bits(unsigned(extra), unsigned(extraBits));
  });
}

int TBlockCoder::make_length_tree() {
  count_length_runs(lit_tree_, lit_desc_.max_code);
  count_length_runs(dist_tree_, dist_desc_.max_code);
  builder_.make_tree(len_desc_);
  int max_blindex = kBlCodes - 1;
  for (; max_blindex >= 3; --max_blindex)
    if (len_tree_[kBlOrder[max_blindex]].parentLen != 0)
      break;
  builder_.opt_bits += kBlLengthBits * (max_blindex + 1) + kDynamicHeaderBits;
  return max_blindex;
}

void TBlockCoder::send_all_trees(int lcodes, int dcodes, int blcodes) {
  out_.send_bits(unsigned(lcodes - kHlitBase), kHlitBits);
  out_.send_bits(unsigned(dcodes - kHdistBase), kHdistBits);
  out_.send_bits(unsigned(blcodes - kHclenBase), kHclenBits);
  for (int rank = 0; rank < blcodes; ++rank)
    out_.send_bits(len_tree_[kBlOrder[rank]].parentLen, kBlLengthBits);
  send_tree(lit_tree_, lcodes - 1);
  send_tree(dist_tree_, dcodes - 1);
}

void TBlockCoder::compress_block(const TTreeNode* ltree, const TTreeNode* dtree) {
  std::uint64_t bits;
  unsigned count;
  out_.take_bits(bits, count);
  const auto send = [&](unsigned value, unsigned length) {
    out_.append(bits, count, value, length);
  };
  const auto sendCode = [&](const TTreeNode* tree, unsigned symbol) {
    send(tree[symbol].freqCode, tree[symbol].parentLen);
  };
  unsigned dx = 0;
  unsigned flags = 0;
  for (unsigned lx = 0; lx < lit_count_; ++lx) {
    if ((lx & 7) == 0)
      flags = flag_bytes_[lx >> 3];
    const unsigned lc = lit_buf_[lx];
    if ((flags & 1) == 0) {
      sendCode(ltree, lc);
    } else {
      unsigned code = kCodeTables.length_code[lc];
      sendCode(ltree, code + kLiterals + 1);
      if (const unsigned extra = kExtraLengthBits[code]; extra != 0)
        send(lc - unsigned(kCodeTables.base_length[code]), extra);
      const unsigned dist = dist_buf_[dx++];
      code = d_code(dist);
      sendCode(dtree, code);
      if (const unsigned extra = kExtraDistBits[code]; extra != 0)
        send(dist - unsigned(kCodeTables.base_dist[code]), extra);
    }
    flags >>= 1;
  }
  sendCode(ltree, kEndBlock);
  out_.give_bits(bits, count);
}

std::uint64_t TBlockCoder::emit_block(const std::uint8_t* data, std::int32_t stored_len,
                                      bool last) {
  flag_bytes_[flag_count_] = cur_flags_;
  if (header_.internalAttributes == kUnknownData)
    detect_text();

  builder_.make_tree(lit_desc_);
  builder_.make_tree(dist_desc_);
  const int max_blindex = make_length_tree();

  std::uint32_t opt_bytes = (builder_.opt_bits + kBlockTypeBits + 7) >> 3;
  const std::uint32_t static_bytes = (builder_.static_bits + kBlockTypeBits + 7) >> 3;
  if (static_bytes <= opt_bytes)
    opt_bytes = static_bytes;
  const std::int64_t best = std::int32_t(opt_bytes);
  const unsigned lastBit = last ? 1 : 0;

  if (stored_len <= best && last && compressed_bits_ == 0 && data != nullptr) {
    // The whole entry in one block that does not shrink: its data is the input itself.
    out_.copy_stored(data, unsigned(stored_len), false);
    compressed_bits_ = std::uint64_t(stored_len) << 3;
    header_.method = kMethodStored;
  } else if (stored_len + kStoredHeaderBytes <= best && data != nullptr) {
    out_.send_bits((kStoredBlock << 1) + lastBit, kBlockTypeBits);
    compressed_bits_ = (compressed_bits_ + kBlockTypeBits + 7) & ~std::uint64_t(7);
    compressed_bits_ += std::uint64_t(stored_len + kStoredHeaderBytes) << 3;
    out_.copy_stored(data, unsigned(stored_len), true);
  } else if (static_bytes == opt_bytes) {
    out_.send_bits((kFixedBlock << 1) + lastBit, kBlockTypeBits);
    compress_block(kCodeTables.fixed_lit_tree, kCodeTables.fixed_dist_tree);
    compressed_bits_ += kBlockTypeBits + builder_.static_bits;
  } else {
    out_.send_bits((kDynamicBlock << 1) + lastBit, kBlockTypeBits);
    send_all_trees(lit_desc_.max_code + 1, dist_desc_.max_code + 1, max_blindex + 1);
    compress_block(lit_tree_, dist_tree_);
    compressed_bits_ += kBlockTypeBits + builder_.opt_bits;
  }
  reset_block();

  if (last) {
    // Later entries of the operation then start from a window that is zero behind their
    // input, so their output does not depend on the entries before them.
    buffers_.clearWindow();
    out_.align_bits();
    compressed_bits_ += 7;
  }
  return compressed_bits_ >> 3;
}

} // namespace larkspur::deflate
