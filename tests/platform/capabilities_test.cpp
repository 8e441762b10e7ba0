// The capability values against the system the tests run on: portable code trusts them instead
// of asking which system it is, so each must describe what the file system really does.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/target_files.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::platform {
namespace {

TEST(Capabilities, DescribeTheFileSystem) {
  test::TempDir dir;
  const std::string name = dir.file("Mixed.txt");
  test::writeFile(name, "x");
  const std::string otherCase = dir.file("MIXED.TXT");
  EXPECT_EQ(fileExists(otherCase), kNamesIgnoreCase);
  EXPECT_EQ(setUnixMode(name, 0644), kFilesHaveUnixModes);
}

} // namespace
} // namespace larkspur::platform
