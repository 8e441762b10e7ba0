// Tree construction: length limits enforced by the overflow repair, cost accounting, and the
// two codes forced into a tree with fewer than two used symbols.
#include <gtest/gtest.h>

#include <vector>

#include "deflate/code_tables.h"
#include "deflate/huffman_trees.h"

namespace larkspur::deflate::test {
namespace {

struct TTreeUnderTest {
  std::vector<TTreeNode> nodes;
  TTreeDesc desc;
  TTreeBuilder builder;

  TTreeUnderTest(int elems, int maxLength, const std::vector<std::uint16_t>& freqs)
      : nodes(2 * elems + 1), desc{nullptr,   nullptr, kExtraBlBits.data(), elems, elems,
                                   maxLength, 0} {
    // extraBase = elems: no symbol has extra bits, so opt_bits is the plain coded size
    desc.tree = nodes.data();
    for (std::size_t n = 0; n < freqs.size(); ++n)
      nodes[n].freqCode = freqs[n];
    builder.make_tree(desc);
  }
  int len(int n) const { return nodes[n].parentLen; }
};

std::vector<std::uint16_t> fibonacci(int count) {
  std::vector<std::uint16_t> f = {1, 1};
  while (int(f.size()) < count)
    f.push_back(std::uint16_t(f[f.size() - 1] + f[f.size() - 2]));
  return f;
}

struct TLimitCase {
  int elems;
  int maxLength;
  int used; // symbols with Fibonacci frequencies: the plain Huffman code is used - 1 deep
};

class LengthLimit : public ::testing::TestWithParam<TLimitCase> {};

TEST_P(LengthLimit, FoldsLongCodesIntoACompleteCodeWithinTheLimit) {
  const auto [elems, maxLength, used] = GetParam();
  const std::vector<std::uint16_t> freqs = fibonacci(used);
  TTreeUnderTest t(elems, maxLength, freqs);

  double kraft = 0;
  std::uint32_t cost = 0;
  int longest = 0;
  for (int n = 0; n < used; ++n) {
    ASSERT_GE(t.len(n), 1);
    longest = std::max(longest, t.len(n));
    kraft += 1.0 / double(1u << t.len(n));
    cost += std::uint32_t(freqs[n]) * std::uint32_t(t.len(n));
  }
  EXPECT_EQ(longest, maxLength);
  EXPECT_DOUBLE_EQ(kraft, 1.0);
  EXPECT_EQ(t.builder.opt_bits, cost);
  // Rarer symbols never get shorter codes than more frequent ones.
  for (int n = 2; n < used; ++n)
    EXPECT_LE(t.len(n), t.len(n - 1));
}

INSTANTIATE_TEST_SUITE_P(Trees, LengthLimit,
                         ::testing::Values(TLimitCase{30, 15, 21}, TLimitCase{286, 15, 22},
                                           TLimitCase{19, 7, 19}, TLimitCase{19, 7, 12}));

struct TForcedCase {
  std::vector<std::uint16_t> freqs;
  int first, second, max_code;
};

class ForcedCodes : public ::testing::TestWithParam<TForcedCase> {};

TEST_P(ForcedCodes, TreeWithFewerThanTwoSymbolsGetsTwoOneBitCodes) {
  const TForcedCase& c = GetParam();
  TTreeUnderTest t(30, 15, c.freqs);
  EXPECT_EQ(t.desc.max_code, c.max_code);
  for (int n = 0; n < 30; ++n)
    EXPECT_EQ(t.len(n), (n == c.first || n == c.second) ? 1 : 0) << "symbol " << n;
  EXPECT_NE(t.nodes[c.first].freqCode, t.nodes[c.second].freqCode);
}

INSTANTIATE_TEST_SUITE_P(Trees, ForcedCodes,
                         ::testing::Values(TForcedCase{{}, 0, 1, 1},     // nothing used
                                           TForcedCase{{7}, 0, 1, 1},    // only symbol 0
                                           TForcedCase{{0, 7}, 1, 2, 2}, // only symbol 1
                                           TForcedCase{
                                               {0, 0, 0, 0, 0, 7}, 0, 5, 5})); // a higher symbol

TEST(CodeTables, FixedLiteralCodeIsTheStandardOne) {
  // Spot checks against RFC 1951 3.2.6 (codes shown there most significant bit first).
  EXPECT_EQ(kCodeTables.fixed_lit_tree[0].freqCode, reverse_bits(0x30, 8));
  EXPECT_EQ(kCodeTables.fixed_lit_tree[144].freqCode, reverse_bits(0x190, 9));
  EXPECT_EQ(kCodeTables.fixed_lit_tree[256].freqCode, reverse_bits(0, 7));
  EXPECT_EQ(kCodeTables.fixed_lit_tree[280].freqCode, reverse_bits(0xC0, 8));
  EXPECT_EQ(kCodeTables.fixed_lit_tree[280].parentLen, 8);
}

TEST(CodeTables, LengthAndDistanceCodesCoverTheirRanges) {
  for (unsigned lc = 0; lc < 255; ++lc) {
    const unsigned code = kCodeTables.length_code[lc];
    ASSERT_LT(code, 28u);
    const unsigned offset = lc - unsigned(kCodeTables.base_length[code]);
    EXPECT_LT(offset, 1u << kExtraLengthBits[code]) << lc;
  }
  EXPECT_EQ(kCodeTables.length_code[255], 28); // length 258 alone
  for (unsigned d = 0; d < 32768; ++d) {
    const unsigned code = d_code(d);
    ASSERT_LT(code, 30u);
    EXPECT_LT(d - unsigned(kCodeTables.base_dist[code]), 1u << kExtraDistBits[code]) << d;
  }
}

} // namespace
} // namespace larkspur::deflate::test
