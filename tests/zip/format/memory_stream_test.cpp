// The in-memory stream: growth, gaps, seeking and refusals at odd positions.
#include "zip/format/memory_stream.h"

#include <gtest/gtest.h>

#include <limits>

namespace larkspur::zip {
namespace {

TEST(MemoryStream, GrowsAndOverwrites) {
  TMemoryStream stream;
  stream.WriteBuffer("hello", 5);
  stream.Seek(1, 0);
  stream.WriteBuffer("EL", 2);
  EXPECT_EQ(stream.Bytes(), "hELlo");
  EXPECT_EQ(stream.Position(), 3);
  EXPECT_EQ(stream.Size(), 5);
  EXPECT_EQ(stream.Position(), 3); // Size() leaves the position alone
}

TEST(MemoryStream, WritePastTheEndZeroFills) {
  TMemoryStream stream(std::string("ab"));
  EXPECT_EQ(stream.Seek(2, 2), 4);
  stream.WriteBuffer("c", 1);
  EXPECT_EQ(stream.Bytes(), std::string("ab\0\0c", 5));
}

TEST(MemoryStream, ReadsStopAtTheEnd) {
  TMemoryStream stream(std::string("abcdef"));
  char buffer[10] = {};
  EXPECT_EQ(stream.Seek(-2, 2), 4);
  EXPECT_EQ(stream.Read(buffer, 10), 2);
  EXPECT_EQ(std::string(buffer, 2), "ef");
  EXPECT_EQ(stream.Read(buffer, 10), 0);
  EXPECT_THROW(stream.ReadBuffer(buffer, 1), EStreamError);
}

TEST(MemoryStream, NegativeOrHugePositionsMoveNothing) {
  TMemoryStream stream(std::string("abc"));
  char buffer[4];
  stream.Seek(-1, 0);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  EXPECT_EQ(stream.Write("x", 1), 0);
  stream.Seek(std::numeric_limits<std::int64_t>::max(), 0);
  EXPECT_EQ(stream.Seek(10, 1), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(stream.Write("x", 1), 0);
  EXPECT_EQ(stream.Bytes(), "abc");
  EXPECT_THROW(stream.Seek(0, 7), Error);
}

TEST(MemoryStream, SetSizeAndClear) {
  TMemoryStream stream(std::string("abcdef"));
  stream.Seek(5, 0);
  stream.SetSize(3);
  EXPECT_EQ(stream.Bytes(), "abc");
  EXPECT_EQ(stream.Position(), 5);
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);
}

} // namespace
} // namespace larkspur::zip
