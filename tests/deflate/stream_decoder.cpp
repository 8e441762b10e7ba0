// The test inflater: canonical Huffman decoding bit by bit, which is slow but plain.
#include "deflate/stream_decoder.h"

#include <array>
#include <string>

namespace larkspur::deflate::test {

namespace {

constexpr int kMaxCodeBits = 15;

class BitReader {
public:
  explicit BitReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  unsigned bit() {
    if (pos_ >= bytes_.size() * 8)
      throw EBadStream("stream ends early");
    const unsigned b = (bytes_[pos_ >> 3] >> (pos_ & 7)) & 1;
    ++pos_;
    return b;
  }
  unsigned bits(int n) {
    unsigned v = 0;
    for (int i = 0; i < n; ++i)
      v |= bit() << i;
    return v;
  }
  void alignToByte() {
    while (pos_ & 7) {
      if (bit() != 0)
        throw EBadStream("non-zero padding");
    }
  }
  std::size_t position() const { return pos_; }

private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t pos_ = 0;
};

// Canonical code: symbols sorted by length, first code per length.
class Huffman {
public:
  Huffman(const std::vector<int>& lengths, bool allowIncomplete) {
    counts_.fill(0);
    for (int len : lengths) {
      if (len < 0 || len > kMaxCodeBits)
        throw EBadStream("bad code length");
      ++counts_[len];
    }
    counts_[0] = 0;
    int left = 1;
    int used = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
      left <<= 1;
      left -= counts_[len];
      used += counts_[len];
      if (left < 0)
        throw EBadStream("over-subscribed code");
    }
    // The fixed distance code is incomplete by design; a single used code is too.
    if (left > 0 && !allowIncomplete && used > 1)
      throw EBadStream("incomplete code");
    std::array<int, kMaxCodeBits + 2> offsets{};
    for (int len = 1; len <= kMaxCodeBits; ++len)
      offsets[len + 1] = offsets[len] + counts_[len];
    symbols_.assign(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s] != 0)
        symbols_[offsets[lengths[s]]++] = int(s);
  }

  int decode(BitReader& in) const {
    int code = 0;
    int first = 0;
    int index = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
      code |= int(in.bit());
      const int count = counts_[len];
      if (code - count < first)
        return symbols_[index + (code - first)];
      index += count;
      first += count;
      first <<= 1;
      code <<= 1;
    }
    throw EBadStream("invalid code");
  }

private:
  std::array<int, kMaxCodeBits + 1> counts_{};
  std::vector<int> symbols_;
};

constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                             15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                             67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::array<int, 19> kOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                        11, 4,  12, 3, 13, 2, 14, 1, 15};

void decodeSymbols(BitReader& in, const Huffman& lit, const Huffman& dist, TDecodedBlock& block,
                   std::vector<std::uint8_t>& out) {
  for (;;) {
    const int sym = lit.decode(in);
    if (sym < 256) {
      out.push_back(std::uint8_t(sym));
      block.symbols.push_back(literal(sym));
      continue;
    }
    if (sym == 256)
      return;
    if (sym > 285)
      throw EBadStream("bad length symbol");
    const int length = kLengthBase[sym - 257] + int(in.bits(kLengthExtra[sym - 257]));
    const int dsym = dist.decode(in);
    if (dsym > 29)
      throw EBadStream("bad distance symbol");
    const int distance = kDistBase[dsym] + int(in.bits(kDistExtra[dsym]));
    if (distance > int(out.size()))
      throw EBadStream("distance too far back");
    for (int i = 0; i < length; ++i)
      out.push_back(out[out.size() - distance]);
    block.symbols.push_back(match(length, distance));
  }
}

void readDynamicTrees(BitReader& in, TDecodedBlock& block) {
  const int hlit = int(in.bits(5)) + 257;
  const int hdist = int(in.bits(5)) + 1;
  const int hclen = int(in.bits(4)) + 4;
  if (hlit > 286 || hdist > 30)
    throw EBadStream("too many codes");
  block.codeLengthLengths.assign(19, 0);
  for (int i = 0; i < hclen; ++i)
    block.codeLengthLengths[kOrder[i]] = int(in.bits(3));
  const Huffman lengthCode(block.codeLengthLengths, false);
  std::vector<int> lengths;
  while (int(lengths.size()) < hlit + hdist) {
    const int sym = lengthCode.decode(in);
    if (sym < 16) {
      lengths.push_back(sym);
    } else if (sym == 16) {
      if (lengths.empty())
        throw EBadStream("repeat without a length");
      const int count = 3 + int(in.bits(2));
      lengths.insert(lengths.end(), count, lengths.back());
    } else {
      const int count = sym == 17 ? 3 + int(in.bits(3)) : 11 + int(in.bits(7));
      if (sym == 18)
        block.zeroRuns.push_back(count);
      lengths.insert(lengths.end(), count, 0);
    }
  }
  if (int(lengths.size()) != hlit + hdist)
    throw EBadStream("code lengths overrun");
  if (lengths[256] == 0)
    throw EBadStream("no end-of-block code");
  block.litLengths.assign(lengths.begin(), lengths.begin() + hlit);
  block.distLengths.assign(lengths.begin() + hlit, lengths.end());
}

} // namespace

TDecodedStream decodeStream(const std::vector<std::uint8_t>& stream) {
  TDecodedStream result;
  BitReader in(stream);
  bool last = false;
  while (!last) {
    TDecodedBlock block;
    last = block.last = in.bit() != 0;
    const unsigned type = in.bits(2);
    if (type == 0) {
      block.form = TBlockForm::Stored;
      in.alignToByte();
      const unsigned len = in.bits(16);
      const unsigned nlen = in.bits(16);
      if ((len ^ 0xFFFF) != nlen)
        throw EBadStream("LEN/NLEN mismatch");
      block.storedLength = len;
      for (unsigned i = 0; i < len; ++i)
        result.data.push_back(std::uint8_t(in.bits(8)));
    } else if (type == 1) {
      block.form = TBlockForm::Fixed;
      std::vector<int> litLengths(288, 8);
      for (int s = 144; s < 256; ++s)
        litLengths[s] = 9;
      for (int s = 256; s < 280; ++s)
        litLengths[s] = 7;
      const Huffman lit(litLengths, false);
      const Huffman dist(std::vector<int>(30, 5), true);
      decodeSymbols(in, lit, dist, block, result.data);
    } else if (type == 2) {
      block.form = TBlockForm::Dynamic;
      readDynamicTrees(in, block);
      const Huffman lit(block.litLengths, false);
      const Huffman dist(block.distLengths, false);
      decodeSymbols(in, lit, dist, block, result.data);
    } else {
      throw EBadStream("reserved block type");
    }
    block.endBit = in.position();
    result.blocks.push_back(std::move(block));
  }
  in.alignToByte();
  result.bitsUsed = in.position();
  if (result.bitsUsed != stream.size() * 8)
    throw EBadStream("bytes after the last block");
  return result;
}

} // namespace larkspur::deflate::test
