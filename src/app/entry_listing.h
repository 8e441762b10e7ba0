// The entries the extraction window lists before anything is extracted: name, sizes, date and
// whether a password is needed. Also how Larkspur.exe tells a ZIP file from one that is none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace larkspur::app {

struct ListedEntry {
  std::string name; // as the reader decodes it, "/" or the system's separator
  std::uint64_t size = 0;
  std::uint64_t packedSize = 0;
  std::uint32_t dosTime = 0;
  bool encrypted = false;
};

// The ZIP archive's entries in stored order, read as the extraction engine reads them (a damaged
// directory rebuilt from the local headers). Throws larkspur::Error when the file holds no ZIP
// archive at all.
std::vector<ListedEntry> listZipEntries(const std::string& archive);

// "1,234,567" for the size columns.
std::string groupedNumber(std::uint64_t value);
// "YYYY-MM-DD hh:mm" for the date column.
std::string dateText(std::uint32_t dosTime);

} // namespace larkspur::app
