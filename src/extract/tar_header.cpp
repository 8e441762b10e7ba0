// Field decoding of tar headers (POSIX ustar, GNU and old formats) and pax records.
#include "extract/tar_header.h"

#include <algorithm>
#include <cstring>

namespace larkspur::extract {
namespace {

// Offsets and widths of the header fields.
struct Field {
  std::size_t offset;
  std::size_t width;
};
constexpr Field kName{0, 100};
constexpr Field kMode{100, 8};
constexpr Field kSize{124, 12};
constexpr Field kMtime{136, 12};
constexpr Field kChecksum{148, 8};
constexpr std::size_t kTypeOffset = 156;
constexpr Field kLinkName{157, 100};
constexpr Field kMagic{257, 6};
constexpr Field kPrefix{345, 155};
static_assert(kPrefix.offset + kPrefix.width <= kTarBlock);

std::string text(const TarBlock& block, Field field) {
  const char* start = reinterpret_cast<const char*>(block.data()) + field.offset;
  return std::string(start, std::find(start, start + field.width, '\0'));
}

// An octal number padded with spaces or zeros, or (GNU and star) a base-256 number flagged by
// the high bit of the first byte. Values that do not fit 63 bits are refused.
std::uint64_t number(const TarBlock& block, Field field, const char* what) {
  const std::uint8_t* p = block.data() + field.offset;
  const std::uint8_t* end = p + field.width;
  std::uint64_t value = 0;
  const auto bad = [&]() {
    return ETarError(std::string("Tar header has an invalid ") + what + " field");
  };
  if (*p & 0x80) {
    if (*p & 0x40)
      throw bad(); // negative
    value = *p++ & 0x3F;
    for (; p < end; ++p) {
      if (value >> 55)
        throw bad();
      value = value << 8 | *p;
    }
    return value;
  }
  while (p < end && (*p == ' ' || *p == '0'))
    ++p;
  for (; p < end && *p >= '0' && *p <= '7'; ++p) {
    if (value >> 60)
      throw bad();
    value = value << 3 | unsigned(*p - '0');
  }
  for (; p < end; ++p)
    if (*p != ' ' && *p != '\0')
      throw bad();
  return value;
}

} // namespace

bool isZeroBlock(const TarBlock& block) {
  return std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0; });
}

TarHeaderFields parseTarHeader(const TarBlock& block) {
  // The checksum counts the checksum field as eight spaces; old writers summed signed bytes.
  std::uint64_t unsignedSum = 0;
  std::int64_t signedSum = 0;
  for (std::size_t i = 0; i < kTarBlock; ++i) {
    const bool inField = i >= kChecksum.offset && i < kChecksum.offset + kChecksum.width;
    const std::uint8_t b = inField ? ' ' : block[i];
    unsignedSum += b;
    signedSum += std::int8_t(b);
  }
  const std::uint64_t stored = number(block, kChecksum, "checksum");
  if (stored != unsignedSum && std::int64_t(stored) != signedSum)
    throw ETarError("Tar header checksum does not match: the archive is damaged or not a tar");

  TarHeaderFields fields;
  fields.type = char(block[kTypeOffset]);
  fields.name = text(block, kName);
  fields.linkName = text(block, kLinkName);
  fields.mode = std::uint32_t(number(block, kMode, "mode") & 07777);
  fields.size = number(block, kSize, "size");
  fields.mtime = std::int64_t(number(block, kMtime, "modification time"));
  // POSIX ustar keeps a path prefix; GNU's "ustar  " uses that area for other fields.
  if (std::memcmp(block.data() + kMagic.offset, "ustar", 6) == 0) {
    const std::string prefix = text(block, kPrefix);
    if (!prefix.empty())
      fields.name = prefix + "/" + fields.name;
  }
  return fields;
}

PaxOverrides parsePaxRecords(std::string_view data) {
  PaxOverrides result;
  while (!data.empty()) {
    // "LENGTH key=value\n", LENGTH counting the whole record in decimal.
    std::size_t length = 0, digits = 0;
    while (digits < data.size() && digits < 10 && data[digits] >= '0' && data[digits] <= '9')
      length = length * 10 + std::size_t(data[digits++] - '0');
    if (digits == 0 || length <= digits + 1 || length > data.size() || data[digits] != ' ' ||
        data[length - 1] != '\n')
      throw ETarError("Tar archive has a malformed pax extended header");
    const std::string_view record = data.substr(digits + 1, length - digits - 2);
    data.remove_prefix(length);
    const std::size_t equals = record.find('=');
    if (equals == std::string_view::npos)
      throw ETarError("Tar archive has a malformed pax extended header");
    const std::string_view key = record.substr(0, equals);
    const std::string_view value = record.substr(equals + 1);
    const auto decimal = [&](std::string_view digitsText) {
      std::uint64_t v = 0;
      if (digitsText.empty() || digitsText.size() > 18)
        throw ETarError("Tar archive has a malformed pax number");
      for (const char c : digitsText) {
        if (c < '0' || c > '9')
          throw ETarError("Tar archive has a malformed pax number");
        v = v * 10 + unsigned(c - '0');
      }
      return v;
    };
    if (key == "path")
      result.path = std::string(value);
    else if (key == "linkpath")
      result.linkPath = std::string(value);
    else if (key == "size")
      result.size = decimal(value);
    else if (key == "mtime" && !value.empty() && value[0] != '-')
      result.mtime = std::int64_t(decimal(value.substr(0, value.find('.'))));
  }
  return result;
}

} // namespace larkspur::extract
