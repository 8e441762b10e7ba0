// The expansion of FilesList into concrete files: explicit paths are checked and kept in order,
// names without a path are taken under RootDir, wildcard entries are searched (with or without
// recursion) and what they find is appended; exclusions, the archive bit, zaFreshen and the
// archive itself are filtered out, and the total byte count is summed.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace larkspur::zip {

class TZipWriter;
class ZipRun;

class FileListExpander {
public:
  FileListExpander(TZipWriter& writer, ZipRun& run) : writer_(writer), run_(run) {}

  void Run();

private:
  // Explicit strings: kept in place, dropped, or moved to the wildcard list.
  std::vector<std::string> checkExplicit(std::vector<std::string>& wildcards);
  void searchWildcard(std::string entry, std::vector<std::string>& files);
  bool excluded(const std::string& path) const;
  // With zaFreshen: whether the archive lacks an entry of the file's storage name.
  bool notInArchive(const std::string& path) const;
  void count(std::uint64_t size, const std::string& path);

  TZipWriter& writer_;
  ZipRun& run_;
  bool freshen_ = false;
  std::unordered_set<std::string> archiveKeys_; // storage keys of the archive's entries
};

} // namespace larkspur::zip
