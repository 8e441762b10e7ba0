// Damaged and hostile streams: each is refused with a message naming the fault, whatever buffer
// sizes the caller uses, and zlib (where available) agrees that the stream is invalid.
#include <gtest/gtest.h>

#include <string>

#include "deflate/memory_io.h"
#include "deflate/test_data.h"
#include "inflate/inflate_driver.h"
#ifdef LARKSPUR_HAVE_ZLIB
#include <zlib.h>
#endif

namespace larkspur::inflate::test {
namespace {

// Writes fields least significant bit first and Huffman codes most significant bit first, as
// Deflate packs them.
class BitWriter {
public:
  BitWriter& bits(unsigned value, unsigned count) {
    for (unsigned i = 0; i < count; ++i)
      put((value >> i) & 1);
    return *this;
  }
  BitWriter& code(unsigned value, unsigned length) {
    for (unsigned i = length; i-- > 0;)
      put((value >> i) & 1);
    return *this;
  }
  Bytes done() const { return bytes_; }

private:
  void put(unsigned bit) {
    if (used_ % 8 == 0)
      bytes_.push_back(0);
    bytes_.back() |= std::uint8_t(bit << (used_ % 8));
    ++used_;
  }
  Bytes bytes_;
  unsigned used_ = 0;
};

// A dynamic block header whose code-length code gives symbols 0-15 four-bit codes (code = the
// symbol), so any list of lengths can follow without repeats. `litLen` lengths then `distance`.
BitWriter dynamicHeader(const std::vector<unsigned>& litLen, const std::vector<unsigned>& distance,
                        unsigned codeLengthCount = 19) {
  BitWriter w;
  w.bits(1, 1).bits(2, 2).bits(unsigned(litLen.size()) - 257, 5);
  w.bits(unsigned(distance.size()) - 1, 5).bits(codeLengthCount - 4, 4);
  static const unsigned order[] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                   11, 4,  12, 3, 13, 2, 14, 1, 15};
  for (unsigned i = 0; i < codeLengthCount; ++i)
    w.bits(order[i] < 16 ? 4 : 0, 3);
  for (const unsigned length : litLen)
    w.code(length, 4);
  for (const unsigned length : distance)
    w.code(length, 4);
  return w;
}

// Lengths for `count` symbols: the listed ones set, the rest 0.
std::vector<unsigned> lengths(std::size_t count, std::initializer_list<std::pair<int, int>> set) {
  std::vector<unsigned> result(count, 0);
  for (const auto& [symbol, length] : set)
    result[std::size_t(symbol)] = unsigned(length);
  return result;
}

// The code-length code {0: 3 bits, 1: 3 bits, 16/17/18: 2 bits}, followed by its symbols.
BitWriter repeatHeader(unsigned litLenCount, std::initializer_list<std::pair<int, int>> symbols) {
  BitWriter w;
  w.bits(1, 1).bits(2, 2).bits(litLenCount - 257, 5).bits(0, 5).bits(19 - 4, 4);
  static const unsigned order[] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                   11, 4,  12, 3, 13, 2, 14, 1, 15};
  for (const unsigned symbol : order)
    w.bits(symbol >= 16 ? 2 : symbol <= 1 ? 3 : 0, 3);
  // Canonical codes: 16 -> 00, 17 -> 01, 18 -> 10, 0 -> 110, 1 -> 111.
  for (const auto& [symbol, extra] : symbols) {
    switch (symbol) {
    case 0:
      w.code(6, 3);
      break;
    case 1:
      w.code(7, 3);
      break;
    case 16:
      w.code(0, 2).bits(unsigned(extra), 2);
      break;
    case 17:
      w.code(1, 2).bits(unsigned(extra), 3);
      break;
    default:
      w.code(2, 2).bits(unsigned(extra), 7);
    }
  }
  return w;
}

// Fixed-code pieces: a literal byte below 144, a length-3 match, a distance code, end of block.
BitWriter& fixedLiteral(BitWriter& w, unsigned byte) {
  return w.code(0x30 + byte, 8);
}
BitWriter& fixedMatch3(BitWriter& w, unsigned distanceCode) {
  return w.code(1, 7).code(distanceCode, 5);
}

Bytes truncatedText() {
  const Bytes input = deflate::test::makeInput(deflate::test::TShape::Text, 5000);
  Bytes stream = deflate::test::compress(input, 6).output;
  stream.resize(stream.size() - 3);
  return stream;
}

struct HostileCase {
  const char* name;
  Bytes stream;
  const char* message; // a part of the error's text
};

std::vector<HostileCase> hostileCases() {
  std::vector<HostileCase> cases;
  const auto add = [&](const char* name, Bytes stream, const char* message) {
    cases.push_back({name, std::move(stream), message});
  };
  add("ReservedBlockType", {0x07}, "invalid block type");
  add("StoredLengthCheck", {0x01, 0x05, 0x00, 0x00, 0x00, 'x'}, "does not match its complement");
  add("Empty", {}, "ends before its last block");
  add("Truncated", truncatedText(), "ends before its last block");
  add("StoredDataTruncated", {0x01, 0x05, 0x00, 0xFA, 0xFF, 'a', 'b'}, "ends before");
  add("TooManyLengthCodes",
      BitWriter().bits(1, 1).bits(2, 2).bits(30, 5).bits(0, 5).bits(0, 4).done(),
      "too many length or distance codes");
  add("TooManyDistanceCodes",
      BitWriter().bits(1, 1).bits(2, 2).bits(0, 5).bits(30, 5).bits(0, 4).done(),
      "too many length or distance codes");
  {
    BitWriter w; // every code-length symbol one bit long
    w.bits(1, 1).bits(2, 2).bits(0, 5).bits(0, 5).bits(15, 4);
    for (int i = 0; i < 19; ++i)
      w.bits(1, 3);
    add("OverSubscribedCodeLengthCode", w.done(), "over-subscribed code length code");
  }
  {
    BitWriter w; // a lone one-bit code is fine for literals, not for code lengths
    w.bits(1, 1).bits(2, 2).bits(0, 5).bits(0, 5).bits(0, 4).bits(0, 3).bits(0, 3).bits(0, 3);
    w.bits(1, 3);
    add("IncompleteCodeLengthCode", w.done(), "incomplete code length code");
  }
  add("RepeatWithoutPrevious", repeatHeader(257, {{16, 0}}).done(), "no previous length");
  add("RepeatPastTheEnd", repeatHeader(257, {{18, 127}, {18, 127}}).done(), "repeat past the end");
  add("RepeatIntoDistancesPastTheEnd",
      repeatHeader(257, {{18, 127}, {18, 106}, {1, 0}, {16, 3}}).done(), "repeat past the end");
  add("NoEndOfBlockCode", dynamicHeader(lengths(257, {{0, 1}, {1, 1}}), {1}).done(),
      "no end-of-block code");
  add("OverSubscribedLiteralCode",
      dynamicHeader(lengths(257, {{0, 1}, {1, 1}, {256, 1}}), {1}).done(),
      "over-subscribed literal/length code");
  add("IncompleteLiteralCode", dynamicHeader(lengths(257, {{0, 2}, {256, 2}}), {1}).done(),
      "incomplete literal/length code");
  add("IncompleteDistanceCode", dynamicHeader(lengths(257, {{0, 1}, {256, 1}}), {2, 2, 2}).done(),
      "incomplete distance code");
  {
    BitWriter w = dynamicHeader(lengths(258, {{0, 1}, {257, 2}, {256, 2}}), {0});
    w.code(3, 2).bits(0, 8); // a match, but the block has no distance code
    add("MatchWithoutDistanceCode", w.done(), "invalid distance code");
  }
  {
    BitWriter w;
    w.bits(1, 1).bits(1, 2);
    fixedMatch3(w, 0); // distance 1 with no output yet
    add("DistanceBeforeStart", w.done(), "before the start of the output");
  }
  {
    BitWriter w;
    w.bits(1, 1).bits(1, 2);
    fixedLiteral(w, 'a');
    fixedMatch3(w, 1); // distance 2 after one byte
    add("DistanceOneTooFar", w.done(), "before the start of the output");
  }
  {
    BitWriter w;
    w.bits(1, 1).bits(1, 2);
    fixedLiteral(w, 'a');
    w.code(0xC6, 8); // literal/length symbol 286 exists only to complete the fixed code
    add("FixedLengthSymbol286", w.done(), "invalid literal/length code");
  }
  {
    BitWriter w;
    w.bits(1, 1).bits(1, 2);
    fixedLiteral(w, 'a');
    fixedMatch3(w, 30); // so does distance symbol 30
    add("FixedDistanceSymbol30", w.done(), "invalid distance code");
  }
  return cases;
}

#ifdef LARKSPUR_HAVE_ZLIB
bool zlibAccepts(const Bytes& stream) {
  z_stream z{};
  inflateInit2(&z, -15);
  Bytes in = stream;
  Bytes out(1 << 20);
  z.next_in = in.data();
  z.avail_in = uInt(in.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  const int status = ::inflate(&z, Z_FINISH);
  inflateEnd(&z);
  return status == Z_STREAM_END;
}
#endif

TEST(HostileStreams, AreRefusedWithTheirFaultNamed) {
  for (const HostileCase& c : hostileCases()) {
    for (const std::size_t chunk : {std::size_t(1), std::size_t(SIZE_MAX)}) {
      std::string message;
      try {
        inflateAll(c.stream, chunk, chunk == 1 ? 1 : 65536);
      } catch (const EInflateError& e) {
        message = e.what();
      }
      EXPECT_NE(message.find(c.message), std::string::npos)
          << c.name << " with chunks of " << chunk << ": \"" << message << "\"";
    }
#ifdef LARKSPUR_HAVE_ZLIB
    EXPECT_FALSE(zlibAccepts(c.stream)) << c.name;
#endif
  }
}

TEST(HostileStreams, AFailedStreamStaysFailedUntilReset) {
  Inflater inflater;
  Bytes out(16);
  const Bytes bad = {0x07};
  EXPECT_THROW(inflater.inflate(bad, out, true), EInflateError);
  const Bytes good = {0x03, 0x00}; // an empty fixed block
  EXPECT_THROW(inflater.inflate(good, out, true), EInflateError);
  inflater.reset();
  EXPECT_TRUE(inflater.inflate(good, out, true).finished);
}

// The inflater stops at the final block's end; what follows belongs to the caller (a gzip
// trailer, the next entry), so it is left unconsumed rather than read or refused.
TEST(HostileStreams, BytesAfterTheEndAreLeftUnconsumed) {
  const Bytes input = deflate::test::makeInput(deflate::test::TShape::Text, 100000);
  const Bytes stream = deflate::test::compress(input, 6).output;
  Bytes withTail = stream;
  for (int i = 0; i < 40; ++i)
    withTail.push_back(std::uint8_t(0xA5 ^ i));
  for (const std::size_t chunk : {std::size_t(1), std::size_t(SIZE_MAX)}) {
    const Inflated got = inflateAll(withTail, chunk);
    EXPECT_TRUE(got.output == input);
    EXPECT_EQ(got.consumed, stream.size()) << "chunks of " << chunk;
  }
}

} // namespace
} // namespace larkspur::inflate::test
