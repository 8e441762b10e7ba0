// The one place that decides what an entry's stored name means and how the system spells it:
// UTF-8 when the Unicode path extra field (0x7075) vouches for the name or flag bit 11 says so,
// else the archive's code page. Listing, extraction, name matching and the entry windows all
// read names through it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zip/format/stored_name.h"

namespace larkspur::zip {

inline constexpr std::uint16_t kUnicodePathId = 0x7075;
inline constexpr std::uint8_t kUnicodePathVersion = 1;

// The UTF-8 name a Unicode path field in `extra` gives for `stored`: only a version 1 field
// whose CRC-32 is that of `stored` (a field left behind by a tool that renamed the entry no
// longer matches). Nothing otherwise; damaged fields and blocks are ignored, never read beyond.
std::optional<std::string> UnicodePathName(std::string_view extra, std::string_view stored);

// The name of an entry as the system uses it, "/" still between its parts.
struct SystemName {
  std::string text;
  // False when the system cannot spell the name (Windows: a character the ANSI code page
  // lacks); `text` then has '?', which no file name may hold, for each such character, so it
  // is shown but never taken for another name.
  bool spelled = true;
};

SystemName SystemEntryName(std::string_view stored, std::uint16_t flags,
                           std::uint16_t versionMadeBy, std::string_view extra,
                           const StoredNameRules& rules = SystemNameRules());

} // namespace larkspur::zip
