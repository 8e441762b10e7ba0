// Zip end to end: expansion of the file list, new archives and rebuilt ones, the order of
// entries and events, the flows of the add-to-archive dialog, and what the writer keeps after.
#include <algorithm>
#include <set>

#include "writer_fixture.h"
#include "zip/format/zip_errors.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::hostSidePath;
using larkspur::test::runHostShell;
using larkspur::test::shellQuote;

class ZipOperation : public WriterTest {};

TEST_F(ZipOperation, AFolderSearchedWithRecursionStoresEveryFileUnderItsBareName) {
  make("a.txt", "alpha");
  make("sub/b.txt", "beta");
  make("sub/deeper/c.bin", std::string(1000, '\x7f'));
  make("sub/.hidden/d.txt", "dot folders are walked like any other");
  writer.SetRecurse(true);
  EXPECT_EQ(zip({src() + kSep + "*.*"}), 4);
  EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "d.txt", "b.txt", "c.bin"}));
  EXPECT_EQ(archiveProblems(zipName()), "");
  EXPECT_TRUE(writer.FilesList.empty());
  EXPECT_EQ(writer.EntryCount(), 4); // the directory just written stays in memory
}

TEST_F(ZipOperation, WildcardPrefixesOverrideRecurse) {
  make("a.txt", "alpha");
  make("sub/b.txt", "beta");
  writer.SetRecurse(true);
  EXPECT_EQ(zip({"|" + src() + kSep + "*.txt"}), 1);
  std::remove(zipName().c_str());
  writer.SetRecurse(false);
  EXPECT_EQ(zip({">" + src() + kSep + "*.txt"}), 2);
}

TEST_F(ZipOperation, AnEmptyFolderStillCreatesAnArchiveOfOnlyAnEndRecord) {
  platform::createDirectory(path("empty"));
  writer.SetRecurse(true);
  EXPECT_EQ(zip({path("empty") + kSep + "*.*"}), 0);
  EXPECT_EQ(readFile(zipName()).size(), 22u);
  // unzip reports an empty archive with a warning status, so the other two judge it.
  const std::string a = shellQuote(hostSidePath(zipName()));
  EXPECT_EQ(runHostShell("python3 -m zipfile -t " + a).exitCode, 0);
  EXPECT_EQ(runHostShell("7z t -bd " + a).exitCode, 0);
}

TEST_F(ZipOperation, WithoutEmptyArchivesARunThatAddsNothingLeavesNoArchive) {
  platform::createDirectory(path("empty"));
  writer.SetCreateEmptyArchive(false);
  writer.SetRecurse(true);
  EXPECT_EQ(zip({path("empty") + kSep + "*.*", path("nothere.txt")}), 0);
  EXPECT_FALSE(platform::fileExists(zipName()));
  EXPECT_TRUE(tempFiles().empty());
  // Once something goes in, the archive is written as always.
  EXPECT_EQ(zip({make("a.txt", "alpha")}), 1);
  EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
}

TEST_F(ZipOperation, ABlankArchiveNameWritesNothingAndReportsZero) {
  const std::string f = make("a.txt", "alpha");
  int completed = -1;
  writer.OnZipComplete = [&](TZipWriter&, std::int32_t n) { completed = n; };
  writer.SetZipName(" \t ");
  writer.FilesList = {f};
  EXPECT_EQ(writer.Zip(), 0);
  EXPECT_EQ(completed, 0);
  EXPECT_TRUE(writer.FilesList.empty());
  EXPECT_TRUE(tempFiles().empty());
}

TEST_F(ZipOperation, AMissingExplicitNameIsReportedOnceAndNotCounted) {
  const std::string f = make("a.txt", "alpha");
  std::vector<std::string> missing;
  writer.OnNoSuchFile = [&](TZipWriter&, const std::string& name) { missing.push_back(name); };
  EXPECT_EQ(zip({path("nothere.txt"), f}), 1);
  EXPECT_EQ(missing, std::vector<std::string>{path("nothere.txt")});
}

TEST_F(ZipOperation, ANameWithoutPathIsTakenUnderRootDir) {
  make("a.txt", "alpha");
  writer.SetRootDir(src());
  EXPECT_EQ(zip({"a.txt"}), 1);
  EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
}

TEST_F(ZipOperation, TheArchiveInsideTheSearchedFolderIsNeverStoredInItself) {
  make("a.txt", "alpha");
  writer.SetRecurse(true);
  writer.SetZipName(path("self.zip"));
  writer.FilesList = {src() + kSep + "*.*"};
  EXPECT_EQ(writer.Zip(), 1);
  make("b.txt", "beta");
  writer.FilesList = {src() + kSep + "*.*"};
  EXPECT_EQ(writer.Zip(), 1);
  const auto entries = readEntriesWithPython(path("self.zip"));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].name, "b.txt");
  EXPECT_EQ(archiveProblems(path("self.zip")), "");
}

TEST_F(ZipOperation, ExcludeListMatchesNamesOrWholePaths) {
  make("keep.txt", "k");
  make("drop.tmp", "d");
  make("sub/keep.log", "l");
  make("sub/other.log", "o");
  writer.SetRecurse(true);
  writer.SetExcludeList({"*.TMP", std::string("*") + kSep + "sub" + kSep + "o*"});
  EXPECT_EQ(zip({src() + kSep + "*.*", path("drop.tmp")}), 2);
  EXPECT_EQ(names(), (std::vector<std::string>{"keep.txt", "keep.log"}));
}

TEST_F(ZipOperation, TheSameFolderTwiceReplacesNothingAndKeepsTheArchiveAsItWas) {
  make("a.txt", "alpha", dosTime(2020, 5, 1));
  make("b.txt", "beta", dosTime(2020, 5, 1));
  writer.SetRecurse(true);
  EXPECT_EQ(zip({src() + kSep + "*.*"}), 2);
  const std::string before = readFile(zipName());
  std::vector<TUpdateAction> updates;
  writer.OnUpdate = [&](TZipWriter&, TUpdateAction a, std::int32_t) { updates.push_back(a); };
  EXPECT_EQ(zip({src() + kSep + "*.*"}), 0);
  EXPECT_EQ(readFile(zipName()), before);
  EXPECT_EQ(updates, (std::vector<TUpdateAction>{TUpdateAction::uaKeep, TUpdateAction::uaKeep}));
  EXPECT_TRUE(tempFiles().empty());
}

TEST_F(ZipOperation, ANewerFileReplacesItsEntryInPlaceAndNewFilesFollow) {
  const std::string a = make("a.txt", "alpha", dosTime(2020, 5, 1));
  const std::string b = make("b.txt", "beta", dosTime(2020, 5, 1));
  const std::string c = make("c.txt", "gamma", dosTime(2020, 5, 1));
  EXPECT_EQ(zip({a, b, c}), 3);
  make("b.txt", "beta, second edition", dosTime(2021, 1, 1));
  const std::string d = make("d.txt", "delta", dosTime(2020, 5, 1));
  EXPECT_EQ(zip({d, b}), 2);
  EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "d.txt"}));
  EXPECT_EQ(larkspur::test::extractWithUnzip(zipName(), "b.txt"), "beta, second edition");
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(ZipOperation, TwoFilesOfOneBareNameInOneCallKeepTheFirst) {
  make("x/dup.txt", "first");
  make("y/DUP.TXT", "second");
  std::vector<std::pair<TSkipReason, std::string>> skipped;
  writer.OnSkippingFile = [&](TZipReader&, TSkipReason r, const std::string& n, int index, bool&) {
    EXPECT_EQ(index, -1);
    skipped.emplace_back(r, n);
  };
  writer.SetRecurse(true);
  EXPECT_EQ(zip({src() + kSep + "*.*"}), 1);
  EXPECT_EQ(names(), std::vector<std::string>{"dup.txt"});
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].first, TSkipReason::srDuplicate);
  EXPECT_EQ(skipped[0].second, path("y/DUP.TXT"));
}

TEST_F(ZipOperation, TheDialogFlowReplacesABareNameOnlyWithANewerFile) {
  // One Zip per selected item, paths not stored: a later item's file of the same bare name.
  make("one/same.txt", "old", dosTime(2020, 1, 1));
  make("two/same.txt", "newer", dosTime(2021, 1, 1));
  make("three/same.txt", "older", dosTime(2019, 1, 1));
  writer.SetRootDir(src());
  for (const char* item : {"one", "two", "three"}) {
    writer.SetRecurse(true);
    writer.SetStorePaths(false);
    writer.SetPackLevel(9);
    zip({path(item) + kSep + "*.*"});
  }
  EXPECT_EQ(names(), std::vector<std::string>{"same.txt"});
  EXPECT_EQ(larkspur::test::extractWithUnzip(zipName(), "same.txt"), "newer");
}

TEST_F(ZipOperation, EventsFireInTheirDocumentedOrder) {
  const std::string a = make("a.txt", "alpha", dosTime(2020, 5, 1));
  zip({a});
  make("a.txt", "alpha two", dosTime(2021, 5, 1));
  make("b.txt", "beta");
  std::vector<std::string> log;
  writer.OnRecursingFile = [&](TZipWriter&, const std::string&) { log.push_back("recursing"); };
  writer.OnUpdate = [&](TZipWriter&, TUpdateAction a, std::int32_t i) {
    log.push_back("update " + std::to_string(int(a)) + " " + std::to_string(i));
  };
  writer.OnStartZipInfo = [&](TZipWriter&, std::int32_t n, std::int64_t bytes, TEndCentral&,
                              bool& stop) {
    EXPECT_FALSE(stop);
    log.push_back("info " + std::to_string(n) + " " + std::to_string(bytes));
  };
  writer.OnStartZip = [&](TZipWriter&, const std::string& n, TZipHeaderInfo&, bool& skip) {
    EXPECT_FALSE(skip);
    log.push_back("start " + n.substr(n.size() - 5));
  };
  writer.OnFilePercentDone = [&](TZipReader&, int p) { log.push_back(std::to_string(p) + "%"); };
  writer.OnEndZip = [&](TZipWriter&, const std::string& n, std::uint32_t u, std::uint32_t,
                        std::uint32_t) {
    log.push_back("end " + n.substr(n.size() - 5) + " " + std::to_string(u));
  };
  writer.OnZipComplete = [&](TZipWriter&, std::int32_t n) {
    log.push_back("complete " + std::to_string(n));
  };
  writer.SetRecurse(false);
  EXPECT_EQ(zip({src() + kSep + "*.txt"}), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"recursing", "recursing", "update 0 0", "start a.txt",
                                           "100%", "end a.txt 9", "info 1 13", "start b.txt",
                                           "100%", "end b.txt 4", "complete 2"}));
}

TEST_F(ZipOperation, StopNowFromOnStartZipInfoCancelsAndLeavesNoArchive) {
  const std::string a = make("a.txt", "alpha");
  writer.OnStartZipInfo = [](TZipWriter&, std::int32_t, std::int64_t, TEndCentral&, bool& stop) {
    stop = true;
  };
  bool completed = false;
  writer.OnZipComplete = [&](TZipWriter&, std::int32_t) { completed = true; };
  try {
    zip({a});
    FAIL() << "no cancel";
  } catch (const EUserCanceled& e) {
    EXPECT_STREQ(e.what(), "User canceled Zip operation");
  }
  EXPECT_FALSE(completed);
  EXPECT_FALSE(platform::fileExists(zipName()));
  EXPECT_TRUE(writer.FilesList.empty());
}

TEST_F(ZipOperation, StartZipInfoMayGiveTheNewArchiveAComment) {
  const std::string a = make("a.txt", "alpha");
  writer.OnStartZipInfo = [](TZipWriter&, std::int32_t, std::int64_t, TEndCentral& end, bool&) {
    end.SetComment("made by a test");
  };
  zip({a});
  EXPECT_EQ(larkspur::test::archiveCommentWithPython(zipName()), "made by a test");
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(ZipOperation, DisposeDeletesTheZippedFilesUnlessTheHandlerKeepsThem) {
  const std::string a = make("a.txt", "alpha");
  const std::string b = make("b.txt", "beta");
  writer.SetDispose(true);
  std::vector<std::string> asked;
  writer.OnDisposeFile = [&](TZipWriter&, const std::string& f, bool& skip) {
    asked.push_back(f);
    skip = f == b;
  };
  EXPECT_EQ(zip({a, b}), 2);
  EXPECT_EQ(asked, (std::vector<std::string>{a, b}));
  EXPECT_FALSE(platform::fileExists(a));
  EXPECT_TRUE(platform::fileExists(b));
}

TEST_F(ZipOperation, APendingCommentIsWrittenBeforeTheNameChanges) {
  const std::string a = make("a.txt", "alpha");
  zip({a});
  writer.SetArchiveComment("written on rename");
  writer.SetZipName(dir.file("other.zip"));
  EXPECT_EQ(larkspur::test::archiveCommentWithPython(zipName()), "written on rename");
  EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(ZipOperation, FreshenConsidersOnlyFilesAlreadyInTheArchive) {
  const std::string a = make("a.txt", "alpha", dosTime(2020, 1, 1));
  zip({a});
  make("a.txt", "alpha two", dosTime(2021, 1, 1));
  const std::string b = make("b.txt", "beta");
  writer.SetZipAction(TZipAction::zaFreshen);
  EXPECT_EQ(zip({a, b}), 1);
  EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(larkspur::test::extractWithUnzip(zipName(), "a.txt"), "alpha two");
}

TEST_F(ZipOperation, ReplaceRewritesMatchingEntriesWhateverTheirTimes) {
  const std::string a = make("a.txt", "alpha", dosTime(2021, 1, 1));
  zip({a});
  make("a.txt", "older content", dosTime(2020, 1, 1));
  writer.SetZipAction(TZipAction::zaReplace);
  EXPECT_EQ(zip({a}), 1);
  EXPECT_EQ(larkspur::test::extractWithUnzip(zipName(), "a.txt"), "older content");
}

TEST_F(ZipOperation, DirectoryEntriesAreAddedWhileRecursingWhenAskedFor) {
  make("sub/b.txt", "beta");
  platform::createDirectory(path("sub/empty"));
  writer.SetRelativePaths(true);
  writer.SetRootDir(src());
  writer.SetAddDirEntriesOnRecurse(true);
  EXPECT_EQ(zip({src() + kSep + "*.*"}), 3);
  EXPECT_EQ(names(), (std::vector<std::string>{"sub/", "sub/b.txt", "sub/empty/"}));
  EXPECT_EQ(archiveProblems(zipName()), "");
}

} // namespace
} // namespace larkspur::zip::test
