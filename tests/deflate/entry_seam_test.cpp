// What the entry writer sees of the compressor: its reads and writes, the header fields, the
// reuse of one set of buffers for many entries, and failures raised by the caller.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>

#include "deflate/memory_io.h"
#include "deflate/stream_decoder.h"
#include "deflate/test_data.h"

namespace larkspur::deflate::test {
namespace {

std::uint16_t flagBitsOfLevel(int level) {
  return level <= 2 ? 4 : level >= 8 ? 2 : 0;
}

class EveryLevel : public ::testing::TestWithParam<int> {};

TEST_P(EveryLevel, EmptyEntryBecomesStoredWithOneEmptyWrite) {
  const int level = GetParam();
  const Bytes input;
  TDeflateBuffers buffers;
  TMemoryIo io(input);
  const TDeflateResult r = deflate_entry(buffers, level, io);
  EXPECT_EQ(r.compressedSize, 0u);
  EXPECT_EQ(r.method, kMethodStored);
  EXPECT_EQ(r.internalAttributes, kTextData);
  EXPECT_EQ(r.flagBits, flagBitsOfLevel(level));
  EXPECT_EQ(io.writeSizes, std::vector<std::uint32_t>{0});
  EXPECT_EQ(io.readRequests, std::vector<std::uint32_t>{32768});
}

TEST_P(EveryLevel, ShortRandomEntryBecomesStoredAsItIs) {
  const int level = GetParam();
  const Bytes input = makeInput(TShape::Random, 1000, 9);
  const TCompressed c = compress(input, level);
  EXPECT_EQ(c.result.method, kMethodStored);
  EXPECT_EQ(c.result.internalAttributes, kBinaryData);
  EXPECT_EQ(c.result.flagBits, flagBitsOfLevel(level));
  EXPECT_EQ(c.output, input);
}

TEST_P(EveryLevel, ShortReadsStillGiveAValidStream) {
  const Bytes input = makeInput(TShape::Text, 150000);
  for (std::uint32_t chunk : {1u, 100u, 40000u}) {
    TDeflateBuffers buffers;
    TMemoryIo io(input);
    io.maxReadSize = chunk;
    const TDeflateResult r = deflate_entry(buffers, GetParam(), io);
    EXPECT_EQ(r.compressedSize, io.output.size());
    EXPECT_EQ(decodeStream(io.output).data, input) << "reads of " << chunk;
  }
}

INSTANTIATE_TEST_SUITE_P(Seam, EveryLevel, ::testing::Range(1, 10));

TEST(EntrySeam, ShortFirstReadThenAFullWindowLosesNothing) {
  // The refill after a short first read asks for all the rest of the window; a reader that
  // delivers it fills all 65536 bytes, one more than a 16-bit lookahead can count.
  const Bytes input = makeInput(TShape::Text, 200000);
  for (int level : {1, 9}) {
    TDeflateBuffers buffers;
    TMemoryIo io(input);
    io.firstReadSize = 100;
    deflate_entry(buffers, level, io);
    ASSERT_GE(io.readResults.size(), 2u);
    EXPECT_EQ(io.readResults[1], 65436u);
    EXPECT_EQ(decodeStream(io.output).data, input) << "level " << level;
  }
}

TEST(EntrySeam, ReadsComeInHalfWindowsUntilTheEnd) {
  // So the writer's progress event fires once per 32768 bytes and ends at 100%.
  const Bytes input = makeInput(TShape::Text, 100000);
  TDeflateBuffers buffers;
  TMemoryIo io(input);
  deflate_entry(buffers, 9, io);
  EXPECT_EQ(io.readResults, (std::vector<std::uint32_t>{32768, 32768, 32768, 1696, 0}));
  for (std::uint32_t request : io.readRequests)
    EXPECT_LE(request, 65534u);
  EXPECT_EQ(io.crc ^ kCrcPreset, update_crc(kCrcPreset, input.data(), input.size()) ^ kCrcPreset);
}

TEST(EntrySeam, CodedDataGoesOutInFullBuffers) {
  const Bytes input = makeInput(TShape::Text, 300000);
  TDeflateBuffers buffers;
  TMemoryIo io(input);
  deflate_entry(buffers, 6, io);
  ASSERT_GT(io.writeSizes.size(), 2u);
  for (std::size_t i = 0; i + 1 < io.writeSizes.size(); ++i)
    EXPECT_EQ(io.writeSizes[i], 1024u);
}

TEST(EntrySeam, LevelOutsideOneToNineIsRefused) {
  const Bytes input(10, 'a');
  TDeflateBuffers buffers;
  for (int level : {0, 10, -1}) {
    TMemoryIo io(input);
    EXPECT_THROW(deflate_entry(buffers, level, io), std::invalid_argument);
  }
}

TEST(Crc32, KnownValues) {
  const std::string check = "123456789";
  EXPECT_EQ(
      update_crc(kCrcPreset, reinterpret_cast<const std::uint8_t*>(check.data()), check.size()) ^
          kCrcPreset,
      0xCBF43926u);
  EXPECT_EQ(update_crc(kCrcPreset, nullptr, 0), kCrcPreset);
}

using TPair = std::tuple<TShape, std::size_t, TShape, std::size_t, int>;

class SecondEntry : public ::testing::TestWithParam<TPair> {};

TEST_P(SecondEntry, IsTheSameAsAlone) {
  // The window is cleared after every entry, so bytes of the first entry never reach the
  // second one's search behind its input.
  const auto [firstShape, firstSize, shape, size, level] = GetParam();
  const Bytes first = makeInput(firstShape, firstSize, 21);
  const Bytes second = makeInput(shape, size, 22);
  TDeflateBuffers shared;
  compress(shared, first, level);
  const TCompressed after = compress(shared, second, level);
  const TCompressed alone = compress(second, level);
  EXPECT_EQ(after.output, alone.output);
  EXPECT_EQ(after.result.compressedSize, alone.result.compressedSize);
  EXPECT_EQ(after.result.method, alone.result.method);
  EXPECT_EQ(after.result.internalAttributes, alone.result.internalAttributes);
}

INSTANTIATE_TEST_SUITE_P(Seam, SecondEntry,
                         ::testing::Values(TPair{TShape::Binary, 150000, TShape::Text, 48000, 9},
                                           TPair{TShape::Periodic, 100000, TShape::Periodic, 5000,
                                                 6},
                                           TPair{TShape::Text, 70000, TShape::Text, 300, 1},
                                           TPair{TShape::Random, 70000, TShape::Zeros, 1000, 4},
                                           TPair{TShape::Runs, 200000, TShape::Runs, 66000, 9},
                                           TPair{TShape::Text, 5, TShape::Binary, 90000, 3}));

// An input whose last match depends on the window byte just behind it: its ending "QRSTUV"
// occurred twice before, the nearer time followed by 0, the farther by 'Y'. With a zero behind
// the input the nearer one compares longer and wins; with a 'Y' left over there, the farther.
Bytes tailTieInput() {
  TPattern rng(41);
  Bytes input;
  const Bytes tail = {'Q', 'R', 'S', 'T', 'U', 'V'};
  for (std::uint8_t follower : {std::uint8_t('Y'), std::uint8_t(0), std::uint8_t(1)}) {
    for (int i = 0; i < 500; ++i)
      input.push_back(std::uint8_t(0x80 | rng.byte()));
    input.insert(input.end(), tail.begin(), tail.end());
    if (follower != 1)
      input.push_back(follower);
  }
  return input;
}

// Incompressible data with a 'Y' just where tailTieInput ends (short enough not to slide it
// away, or long enough to fail before it ends).
Bytes firstEntryLeavingY(std::size_t size) {
  Bytes first = makeInput(TShape::Random, size, 43);
  first[tailTieInput().size()] = 'Y';
  return first;
}

TEST(EntrySeam, TailTieInputDependsOnTheByteBehindIt) {
  // Guards the two tests below: the input is only useful if the stale byte changes the output.
  const Bytes input = tailTieInput();
  TDeflateBuffers dirty;
  dirty.window()[input.size()] = 'Y';
  EXPECT_NE(compress(dirty, input, 9).output, compress(input, 9).output);
}

TEST(EntrySeam, EntryAfterACompleteOneIsTheSameAsAlone) {
  for (int level : {1, 6, 9}) {
    TDeflateBuffers shared;
    compress(shared, firstEntryLeavingY(20000), level);
    EXPECT_EQ(compress(shared, tailTieInput(), level).output,
              compress(tailTieInput(), level).output)
        << "level " << level;
  }
}

// The first entry fails part-way; the next one through the same buffers must not notice.
struct TFailure {
  const char* name;
  long readsBeforeFailure;
  long writesBeforeFailure;
};

class FailedEntry : public ::testing::TestWithParam<TFailure> {};

TEST_P(FailedEntry, LeavesTheBuffersReusable) {
  const TFailure& f = GetParam();
  const Bytes first = firstEntryLeavingY(300000);
  const Bytes second = tailTieInput();
  for (int level : {1, 6, 9}) {
    TDeflateBuffers shared;
    TMemoryIo failing(first);
    failing.readsBeforeFailure = f.readsBeforeFailure;
    failing.writesBeforeFailure = f.writesBeforeFailure;
    EXPECT_THROW(deflate_entry(shared, level, failing), std::runtime_error);
    EXPECT_EQ(compress(shared, second, level).output, compress(second, level).output)
        << "level " << level;
  }
}

INSTANTIATE_TEST_SUITE_P(Seam, FailedEntry,
                         ::testing::Values(TFailure{"ReadFails", 1, -1},
                                           TFailure{"WriteFails", -1, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace larkspur::deflate::test
