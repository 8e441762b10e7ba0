// The CRC-32 register after any run of bytes equals the bytewise definition, whichever method
// this processor runs (carry-less multiplication or slicing), at every length and alignment,
// also when a run is split over several calls.
#include <gtest/gtest.h>

#include "deflate/crc32.h"
#include "deflate/test_data.h"

namespace larkspur::deflate::test {
namespace {

std::uint32_t bytewise(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    crc = crc_byte(crc, bytes[i]);
  return crc;
}

TEST(Crc32, EqualsTheBytewiseRegisterAtEveryLengthAndAlignment) {
  const std::vector<std::uint8_t> data = makeInput(TShape::Random, 5000, 3);
  for (std::size_t offset = 0; offset < 16; ++offset)
    for (std::size_t length : {0,  1,   7,   8,   15,  16,  17,  63,  64,   65,   79,
                               80, 127, 128, 129, 191, 255, 256, 257, 1000, 4096, 4983})
      ASSERT_EQ(update_crc(0x5A5A1234u, data.data() + offset, length),
                bytewise(0x5A5A1234u, data.data() + offset, length))
          << "offset " << offset << " length " << length;
  const std::uint32_t whole = update_crc(kCrcPreset, data.data(), data.size());
  std::uint32_t split = kCrcPreset;
  for (std::size_t at = 0, step = 1; at < data.size(); at += step, step = step * 3 % 997 + 1)
    split = update_crc(split, data.data() + at, std::min(step, data.size() - at));
  EXPECT_EQ(split, whole);
  EXPECT_EQ(whole, bytewise(kCrcPreset, data.data(), data.size()));
}

} // namespace
} // namespace larkspur::deflate::test
