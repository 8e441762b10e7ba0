// Directory listing with the Windows find semantics, and the lookup of a single entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::platform {
namespace {

using test::TempDir;
using test::writeFile;

std::vector<FindData> listAll(const std::string& pattern) {
  std::vector<FindData> result;
  for (DirectoryFind find(pattern); find.ok(); find.advance())
    result.push_back(find.current());
  return result;
}

std::vector<std::string> namesOf(const std::vector<FindData>& entries) {
  std::vector<std::string> names;
  for (const auto& entry : entries)
    names.push_back(entry.name);
  return names;
}

TEST(DirectoryFind, ListsDotsFirstThenEveryEntry) {
  TempDir dir;
  writeFile(dir.file("b.txt"), "12345");
  writeFile(dir.file("README"), "");
  writeFile(dir.file("a.txt"), "");
  ASSERT_TRUE(createDirectory(dir.file("sub")));
  const auto entries = listAll(dir.file("*.*"));
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0].name, ".");
  EXPECT_EQ(entries[1].name, "..");
  const std::vector<std::string> names = namesOf(entries);
  std::vector<std::string> rest(names.begin() + 2, names.end());
#ifdef _WIN32
  std::sort(rest.begin(), rest.end()); // the file system's order; POSIX sorts by bytes itself
#endif
  EXPECT_EQ(rest, (std::vector<std::string>{"README", "a.txt", "b.txt", "sub"}));
  for (const auto& entry : entries) {
    const bool isDir = entry.name == "sub" || entry.name == "." || entry.name == "..";
    EXPECT_EQ((entry.attributes & faDirectory) != 0, isDir) << entry.name;
    if (entry.name == "b.txt") {
      EXPECT_EQ(entry.size, 5u);
      EXPECT_NE(entry.attributes & faArchive, 0u);
      EXPECT_EQ(entry.dosTime, fileDosTime(dir.file("b.txt")));
    }
  }
}

TEST(DirectoryFind, EndsWithANonZeroResult) {
  TempDir dir;
  DirectoryFind find(dir.file("*.*"));
  ASSERT_TRUE(find.ok());
  EXPECT_EQ(find.lastResult(), 0);
  EXPECT_EQ(find.advance(), 0); // ".."
  EXPECT_NE(find.advance(), 0);
  EXPECT_FALSE(find.ok());
  EXPECT_NE(find.advance(), 0); // stays over
}

TEST(DirectoryFind, MissingDirectoryListsNothing) {
  TempDir dir;
  DirectoryFind find(dir.file("none") + kPathDelimiter + "*.*");
  EXPECT_FALSE(find.ok());
  EXPECT_NE(find.lastResult(), 0);
}

TEST(DirectoryFind, SinglePathFindsThatEntryAlone) {
  TempDir dir;
  writeFile(dir.file("file.dat"), "abc");
  ASSERT_TRUE(createDirectory(dir.file("sub")));
  const auto file = listAll(dir.file("file.dat"));
  ASSERT_EQ(file.size(), 1u);
  EXPECT_EQ(file[0].name, "file.dat");
  EXPECT_EQ(file[0].size, 3u);
  const auto sub = listAll(dir.file("sub"));
  ASSERT_EQ(sub.size(), 1u);
  EXPECT_NE(sub[0].attributes & faDirectory, 0u);
  EXPECT_TRUE(listAll(dir.file("missing")).empty());
}

TEST(DirectoryFind, MaskSelectsMatchingNames) {
  TempDir dir;
  writeFile(dir.file("a.txt"), "");
  writeFile(dir.file("b.dat"), "");
  EXPECT_EQ(namesOf(listAll(dir.file("*.txt"))), std::vector<std::string>{"a.txt"});
}

TEST(DirectoryFind, MovedFindContinues) {
  TempDir dir;
  writeFile(dir.file("a"), "");
  DirectoryFind first(dir.file("*.*"));
  DirectoryFind second = std::move(first);
  EXPECT_EQ(second.current().name, ".");
  EXPECT_EQ(second.advance(), 0);
  EXPECT_EQ(second.advance(), 0);
  EXPECT_EQ(second.current().name, "a");
}

} // namespace
} // namespace larkspur::platform
