// Reading stored names: the Unicode path field, the UTF-8 flag, the host and the code pages.
#include "zip/format/entry_name.h"

#include "deflate/crc32.h"
#include "platform/target_files.h"
#include "zip/format/record_bytes.h"
#include "zip/format/zip_signatures.h"

namespace larkspur::zip {

namespace {

// The host system is the high byte of "version made by".
constexpr int kHostShift = 8;
constexpr std::uint16_t kHostMsDos = 0;
constexpr std::uint16_t kHostUnix = 3;
// An extra field's id and data size; the Unicode path field's version byte and name CRC.
constexpr std::size_t kFieldHeaderSize = 4;
constexpr std::size_t kUnicodePathHeadSize = 5;

std::uint32_t crcOf(std::string_view bytes) {
  return deflate::update_crc(deflate::kCrcPreset,
                             reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()) ^
         deflate::kCrcPreset;
}

// The byte length of the UTF-8 sequence that starts with `lead`; 0 for a byte no sequence
// starts with.
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    return 2;
  if (lead >= 0xE0 && lead <= 0xEF)
    return 3;
  if (lead >= 0xF0 && lead <= 0xF4)
    return 4;
  return 0;
}

// A UTF-8 name as the system spells it, or its stand-in with '?' for what it cannot spell.
SystemName fromUtf8(const std::string& utf8, const StoredNameRules& rules) {
  if (auto spelled = rules.fromUtf8(utf8))
    return {std::move(*spelled)};
  SystemName standIn{std::string(), false};
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t length = sequenceLength(static_cast<unsigned char>(utf8[i]));
    if (length == 0 || length > utf8.size() - i)
      length = 1;
    const auto one = rules.fromUtf8(utf8.substr(i, length));
    standIn.text += one ? *one : std::string("?");
    i += length;
  }
  return standIn;
}

} // namespace

std::optional<std::string> UnicodePathName(std::string_view extra, std::string_view stored) {
  std::size_t at = 0;
  while (extra.size() - at >= kFieldHeaderSize) {
    record::FieldReader head(reinterpret_cast<const unsigned char*>(extra.data() + at));
    const std::uint16_t id = head.u16();
    const std::size_t size = head.u16();
    at += kFieldHeaderSize;
    if (size > extra.size() - at)
      return std::nullopt; // the block ends inside this field
    if (id == kUnicodePathId && size >= kUnicodePathHeadSize) {
      const auto* data = reinterpret_cast<const unsigned char*>(extra.data() + at);
      record::FieldReader field(data + 1);
      const std::uint32_t nameCrc = field.u32();
      const std::string_view name =
          extra.substr(at + kUnicodePathHeadSize, size - kUnicodePathHeadSize);
      if (data[0] == kUnicodePathVersion && nameCrc == crcOf(stored) &&
          platform::isValidUtf8(name)) {
        return std::string(name);
      }
      return std::nullopt;
    }
    at += size;
  }
  return std::nullopt;
}

SystemName SystemEntryName(std::string_view stored, std::uint16_t flags,
                           std::uint16_t versionMadeBy, std::string_view extra,
                           const StoredNameRules& rules) {
  if (auto unicode = UnicodePathName(extra, stored))
    return fromUtf8(*unicode, rules);
  const std::string name(stored);
  if (flags & kFlagUtf8Name)
    return fromUtf8(name, rules);
  const int host = versionMadeBy >> kHostShift;
  // Unix tools store the bytes of the file name, which nowadays are UTF-8.
  if (host == kHostUnix && platform::isValidUtf8(name))
    return fromUtf8(name, rules);
  if (host == kHostMsDos || rules.namesAreUtf8)
    return {rules.toAnsi(name)};
  return {name};
}

} // namespace larkspur::zip
