// Streams that must decode exactly: the reference vectors, our own compressor's output at every
// level, and both again through the smallest possible buffers so every resume point is crossed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "deflate/memory_io.h"
#include "deflate/test_data.h"
#include "inflate/inflate_driver.h"

namespace larkspur::inflate::test {
namespace {

using deflate::test::makeInput;
using deflate::test::readFile;
using deflate::test::sharedPath;
using deflate::test::TShape;

struct Vector {
  std::string input;
  std::string expectedFile;
};

// The method-8 rows of the shared reference vectors.
std::vector<Vector> deflatedVectors() {
  std::vector<Vector> rows;
  std::ifstream manifest(sharedPath("vectors/deflate/MANIFEST.tsv"));
  std::string line;
  std::getline(manifest, line);
  while (std::getline(manifest, line)) {
    std::istringstream fields(line);
    std::string input, level, prior, bytes, method, flags, internal, size, sha, expected;
    if (fields >> input >> level >> prior >> bytes >> method >> flags >> internal >> size >> sha >>
            expected &&
        method == "8")
      rows.push_back({input, expected});
  }
  return rows;
}

TEST(InflaterRoundTrip, DecodesEveryReferenceVector) {
  const std::vector<Vector> rows = deflatedVectors();
  ASSERT_GE(rows.size(), 50u) << "vectors not found under " << sharedPath("vectors");
  Inflater inflater; // one for all: reset must leave nothing of the previous stream behind
  for (const Vector& row : rows) {
    const Bytes input = readFile(sharedPath("vectors/deflate/inputs/" + row.input + ".bin"));
    const Bytes stream = readFile(sharedPath("vectors/deflate/expected/" + row.expectedFile));
    inflater.reset();
    const Inflated got = inflateAll(inflater, stream, 4096, 3000);
    EXPECT_TRUE(got.output == input) << row.expectedFile;
    EXPECT_EQ(got.consumed, stream.size()) << row.expectedFile;
  }
}

TEST(InflaterRoundTrip, DecodesOurCompressorAtEveryLevel) {
  const TShape shapes[] = {TShape::Text,   TShape::Binary,   TShape::Runs,
                           TShape::Random, TShape::Periodic, TShape::Zeros};
  for (const TShape shape : shapes) {
    const Bytes input = makeInput(shape, 300000, 7);
    for (int level = 1; level <= 9; ++level) {
      const deflate::test::TCompressed packed = deflate::test::compress(input, level);
      if (packed.result.method != deflate::kMethodDeflated)
        continue;
      EXPECT_TRUE(inflateAll(packed.output).output == input)
          << deflate::test::shapeName(shape) << " level " << level;
    }
  }
}

// One byte in and one byte out per call: every phase of the decoder is interrupted and resumed.
TEST(InflaterRoundTrip, StreamsThroughOneByteBuffers) {
  const Bytes text = makeInput(TShape::Text, 70000, 3);
  const Bytes runs = makeInput(TShape::Runs, 70000, 4);
  for (const Bytes* input : {&text, &runs}) {
    for (const int level : {1, 9}) {
      const Bytes stream = deflate::test::compress(*input, level).output;
      EXPECT_TRUE(inflateAll(stream, 1, 1).output == *input) << "level " << level;
      EXPECT_TRUE(inflateAll(stream, 1, 65536).output == *input) << "level " << level;
      EXPECT_TRUE(inflateAll(stream, SIZE_MAX, 1).output == *input) << "level " << level;
    }
  }
  // A stored block followed by a final empty one: the lengths and the copy, resumed.
  const Bytes stored = {0x00, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b', 'c', 0x01, 0x00, 0x00, 0xFF, 0xFF};
  EXPECT_EQ(inflateAll(stored, 1, 1).output, (Bytes{'a', 'b', 'c'}));
}

} // namespace
} // namespace larkspur::inflate::test
