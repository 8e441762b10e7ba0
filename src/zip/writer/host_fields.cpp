// The Unix "made by", mode and extended timestamp of a new entry.
#include "zip/writer/host_fields.h"

#include <limits>

#include "platform/unix_stamp.h"
#include "zip/format/record_bytes.h"

namespace larkspur::zip {

namespace {

// The field's time is a signed 32-bit count of seconds; other times are left to the DOS field.
bool fitsTimestamp(std::int64_t seconds) {
  return seconds >= std::numeric_limits<std::int32_t>::min() &&
         seconds <= std::numeric_limits<std::int32_t>::max();
}

} // namespace

std::string ExtendedTimestampField(std::int64_t modified) {
  constexpr std::uint16_t kDataSize = 5; // the flags byte and one time
  record::FieldWriter out;
  out.u16(kExtendedTimestampId);
  out.u16(kDataSize);
  out.bytes(std::string(1, static_cast<char>(kTimestampHasModified)));
  out.i32(static_cast<std::int32_t>(modified));
  return out.data();
}

void AddHostFields(TZipHeaderInfo& header, const std::string& spec, bool withUtcTime) {
  const auto stamp = platform::unixStamp(spec);
  if (!stamp)
    return;
  // The version stays; only the host byte changes, and the DOS bits stay in the low byte.
  header.VersionMadeBy =
      static_cast<std::uint16_t>(kHostUnix << kHostShift | (header.VersionMadeBy & 0xFF));
  header.ExternalAttributes =
      (stamp->mode << kUnixModeShift) | (header.ExternalAttributes & 0xFFFF);
  if (withUtcTime && fitsTimestamp(stamp->modified)) {
    const std::string field = ExtendedTimestampField(stamp->modified);
    header.SetLocalExtra(field);
    header.SetCentralExtra(field);
  }
}

} // namespace larkspur::zip
