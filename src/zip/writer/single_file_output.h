// The output of an archive that is one file: written under a temporary name beside the archive
// and moved into its place at the commit, while an update holds the old archive locked from
// before its directory is read until the new one has taken its name.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "zip/writer/archive_lock.h"
#include "zip/writer/output_file.h"
#include "zip/writer/temp_archive.h"
#include "zip/writer/zip_output.h"

namespace larkspur::zip {

class SingleFileOutput final : public ZipOutput {
public:
  // Creates the temporary file beside `zipName`. `lock` holds the archive being updated;
  // without it the archive is new. `releaseArchive` lets go of the old archive's file before
  // the new one replaces it.
  SingleFileOutput(std::string zipName, std::optional<ArchiveLock> lock, const ZipLimits& limits,
                   std::function<void()> releaseArchive);

  bool Updates() const override { return lock_.has_value(); }
  int PassesPerByte() const override { return 1; }
  std::int64_t Position() override { return file_->Stream().Position(); }
  void PlaceEntry(TZipHeaderInfo& header, const EntryData& data) override;
  void WriteDirectory(const TSortedZip& directory, TEndCentral& end) override;
  // A new archive takes its name only if no other run created it meanwhile
  // (EArchiveCreatedMeanwhile); an update replaces the old archive in one step.
  void Commit() override;
  void Discard() override;

private:
  std::string zipName_;
  std::optional<ArchiveLock> lock_;
  std::function<void()> releaseArchive_;
  ZipLimits limits_;                // past them, sizes, offsets and the count go into 64-bit fields
  std::optional<TempArchive> temp_; // deleted by Discard, unless it took the archive's name
  std::optional<OutputFile> file_;
  bool committed_ = false;
};

} // namespace larkspur::zip
