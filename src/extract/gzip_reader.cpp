// gzip member headers and trailers around the inflater.
#include "extract/gzip_reader.h"

#include <algorithm>

#include "deflate/crc32.h"

namespace larkspur::extract {
namespace {

constexpr std::size_t kInputBuffer = 64 * 1024;
constexpr std::uint8_t kMagic1 = 0x1F;
constexpr std::uint8_t kMagic2 = 0x8B;
constexpr std::uint8_t kMethodDeflate = 8;
constexpr std::uint8_t kFlagText = 0x01;
constexpr std::uint8_t kFlagHeaderCrc = 0x02;
constexpr std::uint8_t kFlagExtra = 0x04;
constexpr std::uint8_t kFlagName = 0x08;
constexpr std::uint8_t kFlagComment = 0x10;
constexpr std::uint8_t kReservedFlags = 0xE0;
// A name or comment longer than this is not a name but damage (or an attempt to exhaust memory).
constexpr std::size_t kMaxHeaderText = 64 * 1024;

std::uint32_t crcOf(std::uint32_t crc, std::uint8_t byte) {
  return deflate::crc_byte(crc, byte);
}

} // namespace

GzipReader::GzipReader(ByteSource& source) : source_(source), buffer_(kInputBuffer) {
  std::uint8_t first;
  if (!nextByte(first))
    throw EGzipError("Not a gzip file: it is empty");
  --begin_;
  readHeader(first_);
}

bool GzipReader::fill() {
  if (begin_ < end_)
    return true;
  if (sourceEnded_)
    return false;
  begin_ = 0;
  end_ = source_.read(buffer_);
  if (end_ == 0)
    sourceEnded_ = true;
  return end_ != 0;
}

bool GzipReader::nextByte(std::uint8_t& byte) {
  if (!fill())
    return false;
  byte = buffer_[begin_++];
  return true;
}

std::uint8_t GzipReader::headerByte(std::uint32_t& crc) {
  std::uint8_t byte;
  if (!nextByte(byte))
    throw EGzipError("The gzip file is truncated inside a member header");
  crc = crcOf(crc, byte);
  return byte;
}

std::string GzipReader::readZeroTerminated(std::uint32_t& crc, const char* field) {
  std::string text;
  for (std::uint8_t byte; (byte = headerByte(crc)) != 0;) {
    if (text.size() == kMaxHeaderText)
      throw EGzipError(std::string("The gzip header's ") + field + " is too long");
    text.push_back(char(byte));
  }
  return text;
}

void GzipReader::readHeader(GzipMemberInfo& info) {
  std::uint32_t crc = deflate::kCrcPreset;
  const std::uint8_t id1 = headerByte(crc);
  const std::uint8_t id2 = headerByte(crc);
  if (id1 != kMagic1 || id2 != kMagic2)
    throw EGzipError(members_ == 0 ? "Not a gzip file: it does not start with the gzip signature"
                                   : "Unexpected data after the end of the gzip data");
  const std::uint8_t method = headerByte(crc);
  if (method != kMethodDeflate)
    throw EGzipError("The gzip member uses compression method " + std::to_string(method) +
                     ", which is not supported");
  const std::uint8_t flags = headerByte(crc);
  if (flags & kReservedFlags)
    throw EGzipError("The gzip header sets reserved flags");
  info.mtime = 0;
  for (int i = 0; i < 4; ++i)
    info.mtime |= std::uint32_t(headerByte(crc)) << (8 * i);
  headerByte(crc); // extra flags: a hint about the compression level
  info.system = headerByte(crc);
  info.text = (flags & kFlagText) != 0;
  if (flags & kFlagExtra) {
    unsigned length = headerByte(crc);
    length |= unsigned(headerByte(crc)) << 8;
    while (length-- != 0)
      headerByte(crc);
  }
  info.name = flags & kFlagName ? readZeroTerminated(crc, "file name") : std::string();
  info.comment = flags & kFlagComment ? readZeroTerminated(crc, "comment") : std::string();
  if (flags & kFlagHeaderCrc) {
    const std::uint32_t expected = ~crc & 0xFFFF;
    unsigned stored = headerByte(crc);
    stored |= unsigned(headerByte(crc)) << 8;
    if (stored != expected)
      throw EGzipError("The gzip header's checksum does not match the header");
  }
  ++members_;
  inflater_.reset();
  crc_ = deflate::kCrcPreset;
  size_ = 0;
  phase_ = Phase::Data;
}

std::size_t GzipReader::read(std::span<std::uint8_t> into) {
  while (!into.empty()) {
    switch (phase_) {
    case Phase::Data: {
      fill();
      const inflate::InflateStep step = inflater_.inflate(
          std::span(buffer_).subspan(begin_, end_ - begin_), into, sourceEnded_ || begin_ == end_);
      begin_ += step.consumed;
      crc_ = deflate::update_crc(crc_, into.data(), step.produced);
      size_ += std::uint32_t(step.produced);
      if (step.finished)
        phase_ = Phase::Trailer;
      if (step.produced != 0)
        return step.produced;
      break;
    }
    case Phase::Trailer:
      checkTrailer();
      afterMember();
      break;
    case Phase::NextMember: {
      GzipMemberInfo next;
      readHeader(next);
      break;
    }
    case Phase::End:
      return 0;
    }
  }
  return 0;
}

void GzipReader::checkTrailer() {
  std::uint8_t bytes[8];
  for (std::uint8_t& byte : bytes)
    if (!nextByte(byte))
      throw EGzipError("The gzip file is truncated inside a member trailer");
  const auto le32 = [&](int at) {
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
           std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
  };
  if (le32(0) != ~crc_)
    throw EGzipError("The gzip data does not match its CRC-32: the file is damaged");
  if (le32(4) != size_)
    throw EGzipError("The gzip data does not have the size its trailer records");
}

// Another member, the end, or zeros that pad the file to a block size (tape and some tools do
// this; gzip ignores them too). Anything else after a member is refused, not silently dropped.
void GzipReader::afterMember() {
  std::uint8_t byte;
  if (!fill()) {
    phase_ = Phase::End;
    return;
  }
  if (buffer_[begin_] != 0) {
    phase_ = Phase::NextMember;
    return;
  }
  while (nextByte(byte))
    if (byte != 0)
      throw EGzipError("Unexpected data after the end of the gzip data");
  phase_ = Phase::End;
}

} // namespace larkspur::extract
