// Where a Zip call's output is chosen and created: a single file beside the archive (leftovers of
// interrupted runs cleared, an existing archive locked for the update), or a set of block files
// or spanned disks with the room reserved on the first disk for the directory.
#include "platform/platform.h"
#include "zip/format/zip_helpers.h"
#include "zip/writer/block_output.h"
#include "zip/writer/single_file_output.h"
#include "zip/writer/span_output.h"
#include "zip/writer/temp_archive.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/writer_texts.h"
#include "zip/writer/zip_run.h"
#include "zip/writer/zip_writer.h"

#include <algorithm>
#include <limits>

namespace larkspur::zip {

namespace {

// SaveOnFirstDisk's reserve: per file a central header with a typical name, with and without a
// stored path, then the end record and a margin.
constexpr std::int64_t kReservePerPathEntry = 83;
constexpr std::int64_t kReservePerNameEntry = 58;
constexpr std::int64_t kReserveEndRecord = 22;
constexpr std::int64_t kReserveMargin = 2048;

} // namespace

std::unique_ptr<ZipOutput> TZipWriter::createOutput(ZipRun& run) {
  if (multiZipInfo_.MultiMode == TMultiMode::mmNone)
    return startSingleFile();
  std::unique_ptr<MultiDiskOutput> output;
  if (multiZipInfo_.MultiMode == TMultiMode::mmSpan) {
    output = std::make_unique<SpanOutput>(*this, run, activeDisk_, tempFolder(), spanMedia(),
                                          [this] { archiveStream_.reset(); });
  } else {
    output = std::make_unique<BlockOutput>(*this, run, activeDisk_, tempFolder());
  }
  output->Check();
  growSaveOnFirstDisk();
  output->Open();
  return output;
}

std::unique_ptr<ZipOutput> TZipWriter::startSingleFile() {
  // A copy left alone is mentioned once, not at every item the dialog adds.
  const bool mentionParked = !SameFileName(parkedCopyMentioned_, ZipName());
  for (const std::string& line : ClearLeftovers(ZipName(), mentionParked))
    tellUser(line);
  if (platform::fileExists(ParkedCopyName(ZipName())))
    parkedCopyMentioned_ = ZipName();
  std::optional<ArchiveLock> lock;
  if (platform::fileExists(ZipName())) {
    lock.emplace(ZipName(), [this](const std::string& text) { tellUser(text); });
    if (!lock->Held()) {
      raiseIfCanceled();
      throw EArchiveBusy(writer_text::kArchiveInUse + ZipName());
    }
    // Another run may have replaced the archive since this writer last read or wrote it, with
    // a file of the same time and size; carrying over by stale offsets would corrupt entries.
    // Only a pending comment change keeps the directory it was made in.
    if (!EndRecord().Modified)
      dropDirectory();
  }
  const std::string name = ZipName();
  // The old archive's file is let go of before the new one takes its name.
  return std::make_unique<SingleFileOutput>(name, std::move(lock), limits_, [this, name] {
    ClearArchive();
    TZipReader::SetZipName(name);
  });
}

void TZipWriter::growSaveOnFirstDisk() {
  TMultiZipInfo& info = multiZipInfo_;
  if (!info.SaveZipInfoOnFirstDisk)
    return;
  // The reserve is this call's: it starts from the configured value, not from what an earlier
  // call grew it to (a value the host set since then counts as configured).
  if (info.SaveOnFirstDisk != grownSaveOnFirstDisk_)
    saveOnFirstDiskBase_ = info.SaveOnFirstDisk;
  const std::int64_t perEntry = StorePaths() ? kReservePerPathEntry : kReservePerNameEntry;
  const std::int64_t reserve = static_cast<std::int64_t>(FilesList.size()) * perEntry +
                               saveOnFirstDiskBase_ + kReserveEndRecord +
                               EndRecord().CommentLength + kReserveMargin;
  info.SaveOnFirstDisk = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(reserve, 0, std::numeric_limits<std::int32_t>::max()));
  grownSaveOnFirstDisk_ = info.SaveOnFirstDisk;
}

RunHooks TZipWriter::runHooks() {
  RunHooks hooks;
  hooks.pumpAndCheckCancel = [this] { pumpAndCheckCancel(); };
  hooks.raiseIfCanceled = [this] { raiseIfCanceled(); };
  hooks.reportTrouble = [this](const std::string& path, bool folder) {
    reportLeftOut(path, folder);
  };
  hooks.reportLeftOut = [this](const std::string& path, TLeftOutReason reason) {
    reportLeftOut(path, reason);
  };
  return hooks;
}

void TZipWriter::tellUser(const std::string& text) {
  if (OnMessage)
    OnMessage(*this, text);
  else
    platform::messageBox(text, writer_text::kLeftoverCaption,
                         platform::mbOk | platform::mbIconWarning);
}

} // namespace larkspur::zip
