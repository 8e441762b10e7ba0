// The local-header scan: one pass over the bytes, a partial signature match restarting at any
// byte that breaks it, the version check after a full match.
#include "zip/format/local_header_scan.h"

#include <array>
#include <cstdint>

#include "zip/format/zip_signatures.h"

namespace larkspur::zip {

namespace {

constexpr std::array<std::uint8_t, 4> kSignature = {
    kLocalHeaderSignature & 0xFF, (kLocalHeaderSignature >> 8) & 0xFF,
    (kLocalHeaderSignature >> 16) & 0xFF, kLocalHeaderSignature >> 24};
// Read ahead in pieces; the stream's own buffer makes this as cheap as byte-wise reading.
constexpr int kChunk = 4096;
// The signature plus the two bytes of the version needed to extract.
constexpr int kMatchLength = 6;

} // namespace

bool ScanForLocalHeader(TStream& stream, const std::function<void()>& pump) {
  std::array<std::uint8_t, kChunk> chunk{};
  std::int64_t position = stream.Position();
  int matched = 0; // signature bytes matched, then 4 + version bytes seen
  int quiet = 0;
  for (;;) {
    const std::int64_t count = stream.Read(chunk.data(), kChunk);
    if (count <= 0)
      return false;
    for (std::int64_t k = 0; k < count; ++k, ++position) {
      const std::uint8_t byte = chunk[static_cast<std::size_t>(k)];
      if (byte != kSignature[0] && ++quiet == kScanPumpInterval) {
        quiet = 0;
        if (pump)
          pump();
      }
      if (matched == 4) {
        matched = 5; // low byte of the version: any value
      } else if (matched == 5) {
        if (byte <= kScanLargestVersionHighByte) {
          stream.Seek(position - (kMatchLength - 1), soBeginning);
          return true;
        }
        matched = 0; // not a header: the scan goes on after the version
      } else if (byte == kSignature[static_cast<std::size_t>(matched)]) {
        ++matched;
      } else {
        matched = byte == kSignature[0] ? 1 : 0;
      }
    }
  }
}

} // namespace larkspur::zip
