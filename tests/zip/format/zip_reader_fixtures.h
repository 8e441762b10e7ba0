// Archive bytes made to measure for the reader tests: local and central headers, end records
// and whole single-file archives, each field settable, so damaged and hostile layouts are easy
// to state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace larkspur::test::zipbytes {

inline void put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

inline std::uint32_t crc32(const std::string& data) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (unsigned char byte : data) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

// 2021-06-15 12:30:10 as a DOS date/time.
inline constexpr std::uint32_t kSampleDosTime =
    ((2021 - 1980) << 25) | (6 << 21) | (15 << 16) | (12 << 11) | (30 << 5) | 5;

struct Entry {
  std::string name; // stored form, "/" separators
  std::string data; // stored as is (method 0 unless `method` says otherwise)
  std::string localExtra;
  std::string centralExtra;
  std::string comment;
  std::uint16_t method = 0;
  std::uint16_t flags = 0;
  std::uint16_t versionMadeBy = 20;
  std::uint16_t versionNeeded = 20;
  std::uint32_t dosTime = kSampleDosTime;
  std::uint16_t disk = 0;
  // Filled in by the builders: where the local header went.
  std::uint32_t offset = 0;
};

// The fields both headers share, from the version needed to the name length.
inline void putSharedFields(std::string& out, const Entry& e) {
  put16(out, e.versionNeeded);
  put16(out, e.flags);
  put16(out, e.method);
  put32(out, e.dosTime);
  put32(out, crc32(e.data));
  put32(out, static_cast<std::uint32_t>(e.data.size()));
  put32(out, static_cast<std::uint32_t>(e.data.size()));
  put16(out, static_cast<std::uint32_t>(e.name.size()));
}

inline std::string localHeader(const Entry& e) {
  std::string out;
  put32(out, 0x04034B50);
  putSharedFields(out, e);
  put16(out, static_cast<std::uint32_t>(e.localExtra.size()));
  return out + e.name + e.localExtra;
}

inline std::string centralHeader(const Entry& e) {
  std::string out;
  put32(out, 0x02014B50);
  put16(out, e.versionMadeBy);
  putSharedFields(out, e);
  put16(out, static_cast<std::uint32_t>(e.centralExtra.size()));
  put16(out, static_cast<std::uint32_t>(e.comment.size()));
  put16(out, e.disk);
  put16(out, 0);    // internal attributes
  put32(out, 0x20); // external attributes: archive
  put32(out, e.offset);
  return out + e.name + e.centralExtra + e.comment;
}

struct End {
  std::uint16_t thisDisk = 0;
  std::uint16_t centralStartDisk = 0;
  std::uint16_t entriesOnThisDisk = 0;
  std::uint16_t totalEntries = 0;
  std::uint32_t centralSize = 0;
  std::uint32_t centralOffset = 0;
  std::string comment;
  // The comment length as stored; -1: the comment's own length.
  int commentLength = -1;
};

inline std::string endRecord(const End& e) {
  std::string out;
  put32(out, 0x06054B50);
  put16(out, e.thisDisk);
  put16(out, e.centralStartDisk);
  put16(out, e.entriesOnThisDisk);
  put16(out, e.totalEntries);
  put32(out, e.centralSize);
  put32(out, e.centralOffset);
  put16(out, static_cast<std::uint32_t>(e.commentLength < 0 ? static_cast<int>(e.comment.size())
                                                            : e.commentLength));
  return out + e.comment;
}

// Where the parts of a single-file archive begin.
struct Layout {
  std::uint32_t centralOffset = 0;
  std::uint32_t endOffset = 0;
};

// A whole single-file archive: local entries, central directory, end record. `prefix` comes
// first and counts in the offsets.
inline std::string archive(std::vector<Entry>& entries, const std::string& archiveComment = {},
                           const std::string& prefix = {}, Layout* layout = nullptr) {
  std::string out = prefix;
  for (Entry& e : entries) {
    e.offset = static_cast<std::uint32_t>(out.size());
    out += localHeader(e) + e.data;
  }
  const auto central = static_cast<std::uint32_t>(out.size());
  for (const Entry& e : entries)
    out += centralHeader(e);
  End end;
  end.entriesOnThisDisk = end.totalEntries = static_cast<std::uint16_t>(entries.size());
  end.centralSize = static_cast<std::uint32_t>(out.size()) - central;
  end.centralOffset = central;
  end.comment = archiveComment;
  if (layout)
    *layout = {central, static_cast<std::uint32_t>(out.size())};
  return out + endRecord(end);
}

// Three plain entries, one of them in a folder and one with a comment.
inline std::vector<Entry> sampleEntries() {
  std::vector<Entry> entries(3);
  entries[0].name = "alpha.txt";
  entries[0].data = "first entry's data";
  entries[1].name = "docs/beta.txt";
  entries[1].data = std::string(300, 'b');
  entries[1].comment = "beta's comment";
  entries[2].name = "docs/gamma.bin";
  entries[2].data = "\x01\x02\x03";
  return entries;
}

} // namespace larkspur::test::zipbytes
