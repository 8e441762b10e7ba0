// One file or directory becomes one entry: described, its name claimed, its stored or deflated
// data written with CRC-32 and progress; and the compressor's read and write.
#include "zip/writer/entry_writer.h"

#include <algorithm>

#include "deflate/crc32.h"
#include "platform/file_stamp.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/zip_helpers.h"
#include "zip/format/zip_signatures.h"
#include "zip/writer/entry_format.h"
#include "zip/writer/host_fields.h"
#include "zip/writer/storage_name.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/zip_output.h"
#include "zip/writer/zip_run.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {

namespace {

// Stored data is copied through one buffer of this size.
constexpr std::uint32_t kStoreBlock = 32768;
// The encryption's CRC pass reads the source in blocks of this size.
constexpr std::uint32_t kCrcPassBlock = 8192;
using entry_format::kBinary;
using entry_format::kHighestLevel;
using entry_format::kMethodStored;
using entry_format::kUnclassified;

} // namespace

bool EntryWriter::ZipOneFile(TZipHeaderInfo& header, const std::string& spec) {
  // Whatever happens, the source is closed when this entry is done with.
  struct CloseSource {
    EntryWriter& self;
    ~CloseSource() {
      self.input_.reset();
      self.crypto_.reset();
    }
  } closeSource{*this};

  bytesRead_ = 0;
  sourceSize_ = 0;
  sourceName_ = spec;
  const bool isDirectory = IsDirectorySpec(spec);
  if (!describe(header, spec, isDirectory) || !claimName(header, spec, isDirectory))
    return false;
  writeEntry(header, spec, isDirectory);
  return true;
}

bool EntryWriter::describe(TZipHeaderInfo& header, const std::string& spec, bool isDirectory) {
  if (isDirectory) {
    setDirectoryTime(header, spec);
    header.UncompressedSize = 0;
    header.CompressedSize = 0;
    header.CompressionMethod = kMethodStored;
    header.InternalAttributes = kBinary;
    header.Crc32 = 0;
  } else {
    if (!platform::fileExists(spec)) {
      // Gone since the list was made, or a folder given without a wildcard.
      run_.ReportTrouble(spec, false);
      return false;
    }
    header.ExternalAttributes = static_cast<std::uint32_t>(platform::fileAttributes(spec));
    if (!openSource(spec)) {
      run_.ReportTrouble(spec, false);
      return false;
    }
    header.FileDateTime = platform::fileDosTime(spec);
    sourceSize_ = input_->Size();
    CheckFileSize(run_.Limits(), static_cast<std::uint64_t>(sourceSize_), spec);
    header.SetSizes(0, static_cast<std::uint64_t>(sourceSize_));
  }

  const StoredPath stored = StoredPathOf(spec, writer_.StoredNameRule());
  shownName_ = stored.path;
  header.SetFileName(stored.fileName);
  // Where the entry would start now; the output sets it again where the entry lands.
  header.LocalHeaderOffset = static_cast<std::uint32_t>(output_.Position());
  if (!isDirectory)
    header.InternalAttributes = kUnclassified;
  header.DiskNumberStart = static_cast<std::uint16_t>(writer_.ActiveDisk());
  if (writer_.StorePaths())
    header.SetDirectory(stored.directory);
  // A directory entry whose directory is not stored would have no name at all.
  if (header.FileNameLength == 0)
    return false;
  if (NeedsUtf8Flag(header.Directory() + header.FileName()))
    header.Flags |= kFlagUtf8Name;
  AddHostFields(header, spec, writer_.StoreUtcTime());
  return true;
}

bool EntryWriter::claimName(TZipHeaderInfo& header, const std::string& spec, bool isDirectory) {
  if (run_.NameTaken(header.Directory(), header.FileName())) {
    leaveOut(spec, !isDirectory);
    return false;
  }
  bool skip = false;
  if (writer_.OnStartZip)
    writer_.OnStartZip(writer_, shownName_, header, skip);
  if (skip) {
    if (!isDirectory)
      run_.totalBytes -= sourceSize_;
    return false;
  }
  // The handler may have renamed the entry onto a name the archive already holds.
  if (header.FileNameLength == 0 || run_.NameTaken(header.Directory(), header.FileName())) {
    leaveOut(spec, !isDirectory);
    return false;
  }
  run_.CheckRoomForEntry();
  return true;
}

void EntryWriter::writeEntry(TZipHeaderInfo& header, const std::string& spec, bool isDirectory) {
  EntryData data;
  if (!isDirectory)
    data.write = [this, &header](TStream& out) { writeData(header, out); };
  output_.PlaceEntry(header, data);
  if (isDirectory) {
    if (writer_.OnEndZip)
      writer_.OnEndZip(writer_, shownName_, 0, 0, 0);
    return;
  }
  input_.reset();
  if (writer_.ResetArchiveBitOnZip()) {
    // The file itself, by the name it was found under (the stored form may differ from it).
    const std::int32_t attributes = platform::fileAttributes(spec);
    if (attributes >= 0) {
      platform::setFileAttributes(spec,
                                  static_cast<std::uint32_t>(attributes) & ~platform::faArchive);
    }
  }
  if (writer_.OnEndZip) {
    writer_.OnEndZip(writer_, shownName_, static_cast<std::uint32_t>(header.Size()),
                     static_cast<std::uint32_t>(header.PackedSize()),
                     static_cast<std::uint32_t>(output_.Position()));
  }
}

bool EntryWriter::openSource(const std::string& spec) {
  for (;;) {
    try {
      input_ = std::make_unique<TLFNFileStream>(spec, StreamBufferSize, false,
                                                fmOpenRead | fmShareDenyNone);
      return true;
    } catch (const platform::FileOpenError&) {
    }
    bool retry = false;
    if (writer_.OnSkippingFile) {
      writer_.OnSkippingFile(writer_, TSkipReason::srNoOpen, spec, -1, retry);
    }
    if (!retry)
      return false;
  }
}

void EntryWriter::setDirectoryTime(TZipHeaderInfo& header, const std::string& spec) const {
  const platform::DirectoryFind find(paths::ExcludeTrailingPathDelimiter(spec));
  header.FileDateTime = find.ok() ? find.current().dosTime : platform::currentDosTime();
}

void EntryWriter::leaveOut(const std::string& spec, bool isFile) {
  if (writer_.OnSkippingFile) {
    bool retry = false; // ignored: the name stays taken
    writer_.OnSkippingFile(writer_, TSkipReason::srDuplicate, shownName_, -1, retry);
  }
  // A second directory entry of one name loses nothing; a second file loses its data.
  if (isFile) {
    run_.ReportLeftOut(spec, TLeftOutReason::lrNameTaken);
    run_.totalBytes -= sourceSize_;
  }
}

void EntryWriter::writeData(TZipHeaderInfo& header, TStream& out) {
  dataOut_ = &out;
  const std::int32_t level = std::min(writer_.PackLevel(), kHighestLevel);
  const bool store = level <= 0 || MatchesAnyPattern(writer_.NoCompressList(), header.FileName());
  const std::unique_ptr<CompressedEntry> ahead = store ? nullptr : takeAhead(level);
  std::uint32_t passCrc = 0;
  if (!writer_.EncryptionPassword.empty()) {
    // Compressed ahead, the file was read once: its CRC-32 is that of the data compressed.
    passCrc = ahead ? ahead->crc : sourceCrc();
    crypto_.emplace(writer_.EncryptionPassword);
    const ZipCrypto::Header head = crypto_->MakeHeader(passCrc);
    out.Write(head.data(), static_cast<std::int64_t>(head.size()));
  }

  crc_ = deflate::kCrcPreset;
  std::uint64_t packed = 0;
  if (store) {
    storeData();
    packed = static_cast<std::uint64_t>(bytesRead_);
    header.CompressionMethod = kMethodStored;
    header.InternalAttributes = kBinary;
  } else {
    deflate::TDeflateResult result;
    if (ahead) {
      ahead->replay(*this);
      crc_ = ~ahead->crc;
      run_.carry.follow(ahead->carry);
      result = ahead->deflated;
    } else {
      result = run_.carry.deflateNext(run_.Buffers(), level, *this);
    }
    packed = result.compressedSize;
    header.Flags |= result.flagBits;
    header.CompressionMethod = result.method;
    header.InternalAttributes = result.internalAttributes;
  }
  header.Crc32 = ~crc_;
  // A file that changed size while it was read is described by the bytes actually stored.
  const auto size = static_cast<std::uint64_t>(bytesRead_);
  if (crypto_) {
    if (header.Crc32 != passCrc)
      throw EFileChanged(sourceName_);
    header.Flags |= kFlagEncrypted;
    packed += ZipCrypto::kHeaderSize;
  }
  // Each size in its classic field, or in the 64-bit field the output asked for past the limit.
  header.SetSizes(packed, size);
  dataOut_ = nullptr;
}

void EntryWriter::storeData() {
  std::vector<std::uint8_t> block(kStoreBlock);
  while (const std::uint32_t got = read(block.data(), kStoreBlock))
    write(block.data(), got);
}

std::uint32_t EntryWriter::sourceCrc() {
  std::vector<std::uint8_t> block(kCrcPassBlock);
  std::uint32_t crc = deflate::kCrcPreset;
  std::int64_t total = 0;
  while (const std::int64_t got = input_->Read(block.data(), kCrcPassBlock)) {
    total += got;
    CheckFileSize(run_.Limits(), static_cast<std::uint64_t>(total), sourceName_);
    crc = deflate::update_crc(crc, block.data(), static_cast<std::size_t>(got));
  }
  input_->Seek(0, soBeginning);
  return ~crc;
}

std::unique_ptr<CompressedEntry> EntryWriter::takeAhead(int level) {
  if (!run_.ahead || !aheadJob_)
    return nullptr;
  std::unique_ptr<CompressedEntry> entry =
      run_.ahead->take(*aheadJob_, [this] { run_.PumpAndCheckCancel(); });
  if (!entry)
    return nullptr;
  // It stands in only for the file as opened here, at this level, after the entries written
  // before it: otherwise the file is compressed here, as it always was.
  const std::optional<platform::FileStamp> now = platform::fileStamp(sourceName_);
  if (entry->level != level || !now || *now != entry->stamp ||
      static_cast<std::int64_t>(entry->bytesRead) != sourceSize_ || !run_.carry.fits(entry->carry))
    return nullptr;
  return entry;
}

void EntryWriter::replayRead(std::uint32_t count) {
  countRead(count);
}

void EntryWriter::replayWrite(const std::uint8_t* buffer, std::uint32_t count) {
  write(buffer, count);
}

std::uint32_t EntryWriter::read(std::uint8_t* destination, std::uint32_t count) {
  const std::int64_t got = input_->Read(destination, count);
  if (got <= 0)
    return 0;
  countRead(static_cast<std::uint32_t>(got));
  crc_ = deflate::update_crc(crc_, destination, static_cast<std::size_t>(got));
  return static_cast<std::uint32_t>(got);
}

void EntryWriter::countRead(std::uint32_t got) {
  bytesRead_ += got;
  // A file that grows past the limit while it is read cannot be described either.
  CheckFileSize(run_.Limits(), static_cast<std::uint64_t>(bytesRead_), sourceName_);
  run_.bytesDone += got;
  if (writer_.OnFilePercentDone) {
    // The 64-bit form gives the same values and stays right for files of 2 GiB and more.
    // Reading is the first of the file's passes through the run.
    writer_.OnFilePercentDone(writer_,
                              Percent64(bytesRead_, sourceSize_) / output_.PassesPerByte());
  }
  if (writer_.OnTotalPercentDone) {
    writer_.OnTotalPercentDone(writer_, Percent64(run_.bytesDone, run_.totalBytes));
  }
}

void EntryWriter::write(const std::uint8_t* buffer, std::uint32_t count) {
  const std::uint8_t* data = buffer;
  if (crypto_) {
    // The compressor's stored blocks are its window: encrypt a copy, never the bytes themselves.
    cipher_.resize(count);
    crypto_->Encrypt(buffer, cipher_.data(), count);
    data = cipher_.data();
  }
  dataOut_->Write(data, count);
  run_.PumpAndCheckCancel();
}

} // namespace larkspur::zip
