// Kept entries copied raw in stored order, matched ones replaced by newer files at their place.
#include "zip/writer/carry_over.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/local_header_check.h"
#include "zip/format/reader_texts.h"
#include "zip/format/record_bytes.h"
#include "zip/format/zip_helpers.h"
#include "zip/format/zip_signatures.h"
#include "zip/writer/entry_writer.h"
#include "zip/writer/storage_name.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/zip_output.h"
#include "zip/writer/zip_run.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {

namespace {

// Raw copies move entry data through one buffer of this size.
constexpr std::size_t kCopyBlock = 65536;
// Where the sizes and the name and extra-field lengths sit in a local header.
constexpr int kLocalSizesOffset = 18;
// The optional signature in front of a data descriptor ("PK\7\8").
constexpr std::uint32_t kDataDescriptorSignature = 0x08074B50;

// Whether an extra block holds a 64-bit field: the entry's data descriptor then has 64-bit sizes.
bool hasZip64Field(std::string_view extra) {
  std::size_t at = 0;
  while (extra.size() - at >= 4) {
    record::FieldReader head(reinterpret_cast<const unsigned char*>(extra.data() + at));
    const std::uint16_t id = head.u16();
    const std::uint16_t length = head.u16();
    if (id == kZip64ExtraId)
      return true;
    if (length > extra.size() - at - 4)
      return false;
    at += 4u + length;
  }
  return false;
}

// A large entry takes a while to copy: a cancel is honoured between its blocks.
template <typename CancelCheck>
void copyBytes(TStream& from, TStream& to, std::uint64_t count, std::vector<std::uint8_t>& buffer,
               CancelCheck raiseIfCanceled) {
  buffer.resize(kCopyBlock);
  while (count > 0) {
    raiseIfCanceled();
    const auto n = static_cast<std::int64_t>(std::min<std::uint64_t>(count, buffer.size()));
    from.ReadBuffer(buffer.data(), n);
    to.Write(buffer.data(), n);
    count -= static_cast<std::uint64_t>(n);
  }
}

} // namespace

void CarryOver::Run() {
  if (!writer_.Entries())
    return;
  TSortedZip& entries = *writer_.Entries();
  checkArchiveIntact();

  // A copy: the events fired below may change FilesList, which must not move under the loop.
  std::vector<std::string> files = writer_.FilesList;
  const std::vector<std::size_t> stringFor = assignStrings(files);
  std::vector<bool> used(files.size(), false);

  for (int i = 0; i < entries.ItemCount(); ++i) {
    const TZipHeaderInfo& stored = *entries.Get(i);
    auto header = std::make_unique<TZipHeaderInfo>();
    header->Assign(stored);
    header->KeepNameAsRead();
    if (stored.HasComment() && !stored.FileComment()) {
      header->SetFileComment(writer_.EntryComment(i));
    }

    const std::size_t s = stringFor[static_cast<std::size_t>(i)];
    const bool matched = s != kNoString;
    bool replaceTried = false;
    if (matched) {
      used[s] = true;
      const std::string& spec = files[s];
      if (writer_.ZipAction() == TZipAction::zaReplace || replaces(i, spec)) {
        replaceTried = true;
        if (writer_.OnUpdate)
          writer_.OnUpdate(writer_, TUpdateAction::uaReplace, i);
        auto fresh = std::make_unique<TZipHeaderInfo>();
        run_.SetReplacing(stored.Directory() + stored.FileName());
        const bool written = entries_.ZipOneFile(*fresh, spec);
        run_.SetReplacing({});
        if (written) {
          run_.AddWrittenEntry(std::move(fresh), spec);
          continue;
        }
        // The file could not be zipped after all; the entry it was to replace stays as it is.
      } else if (run_.disposeList && holdsFile(stored, spec)) {
        run_.disposeList->push_back(spec);
      }
    }
    if (matched && !replaceTried && writer_.OnUpdate) {
      writer_.OnUpdate(writer_, TUpdateAction::uaKeep, i);
    }
    run_.CheckRoomForEntry();
    copyEntry(*header, stored);
    run_.AddKeptEntry(std::move(header));
    run_.RaiseIfCanceled();
  }

  std::vector<std::string> rest;
  for (std::size_t k = 0; k < files.size(); ++k) {
    if (!used[k])
      rest.push_back(std::move(files[k]));
  }
  writer_.FilesList = std::move(rest);
}

std::vector<std::size_t> CarryOver::assignStrings(const std::vector<std::string>& files) const {
  const TSortedZip& entries = *writer_.Entries();
  // Entries of one key in stored order; a foreign archive may hold several (A.TXT and a.txt).
  std::unordered_map<std::string, std::vector<int>> entriesOfKey;
  for (int i = 0; i < entries.ItemCount(); ++i) {
    const TZipHeaderInfo& entry = *entries.Get(i);
    entriesOfKey[EntryKey(entry.Directory(), entry.FileName())].push_back(i);
  }
  std::vector<std::size_t> stringFor(static_cast<std::size_t>(entries.ItemCount()), kNoString);
  for (std::size_t s = 0; s < files.size(); ++s) {
    const StoredPath stored = StoredPathOf(files[s], writer_.StoredNameRule());
    const std::string name = stored.directory + stored.fileName;
    const auto found = entriesOfKey.find(paths::LowerCaseAscii(name));
    if (found == entriesOfKey.end() || found->second.empty())
      continue;
    // The entry spelled exactly like the file when there is one, else the first of its key:
    // replacing A.TXT by a.txt would leave two entries named a.txt.
    std::vector<int>& candidates = found->second;
    auto pick = std::find_if(candidates.begin(), candidates.end(), [&](int i) {
      const TZipHeaderInfo& entry = *entries.Get(i);
      return entry.Directory() + entry.FileName() == name;
    });
    if (pick == candidates.end())
      pick = candidates.begin();
    stringFor[static_cast<std::size_t>(*pick)] = s;
    candidates.erase(pick);
  }
  return stringFor;
}

void CarryOver::checkArchiveIntact() {
  // A directory that is not the archive's whole directory would silently drop what it lacks.
  if (!writer_.DirectoryProblem().empty()) {
    throw EDamagedArchive(std::string(writer_text::kArchiveLeftAlone) +
                          writer_text::kDoubtfulDirectory + writer_.DirectoryProblem());
  }
  const auto bad =
      FindUncopyableEntry(*writer_.ArchiveStream(), *writer_.Entries(),
                          static_cast<std::int64_t>(writer_.EndRecord().DirectoryOffset()));
  if (bad) {
    throw EDamagedArchive(std::string(writer_text::kArchiveLeftAlone) +
                          writer_text::kUncopyableEntry1 + bad->name +
                          writer_text::kUncopyableEntry2 + bad->reason);
  }
}

bool CarryOver::holdsFile(const TZipHeaderInfo& entry, const std::string& spec) const {
  // Only a file whose time and size are the entry's is deleted: an older file of the same
  // name (another folder's, with bare names) is not what the archive holds.
  const platform::DirectoryFind find(spec);
  return find.ok() && find.current().dosTime == static_cast<std::uint32_t>(entry.FileDateTime) &&
         find.current().size == entry.Size();
}

bool CarryOver::replaces(int index, const std::string& spec) const {
  return ValidFileTime(spec) > writer_.EntryDateTime(index);
}

void CarryOver::copyEntry(TZipHeaderInfo& header, const TZipHeaderInfo& stored) {
  TStream& in = *writer_.ArchiveStream();
  // Always sought: loading a comment or checking the headers reads elsewhere in between. Where
  // entries follow each other the stream already stands there and keeps its buffer.
  in.Seek(static_cast<std::int64_t>(stored.HeaderOffset()), soBeginning);
  unsigned char local[kLocalHeaderSize];
  record::FieldReader fields(local);
  if (in.Read(local, kLocalHeaderSize) != kLocalHeaderSize ||
      fields.u32() != kLocalHeaderSignature) {
    throw EBadZipFile(reader_text::kNotAValidZip);
  }
  record::FieldReader sizes(local + kLocalSizesOffset);
  const std::uint32_t localPacked = sizes.u32();
  const std::uint32_t localSize = sizes.u32();
  const std::uint16_t nameLength = sizes.u16();
  header.LocalExtraLength = sizes.u16();
  copyBuffer_.resize(std::max<std::size_t>(copyBuffer_.size(), nameLength));
  in.ReadBuffer(copyBuffer_.data(), nameLength); // the old name, read past rather than sought
  std::string extra(header.LocalExtraLength, '\0');
  in.ReadBuffer(extra.data(), header.LocalExtraLength);
  // A local header that sends readers to its 64-bit field keeps doing so: the field comes along
  // with the other extra bytes.
  if (localPacked == kZip64Marker32 || localSize == kZip64Marker32)
    header.SetLocalZip64Sizes(false);
  const bool wideDescriptor = hasZip64Field(extra);
  // The local extra fields as stored go out with the header, byte for byte (and replace any
  // the header held from being written in an earlier run).
  header.SetLocalExtra(std::move(extra));
  EntryData data;
  // The directory's values are the entry's: its local header is final before the copy.
  data.headerFinal = true;
  data.write = [&](TStream& out) {
    copyBytes(in, out, stored.PackedSize(), copyBuffer_, [this] { run_.RaiseIfCanceled(); });
    if (header.HasDataDescriptor()) {
      // The descriptor that the flag announces is written anew from the directory's values, so
      // the entry stays as its flags describe it whatever form the old one had; with 64-bit
      // sizes when the local header has the 64-bit field, as the application note asks.
      record::FieldWriter descriptor;
      descriptor.u32(kDataDescriptorSignature);
      descriptor.u32(header.Crc32);
      if (wideDescriptor) {
        descriptor.u64(header.PackedSize());
        descriptor.u64(header.Size());
      } else {
        descriptor.u32(static_cast<std::uint32_t>(header.PackedSize()));
        descriptor.u32(static_cast<std::uint32_t>(header.Size()));
      }
      out.Write(descriptor.data().data(), static_cast<std::int64_t>(descriptor.data().size()));
    }
  };
  output_.PlaceEntry(header, data);
}

} // namespace larkspur::zip
