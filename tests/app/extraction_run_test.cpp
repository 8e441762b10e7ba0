// Larkspur.exe's run over real archives with a scripted view: what is refused before anything is
// written, what the summary says about left-out entries, cancel, passwords and overwrite answers.
#include "app/extraction_run.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "app/app_texts.h"
#include "app/entry_listing.h"
#include "extract/raw_zip.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/host_tools.h"
#include "support/temp_dir.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::app {
namespace {

using extract::OverwriteAnswer;
using extract::SkipReason;
using extract::test::RawEntry;
using extract::test::rawZip;
constexpr char kSep = platform::kPathDelimiter;

// Plays the progress window and the questions from a script, recording what was asked.
class ScriptedView : public RunView {
public:
  void showEntry(const std::string& entry) override { entries.push_back(entry); }
  void showPercent(int percent) override {
    EXPECT_GE(percent, 0);
    EXPECT_LE(percent, 100);
    ++progressCalls;
  }
  bool cancelRequested() override {
    return cancelAfterCalls >= 0 && progressCalls > cancelAfterCalls;
  }
  std::optional<std::string> askPassword(bool again) override {
    passwordAsks.push_back(again);
    if (passwords.empty())
      return std::nullopt;
    std::string next = passwords.front();
    passwords.pop_front();
    return next;
  }
  OverwriteAnswer askOverwrite(const std::string& path) override {
    overwriteAsks.push_back(path);
    const OverwriteAnswer next = overwriteAnswers.front();
    overwriteAnswers.pop_front();
    return next;
  }

  std::vector<std::string> entries;
  int progressCalls = 0;
  int cancelAfterCalls = -1;
  std::deque<std::string> passwords;
  std::vector<bool> passwordAsks;
  std::deque<OverwriteAnswer> overwriteAnswers;
  std::vector<std::string> overwriteAsks;
};

class ExtractionRun : public ::testing::Test {
protected:
  std::string archive(const std::string& name, const std::vector<RawEntry>& entries) {
    const std::string path = dir.file(name);
    test::writeFile(path, rawZip(entries));
    return path;
  }
  // An archive of our writer holding `files` (name, bytes), encrypted when `password` is given.
  std::string written(const std::vector<std::pair<std::string, std::string>>& files,
                      const std::string& password = "") {
    const std::string sources = dir.file("sources");
    platform::createDirectory(sources);
    for (const auto& [name, bytes] : files)
      test::writeFile(sources + kSep + name, bytes);
    zip::TZipWriter writer;
    writer.SetTempPath(dir.path());
    writer.EncryptionPassword = password;
    writer.SetRootDir(sources);
    writer.SetRelativePaths(true);
    writer.SetZipName(dir.file("written.zip"));
    writer.FilesList = {sources + kSep + "*.*"};
    writer.Zip();
    return writer.ZipName();
  }
  RunOutcome run(const std::string& archive,
                 extract::OverwritePolicy policy = extract::OverwritePolicy::Ask) {
    return runExtraction({archive, targetFolderFor(archive), policy}, view);
  }
  std::string target(const std::string& name) const { return dir.file("written") + kSep + name; }

  test::TempDir dir;
  ScriptedView view;
};

TEST_F(ExtractionRun, RefusesWhatIsNoArchiveBeforeWritingAnything) {
  test::writeFile(dir.file("noise.zip"), std::string(5000, '\x17'));
  test::writeFile(dir.file("old.rar"), "Rar!\x1A\x07");
  const struct {
    std::string archive;
    std::string_view message;
  } cases[] = {{dir.file("missing.zip"), texts::kMissingArchive},
               {dir.file("noise.zip"), texts::kNotAnArchive},
               {dir.file("old.rar"), texts::kUnsupportedFormat}};
  for (const auto& c : cases) {
    const RunOutcome outcome = run(c.archive);
    EXPECT_EQ(outcome.exitCode(), kExitFailed) << c.archive;
    EXPECT_EQ(summaryText(outcome), std::string(c.message) + c.archive);
    EXPECT_FALSE(platform::directoryExists(targetFolderFor(c.archive))) << c.archive;
  }
}

TEST_F(ExtractionRun, SummaryNamesEveryLeftOutEntryWithItsReasonAndTheRestExtracts) {
  RawEntry bad{"bad.txt", "data"};
  bad.crc = 1;
  const std::string path = archive(
      "mixed.zip", {{"good.txt", "good"}, {"../escape.txt", "evil"}, bad, {"odd.bin", "x", 12}});
  const RunOutcome outcome = run(path);
  EXPECT_EQ(outcome.exitCode(), kExitIncomplete);
  EXPECT_EQ(test::readFile(dir.file("mixed") + kSep + "good.txt"), "good");
  EXPECT_FALSE(std::filesystem::exists(dir.file("escape.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("mixed") + kSep + "bad.txt"));
  EXPECT_EQ(summaryText(outcome), std::string(texts::kSummaryHead) + "\n../escape.txt - " +
                                      std::string(texts::kReasonUnsafeName) + "\nbad.txt - " +
                                      std::string(texts::kReasonBadData) + "\nodd.bin - " +
                                      std::string(texts::kReasonUnsupported));
}

TEST_F(ExtractionRun, CancelStopsAndLeavesNoPartialFile) {
  const std::string path = written({{"big.bin", test::incompressibleBytes(3 << 20, 7)}});
  view.cancelAfterCalls = 2;
  const RunOutcome outcome = run(path);
  EXPECT_EQ(outcome.exitCode(), kExitCanceled);
  EXPECT_EQ(summaryText(outcome), texts::kCanceled);
  const std::string folder = dir.file("written");
  if (std::filesystem::exists(folder)) {
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "a partial file was left behind";
  }
}

TEST_F(ExtractionRun, WrongPasswordIsAskedAgainAndCancelSkipsEncryptedEntries) {
  const std::string path = written({{"a.txt", "secret a"}, {"b.txt", "secret b"}}, "right");
  view.passwords = {"wrong", "right"};
  RunOutcome outcome = run(path);
  EXPECT_EQ(outcome.exitCode(), kExitComplete) << summaryText(outcome);
  EXPECT_EQ(view.passwordAsks, (std::vector<bool>{false, true}));
  EXPECT_EQ(test::readFile(target("b.txt")), "secret b");

  // No password at all: both are left out for that reason, nothing else asked.
  std::filesystem::remove_all(dir.file("written"));
  view.passwordAsks.clear();
  outcome = run(path);
  EXPECT_EQ(outcome.exitCode(), kExitIncomplete);
  EXPECT_EQ(view.passwordAsks.size(), 1u);
  ASSERT_EQ(outcome.problems.size(), 2u);
  EXPECT_EQ(outcome.problems[0].reason, SkipReason::NeedsPassword);
}

TEST_F(ExtractionRun, OverwriteQuestionAnswersAreFollowed) {
  const std::string path = written({{"1.txt", "new1"}, {"2.txt", "new2"}, {"3.txt", "new3"}});
  platform::createDirectory(dir.file("written"));
  for (const char* name : {"1.txt", "2.txt", "3.txt"})
    test::writeFile(target(name), "old");
  // No for the first, then yes to all: one question less than there are files.
  view.overwriteAnswers = {OverwriteAnswer::No, OverwriteAnswer::YesToAll};
  const RunOutcome outcome = run(path);
  EXPECT_EQ(view.overwriteAsks.size(), 2u);
  EXPECT_EQ(test::readFile(target("1.txt")), "old");
  EXPECT_EQ(test::readFile(target("2.txt")), "new2");
  EXPECT_EQ(test::readFile(target("3.txt")), "new3");
  ASSERT_EQ(outcome.problems.size(), 1u);
  EXPECT_EQ(outcome.problems[0].reason, SkipReason::Exists);
  EXPECT_EQ(outcome.exitCode(), kExitIncomplete);

  // Renaming keeps the old file and asks nothing.
  const RunOutcome renamed = run(path, extract::OverwritePolicy::Rename);
  EXPECT_EQ(renamed.exitCode(), kExitComplete);
  EXPECT_EQ(test::readFile(target("1 (2).txt")), "new1");
}

TEST_F(ExtractionRun, ListingShowsSizesAndTheLockAndTargetDropsOnlyTheLastExtension) {
  const std::string path = written({{"a.txt", std::string(1000, 'a')}}, "pw");
  const std::vector<ListedEntry> entries = listZipEntries(path);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "a.txt");
  EXPECT_EQ(entries[0].size, 1000u);
  EXPECT_TRUE(entries[0].encrypted);
  EXPECT_EQ(groupedNumber(1234567), "1,234,567");
  EXPECT_EQ(groupedNumber(999), "999");
  EXPECT_EQ(targetFolderFor("D:" + std::string(1, kSep) + "a.b.zip"),
            "D:" + std::string(1, kSep) + "a.b");
  EXPECT_EQ(targetFolderFor("plain"), "plain_files");
}

// Streams have no directory: the list reads them through. A plain tar's packed size is its size;
// inside gzip there is none per entry.
TEST_F(ExtractionRun, ListingReadsTarAndGzipStreamsThrough) {
  const auto made = test::runHostShell(
      "cd " + test::shellQuote(test::hostSidePath(dir.path())) +
      " && mkdir d && printf 12345 > d/five.txt && tar cf a.tar d && tar czf a.tar.gz d"
      " && printf abc > b.txt && gzip -n b.txt");
  ASSERT_EQ(made.exitCode, 0) << made.output;
  for (const char* name : {"a.tar", "a.tar.gz"}) {
    const std::vector<ListedEntry> entries = listEntries(dir.file(name));
    ASSERT_EQ(entries.size(), 2u) << name;
    EXPECT_EQ(entries[1].name, "d/five.txt");
    EXPECT_EQ(entries[1].size, 5u);
    EXPECT_EQ(packedSizeText(entries[1]), std::string(name) == "a.tar" ? "5" : "");
  }
  const std::vector<ListedEntry> gz = listEntries(dir.file("b.txt.gz"));
  ASSERT_EQ(gz.size(), 1u);
  EXPECT_EQ(gz[0].name, "b.txt");
  EXPECT_EQ(gz[0].size, 3u);
}

} // namespace
} // namespace larkspur::app
