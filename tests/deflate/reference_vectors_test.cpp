// Byte-exact reproduction of the reference vectors: for each input and level (and, for some,
// after another entry through the same buffers) the exact stream and header fields.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "deflate/memory_io.h"
#include "deflate/test_data.h"

namespace larkspur::deflate::test {
namespace {

struct TVector {
  std::string input;
  int level = 0;
  std::string prior; // "-" or an input compressed first through the same buffers
  std::size_t inputBytes = 0;
  int method = 0;
  int flags = 0;
  int internal = 0;
  std::uint64_t size = 0;
  std::string expectedFile;
};

const std::string kVectorDir = "vectors/deflate/";

std::vector<TVector> loadManifest() {
  std::vector<TVector> rows;
  std::ifstream in(sharedPath(kVectorDir + "MANIFEST.tsv"));
  std::string line;
  std::getline(in, line); // column names
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.empty())
      continue;
    std::istringstream fields(line);
    TVector v;
    std::string sha;
    fields >> v.input >> v.level >> v.prior >> v.inputBytes >> v.method >> v.flags >> v.internal >>
        v.size >> sha >> v.expectedFile;
    rows.push_back(v);
  }
  return rows;
}

Bytes loadInput(const std::string& name) {
  bool ok = false;
  Bytes data = readFile(sharedPath(kVectorDir + "inputs/" + name + ".bin"), &ok);
  EXPECT_TRUE(ok) << "missing input " << name;
  return data;
}

TEST(ReferenceVectors, ManifestIsPresent) {
  EXPECT_GE(loadManifest().size(), 100u) << "vectors not found under " << sharedPath("vectors");
}

class ReferenceVector : public ::testing::TestWithParam<TVector> {};

TEST_P(ReferenceVector, ReproducesStreamAndHeaderFields) {
  const TVector& v = GetParam();
  const Bytes input = loadInput(v.input);
  ASSERT_EQ(input.size(), v.inputBytes);
  bool ok = false;
  const Bytes expected = readFile(sharedPath(kVectorDir + "expected/" + v.expectedFile), &ok);
  ASSERT_TRUE(ok) << v.expectedFile;

  TDeflateBuffers buffers;
  if (v.prior != "-")
    compress(buffers, loadInput(v.prior), v.level);
  const TCompressed got = compress(buffers, input, v.level);

  EXPECT_EQ(got.result.compressedSize, v.size);
  EXPECT_EQ(got.result.method, v.method);
  EXPECT_EQ(got.result.flagBits, v.flags);
  EXPECT_EQ(got.result.internalAttributes, v.internal);
  ASSERT_EQ(got.output.size(), expected.size());
  std::size_t firstDiff = 0;
  while (firstDiff < expected.size() && got.output[firstDiff] == expected[firstDiff])
    ++firstDiff;
  EXPECT_EQ(firstDiff, expected.size()) << "first differing byte";
}

std::string vectorName(const ::testing::TestParamInfo<TVector>& info) {
  std::string name = info.param.input + "_L" + std::to_string(info.param.level);
  if (info.param.prior != "-")
    name += "_after_" + info.param.prior;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)))
      c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(AllRows, ReferenceVector, ::testing::ValuesIn(loadManifest()), vectorName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ReferenceVector);

} // namespace
} // namespace larkspur::deflate::test
