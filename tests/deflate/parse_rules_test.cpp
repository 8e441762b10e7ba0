// The parse that the match finder must produce, read back from the stream: where matches
// start, which distance wins, what is dropped, and how blocks begin and end.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "deflate/memory_io.h"
#include "deflate/stream_decoder.h"
#include "deflate/test_data.h"

namespace larkspur::deflate::test {
namespace {

std::vector<TSymbol> allSymbols(const TDecodedStream& s) {
  std::vector<TSymbol> out;
  for (const TDecodedBlock& b : s.blocks)
    out.insert(out.end(), b.symbols.begin(), b.symbols.end());
  return out;
}

// The symbol that starts at input position `pos`, or a null optional when one spans it.
std::optional<TSymbol> symbolAt(const std::vector<TSymbol>& symbols, std::size_t pos) {
  std::size_t at = 0;
  for (const TSymbol& s : symbols) {
    if (at == pos)
      return s;
    at += s.distance == 0 ? 1 : std::size_t(s.literalOrLength);
    if (at > pos)
      return std::nullopt;
  }
  return std::nullopt;
}

TDecodedStream compressAndDecode(const Bytes& input, int level) {
  const TCompressed c = compress(input, level);
  EXPECT_EQ(c.result.method, kMethodDeflated);
  TDecodedStream decoded = decodeStream(c.output);
  EXPECT_EQ(decoded.data, input);
  return decoded;
}

TEST(ParseRules, LongRunAtGreedyLevelSkipsInnerPositions) {
  // After a match longer than lazy_limit its inner positions are not in the chains, so the
  // nearest candidate for the next match is the last position inserted before it.
  const Bytes input(600, 'x');
  EXPECT_EQ(allSymbols(compressAndDecode(input, 1)),
            (std::vector<TSymbol>{literal('x'), literal('x'), match(258, 1), match(258, 258),
                                  match(82, 258)}));
}

TEST(ParseRules, LongRunAtLazyLevelMatchesAtDistanceOne) {
  // Position 0 is never a candidate, so the first match starts at position 2.
  const Bytes input(600, 'x');
  EXPECT_EQ(allSymbols(compressAndDecode(input, 9)),
            (std::vector<TSymbol>{literal('x'), literal('x'), match(258, 1), match(258, 1),
                                  match(82, 1)}));
}

// "XYZ" at position 10 and again `distance` bytes later, in filler that cannot match it.
Bytes tripletAtDistance(unsigned distance) {
  TPattern rng(3);
  Bytes input(distance + 200);
  for (auto& b : input)
    b = std::uint8_t(0x80 | rng.byte());
  for (unsigned at : {10u, 10u + distance}) {
    input[at] = 'X';
    input[at + 1] = 'Y';
    input[at + 2] = 'Z';
  }
  return input;
}

struct TFarCase {
  unsigned distance;
  int level;
  bool matched;
};

class ShortFarMatch : public ::testing::TestWithParam<TFarCase> {};

TEST_P(ShortFarMatch, LazyLevelsDropLengthThreeBeyond4096) {
  const auto [distance, level, matched] = GetParam();
  const Bytes input = tripletAtDistance(distance);
  const auto symbols = allSymbols(compressAndDecode(input, level));
  const std::optional<TSymbol> s = symbolAt(symbols, 10 + distance);
  ASSERT_TRUE(s.has_value());
  if (matched)
    EXPECT_EQ(*s, match(3, int(distance)));
  else
    EXPECT_EQ(*s, literal('X'));
}

INSTANTIATE_TEST_SUITE_P(Parse, ShortFarMatch,
                         ::testing::Values(TFarCase{4096, 6, true}, TFarCase{4097, 6, false},
                                           TFarCase{5000, 9, false}, TFarCase{5000, 1, true},
                                           TFarCase{5000, 3, true}));

TEST(ParseRules, MatchStopsAtTheLastInputByte) {
  // The earlier copy is followed by zeros, and so is the end of the input in the window:
  // the comparison sees a longer match, which must be cut to the input.
  const Bytes r = makeInput(TShape::Random, 100, 5);
  Bytes input(1 + 100 + 300 + 100, 0);
  input[0] = 0xAA; // position 0 is never a candidate, so the copied bytes start at 1
  std::copy(r.begin(), r.end(), input.begin() + 1);
  std::copy(r.begin(), r.end(), input.begin() + 401);
  for (int level = 1; level <= 9; ++level) {
    const auto symbols = allSymbols(compressAndDecode(input, level));
    EXPECT_EQ(symbols.back(), match(100, 400)) << "level " << level;
  }
}

// A sequence over `alphabet` letters from 'A' in which no three-byte string occurs twice.
Bytes deBruijn3(int alphabet) {
  std::vector<int> a(3 * alphabet, 0);
  Bytes seq;
  auto db = [&](auto&& self, int t, int p) -> void {
    if (t > 3) {
      if (3 % p == 0)
        for (int j = 1; j <= p; ++j)
          seq.push_back(std::uint8_t('A' + a[j]));
      return;
    }
    a[t] = a[t - p];
    self(self, t + 1, p);
    for (int j = a[t - p] + 1; j < alphabet; ++j) {
      a[t] = j;
      self(self, t + 1, t);
    }
  };
  db(db, 1, 1);
  return seq;
}

TEST(ParseRules, InputEndingWithAFullBlockGetsAnEmptyFixedLastBlock) {
  // 32767 literals without a single repeated triplet fill the first block exactly.
  Bytes input = deBruijn3(32);
  input.resize(32767);
  const TDecodedStream s = compressAndDecode(input, 1);
  ASSERT_EQ(s.blocks.size(), 2u);
  const TDecodedBlock& first = s.blocks[0];
  EXPECT_EQ(first.form, TBlockForm::Dynamic);
  EXPECT_EQ(first.symbols.size(), 32767u);
  // No matches: two distance codes of one bit each.
  EXPECT_EQ(first.distLengths, (std::vector<int>{1, 1}));
  // Only literals 'A' (65) to 96 are used: 65 zero lengths before them, and 159 after them
  // that go out as runs of 138 and 21.
  EXPECT_EQ(first.zeroRuns, (std::vector<int>{65, 138, 21}));
  const TDecodedBlock& last = s.blocks[1];
  EXPECT_TRUE(last.last);
  EXPECT_EQ(last.form, TBlockForm::Fixed);
  EXPECT_TRUE(last.symbols.empty());
  EXPECT_EQ(last.endBit - first.endBit, 3u + 7u);
}

// Groups of three unrelated literals and a 20-byte phrase seen before: fewer than half the
// symbols are matches and the block codes to far less than half its input.
Bytes literalsAndPhrases(int groups) {
  const Bytes phrase = {'c', 'o', 'm', 'p', 'r', 'e', 's', 's', 'e', 'd',
                        ' ', 'w', 'i', 'n', 'd', 'o', 'w', 's', '.', '\n'};
  TPattern rng(11);
  Bytes input;
  for (int g = 0; g < groups; ++g) {
    for (int i = 0; i < 3; ++i)
      input.push_back(std::uint8_t(0x80 | rng.byte()));
    input.insert(input.end(), phrase.begin(), phrase.end());
  }
  return input;
}

struct TBlockEndCase {
  int level;
  std::size_t firstBlockSymbols;
};

class FirstBlockEnd : public ::testing::TestWithParam<TBlockEndCase> {};

TEST_P(FirstBlockEnd, EarlyEndFromLevelThreeOnly) {
  const auto [level, expected] = GetParam();
  const TDecodedStream s = compressAndDecode(literalsAndPhrases(20000), level);
  ASSERT_GT(s.blocks.size(), 1u);
  EXPECT_EQ(s.blocks[0].symbols.size(), expected);
}

INSTANTIATE_TEST_SUITE_P(Parse, FirstBlockEnd,
                         ::testing::Values(TBlockEndCase{1, 32767}, TBlockEndCase{2, 32767},
                                           TBlockEndCase{3, 4096}, TBlockEndCase{6, 4096},
                                           TBlockEndCase{9, 4096}));

} // namespace
} // namespace larkspur::deflate::test
