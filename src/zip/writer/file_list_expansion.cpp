// FilesList expansion: explicit paths, wildcard searches and the filters on both.
#include "zip/writer/file_list_expansion.h"

#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/dir_search.h"
#include "zip/format/wildcard_match.h"
#include "zip/format/zip_helpers.h"
#include "zip/writer/storage_name.h"
#include "zip/writer/temp_archive.h"
#include "zip/writer/zip_limits.h"
#include "zip/writer/zip_run.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {

namespace {

// Prefixes of a wildcard entry that override Recurse for it.
constexpr char kNoRecursePrefix = '|';
constexpr char kRecursePrefix = '>';

} // namespace

void FileListExpander::Run() {
  run_.totalBytes = 0;
  run_.bytesDone = 0;
  freshen_ = writer_.ZipAction() == TZipAction::zaFreshen;
  if (freshen_ && platform::fileExists(writer_.ZipName())) {
    writer_.OpenArchive();
    for (int i = 0; i < writer_.EntryCount(); ++i) {
      const TZipHeaderInfo& entry = *writer_.Entries()->Get(i);
      archiveKeys_.insert(EntryKey(entry.Directory(), entry.FileName()));
    }
  }
  std::vector<std::string> wildcards;
  std::vector<std::string> files = checkExplicit(wildcards);
  for (std::string& entry : wildcards)
    searchWildcard(std::move(entry), files);
  writer_.FilesList = std::move(files);
}

std::vector<std::string> FileListExpander::checkExplicit(std::vector<std::string>& wildcards) {
  std::vector<std::string> kept;
  // A copy: OnNoSuchFile may change FilesList, which must not move under the loop.
  const std::vector<std::string> specs = writer_.FilesList;
  for (std::string spec : specs) {
    if (IsDirectorySpec(spec)) {
      kept.push_back(std::move(spec));
      continue;
    }
    if (HasWildcards(spec)) {
      wildcards.push_back(std::move(spec));
      continue;
    }
    if (paths::ExtractFilePath(spec).empty())
      spec = writer_.RootDir() + spec;
    if (excluded(spec) || SameFileName(spec, writer_.ZipName()))
      continue; // never the archive itself
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    {
      const platform::DirectoryFind find(spec);
      if (find.ok()) {
        attributes = find.current().attributes;
        size = find.current().size;
      } else {
        if (writer_.OnNoSuchFile)
          writer_.OnNoSuchFile(writer_, spec);
        run_.ReportTrouble(spec, false);
        continue;
      }
    }
    if (writer_.SkipIfArchiveBitNotSet() && (attributes & platform::faArchive) == 0)
      continue;
    if (freshen_ && notInArchive(spec))
      continue;
    if ((attributes & platform::faDirectory) == 0)
      count(size, spec);
    kept.push_back(std::move(spec));
  }
  return kept;
}

void FileListExpander::searchWildcard(std::string entry, std::vector<std::string>& files) {
  bool recurse = writer_.Recurse();
  if (!entry.empty() && entry.front() == kNoRecursePrefix) {
    entry.erase(0, 1);
    recurse = false;
  } else if (!entry.empty() && entry.front() == kRecursePrefix) {
    entry.erase(0, 1);
    recurse = true;
  }
  std::string directory = paths::ExtractFileDir(entry);
  if (directory.empty())
    directory = writer_.RootDir();
  // A folder given with wildcards of its own is for the search to resolve.
  if (!HasWildcards(directory) && !platform::directoryExists(directory))
    return;
  std::string mask = paths::ExtractFileName(entry);
  if (mask == "*.*")
    mask = "*";

  TDirSearch search(directory, recurse, mask,
                    [this](const std::string& folder) { run_.ReportTrouble(folder, true); });
  for (;;) {
    platform::FindData found;
    std::string path;
    search.Next(found, path);
    if (path.empty())
      break;
    if (writer_.OnRecursingFile)
      writer_.OnRecursingFile(writer_, path);
    if (IsDirectorySpec(path)) {
      if (recurse && writer_.AddDirEntriesOnRecurse())
        files.push_back(path);
      continue;
    }
    if (excluded(path))
      continue;
    run_.PumpAndCheckCancel();
    if (SameFileName(path, writer_.ZipName()) || IsTempArchiveOf(path, writer_.ZipName()))
      continue; // never the archive itself, nor another run's version of it being written
    if (writer_.SkipIfArchiveBitNotSet() &&
        (platform::fileAttributes(path) & static_cast<std::int32_t>(platform::faArchive)) == 0) {
      continue;
    }
    if (freshen_ && notInArchive(path))
      continue;
    count(found.size, path);
    files.push_back(std::move(path));
  }
}

bool FileListExpander::excluded(const std::string& path) const {
  return MatchesAnyPattern(writer_.ExcludeList(), path);
}

bool FileListExpander::notInArchive(const std::string& path) const {
  const StoredPath stored = StoredPathOf(path, writer_.StoredNameRule());
  return archiveKeys_.count(EntryKey(stored.directory, stored.fileName)) == 0;
}

void FileListExpander::count(std::uint64_t size, const std::string& path) {
  // Refused here, before the archive is touched, rather than half-way through writing it.
  CheckFileSize(run_.Limits(), size, path);
  run_.totalBytes += static_cast<std::int64_t>(size);
}

} // namespace larkspur::zip
