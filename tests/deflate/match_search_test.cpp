// The searches of levels 8 and 9 through the longer-prefix chains give exactly the plain walk's
// output: always on, switched on and off at every choice (each switch rebuilds the chains), and
// chosen by the walks' lengths, on inputs whose walks are long, short, and mixed; and the quick
// reject of both searches keeps every candidate that could win.
#include <gtest/gtest.h>

#include "deflate/match_finder.h"
#include "deflate/memory_io.h"
#include "deflate/test_data.h"

namespace larkspur::deflate::test {
namespace {

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts)
    out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes compressWith(TMatchSearch mode, const Bytes& input, int level, std::uint32_t maxRead) {
  TDeflateBuffers buffers;
  buffers.setMatchSearch(mode);
  TMemoryIo io(input);
  io.maxReadSize = maxRead;
  deflate_entry(buffers, level, io);
  return io.output;
}

TEST(MatchSearch, EveryModeGivesThePlainWalksOutput) {
  TPattern rng(77);
  Bytes fewLetters(150000);
  for (auto& b : fewLetters)
    b = std::uint8_t('a' + rng.next() % 3);
  const struct {
    const char* name;
    Bytes input;
  } inputs[] = {
      {"text", makeInput(TShape::Text, 200000, 71)},
      {"few letters", fewLetters},
      {"binary", makeInput(TShape::Binary, 150000, 72)},
      // Long walks, then short ones, then long again: the chains go off and are rebuilt.
      {"mixed", concat({makeInput(TShape::Text, 70000, 73), makeInput(TShape::Random, 140000, 74),
                        makeInput(TShape::Text, 90000, 75), makeInput(TShape::Runs, 40000, 76),
                        makeInput(TShape::Periodic, 80000, 78)})},
  };
  for (const auto& [name, input] : inputs)
    for (int level : {8, 9})
      for (std::uint32_t maxRead : {0xFFFFFFFFu, 777u}) {
        const Bytes plain = compressWith(TMatchSearch::PlainWalk, input, level, maxRead);
        for (TMatchSearch mode :
             {TMatchSearch::PrefixChains, TMatchSearch::Alternating, TMatchSearch::Adaptive})
          EXPECT_EQ(compressWith(mode, input, level, maxRead), plain)
              << name << " level " << level << " mode " << int(mode) << " reads " << maxRead;
      }
}

// The quick reject never turns away a candidate longer than the best, and up to best 7 it lets
// through only such candidates. Pairs from a three-letter alphabet share prefixes of all
// lengths; byte 2 is made equal, as the 3-byte hash makes it for a chain's candidates.
TEST(MatchSearch, QuickRejectKeepsEveryLongerCandidate) {
  TPattern rng(79);
  for (int pair = 0; pair < 20000; ++pair) {
    std::array<std::uint8_t, kMaxMatch + 16> scan{}, candidate{};
    for (std::size_t i = 0; i < scan.size(); ++i) {
      scan[i] = std::uint8_t('a' + rng.next() % 3);
      candidate[i] = rng.next() % 4 == 0 ? std::uint8_t('a' + rng.next() % 3) : scan[i];
    }
    candidate[2] = scan[2];
    const unsigned len = matchLength(scan.data(), candidate.data());
    for (unsigned best = 1; best <= 14; ++best) {
      const TEndCheck check = endCheck(best);
      const bool passes =
          ((load64(scan.data() + check.offset) ^ load64(candidate.data() + check.offset)) &
           check.mask) == 0;
      if (len > best) {
        ASSERT_TRUE(passes) << "best " << best << " length " << len;
      } else if (best < kExactEndChecks) {
        ASSERT_FALSE(passes) << "best " << best << " length " << len;
      }
    }
  }
}

} // namespace
} // namespace larkspur::deflate::test
