// Zip from start to commit, step by step: the list expanded, the output created, the old
// entries carried over, the new files added, the directory written, the output committed, and
// the clean-up that runs whatever happened.
#include <algorithm>

#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/zip_helpers.h"
#include "zip/writer/carry_over.h"
#include "zip/writer/entry_writer.h"
#include "zip/writer/file_list_expansion.h"
#include "zip/writer/storage_name.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/writer_texts.h"
#include "zip/writer/zip_output.h"
#include "zip/writer/zip_run.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {

namespace {

// The compressor's highest level; higher settings compress at it.
constexpr std::int32_t kHighestLevel = 9;

// The name without leading and trailing blanks and control characters.
bool blankName(const std::string& name) {
  for (const char c : name) {
    if (static_cast<unsigned char>(c) > ' ')
      return false;
  }
  return true;
}

} // namespace

std::int32_t TZipWriter::Zip() {
  const std::int32_t count = runZip();
  if (OnZipComplete)
    OnZipComplete(*this, count);
  return count;
}

std::int32_t TZipWriter::runZip() {
  const std::vector<std::string> requested = FilesList;
  try {
    return runOnce();
  } catch (const EArchiveCreatedMeanwhile&) {
    // Another run created the archive while this one wrote a new one: nothing of either may be
    // lost, so this run's files go into that archive as an update.
    FilesList = requested;
    return runOnce();
  }
}

std::int32_t TZipWriter::runOnce() {
  CancelRequested = false;
  if (blankName(ZipName())) {
    FilesList.clear();
    return 0;
  }
  const TZipSortMode sortMode = SortMode;
  const bool keepZipOpen = KeepZipOpen;
  KeepZipOpen = true;
  SortDirectory(TZipSortMode::ByNone);
  activeDisk_ = 0;
  // The classic limits refuse only what a split archive cannot hold; one file holds it in 64-bit
  // fields, past the same limits (SingleFileOutput).
  ZipRun run(multiZipInfo_.MultiMode == TMultiMode::mmNone ? kNoClassicLimits : limits_,
             runHooks());
  if (dispose_)
    run.disposeList.emplace();
  std::unique_ptr<ZipOutput> output;
  bool committed = false;
  // Whatever happened: the settings come back, the archive closes, FilesList is emptied.
  auto cleanUp = [&] {
    KeepZipOpen = keepZipOpen;
    if (!committed)
      SortDirectory(sortMode);
    CloseArchive();
    FilesList.clear();
  };

  try {
    if (!FilesList.empty())
      FileListExpander(*this, run).Run();
    output = createOutput(run);
    const bool updating = output->Updates();
    if (updating) {
      OpenArchive();
      // The entries of a split archive lie on other disks than the one open: copied from here,
      // they would take another entry's bytes.
      if (DiskCount() > 1)
        throw EWriterMode(writer_text::kSplitArchiveNotUpdatable + ZipName());
    }
    initEndRecord(run, updating);

    EntryWriter entries(*this, run, *output);
    if (updating)
      CarryOver(*this, run, entries, *output).Run();
    addFiles(run, *output, entries);
    if (!createEmptyArchive_ && !updating && run.count == 0) {
      // Nothing went in: no archive at all (nor a set of disks), rather than one of its end
      // record alone.
      run.ReleaseBuffers();
      output->Discard();
      cleanUp();
      return 0;
    }
    output->WriteDirectory(run.Directory(), run.EndRecord());
    commit(run, *output, sortMode);
    committed = true;
  } catch (...) {
    run.ReleaseBuffers();
    if (output)
      output->Discard();
    cleanUp();
    throw;
  }
  cleanUp();
  return run.count;
}

void TZipWriter::addFiles(ZipRun& run, const ZipOutput& output, EntryWriter& entries) {
  if (FilesList.empty())
    return;
  bool stopNow = false;
  if (OnStartZipInfo) {
    OnStartZipInfo(*this, static_cast<std::int32_t>(FilesList.size()), run.totalBytes,
                   run.EndRecord(), stopNow);
  }
  if (stopNow)
    throw EUserCanceled(writer_text::kUserCanceledZip);
  run.totalBytes *= output.PassesPerByte();
  // A copy: the list must not change under the loop, whatever the events do.
  const std::vector<std::string> specs = FilesList;
  if (compressionThreads_ > 1)
    startAhead(run, specs);
  for (std::size_t i = 0; i < specs.size(); ++i) {
    auto header = std::make_unique<TZipHeaderInfo>();
    entries.SetAheadJob(i);
    if (entries.ZipOneFile(*header, specs[i]))
      run.AddWrittenEntry(std::move(header), specs[i]);
  }
  entries.SetAheadJob(std::nullopt);
}

void TZipWriter::startAhead(ZipRun& run, const std::vector<std::string>& specs) {
  const std::int32_t level = std::min(packLevel_, kHighestLevel);
  std::vector<AheadJob> jobs;
  jobs.reserve(specs.size());
  for (const std::string& spec : specs) {
    // What the entry writer will store rather than compress is left to it (a guess: the
    // writer checks the name it finally stores under).
    const bool stored = level <= 0 || IsDirectorySpec(spec) ||
                        MatchesAnyPattern(noCompressList_, paths::ExtractFileName(spec));
    jobs.push_back({spec, stored ? 0 : level});
  }
  AheadSettings settings;
  settings.threads = compressionThreads_;
  settings.spillFolder = tempFolder();
  settings.carry = run.carry.value();
  run.ahead = std::make_unique<AheadCompressor>(std::move(jobs), std::move(settings));
}

void TZipWriter::initEndRecord(ZipRun& run, bool updating) {
  if (!updating && !EndRecord().Modified)
    return;
  TEndCentral& end = run.EndRecord();
  end.Assign(EndRecord());
  if (updating && end.CommentLength != 0 && !end.Comment())
    end.SetComment(ArchiveComment());
  end.EntriesOnThisDisk = 0;
  end.TotalEntries = 0;
  end.Zip64.reset(); // the writer writes classic end records only
  end.Modified = false;
}

std::string TZipWriter::tempFolder() const {
  if (!tempPath_.empty() && platform::directoryExists(tempPath_)) {
    return paths::IncludeTrailingPathDelimiter(tempPath_);
  }
  return platform::tempDirectory();
}

void TZipWriter::commit(ZipRun& run, ZipOutput& output, TZipSortMode sortMode) {
  run.ReleaseBuffers();
  // Taken before the first disk may be asked back for the configuration file.
  const int lastDisk = activeDisk_;
  output.Commit();
  if (run.disposeList)
    disposeFiles(*run.disposeList);

  // The directory just written is the archive's directory now; the next operation reuses it as
  // long as the file's time still matches.
  entries_ = run.TakeDirectory();
  endRecord_.Assign(run.EndRecord());
  archiveTime_ = ArchiveStampOf(ZipName());
  SortDirectory(sortMode);
  diskCount_ = lastDisk + 1;
}

void TZipWriter::disposeFiles(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    bool skip = false;
    if (OnDisposeFile)
      OnDisposeFile(*this, file, skip);
    if (!skip)
      platform::deleteFile(file);
  }
}

} // namespace larkspur::zip
