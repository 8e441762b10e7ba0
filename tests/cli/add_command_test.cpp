// larkspur-zip add ARCHIVE: creating and updating an archive anywhere, the update actions, every
// file left out named with its reason and the exit status that says so, no archive when nothing
// went in; and the help, version and password options the writing commands share.
#include <gtest/gtest.h>

#include <algorithm>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "cli/cli.h"
#include "cli/password_source.h"
#include "cli_run.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/host_tools.h"
#include "support/temp_dir.h"

namespace larkspur::cli {
namespace {

using larkspur::test::extractWithUnzip;
using larkspur::test::readEntriesWithPython;
using larkspur::test::writeFile;

constexpr char kSep = platform::kPathDelimiter;
#ifndef _WIN32
const std::string kCli = std::string(LARKSPUR_BINARY_DIR) + "/src/cli/larkspur-zip";
#endif

class AddCommand : public ::testing::Test {
protected:
  std::string file(const std::string& relative, const std::string& bytes = "data") {
    std::string p = dir.path();
    std::size_t start = 0;
    for (std::size_t slash; (slash = relative.find('/', start)) != std::string::npos;
         start = slash + 1) {
      p += kSep + relative.substr(start, slash - start);
      platform::createDirectory(p);
    }
    p += kSep + relative.substr(start);
    writeFile(p, bytes);
    return p;
  }
  std::vector<std::string> names(const std::string& archive) const {
    std::vector<std::string> result;
    for (const auto& e : readEntriesWithPython(archive))
      result.push_back(e.name);
    std::sort(result.begin(), result.end());
    return result;
  }

  larkspur::test::TempDir dir;
};

TEST_F(AddCommand, CreatesThenUpdatesTheArchiveAtTheGivenPathWithEachAction) {
  file("src/a.txt", "old a");
  file("src/.config/b.txt", "b"); // a folder whose name begins with a dot is walked too
  platform::createDirectory(dir.file("out"));
  const std::string archive = dir.file("out") + kSep + "set.zip";
  CliRun r = run({"add", archive, dir.file("src")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, archive + "\n");
  EXPECT_EQ(names(archive), (std::vector<std::string>{"a.txt", "b.txt"}));

  // freshen takes only files the archive holds; update also adds new ones; replace takes a
  // file even when it is not newer than its entry.
  const std::string c = file("c.txt", "c");
  const std::string a = dir.file("src") + kSep + "a.txt";
  writeFile(a, "new a");
  platform::setFileDosTime(a, platform::fileDosTime(c) + (1 << 25)); // a year ahead
  r = run({"add", archive, "--action", "freshen", a, c});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(names(archive), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(extractWithUnzip(archive, "a.txt"), "new a");
  ASSERT_EQ(run({"add", archive, c}).status, kExitOk);
  EXPECT_EQ(names(archive), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  writeFile(a, "older a");
  platform::setFileDosTime(a, platform::fileDosTime(c));
  ASSERT_EQ(run({"add", archive, a}).status, kExitOk);
  EXPECT_EQ(extractWithUnzip(archive, "a.txt"), "new a");
  ASSERT_EQ(run({"add", archive, "--action", "replace", a}).status, kExitOk);
  EXPECT_EQ(extractWithUnzip(archive, "a.txt"), "older a");
}

TEST_F(AddCommand, NamesEveryFileLeftOutAndExitsIncomplete) {
  file("tree/a/x.txt", "first");
  file("tree/b/x.txt", "second");
  file("tree/keep.txt", "kept");
  std::vector<std::string> expected = {
      "left out: " + dir.file("nothere") + " (not found)",
      "left out: " + dir.file("tree") + kSep + "b" + kSep + "x.txt (name taken by an earlier file)",
  };
#ifndef _WIN32
  const std::string fifo = dir.file("tree") + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  expected.push_back("left out: " + fifo + " (not a regular file)");
#endif
  const std::string archive = dir.file("tree.zip");
  const CliRun r = run({"add", archive, dir.file("nothere"), dir.file("tree")});
  EXPECT_EQ(r.status, kExitIncomplete);
  for (const std::string& line : expected)
    EXPECT_NE(r.err.find(line + "\n"), std::string::npos) << line << "\nin:\n" << r.err;
  EXPECT_EQ(names(archive), (std::vector<std::string>{"keep.txt", "x.txt"}));
  EXPECT_EQ(extractWithUnzip(archive, "x.txt"), "first");
}

TEST_F(AddCommand, NothingAddedWritesNoArchiveAndFails) {
  platform::createDirectory(dir.file("empty"));
  for (const Arguments& args :
       {Arguments{"add", dir.file("n.zip"), dir.file("nothere")},
        Arguments{"add", dir.file("n.zip"), dir.file("empty")},
        Arguments{"compress", "--name", "n.zip", dir.file("nothere"), dir.file("empty")}}) {
    const CliRun r = run(args);
    EXPECT_EQ(r.status, kExitFailure) << args[0];
    EXPECT_NE(r.err.find("nothing was added"), std::string::npos) << r.err;
    EXPECT_FALSE(platform::fileExists(dir.file("n.zip"))) << args[0];
  }
}

#ifndef _WIN32
// A chain of folders deeper than the system lets a path name, made one level at a time.
class DeepChain {
public:
  DeepChain(const std::string& top, int levels) : name_(200, 'd') {
    int fd = ::open(top.c_str(), O_DIRECTORY | O_RDONLY);
    for (int i = 0; i < levels; ++i) {
      ::mkdirat(fd, name_.c_str(), 0700);
      const int next = ::openat(fd, name_.c_str(), O_DIRECTORY | O_RDONLY);
      fds_.push_back(fd);
      fd = next;
    }
    const int leaf = ::openat(fd, "leaf.txt", O_CREAT | O_WRONLY, 0600);
    ::close(leaf);
    fds_.push_back(fd);
  }
  ~DeepChain() {
    ::unlinkat(fds_.back(), "leaf.txt", 0);
    ::close(fds_.back());
    fds_.pop_back();
    while (!fds_.empty()) {
      ::unlinkat(fds_.back(), name_.c_str(), AT_REMOVEDIR);
      ::close(fds_.back());
      fds_.pop_back();
    }
  }
  DeepChain(const DeepChain&) = delete;
  DeepChain& operator=(const DeepChain&) = delete;

private:
  std::string name_;
  std::vector<int> fds_;
};

TEST_F(AddCommand, APathLongerThanTheSystemAllowsIsNamedAsTooLong) {
  file("deep/top.txt", "top");
  const DeepChain chain(dir.file("deep"), 25); // 25 x 201 bytes, beyond PATH_MAX
  const CliRun r = run({"add", dir.file("deep.zip"), dir.file("deep")});
  EXPECT_EQ(r.status, kExitIncomplete) << r.err;
  EXPECT_NE(r.err.find("(path too long)\n"), std::string::npos) << r.err;
  EXPECT_EQ(names(dir.file("deep.zip")), std::vector<std::string>{"top.txt"});
}

TEST_F(AddCommand, UnreadableFilesAndFoldersAreNamedAsUnreadable) {
  // Permissions bind root only through another user: the program then runs as nobody.
  const bool asRoot = ::geteuid() == 0;
  if (asRoot && larkspur::test::runHostShell("command -v setpriv").exitCode != 0)
    GTEST_SKIP() << "running as root without setpriv to drop to another user";
  const std::string locked = file("t/locked.txt", "secret");
  const std::string shut = dir.file("t") + "/shut";
  file("t/shut/inside.txt", "unseen");
  file("t/open.txt", "open");
  ::chmod(dir.path().c_str(), 0777);
  ::chmod(dir.file("t").c_str(), 0777);
  ::chmod(locked.c_str(), 0);
  ::chmod(shut.c_str(), 0);
  const auto r = larkspur::test::runHostShell(
      (asRoot ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") + kCli + " add " +
      dir.file("t.zip") + " " + dir.file("t") + " 2>&1");
  ::chmod(locked.c_str(), 0600);
  ::chmod(shut.c_str(), 0700);
  EXPECT_EQ(r.exitCode, kExitIncomplete) << r.output;
  EXPECT_NE(r.output.find("left out: " + locked + " (unreadable)\n"), std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("left out: " + shut + "/ (unreadable)\n"), std::string::npos) << r.output;
  EXPECT_EQ(names(dir.file("t.zip")), std::vector<std::string>{"open.txt"});
}
#endif

// ---- What the writing commands share: help, version, passwords --------------------------------

TEST(Help, GoesToStandardOutputWithTheExitStatusesAndSucceeds) {
  for (const char* option : {"-h", "--help"}) {
    const CliRun r = run({option});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_NE(r.out.find("larkspur-zip add ARCHIVE [OPTIONS] PATH..."), std::string::npos);
    EXPECT_NE(r.out.find("exit status:"), std::string::npos);
    EXPECT_EQ(r.err, "");
  }
  const CliRun v = run({"--version"});
  EXPECT_EQ(v.status, kExitOk);
  EXPECT_EQ(v.out, std::string("larkspur-zip ") + kVersion + "\n");
}

TEST_F(AddCommand, ThePasswordFileEncryptsAndAnEmptyOneIsRefused) {
  const std::string secret = file("secret.txt", "hidden words");
  writeFile(dir.file("pw"), "s3cret\r\nsecond line ignored\n");
  ASSERT_EQ(run({"add", dir.file("s.zip"), "--password-file", dir.file("pw"), secret}).status,
            kExitOk);
  EXPECT_EQ(extractWithUnzip(dir.file("s.zip"), "secret.txt", "s3cret"), "hidden words");

  writeFile(dir.file("empty"), "\n");
  for (const std::string& source : {dir.file("empty"), dir.file("missing")}) {
    const CliRun r = run({"add", dir.file("e.zip"), "--password-file", source, secret});
    EXPECT_EQ(r.status, kExitFailure) << source;
    EXPECT_NE(r.err.find(source), std::string::npos) << r.err;
  }
  EXPECT_FALSE(platform::fileExists(dir.file("e.zip")));
}

struct PromptCase {
  std::vector<std::string> answers; // what is typed at each prompt; none left: no terminal
  bool confirm;
  std::string result; // the password, or a word of the error
};

class PromptTest : public ::testing::TestWithParam<PromptCase> {};

TEST_P(PromptTest, AsksOnceOrTwiceAndRefusesWhatWouldNotProtect) {
  std::size_t asked = 0;
  const PasswordPrompt ask = [&](const std::string&, std::string& line) {
    if (asked >= GetParam().answers.size())
      return false;
    line = GetParam().answers[asked++];
    return true;
  };
  try {
    EXPECT_EQ(promptPassword(ask, GetParam().confirm), GetParam().result);
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().result), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PromptTest,
    ::testing::Values(PromptCase{{"pw", "pw"}, true, "pw"}, PromptCase{{"pw"}, false, "pw"},
                      PromptCase{{"pw", "pW"}, true, "differ"}, PromptCase{{"pw"}, true, "differ"},
                      PromptCase{{""}, false, "empty"}, PromptCase{{}, false, "no terminal"}));

} // namespace
} // namespace larkspur::cli
