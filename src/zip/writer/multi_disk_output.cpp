// The disk-independent part of multi-disk output: room, disk changes, whole records, the data
// copy from an entry's spill file, the directory, the commit and the configuration file.
#include "zip/writer/multi_disk_output.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "platform/platform.h"
#include "zip/format/lfn_file_stream.h"
#include "zip/format/zfc_config.h"
#include "zip/format/zip_helpers.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/zip_run.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {

namespace {

// Pieces of an entry's data are copied in chunks of this size when progress is reported.
constexpr std::int64_t kProgressChunk = 16384;
// Without progress events a piece is copied through a larger buffer.
constexpr std::int64_t kCopyChunk = 65536;
static_assert(kProgressChunk <= kCopyChunk);
// Disk numbers are 16-bit fields.
constexpr int kMaxDisk = 0xFFFF;

// An entry's data on its way to the disks: a temporary file that goes when the entry is placed.
class SpillFile {
public:
  SpillFile(const std::string& folder, bool flushOnClose, const ZipLimits& limits)
      : name_(MakeTempFileName(folder)),
        file_(std::make_unique<TLFNFileStream>(name_, StreamBufferSize, flushOnClose, fmCreate)),
        out_(std::make_unique<ArchiveOutput>(*file_, limits)) {}
  ~SpillFile() {
    out_.reset();
    file_.reset();
    platform::deleteFile(name_);
  }
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  TStream& Output() { return *out_; }
  // The data written, to be read back. Data still in the buffer must reach the file before it
  // is copied, or be reported lost.
  TStream& Finished() {
    out_.reset();
    try {
      file_->Flush();
    } catch (const EStreamError&) {
      throw ENotEnoughRoom();
    }
    return *file_;
  }

private:
  std::string name_;
  std::unique_ptr<TLFNFileStream> file_;
  std::unique_ptr<ArchiveOutput> out_;
};

std::string tooSmallMessage(std::int64_t room, std::int64_t size) {
  return writer_text::kDiskTooSmall1 + std::to_string(room) + writer_text::kDiskTooSmall2 +
         std::to_string(size) + writer_text::kDiskTooSmall3;
}

} // namespace

std::string DiskNumberText(int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%3.3d", number);
  return digits;
}

void MultiDiskOutput::setActiveDisk(int disk) {
  if (disk > kMaxDisk)
    throw EZipLimit(writer_text::kTooManyDisks);
  activeDisk_ = disk;
}

std::int64_t MultiDiskOutput::RoomLeft() {
  return room_ - file_->Stream().Position();
}

void MultiDiskOutput::Check() {
  // Nothing is carried over in this mode, so an existing file of that name would be lost.
  if (platform::fileExists(writer_.ZipName()))
    throw EWriterMode(writer_text::kMultiDiskExists + writer_.ZipName());
  checkSettings();
}

void MultiDiskOutput::Open() {
  room_ = firstRoom();
  openFile(firstName());
}

void MultiDiskOutput::openFile(const std::string& name) {
  file_.emplace(name, OutputFile::Mode::Create, writer_.FlushFilesOnClose, run_.Limits());
  fileName_ = name;
}

void MultiDiskOutput::changeDisk() {
  file_->Close();
  file_.reset();
  // A finished disk is kept: the failure path deletes only the file open at the time (none,
  // until the next disk's file exists).
  fileName_.clear();
  const std::string name = nextDisk();
  openFile(name);
  run_.EndRecord().EntriesOnThisDisk = 0;
}

void MultiDiskOutput::keepWhole(std::int64_t size, bool wantMore) {
  const std::int64_t left = RoomLeft();
  if (wantMore ? size < left : size <= left)
    return;
  changeDisk();
  if (size > RoomLeft())
    throw EWriterMode(tooSmallMessage(RoomLeft(), size));
}

void MultiDiskOutput::PlaceEntry(TZipHeaderInfo& header, const EntryData& data) {
  std::optional<SpillFile> spill;
  if (data.write) {
    spill.emplace(spillFolder_, writer_.FlushFilesOnClose, run_.Limits());
    data.write(spill->Output());
  }
  TStream* spilled = spill ? &spill->Finished() : nullptr;
  keepWhole(header.LocalHeaderSize(), true);
  header.DiskNumberStart = static_cast<std::uint16_t>(activeDisk());
  header.WriteLocalHeader(file_->Stream());
  if (spilled)
    copyData(*spilled, spilled->Size(), static_cast<std::uint32_t>(header.UncompressedSize));
}

void MultiDiskOutput::copyData(TStream& spill, std::int64_t spillSize, std::int64_t uncompressed) {
  // Each change must bring room for at least one byte, or the copy would never end.
  const auto nextDataDisk = [this] {
    changeDisk();
    if (RoomLeft() <= 0)
      throw EWriterMode(tooSmallMessage(RoomLeft(), 1));
  };
  if (RoomLeft() <= 0)
    nextDataDisk();
  const bool fileEvent = static_cast<bool>(writer_.OnFilePercentDone);
  const bool totalEvent = static_cast<bool>(writer_.OnTotalPercentDone);
  // The copy is the second half of this file's work; the total counted the file's bytes twice,
  // but the copy moves the spill file's bytes.
  if (totalEvent)
    run_.totalBytes -= uncompressed - spillSize;
  const std::int64_t chunk = (fileEvent || totalEvent) ? kProgressChunk : kCopyChunk;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(chunk, spillSize) + 1));
  std::int64_t copied = 0;
  spill.SetPosition(0);
  while (copied < spillSize) {
    std::int64_t piece = std::min(spillSize - copied, RoomLeft());
    while (piece > 0) {
      const std::int64_t n = std::min(piece, chunk);
      spill.ReadBuffer(buffer.data(), n);
      file_->Stream().Write(buffer.data(), n);
      piece -= n;
      copied += n;
      run_.bytesDone += n;
      if (fileEvent)
        writer_.OnFilePercentDone(writer_,
                                  Percent64(uncompressed + copied, uncompressed + spillSize));
      if (totalEvent)
        writer_.OnTotalPercentDone(writer_, Percent64(run_.bytesDone, run_.totalBytes));
      run_.RaiseIfCanceled();
    }
    if (copied < spillSize || RoomLeft() <= 0)
      nextDataDisk();
  }
}

void MultiDiskOutput::WriteDirectory(const TSortedZip& directory, TEndCentral& end) {
  directory_ = &directory;
  end_ = &end;
  end.CentralOffset = static_cast<std::uint32_t>(file_->Stream().Position());
  end.CentralStartDisk = static_cast<std::uint16_t>(activeDisk());
  std::int64_t centralSize = 0;
  int onThisDisk = 0;
  for (int i = 0; i < directory.ItemCount(); ++i) {
    const TZipHeaderInfo& header = *directory.Get(i);
    const int disk = activeDisk();
    keepWhole(header.CentralHeaderSize(), false);
    if (activeDisk() != disk) {
      onThisDisk = 0;
      if (i == 0) {
        end.CentralOffset = 0;
        end.CentralStartDisk = static_cast<std::uint16_t>(activeDisk());
      }
    }
    TStream& out = file_->Stream();
    const std::int64_t before = out.Position();
    header.WriteCentralHeader(out);
    centralSize += out.Position() - before;
    ++onThisDisk;
  }
  end.CentralSize = static_cast<std::uint32_t>(centralSize);
  const int disk = activeDisk();
  keepWhole(end.RecordSize(), false);
  if (activeDisk() != disk)
    onThisDisk = 0;
  end.ThisDisk = static_cast<std::uint16_t>(activeDisk());
  // The format's meaning: the central headers on the disk that holds the end record.
  end.EntriesOnThisDisk = static_cast<std::uint16_t>(onThisDisk);
  end.WriteEndRecord(file_->Stream());
  afterEndRecord();
}

void MultiDiskOutput::Commit() {
  file_->Close();
  file_.reset();
  fileName_.clear();
  finish();
  committed_ = true;
  if (writer_.OnTotalPercentDone)
    writer_.OnTotalPercentDone(writer_, 100);
  if (writer_.MultiZipInfo().SaveZipInfoOnFirstDisk && end_->ThisDisk != 0)
    saveConfiguration();
}

void MultiDiskOutput::Discard() {
  if (committed_)
    return;
  // Closed without a flush: nothing of it is kept.
  file_.reset();
  if (!fileName_.empty())
    platform::deleteFile(fileName_);
  fileName_.clear();
  discardSet();
}

void MultiDiskOutput::saveConfiguration() {
  try {
    reachFirstDisk();
  } catch (const Error&) {
    // The first disk was not given back: the set stands, only its configuration is missing.
    leaveFirstDisk();
    platform::messageBox(writer_text::kConfigNotCreated, "", platform::mbOk);
    return;
  }
  const std::string name = ConfigFileName(writer_.ZipName());
  std::unique_ptr<TLFNFileStream> file;
  try {
    file = std::make_unique<TLFNFileStream>(name, StreamBufferSize, writer_.FlushFilesOnClose,
                                            fmCreate);
  } catch (const Error&) {
    leaveFirstDisk();
    platform::messageBox(writer_text::kConfigNotCreated, "", platform::mbOk);
    return;
  }
  try {
    writeConfiguration(*file);
    file->Flush();
  } catch (const Error&) {
    // Half a configuration would be read as a whole one: it goes.
    file.reset();
    platform::deleteFile(name);
    leaveFirstDisk();
    platform::messageBox(writer_text::kConfigNotSaved, "", platform::mbOk);
    return;
  }
  file.reset();
  leaveFirstDisk();
}

void MultiDiskOutput::writeConfiguration(TStream& out) {
  for (int i = 0; i < directory_->ItemCount(); ++i)
    directory_->Get(i)->WriteCentralHeader(out);
  end_->WriteEndRecord(out);
}

} // namespace larkspur::zip
