// TZipHeaderInfo: field defaults, copying, names and comment, and the local and central header
// records as written and read.
#include "zip/format/zip_header_info.h"

#include <algorithm>
#include <cstring>

#include "platform/paths.h"
#include "zip/format/dos_date_time.h"
#include "zip/format/reader_texts.h"
#include "zip/format/record_bytes.h"
#include "zip/format/zip_errors.h"

namespace larkspur::zip {

namespace {

// Reads what the stream gives, never reporting less than nothing.
std::int64_t readSome(TStream& stream, void* buffer, std::int64_t count) {
  return std::max<std::int64_t>(0, stream.Read(buffer, count));
}

// Whether the first `count` bytes read agree with the start of `signature`.
bool startsLikeSignature(const unsigned char* bytes, std::int64_t count, std::uint32_t signature) {
  for (std::int64_t i = 0; i < count && i < 4; ++i) {
    if (bytes[i] != ((signature >> (8 * i)) & 0xFF))
      return false;
  }
  return true;
}

std::uint32_t signatureOf(const unsigned char* bytes) {
  return record::FieldReader(bytes).u32();
}

// A header never announces more than its 16-bit length can say.
void checkFieldLength(std::size_t length) {
  if (length > static_cast<std::size_t>(kMaxFieldLength)) {
    throw EStreamError("Stream write error");
  }
}

// Reads `length` name bytes; false when the stream has fewer.
bool readName(TStream& stream, std::uint16_t length, std::string& name) {
  name.assign(length, '\0');
  return length == 0 || readSome(stream, name.data(), length) == length;
}

} // namespace

// The run of fields both headers have, from "version needed" to the extra-field length.
struct TZipHeaderInfo::SharedFields {
  std::uint16_t versionNeeded, flags, method;
  std::uint32_t dateTime, crc;
  std::int32_t compressedSize, uncompressedSize;
  std::uint16_t nameLength, extraLength;
};

TZipHeaderInfo::SharedFields TZipHeaderInfo::readSharedFields(record::FieldReader& field) {
  SharedFields f;
  f.versionNeeded = field.u16();
  f.flags = field.u16();
  f.method = field.u16();
  f.dateTime = field.u32(); // time in the low word, date in the high word
  f.crc = field.u32();
  f.compressedSize = field.i32();
  f.uncompressedSize = field.i32();
  f.nameLength = field.u16();
  f.extraLength = field.u16();
  return f;
}

void TZipHeaderInfo::takeSharedFields(const SharedFields& f) {
  VersionNeeded = f.versionNeeded;
  Flags = f.flags;
  CompressionMethod = f.method;
  FileDateTime = SanitizeDosDateTime(f.dateTime);
  Crc32 = f.crc;
  CompressedSize = f.compressedSize;
  UncompressedSize = f.uncompressedSize;
}

// The same run up to the sizes; the lengths that follow differ between the headers.
void TZipHeaderInfo::writeSharedFields(record::FieldWriter& out) const {
  out.u16(VersionNeeded);
  out.u16(Flags);
  out.u16(CompressionMethod);
  out.u32(FileDateTime);
  out.u32(Crc32);
  out.i32(CompressedSize);
  out.i32(UncompressedSize);
}

void TZipHeaderInfo::takeStoredName(std::string stored, SystemName name,
                                    const StoredNameRules& rules) {
  nameAsRead_ = std::move(stored);
  keepNameAsRead_ = false;
  nameSpelled_ = name.spelled;
  SplitName split = DecodeStoredName(std::move(name.text), false, rules);
  directory_ = std::move(split.directory);
  fileName_ = std::move(split.fileName);
  FileNameLength = static_cast<std::uint16_t>(directory_.size() + fileName_.size());
  fileComment_.reset();
  Mark1 = 0;
  Mark3 = 0;
}

void TZipHeaderInfo::Clear() {
  VersionMadeBy = kDefaultVersion;
  VersionNeeded = kDefaultVersion;
  Flags = 0;
  CompressionMethod = kDefaultMethod;
  FileDateTime = 0;
  Crc32 = kDefaultCrc32;
  CompressedSize = 0;
  UncompressedSize = 0;
  FileNameLength = 0;
  CentralExtraLength = 0;
  LocalExtraLength = 0;
  FileCommentLength = 0;
  DiskNumberStart = 0;
  InternalAttributes = kDefaultInternalAttributes;
  ExternalAttributes = kDefaultExternalAttributes;
  LocalHeaderOffset = 0;
  CentralHeaderPosition = 0;
  Mark1 = 0;
  Mark2 = 0;
  Mark3 = 0;
  fileName_.clear();
  directory_.clear();
  fileComment_.reset();
  nameAsRead_.reset();
  keepNameAsRead_ = false;
  nameSpelled_ = true;
  zip64_ = {};
  localExtra_.clear();
  centralExtra_.clear();
}

void TZipHeaderInfo::Assign(const TZipHeaderInfo& source) {
  if (&source == this)
    return;
  VersionMadeBy = source.VersionMadeBy;
  VersionNeeded = source.VersionNeeded;
  Flags = source.Flags;
  CompressionMethod = source.CompressionMethod;
  FileDateTime = source.FileDateTime;
  Crc32 = source.Crc32;
  CompressedSize = source.CompressedSize;
  UncompressedSize = source.UncompressedSize;
  CentralExtraLength = source.CentralExtraLength;
  LocalExtraLength = source.LocalExtraLength;
  DiskNumberStart = source.DiskNumberStart;
  InternalAttributes = source.InternalAttributes;
  ExternalAttributes = source.ExternalAttributes;
  LocalHeaderOffset = source.LocalHeaderOffset;
  CentralHeaderPosition = source.CentralHeaderPosition;
  Mark1 = source.Mark1;
  Mark2 = source.Mark2;
  Mark3 = source.Mark3;
  fileName_ = source.fileName_;
  directory_ = source.directory_;
  nameAsRead_ = source.nameAsRead_;
  keepNameAsRead_ = source.keepNameAsRead_;
  nameSpelled_ = source.nameSpelled_;
  zip64_ = source.zip64_;
  localExtra_ = source.localExtra_;
  centralExtra_ = source.centralExtra_;
  FileNameLength = source.keepNameAsRead_ && nameAsRead_
                       ? static_cast<std::uint16_t>(nameAsRead_->size())
                       : static_cast<std::uint16_t>(directory_.size() + fileName_.size());
  // A comment left behind from before would not match the length taken from the source.
  if (source.FileCommentLength != 0 && source.fileComment_) {
    fileComment_ = source.fileComment_;
  } else {
    fileComment_.reset();
  }
  FileCommentLength = source.FileCommentLength;
}

void TZipHeaderInfo::SetFileName(std::string_view text) {
  if (text != fileName_) {
    fileName_ = text;
    nameAsRead_.reset();
    keepNameAsRead_ = false;
    nameSpelled_ = true;
  }
  FileNameLength = static_cast<std::uint16_t>(directory_.size() + fileName_.size());
}

void TZipHeaderInfo::SetDirectory(std::string_view text, paths::LeadByteTest isLeadByte) {
  if (text != directory_) {
    directory_ = paths::IncludeTrailingPathDelimiter(text, isLeadByte);
    if (text.empty())
      directory_.clear();
    nameAsRead_.reset();
    keepNameAsRead_ = false;
    nameSpelled_ = true;
  }
  FileNameLength = static_cast<std::uint16_t>(directory_.size() + fileName_.size());
}

void TZipHeaderInfo::SetFileComment(std::optional<std::string_view> text) {
  if (text) {
    fileComment_.emplace(*text);
  } else {
    fileComment_.reset();
  }
  FileCommentLength = static_cast<std::uint16_t>(fileComment_ ? fileComment_->size() : 0);
}

void TZipHeaderInfo::SetLocalExtra(std::string bytes) {
  checkFieldLength(bytes.size());
  localExtra_ = std::move(bytes);
  LocalExtraLength = static_cast<std::uint16_t>(localExtra_.size());
}

void TZipHeaderInfo::SetCentralExtra(std::string bytes) {
  checkFieldLength(bytes.size());
  centralExtra_ = std::move(bytes);
  CentralExtraLength = static_cast<std::uint16_t>(centralExtra_.size());
}

std::uint64_t TZipHeaderInfo::PackedSize() const {
  const auto classic = static_cast<std::uint32_t>(CompressedSize);
  return classic == kZip64Marker32 ? zip64_.compressedSize.value_or(classic) : classic;
}

std::uint64_t TZipHeaderInfo::Size() const {
  const auto classic = static_cast<std::uint32_t>(UncompressedSize);
  return classic == kZip64Marker32 ? zip64_.uncompressedSize.value_or(classic) : classic;
}

std::uint64_t TZipHeaderInfo::HeaderOffset() const {
  return LocalHeaderOffset == kZip64Marker32 ? zip64_.localHeaderOffset.value_or(LocalHeaderOffset)
                                             : LocalHeaderOffset;
}

bool TZipHeaderInfo::HasZip64Values() const {
  return zip64_.compressedSize || zip64_.uncompressedSize || zip64_.localHeaderOffset ||
         zip64_.diskNumberStart;
}

std::int64_t TZipHeaderInfo::LocalHeaderSize() const {
  return kLocalHeaderSize + FileNameLength + LocalExtraLength;
}

std::int64_t TZipHeaderInfo::CentralHeaderSize() const {
  return kCentralHeaderSize + FileNameLength + CentralExtraLength + FileCommentLength;
}

void TZipHeaderInfo::KeepNameAsRead() {
  keepNameAsRead_ = nameAsRead_.has_value();
  if (keepNameAsRead_)
    FileNameLength = static_cast<std::uint16_t>(nameAsRead_->size());
}

std::string TZipHeaderInfo::StoredName(const StoredNameRules& rules) const {
  return nameAsRead_ ? *nameAsRead_ : EncodeStoredName(directory_, fileName_, rules);
}

std::string TZipHeaderInfo::storedName(const StoredNameRules& rules) const {
  std::string name = keepNameAsRead_ && nameAsRead_
                         ? *nameAsRead_
                         : EncodeStoredName(directory_, fileName_, rules);
  checkFieldLength(name.size());
  return name;
}

void TZipHeaderInfo::WriteLocalHeader(TStream& stream, const StoredNameRules& rules) {
  const std::string name = storedName(rules);
  LocalHeaderOffset = static_cast<std::uint32_t>(stream.Position());
  record::FieldWriter out;
  out.u32(kLocalHeaderSignature);
  writeSharedFields(out);
  out.u16(static_cast<std::uint16_t>(name.size()));
  out.u16(LocalExtraLength);
  out.bytes(name);
  out.bytes(localExtra_);
  stream.WriteBuffer(out.data().data(), static_cast<std::int64_t>(out.data().size()));
}

void TZipHeaderInfo::WriteCentralHeader(TStream& stream, const StoredNameRules& rules) const {
  const std::string name = storedName(rules);
  // The length written is that of the bytes that follow, so the directory stays walkable.
  if (fileComment_)
    checkFieldLength(fileComment_->size());
  const std::string_view comment =
      FileCommentLength != 0 && fileComment_ ? std::string_view(*fileComment_) : std::string_view();
  record::FieldWriter out;
  out.u32(kCentralHeaderSignature);
  out.u16(VersionMadeBy);
  writeSharedFields(out);
  out.u16(static_cast<std::uint16_t>(name.size()));
  out.u16(CentralExtraLength);
  out.u16(static_cast<std::uint16_t>(comment.size()));
  out.u16(DiskNumberStart);
  out.u16(InternalAttributes);
  out.u32(ExternalAttributes);
  out.u32(LocalHeaderOffset);
  out.bytes(name);
  out.bytes(centralExtra_);
  out.bytes(comment);
  stream.WriteBuffer(out.data().data(), static_cast<std::int64_t>(out.data().size()));
}

bool TZipHeaderInfo::ReadCentralHeader(TStream& stream, const TNextDiskHandler& nextDisk,
                                       const StoredNameRules& rules) {
  TStream* in = &stream;
  const std::int64_t headerStart = in->Position();
  std::int64_t restoreAt = headerStart;
  unsigned char fixed[kCentralHeaderSize];
  std::int64_t got = readSome(*in, fixed, kCentralHeaderSize);
  if (got < kCentralHeaderSize && nextDisk &&
      startsLikeSignature(fixed, got, kCentralHeaderSignature)) {
    // The old stream may be released by the switch: from here on only the new one is touched.
    in = &nextDisk();
    restoreAt = in->Position();
    got += readSome(*in, fixed + got, kCentralHeaderSize - got);
  }
  const auto fail = [&] {
    in->SetPosition(restoreAt);
    return false;
  };
  if (got != kCentralHeaderSize || signatureOf(fixed) != kCentralHeaderSignature)
    return fail();

  record::FieldReader field(fixed + 4);
  const std::uint16_t versionMadeBy = field.u16();
  const SharedFields shared = readSharedFields(field);
  const std::uint16_t commentLength = field.u16();
  const std::uint16_t diskNumberStart = field.u16();
  const std::uint16_t internalAttributes = field.u16();
  const std::uint32_t externalAttributes = field.u32();
  const std::uint32_t localHeaderOffset = field.u32();

  std::string name;
  if (!readName(*in, shared.nameLength, name))
    return fail();
  // A short extra block is what it is: the header's length still says where the next one is.
  std::string extra(shared.extraLength, '\0');
  extra.resize(static_cast<std::size_t>(readSome(*in, extra.data(), shared.extraLength)));
  const ClassicEntryFields classic{static_cast<std::uint32_t>(shared.uncompressedSize),
                                   static_cast<std::uint32_t>(shared.compressedSize),
                                   localHeaderOffset, diskNumberStart, true};
  const std::optional<Zip64EntryValues> zip64 = DecodeZip64Extra(extra, classic);
  if (!zip64)
    throw EBadZipFile(reader_text::kZip64ExtraDamaged + name);
  // The comment is stepped over; it is loaded only when asked for.
  in->Seek(std::int64_t{shared.extraLength} - static_cast<std::int64_t>(extra.size()) +
               commentLength,
           1);

  VersionMadeBy = versionMadeBy;
  takeSharedFields(shared);
  FileCommentLength = commentLength;
  DiskNumberStart = diskNumberStart;
  InternalAttributes = internalAttributes;
  ExternalAttributes = externalAttributes;
  LocalHeaderOffset = localHeaderOffset;
  CentralHeaderPosition = static_cast<std::uint32_t>(headerStart);
  zip64_ = *zip64;
  localExtra_.clear();
  SystemName systemName = SystemEntryName(name, shared.flags, versionMadeBy, extra, rules);
  takeStoredName(std::move(name), std::move(systemName), rules);
  // What could be read of it: the length written back is that of the bytes kept.
  CentralExtraLength = static_cast<std::uint16_t>(extra.size());
  centralExtra_ = std::move(extra);
  return true;
}

bool TZipHeaderInfo::ReadLocalHeader(TStream& stream, const StoredNameRules& rules) {
  const std::int64_t headerStart = stream.Position();
  const auto fail = [&] {
    stream.SetPosition(headerStart);
    return false;
  };
  unsigned char fixed[kLocalHeaderSize];
  if (readSome(stream, fixed, kLocalHeaderSize) != kLocalHeaderSize ||
      signatureOf(fixed) != kLocalHeaderSignature) {
    return fail();
  }
  record::FieldReader field(fixed + 4);
  const SharedFields shared = readSharedFields(field);
  std::string name;
  if (!readName(stream, shared.nameLength, name))
    return fail();

  VersionMadeBy = 0;
  takeSharedFields(shared);
  LocalExtraLength = shared.extraLength;
  FileCommentLength = 0;
  DiskNumberStart = 0;
  InternalAttributes = 0;
  ExternalAttributes = 0;
  CentralHeaderPosition = 0;
  zip64_ = {};
  localExtra_.clear(); // the length is known; the bytes are left to whoever copies them
  LocalHeaderOffset = static_cast<std::uint32_t>(headerStart);
  // Local headers carry no host byte: a name without the UTF-8 flag is taken as OEM.
  SystemName systemName = SystemEntryName(name, shared.flags, 0, {}, rules);
  takeStoredName(std::move(name), std::move(systemName), rules);
  return true;
}

} // namespace larkspur::zip
