// The buffered file stream over real files: open modes, the flush to disk at destruction, and
// errors of the platform file passing through.
#include "zip/format/lfn_file_stream.h"

#include <gtest/gtest.h>

#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::zip {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// A file stream that counts the requests to put its buffers on disk.
class WatchedFile : public THandleStream {
public:
  WatchedFile(platform::File file, int& flushes)
      : THandleStream(std::move(file)), flushes_(flushes) {}
  void FlushToDisk() override {
    ++flushes_;
    THandleStream::FlushToDisk();
  }

private:
  int& flushes_;
};

struct FlushCase {
  std::uint16_t mode;
  bool flag;
  bool write;
  int expectedFlushes;
};

class FlushOnCloseTest : public ::testing::TestWithParam<FlushCase> {};

TEST_P(FlushOnCloseTest, FlushesOnlyWritableStreamsThatWrote) {
  const FlushCase& c = GetParam();
  TempDir dir;
  const std::string name = dir.file("f.bin");
  writeFile(name, "contents");
  int flushes = 0;
  {
    platform::File file =
        c.mode == fmCreate
            ? platform::File::create(name)
            : platform::File::open(name, platform::Access::ReadWrite, platform::Share::DenyNone);
    TLFNFileStream stream(std::make_unique<WatchedFile>(std::move(file), flushes), StreamBufferSize,
                          c.flag, c.mode);
    if (c.write)
      stream.WriteBuffer("xy", 2);
  }
  EXPECT_EQ(flushes, c.expectedFlushes);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FlushOnCloseTest,
    ::testing::Values(FlushCase{fmCreate, true, true, 1}, FlushCase{fmCreate, true, false, 0},
                      FlushCase{fmCreate, false, true, 0},
                      FlushCase{fmOpenReadWrite | fmShareDenyWrite, true, true, 1},
                      FlushCase{fmOpenWrite | fmShareExclusive, true, true, 1},
                      // Read-only with the flag: never flushed, even after a (refused) write.
                      FlushCase{fmOpenRead | fmShareDenyWrite, true, true, 0},
                      FlushCase{fmOpenRead | fmShareDenyNone, true, false, 0}));

TEST(LFNFileStream, ModeGrantsWriteFollowsTheAccessBits) {
  EXPECT_TRUE(ModeGrantsWrite(fmCreate));
  EXPECT_TRUE(ModeGrantsWrite(fmOpenWrite | fmShareDenyNone));
  EXPECT_TRUE(ModeGrantsWrite(fmOpenReadWrite));
  EXPECT_FALSE(ModeGrantsWrite(fmOpenRead | fmShareExclusive));
  EXPECT_FALSE(ModeGrantsWrite(fmOpenRead | fmShareDenyNone));
}

TEST(LFNFileStream, CreateWritesThroughTheBufferOnClose) {
  TempDir dir;
  const std::string name = dir.file("new.zip");
  const std::string data(20000, 'k');
  {
    TLFNFileStream stream(name, StreamBufferSize, true, fmCreate);
    EXPECT_TRUE(stream.SyncOnClose);
    stream.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    EXPECT_EQ(stream.Size(), 20000);
  }
  EXPECT_EQ(readFile(name), data);
}

TEST(LFNFileStream, ReadsAnExistingFileAndRewritesInPlace) {
  TempDir dir;
  const std::string name = dir.file("a.bin");
  writeFile(name, "header-and-body");
  {
    TLFNFileStream stream(name, StreamBufferSize, false, fmOpenReadWrite | fmShareDenyWrite);
    EXPECT_FALSE(stream.SyncOnClose);
    char head[6] = {};
    stream.ReadBuffer(head, 6);
    EXPECT_EQ(std::string(head, 6), "header");
    stream.Seek(0, 0);
    stream.WriteBuffer("HEADER", 6);
    stream.Seek(-4, 2);
    char tail[4] = {};
    stream.ReadBuffer(tail, 4);
    EXPECT_EQ(std::string(tail, 4), "body");
  }
  EXPECT_EQ(readFile(name), "HEADER-and-body");
}

TEST(LFNFileStream, SetSizeCutsAfterPendingBytes) {
  TempDir dir;
  const std::string name = dir.file("a.bin");
  writeFile(name, "0123456789");
  {
    TLFNFileStream stream(name, StreamBufferSize, false, fmOpenReadWrite);
    char two[2];
    stream.ReadBuffer(two, 2);
    stream.WriteBuffer("ab", 2);
    EXPECT_TRUE(stream.SetSize(6));
    EXPECT_EQ(stream.Position(), 4);
    char rest[8] = {};
    EXPECT_EQ(stream.Read(rest, 8), 2);
    EXPECT_EQ(std::string(rest, 2), "45");
  }
  EXPECT_EQ(readFile(name), "01ab45");
}

TEST(LFNFileStream, PlatformErrorsPassThrough) {
  TempDir dir;
  EXPECT_THROW(TLFNFileStream(dir.file("missing"), StreamBufferSize, false, fmOpenRead),
               platform::FileOpenError);
  EXPECT_THROW(TLFNFileStream(dir.file("no") + platform::kPathDelimiter + "x", StreamBufferSize,
                              false, fmCreate),
               platform::FileCreateError);
  writeFile(dir.file("ro"), "abc");
  TLFNFileStream readOnly(dir.file("ro"), StreamBufferSize, true, fmOpenRead | fmShareDenyWrite);
  readOnly.WriteBuffer("x", 1);                 // only buffered so far
  EXPECT_THROW(readOnly.Flush(), EStreamError); // the system refuses it
  EXPECT_THROW(readOnly.Seek(-10, 0), platform::FileIoError);
  EXPECT_EQ(readFile(dir.file("ro")), "abc");
}

} // namespace
} // namespace larkspur::zip
