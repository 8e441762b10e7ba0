// Runs that meet on one archive and runs that were interrupted: what another run or a killed run
// left beside the archive never blocks the next run and is cleared or put back with a word to the
// user; two runs creating one archive both end up in it; two updates never lose each other's
// entries. (Kills at every system call and races between processes: tests/cli/*.sh.)
#include <chrono>
#include <future>
#include <optional>

#include "writer_fixture.h"
#include "zip/writer/writer_errors.h"

namespace larkspur::zip::test {
namespace {

class SafeCommit : public WriterTest {
protected:
  SafeCommit() {
    writer.OnMessage = [this](TZipWriter&, const std::string& text) { messages.push_back(text); };
  }
  std::vector<std::string> messages;
};

enum class Leftover { StaleTemp, TempOfARunningRun, ParkedArchiveAlone, ParkedBesideArchive };

struct LeftoverCase {
  Leftover leftover;
  const char* message; // the start of the one message expected, or empty for none
};

class Leftovers : public SafeCommit, public ::testing::WithParamInterface<LeftoverCase> {};

TEST_P(Leftovers, NeverBlockTheNextRunAndAreClearedWithAWord) {
  const LeftoverCase c = GetParam();
  zip({make("a.txt", "alpha")});
  const std::string parked = zipName() + "$$$";
  const std::string stale = zipName() + ".lk0123ABCD.tmp";
  std::optional<TempArchive> running;
  switch (c.leftover) {
  case Leftover::StaleTemp:
    writeFile(stale, "half an archive");
    break;
  case Leftover::TempOfARunningRun:
    running.emplace(zipName());
    break;
  case Leftover::ParkedArchiveAlone:
    ASSERT_TRUE(platform::renameFile(zipName(), parked));
    break;
  case Leftover::ParkedBesideArchive:
    writeFile(parked, "an older archive");
    break;
  }

  zip({make("b.txt", "beta")});
  EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt"}));
  zip({make("c.txt", "gamma")}); // said once, not at every run
  EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  if (*c.message == '\0') {
    EXPECT_EQ(messages, std::vector<std::string>{});
  } else {
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(c.message, 0), 0u) << messages[0];
  }
  EXPECT_FALSE(platform::fileExists(stale));
  EXPECT_EQ(platform::fileExists(parked), c.leftover == Leftover::ParkedBesideArchive);
  if (running) {
    // Another run's file is never taken for a leftover, nor zipped.
    EXPECT_TRUE(platform::fileExists(running->Name()));
    EXPECT_EQ(tempFiles().size(), 1u);
  } else {
    EXPECT_TRUE(tempFiles().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Leftovers,
    ::testing::Values(LeftoverCase{Leftover::StaleTemp, "Removed a temporary file"},
                      LeftoverCase{Leftover::TempOfARunningRun, ""},
                      LeftoverCase{Leftover::ParkedArchiveAlone, "An interrupted run had left"},
                      LeftoverCase{Leftover::ParkedBesideArchive, "An older copy"}));

TEST_F(SafeCommit, AnArchiveAnotherRunCreatedMeanwhileIsAddedToNotReplaced) {
  const std::string mine = make("mine.txt", "this run's file");
  const std::string theirs = make("theirs.txt", "the other run's file");
  bool otherRan = false;
  writer.OnStartZip = [&](TZipWriter&, const std::string&, TZipHeaderInfo&, bool&) {
    if (otherRan)
      return;
    otherRan = true;
    // The name was free when this run started; now another run takes it first.
    TZipWriter other;
    other.SetZipName(zipName());
    other.FilesList = {theirs};
    other.Zip();
  };
  EXPECT_EQ(zip({mine}), 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"theirs.txt", "mine.txt"}));
  EXPECT_EQ(archiveProblems(zipName()), "");
  EXPECT_TRUE(tempFiles().empty());
}

TEST_F(SafeCommit, TwoUpdatesAtOnceKeepEachOthersEntries) {
  zip({make("old.txt", "already there")});
  const std::string first = make("first.txt", "from the first update");
  const std::string second = make("second.txt", "from the second update");
  TZipWriter other;
  other.SetZipName(zipName());
  if constexpr (platform::kCanMoveOpenFiles) {
    // The second update waits for the first's lock, then starts from the first's archive.
    std::promise<void> waiting;
    other.OnMessage = [&](TZipWriter&, const std::string&) { waiting.set_value(); };
    std::future<void> secondRun;
    writer.OnStartZip = [&](TZipWriter&, const std::string&, TZipHeaderInfo&, bool&) {
      if (secondRun.valid())
        return;
      other.FilesList = {second};
      secondRun = std::async(std::launch::async, [&] { other.Zip(); });
      // This run holds the archive: the second must be waiting, not writing.
      EXPECT_EQ(waiting.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    };
    zip({first});
    ASSERT_TRUE(secondRun.valid());
    secondRun.get();
    EXPECT_EQ(names(), (std::vector<std::string>{"old.txt", "first.txt", "second.txt"}));
  } else {
    // Windows: a waiting handle would keep the first from replacing the archive, so the second
    // is refused at once and says why.
    writer.OnStartZip = [&](TZipWriter&, const std::string&, TZipHeaderInfo&, bool&) {
      other.FilesList = {second};
      try {
        other.Zip();
        ADD_FAILURE() << "the second update was not refused";
      } catch (const EArchiveBusy& e) {
        EXPECT_NE(std::string(e.what()).find(zipName()), std::string::npos) << e.what();
      }
    };
    zip({first});
    EXPECT_EQ(names(), (std::vector<std::string>{"old.txt", "first.txt"}));
  }
  EXPECT_EQ(archiveProblems(zipName()), "");
  EXPECT_TRUE(tempFiles().empty());
}

} // namespace
} // namespace larkspur::zip::test
