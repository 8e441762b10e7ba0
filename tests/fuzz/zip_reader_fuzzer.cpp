// Arbitrary bytes as an archive file, opened and listed by the reader under each
// IncompleteZipMode: end record, central directory, rebuild from local headers, the checks of
// the directory against its end record and of every entry against its local header, and (through
// two more copies named as the set's block files) disk switches; then once more as the set's
// configuration file beside an archive without an end record. Anything but one of the
// engine's exceptions, a crash, or a directory larger than the bytes could hold is a finding.
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "zip/format/local_header_check.h"
#include "zip/format/zip_reader.h"

namespace {

using namespace larkspur;
using namespace larkspur::zip;

void check(bool condition) {
  if (!condition)
    __builtin_trap();
}

// A folder of this process's own for the archive and its "disks".
const std::string& workDirectory() {
  static const std::string dir = [] {
    std::string name = platform::makeTempFile(platform::tempDirectory(), "LRF");
    platform::deleteFile(name);
    platform::createDirectory(name);
    return name + platform::kPathDelimiter;
  }();
  return dir;
}

void writeFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  platform::File file = platform::File::create(name);
  check(file.write(data, size) == size);
}

void openAndList(const std::string& name, TIncompleteZipMode mode, std::size_t size) {
  TZipReader reader;
  reader.IncompleteZipMode = mode;
  reader.DoProcessMessages = false;
  reader.SetZipName(name);
  try {
    reader.OpenArchive();
    // Every entry needs at least a local header's fixed bytes in one of the three files.
    check(static_cast<std::size_t>(reader.EntryCount()) <= 3 * size / 30 + 1);
    // What an update checks before it copies entries raw.
    check(!reader.Rebuilt() || !reader.DirectoryProblem().empty());
    if (reader.ArchiveStream() && reader.Entries())
      FindUncopyableEntry(*reader.ArchiveStream(), *reader.Entries(),
                          static_cast<std::int64_t>(reader.EndRecord().DirectoryOffset()));
    // A count from a 64-bit end record is bounded by the directory it claims.
    check(reader.EndRecord().EntryCount() <= reader.EndRecord().DirectorySize() / 46 + 0xFFFF);
    for (int i = 0; i < reader.EntryCount(); ++i) {
      const TZipHeaderInfo& entry = reader.Entry(i);
      check(entry.HasZip64Values() || (entry.Size() >> 32) == 0);
      reader.EntryComment(i);
      reader.EntryDateTime(i);
    }
    reader.ArchiveComment();
    reader.SortDirectory(TZipSortMode::ByName);
    reader.SortDirectory(TZipSortMode::ByDate);
    reader.SortDirectory(TZipSortMode::ByNone);
    reader.OpenArchive(); // the cached directory
  } catch (const Error&) {
    // A refusal with one of the engine's messages is a fine answer to arbitrary bytes.
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string archive = workDirectory() + "fuzz.zip";
  writeFile(archive, data, size);
  writeFile(workDirectory() + "fuzz.001", data, size);
  writeFile(workDirectory() + "fuzz.002", data, size);
  constexpr TIncompleteZipMode kModes[] = {TIncompleteZipMode::izAssumeMulti,
                                           TIncompleteZipMode::izAssumeBad,
                                           TIncompleteZipMode::izAssumeNotAZip};
  for (auto mode : kModes)
    openAndList(archive, mode, size);

  // The directory of a spanned set may come from its configuration file instead: read when the
  // archive itself has no end record.
  const std::string config = workDirectory() + "fuzz.zfc";
  static constexpr std::uint8_t kNoEndRecord[] = {'P', 'K', 3, 4};
  writeFile(archive, kNoEndRecord, sizeof kNoEndRecord);
  writeFile(config, data, size);
  for (auto mode : kModes)
    openAndList(archive, mode, size);
  platform::deleteFile(config);
  return 0;
}
