// Every stream inflates back to its input with an independent inflater (zlib), over inputs of
// many shapes and of sizes around the window, lookahead and slide boundaries, at every level.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <tuple>

#include "deflate/memory_io.h"
#include "deflate/test_data.h"

namespace larkspur::deflate::test {
namespace {

// Raw inflate of a complete stream whose inflated size is known.
Bytes inflateRaw(const Bytes& stream, std::size_t expectedSize) {
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
  Bytes out(expectedSize + 1);
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = uInt(stream.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  const int rc = inflate(&z, Z_FINISH);
  EXPECT_EQ(rc, Z_STREAM_END);
  EXPECT_EQ(z.avail_in, 0u) << "bytes after the end of the stream";
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

// Window, lookahead, distance and slide boundaries, and a few MB.
const std::size_t kSizes[] = {0,     1,     2,     3,     258,   262,   4095,   4096,
                              32767, 32768, 65273, 65274, 65275, 65536, 100000, 3000000};
const TShape kShapes[] = {TShape::Text,   TShape::Binary,   TShape::Runs,
                          TShape::Random, TShape::Periodic, TShape::Zeros};

using RoundTripCase = std::tuple<TShape, std::size_t, int>;

class ZlibRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ZlibRoundTrip, InflatesToInput) {
  const auto [shape, size, level] = GetParam();
  const Bytes input = makeInput(shape, size);
  TDeflateBuffers buffers;
  TMemoryIo io(input);
  const TDeflateResult r = deflate_entry(buffers, level, io);
  ASSERT_EQ(r.compressedSize, io.output.size());
  EXPECT_EQ(io.crc ^ kCrcPreset, crc32(0, input.data(), uInt(input.size())));
  if (r.method == kMethodStored) {
    EXPECT_EQ(io.output, input);
  } else {
    ASSERT_EQ(r.method, kMethodDeflated);
    // Data that does not shrink costs at most a stored block header per block.
    EXPECT_LE(io.output.size(), input.size() + input.size() / 1000 + 16);
    EXPECT_EQ(inflateRaw(io.output, input.size()), input);
  }
}

std::string caseName(const ::testing::TestParamInfo<RoundTripCase>& info) {
  const auto [shape, size, level] = info.param;
  return std::string(shapeName(shape)) + "_" + std::to_string(size) + "_L" + std::to_string(level);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ZlibRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(kShapes),
                                            ::testing::ValuesIn(kSizes), ::testing::Range(1, 10)),
                         caseName);

TEST(Crc32, MatchesZlibAtEveryLengthAndAlignment) {
  const Bytes data = makeInput(TShape::Random, 4096, 7);
  for (std::size_t offset = 0; offset < 8; ++offset)
    for (std::size_t length = 0; length < 300; length += 1 + length / 8)
      EXPECT_EQ(update_crc(kCrcPreset, data.data() + offset, length) ^ kCrcPreset,
                crc32(0, data.data() + offset, uInt(length)))
          << offset << "+" << length;
}

} // namespace
} // namespace larkspur::deflate::test
