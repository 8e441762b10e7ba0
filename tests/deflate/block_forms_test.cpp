// The choice of block form on exact ties, checked on hand-made blocks: stored beats both coded
// forms at equal size, and fixed codes beat dynamic ones at equal whole bytes.
#include <gtest/gtest.h>

#include <vector>

#include "deflate/block_coder.h"
#include "deflate/memory_io.h"
#include "deflate/stream_decoder.h"
#include "deflate/test_data.h"

namespace larkspur::deflate::test {
namespace {

struct TTieCase {
  const char* name;
  std::vector<int> literals;
  TBlockForm expected;
};

// Blocks of literals only, written as a middle block (not last) and then an empty last block.
// The cases were found by search: their coded sizes tie exactly as the names say.
const TTieCase kTies[] = {
    // fixed codes: 142 bits -> 19 bytes = 15 + 4 (stored); dynamic is larger
    {"StoredTiesWithFixed",
     {152, 156, 153, 153, 152, 153, 153, 155, 152, 156, 155, 151, 151, 150, 152},
     TBlockForm::Stored},
    // dynamic codes: 203 bits -> 26 bytes = 22 + 4 (stored); fixed is larger
    {"StoredTiesWithDynamic",
     {160, 154, 155, 151, 154, 157, 150, 152, 154, 154, 156,
      159, 153, 156, 154, 160, 156, 156, 151, 156, 150, 157},
     TBlockForm::Stored},
    // dynamic 123 bits and fixed 124 bits both round up to 16 bytes
    {"FixedTiesWithDynamic",
     {151, 151, 151, 150, 150, 151, 150, 151, 150, 151, 151, 150, 150},
     TBlockForm::Fixed},
};

class BlockFormTie : public ::testing::TestWithParam<TTieCase> {};

TEST_P(BlockFormTie, PrefersTheSimplerForm) {
  const TTieCase& c = GetParam();
  const Bytes none;
  TMemoryIo io(none);
  TDeflateBuffers buffers;
  TDeflateResult header;
  TBitOutput out(io);
  TBlockCoder coder(buffers, 6, out, header);
  coder.ct_init();
  std::int32_t n = 0;
  for (int b : c.literals) {
    buffers.window()[n++] = std::uint8_t(b);
    ASSERT_FALSE(coder.ct_tally(0, unsigned(b), n));
  }
  coder.emit_block(buffers.window(), n, false);
  const std::uint64_t size = coder.emit_block(buffers.window() + n, 0, true);

  EXPECT_EQ(size, io.output.size());
  const TDecodedStream decoded = decodeStream(io.output);
  ASSERT_EQ(decoded.blocks.size(), 2u);
  EXPECT_EQ(decoded.blocks[0].form, c.expected);
  EXPECT_EQ(decoded.data, Bytes(c.literals.begin(), c.literals.end()));
}

INSTANTIATE_TEST_SUITE_P(Ties, BlockFormTie, ::testing::ValuesIn(kTies),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BlockForms, BlockThatDoesNotShrinkInsideAnEntryIsStored) {
  Bytes input = makeInput(TShape::Text, 100000);
  const Bytes tail = makeInput(TShape::Random, 60000);
  input.insert(input.end(), tail.begin(), tail.end());
  const TCompressed c = compress(input, 6);
  ASSERT_EQ(c.result.method, kMethodDeflated);
  const TDecodedStream decoded = decodeStream(c.output);
  EXPECT_EQ(decoded.data, input);
  bool sawStored = false;
  for (const TDecodedBlock& b : decoded.blocks)
    sawStored |= b.form == TBlockForm::Stored;
  EXPECT_TRUE(sawStored);
}

} // namespace
} // namespace larkspur::deflate::test
