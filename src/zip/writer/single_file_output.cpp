// Entries, directory and commit of a single-file archive.
#include "zip/writer/single_file_output.h"

#include "platform/platform.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/writer_texts.h"

namespace larkspur::zip {

SingleFileOutput::SingleFileOutput(std::string zipName, std::optional<ArchiveLock> lock,
                                   const ZipLimits& limits, std::function<void()> releaseArchive)
    : zipName_(std::move(zipName)), lock_(std::move(lock)),
      releaseArchive_(std::move(releaseArchive)), limits_(limits) {
  temp_.emplace(zipName_);
  // The temporary file exists already, held by its guard, which also puts it on disk. It may
  // grow past 4 GiB: offsets from there on go into 64-bit fields.
  file_.emplace(temp_->Name(), OutputFile::Mode::OpenExisting, false, kNoClassicLimits);
}

void SingleFileOutput::PlaceEntry(TZipHeaderInfo& header, const EntryData& data) {
  TStream& out = file_->Stream();
  UseZip64Beyond(limits_, header);
  // Data still to be written may pass the limit: its sizes need room in the local header now.
  if (data.write && !data.headerFinal && ReservesLocalZip64(limits_, header.Size()))
    header.SetLocalZip64Sizes(true);
  header.WriteLocalHeader(out);
  if (!data.write)
    return;
  data.write(out);
  if (data.headerFinal)
    return;
  CheckSizesFitLocalHeader(limits_, header, header.Directory() + header.FileName());
  const std::int64_t end = out.Position();
  out.Seek(static_cast<std::int64_t>(header.HeaderOffset()), soBeginning);
  header.WriteLocalHeader(out);
  out.Seek(end, soBeginning);
}

void SingleFileOutput::WriteDirectory(const TSortedZip& directory, TEndCentral& end) {
  TStream& out = file_->Stream();
  const std::int64_t start = out.Position();
  for (int i = 0; i < directory.ItemCount(); ++i)
    directory.Get(i)->WriteCentralHeader(out);
  // What passes the classic fields goes into the 64-bit end record, written before the classic.
  end.SetDirectory(static_cast<std::uint64_t>(directory.ItemCount()),
                   static_cast<std::uint64_t>(out.Position() - start),
                   static_cast<std::uint64_t>(start), limits_.sizeLimit, limits_.entryLimit);
  end.WriteEndRecord(out);
}

void SingleFileOutput::Commit() {
  file_->Close();
  file_.reset();
  if (!lock_) {
    // Refuses to replace: of two runs creating one archive, only one can succeed here.
    if (!temp_->PlaceAsNew(zipName_))
      throw EArchiveCreatedMeanwhile(writer_text::kArchiveCreatedMeanwhile + zipName_);
    committed_ = true;
    return;
  }
  if (releaseArchive_)
    releaseArchive_();
  // Where the archive cannot be replaced while open, the lock's handle must go first; the
  // replace then fails cleanly if another run opened it in between.
  if (!platform::kCanMoveOpenFiles)
    lock_->Release();
  temp_->PlaceOver(zipName_);
  committed_ = true;
  lock_->Release();
}

void SingleFileOutput::Discard() {
  if (committed_)
    return;
  // Closed without a flush: the temporary file goes with its guard.
  file_.reset();
  temp_.reset();
}

} // namespace larkspur::zip
