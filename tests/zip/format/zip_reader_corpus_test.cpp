// The shared corpus of archives from other tools and test suites (corpora/zips, described by its
// MANIFEST.tsv): every file is read or refused with one of the engine's exceptions under every
// IncompleteZipMode; the valid ones are read, with as many entries as Python's zipfile finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "host_tool_fixture.h"
#include "support/file_contents.h"
#include "support/shared_data.h"
#include "zip/format/reader_texts.h"
#include "zip/format/zip_reader.h"

namespace larkspur::zip {
namespace {

struct CorpusRow {
  std::string file;     // relative to corpora/zips, "/" separators
  std::string expected; // the manifest's verdict: valid, damaged, not a zip, ...
};

std::vector<CorpusRow> corpusRows() {
  std::istringstream manifest(test::readFile(test::sharedPath("corpora/zips/MANIFEST.tsv")));
  std::vector<CorpusRow> rows;
  std::string line;
  std::getline(manifest, line); // the header
  while (std::getline(manifest, line)) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');)
      fields.push_back(cell);
    if (fields.size() > 3)
      rows.push_back({fields[0], fields[3]});
  }
  return rows;
}

struct Listing {
  bool read = false;
  int entries = 0;
  std::string error;
};

// Everything a listing asks of the reader; an exception must be one of the engine's.
Listing list(const std::string& path, TIncompleteZipMode mode) {
  Listing result;
  TZipReader reader;
  reader.IncompleteZipMode = mode;
  try {
    reader.SetZipName(path);
    reader.OpenArchive();
    for (int i = 0; i < reader.EntryCount(); ++i) {
      reader.EntryComment(i);
      reader.EntryDateTime(i);
    }
    reader.ArchiveComment();
    result.read = true;
    result.entries = reader.EntryCount();
  } catch (const Error& e) {
    result.error = e.what();
    EXPECT_FALSE(result.error.empty()) << path;
  }
  return result;
}

// A multi-disk set with 64-bit records: refused, with the reason.
bool isSplitZip64(const std::string& file) {
  return file == "commons-compress/COMPRESS-477/split_zip_created_by_zip/"
                 "split_zip_created_by_zip_zip64.zip";
}

// The entry names the reader gives, in its order, with "/" separators.
std::vector<std::string> ourNames(const std::string& path) {
  TZipReader reader;
  reader.SetZipName(path);
  reader.OpenArchive();
  std::vector<std::string> names;
  for (int i = 0; i < reader.EntryCount(); ++i) {
    std::string name = reader.Entry(i).Directory() + reader.Entry(i).FileName();
    std::replace(name.begin(), name.end(), '\\', '/');
    names.push_back(std::move(name));
  }
  return names;
}

bool isValid(const CorpusRow& row) {
  return row.expected.rfind("valid", 0) == 0 || row.expected.rfind("\"valid", 0) == 0;
}
// Valid only to a reader that walks the local headers: the central directory is off.
bool validOnlyWhenStreamed(const CorpusRow& row) {
  return row.expected.find("streaming reader") != std::string::npos;
}
bool isContainer(const CorpusRow& row) {
  return row.file.size() > 8 && row.file.compare(row.file.size() - 8, 8, ".tar.bz2") == 0;
}

TEST(ZipReaderCorpusTest, EveryFileIsReadOrRefusedUnderEveryMode) {
  const auto rows = corpusRows();
  ASSERT_GT(rows.size(), 250u);
  for (const CorpusRow& row : rows) {
    const std::string path = test::sharedPath("corpora/zips/" + row.file);
    for (auto mode : {TIncompleteZipMode::izAssumeMulti, TIncompleteZipMode::izAssumeBad,
                      TIncompleteZipMode::izAssumeNotAZip}) {
      list(path, mode);
    }
  }
}

TEST(ZipReaderCorpusTest, ValidArchivesAreRead) {
  int checked = 0;
  for (const CorpusRow& row : corpusRows()) {
    if (!isValid(row) || validOnlyWhenStreamed(row) || isContainer(row))
      continue;
    const Listing listing =
        list(test::sharedPath("corpora/zips/" + row.file), TIncompleteZipMode::izAssumeMulti);
    if (isSplitZip64(row.file)) {
      EXPECT_EQ(listing.error, reader_text::kZip64Archive) << row.file;
    } else {
      EXPECT_TRUE(listing.read) << row.file << ": " << listing.error;
      ++checked;
    }
  }
  EXPECT_GT(checked, 150);
}

// ---- Against another reader ------------------------------------------------------------------

class CorpusHostTest : public test::HostToolTest {
protected:
  // Python's entry count of each archive named in `listFile` (one per line) as "name\tcount";
  // -1 where Python refuses it.
  std::map<std::string, int> pythonCounts(const std::string& base, const std::string& names) {
    test::writeFile(dir_.file("names.txt"), names);
    test::writeFile(dir_.file("count.py"),
                    "import sys, zipfile\n"
                    "base = sys.argv[1]\n"
                    "for name in open('names.txt').read().split('\\n'):\n"
                    "    if not name: continue\n"
                    "    try: n = len(zipfile.ZipFile(base + '/' + name).infolist())\n"
                    "    except Exception: n = -1\n"
                    "    print(name + '\\t' + str(n))\n");
    host("python3 count.py " + hostPathOf(base) + " > counts.tsv");
    std::map<std::string, int> counts;
    if (stopped())
      return counts;
    std::istringstream lines(test::readFile(dir_.file("counts.tsv")));
    std::string name;
    int count = 0;
    while (std::getline(lines, name, '\t') && lines >> count) {
      counts[name] = count;
      lines.ignore(1);
    }
    return counts;
  }

  // Python's entry names of each archive (paths as the host sees them), in its order.
  std::map<std::string, std::vector<std::string>>
  pythonNames(const std::vector<std::string>& archives) {
    std::string list;
    for (const std::string& archive : archives)
      list += test::hostSidePath(archive) + "\n";
    test::writeFile(dir_.file("archives.txt"), list);
    test::writeFile(dir_.file("names.py"),
                    "import zipfile\n"
                    "with open('names.tsv', 'w', encoding='utf-8', newline='\\n') as out:\n"
                    "    for path in open('archives.txt').read().split('\\n'):\n"
                    "        if path:\n"
                    "            for name in zipfile.ZipFile(path).namelist():\n"
                    "                out.write(path + '\\t' + name + '\\n')\n");
    host("python3 names.py");
    std::map<std::string, std::vector<std::string>> names;
    if (stopped())
      return names;
    std::map<std::string, std::string> byHostPath;
    for (const std::string& archive : archives)
      byHostPath[test::hostSidePath(archive)] = archive;
    std::istringstream lines(test::readFile(dir_.file("names.tsv")));
    for (std::string line; std::getline(lines, line);) {
      const auto tab = line.find('\t');
      names[byHostPath.at(line.substr(0, tab))].push_back(line.substr(tab + 1));
    }
    return names;
  }

  // Every archive lists the names Python lists, in the same order.
  void expectPythonNames(const std::vector<std::string>& archives) {
    const auto expected = pythonNames(archives);
    if (IsSkipped())
      return;
    for (const std::string& archive : archives) {
      std::vector<std::string> got;
      try {
        got = ourNames(archive);
      } catch (const Error& e) {
        ADD_FAILURE() << archive << ": " << e.what();
        continue;
      }
      const auto python = expected.find(archive);
      ASSERT_NE(python, expected.end()) << archive;
      EXPECT_TRUE(got == python->second)
          << archive << ": " << got.size() << " names, Python " << python->second.size();
    }
  }
};

TEST_F(CorpusHostTest, EntryCountsAgreeWithPython) {
  std::string names;
  std::vector<CorpusRow> rows;
  for (const CorpusRow& row : corpusRows()) {
    // Python refuses or half-reads what is only valid to a lenient reader.
    const bool lenientOnly = row.expected.find("recoverable") != std::string::npos;
    if (!isValid(row) || validOnlyWhenStreamed(row) || isContainer(row) || isSplitZip64(row.file) ||
        lenientOnly) {
      continue;
    }
    rows.push_back(row);
    names += row.file + "\n";
  }
  const std::string base = test::sharedPath("corpora/zips");
  const auto counts = pythonCounts(base, names);
  if (IsSkipped())
    return;
  ASSERT_EQ(counts.size(), rows.size());
  for (const CorpusRow& row : rows) {
    const int python = counts.at(row.file);
    if (python < 0)
      continue; // refused there: nothing to compare
    const Listing listing = list(base + "/" + row.file, TIncompleteZipMode::izAssumeMulti);
    EXPECT_EQ(listing.entries, python) << row.file;
  }
}

// The corpus's archives with 64-bit records list the names Python lists.
TEST_F(CorpusHostTest, SixtyFourBitCorpusArchivesListPythonsNames) {
  std::vector<std::string> archives;
  for (const char* file :
       {"libzip/zip64-3mf.zip", "libzip/zip64.zip", "go-archive-zip/zip64.zip",
        "go-archive-zip/zip64-2.zip", "commons-compress/COMPRESS-228.zip",
        "libzip/streamed-zip64.zip", "libzip/incons-ef-local-dupe-zip64-v2.zip",
        "libzip/incons-ef-local-dupe-zip64-v1.zip", "libzip/incons-eocd64-gap.zip",
        "libzip/incons-zip64-checkcons-overflow.zip", "libzip/bigzero-zip.zip"})
    archives.push_back(test::sharedPath(std::string("corpora/zips/") + file));
  expectPythonNames(archives);
}

// The nested containers hold archives with 65 536 to 133 000 entries, counts that wrapped at
// 65 536, and 64-bit archives whose counts are in the 64-bit end record.
TEST_F(CorpusHostTest, NestedLargeArchivesAreReadWhole) {
  test::writeFile(dir_.file("extract.py"),
                  "import sys, zipfile\n"
                  "for name in ('manyfiles-zip.zip', 'bigzero-zip.zip'):\n"
                  "    zipfile.ZipFile(sys.argv[1] + '/' + name).extractall('.')\n");
  host("python3 extract.py " + hostPathOf(test::sharedPath("corpora/zips/libzip")));
  if (stopped())
    return;
  const struct {
    const char* name;
    int entries;
  } kExpected[] = {{"manyfiles.zip", 70000},
                   {"manyfiles-65536.zip", 65536},
                   {"manyfiles-133000.zip", 133000},
                   {"manyfiles-fewer.zip", 70000},
                   {"manyfiles-more.zip", 70000},
                   {"manyfiles-zip64.zip", 70000},
                   {"manyfiles-zip64-modulo.zip", 70000},
                   {"bigzero.zip", 1}};
  for (const auto& expected : kExpected) {
    const Listing listing = list(dir_.file(expected.name), TIncompleteZipMode::izAssumeMulti);
    EXPECT_EQ(listing.entries, expected.entries) << expected.name << ": " << listing.error;
  }
  expectPythonNames({dir_.file("manyfiles-65536.zip"), dir_.file("manyfiles.zip"),
                     dir_.file("manyfiles-133000.zip"), dir_.file("manyfiles-zip64.zip"),
                     dir_.file("bigzero.zip")});
}

TEST_F(CorpusHostTest, SixtyFourBitContainerIsRead) {
  host("tar xjf " +
       hostPathOf(test::sharedPath("corpora/zips/commons-compress/zip64support.tar.bz2")));
  if (stopped())
    return;
  // One entry of 5 GB, whose sizes are in 64-bit extra fields; one tool adds its folder.
  const struct {
    const char* tool;
    int entries;
  } kZeros[] = {{"", 1}, {"_7ZIP", 1}, {"_PKZip", 2}, {"_WinZip", 1}, {"_jar", 1}};
  for (const auto& zeros : kZeros) {
    const std::string name = std::string("5GB_of_Zeros") + zeros.tool + ".zip";
    const Listing listing = list(dir_.file(name), TIncompleteZipMode::izAssumeMulti);
    EXPECT_EQ(listing.entries, zeros.entries) << name << ": " << listing.error;
  }
  std::vector<std::string> archives;
  for (const char* tool : {"", "_7ZIP", "_PKZip", "_WinZIP", "_jar", "_WindowsCompressedFolders"}) {
    archives.push_back(dir_.file(std::string("100k_Files") + tool + ".zip"));
    const Listing listing = list(archives.back(), TIncompleteZipMode::izAssumeMulti);
    EXPECT_GE(listing.entries, 100000) << archives.back() << ": " << listing.error;
  }
  for (const auto& zeros : kZeros)
    archives.push_back(dir_.file(std::string("5GB_of_Zeros") + zeros.tool + ".zip"));
  expectPythonNames(archives);
}

// The archive's own end record is the one whose comment ends the file and whose directory
// ends right before it, even when the comment holds another archive's end record nearer the
// end; a 64-bit end record that disagrees with the classic one is the one that holds.
TEST(ZipReaderCorpus, TheRealEndRecordIsReadWhateverTheCommentHolds) {
  const struct {
    const char* archive;
    const char* name;
    std::uint64_t size;
  } cases[] = {
      {"libzip/zip-in-archive-comment.zip", "test", 5},
      {"libzip/zip64-in-archive-comment.zip", "testfile.txt", 0},
      {"libzip/incons-eocd64.zip", "-", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    TZipReader reader;
    reader.SetZipName(larkspur::test::sharedPath(std::string("corpora/zips/") + c.archive));
    reader.OpenArchive();
    ASSERT_EQ(reader.EntryCount(), 1);
    EXPECT_EQ(reader.Entry(0).FileName(), c.name);
    EXPECT_EQ(reader.Entry(0).Size(), c.size);
    EXPECT_FALSE(reader.Rebuilt());
  }
}

} // namespace
} // namespace larkspur::zip
