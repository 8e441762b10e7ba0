// The platform file: creation, open modes, short transfers, seeking and sizes.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "support/thrown_message.h"

namespace larkspur::platform {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(File, CreateEmptiesAnExistingFile) {
  TempDir dir;
  const std::string name = dir.file("a.bin");
  writeFile(name, "old contents");
  {
    File file = File::create(name);
    EXPECT_EQ(file.size(), 0);
    EXPECT_EQ(file.write("new", 3), 3u);
    EXPECT_EQ(file.seek(0, SeekOrigin::Begin), 0);
    char back[8] = {};
    EXPECT_EQ(file.read(back, sizeof back), 3u); // created files are readable too
    EXPECT_EQ(std::string(back, 3), "new");
  }
  EXPECT_EQ(readFile(name), "new");
}

TEST(File, OpenMissingOrDirectoryRaisesOpenError) {
  TempDir dir;
  EXPECT_THROW(File::open(dir.file("missing"), Access::Read, Share::DenyNone), FileOpenError);
  EXPECT_THROW(File::open(dir.path(), Access::Read, Share::DenyNone), FileOpenError);
  EXPECT_THROW(File::create(dir.file("no") + kPathDelimiter + "x"), FileCreateError);
}

#ifndef _WIN32
TEST(File, ANamedPipeIsRefusedInsteadOfWaitedOn) {
  // Without a writer, a blocking open of a pipe would never return.
  TempDir dir;
  const std::string pipe = dir.file("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_THROW(File::open(pipe, Access::Read, Share::DenyNone), FileOpenError);
}
#endif

TEST(File, OpenErrorNamesTheFile) {
  TempDir dir;
  const std::string message = test::thrownMessage<FileOpenError>(
      [&] { File::open(dir.file("missing"), Access::Read, Share::DenyWrite); });
  EXPECT_EQ(message.rfind("Cannot open file \"" + dir.file("missing") + "\". ", 0), 0u) << message;
}

TEST(File, ReadsShortAtTheEndAndSeeksFromEachOrigin) {
  TempDir dir;
  const std::string name = dir.file("a.bin");
  writeFile(name, "0123456789");
  File file = File::open(name, Access::Read, Share::DenyWrite);
  EXPECT_EQ(file.size(), 10);
  EXPECT_EQ(file.seek(-3, SeekOrigin::End), 7);
  char buffer[8] = {};
  EXPECT_EQ(file.read(buffer, sizeof buffer), 3u);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(file.read(buffer, sizeof buffer), 0u);
  EXPECT_EQ(file.seek(-5, SeekOrigin::Current), 5);
  EXPECT_EQ(file.seek(2, SeekOrigin::Begin), 2);
  EXPECT_THROW(file.seek(-1, SeekOrigin::Begin), FileIoError);
}

TEST(File, ReadOnlyFileRefusesWrites) {
  TempDir dir;
  const std::string name = dir.file("a.bin");
  writeFile(name, "abc");
  File file = File::open(name, Access::Read, Share::DenyNone);
  EXPECT_EQ(file.write("x", 1), 0u);
  EXPECT_EQ(readFile(name), "abc");
}

TEST(File, SetSizeTruncatesAndExtends) {
  TempDir dir;
  const std::string name = dir.file("a.bin");
  writeFile(name, "abcdef");
  {
    File file = File::open(name, Access::ReadWrite, Share::Exclusive);
    EXPECT_TRUE(file.setSize(2));
    EXPECT_EQ(file.size(), 2);
    EXPECT_TRUE(file.setSize(4));
    file.flushToDisk();
  }
  EXPECT_EQ(readFile(name), std::string("ab\0\0", 4));
}

#ifdef _WIN32
TEST(File, ShareModesKeepOthersOut) {
  TempDir dir;
  const std::string name = dir.file("a.bin");
  writeFile(name, "abc");
  {
    File reader = File::open(name, Access::Read, Share::DenyWrite);
    EXPECT_THROW(File::open(name, Access::Write, Share::DenyNone), FileOpenError);
    EXPECT_NO_THROW(File::open(name, Access::Read, Share::DenyNone));
  }
  {
    File owner = File::open(name, Access::ReadWrite, Share::Exclusive);
    EXPECT_THROW(File::open(name, Access::Read, Share::DenyNone), FileOpenError);
  }
  EXPECT_NO_THROW(File::open(name, Access::ReadWrite, Share::Exclusive));
}
#endif

TEST(File, MovedFromFileKeepsOneOwner) {
  TempDir dir;
  const std::string name = dir.file("a.bin");
  File first = File::create(name);
  File second = std::move(first);
  EXPECT_EQ(second.write("xy", 2), 2u);
  File third = File::create(dir.file("b.bin"));
  third = std::move(second);
  EXPECT_EQ(third.size(), 2);
}

} // namespace
} // namespace larkspur::platform
