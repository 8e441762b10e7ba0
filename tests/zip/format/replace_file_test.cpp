// Replacing a file: the rename with the old file moved aside, the copy fallback and its box,
// and the old file surviving a copy that fails.
#include "zip/format/replace_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/paths.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::zip {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

struct Box {
  std::string text, caption;
  unsigned flags;
};

class ReplaceFileTest : public ::testing::Test {
protected:
  MessageBoxFunction recorder() {
    return [this](const std::string& text, const std::string& caption, unsigned flags) {
      boxes.push_back(Box{text, caption, flags});
      return platform::idOk;
    };
  }
  std::vector<Box> boxes;
  TempDir dir;
};

TEST_F(ReplaceFileTest, RenameOnOneDriveLeavesNoAsideFile) {
  writeFile(dir.file("new.tmp"), "new archive");
  writeFile(dir.file("a.zip"), "old archive");
  ReplaceFile(dir.file("new.tmp"), dir.file("a.zip"), recorder());
  EXPECT_EQ(readFile(dir.file("a.zip")), "new archive");
  EXPECT_FALSE(platform::fileExists(dir.file("new.tmp")));
  EXPECT_FALSE(platform::fileExists(dir.file("a.zip$$$")));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ReplaceFileTest, RenameToAMissingDestination) {
  writeFile(dir.file("new.tmp"), "data");
  ReplaceFile(dir.file("new.tmp"), dir.file("a.zip"), recorder());
  EXPECT_EQ(readFile(dir.file("a.zip")), "data");
  EXPECT_FALSE(platform::fileExists(dir.file("new.tmp")));
}

TEST_F(ReplaceFileTest, BlockedAsideNameFallsBackToCopyInPlace) {
  writeFile(dir.file("new.tmp"), "new archive");
  writeFile(dir.file("a.zip"), "old archive");
  writeFile(dir.file("a.zip$$$"), "someone else's");
  ReplaceFile(dir.file("new.tmp"), dir.file("a.zip"), recorder());
  EXPECT_EQ(readFile(dir.file("a.zip")), "new archive");
  EXPECT_EQ(readFile(dir.file("a.zip$$$")), "someone else's");
  EXPECT_TRUE(platform::fileExists(dir.file("new.tmp"))); // the caller deletes it
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ReplaceFileTest, CopyOfNothingShowsTheBox) {
  writeFile(dir.file("new.tmp"), "");
  writeFile(dir.file("a.zip"), "old");
  writeFile(dir.file("a.zip$$$"), "blocker");
  ReplaceFile(dir.file("new.tmp"), dir.file("a.zip"), recorder());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "Could not copy from " + dir.file("new.tmp") + " -> " + dir.file("a.zip"));
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].flags, platform::mbOk);
  EXPECT_EQ(readFile(dir.file("a.zip")), "");
}

TEST_F(ReplaceFileTest, FailedCopyPutsTheOldFileBack) {
  writeFile(dir.file("a.zip"), "old archive");
  EXPECT_THROW(ReplaceFile(dir.file("missing.tmp"), dir.file("a.zip"), recorder()),
               platform::FileOpenError);
  EXPECT_EQ(readFile(dir.file("a.zip")), "old archive");
  EXPECT_FALSE(platform::fileExists(dir.file("a.zip$$$")));
  EXPECT_TRUE(boxes.empty());
}

#ifdef _WIN32
// Under Wine the temporary folder is on C: and the Unix root is Z:, two drives.
TEST_F(ReplaceFileTest, OtherDriveIsCopied) {
  TempDir other("Z:\\tmp");
  ASSERT_NE(paths::UpperCaseAscii(paths::ExtractFileDrive(other.path())),
            paths::UpperCaseAscii(paths::ExtractFileDrive(dir.path())));
  writeFile(other.file("new.tmp"), "across drives");
  writeFile(dir.file("a.zip"), "old");
  ReplaceFile(other.file("new.tmp"), dir.file("a.zip"), recorder());
  EXPECT_EQ(readFile(dir.file("a.zip")), "across drives");
  EXPECT_TRUE(platform::fileExists(other.file("new.tmp")));
  EXPECT_TRUE(boxes.empty());

  writeFile(other.file("empty.tmp"), "");
  ReplaceFile(other.file("empty.tmp"), dir.file("b.zip"), recorder());
  ASSERT_EQ(boxes.size(), 1u); // shown although nothing failed
  EXPECT_EQ(boxes[0].text,
            "Could not copy from " + other.file("empty.tmp") + " -> " + dir.file("b.zip"));
}
#endif

} // namespace
} // namespace larkspur::zip
