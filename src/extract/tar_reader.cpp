// The walk over a tar archive's headers, metadata records and data blocks.
#include "extract/tar_reader.h"

#include <algorithm>

namespace larkspur::extract {
namespace {

constexpr std::size_t kScratch = 64 * 1024;
// GNU long names and pax headers are read into memory: more than this is damage or an attack.
constexpr std::uint64_t kMaxLongName = 64 * 1024;
constexpr std::uint64_t kMaxPaxHeader = 1024 * 1024;

std::uint64_t paddingFor(std::uint64_t size) {
  return (kTarBlock - size % kTarBlock) % kTarBlock;
}

// Types after which no data blocks follow whatever the size field says.
bool hasNoData(char type) {
  return type == '1' || type == '2' || type == '3' || type == '4' || type == '5' || type == '6';
}

std::string skipReasonFor(char type, const std::string& link) {
  switch (type) {
  case '1':
    return "hard link to \"" + link + "\" is not extracted";
  case '2':
    return "symbolic link to \"" + link + "\" is not extracted";
  case '3':
    return "character device is not extracted";
  case '4':
    return "block device is not extracted";
  case '6':
    return "named pipe is not extracted";
  default:
    if (type >= 0x20 && type < 0x7F)
      return std::string("entry type '") + type + "' is not supported";
    return "entry type " + std::to_string(unsigned(std::uint8_t(type))) + " is not supported";
  }
}

} // namespace

TarReader::TarReader(ByteSource& source) : source_(source), scratch_(kScratch) {}

void TarReader::readExactly(std::span<std::uint8_t> into) {
  while (!into.empty()) {
    const std::size_t n = source_.read(into);
    if (n == 0)
      throw ETarError("The tar archive is truncated");
    into = into.subspan(n);
  }
}

void TarReader::skip(std::uint64_t count) {
  while (count != 0) {
    const std::size_t n = std::size_t(std::min<std::uint64_t>(count, scratch_.size()));
    readExactly(std::span(scratch_).first(n));
    count -= n;
  }
}

// A header block, or false at the end of the data before any byte of one.
bool TarReader::readBlock(TarBlock& block) {
  std::size_t have = 0;
  while (have < block.size()) {
    const std::size_t n = source_.read(std::span(block).subspan(have));
    if (n == 0) {
      if (have == 0)
        return false;
      throw ETarError("The tar archive is truncated");
    }
    have += n;
  }
  return true;
}

std::string TarReader::readMetadata(const TarHeaderFields& header, std::uint64_t limit) {
  if (header.size > limit)
    throw ETarError("The tar archive has an oversized long name or pax header");
  std::string data(std::size_t(header.size), '\0');
  readExactly(std::span(reinterpret_cast<std::uint8_t*>(data.data()), data.size()));
  skip(paddingFor(header.size));
  return data;
}

bool TarReader::next(TarEntry& entry) {
  if (ended_)
    return false;
  skip(dataLeft_ + paddingLeft_);
  dataLeft_ = paddingLeft_ = 0;
  fileData_ = false;

  std::optional<std::string> longName, longLink;
  PaxOverrides pax;
  for (TarBlock block;;) {
    if (!readBlock(block))
      throw ETarError("The tar archive ends without its end-of-archive marker");
    if (isZeroBlock(block)) {
      // What follows the marker (its second block, record padding) is not part of the archive,
      // but it is read to the end: a gzip around the tar checks its CRC and size only there.
      ended_ = true;
      while (source_.read(scratch_) != 0) {
      }
      return false;
    }
    const TarHeaderFields header = parseTarHeader(block);
    switch (header.type) {
    case 'L': {
      std::string name = readMetadata(header, kMaxLongName);
      longName = name.substr(0, name.find('\0'));
      continue;
    }
    case 'K': {
      std::string name = readMetadata(header, kMaxLongName);
      longLink = name.substr(0, name.find('\0'));
      continue;
    }
    case 'x':
      pax = parsePaxRecords(readMetadata(header, kMaxPaxHeader));
      continue;
    case 'g': // global defaults (comments, charset): nothing an extraction depends on
      skip(header.size + paddingFor(header.size));
      continue;
    default:
      break;
    }

    entry = TarEntry{};
    entry.typeFlag = header.type;
    entry.name = pax.path ? *pax.path : longName ? *longName : header.name;
    entry.mode = header.mode;
    entry.mtime = pax.mtime ? *pax.mtime : header.mtime;
    const std::uint64_t size = hasNoData(header.type) ? 0 : pax.size ? *pax.size : header.size;
    const std::string link = pax.linkPath ? *pax.linkPath : longLink ? *longLink : header.linkName;
    if (header.type == '0' || header.type == '\0' || header.type == '7') {
      entry.type = TarEntryType::File;
      entry.size = size;
      dataLeft_ = size;
    } else if (header.type == '5') {
      entry.type = TarEntryType::Directory;
    } else {
      entry.type = TarEntryType::Skipped;
      entry.skipReason = skipReasonFor(header.type, link);
      dataLeft_ = size; // skipped with the next call
    }
    if (entry.name.empty() && entry.type != TarEntryType::Skipped) {
      entry.type = TarEntryType::Skipped;
      entry.skipReason = "entry has no name";
      entry.size = 0;
    }
    paddingLeft_ = paddingFor(size);
    fileData_ = entry.type == TarEntryType::File;
    return true;
  }
}

std::size_t TarReader::read(std::span<std::uint8_t> into) {
  const std::size_t wanted =
      fileData_ ? std::size_t(std::min<std::uint64_t>(into.size(), dataLeft_)) : 0;
  if (wanted == 0)
    return 0;
  const std::size_t n = source_.read(into.first(wanted));
  if (n == 0)
    throw ETarError("The tar archive is truncated");
  dataLeft_ -= n;
  return n;
}

} // namespace larkspur::extract
