// The disk-independent part of multi-disk output: room, disk changes, whole records, the data
// copy from an entry's spill file, the directory, the commit and the configuration file.
#include "zip/writer/multi_disk_output.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "platform/platform.h"
#include "zip/format/zfc_config.h"
#include "zip/format/zip_helpers.h"
#include "zip/writer/block_output.h"
#include "zip/writer/span_output.h"
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
// SaveOnFirstDisk's reserve: per file a central header with a typical name, with and without a
// stored path, then the end record and a margin.
constexpr std::int64_t kReservePerPathEntry = 83;
constexpr std::int64_t kReservePerNameEntry = 58;
constexpr std::int64_t kReserveEndRecord = 22;
constexpr std::int64_t kReserveMargin = 2048;

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

int MultiDiskOutput::activeDisk() const {
  return writer_.activeDisk_;
}

void MultiDiskOutput::setActiveDisk(int disk) {
  if (disk > kMaxDisk)
    throw EZipLimit(writer_text::kTooManyDisks);
  writer_.activeDisk_ = disk;
}

std::int64_t MultiDiskOutput::RoomLeft() {
  return room_ - run_.Output().Position();
}

std::string MultiDiskOutput::Start() {
  // Nothing is carried over in this mode, so an existing file of that name would be lost.
  if (platform::fileExists(writer_.ZipName()))
    throw EWriterMode(writer_text::kMultiDiskExists + writer_.ZipName());
  checkSettings();
  growSaveOnFirstDisk();
  room_ = firstRoom();
  return firstName();
}

void MultiDiskOutput::growSaveOnFirstDisk() {
  TMultiZipInfo& info = writer_.multiZipInfo_;
  if (!info.SaveZipInfoOnFirstDisk)
    return;
  // The reserve is this call's: it starts from the configured value, not from what an earlier
  // call grew it to (a value the host set since then counts as configured).
  if (info.SaveOnFirstDisk != writer_.grownSaveOnFirstDisk_)
    writer_.saveOnFirstDiskBase_ = info.SaveOnFirstDisk;
  const std::int64_t perEntry = writer_.StorePaths() ? kReservePerPathEntry : kReservePerNameEntry;
  const std::int64_t reserve = static_cast<std::int64_t>(writer_.FilesList.size()) * perEntry +
                               writer_.saveOnFirstDiskBase_ + kReserveEndRecord +
                               writer_.EndRecord().CommentLength + kReserveMargin;
  info.SaveOnFirstDisk = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(reserve, 0, std::numeric_limits<std::int32_t>::max()));
  writer_.grownSaveOnFirstDisk_ = info.SaveOnFirstDisk;
}

void MultiDiskOutput::changeDisk() {
  run_.CloseOutput();
  const std::string name = nextDisk();
  run_.OpenNextOutput(name);
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

void MultiDiskOutput::PlaceEntry(TZipHeaderInfo& header, TStream* spill) {
  keepWhole(header.LocalHeaderSize(), true);
  header.DiskNumberStart = static_cast<std::uint16_t>(activeDisk());
  header.LocalHeaderOffset = static_cast<std::uint32_t>(run_.Output().Position());
  header.WriteLocalHeader(run_.Output());
  if (spill)
    copyData(*spill, spill->Size(), static_cast<std::uint32_t>(header.UncompressedSize));
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
      run_.Output().Write(buffer.data(), n);
      piece -= n;
      copied += n;
      run_.bytesDone += n;
      if (fileEvent)
        writer_.OnFilePercentDone(writer_,
                                  Percent64(uncompressed + copied, uncompressed + spillSize));
      if (totalEvent)
        writer_.OnTotalPercentDone(writer_, Percent64(run_.bytesDone, run_.totalBytes));
      writer_.raiseIfCanceled();
    }
    if (copied < spillSize || RoomLeft() <= 0)
      nextDataDisk();
  }
}

void MultiDiskOutput::WriteDirectory() {
  TEndCentral& end = run_.EndRecord();
  TStream& out = run_.Output();
  end.CentralOffset = static_cast<std::uint32_t>(out.Position());
  end.CentralStartDisk = static_cast<std::uint16_t>(activeDisk());
  const TSortedZip& directory = run_.Directory();
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
    const std::int64_t before = run_.Output().Position();
    header.WriteCentralHeader(run_.Output());
    centralSize += run_.Output().Position() - before;
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
  end.WriteEndRecord(run_.Output());
  afterEndRecord();
}

void MultiDiskOutput::Commit() {
  run_.CloseOutput();
  finish();
  run_.committedOutput = true;
  if (writer_.OnTotalPercentDone)
    writer_.OnTotalPercentDone(writer_, 100);
  if (writer_.multiZipInfo_.SaveZipInfoOnFirstDisk && run_.EndRecord().ThisDisk != 0)
    saveConfiguration();
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
  const TSortedZip& directory = run_.Directory();
  for (int i = 0; i < directory.ItemCount(); ++i)
    directory.Get(i)->WriteCentralHeader(out);
  run_.EndRecord().WriteEndRecord(out);
}

std::unique_ptr<MultiDiskOutput> MakeMultiDiskOutput(TZipWriter& writer, ZipRun& run) {
  if (writer.MultiZipInfo().MultiMode == TMultiMode::mmSpan)
    return std::make_unique<SpanOutput>(writer, run);
  return std::make_unique<BlockOutput>(writer, run);
}

} // namespace larkspur::zip
