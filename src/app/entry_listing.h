// The entries the extraction window lists before anything is extracted: name, sizes, date and
// whether a password is needed. Also how Larkspur.exe tells a ZIP file from one that is none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace larkspur::app {

struct ListedEntry {
  std::string name; // as the reader decodes it, "/" or the system's separator
  std::uint64_t size = 0;
  std::optional<std::uint64_t> packedSize; // none inside a compressed stream (.tar.gz, .gz)
  std::uint32_t dosTime = 0;
  bool encrypted = false;
};

// The ZIP archive's entries in stored order, read as the extraction engine reads them (a damaged
// directory rebuilt from the local headers). Throws larkspur::Error when the file holds no ZIP
// archive at all.
std::vector<ListedEntry> listZipEntries(const std::string& archive);

// Any supported archive's entries: a ZIP's directory, or what a tar or gzip stream holds, read
// through (it has no directory). Throws larkspur::Error as listZipEntries, or when a gzip format's
// file is no gzip.
std::vector<ListedEntry> listEntries(const std::string& archive);

// "1,234,567" for the size columns.
std::string groupedNumber(std::uint64_t value);
// The packed size column: empty where the entry has no size of its own.
std::string packedSizeText(const ListedEntry& entry);
// "YYYY-MM-DD hh:mm" for the date column.
std::string dateText(std::uint32_t dosTime);

} // namespace larkspur::app
