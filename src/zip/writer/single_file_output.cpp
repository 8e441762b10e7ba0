// Entries, directory and commit of a single-file archive.
#include "zip/writer/single_file_output.h"

#include "platform/platform.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/writer_texts.h"

namespace larkspur::zip {

SingleFileOutput::SingleFileOutput(std::string zipName, std::optional<ArchiveLock> lock,
                                   const ZipLimits& limits, std::function<void()> releaseArchive)
    : zipName_(std::move(zipName)), lock_(std::move(lock)),
      releaseArchive_(std::move(releaseArchive)) {
  temp_.emplace(zipName_);
  // The temporary file exists already, held by its guard, which also puts it on disk.
  file_.emplace(temp_->Name(), OutputFile::Mode::OpenExisting, false, limits);
}

void SingleFileOutput::PlaceEntry(TZipHeaderInfo& header, const EntryData& data) {
  TStream& out = file_->Stream();
  header.WriteLocalHeader(out);
  if (!data.write)
    return;
  data.write(out);
  if (data.headerFinal)
    return;
  const std::int64_t end = out.Position();
  out.Seek(header.LocalHeaderOffset, soBeginning);
  header.WriteLocalHeader(out);
  out.Seek(end, soBeginning);
}

void SingleFileOutput::WriteDirectory(const TSortedZip& directory, TEndCentral& end) {
  TStream& out = file_->Stream();
  const std::int64_t start = out.Position();
  end.CentralOffset = static_cast<std::uint32_t>(start);
  end.CentralStartDisk = 0;
  for (int i = 0; i < directory.ItemCount(); ++i)
    directory.Get(i)->WriteCentralHeader(out);
  end.CentralSize = static_cast<std::uint32_t>(out.Position() - start);
  end.ThisDisk = 0;
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
