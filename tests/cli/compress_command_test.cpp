// larkspur-zip compress: the archive beside the first item under the proposed or the given name,
// bare names at level 9, the writer options, the dialog's refusals with their texts, and Ctrl-C,
// which leaves no archive behind (or the one the earlier items made).
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#ifndef _WIN32
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#endif

#include "cli/cli.h"
#include "cli_run.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/host_tools.h"
#include "support/temp_dir.h"
#include "zip/writer/temp_archive.h"

namespace larkspur::cli {
namespace {

using larkspur::test::archiveProblems;
using larkspur::test::extractWithUnzip;
using larkspur::test::incompressibleBytes;
using larkspur::test::readEntriesWithPython;
using larkspur::test::readFile;
using larkspur::test::writeFile;

constexpr char kSep = platform::kPathDelimiter;

class CompressCommand : public ::testing::Test {
protected:
  std::string file(const std::string& relative, const std::string& bytes) {
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
    return result;
  }

  larkspur::test::TempDir dir;
};

TEST_F(CompressCommand, AFolderGoesBesideItUnderItsNameWithBareNamesAtLevel9) {
  file("work/src/main.c", "int main(void) { return 0; }\n");
  file("work/src/lib/util.c", "int util(void) { return 1; }\n");
  const std::string folder = dir.file("work") + kSep + "src";
  const CliRun r = run({"compress", folder});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const std::string archive = folder + ".zip";
  EXPECT_EQ(r.out, archive + "\n");
  EXPECT_EQ(names(archive), (std::vector<std::string>{"util.c", "main.c"}));
  for (const auto& e : readEntriesWithPython(archive))
    EXPECT_EQ(e.flagBits & 6, 2);
  EXPECT_EQ(archiveProblems(archive), "");
}

TEST_F(CompressCommand, SeveralItemsGoIntoTheFirstItemsArchiveOneRunEach) {
  const std::string a = file("report.doc", "report");
  const std::string b = file("notes.txt", "notes");
  file("pics/p1.png", "png");
  const CliRun r = run({"compress", a, b, dir.file("pics")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, dir.file("report.zip") + "\n");
  EXPECT_EQ(names(dir.file("report.zip")),
            (std::vector<std::string>{"report.doc", "notes.txt", "p1.png"}));
  EXPECT_EQ(archiveProblems(dir.file("report.zip")), "");
}

TEST_F(CompressCommand, TakesTheGivenNameRelativeToTheFirstItemsFolder) {
  const std::string a = file("a.txt", "alpha");
  platform::createDirectory(dir.file("sub"));
  const CliRun r = run({"compress", "--name", std::string("sub") + kSep + "backup.zip", a});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, dir.file("sub") + kSep + "backup.zip\n");
  EXPECT_EQ(names(dir.file("sub") + kSep + "backup.zip"), std::vector<std::string>{"a.txt"});
}

TEST_F(CompressCommand, RefusesANameThatDoesNotEndInZipAndWritesNothing) {
  const std::string a = file("a.txt", "alpha");
  for (const char* name : {"backup.ZIP", "backup"}) {
    EXPECT_EQ(run({"compress", "--name", name, a}).status, kExitFailure);
  }
  EXPECT_FALSE(platform::fileExists(dir.file("backup.ZIP")));
  EXPECT_FALSE(platform::fileExists(dir.file("backup")));
}

TEST_F(CompressCommand, AnExistingArchiveIsRefusedAndLeftAlone) {
  const std::string a = file("a.txt", "alpha");
  writeFile(dir.file("a.zip"), "already here");
  EXPECT_EQ(run({"compress", a}).status, kExitFailure);
  EXPECT_EQ(run({"compress", "--name", "a.zip", a}).status, kExitFailure);
  EXPECT_EQ(readFile(dir.file("a.zip")), "already here");
}

TEST_F(CompressCommand, WriterOptionsReachTheWriter) {
  file("tree/keep.txt", std::string(5000, 'k'));
  file("tree/photo.jpg", std::string(5000, 'j'));
  file("tree/skip.tmp", "tmp");
  file("tree/sub/deep.txt", std::string(5000, 'd'));
  const std::string tree = dir.file("tree");
  const CliRun r = run({"compress", "--name", "opts.zip", "--relative", "--level", "1", "--exclude",
                        "*.tmp", "--no-compress", "*.jpg", tree});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const auto entries = readEntriesWithPython(dir.file("opts.zip"));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "tree/keep.txt");
  EXPECT_EQ(entries[0].flagBits & 6, 4); // level 1
  EXPECT_EQ(entries[1].name, "tree/photo.jpg");
  EXPECT_EQ(entries[1].compressType, 0);
  EXPECT_EQ(entries[2].name, "tree/sub/deep.txt");

  const std::string secret = file("secret.txt", "hidden words");
  writeFile(dir.file("pw.txt"), "pw\n");
  ASSERT_EQ(run({"compress", "--password-file", dir.file("pw.txt"), "--level", "0", secret}).status,
            kExitOk);
  EXPECT_EQ(extractWithUnzip(dir.file("secret.zip"), "secret.txt", "pw"), "hidden words");
  EXPECT_EQ(archiveProblems(dir.file("secret.zip"), "pw"), "");
}

TEST_F(CompressCommand, ACommandLineItDoesNotUnderstandIsAUsageError) {
  const std::string a = file("a.txt", "alpha");
  for (const Arguments& args :
       {Arguments{"compress"}, Arguments{"add", a}, Arguments{"compress", "--level", "12", a},
        Arguments{"add", "--name", "x.zip", a}, Arguments{"compress", "--password=pw", a},
        Arguments{"compress", "--action", "sideways", a}, Arguments{"compress", "--bogus", a}}) {
    EXPECT_EQ(run(args).status, kExitUsage) << args.size();
  }
  EXPECT_FALSE(platform::fileExists(dir.file("a.zip")));
}

TEST_F(CompressCommand, LeftOutLinesGoToTheErrorStreamItWasGiven) {
  const std::string first = file("a/x.txt", "first");
  const std::string second = file("b/x.txt", "second");
  platform::setFileDosTime(second, platform::fileDosTime(first));
  const CliRun r = run({"compress", "--name", "x.zip", first, second});
  EXPECT_EQ(r.status, kExitIncomplete);
  EXPECT_NE(r.err.find("left out: x.txt (name taken by an earlier file)"), std::string::npos)
      << r.err;
}

#ifndef _WIN32
// ---- The program itself: its messages, its progress bar and Ctrl-C --------------------------

const std::string kCli = std::string(LARKSPUR_BINARY_DIR) + "/src/cli/larkspur-zip";

TEST_F(CompressCommand, TheDialogsWarningsAppearInUtf8OnStandardError) {
  const std::string a = file("a.txt", "alpha");
  const auto wrong = larkspur::test::runHostShell(kCli + " compress --name x.rar " + a + " 2>&1");
  EXPECT_NE(wrong.exitCode, 0);
  EXPECT_NE(wrong.output.find("要创建的压缩文档文件名错误，请重新命名！"), std::string::npos)
      << wrong.output;
  writeFile(dir.file("a.zip"), "x");
  const auto exists = larkspur::test::runHostShell(kCli + " compress " + a + " 2>&1");
  EXPECT_NE(exists.exitCode, 0);
  EXPECT_NE(exists.output.find("《Larkspur》发现您的系统存在一个同名压缩文档，无法创建!"),
            std::string::npos)
      << exists.output;
}

TEST_F(CompressCommand, AProgressBarIsDrawnWhenStandardErrorIsATerminal) {
  const std::string a = file("a.txt", std::string(100000, 'a'));
  // script(1) gives the program a terminal and records what it drew there.
  const auto r = larkspur::test::runHostShell(
      "script -qec " + larkspur::test::shellQuote(kCli + " compress " + a) + " /dev/null");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("100%"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(dir.file("a.zip")), std::string::npos) << r.output;
}

TEST_F(CompressCommand, ItemsSharingABareNameAreNamedAsLeftOut) {
  const std::string first = file("a/x.txt", "first");
  const std::string second = file("b/x.txt", "second");
  platform::setFileDosTime(second, platform::fileDosTime(first)); // not newer: the entry stays
  const auto r =
      larkspur::test::runHostShell(kCli + " compress --name x.zip " + first + " " + second);
  EXPECT_EQ(r.exitCode, kExitIncomplete) << r.output;
  EXPECT_NE(r.output.find("left out: x.txt (name taken by an earlier file)"), std::string::npos)
      << r.output;
  EXPECT_EQ(extractWithUnzip(dir.file("a") + kSep + "x.zip", "x.txt"), "first");
}

TEST_F(CompressCommand, APasswordIsAskedTwiceOnTheTerminalWithoutEcho) {
  const std::string a = file("a.txt", "alpha words");
  // script(1) hands what it reads to the program's terminal. The answers come a second apart,
  // after the prompts, as typed: input that arrives before echo is off is echoed by any terminal.
  const auto r = larkspur::test::runHostShell(
      "(sleep 1; echo Tiger7; sleep 1; echo Tiger7) | script -qec " +
      larkspur::test::shellQuote(kCli + " compress --password " + a) + " /dev/null");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("Password again: "), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("Tiger7"), std::string::npos) << "echoed:\n" << r.output;
  EXPECT_EQ(extractWithUnzip(dir.file("a.zip"), "a.txt", "Tiger7"), "alpha words");
}

// Starts the program with TMPDIR set, waits until `ready` holds, sends Ctrl-C and returns the
// exit status.
int interrupt(const std::vector<std::string>& args, const std::string& tmp,
              const std::function<bool()>& ready) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(kCli.c_str()));
  for (const auto& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const std::string tmpdir = "TMPDIR=" + tmp;
  char* envp[] = {const_cast<char*>(tmpdir.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, kCli.c_str(), nullptr, nullptr, argv.data(), envp) != 0)
    return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!ready() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (platform::DirectoryFind f(folder + kSep + "*.*"); f.ok(); f.advance()) {
    if (f.current().name != "." && f.current().name != "..")
      names.push_back(f.current().name);
  }
  return names;
}

// Whether a run is writing `archive`: its temporary version lies beside it.
bool writing(const std::string& archive) {
  for (platform::DirectoryFind f(paths::ExtractFilePath(archive) + "*.*"); f.ok(); f.advance()) {
    if (zip::IsTempArchiveOf(paths::ExtractFilePath(archive) + f.current().name, archive))
      return true;
  }
  return false;
}

TEST_F(CompressCommand, CtrlCDuringTheFirstItemLeavesNoArchive) {
  const std::string big = file("big.bin", incompressibleBytes(40 << 20, 1));
  const std::string tmp = dir.file("tmp");
  platform::createDirectory(tmp);
  const std::string archive = dir.file("big.zip");
  const int status = interrupt({"compress", big}, tmp, [&] { return writing(archive); });
  EXPECT_NE(status, 0);
  EXPECT_FALSE(platform::fileExists(archive));
  EXPECT_FALSE(writing(archive));
  EXPECT_TRUE(filesIn(tmp).empty());
}

TEST_F(CompressCommand, CtrlCDuringALaterItemKeepsWhatTheEarlierOnesWrote) {
  const std::string small = file("small.txt", "small");
  const std::string big = file("big.bin", incompressibleBytes(40 << 20, 2));
  const std::string tmp = dir.file("tmp");
  platform::createDirectory(tmp);
  const std::string archive = dir.file("small.zip");
  const int status = interrupt({"compress", small, big}, tmp,
                               [&] { return platform::fileExists(archive) && writing(archive); });
  EXPECT_NE(status, 0);
  EXPECT_EQ(names(archive), std::vector<std::string>{"small.txt"});
  EXPECT_EQ(archiveProblems(archive), "");
  EXPECT_FALSE(writing(archive));
  EXPECT_TRUE(filesIn(tmp).empty());
}
#endif

} // namespace
} // namespace larkspur::cli
