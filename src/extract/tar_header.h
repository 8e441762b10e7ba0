// One 512-byte tar header block: its fields decoded (octal or base-256 numbers, names bounded
// by their fields), its checksum verified, and pax extended-header records parsed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace larkspur::extract {

class ETarError : public larkspur::Error {
public:
  using larkspur::Error::Error;
};

inline constexpr std::size_t kTarBlock = 512;
using TarBlock = std::array<std::uint8_t, kTarBlock>;

struct TarHeaderFields {
  std::string name;     // prefix "/" name for ustar, else name alone
  std::string linkName; // target of a link
  std::uint32_t mode = 0;
  std::uint64_t size = 0;
  std::int64_t mtime = 0;
  char type = '0';
};

// Whether the block is all zeros (the archive's end marker).
bool isZeroBlock(const TarBlock& block);
// Decodes a header; throws ETarError when its checksum or a numeric field is invalid.
TarHeaderFields parseTarHeader(const TarBlock& block);

// The records of a pax extended header that change the next entry.
struct PaxOverrides {
  std::optional<std::string> path;
  std::optional<std::string> linkPath;
  std::optional<std::uint64_t> size;
  std::optional<std::int64_t> mtime;
};
// Parses "LENGTH key=value\n" records; throws ETarError when a record is malformed.
PaxOverrides parsePaxRecords(std::string_view data);

} // namespace larkspur::extract
