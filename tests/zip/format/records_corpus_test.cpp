// The records over the shared corpus of real and damaged archives: every file survives the
// end-record scan and the header readers, and in every plain valid archive the central
// directory the end record points to reads back whole.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/file_contents.h"
#include "support/shared_data.h"
#include "zip/format/end_central.h"
#include "zip/format/memory_stream.h"
#include "zip/format/zip_header_info.h"

namespace larkspur::zip {
namespace {

struct CorpusFile {
  std::string name;
  std::string expected;
};

std::vector<CorpusFile> manifest() {
  std::vector<CorpusFile> files;
  std::ifstream in(larkspur::test::sharedPath("corpora/zips/MANIFEST.tsv"));
  std::string line;
  std::getline(in, line); // column names
  while (std::getline(in, line)) {
    std::istringstream row(line);
    CorpusFile file;
    std::string bytes, exercises;
    std::getline(row, file.name, '\t');
    std::getline(row, bytes, '\t');
    std::getline(row, exercises, '\t');
    std::getline(row, file.expected, '\t');
    files.push_back(file);
  }
  return files;
}

struct Reading {
  bool endFound = false;
  TEndCentral end;
  int centralRead = 0;
};

Reading readRecords(const std::string& bytes) {
  Reading r;
  TMemoryStream stream(bytes);
  r.endFound = r.end.LocateEndRecord(stream);
  if (r.endFound) {
    stream.SetPosition(r.end.CentralOffset);
    TZipHeaderInfo e;
    while (r.centralRead < r.end.TotalEntries && e.ReadCentralHeader(stream))
      ++r.centralRead;
  }
  stream.SetPosition(0);
  TZipHeaderInfo e;
  // The local headers from the start, stepping over each entry's data as a repair would.
  while (e.ReadLocalHeader(stream)) {
    const std::int64_t skip = std::int64_t{e.CompressedSize} + e.LocalExtraLength;
    if (skip <= 0)
      break;
    stream.Seek(skip, 1);
  }
  return r;
}

// Valid archives whose central directory is not where the end record says; the reader repairs
// them from their local headers.
bool centralDirectoryMisplaced(const std::string& name) {
  // Data before the archive shifts every offset.
  for (const char* known : {"go-archive-zip/test-prefix.zip"}) {
    if (name == known)
      return true;
  }
  return false;
}

TEST(RecordsCorpus, PlainValidArchivesReadWholeAndNothingBreaksTheReaders) {
  const auto files = manifest();
  if (files.empty())
    GTEST_SKIP() << "no corpus at " << larkspur::test::sharedDir();
  int plainValid = 0;
  for (const CorpusFile& file : files) {
    const std::string bytes =
        larkspur::test::readFile(larkspur::test::sharedPath("corpora/zips/" + file.name));
    const Reading r = readRecords(bytes);
    const bool plain = file.expected == "valid" || file.expected == "valid (empty)";
    const bool zip64 = r.end.TotalEntries == 0xFFFF || r.end.CentralOffset == 0xFFFFFFFF;
    if (!plain || zip64)
      continue;
    ++plainValid;
    EXPECT_TRUE(r.endFound) << file.name;
    if (centralDirectoryMisplaced(file.name)) {
      EXPECT_EQ(r.centralRead, 0) << file.name;
    } else {
      EXPECT_EQ(r.centralRead, r.end.TotalEntries) << file.name;
    }
  }
  EXPECT_GT(plainValid, 100);
}

} // namespace
} // namespace larkspur::zip
