// Recorded digests of the compressed output at every level, so a change meant only for speed
// cannot move a single output byte: generated edge inputs, entries following each other
// through one set of buffers, and a sample of the bench corpus (the whole corpus is checked by
// `deflate_bench --check`).
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "deflate/memory_io.h"
#include "deflate/test_data.h"

namespace larkspur::deflate::test {
namespace {

// FNV-1a over the stream and the header fields; independent of the CRC under test elsewhere.
std::uint64_t digestOf(const TCompressed& c) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  const auto mix = [&h](std::uint64_t byte) { h = (h ^ byte) * 0x100000001B3ull; };
  for (std::uint8_t b : c.output)
    mix(b);
  mix(c.result.method);
  mix(c.result.flagBits);
  mix(c.result.internalAttributes);
  mix(c.result.compressedSize & 0xFF);
  return h;
}

std::string hex(std::uint64_t v) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

// The digests of levels 1 to 9, separated by spaces.
using TLevelDigests = const char*;

std::string levelDigest(TLevelDigests all, int level) {
  const std::string digests = all;
  const std::size_t at = std::size_t(level - 1) * 17;
  return at + 16 <= digests.size() ? digests.substr(at, 16) : "";
}

// Random letters of a small alphabet: long chains whose candidates mostly share only a few
// bytes, where the search limits decide the result.
Bytes smallAlphabet(std::size_t size, unsigned letters, std::uint64_t seed) {
  TPattern rng(seed);
  Bytes out(size);
  for (auto& b : out)
    b = std::uint8_t('a' + rng.next() % letters);
  return out;
}

// Text whose repeats lie just beyond and just inside the farthest distance.
Bytes farRepeats(std::size_t size) {
  Bytes out = makeInput(TShape::Random, size, 5);
  for (std::size_t i = 32506; i < size; i += 3)
    out[i] = out[i - 32506 + (i % 7 == 0)];
  return out;
}

struct TEdgeInput {
  const char* name;
  Bytes (*make)();
  TLevelDigests digests;
};

const TEdgeInput kEdgeInputs[] = {
    {"Runs100k", [] { return makeInput(TShape::Runs, 100000, 3); },
     "6b0abf7c3c3a45a1 106ce9acfb2f22ea b4d77189c1a322f6 "
     "143ee9aafa4cc446 f403074ac4701099 d35164c9c2ad5f1b "
     "841680438e17ace2 f0e3266171e30c40 dce7e3533386e076"},
    {"Periodic200k", [] { return makeInput(TShape::Periodic, 200000, 4); },
     "451d13dbd6968070 451d13dbd6968070 67c1bfdbea345b5c "
     "bd2ce4540656f3e4 bd2ce4540656f3e4 bd2ce4540656f3e4 "
     "bd2ce4540656f3e4 ce805a541027caba ce805a541027caba"},
    {"Text32767", [] { return makeInput(TShape::Text, 32767, 6); },
     "cec3db08164eedc4 b0a7bda3440ece54 968ab061f95c489b "
     "61a046234558e147 292f68b89470eee2 9b6e92fc1200fd8e "
     "5cd07ba2a6646105 0912240df12a7870 0912240df12a7870"},
    {"Text32769", [] { return makeInput(TShape::Text, 32769, 7); },
     "6f51bc9b09955764 3203f6ad9e7c2dcc cb9b2304bc5b401f "
     "f5055a9ec435d624 dfed6a36895698f8 8f1c9a0f6b449e97 "
     "ff179938f15f4d31 d250f195f200586d d250f195f200586d"},
    {"Binary65273", [] { return makeInput(TShape::Binary, 65273, 8); },
     "8d9a216e0ac34ba9 23664af7613890ec 9b1d3cbe82303922 "
     "9044f83b2b7fdc2c 3aab65d889415b68 21b3e891ccbbdf72 "
     "3d89321a64f27fa0 7f64a7f0820266b0 653b7dc1b8f125e6"},
    {"Text65279", [] { return makeInput(TShape::Text, 65279, 9); },
     "2ca2b5a6cf7c19cc 0445169153f07940 822396ce84df5637 "
     "6fcac975fb403db9 52263b192d600e4c 96b27de3cebd3de2 "
     "30b201a776f4aa42 aa29b0b129c9baef aa29b0b129c9baef"},
    {"Text65535", [] { return makeInput(TShape::Text, 65535, 10); },
     "dd31a05b083115d9 8cf05535d2e8b932 ede14371cff4b717 "
     "040b7d044e62fffb cf67d939761e532f 8adb96420ef40bd4 "
     "a685f5139de522e8 bb88487e25c204d4 bb88487e25c204d4"},
    {"Runs65536", [] { return makeInput(TShape::Runs, 65536, 11); },
     "0f0ea3883a43aa55 fdf2caec5d052a2a f49b4c17b0edc08b "
     "c5fad9b077a0e328 2ba867daa850d624 965b78892d3f3b51 "
     "bfb9b6e878f9dcf8 106117e3a2768929 79bb0dbd309fa120"},
    {"Text65537", [] { return makeInput(TShape::Text, 65537, 12); },
     "cffd936eef8d44a0 2883ebdeb8d7d6a3 3b1a682cb72d5fed "
     "61a4456d645b731f 15169c2db8b1c7fb 2132862846fe62dc "
     "99dd0fc9481e2f36 667fcbc4f949fcf2 667fcbc4f949fcf2"},
    {"Alphabet4x300k", [] { return smallAlphabet(300000, 4, 13); },
     "2926b6e8b0440483 52a5c1a0a5f9e7bb 3d823b72d8e7ce04 "
     "bdcdcd2cb2b005fc 92e575fefec74324 99255dad88572d88 "
     "73216fac7c16661d 0510b602e35e8a12 0510b602e35e8a12"},
    {"Alphabet2x150k", [] { return smallAlphabet(150000, 2, 14); },
     "5b9dd7fdf9aa7b95 4abe6e1197db0865 00010bed455b69bd "
     "448fbf53a0208f29 6e008456aa83fa4b 1816201a97244180 "
     "7e21f4c9329063a2 2f4f6c38922ebed2 201e21446a622744"},
    {"FarRepeats100k", [] { return farRepeats(100000); },
     "d8c0d8746960aab2 d8c0d8746960aab2 fb65fc747cff5186 "
     "14ccdc5b9a8195dc 14ccdc5b9a8195dc 14ccdc5b9a8195dc "
     "14ccdc5b9a8195dc 261fb25ba4515cd2 261fb25ba4515cd2"},
    {"Zeros70000", [] { return makeInput(TShape::Zeros, 70000); },
     "51c29c36600a7766 51c29c36600a7766 7468883673aa7212 "
     "5b7dbf8cd313632f 5b7dbf8cd313632f 5b7dbf8cd313632f "
     "5b7dbf8cd313632f 6cd1158cdce403a5 6cd1158cdce403a5"},
    {"Random70000", [] { return makeInput(TShape::Random, 70000, 15); },
     "c9e8b11509372835 68da4fa33c6c3313 4634aba328ccb2bf "
     "a5d48d70fb62a29f a5d48d70fb62a29f a5d48d70fb62a29f "
     "a5d48d70fb62a29f 94813b70f19208f5 94813b70f19208f5"},
};

void PrintTo(const TEdgeInput& e, std::ostream* os) {
  *os << e.name;
}

class EdgeInput : public ::testing::TestWithParam<TEdgeInput> {};

TEST_P(EdgeInput, OutputAtEveryLevelIsUnchanged) {
  const TEdgeInput& e = GetParam();
  const Bytes input = e.make();
  std::string got;
  for (int level = 1; level <= 9; ++level) {
    const std::string digest = hex(digestOf(compress(input, level)));
    got += (level == 1 ? "" : " ") + digest;
    EXPECT_EQ(digest, levelDigest(e.digests, level)) << e.name << " level " << level;
  }
  if (HasFailure())
    std::printf("\"%s\"\n", got.c_str());
}

INSTANTIATE_TEST_SUITE_P(Recorded, EdgeInput, ::testing::ValuesIn(kEdgeInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// Entries one after another through the same buffers, as the writer compresses the files of
// one operation. Sizes of 65,279 to 65,535 bytes read the last window byte, which the window
// clearing between entries keeps, so these outputs may depend on the entry before.
Bytes seamEntry(std::size_t index) {
  switch (index) {
  case 0:
    return makeInput(TShape::Text, 70000, 31);
  case 1:
    return makeInput(TShape::Periodic, 65400, 32);
  case 2:
    return makeInput(TShape::Runs, 65535, 33);
  case 3:
    return makeInput(TShape::Binary, 65536, 34);
  case 4:
    return makeInput(TShape::Text, 65300, 35);
  default:
    return smallAlphabet(40000, 3, 36);
  }
}

const std::array<TLevelDigests, 6> kSeamDigests = {
    "6a664421f639b23f 56abfa88ca11fa23 f8a82c4a4a3e2b82 "
    "064f710f797f82c5 aefe8089fa842992 1e3e04de3de03b95 "
    "68801b61a974caf7 158384e2665d89ac 158384e2665d89ac",
    "750698e4b07459ab 750698e4b07459ab 97ad04e4c4152dd7 "
    "efaca7472931fff2 efaca7472931fff2 efaca7472931fff2 "
    "efaca7472931fff2 010099473303a97c 010099473303a97c",
    "51d6e2eca19d3281 b1ebf814fbcad080 2ea846b277384e6a "
    "0db2420c255ebb12 66b81f894ad1398d fc206269c5fab79a "
    "b2c28734f035debe 60d3d1cfd792d172 22004682fe812c61",
    "c97d36d931235bc2 e59ad5129b8b1c29 56545a825e6b8f9a "
    "74490dcc7d038e2a 421f376b41f5826e b2614b25fe28f147 "
    "4cd488997e95920e 62e407ff2cfdbe2b 04240f21b01ee921",
    "c3251f9a3ed98d7a 675537613b0ba38e 6825433cd935b225 "
    "2d0d6115b16883b9 e63f30e1e7e2d706 7d76dde06a7a92f2 "
    "13f5f493243cdb23 6482ce27534fb2d2 6482ce27534fb2d2",
    "06857f995a559190 5aa8268a151afbe4 d76280b6e92bc51d "
    "5894d6e0e7cbd2c7 84efff18f4484517 c06997719380c730 "
    "22f5b31a3f08afd7 d17f2348264ca68b af2f6936643752d0",
};

TEST(EntriesAfterEntries, OutputAtEveryLevelIsUnchanged) {
  std::array<std::string, kSeamDigests.size()> got;
  for (int level = 1; level <= 9; ++level) {
    TDeflateBuffers shared;
    for (std::size_t i = 0; i < kSeamDigests.size(); ++i) {
      const std::string digest = hex(digestOf(compress(shared, seamEntry(i), level)));
      got[i] += (level == 1 ? "" : " ") + digest;
      EXPECT_EQ(digest, levelDigest(kSeamDigests[i], level)) << "entry " << i << " level " << level;
    }
  }
  if (HasFailure())
    for (const std::string& row : got)
      std::printf("\"%s\",\n", row.c_str());
}

// Small and mid-size files of the bench corpus of different kinds; the whole corpus takes
// minutes and is left to the bench.
struct TCorpusSample {
  const char* path;
  TLevelDigests digests;
};

const TCorpusSample kCorpusSamples[] = {
    {"canterbury/alice29.txt", "fab377da0a1333a3 261ad051251499a8 d113f589ae766265 "
                               "48e9ac60d7982647 0445f26a7931492c 024682f570839d36 "
                               "571f9fa94fc67613 eb298b428bcf9ef3 eb298b428bcf9ef3"},
    {"calgary/obj2", "ab1f25c932729b7a 78ebb425a7eb51be 2f299439084c4ddf "
                     "0985e35c6adb3530 b21abc29bec6cdb5 0fe1d881d2d326f7 "
                     "d8549c71a7c0fc13 58fac1859ae00fec 98b6285312b791ed"},
    {"calgary/geo", "054c5eb62bc43ce5 d7c7d7a7f14994b6 d8b4ea1d43c21b18 "
                    "7bd078ff596a082c b9a34e92b244114f 5d90fb3b2b7d8c89 "
                    "c2abd4ae431f61a8 a3b854cab5e3f1f8 a3b854cab5e3f1f8"},
    {"canterbury/cp.html", "1f780209f6bb5915 2d54cd6ff6989e6a 99a548cc61f1e5c4 "
                           "9713afa062939795 c77dca90bcb15dd9 c72bd056805233f4 "
                           "e23356679e8dbce6 4857f5ccfc2febd9 4857f5ccfc2febd9"},
    {"artificial/aaa.txt", "81f9f805109f5146 81f9f805109f5146 a4a06c052440330a "
                           "ad64b76e08768843 ad64b76e08768843 ad64b76e08768843 "
                           "ad64b76e08768843 beb8116e12472f85 beb8116e12472f85"},
    {"canterbury/kennedy.xls", "3d4490c8f4a60f3d 472d16ce1c18344d 55a358d8bfd1c4b8 "
                               "291796df606c3d36 a27425a739bf89f0 aa09f39fecf7d81e "
                               "df449406e0b7bc50 43e229698062c759 ea283551a3ed705c"},
};

void PrintTo(const TCorpusSample& s, std::ostream* os) {
  *os << s.path;
}

class CorpusSample : public ::testing::TestWithParam<TCorpusSample> {};

TEST_P(CorpusSample, OutputAtEveryLevelIsUnchanged) {
  const TCorpusSample& s = GetParam();
  bool ok = false;
  const Bytes input = readFile(sharedPath(std::string("corpora/bench/") + s.path), &ok);
  if (!ok)
    GTEST_SKIP() << "bench corpus not found under " << sharedPath("corpora/bench");
  std::string got;
  for (int level = 1; level <= 9; ++level) {
    const std::string digest = hex(digestOf(compress(input, level)));
    got += (level == 1 ? "" : " ") + digest;
    EXPECT_EQ(digest, levelDigest(s.digests, level)) << s.path << " level " << level;
  }
  if (HasFailure())
    std::printf("\"%s\"\n", got.c_str());
}

INSTANTIATE_TEST_SUITE_P(Recorded, CorpusSample, ::testing::ValuesIn(kCorpusSamples),
                         [](const auto& info) {
                           std::string name = info.param.path;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c)))
                               c = '_';
                           return name;
                         });

} // namespace
} // namespace larkspur::deflate::test
