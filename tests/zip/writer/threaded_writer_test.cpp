// The writer with worker threads compressing ahead: the same archive byte for byte and the same
// events in the same order as with one thread, whatever the events skip, delete or refuse on
// the way; a file changed after a worker read it goes in as the writer finds it; a cancel leaves
// what it always left.
#include <random>

#include "writer_fixture.h"
#include "zip/writer/writer_errors.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::extractWithUnzip;

// Three-letter noise: an entry of 65,535 bytes of it compresses differently with each byte the
// entry before it hands on, and every entry of it may hand on such a byte.
std::string noise3(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(size, '\0');
  for (char& c : s)
    c = static_cast<char>(random() % 3);
  return s;
}

using EventLog = std::vector<std::string>;

class ThreadedWriter : public WriterTest {
protected:
  // Every kind of entry: large ones, ones just below 64 KB after them, empty, stored by name, a
  // second file of a taken name, one the events skip and one they delete before its turn.
  void makeFolder() {
    const std::uint32_t t = dosTime(2020, 1, 1);
    make("a/big1.bin", noise3(300001, 1), t);
    make("a/edge1.bin", noise3(65535, 2), t);
    make("a/empty.txt", "", t);
    make("a/photo.jpg", noise3(70000, 3), t);
    make("b/edge2.bin", noise3(65535, 3), t);
    make("b/skipme.bin", noise3(150001, 4), t);
    make("b/edge3.bin", noise3(65535, 2), t);
    make("b/small.txt", "hello", t);
    make("c/empty.txt", "x", t);
    make("c/gone.bin", noise3(80000, 5), t);
    make("c/edge4.bin", noise3(65279, 6), t);
    make("c/edge5.bin", noise3(65535, 3), t);
  }

  // One Zip of the folder with `threads` threads: the archive's bytes and every event.
  std::pair<std::string, EventLog> run(int threads, int level, const std::string& password = "") {
    makeFolder();
    platform::deleteFile(zipName());
    EventLog log;
    writer.SetCompressionThreads(threads);
    writer.SetPackLevel(level);
    writer.SetRecurse(true);
    writer.SetNoCompressList({"*.jpg"});
    writer.EncryptionPassword = password;
    writer.OnStartZip = [&](TZipWriter&, const std::string& name, TZipHeaderInfo&, bool& skip) {
      log.push_back("start " + name);
      skip = name.ends_with("skipme.bin");
      // Where an open file cannot be deleted, a worker reading it ahead would keep it.
      if (name.ends_with("small.txt") && platform::kCanMoveOpenFiles)
        platform::deleteFile(path("c/gone.bin"));
    };
    writer.OnFilePercentDone = [&](TZipReader&, int p) {
      log.push_back("file " + std::to_string(p));
    };
    writer.OnTotalPercentDone = [&](TZipReader&, int p) {
      log.push_back("total " + std::to_string(p));
    };
    writer.OnEndZip = [&](TZipWriter&, const std::string& name, std::uint32_t u, std::uint32_t c,
                          std::uint32_t z) {
      log.push_back("end " + name + " " + std::to_string(u) + " " + std::to_string(c) + " " +
                    std::to_string(z));
    };
    writer.OnSkippingFile = [&](TZipReader&, TSkipReason r, const std::string& name, std::int32_t,
                                bool&) {
      log.push_back("skip " + std::to_string(static_cast<int>(r)) + " " + name);
    };
    writer.OnLeftOut = [&](TZipWriter&, const std::string& name, TLeftOutReason r) {
      log.push_back("left " + name + " " + std::to_string(static_cast<int>(r)));
    };
    zip({src() + kSep + "*.*"});
    return {readFile(zipName()), log};
  }
};

TEST_F(ThreadedWriter, ArchiveAndEventsAreThoseOfOneThread) {
  for (const int level : {9, 6, 1}) {
    const auto one = run(1, level);
    for (const int threads : {2, 4}) {
      SCOPED_TRACE("level " + std::to_string(level) + ", " + std::to_string(threads) + " threads");
      const auto many = run(threads, level);
      EXPECT_TRUE(many.first == one.first) << "the archives differ";
      EXPECT_EQ(many.second, one.second);
      EXPECT_TRUE(tempFiles().empty());
    }
  }
  EXPECT_EQ(archiveProblems(zipName()), "");
}

TEST_F(ThreadedWriter, EncryptedEntriesDecryptAndReportAsWithOneThread) {
  const EventLog one = run(1, 9, "pw").second;
  const EventLog many = run(2, 9, "pw").second;
  EXPECT_EQ(many, one);
  EXPECT_EQ(archiveProblems(zipName(), "pw"), "");
  EXPECT_EQ(extractWithUnzip(zipName(), "edge2.bin", "pw"), noise3(65535, 3));
}

TEST_F(ThreadedWriter, AFileChangedAfterAWorkerReadItGoesInAsTheWriterFindsIt) {
  const std::string first = make("first.bin", noise3(1 << 20, 1));
  const std::string later = make("later.txt", std::string(100000, 'a'));
  writer.SetCompressionThreads(2);
  // By the end of the first entry a worker has long compressed the small second one.
  writer.OnEndZip = [&](TZipWriter&, const std::string& name, std::uint32_t, std::uint32_t,
                        std::uint32_t) {
    if (name == first)
      writeFile(later, std::string(100000, 'b'));
  };
  EXPECT_EQ(zip({first, later}), 2);
  EXPECT_EQ(extractWithUnzip(zipName(), "later.txt"), std::string(100000, 'b'));
}

TEST_F(ThreadedWriter, ACancelLeavesNoArchiveOrTheOldOneAndNoTemporaryFile) {
  std::vector<std::string> files;
  for (unsigned i = 0; i < 6; ++i)
    files.push_back(make("f" + std::to_string(i), noise3(400000, i)));
  writer.SetCompressionThreads(2);
  zip({files[0]});
  const std::string before = readFile(zipName());
  int reads = 0;
  writer.OnFilePercentDone = [&](TZipReader& w, int) {
    if (++reads == 20)
      w.CancelRequested = true;
  };
  for (const bool update : {true, false}) {
    if (!update)
      platform::deleteFile(zipName());
    reads = 0;
    EXPECT_THROW(zip(files), EUserCanceled);
    if (update)
      EXPECT_EQ(readFile(zipName()), before);
    else
      EXPECT_FALSE(platform::fileExists(zipName()));
    EXPECT_TRUE(tempFiles().empty());
  }
}

} // namespace
} // namespace larkspur::zip::test
