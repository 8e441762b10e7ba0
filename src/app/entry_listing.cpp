// Listing of an archive's entries: a ZIP's through the reader, a tar or gzip stream's by reading
// it through.
#include "app/entry_listing.h"

#include <cstdio>

#include "extract/archive_extract.h"
#include "extract/stream_extractor.h"
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
    entries.push_back({e.Directory() + e.FileName(), e.Size(), e.PackedSize(), e.FileDateTime,
                       (e.Flags & zip::kFlagEncrypted) != 0});
  }
  // Rebuilding found not one local header: no damaged archive, no archive at all.
  if (entries.empty() && !reader.DirectoryProblem().empty())
    throw Error("\"" + archive + "\": not a zip archive: " + reader.DirectoryProblem());
  return entries;
}

std::vector<ListedEntry> listEntries(const std::string& archive) {
  extract::StreamFormat format;
  switch (extract::archiveKindOf(archive)) {
  case extract::ArchiveKind::Gzip:
    format = extract::StreamFormat::Gzip;
    break;
  case extract::ArchiveKind::Tar:
    format = extract::StreamFormat::Tar;
    break;
  case extract::ArchiveKind::TarGzip:
    format = extract::StreamFormat::TarGzip;
    break;
  default:
    return listZipEntries(archive);
  }
  std::vector<ListedEntry> entries;
  for (extract::StreamEntryInfo& info : extract::listStream(archive, format)) {
    ListedEntry entry{std::move(info.name), info.size, std::nullopt, info.dosTime, false};
    // A plain tar stores every entry as it is.
    if (format == extract::StreamFormat::Tar)
      entry.packedSize = info.size;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string packedSizeText(const ListedEntry& entry) {
  return entry.packedSize ? groupedNumber(*entry.packedSize) : std::string();
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
