// Attributes, existence, times, temporary names, rename/copy/delete and the small system calls.
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <optional>
#include <set>

#include "platform/dos_time.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"

namespace larkspur::platform {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(FileSystem, AttributesAndExistence) {
  TempDir dir;
  const std::string file = dir.file("f");
  writeFile(file, "x");
  EXPECT_TRUE(fileExists(file));
  EXPECT_FALSE(directoryExists(file));
  EXPECT_TRUE(directoryExists(dir.path()));
  EXPECT_FALSE(fileExists(dir.path()));
  EXPECT_FALSE(fileExists(dir.file("none")));
  EXPECT_FALSE(directoryExists(dir.file("none")));
  EXPECT_EQ(fileAttributes(dir.file("none")), -1);
  EXPECT_NE(fileAttributes(dir.path()) & faDirectory, 0);
  EXPECT_EQ(fileAttributes(file) & (faDirectory | faReadOnly), 0);
  EXPECT_NE(fileAttributes(file) & faArchive, 0);

  ASSERT_TRUE(setFileAttributes(file, faReadOnly | faArchive));
  EXPECT_NE(fileAttributes(file) & faReadOnly, 0);
  ASSERT_TRUE(setFileAttributes(file, faArchive));
  EXPECT_EQ(fileAttributes(file) & faReadOnly, 0);
  EXPECT_FALSE(setFileAttributes(dir.file("none"), faArchive));
}

TEST(FileSystem, FileTimesAreLocalDosTimes) {
  TempDir dir;
  const std::string file = dir.file("f");
  writeFile(file, "x");
  EXPECT_EQ(fileDosTime(dir.file("none")), 0xFFFFFFFFu);
  const std::uint32_t when = packDosTime(DateTime{2004, 2, 29, 13, 45, 58});
  ASSERT_TRUE(setFileDosTime(file, when));
  EXPECT_EQ(fileDosTime(file), when);
  // A file just written carries about the current time.
  writeFile(dir.file("g"), "y");
  const auto written = timeTFromLocal(splitDosTime(fileDosTime(dir.file("g"))));
  const auto now = timeTFromLocal(splitDosTime(currentDosTime()));
  ASSERT_TRUE(written && now);
  EXPECT_LE(std::abs(static_cast<long long>(*now - *written)), 4);
}

TEST(FileSystem, TempFilesAreNewEmptyAndUnique) {
  TempDir dir;
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    const std::string name = makeTempFile(dir.path(), "ZAVX");
    EXPECT_TRUE(fileExists(name));
    EXPECT_EQ(readFile(name), "");
    EXPECT_EQ(paths::ExtractFilePath(name), dir.path() + kPathDelimiter);
    const std::string own = paths::ExtractFileName(name);
    EXPECT_EQ(own.substr(0, 3), "ZAV"); // three characters of the prefix, as Windows keeps
    EXPECT_EQ(paths::UpperCaseAscii(paths::ExtractFileExt(own)), ".TMP");
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 20u);
  EXPECT_THROW(makeTempFile(dir.file("none"), "ZAV"), FileCreateError);
  const std::string temp = tempDirectory();
  ASSERT_FALSE(temp.empty());
  EXPECT_TRUE(paths::IsPathDelimiterAt(temp, temp.size() - 1));
  EXPECT_TRUE(directoryExists(paths::ExcludeTrailingPathDelimiter(temp)));
}

TEST(FileSystem, RenameNeverReplacesAnExistingFile) {
  TempDir dir;
  writeFile(dir.file("a"), "A");
  writeFile(dir.file("b"), "B");
  EXPECT_FALSE(renameFile(dir.file("a"), dir.file("b")));
  EXPECT_EQ(readFile(dir.file("b")), "B");
  EXPECT_TRUE(renameFile(dir.file("a"), dir.file("c")));
  EXPECT_FALSE(fileExists(dir.file("a")));
  EXPECT_EQ(readFile(dir.file("c")), "A");
  EXPECT_FALSE(renameFile(dir.file("a"), dir.file("d")));
}

TEST(FileSystem, AReplaceInOneStepLeavesOnlyTheNewFileUnderTheName) {
  TempDir dir;
  writeFile(dir.file("new"), "NEW");
  writeFile(dir.file("old"), "OLD");
  std::optional<File> holder;
  if constexpr (kCanMoveOpenFiles)
    holder.emplace(File::open(dir.file("old"), Access::Read, Share::DenyNone));
  ASSERT_TRUE(replaceFileAtomically(dir.file("new"), dir.file("old")));
  EXPECT_EQ(readFile(dir.file("old")), "NEW");
  EXPECT_FALSE(fileExists(dir.file("new")));
  // A run that waited on the old file learns that the name leads elsewhere now.
  if (holder) {
    EXPECT_FALSE(holder->isNamedBy(dir.file("old")));
  }
}

TEST(FileSystem, AFileHeldByItsWriterIsNeitherCreatedTwiceNorDeletedAsALeftover) {
  TempDir dir;
  const std::string name = dir.file("run.tmp");
  {
    File held = File::createNew(name);
    ASSERT_TRUE(held.lockExclusive(false));
    EXPECT_TRUE(held.isNamedBy(name));
    EXPECT_THROW(File::createNew(name), FileCreateError);
    EXPECT_FALSE(deleteFileIfUnused(name));
    // Another locker (another run) is refused while the writer holds it.
    File other = File::open(name, Access::Read, Share::DenyNone);
    EXPECT_FALSE(other.lockExclusive(false));
  }
  EXPECT_TRUE(deleteFileIfUnused(name));
  EXPECT_FALSE(fileExists(name));
}

TEST(FileSystem, CopyReplacesTargetAndKeepsTime) {
  TempDir dir;
  writeFile(dir.file("a"), std::string(100000, 'q'));
  writeFile(dir.file("b"), "old");
  const std::uint32_t when = packDosTime(DateTime{2010, 6, 1, 8, 0, 0});
  ASSERT_TRUE(setFileDosTime(dir.file("a"), when));
  EXPECT_TRUE(copyFile(dir.file("a"), dir.file("b")));
  EXPECT_EQ(readFile(dir.file("b")), std::string(100000, 'q'));
  EXPECT_EQ(fileDosTime(dir.file("b")), when);
  EXPECT_FALSE(copyFile(dir.file("none"), dir.file("c")));
  EXPECT_FALSE(fileExists(dir.file("c")));
}

TEST(FileSystem, DeleteAndDirectories) {
  TempDir dir;
  writeFile(dir.file("a"), "");
  EXPECT_TRUE(deleteFile(dir.file("a")));
  EXPECT_FALSE(deleteFile(dir.file("a")));
  EXPECT_TRUE(createDirectory(dir.file("d")));
  EXPECT_FALSE(createDirectory(dir.file("d")));
  EXPECT_FALSE(deleteFile(dir.file("d")));
  EXPECT_TRUE(removeDirectory(dir.file("d")));
  EXPECT_FALSE(directoryExists(dir.file("d")));
}

TEST(FileSystem, DrivesOfAnExistingRoot) {
  TempDir dir;
#ifdef _WIN32
  const std::string root = paths::ExtractFileDrive(dir.path()) + "\\";
#else
  const std::string root = "/";
#endif
  EXPECT_NE(driveType(root), DriveType::NoRootDir);
  EXPECT_GT(diskFreeSpace(dir.path()), 0);
  CriticalErrorsOff quiet; // must be harmless to nest and end
  { CriticalErrorsOff inner; }
}

TEST(System, OemRoundTripKeepsAscii) {
  const std::string ascii = "Readme 1.txt";
  EXPECT_EQ(oemToAnsi(ansiToOem(ascii)), ascii);
  EXPECT_FALSE(isLeadByte('\\'));
  EXPECT_FALSE(isLeadByte('A'));
}

TEST(System, ModuleFileNameNamesThisProgram) {
  const std::string name = moduleFileName();
  ASSERT_FALSE(name.empty());
  EXPECT_TRUE(fileExists(name));
  EXPECT_NE(paths::LowerCaseAscii(paths::ExtractFileName(name)).find("platform_tests"),
            std::string::npos);
}

TEST(System, MessageBoxAndPumpReturn) {
  processMessages();
#ifndef _WIN32
  EXPECT_EQ(messageBox("text", "caption", mbOk), idOk);
#endif
}

#ifndef _WIN32
TEST(System, InterruptSetsTheCancelFlag) {
  installInterruptHandler();
  EXPECT_FALSE(cancelRequested());
  std::raise(SIGTERM); // like Ctrl-C: the run stops and cleans up, the process is not ended
  EXPECT_TRUE(cancelRequested());
}
#endif

} // namespace
} // namespace larkspur::platform
