// The record signatures and fixed record sizes of the ZIP format, in one place for the header
// readers and writers, the end-record scan and the local-header scan of a damaged archive.
#pragma once

#include <cstdint>

namespace larkspur::zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;   // "PK\3\4"
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50; // "PK\1\2"
inline constexpr std::uint32_t kEndRecordSignature = 0x06054B50;     // "PK\5\6"

// Fixed parts of the records, before the variable name, extra field and comment bytes.
inline constexpr int kLocalHeaderSize = 30;
inline constexpr int kCentralHeaderSize = 46;
inline constexpr int kEndRecordSize = 22;

// The data descriptor a local-header scan steps over: signature, CRC-32 and both sizes.
inline constexpr int kDataDescriptorSize = 16;

// Every variable-length field is announced by a 16-bit length.
inline constexpr int kMaxFieldLength = 0xFFFF;
// The end record is at most this far from the end: its fixed part plus the longest comment.
inline constexpr int kEndRecordSearchSpan = kEndRecordSize + kMaxFieldLength;
static_assert(kEndRecordSearchSpan == 65557);

// General-purpose flag bits the engine looks at.
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8Name = 0x0800;

} // namespace larkspur::zip
