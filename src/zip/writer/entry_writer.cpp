// One file or directory becomes one entry: header, stored or deflated data with CRC-32 and
// progress, the local header rewritten in place; and the compressor's read and write.
#include "zip/writer/entry_writer.h"

#include <algorithm>

#include "deflate/crc32.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/zip_helpers.h"
#include "zip/format/zip_signatures.h"
#include "zip/writer/host_fields.h"
#include "zip/writer/multi_disk_output.h"
#include "zip/writer/storage_name.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/zip_run.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {

namespace {

// Stored data is copied through one buffer of this size.
constexpr std::uint32_t kStoreBlock = 32768;
// The encryption's CRC pass reads the source in blocks of this size.
constexpr std::uint32_t kCrcPassBlock = 8192;
// The compressor's levels; 0 stores.
constexpr std::int32_t kHighestLevel = 9;
constexpr std::uint16_t kMethodStored = 0;
// Internal attributes that ask the compressor to classify the data as text or binary.
constexpr std::uint16_t kUnclassified = 2;
constexpr std::uint16_t kBinary = 0;

} // namespace

bool EntryWriter::ZipOneFile(TZipHeaderInfo& header, const std::string& spec) {
  // Whatever happens, the source is closed when this entry is done with.
  struct CloseSource {
    EntryWriter& self;
    ~CloseSource() {
      self.input_.reset();
      self.crypto_.reset();
      self.dropSpill();
    }
  } closeSource{*this};

  bytesRead_ = 0;
  sourceSize_ = 0;
  sourceName_ = spec;
  std::string root = writer_.RootDir();
  const bool isDirectory = IsDirectorySpec(spec);
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
      writer_.reportLeftOut(spec, false);
      return false;
    }
    header.ExternalAttributes = static_cast<std::uint32_t>(platform::fileAttributes(spec));
    if (!openSource(spec)) {
      writer_.reportLeftOut(spec, false);
      return false;
    }
    header.FileDateTime = platform::fileDosTime(spec);
    sourceSize_ = input_->Size();
    CheckFileSize(writer_.Limits(), static_cast<std::uint64_t>(sourceSize_), spec);
    header.UncompressedSize = static_cast<std::int32_t>(sourceSize_);
  }

  std::string fname = spec;
  if (writer_.Store83Names()) {
    fname = ShortPathForm(fname);
    if (!root.empty())
      root = ShortPathForm(root);
  }
  OemRoundTrip(fname);
  header.SetFileName(isDirectory ? std::string() : paths::ExtractFileName(fname));
  header.LocalHeaderOffset = static_cast<std::uint32_t>(run_.Output().Position());
  if (!isDirectory)
    header.InternalAttributes = kUnclassified;
  header.DiskNumberStart = static_cast<std::uint16_t>(writer_.ActiveDisk());
  if (writer_.StorePaths()) {
    header.SetDirectory(StoredDirectory(
        fname, {writer_.StorePaths(), writer_.RelativePaths(), writer_.StoreVolumes(), root}));
  }
  // A directory entry whose directory is not stored would have no name at all.
  if (header.FileNameLength == 0)
    return false;
  if (NeedsUtf8Flag(header.Directory() + header.FileName()))
    header.Flags |= kFlagUtf8Name;
  AddHostFields(header, spec, writer_.StoreUtcTime());

  if (run_.NameTaken(header.Directory(), header.FileName())) {
    leaveOut(spec, fname, !isDirectory);
    return false;
  }
  bool skip = false;
  if (writer_.OnStartZip)
    writer_.OnStartZip(writer_, fname, header, skip);
  if (skip) {
    if (!isDirectory)
      run_.totalBytes -= sourceSize_;
    return false;
  }
  // The handler may have renamed the entry onto a name the archive already holds.
  if (header.FileNameLength == 0 || run_.NameTaken(header.Directory(), header.FileName())) {
    leaveOut(spec, fname, !isDirectory);
    return false;
  }
  run_.CheckRoomForEntry();

  if (run_.multi) {
    if (!isDirectory) {
      openSpill();
      writeData(header);
      finishSpill();
    }
    run_.multi->PlaceEntry(header, spill_.get());
    dropSpill();
  } else {
    header.WriteLocalHeader(run_.Output());
    if (!isDirectory) {
      writeData(header);
      rewriteLocalHeader(header);
    }
  }
  if (isDirectory) {
    if (writer_.OnEndZip)
      writer_.OnEndZip(writer_, fname, 0, 0, 0);
    return true;
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
    writer_.OnEndZip(writer_, fname, static_cast<std::uint32_t>(header.UncompressedSize),
                     static_cast<std::uint32_t>(header.CompressedSize),
                     static_cast<std::uint32_t>(run_.Output().Position()));
  }
  return true;
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

void EntryWriter::leaveOut(const std::string& spec, const std::string& fname, bool isFile) {
  if (writer_.OnSkippingFile) {
    bool retry = false; // ignored: the name stays taken
    writer_.OnSkippingFile(writer_, TSkipReason::srDuplicate, fname, -1, retry);
  }
  // A second directory entry of one name loses nothing; a second file loses its data.
  if (isFile) {
    writer_.reportLeftOut(spec, TLeftOutReason::lrNameTaken);
    run_.totalBytes -= sourceSize_;
  }
}

void EntryWriter::writeData(TZipHeaderInfo& header) {
  std::uint32_t passCrc = 0;
  if (!writer_.EncryptionPassword.empty()) {
    passCrc = sourceCrc();
    crypto_.emplace(writer_.EncryptionPassword);
    const ZipCrypto::Header head = crypto_->MakeHeader(passCrc);
    dataOut().Write(head.data(), static_cast<std::int64_t>(head.size()));
  }

  crc_ = deflate::kCrcPreset;
  const std::int32_t level = std::min(writer_.PackLevel(), kHighestLevel);
  if (level <= 0 || MatchesAnyPattern(writer_.NoCompressList(), header.FileName())) {
    storeData();
    header.CompressedSize = static_cast<std::int32_t>(bytesRead_);
    header.CompressionMethod = kMethodStored;
    header.InternalAttributes = kBinary;
  } else {
    const deflate::TDeflateResult result = deflate::deflate_entry(run_.Buffers(), level, *this);
    header.CompressedSize = static_cast<std::int32_t>(result.compressedSize);
    header.Flags |= result.flagBits;
    header.CompressionMethod = result.method;
    header.InternalAttributes = result.internalAttributes;
  }
  header.Crc32 = ~crc_;
  // A file that changed size while it was read is described by the bytes actually stored.
  header.UncompressedSize = static_cast<std::int32_t>(bytesRead_);
  if (crypto_) {
    if (header.Crc32 != passCrc)
      throw EFileChanged(sourceName_);
    header.Flags |= kFlagEncrypted;
    header.CompressedSize += static_cast<std::int32_t>(ZipCrypto::kHeaderSize);
  }
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
    CheckFileSize(writer_.Limits(), static_cast<std::uint64_t>(total), sourceName_);
    crc = deflate::update_crc(crc, block.data(), static_cast<std::size_t>(got));
  }
  input_->Seek(0, 0);
  return ~crc;
}

void EntryWriter::rewriteLocalHeader(TZipHeaderInfo& header) {
  TStream& out = run_.Output();
  const std::int64_t end = out.Position();
  out.Seek(header.LocalHeaderOffset, 0);
  header.WriteLocalHeader(out);
  out.Seek(end, 0);
}

TStream& EntryWriter::dataOut() {
  return spillOut_ ? static_cast<TStream&>(*spillOut_) : run_.Output();
}

void EntryWriter::openSpill() {
  spillName_ = MakeTempFileName(writer_.tempFolder());
  spill_ = std::make_unique<TLFNFileStream>(spillName_, StreamBufferSize, writer_.FlushFilesOnClose,
                                            fmCreate);
  spillOut_ = std::make_unique<ArchiveOutput>(*spill_, writer_.Limits());
}

void EntryWriter::finishSpill() {
  spillOut_.reset();
  // Data still in the buffer must reach the file before it is copied, or be reported lost.
  try {
    spill_->Flush();
  } catch (const EStreamError&) {
    throw ENotEnoughRoom();
  }
}

void EntryWriter::dropSpill() {
  spillOut_.reset();
  spill_.reset();
  if (!spillName_.empty())
    platform::deleteFile(spillName_);
  spillName_.clear();
}

std::uint32_t EntryWriter::read(std::uint8_t* destination, std::uint32_t count) {
  const std::int64_t got = input_->Read(destination, count);
  if (got <= 0)
    return 0;
  bytesRead_ += got;
  // A file that grows past the limit while it is read cannot be described either.
  CheckFileSize(writer_.Limits(), static_cast<std::uint64_t>(bytesRead_), sourceName_);
  run_.bytesDone += got;
  if (writer_.OnFilePercentDone) {
    // The 64-bit form gives the same values and stays right for files of 2 GiB and more.
    std::int32_t percent = Percent64(bytesRead_, sourceSize_);
    if (writer_.MultiZipInfo().MultiMode != TMultiMode::mmNone)
      percent /= 2;
    writer_.OnFilePercentDone(writer_, percent);
  }
  if (writer_.OnTotalPercentDone) {
    writer_.OnTotalPercentDone(writer_, Percent64(run_.bytesDone, run_.totalBytes));
  }
  crc_ = deflate::update_crc(crc_, destination, static_cast<std::size_t>(got));
  return static_cast<std::uint32_t>(got);
}

void EntryWriter::write(const std::uint8_t* buffer, std::uint32_t count) {
  const std::uint8_t* data = buffer;
  if (crypto_) {
    // The compressor's stored blocks are its window: encrypt a copy, never the bytes themselves.
    cipher_.resize(count);
    crypto_->Encrypt(buffer, cipher_.data(), count);
    data = cipher_.data();
  }
  dataOut().Write(data, count);
  writer_.pumpAndCheckCancel();
}

} // namespace larkspur::zip
