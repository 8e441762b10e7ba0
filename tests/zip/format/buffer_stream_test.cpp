// The buffer in front of a stream: how often the source is touched, direction switches without
// a seek, seeking from each origin, put-back and drain failures.
#include "zip/format/buffer_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "support/thrown_message.h"
#include "zip/format/memory_stream.h"

namespace larkspur::zip {
namespace {

// A memory stream that counts the calls the buffer makes and can refuse writes past a limit.
class CountingStream : public TMemoryStream {
public:
  using TMemoryStream::TMemoryStream;
  std::int64_t Read(void* buffer, std::int64_t count) override {
    ++reads;
    return TMemoryStream::Read(buffer, count);
  }
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    ++writes;
    const std::int64_t room = std::max<std::int64_t>(0, writeLimit - Position());
    return TMemoryStream::Write(buffer, std::min(count, room));
  }
  int reads = 0;
  int writes = 0;
  std::int64_t writeLimit = INT64_MAX;
};

std::string digits(std::size_t n) {
  std::string text(n, '\0');
  for (std::size_t i = 0; i < n; ++i)
    text[i] = static_cast<char>('0' + i % 10);
  return text;
}

std::string readString(TStream& stream, std::int64_t count) {
  std::string text(static_cast<std::size_t>(count), '\0');
  text.resize(static_cast<std::size_t>(stream.Read(text.data(), count)));
  return text;
}

void writeString(TStream& stream, const std::string& text) {
  ASSERT_EQ(stream.Write(text.data(), static_cast<std::int64_t>(text.size())),
            static_cast<std::int64_t>(text.size()));
}

TEST(BufferStream, SmallReadsTouchTheSourceOncePerBuffer) {
  CountingStream source(digits(20000));
  TS_BufferStream buffer(&source, 8192);
  int refills = 0;
  buffer.OnRefill = [&](TS_BufferStream&) { ++refills; };
  EXPECT_EQ(readString(buffer, 46), digits(46));
  EXPECT_EQ(readString(buffer, 30), digits(76).substr(46));
  EXPECT_EQ(source.reads, 1);
  EXPECT_EQ(refills, 1);
  EXPECT_EQ(buffer.Position(), 76);
  // Across the buffer boundary and to the end: 8192 + 8192 + 3616, then one empty read.
  EXPECT_EQ(readString(buffer, 30000), digits(20000).substr(76));
  EXPECT_EQ(source.reads, 4);
  EXPECT_EQ(readString(buffer, 5), "");
}

TEST(BufferStream, SeekBackAndRewriteReplacesTheBytes) {
  CountingStream source;
  {
    TS_BufferStream buffer(&source, 8192);
    writeString(buffer, std::string(30, 'a'));
    EXPECT_EQ(buffer.Seek(-30, 1), 0);
    writeString(buffer, std::string(30, 'b'));
  }
  EXPECT_EQ(source.Bytes(), std::string(30, 'b'));
}

TEST(BufferStream, ReadAfterWriteContinuesAfterTheWrittenBytes) {
  CountingStream source(digits(100));
  TS_BufferStream buffer(&source, 8192);
  writeString(buffer, "ABCDEFGHIJ");
  EXPECT_EQ(readString(buffer, 4), "0123");
  EXPECT_EQ(source.Bytes().substr(0, 14), "ABCDEFGHIJ0123");
  EXPECT_EQ(buffer.Position(), 14);
}

TEST(BufferStream, WriteAfterReadLandsAtTheLogicalPosition) {
  CountingStream source(digits(100));
  {
    TS_BufferStream buffer(&source, 8192);
    EXPECT_EQ(readString(buffer, 4), "0123");
    writeString(buffer, "xy");
    EXPECT_EQ(buffer.Position(), 6);
    EXPECT_EQ(readString(buffer, 2), "67");
  }
  EXPECT_EQ(source.Bytes().substr(0, 8), "0123xy67");
  EXPECT_EQ(source.Size(), 100);
}

TEST(BufferStream, WriteAfterReadingToTheEndAppends) {
  CountingStream source(digits(10));
  {
    TS_BufferStream buffer(&source, 8192);
    EXPECT_EQ(readString(buffer, 50), digits(10));
    writeString(buffer, "tail");
  }
  EXPECT_EQ(source.Bytes(), digits(10) + "tail");
}

TEST(BufferStream, ReadAfterAFullBufferWasWrittenReadsTheFile) {
  CountingStream source(std::string(20, 'z'));
  TS_BufferStream buffer(&source, 8);
  writeString(buffer, "01234567"); // exactly one buffer: drained at once
  EXPECT_EQ(readString(buffer, 4), "zzzz");
  EXPECT_EQ(buffer.Position(), 12);
}

TEST(BufferStream, WritesLargerThanTheBufferArriveWhole) {
  CountingStream source;
  {
    TS_BufferStream buffer(&source, 16);
    int drains = 0;
    buffer.OnDrain = [&](TS_BufferStream&) { ++drains; };
    writeString(buffer, digits(100));
    EXPECT_EQ(drains, 6); // 6 x 16 drained, 4 bytes pending
    EXPECT_EQ(buffer.Size(), 100);
  }
  EXPECT_EQ(source.Bytes(), digits(100));
}

struct SeekCase {
  std::int64_t offset;
  int origin;
  std::int64_t expected;
};

class BufferSeekTest : public ::testing::TestWithParam<SeekCase> {};

TEST_P(BufferSeekTest, TargetsFromEachOrigin) {
  CountingStream source(digits(100));
  TS_BufferStream buffer(&source, 8192);
  readString(buffer, 40);
  const SeekCase& c = GetParam();
  EXPECT_EQ(buffer.Seek(c.offset, c.origin), c.expected);
  EXPECT_EQ(readString(buffer, 1), digits(100).substr(static_cast<std::size_t>(c.expected), 1));
}

INSTANTIATE_TEST_SUITE_P(Origins, BufferSeekTest,
                         ::testing::Values(SeekCase{7, 0, 7}, SeekCase{5, 1, 45},
                                           SeekCase{-5, 1, 35}, SeekCase{10, 2, 90},
                                           SeekCase{-10, 2, 90}, SeekCase{0, 1, 40}));

TEST(BufferStream, SeekFromEndCountsPendingBytes) {
  CountingStream source(digits(10));
  TS_BufferStream buffer(&source, 8192);
  buffer.Seek(0, 2);
  writeString(buffer, "abcde");
  EXPECT_EQ(buffer.Seek(0, 2), 15);
  EXPECT_EQ(buffer.Seek(-3, 2), 12);
  EXPECT_EQ(readString(buffer, 3), "cde");
}

TEST(BufferStream, SeekToTheCurrentPositionKeepsTheBuffer) {
  CountingStream source(digits(100));
  TS_BufferStream buffer(&source, 8192);
  readString(buffer, 10);
  EXPECT_EQ(buffer.Seek(10, 0), 10);
  readString(buffer, 10);
  EXPECT_EQ(source.reads, 1);
  buffer.Seek(0, 0);
  readString(buffer, 10);
  EXPECT_EQ(source.reads, 2);
}

TEST(BufferStream, InvalidOriginRaises) {
  CountingStream source(digits(10));
  TS_BufferStream buffer(&source, 8192);
  EXPECT_EQ(test::thrownMessage<Error>([&] { buffer.Seek(0, 3); }), "Invalid seek origin (3)");
}

TEST(BufferStream, SeekAfterARefusedDrainRaises) {
  CountingStream source;
  source.writeLimit = 3;
  TS_BufferStream buffer(&source, 8192);
  writeString(buffer, "abcdef");
  EXPECT_EQ(test::thrownMessage<Error>([&] { buffer.Seek(0, 0); }), "\nSeek error");
}

TEST(BufferStream, RefusedDrainShortensTheWriteCount) {
  CountingStream source;
  source.writeLimit = 10;
  TS_BufferStream buffer(&source, 8);
  const std::string text = digits(16);
  // The first buffer (8 bytes) is accepted, the second is refused after 2 bytes.
  EXPECT_EQ(buffer.Write(text.data(), 16), 8);
  EXPECT_TRUE(buffer.HasWritten);
}

TEST(BufferStream, FlushReportsARefusal) {
  CountingStream source;
  source.writeLimit = 2;
  TS_BufferStream buffer(&source, 8192);
  writeString(buffer, "abc");
  EXPECT_EQ(test::thrownMessage<EStreamError>([&] { buffer.Flush(); }), "Stream write error");
  buffer.Flush(); // nothing pending any more
}

TEST(BufferStream, UnreadBytePutsBackOrOverflows) {
  CountingStream source(digits(10));
  TS_BufferStream buffer(&source, 8192);
  EXPECT_EQ(test::thrownMessage<EStreamError>([&] { buffer.UnreadByte('x'); }), "Putback overflow");
  EXPECT_EQ(readString(buffer, 2), "01");
  buffer.UnreadByte('Q');
  EXPECT_EQ(buffer.Position(), 1);
  EXPECT_EQ(readString(buffer, 3), "Q23");
  buffer.Seek(0, 0);
  EXPECT_THROW(buffer.UnreadByte('x'), EStreamError);
}

TEST(BufferStream, TinyBufferStillMakesProgress) {
  CountingStream source(digits(5));
  TS_BufferStream buffer(&source, 0);
  EXPECT_EQ(readString(buffer, 5), digits(5));
}

} // namespace
} // namespace larkspur::zip
