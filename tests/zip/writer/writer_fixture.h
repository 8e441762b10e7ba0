// Shared set-up of the writer tests: a folder of source files, a writer aimed at an archive in
// it with its temporary folder of its own, and quick ways to read back what was written.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/host_tools.h"
#include "support/temp_dir.h"
#include "zip/writer/temp_archive.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip::test {

using larkspur::test::archiveProblems;
using larkspur::test::readEntriesWithPython;
using larkspur::test::readFile;
using larkspur::test::writeFile;

inline constexpr char kSep = platform::kPathDelimiter;

// The writer with its field limits within a test's reach: nobody writes 4 GiB to test them.
class TestableWriter : public TZipWriter {
public:
  using TZipWriter::SetLimits;
  using TZipWriter::SetSpanMedia;
};

class WriterTest : public ::testing::Test {
protected:
  WriterTest() {
    platform::createDirectory(src());
    platform::createDirectory(temp());
    writer.SetTempPath(temp());
  }

  // The folder the sources live in, and the writer's own temporary folder.
  std::string src() const { return dir.file("src"); }
  std::string temp() const { return dir.file("tmp"); }
  // A path under src() written with "/" in the test.
  std::string path(const std::string& relative) const {
    std::string p = src() + kSep + relative;
    for (char& c : p) {
      if (c == '/')
        c = kSep;
    }
    return p;
  }
  std::string zipName() const { return dir.file("out.zip"); }

  // Creates the file (and its folders) with `bytes`, dated `dosTime` when it is not 0.
  std::string make(const std::string& relative, const std::string& bytes,
                   std::uint32_t dosTime = 0) {
    const std::string p = path(relative);
    for (std::size_t i = src().size() + 1; i < p.size(); ++i) {
      if (p[i] == kSep)
        platform::createDirectory(p.substr(0, i));
    }
    writeFile(p, bytes);
    if (dosTime != 0)
      platform::setFileDosTime(p, dosTime);
    return p;
  }

  // One Zip of `files` into zipName() with the writer's current settings.
  std::int32_t zip(const std::vector<std::string>& files) {
    writer.SetZipName(zipName());
    writer.FilesList = files;
    return writer.Zip();
  }

  // The stored names, in stored order, as Python's zipfile reads them.
  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (const auto& e : readEntriesWithPython(zipName()))
      result.push_back(e.name);
    return result;
  }

  // Files left in the writer's temporary folder, and temporary versions of the archive left
  // beside it.
  std::vector<std::string> tempFiles() const {
    std::vector<std::string> left;
    for (platform::DirectoryFind f(temp() + kSep + "*.*"); f.ok(); f.advance()) {
      if (f.current().name != "." && f.current().name != "..")
        left.push_back(f.current().name);
    }
    for (platform::DirectoryFind f(dir.path() + kSep + "*.*"); f.ok(); f.advance()) {
      if (IsTempArchiveOf(dir.file(f.current().name), zipName()))
        left.push_back(f.current().name);
    }
    return left;
  }

  larkspur::test::TempDir dir;
  TestableWriter writer;
};

// Runs a Python snippet on the host with `archive` as sys.argv[1]; fails the test when it fails.
inline void python(const std::string& code, const std::string& archive) {
  const auto r = larkspur::test::runHostShell(
      "python3 -c " + larkspur::test::shellQuote(code) + " " +
      larkspur::test::shellQuote(larkspur::test::hostSidePath(archive)));
  ASSERT_EQ(r.exitCode, 0) << r.output;
}

// A DOS date/time for the given calendar fields.
inline std::uint32_t dosTime(int year, int month, int day, int hour = 12, int minute = 0,
                             int second = 0) {
  return static_cast<std::uint32_t>(((year - 1980) << 25) | (month << 21) | (day << 16) |
                                    (hour << 11) | (minute << 5) | (second / 2));
}

} // namespace larkspur::zip::test
