// The format facts the writer builds new entries from, each with its one home: the pack levels,
// the method and internal-attribute codes (the compressor's), and a check block that the values
// the compressor hands back fit the header fields they are copied into.
#pragma once

#include <cstdint>
#include <type_traits>

#include "deflate/deflate.h"
#include "deflate/match_finder.h"
#include "zip/format/zip_header_info.h"
#include "zip/writer/zip_crypto.h"

namespace larkspur::zip::entry_format {

// The compressor's levels run from 1 to this; 0 and below store.
inline constexpr std::int32_t kHighestLevel = deflate::kMaxLevel;
// The method of data kept as it is (a folder, level 0, NoCompressList, or the compressor's own
// choice when the data did not shrink).
inline constexpr std::uint16_t kMethodStored = deflate::kMethodStored;
// Internal attributes: binary for stored data and folders; "not yet classified" while the
// compressor has still to decide between text and binary.
inline constexpr std::uint16_t kBinary = deflate::kBinaryData;
inline constexpr std::uint16_t kUnclassified = deflate::kUnknownData;

// ---- What the writer relies on ----
// The compressor's decisions are copied into the header unchanged: their fields are the same.
static_assert(std::is_same_v<decltype(deflate::TDeflateResult::method),
                             decltype(TZipHeaderInfo::CompressionMethod)>);
static_assert(
    std::is_same_v<decltype(deflate::TDeflateResult::flagBits), decltype(TZipHeaderInfo::Flags)>);
static_assert(std::is_same_v<decltype(deflate::TDeflateResult::internalAttributes),
                             decltype(TZipHeaderInfo::InternalAttributes)>);
// The header's classic sizes and offset are 32-bit fields: a value past them goes into the 64-bit
// extra field of an archive in one file, and a split archive refuses it (zip_limits.h).
static_assert(sizeof(TZipHeaderInfo::CompressedSize) == 4);
static_assert(sizeof(TZipHeaderInfo::UncompressedSize) == 4);
static_assert(sizeof(TZipHeaderInfo::LocalHeaderOffset) == 4);
static_assert(sizeof(TZipHeaderInfo::DiskNumberStart) == 2);
// The encryption header is counted into the compressed size.
static_assert(ZipCrypto::kHeaderSize < 0x7FFFFFFF);
// The new entries' method is one the compressor can leave, so a header never claims another.
static_assert(TZipHeaderInfo::kDefaultMethod == deflate::kMethodDeflated);

} // namespace larkspur::zip::entry_format
