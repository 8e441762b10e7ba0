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

// The same run up to the sizes; the lengths that follow differ between the headers. A local
// header that gives its sizes in the 64-bit field holds the marker in both.
void TZipHeaderInfo::writeSharedFields(record::FieldWriter& out, bool localZip64) const {
  out.u16(VersionNeeded);
  out.u16(Flags);
  out.u16(CompressionMethod);
  out.u32(FileDateTime);
  out.u32(Crc32);
  out.u32(localZip64 ? kZip64Marker32 : static_cast<std::uint32_t>(CompressedSize));
  out.u32(localZip64 ? kZip64Marker32 : static_cast<std::uint32_t>(UncompressedSize));
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
  Zip64Threshold = kZip64Marker32;
  fileName_.clear();
  directory_.clear();
  fileComment_.reset();
  nameAsRead_.reset();
  keepNameAsRead_ = false;
  nameSpelled_ = true;
  zip64_ = {};
  localZip64_ = LocalZip64::None;
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
  Zip64Threshold = source.Zip64Threshold;
  fileName_ = source.fileName_;
  directory_ = source.directory_;
  nameAsRead_ = source.nameAsRead_;
  keepNameAsRead_ = source.keepNameAsRead_;
  nameSpelled_ = source.nameSpelled_;
  zip64_ = source.zip64_;
  localZip64_ = source.localZip64_;
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
  const std::size_t zip64 = localZip64_ == LocalZip64::Written ? kZip64LocalExtraSize : 0;
  checkFieldLength(bytes.size() + zip64);
  localExtra_ = std::move(bytes);
  LocalExtraLength = static_cast<std::uint16_t>(localExtra_.size() + zip64);
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

void TZipHeaderInfo::needZip64Version() {
  VersionNeeded = std::max(VersionNeeded, kZip64Version);
}

void TZipHeaderInfo::SetSizes(std::uint64_t packed, std::uint64_t size) {
  const bool packedWide = packed >= Zip64Threshold;
  const bool sizeWide = size >= Zip64Threshold;
  CompressedSize = static_cast<std::int32_t>(packedWide ? kZip64Marker32 : packed);
  UncompressedSize = static_cast<std::int32_t>(sizeWide ? kZip64Marker32 : size);
  zip64_.compressedSize = packedWide ? std::optional(packed) : std::nullopt;
  zip64_.uncompressedSize = sizeWide ? std::optional(size) : std::nullopt;
  if (packedWide || sizeWide)
    needZip64Version();
}

void TZipHeaderInfo::SetHeaderOffset(std::uint64_t offset) {
  const bool wide = offset >= Zip64Threshold;
  LocalHeaderOffset = static_cast<std::uint32_t>(wide ? kZip64Marker32 : offset);
  zip64_.localHeaderOffset = wide ? std::optional(offset) : std::nullopt;
  if (wide)
    needZip64Version();
}

void TZipHeaderInfo::SetLocalZip64Sizes(bool writeField) {
  if (writeField && localZip64_ != LocalZip64::Written)
    LocalExtraLength = static_cast<std::uint16_t>(LocalExtraLength + kZip64LocalExtraSize);
  localZip64_ = writeField ? LocalZip64::Written : LocalZip64::Copied;
  needZip64Version();
}

std::string TZipHeaderInfo::centralZip64Extra() const {
  Zip64EntryValues marked;
  if (static_cast<std::uint32_t>(UncompressedSize) == kZip64Marker32)
    marked.uncompressedSize = zip64_.uncompressedSize;
  if (static_cast<std::uint32_t>(CompressedSize) == kZip64Marker32)
    marked.compressedSize = zip64_.compressedSize;
  if (LocalHeaderOffset == kZip64Marker32)
    marked.localHeaderOffset = zip64_.localHeaderOffset;
  if (DiskNumberStart == kZip64Marker16)
    marked.diskNumberStart = zip64_.diskNumberStart;
  return EncodeZip64Extra(marked);
}

std::int64_t TZipHeaderInfo::LocalHeaderSize() const {
  return kLocalHeaderSize + FileNameLength + LocalExtraLength;
}

std::int64_t TZipHeaderInfo::CentralHeaderSize() const {
  return kCentralHeaderSize + FileNameLength + CentralExtraLength +
         static_cast<std::int64_t>(centralZip64Extra().size()) + FileCommentLength;
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
  SetHeaderOffset(static_cast<std::uint64_t>(stream.Position()));
  record::FieldWriter out;
  out.u32(kLocalHeaderSignature);
  writeSharedFields(out, LocalZip64Sizes());
  out.u16(static_cast<std::uint16_t>(name.size()));
  out.u16(LocalExtraLength);
  out.bytes(name);
  if (localZip64_ == LocalZip64::Written) {
    Zip64EntryValues sizes;
    sizes.uncompressedSize = Size();
    sizes.compressedSize = PackedSize();
    out.bytes(EncodeZip64Extra(sizes));
  }
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
  // The 64-bit values, made anew from the entry's values, then the other fields it carries.
  const std::string extra = centralZip64Extra() + centralExtra_;
  checkFieldLength(extra.size());
  record::FieldWriter out;
  out.u32(kCentralHeaderSignature);
  out.u16(VersionMadeBy);
  writeSharedFields(out, false);
  out.u16(static_cast<std::uint16_t>(name.size()));
  out.u16(static_cast<std::uint16_t>(extra.size()));
  out.u16(static_cast<std::uint16_t>(comment.size()));
  out.u16(DiskNumberStart);
  out.u16(InternalAttributes);
  out.u32(ExternalAttributes);
  out.u32(LocalHeaderOffset);
  out.bytes(name);
  out.bytes(extra);
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
  CentralHeaderPosition = headerStart;
  zip64_ = *zip64;
  localExtra_.clear();
  SystemName systemName = SystemEntryName(name, shared.flags, versionMadeBy, extra, rules);
  takeStoredName(std::move(name), std::move(systemName), rules);
  // What could be read of it, without the 64-bit field, which is written anew from the values:
  // the length written back is that of the bytes kept.
  centralExtra_ = WithoutZip64Field(extra);
  CentralExtraLength = static_cast<std::uint16_t>(centralExtra_.size());
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
  // Sizes in a 64-bit field are read from it; the stream then goes back to the extra field's
  // start, where callers expect it. A damaged field leaves the classic values.
  const std::int64_t extraStart = stream.Position();
  Zip64EntryValues zip64;
  const ClassicEntryFields classic{static_cast<std::uint32_t>(shared.uncompressedSize),
                                   static_cast<std::uint32_t>(shared.compressedSize), 0, 0, false};
  if (classic.uncompressedSize == kZip64Marker32 || classic.compressedSize == kZip64Marker32) {
    std::string extra(shared.extraLength, '\0');
    extra.resize(static_cast<std::size_t>(readSome(stream, extra.data(), shared.extraLength)));
    zip64 = DecodeZip64Extra(extra, classic).value_or(Zip64EntryValues{});
    stream.SetPosition(extraStart);
  }

  VersionMadeBy = 0;
  takeSharedFields(shared);
  LocalExtraLength = shared.extraLength;
  FileCommentLength = 0;
  DiskNumberStart = 0;
  InternalAttributes = 0;
  ExternalAttributes = 0;
  CentralHeaderPosition = 0;
  zip64_ = zip64;
  localZip64_ = LocalZip64::None;
  localExtra_.clear(); // the length is known; the bytes are left to whoever copies them
  // An offset past the classic field is kept whole, as a central header would give it.
  const auto offset = static_cast<std::uint64_t>(headerStart);
  LocalHeaderOffset = static_cast<std::uint32_t>(std::min<std::uint64_t>(offset, kZip64Marker32));
  if (offset >= kZip64Marker32)
    zip64_.localHeaderOffset = offset;
  // Local headers carry no host byte: a name without the UTF-8 flag is taken as OEM.
  SystemName systemName = SystemEntryName(name, shared.flags, 0, {}, rules);
  takeStoredName(std::move(name), std::move(systemName), rules);
  return true;
}

} // namespace larkspur::zip
