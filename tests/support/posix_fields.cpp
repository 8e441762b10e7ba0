// Re-lays a single-file archive without the POSIX fields, header by header.
#include "support/posix_fields.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace larkspur::test {

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::uint16_t kTimestampId = 0x5455;
constexpr std::uint16_t kDataDescriptorFlag = 0x0008;

[[noreturn]] void refuse(const std::string& why) {
  throw std::runtime_error("withoutPosixFields: " + why);
}

std::uint32_t get(std::string_view bytes, std::size_t at, int width) {
  if (at + static_cast<std::size_t>(width) > bytes.size())
    refuse("a record runs past the end");
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

void put(std::string& bytes, std::size_t at, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i)
    bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

// The extra block with every 0x5455 field taken out.
std::string withoutTimestamp(std::string_view extra) {
  std::string kept;
  std::size_t at = 0;
  while (at + 4 <= extra.size()) {
    const std::uint32_t id = get(extra, at, 2);
    const std::size_t size = get(extra, at + 2, 2);
    if (at + 4 + size > extra.size())
      refuse("an extra field runs past its block");
    if (id != kTimestampId)
      kept.append(extra.substr(at, 4 + size));
    at += 4 + size;
  }
  if (at != extra.size())
    refuse("trailing bytes in an extra block");
  return kept;
}

// A header of `fixedSize` bytes followed by name, extra (and comment), the extra block without
// the timestamp field and its length field (at `extraLengthAt`) set to match.
std::string strippedHeader(std::string_view archive, std::size_t at, std::size_t fixedSize,
                           std::size_t nameLength, std::size_t extraLength,
                           std::size_t commentLength, std::size_t extraLengthAt) {
  const std::size_t extraAt = at + fixedSize + nameLength;
  if (extraAt + extraLength + commentLength > archive.size())
    refuse("a header runs past the end");
  const std::string extra = withoutTimestamp(archive.substr(extraAt, extraLength));
  std::string header(archive.substr(at, fixedSize + nameLength));
  put(header, extraLengthAt, static_cast<std::uint32_t>(extra.size()), 2);
  header += extra;
  header.append(archive.substr(extraAt + extraLength, commentLength));
  return header;
}

} // namespace

std::string withoutPosixFields(std::string_view archive) {
  if (archive.size() < kEndSize)
    refuse("too short for an end record");
  const std::size_t endAt = archive.size() - kEndSize;
  if (get(archive, endAt, 4) != kEndSignature)
    refuse("no end record without a comment at the end");
  const std::size_t count = get(archive, endAt + 10, 2);
  const std::size_t directoryAt = get(archive, endAt + 16, 4);

  std::string entries;
  std::string directory;
  std::size_t localAt = 0;
  std::size_t centralAt = directoryAt;
  for (std::size_t i = 0; i < count; ++i) {
    if (get(archive, centralAt, 4) != kCentralSignature)
      refuse("a central header is missing");
    const std::size_t nameLength = get(archive, centralAt + 28, 2);
    const std::size_t extraLength = get(archive, centralAt + 30, 2);
    const std::size_t commentLength = get(archive, centralAt + 32, 2);
    if (get(archive, centralAt + 42, 4) != localAt)
      refuse("the entries do not follow each other from the start");
    if (get(archive, localAt, 4) != kLocalSignature)
      refuse("a local header is missing");
    if (get(archive, localAt + 6, 2) & kDataDescriptorFlag)
      refuse("an entry with a data descriptor");
    const std::size_t localNameLength = get(archive, localAt + 26, 2);
    const std::size_t localExtraLength = get(archive, localAt + 28, 2);
    const std::size_t dataSize = get(archive, localAt + 18, 4);

    std::string central = strippedHeader(archive, centralAt, kCentralSize, nameLength, extraLength,
                                         commentLength, 30);
    central[5] = 0;         // the host byte of "made by"
    put(central, 40, 0, 2); // the mode in the external attributes' high half
    put(central, 42, static_cast<std::uint32_t>(entries.size()), 4);
    directory += central;

    entries +=
        strippedHeader(archive, localAt, kLocalSize, localNameLength, localExtraLength, 0, 28);
    const std::size_t dataAt = localAt + kLocalSize + localNameLength + localExtraLength;
    if (dataAt + dataSize > archive.size())
      refuse("entry data runs past the end");
    entries.append(archive.substr(dataAt, dataSize));
    localAt = dataAt + dataSize;
    centralAt += kCentralSize + nameLength + extraLength + commentLength;
  }
  if (localAt != directoryAt || centralAt != endAt)
    refuse("bytes between the entries, the directory and the end record");

  std::string end(archive.substr(endAt));
  put(end, 12, static_cast<std::uint32_t>(directory.size()), 4);
  put(end, 16, static_cast<std::uint32_t>(entries.size()), 4);
  return entries + directory + end;
}

} // namespace larkspur::test
