// An entry whose compressed data passes 512 MiB (2^32 bits) still reports its true size.
// Generated on the fly through the read and write operations, so nothing large is stored.
#include <gtest/gtest.h>

#include <cstring>

#include "deflate/deflate.h"
#include "deflate/test_data.h"

namespace larkspur::deflate::test {
namespace {

class TGeneratedIo : public TDeflateIo {
public:
  explicit TGeneratedIo(std::uint64_t size) : left_(size) {}

  std::uint32_t read(std::uint8_t* destination, std::uint32_t count) override {
    const std::uint32_t n = std::uint32_t(std::min<std::uint64_t>(count, left_));
    for (std::uint32_t i = 0; i < n; i += 8) {
      const std::uint64_t v = rng_.next();
      std::memcpy(destination + i, &v, std::min<std::uint32_t>(8, n - i));
    }
    left_ -= n;
    return n;
  }
  void write(const std::uint8_t*, std::uint32_t count) override { written += count; }

  std::uint64_t written = 0;

private:
  std::uint64_t left_;
  TPattern rng_{77};
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kInstrumented = true;
#else
constexpr bool kInstrumented = false;
#endif

TEST(LargeEntry, CompressedSizeBeyond512MiBIsExact) {
  if (kInstrumented)
    GTEST_SKIP() << "too slow under sanitizers";
  // Random data does not shrink, so the output is the input plus stored block headers.
  constexpr std::uint64_t kInput = (std::uint64_t(1) << 29) + (std::uint64_t(1) << 24);
  TDeflateBuffers buffers;
  TGeneratedIo io(kInput);
  const TDeflateResult r = deflate_entry(buffers, 1, io);
  EXPECT_EQ(r.method, kMethodDeflated);
  EXPECT_EQ(r.compressedSize, io.written);
  EXPECT_GT(r.compressedSize, kInput);
}

} // namespace
} // namespace larkspur::deflate::test
