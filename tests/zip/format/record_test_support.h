// Helpers for the record tests: little-endian byte building, code pages pinned for a test, and
// the native separator spelled out.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "zip/format/stored_name.h"

namespace larkspur::zip::test {

inline std::string le16(std::uint16_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
inline std::string le32(std::uint32_t v) {
  return le16(static_cast<std::uint16_t>(v & 0xFFFF)) + le16(static_cast<std::uint16_t>(v >> 16));
}

// The native separator as a string, for names built in tests.
inline const std::string kSep(1, platform::kPathDelimiter);

// A code page whose only difference between ANSI and OEM is "é" (0xE9 ANSI, 0x82 OEM), so a
// test can see whether a name went through the conversion.
inline std::string swapAccent(const std::string& text, char from, char to) {
  std::string out = text;
  for (char& c : out) {
    if (c == from)
      c = to;
  }
  return out;
}
inline std::string accentToOem(const std::string& text) {
  return swapAccent(text, '\xE9', '\x82');
}
inline std::string accentToAnsi(const std::string& text) {
  return swapAccent(text, '\x82', '\xE9');
}
inline bool noLeadBytes(unsigned char) {
  return false;
}
inline const StoredNameRules kAccentRules{paths::kNativeSyntax, accentToOem, accentToAnsi,
                                          noLeadBytes};

// Windows separators and GBK's lead bytes with ANSI and OEM the same, as on a Chinese system.
inline std::string sameText(const std::string& text) {
  return text;
}
inline bool gbkLeadByte(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}
inline const StoredNameRules kWindowsGbkRules{paths::kWindowsSyntax, sameText, sameText,
                                              gbkLeadByte};

} // namespace larkspur::zip::test
