// Listing of a ZIP archive's entries through the reader.
#include "app/entry_listing.h"

#include <cstdio>

#include "platform/dos_time.h"
#include "zip/format/zip_reader.h"
#include "zip/format/zip_signatures.h"

namespace larkspur::app {

std::vector<ListedEntry> listZipEntries(const std::string& archive) {
  zip::TZipReader reader;
  // As the engine reads it, so the list shows what an extraction will find.
  reader.IncompleteZipMode = zip::TIncompleteZipMode::izAssumeBad;
  reader.DoProcessMessages = false;
  reader.SetZipName(archive);
  reader.OpenArchive();
  std::vector<ListedEntry> entries;
  for (int i = 0; i < reader.EntryCount(); ++i) {
    const zip::TZipHeaderInfo& e = reader.Entry(i);
    entries.push_back({e.Directory() + e.FileName(), static_cast<std::uint32_t>(e.UncompressedSize),
                       static_cast<std::uint32_t>(e.CompressedSize), e.FileDateTime,
                       (e.Flags & zip::kFlagEncrypted) != 0});
  }
  // Rebuilding found not one local header: no damaged archive, no archive at all.
  if (entries.empty() && !reader.DirectoryProblem().empty())
    throw Error("\"" + archive + "\": not a zip archive: " + reader.DirectoryProblem());
  return entries;
}

std::string groupedNumber(std::uint64_t value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<std::size_t>(at), 1, ',');
  return digits;
}

std::string dateText(std::uint32_t dosTime) {
  const platform::DateTime t = platform::splitDosTime(dosTime);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute);
  return text;
}

} // namespace larkspur::app
