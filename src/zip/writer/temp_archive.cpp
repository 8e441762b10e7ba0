// The new archive's temporary file, its move into place and the clearing of leftovers.
#include "zip/writer/temp_archive.h"

#include <cstdint>
#include <cstdio>
#include <random>

#include "platform/paths.h"
#include "zip/format/zip_helpers.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/writer_texts.h"

namespace larkspur::zip {

namespace {

// "<archive>.lk1a2b3c4d.tmp": the archive's own name first, so a leftover is found beside it
// and a user sees whose it is.
constexpr char kTempMark[] = ".lk";
constexpr char kTempSuffix[] = ".tmp";
constexpr std::size_t kTempDigits = 8;
// Names tried before giving up; a clash needs another run's 32 random bits to be the same.
constexpr int kNameAttempts = 16;
// The suffix under which earlier versions parked the old archive while replacing it.
constexpr char kParkedSuffix[] = "$$$";

std::string randomDigits() {
  std::random_device source;
  char digits[kTempDigits + 1];
  std::snprintf(digits, sizeof digits, "%08X", static_cast<std::uint32_t>(source()));
  return digits;
}

// The folder of `zipName` as a listing and flushing need it (the current one when none).
std::string folderOf(const std::string& zipName) {
  const std::string folder = paths::ExtractFilePath(zipName);
  return folder.empty() ? std::string(".") + platform::kPathDelimiter : folder;
}

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Whether the bare name `name` is a temporary name for the archive named `archiveFileName`.
bool isTempNameOf(const std::string& name, const std::string& archiveFileName) {
  const std::string prefix = archiveFileName + kTempMark;
  const std::size_t suffixLength = sizeof kTempSuffix - 1;
  if (name.size() != prefix.size() + kTempDigits + suffixLength)
    return false;
  if (!SameFileName(name.substr(0, prefix.size()), prefix) ||
      !SameFileName(name.substr(name.size() - suffixLength), kTempSuffix))
    return false;
  for (std::size_t i = prefix.size(); i < prefix.size() + kTempDigits; ++i) {
    if (!isHexDigit(name[i]))
      return false;
  }
  return true;
}

} // namespace

TempArchive::TempArchive(const std::string& zipName) {
  for (int attempt = 1;; ++attempt) {
    std::string name = zipName + kTempMark + randomDigits() + kTempSuffix;
    try {
      guard_.emplace(platform::File::createNew(name));
    } catch (const platform::FileCreateError&) {
      if (attempt == kNameAttempts || !platform::fileExists(name))
        throw;
      continue;
    }
    name_ = std::move(name);
    break;
  }
  // Held until the file has its final name: a run clearing leftovers passes it by.
  guard_->lockExclusive(false);
}

TempArchive::~TempArchive() {
  guard_.reset();
  if (!placed_)
    platform::deleteFile(name_);
}

void TempArchive::readyToMove() {
  guard_->flushToDisk();
  if (!platform::kCanMoveOpenFiles)
    guard_.reset();
}

void TempArchive::placed(const std::string& zipName) {
  placed_ = true;
  // The new name itself must reach the disk, or a crash could still lose it.
  platform::flushDirectory(folderOf(zipName));
  guard_.reset();
}

bool TempArchive::PlaceAsNew(const std::string& zipName) {
  readyToMove();
  if (!platform::renameFile(name_, zipName)) {
    if (platform::fileExists(zipName) || platform::directoryExists(zipName))
      return false;
    throw ECommitFailed(writer_text::kArchiveNotPlaced + zipName);
  }
  placed(zipName);
  return true;
}

void TempArchive::PlaceOver(const std::string& zipName) {
  readyToMove();
  if (!platform::replaceFileAtomically(name_, zipName))
    throw ECommitFailed(writer_text::kArchiveNotPlaced + zipName);
  placed(zipName);
}

std::string ParkedCopyName(const std::string& zipName) {
  return zipName + kParkedSuffix;
}

bool IsTempArchiveOf(const std::string& path, const std::string& zipName) {
  return SameFileName(paths::ExtractFilePath(path), paths::ExtractFilePath(zipName)) &&
         isTempNameOf(paths::ExtractFileName(path), paths::ExtractFileName(zipName));
}

std::vector<std::string> ClearLeftovers(const std::string& zipName, bool mentionParkedCopy) {
  std::vector<std::string> report;
  const std::string folder = folderOf(zipName);
  const std::string archiveFileName = paths::ExtractFileName(zipName);
  std::vector<std::string> temps;
  for (platform::DirectoryFind find(folder + "*.*"); find.ok(); find.advance()) {
    const platform::FindData& entry = find.current();
    if ((entry.attributes & platform::faDirectory) == 0 &&
        isTempNameOf(entry.name, archiveFileName))
      temps.push_back(folder + entry.name);
  }
  // A file another run still writes is held, so only true leftovers go.
  for (const std::string& temp : temps) {
    if (platform::deleteFileIfUnused(temp))
      report.push_back(writer_text::kRemovedLeftover + temp);
  }
  const std::string parked = ParkedCopyName(zipName);
  if (platform::fileExists(parked)) {
    // Alone, it is the old archive of a run killed between its two renames. Beside an archive
    // it may be the better of the two (a copy into place that broke off), so it stays.
    if (!platform::fileExists(zipName) && platform::renameFile(parked, zipName))
      report.push_back(writer_text::kRestoredParked + zipName);
    else if (mentionParkedCopy)
      report.push_back(writer_text::kParkedLeftAlone + parked);
  }
  return report;
}

} // namespace larkspur::zip
