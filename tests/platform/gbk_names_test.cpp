// Real GBK file names under the ANSI code page 936: a character whose trail byte is 0x5C ("\")
// must never split a path, in the path functions and in the file calls alike.
#include <gtest/gtest.h>

#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/paths.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::platform {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// 誠 in GBK: lead byte 0xD5, trail byte 0x5C.
const std::string kTrail5C = "\xD5\x5C";

#ifdef _WIN32
TEST(GbkNames, CodePageIs936) {
  // The Wine prefix is made under zh_CN.UTF-8; without that every test below means nothing.
  ASSERT_EQ(GetACP(), 936u);
  EXPECT_TRUE(isLeadByte(0xD5));
  EXPECT_FALSE(isLeadByte('\\'));
  EXPECT_FALSE(isLeadByte('a'));
}
#endif

TEST(GbkNames, FileWhoseNameEndsInTrailByte5C) {
  TempDir dir;
  const std::string name = kTrail5C;
  const std::string full = dir.file(name);
  writeFile(full, "data");
  EXPECT_TRUE(fileExists(full));
  EXPECT_EQ(readFile(full), "data");
  EXPECT_EQ(paths::ExtractFileName(full), name);
  EXPECT_EQ(paths::ExtractFileDir(full), dir.path());
  EXPECT_EQ(paths::ExcludeTrailingPathDelimiter(full), full);
  EXPECT_EQ(paths::IncludeTrailingPathDelimiter(full), full + kPathDelimiter);
  std::vector<std::string> names;
  for (DirectoryFind find(dir.file("*.*")); find.ok(); find.advance())
    names.push_back(find.current().name);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", name}));
}

TEST(GbkNames, DirectoryWhoseNameEndsInTrailByte5C) {
  TempDir dir;
  const std::string sub = dir.file("a" + kTrail5C);
  ASSERT_TRUE(createDirectory(sub));
  const std::string inner = paths::IncludeTrailingPathDelimiter(sub) + kTrail5C + ".txt";
  writeFile(inner, "x");
  EXPECT_EQ(paths::ExtractFileName(inner), kTrail5C + ".txt");
  EXPECT_EQ(paths::ExtractFileExt(inner), ".txt");
  EXPECT_EQ(paths::ExtractFileDir(inner), sub);
  EXPECT_EQ(paths::RemoveFileExt(inner), paths::IncludeTrailingPathDelimiter(sub) + kTrail5C);
  EXPECT_TRUE(directoryExists(sub));
  DirectoryFind single(sub);
  ASSERT_TRUE(single.ok());
  EXPECT_EQ(single.current().name, "a" + kTrail5C);
  EXPECT_NE(single.current().attributes & faDirectory, 0u);
}

TEST(GbkNames, OemRoundTripKeepsGbkText) {
  // The OEM code page of a Chinese system is 936 as well, so GBK survives both ways.
  const std::string text = kTrail5C + "\xD6\xD0\xCE\xC4.txt"; // 誠中文.txt
  EXPECT_EQ(oemToAnsi(ansiToOem(text)), text);
}

} // namespace
} // namespace larkspur::platform
