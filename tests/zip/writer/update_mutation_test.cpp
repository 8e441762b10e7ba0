// Updates of the shared foreign archives and of damaged copies of them (bytes inserted, deleted
// and flipped in entry data, local headers and the central directory, from a fixed seed). Every
// update either refuses, leaving the archive byte for byte as it was and nothing beside it, or
// keeps every entry that Python's zipfile can read, byte for byte.
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <sstream>

#include "support/shared_data.h"
#include "writer_fixture.h"
#include "zip/format/zip_reader.h"

namespace larkspur::zip::test {
namespace {

using larkspur::test::hostSidePath;
using larkspur::test::runHostShell;
using larkspur::test::shellQuote;

// Mutated copies made from the corpus; with the corpus itself some 500 updates.
constexpr int kMutations = 240;
// Base archives larger than this are left to the unmutated run: small ones mutate as well.
constexpr std::size_t kLargestBase = 64 * 1024;
// Insertions and deletions take 1 to this many bytes.
constexpr std::uint32_t kMostBytesMoved = 64;
constexpr std::uint32_t kSeed = 20261208;

// For each archive listed in the file argv[1], one line per entry Python reads: the archive,
// the entry's name in hex, the SHA-256 of its data. Huge entries are left out of the oracle.
constexpr char kOracle[] = R"(import sys, zipfile, hashlib
for path in open(sys.argv[1], encoding='utf-8').read().split('\n'):
  if not path: continue
  try:
    z = zipfile.ZipFile(path); infos = z.infolist()
  except Exception: continue
  for i in infos:
    if i.file_size > 1 << 24: continue
    try: data = z.read(i)
    except Exception: continue
    print(path, i.filename.encode('utf-8', 'surrogateescape').hex(),
          hashlib.sha256(data).hexdigest(), sep='\t')
)";

struct Case {
  std::string label; // the corpus file, and the mutation made to it
  std::string bytes;
  std::string extension;
};

std::vector<std::string> corpusFiles() {
  std::istringstream manifest(readFile(larkspur::test::sharedPath("corpora/zips/MANIFEST.tsv")));
  std::vector<std::string> files;
  std::string line;
  std::getline(manifest, line); // the header
  while (std::getline(manifest, line)) {
    const std::string file = line.substr(0, line.find('\t'));
    if (!file.empty())
      files.push_back(file);
  }
  return files;
}

std::string extensionOf(const std::string& file) {
  const std::size_t slash = file.rfind('/');
  const std::size_t dot = file.rfind('.');
  return dot == std::string::npos || (slash != std::string::npos && dot < slash) ? std::string()
                                                                                 : file.substr(dot);
}

// The byte ranges of a readable archive that the mutations aim at.
struct Regions {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> data, localHeaders;
  std::pair<std::uint32_t, std::uint32_t> directory;
};

std::optional<Regions> regionsOf(const std::string& path, std::size_t size) {
  TZipReader reader;
  reader.DoProcessMessages = false;
  try {
    reader.SetZipName(path);
    reader.OpenArchive();
  } catch (const Error&) {
    return std::nullopt;
  }
  Regions regions;
  for (int i = 0; i < reader.EntryCount(); ++i) {
    const TZipHeaderInfo& e = reader.Entry(i);
    const std::uint32_t header = e.LocalHeaderOffset;
    const std::uint32_t data = header + kLocalHeaderSize + e.FileNameLength + e.LocalExtraLength;
    const auto end =
        static_cast<std::uint32_t>(data + static_cast<std::uint32_t>(e.CompressedSize));
    if (end > size || data >= end)
      continue;
    regions.localHeaders.emplace_back(header, data);
    regions.data.emplace_back(data, end);
  }
  const TEndCentral& end = reader.EndRecord();
  regions.directory = {end.CentralOffset, end.CentralOffset + end.CentralSize};
  if (regions.data.empty() || regions.directory.second > size ||
      regions.directory.first >= regions.directory.second) {
    return std::nullopt;
  }
  return regions;
}

std::vector<Case> mutatedCases(const std::vector<Case>& corpus, const std::string& scratch) {
  std::vector<std::pair<const Case*, Regions>> bases;
  for (const Case& c : corpus) {
    if (c.bytes.size() > kLargestBase)
      continue;
    writeFile(scratch, c.bytes);
    if (auto regions = regionsOf(scratch, c.bytes.size()))
      bases.emplace_back(&c, *regions);
  }
  std::vector<Case> cases;
  if (bases.empty())
    return cases;
  std::mt19937 random(kSeed);
  const auto below = [&](std::uint32_t n) { return static_cast<std::uint32_t>(random() % n); };
  static const char* const kOps[] = {"insert", "delete", "flip"};
  static const char* const kPlaces[] = {"data", "local header", "directory"};
  for (int k = 0; k < kMutations; ++k) {
    const auto& [base, regions] = bases[below(static_cast<std::uint32_t>(bases.size()))];
    const int op = k % 3, place = (k / 3) % 3;
    std::pair<std::uint32_t, std::uint32_t> range = regions.directory;
    if (place == 0)
      range = regions.data[below(static_cast<std::uint32_t>(regions.data.size()))];
    else if (place == 1)
      range = regions.localHeaders[below(static_cast<std::uint32_t>(regions.localHeaders.size()))];
    const std::uint32_t at = range.first + below(range.second - range.first);
    std::string bytes = base->bytes;
    if (op == 0) {
      std::string inserted(1 + below(kMostBytesMoved), '\0');
      for (char& b : inserted)
        b = static_cast<char>(below(256));
      bytes.insert(at, inserted);
    } else if (op == 1) {
      bytes.erase(at, 1 + below(kMostBytesMoved));
    } else {
      bytes[at] = static_cast<char>(bytes[at] ^ (1 + below(255)));
    }
    cases.push_back(
        {base->label + ": " + kOps[op] + " at " + std::to_string(at) + " (" + kPlaces[place] + ")",
         std::move(bytes), base->extension});
  }
  return cases;
}

// (archive path, entry name in hex) -> SHA-256 of each readable entry of that name.
using Readable = std::map<std::pair<std::string, std::string>, std::vector<std::string>>;

Readable readableEntries(const std::vector<std::string>& archives, const std::string& listFile) {
  std::string list;
  for (const std::string& a : archives)
    list += hostSidePath(a) + "\n";
  writeFile(listFile, list);
  const auto r = runHostShell("python3 -c " + shellQuote(kOracle) + " " +
                              shellQuote(hostSidePath(listFile)) + " 2>&1");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  Readable readable;
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t a = line.find('\t'), b = line.rfind('\t');
    if (a == std::string::npos || a == b)
      continue;
    readable[{line.substr(0, a), line.substr(a + 1, b - a - 1)}].push_back(line.substr(b + 1));
  }
  for (auto& [key, digests] : readable)
    std::sort(digests.begin(), digests.end());
  return readable;
}

std::vector<std::string> folderContents(const std::string& folder) {
  std::vector<std::string> names;
  for (platform::DirectoryFind f(folder + kSep + "*.*"); f.ok(); f.advance()) {
    if (f.current().name != "." && f.current().name != "..")
      names.push_back(f.current().name);
  }
  return names;
}

class UpdateMutationTest : public WriterTest {};

TEST_F(UpdateMutationTest, EveryUpdateRefusesUnchangedOrKeepsWhatPythonReads) {
  if (!larkspur::test::hostHasProgram("python3"))
    GTEST_SKIP() << "python3, the oracle of what an archive holds, is not installed";
  std::vector<Case> cases;
  for (const std::string& file : corpusFiles()) {
    cases.push_back(
        {file, readFile(larkspur::test::sharedPath("corpora/zips/" + file)), extensionOf(file)});
  }
  ASSERT_GT(cases.size(), 200u);
  const std::vector<Case> mutated = mutatedCases(cases, dir.file("scratch.zip"));
  ASSERT_EQ(mutated.size(), static_cast<std::size_t>(kMutations));
  cases.insert(cases.end(), mutated.begin(), mutated.end());

  const std::string added = make("added-by-update.txt", "one more file");
  const auto folderOf = [&](std::size_t i) { return dir.file("case" + std::to_string(i)); };
  const auto archiveOf = [&](std::size_t i) {
    return folderOf(i) + kSep + "archive" + cases[i].extension;
  };
  std::vector<std::string> archives;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    platform::createDirectory(folderOf(i));
    writeFile(archiveOf(i), cases[i].bytes);
    archives.push_back(archiveOf(i));
  }
  const Readable before = readableEntries(archives, dir.file("before.txt"));

  std::vector<std::string> updated;
  int refused = 0;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].label);
    // A writer of its own each time: reading a split archive leaves a writer set to split.
    TZipWriter fresh;
    fresh.SetTempPath(temp());
    fresh.DoProcessMessages = false;
    fresh.SetZipName(archiveOf(i));
    fresh.FilesList = {added};
    try {
      fresh.Zip();
      updated.push_back(archiveOf(i));
    } catch (const std::exception&) {
      ++refused;
      EXPECT_EQ(readFile(archiveOf(i)), cases[i].bytes);
      EXPECT_EQ(folderContents(folderOf(i)),
                std::vector<std::string>{"archive" + cases[i].extension});
      EXPECT_TRUE(tempFiles().empty());
    }
  }
  const Readable after = readableEntries(updated, dir.file("after.txt"));
  int entriesKept = 0;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    if (std::find(updated.begin(), updated.end(), archiveOf(i)) == updated.end())
      continue;
    const std::string path = hostSidePath(archiveOf(i));
    for (auto it = before.lower_bound({path, ""}); it != before.end() && it->first.first == path;
         ++it) {
      const auto now = after.find(it->first);
      std::vector<std::string> kept = now == after.end() ? std::vector<std::string>() : now->second;
      EXPECT_TRUE(std::includes(kept.begin(), kept.end(), it->second.begin(), it->second.end()))
          << cases[i].label << ": entry " << it->first.second << " lost or changed";
      entriesKept += static_cast<int>(it->second.size());
    }
  }
  std::printf("%zu updates: %d refused, %zu written, keeping %d entries Python reads\n",
              cases.size(), refused, updated.size(), entriesKept);
}

} // namespace
} // namespace larkspur::zip::test
