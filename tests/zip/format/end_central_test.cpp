// The end record: layout as written, the backward scan and its limits, comment handling.
#include "zip/format/end_central.h"

#include <gtest/gtest.h>

#include "record_test_support.h"
#include "zip/format/memory_stream.h"

namespace larkspur::zip {
namespace {

using test::le16;
using test::le32;

std::string endRecord(std::uint16_t entries, std::uint32_t size, std::uint32_t offset,
                      const std::string& comment) {
  return "PK\x05\x06" + le16(0) + le16(0) + le16(entries) + le16(entries) + le32(size) +
         le32(offset) + le16(static_cast<std::uint16_t>(comment.size())) + comment;
}

TEST(EndCentral, WritesTheFixedFieldsAndTheComment) {
  TEndCentral end;
  end.ThisDisk = 1;
  end.CentralStartDisk = 2;
  end.EntriesOnThisDisk = 3;
  end.TotalEntries = 4;
  end.CentralSize = 0x0A0B0C0D;
  end.CentralOffset = 0x01020304;
  end.SetComment("note");
  TMemoryStream out;
  end.WriteEndRecord(out);
  EXPECT_EQ(out.Bytes(), "PK\x05\x06" + le16(1) + le16(2) + le16(3) + le16(4) + le32(0x0A0B0C0D) +
                             le32(0x01020304) + le16(4) + "note");
  EXPECT_EQ(end.RecordSize(), 26);
}

TEST(EndCentral, CommentWithZeroBytesIsWrittenWhole) {
  TEndCentral end;
  end.SetComment(std::string("a\0b", 3));
  TMemoryStream out;
  end.WriteEndRecord(out);
  EXPECT_EQ(out.Bytes().substr(20), le16(3) + std::string("a\0b", 3));
}

TEST(EndCentral, LocatesTheRecordAndItsCommentPosition) {
  TMemoryStream stream("central directory bytes" + endRecord(2, 100, 5, "hello"));
  TEndCentral end;
  ASSERT_TRUE(end.LocateEndRecord(stream));
  EXPECT_EQ(end.TotalEntries, 2);
  EXPECT_EQ(end.EntriesOnThisDisk, 2);
  EXPECT_EQ(end.CentralSize, 100u);
  EXPECT_EQ(end.CentralOffset, 5u);
  EXPECT_EQ(end.CommentLength, 5);
  EXPECT_EQ(end.CommentPosition, 23u + 22u);
  EXPECT_FALSE(end.Comment().has_value());
  EXPECT_EQ(end.Signature, 0x06054B50u);
}

TEST(EndCentral, EmptyFileIsAnArchiveWithoutEntries) {
  TMemoryStream stream;
  TEndCentral end;
  EXPECT_TRUE(end.LocateEndRecord(stream));
  EXPECT_EQ(end.TotalEntries, 0);
  EXPECT_EQ(end.CentralOffset, 0u);
}

TEST(EndCentral, SignatureInsideTheCommentWinsWhenNearerTheEnd) {
  const std::string inner = endRecord(7, 1, 2, "");
  TMemoryStream stream(endRecord(1, 46, 0, "c:" + inner + "tail"));
  TEndCentral end;
  ASSERT_TRUE(end.LocateEndRecord(stream));
  EXPECT_EQ(end.TotalEntries, 7);
  EXPECT_EQ(end.CommentPosition, 22u + 2u + 22u);
}

class EndRecordMissing : public testing::TestWithParam<std::string> {};

TEST_P(EndRecordMissing, ReturnsFalseAndPutsThePositionBack) {
  TMemoryStream stream(GetParam());
  stream.SetPosition(3);
  TEndCentral end;
  EXPECT_FALSE(end.LocateEndRecord(stream));
  EXPECT_EQ(stream.Position(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Records, EndRecordMissing,
    testing::Values(std::string(21, '\0'),
                    // The signature with fewer than 18 bytes after it is no record.
                    "xx" + std::string("PK\x05\x06") + std::string(17, '\0'),
                    std::string(1000, 'P'),
                    // Farther from the end than the longest comment allows.
                    endRecord(1, 0, 0, "") + std::string(65536, 'x')));

TEST(EndCentral, RecordBehindTheLongestCommentIsFound) {
  TMemoryStream stream("lead" + endRecord(3, 0, 0, "") + std::string(65535, 'x'));
  TEndCentral end;
  ASSERT_TRUE(end.LocateEndRecord(stream));
  EXPECT_EQ(end.TotalEntries, 3);
  EXPECT_EQ(end.CommentPosition, 4u + 22u);
}

TEST(EndCentral, AssignCopiesALoadedCommentWithItsLength) {
  TEndCentral source;
  source.TotalEntries = 5;
  source.CommentPosition = 99;
  source.SetComment("abc");
  source.CommentLength = 10; // out of step with the text: the copy follows the text
  source.Modified = true;
  TEndCentral copy;
  copy.Assign(source);
  EXPECT_EQ(copy.TotalEntries, 5);
  EXPECT_EQ(copy.CommentPosition, 99u);
  EXPECT_EQ(copy.Comment(), std::optional<std::string>("abc"));
  EXPECT_EQ(copy.CommentLength, 3);
  EXPECT_FALSE(copy.Modified);

  TEndCentral unloaded;
  TMemoryStream stream(endRecord(0, 0, 0, "xy"));
  ASSERT_TRUE(unloaded.LocateEndRecord(stream));
  copy.Assign(unloaded);
  EXPECT_EQ(copy.CommentLength, 2);
  EXPECT_FALSE(copy.Comment().has_value());
}

TEST(EndCentral, EmptyCommentLeavesNoComment) {
  TEndCentral end;
  end.SetComment("x");
  end.SetComment("");
  EXPECT_FALSE(end.Comment().has_value());
  EXPECT_FALSE(end.HasComment());
  EXPECT_EQ(end.RecordSize(), 22);
}

TEST(EndCentral, CommentTooLongForItsLengthFieldIsNotWritten) {
  TEndCentral end;
  end.SetComment(std::string(0x10001, 'c'));
  TMemoryStream out;
  EXPECT_THROW(end.WriteEndRecord(out), EStreamError);
}

} // namespace
} // namespace larkspur::zip
