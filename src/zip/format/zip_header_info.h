// One archive entry: the in-memory form of its local and central headers, with the directory
// part and the file name kept apart, and the operations that write and read those headers.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/entry_name.h"
#include "zip/format/object.h"
#include "zip/format/stored_name.h"
#include "zip/format/stream.h"
#include "zip/format/zip64_records.h"
#include "zip/format/zip_signatures.h"

namespace larkspur::zip {

namespace record {
class FieldReader;
class FieldWriter;
} // namespace record

// Called when a central header runs off the end of its disk: switches to the next disk and
// returns the stream the header continues on (the old stream may be gone afterwards).
using TNextDiskHandler = std::function<TStream&()>;

class TZipHeaderInfo : public TObject {
public:
  // What a new entry starts with (the writer changes them as it goes).
  static constexpr std::uint16_t kDefaultVersion = 20;           // 2.0, host 0 (MS-DOS/FAT)
  static constexpr std::uint16_t kDefaultMethod = 8;             // deflated
  static constexpr std::uint32_t kDefaultCrc32 = 0xFFFFFFFF;     // CRC register before any data
  static constexpr std::uint16_t kDefaultInternalAttributes = 1; // text, until known
  static constexpr std::uint32_t kDefaultExternalAttributes = platform::faArchive;

  TZipHeaderInfo() { Clear(); }

  const char* ClassName() const override { return "TZipHeaderInfo"; }

  void Clear();
  // Takes every field of `source`; the comment text only when `source` has one loaded.
  void Assign(const TZipHeaderInfo& source);

  const std::string& FileName() const { return fileName_; }
  const std::string& Directory() const { return directory_; }
  // Absent until loaded or set; FileCommentLength may be known without it.
  const std::optional<std::string>& FileComment() const { return fileComment_; }

  // False when the name read could not be spelled by the system: Directory and FileName then
  // hold a stand-in with '?' (see SystemEntryName), for showing, never for a file.
  bool NameSpelled() const { return nameSpelled_; }

  void SetFileName(std::string_view text);
  // A non-empty directory always ends with the native separator; one is appended when missing.
  void SetDirectory(std::string_view text, paths::LeadByteTest isLeadByte = platform::isLeadByte);
  void SetFileComment(std::optional<std::string_view> text);

  // The name bytes as the entry's headers hold them: as read when the entry came from a header
  // and was not renamed since, else Directory and FileName encoded by `rules`.
  std::string StoredName(const StoredNameRules& rules = SystemNameRules()) const;
  // Headers written from now on carry the name bytes as read instead of re-encoding Directory
  // and FileName: an entry carried over unchanged keeps its name byte for byte, even where the
  // code pages do not convert it back and forth unchanged. Dropped when the name changes.
  // FileNameLength becomes the length of those bytes, which may differ from the name's.
  void KeepNameAsRead();

  // The extra fields the headers carry after the name; each setter sets its length too. The
  // reader keeps the central ones as stored, so an entry carried over keeps them byte for byte;
  // the local ones are loaded by whoever copies the local header.
  const std::string& LocalExtra() const { return localExtra_; }
  const std::string& CentralExtra() const { return centralExtra_; }
  void SetLocalExtra(std::string bytes);
  void SetCentralExtra(std::string bytes);

  bool HasComment() const { return FileCommentLength != 0; }
  bool HasDataDescriptor() const { return (Flags & kFlagDataDescriptor) != 0; }

  // The sizes and the local header's offset as the archive means them: the 64-bit extra field's
  // value where the classic field holds the marker that defers to it, else the classic field.
  std::uint64_t PackedSize() const;
  std::uint64_t Size() const;
  std::uint64_t HeaderOffset() const;
  // Whether the last central header read gave any value in a 64-bit extra field, or a value set
  // for writing went there.
  bool HasZip64Values() const;

  // Values for writing: each goes into its classic field, or from Zip64Threshold on into the
  // 64-bit extra field with the classic field holding the marker. An entry that uses the 64-bit
  // field needs version 4.5 to be extracted.
  void SetSizes(std::uint64_t packed, std::uint64_t size);
  void SetHeaderOffset(std::uint64_t offset);
  // The local header gives both sizes as markers, their values in a 64-bit extra field. With
  // `writeField` the header writer appends that field (a file whose sizes may pass the limit,
  // decided before its data is written); without, the caller copies it with the other extra
  // bytes (an entry carried over from an archive whose local header has it).
  void SetLocalZip64Sizes(bool writeField);
  bool LocalZip64Sizes() const { return localZip64_ != LocalZip64::None; }

  std::int64_t LocalHeaderSize() const;
  std::int64_t CentralHeaderSize() const;

  // The local header at the stream's position, which becomes LocalHeaderOffset.
  void WriteLocalHeader(TStream& stream, const StoredNameRules& rules = SystemNameRules());
  void WriteCentralHeader(TStream& stream, const StoredNameRules& rules = SystemNameRules()) const;

  // Read the header at the stream's position. False, with the stream put back, when the bytes
  // are not a complete header of that kind; the entry may then be partly filled.
  bool ReadCentralHeader(TStream& stream, const TNextDiskHandler& nextDisk = nullptr,
                         const StoredNameRules& rules = SystemNameRules());
  bool ReadLocalHeader(TStream& stream, const StoredNameRules& rules = SystemNameRules());

  std::uint16_t VersionMadeBy;
  std::uint16_t VersionNeeded;
  std::uint16_t Flags;
  std::uint16_t CompressionMethod;
  std::uint32_t FileDateTime;
  std::uint32_t Crc32;
  std::int32_t CompressedSize;
  std::int32_t UncompressedSize;
  std::uint16_t FileNameLength;
  std::uint16_t CentralExtraLength;
  std::uint16_t LocalExtraLength;
  std::uint16_t FileCommentLength;
  std::uint16_t DiskNumberStart;
  std::uint16_t InternalAttributes;
  std::uint32_t ExternalAttributes;
  std::uint32_t LocalHeaderOffset;
  std::int64_t CentralHeaderPosition; // 64 bits: a directory may begin past 4 GiB
  std::uint8_t Mark1;
  std::uint8_t Mark2;
  std::uint8_t Mark3;
  // Sizes and offsets from this value on are written in the 64-bit extra field: the classic
  // fields' marker and above, unless a test lowers it to see the 64-bit fields in small archives.
  std::uint64_t Zip64Threshold;

private:
  struct SharedFields;
  static SharedFields readSharedFields(record::FieldReader& field);
  void takeSharedFields(const SharedFields& fields);
  void writeSharedFields(record::FieldWriter& out, bool localZip64) const;
  // Directory and file name from the stored bytes; no comment loaded, read marks cleared.
  void takeStoredName(std::string stored, SystemName name, const StoredNameRules& rules);
  // The stored name as header bytes; raises when it does not fit its 16-bit length.
  std::string storedName(const StoredNameRules& rules) const;

  std::string fileName_;
  std::string directory_;
  std::optional<std::string> fileComment_;
  std::optional<std::string> nameAsRead_; // the stored bytes of the last header read
  // The central header's 64-bit values: as last read, or set for writing.
  Zip64EntryValues zip64_;
  // The other extra fields: copied from a read (central) or set for writing.
  std::string localExtra_;
  std::string centralExtra_;
  bool keepNameAsRead_ = false;
  bool nameSpelled_ = true;
  enum class LocalZip64 { None, Written, Copied };
  LocalZip64 localZip64_ = LocalZip64::None;
  // The 64-bit field that follows the central header's name: the values whose classic fields
  // hold the marker.
  std::string centralZip64Extra() const;
  // Raises "version needed" to 4.5 for an entry that uses the 64-bit fields.
  void needZip64Version();
};

} // namespace larkspur::zip
