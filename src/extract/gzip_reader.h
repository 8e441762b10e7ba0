// Reads a gzip file (RFC 1952): one member or several one after another, each header checked,
// each member's data through our inflater with its CRC-32 and size trailer verified. The
// decompressed bytes of all members are one stream, as gzip itself produces them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "extract/byte_source.h"
#include "inflate/inflater.h"
#include "platform/error.h"

namespace larkspur::extract {

class EGzipError : public larkspur::Error {
public:
  using larkspur::Error::Error;
};

// The header fields of a member that matter to whoever extracts it.
struct GzipMemberInfo {
  std::string name;        // FNAME as stored (ISO 8859-1 by the format; bytes kept); may be empty
  std::string comment;     // FCOMMENT as stored
  std::uint32_t mtime = 0; // seconds since 1970, 0 when unknown
  std::uint8_t system = 0; // OS field
  bool text = false;       // FTEXT
};

// A ByteSource itself, so a tar reader can read through it (.tar.gz).
class GzipReader : public ByteSource {
public:
  // Reads the first member's header at once: throws EGzipError when the source is not gzip.
  explicit GzipReader(ByteSource& source);

  // The first member's header (the name a ".gz" extracts to when it has one).
  const GzipMemberInfo& firstMember() const { return first_; }
  // Members whose header was read so far.
  std::size_t membersSeen() const { return members_; }

  // Decompressed bytes; 0 once every member was read and checked. Throws EGzipError (or
  // inflate::EInflateError for damaged compressed data) on anything wrong.
  std::size_t read(std::span<std::uint8_t> into) override;

private:
  enum class Phase { Data, Trailer, NextMember, End };

  bool fill();
  bool nextByte(std::uint8_t& byte);
  std::uint8_t headerByte(std::uint32_t& crc);
  void readHeader(GzipMemberInfo& info);
  std::string readZeroTerminated(std::uint32_t& crc, const char* field);
  void checkTrailer();
  void afterMember();

  ByteSource& source_;
  std::vector<std::uint8_t> buffer_;
  std::size_t begin_ = 0; // unread input is buffer_[begin_, end_)
  std::size_t end_ = 0;
  bool sourceEnded_ = false;
  inflate::Inflater inflater_;
  Phase phase_ = Phase::Data;
  std::uint32_t crc_ = 0;
  std::uint32_t size_ = 0; // modulo 2^32, like ISIZE
  std::size_t members_ = 0;
  GzipMemberInfo first_;
};

} // namespace larkspur::extract
