// The directory walker on real folders: order, recursion, dot-directories, masks against names
// without extension, directory patterns in the start path, sizes, deep trees and bad folders.
#include "zip/format/dir_search.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace larkspur::zip {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

constexpr char kSep = platform::kPathDelimiter;

// Writes `relative` paths under `dir` ("/" separated; a trailing "/" makes a folder). A file's
// content is its own name, so its size is known.
void makeTree(const test::TempDir& dir, const std::vector<std::string>& relative) {
  for (const std::string& entry : relative) {
    std::string path = dir.path();
    std::size_t begin = 0;
    for (std::size_t slash; (slash = entry.find('/', begin)) != std::string::npos;
         begin = slash + 1) {
      path += kSep + entry.substr(begin, slash - begin);
      platform::createDirectory(path);
    }
    if (begin < entry.size())
      test::writeFile(path + kSep + entry.substr(begin), entry.substr(begin));
  }
}

// Every name the walk yields, relative to `root` and with "/" separators.
std::vector<std::string> walk(const std::string& root, const std::string& start, bool recurse,
                              const std::string& mask) {
  TDirSearch search(start, recurse, mask);
  std::vector<std::string> names;
  for (;;) {
    platform::FindData found;
    std::string name;
    search.Next(found, name);
    if (name.empty())
      return names;
    EXPECT_EQ(name.compare(0, root.size(), root), 0) << name;
    std::string relative = name.substr(root.size());
    for (char& c : relative)
      if (c == kSep)
        c = '/';
    names.push_back(relative);
  }
}

std::vector<std::string> walk(const test::TempDir& dir, const std::string& start, bool recurse,
                              const std::string& mask) {
  std::string native = start;
  std::replace(native.begin(), native.end(), '/', kSep);
  return walk(dir.path() + kSep, dir.path() + kSep + native, recurse, mask);
}

// The walk's order: depth first and pre-order, a directory right before everything beneath it.
// Siblings come in byte order of their names on POSIX; the Windows order is the file system's,
// so there only the set of names and the pre-order shape are checked.
void expectWalk(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
#ifdef _WIN32
  auto sortedActual = actual;
  auto sortedExpected = expected;
  std::sort(sortedActual.begin(), sortedActual.end());
  std::sort(sortedExpected.begin(), sortedExpected.end());
  EXPECT_EQ(sortedActual, sortedExpected);
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (actual[i].empty() || actual[i].back() != '/')
      continue;
    const auto beneath = std::count_if(actual.begin(), actual.end(), [&](const std::string& n) {
      return n.size() > actual[i].size() && n.compare(0, actual[i].size(), actual[i]) == 0;
    });
    for (std::size_t j = i + 1; j <= i + static_cast<std::size_t>(beneath); ++j)
      EXPECT_EQ(actual[j].compare(0, actual[i].size(), actual[i]), 0) << actual[j];
  }
#else
  EXPECT_EQ(actual, expected);
#endif
}

class DirSearchTest : public testing::Test {
protected:
  test::TempDir dir;
};

TEST_F(DirSearchTest, RecursesDepthFirstReportingEachDirectoryBeforeItsContents) {
  makeTree(dir, {"a/b/c.txt", "a/b/d/e.txt", "a/z.txt", "a/b.txt", "a/B2/x"});
  expectWalk(walk(dir, "a", true, "*"), {"a/B2/", "a/B2/x", "a/b/", "a/b/c.txt", "a/b/d/",
                                         "a/b/d/e.txt", "a/b.txt", "a/z.txt"});
}

TEST_F(DirSearchTest, ListsOnlyTheTopLevelWithoutRecursion) {
  makeTree(dir, {"a/b/c.txt", "a/z.txt", "a/y.dat"});
  expectWalk(walk(dir, "a", false, "*"), {"a/y.dat", "a/z.txt"});
  expectWalk(walk(dir, "a", false, "*.txt"), {"a/z.txt"});
}

TEST_F(DirSearchTest, WalksDotDirectoriesLikeAnyOtherButNeverSelfOrParent) {
  makeTree(dir, {"a/.git/config", "a/.git/objects/x", "a/.profile", "a/src/.keep"});
  expectWalk(walk(dir, "a", true, "*"),
             {"a/.git/", "a/.git/config", "a/.git/objects/", "a/.git/objects/x", "a/.profile",
              "a/src/", "a/src/.keep"});
  expectWalk(walk(dir, "a/.g*", false, "*"), {"a/.git/config"});
}

TEST_F(DirSearchTest, MatchesNamesWithoutExtensionWithATrailingDot) {
  makeTree(dir, {"README", "notes.txt", "Makefile"});
  expectWalk(walk(dir, "", false, "*.*"), {"Makefile", "README", "notes.txt"});
  expectWalk(walk(dir, "", false, "*."), {"Makefile", "README"});
  expectWalk(walk(dir, "", false, "read*"), {"README"});
}

#ifndef _WIN32
// Only the dot the walk added for matching is taken off again.
TEST_F(DirSearchTest, KeepsTheTrailingDotOfANameThatHasOne) {
  makeTree(dir, {"odd.", "plain"});
  expectWalk(walk(dir, "", false, "*"), {"odd.", "plain"});
}
#endif

TEST_F(DirSearchTest, HandsBackFileSizesAndLeavesTheRecordAloneForDirectories) {
  makeTree(dir, {"sub/twelve bytes", "one"});
  TDirSearch search(dir.path(), true, "*");
  std::map<std::string, std::uint64_t> seen;
  for (;;) {
    platform::FindData found;
    found.size = 777;
    std::string name;
    search.Next(found, name);
    if (name.empty())
      break;
    seen[name.substr(dir.path().size() + 1)] = found.size;
  }
  const std::string sub = std::string("sub") + kSep;
  EXPECT_EQ(seen, (std::map<std::string, std::uint64_t>{
                      {"one", 3}, {sub, 777}, {sub + "twelve bytes", 12}}));
}

TEST_F(DirSearchTest, DirectoryPatternsSelectTheFoldersWhoseFilesAreListed) {
  makeTree(dir, {"data/top.txt", "data/2020/a.txt", "data/2020/deep/b.txt", "data/2021/c.txt",
                 "data/x2020/d.txt", "data/.2022/e.txt", "data/2023.txt"});
  expectWalk(walk(dir, "data/2*", false, "*"), {"data/2020/a.txt", "data/2021/c.txt"});
  expectWalk(walk(dir, "data/2*", true, "*"),
             {"data/2020/a.txt", "data/2020/deep/", "data/2020/deep/b.txt", "data/2021/c.txt"});
}

TEST_F(DirSearchTest, FollowsSeveralDirectoryPatternsInTurn) {
  makeTree(dir, {"p/2020/q1/a.txt", "p/2020/q2/b.txt", "p/2020/x1/c.txt", "p/2021/q3/d.txt",
                 "p/1999/q1/e.txt", "p/2020/q1.txt"});
  expectWalk(walk(dir, "p/20*/q?", false, "*.txt"),
             {"p/2020/q1/a.txt", "p/2020/q2/b.txt", "p/2021/q3/d.txt"});
  expectWalk(walk(dir, "p/*/<qx>1", false, "*"),
             {"p/1999/q1/e.txt", "p/2020/q1/a.txt", "p/2020/x1/c.txt"});
}

TEST_F(DirSearchTest, EndsAtOnceWhenTheStartFolderIsMissing) {
  EXPECT_THAT(walk(dir, "missing", true, "*"), IsEmpty());
  EXPECT_THAT(walk(dir, "missing/2*", true, "*"), IsEmpty());
  // Asking again after the end is harmless.
  TDirSearch search(dir.file("missing"), true, "*");
  platform::FindData found;
  std::string name = "x";
  search.Next(found, name);
  search.Next(found, name);
  EXPECT_EQ(name, "");
}

// An empty start path means the current folder, also in front of a directory pattern.
TEST_F(DirSearchTest, WalksTheCurrentFolderForAnEmptyStartPath) {
  makeTree(dir, {"f.txt", "2020/g.txt"});
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const auto here = walk("", "", true, "*");
  const auto patterned = walk("", "2*", false, "*");
  std::filesystem::current_path(previous);
  expectWalk(here, {"2020/", "2020/g.txt", "f.txt"});
  expectWalk(patterned, {"2020/g.txt"});
}

TEST_F(DirSearchTest, WalksTreesDeeperThanTwentyLevels) {
  std::vector<std::string> expected;
  std::string deep = "t/";
  for (int level = 0; level < 30; ++level)
    expected.push_back(deep += "d/");
  expected.push_back(deep + "bottom.txt");
  expected.push_back("t/top.txt");
  makeTree(dir, {deep + "bottom.txt", "t/top.txt"});
  expectWalk(walk(dir, "t", true, "*.txt"), expected);
}

TEST_F(DirSearchTest, ReleasesEveryLevelWhenAbandonedHalfway) {
  makeTree(dir, {"a/b/c/d.txt"});
  TDirSearch search(dir.path(), true, "*");
  platform::FindData found;
  std::string name;
  for (int i = 0; i < 3; ++i)
    search.Next(found, name);
  EXPECT_EQ(search.Levels.size(), 4u);
}

#ifndef _WIN32
TEST_F(DirSearchTest, DoesNotFollowALinkThatLoopsBackUp) {
  makeTree(dir, {"a/b/f.txt"});
  const std::string link = dir.file("a/b/up");
  ASSERT_EQ(::symlink("..", link.c_str()), 0);
  const auto names = walk(dir, "a", true, "*");
  ::unlink(link.c_str());
  EXPECT_THAT(names, ElementsAre("a/b/", "a/b/f.txt"));
}

TEST_F(DirSearchTest, GoesOnPastAFolderItCannotRead) {
  makeTree(dir, {"a/locked/secret.txt", "a/open/f.txt"});
  const std::string locked = dir.file("a/locked");
  ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
  const auto names = walk(dir, "a", true, "*");
  ::chmod(locked.c_str(), 0755);
  EXPECT_EQ(names.front(), "a/locked/");
  EXPECT_THAT(std::vector<std::string>(names.end() - 2, names.end()),
              ElementsAre("a/open/", "a/open/f.txt"));
}
#endif

} // namespace
} // namespace larkspur::zip
