// The carry-over of an existing archive into the one being rebuilt: every entry, in stored order,
// is either copied raw (its local header rewritten, its data byte for byte) or replaced at its
// place by the newer file of the same storage name; the strings used leave FilesList.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zip/format/zip_header_info.h"

namespace larkspur::zip {

class TZipWriter;
class ZipRun;
class EntryWriter;
class ZipOutput;

class CarryOver {
public:
  CarryOver(TZipWriter& writer, ZipRun& run, EntryWriter& entries, ZipOutput& output)
      : writer_(writer), run_(run), entries_(entries), output_(output) {}

  void Run();

private:
  // Marks an entry that no string of FilesList matches.
  static constexpr std::size_t kNoString = static_cast<std::size_t>(-1);

  // Raises EDamagedArchive when the directory is not the archive's whole directory, or an entry
  // cannot be copied as the directory describes it.
  void checkArchiveIntact();
  // For each entry in stored order, the index of the string of `files` that matches it (each
  // string matches at most one entry), or kNoString.
  std::vector<std::size_t> assignStrings(const std::vector<std::string>& files) const;
  // Whether the file `spec`, found no newer than `entry`, is what the entry holds.
  bool holdsFile(const TZipHeaderInfo& entry, const std::string& spec) const;
  // Whether the entry at `index` gives way to the file `spec`.
  bool replaces(int index, const std::string& spec) const;
  // Copies the entry whose directory record is `stored` to the output as `header`.
  void copyEntry(TZipHeaderInfo& header, const TZipHeaderInfo& stored);

  TZipWriter& writer_;
  ZipRun& run_;
  EntryWriter& entries_;
  ZipOutput& output_;
  std::vector<std::uint8_t> copyBuffer_;
};

} // namespace larkspur::zip
