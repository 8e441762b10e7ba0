// zlib as the oracle: the bench corpus compressed by zlib at every level decodes to the input.
// Each file is cut to a prefix (large natively, small under the sanitizers) to keep the run
// short; LARKSPUR_FULL_CORPUS=1 decodes every file whole.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "deflate/test_data.h"
#include "inflate/inflate_driver.h"

namespace larkspur::inflate::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kPrefix = 64 * 1024;
#else
constexpr std::size_t kPrefix = 512 * 1024;
#endif

Bytes zlibRawDeflate(const Bytes& input, int level) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
  Bytes out(deflateBound(&z, uLong(input.size())));
  z.next_in = const_cast<Bytef*>(input.data());
  z.avail_in = uInt(input.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  EXPECT_EQ(::deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

TEST(InflaterAgainstZlib, DecodesTheBenchCorpusAtEveryLevel) {
  const bool full = std::getenv("LARKSPUR_FULL_CORPUS") != nullptr;
  const std::filesystem::path root = deflate::test::sharedPath("corpora/bench");
  ASSERT_TRUE(std::filesystem::is_directory(root)) << root;
  Inflater inflater;
  int files = 0;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    if (!item.is_regular_file() || item.path().extension() == ".md" ||
        item.path().filename() == "SHA256SUMS")
      continue;
    Bytes input = deflate::test::readFile(item.path().string());
    if (!full && input.size() > kPrefix)
      input.resize(kPrefix);
    for (int level = 1; level <= 9; ++level) {
      const Bytes stream = zlibRawDeflate(input, level);
      inflater.reset();
      const Inflated got = inflateAll(inflater, stream, 100000, 70000);
      ASSERT_TRUE(got.output == input) << item.path() << " level " << level;
      EXPECT_EQ(got.consumed, stream.size());
    }
    ++files;
  }
  EXPECT_GE(files, 70);
}

} // namespace
} // namespace larkspur::inflate::test
