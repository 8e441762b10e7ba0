// Terminal text: a UTF-8 check, the conversion of legacy code-page bytes (through the platform)
// and the escaping of control characters.
#include "cli/terminal_text.h"

#include <cstdio>

#include "platform/terminal.h"

namespace larkspur::cli {

namespace {

void appendHexEscape(std::string& out, unsigned char byte) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\x%02X", byte);
  out += escape;
}

void appendAscii(std::string& out, unsigned char c) {
  switch (c) {
  case '\t':
    out += "\\t";
    break;
  case '\n':
    out += "\\n";
    break;
  case '\r':
    out += "\\r";
    break;
  default:
    if (c < 0x20 || c == 0x7F) {
      appendHexEscape(out, c);
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
}

// Length of the UTF-8 sequence at `at`, 0 when it is not well-formed.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
  if (lead < 0x80)
    return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0)
      low = 0xA0; // no overlong forms
    if (lead == 0xED)
      high = 0x9F; // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0)
      low = 0x90;
    if (lead == 0xF4)
      high = 0x8F; // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (at + length > text.size())
    return 0;
  if (byte(1) < low || byte(1) > high)
    return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(k) < 0x80 || byte(k) > 0xBF)
      return 0;
  }
  return length;
}

// The code point of a well-formed sequence of two or three bytes.
char32_t codePoint(std::string_view sequence) {
  const auto byte = [&](std::size_t k) { return static_cast<char32_t>(sequence[k]) & 0xFF; };
  if (sequence.size() == 2)
    return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
  return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
}

// C1 controls drive terminals like C0 ones (U+009B opens a control sequence); bidi overrides
// and isolates make a name read in another order than it is stored (txt.exe shown as exe.txt).
bool isHiddenControl(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void appendCodePointEscape(std::string& out, char32_t c) {
  char escape[12];
  std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
  out += escape;
}

// Escapes control characters; a byte that starts no well-formed sequence is escaped too.
std::string escapeUtf8(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = utf8SequenceLength(text, at);
    if (length == 1) {
      appendAscii(out, static_cast<unsigned char>(text[at]));
    } else if (length == 0) {
      appendHexEscape(out, static_cast<unsigned char>(text[at]));
    } else if (length < 4 && isHiddenControl(codePoint(text.substr(at, length)))) {
      appendCodePointEscape(out, codePoint(text.substr(at, length)));
    } else {
      out.append(text.substr(at, length));
    }
    at += length == 0 ? 1 : length;
  }
  return out;
}

std::string hexEscape(unsigned char byte) {
  std::string out;
  appendHexEscape(out, byte);
  return out;
}

} // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = utf8SequenceLength(text, at);
    if (length == 0)
      return false;
    at += length;
  }
  return true;
}

std::string TerminalText(std::string_view text, bool isUtf8) {
  if (isUtf8 || IsValidUtf8(text))
    return escapeUtf8(text);
  return escapeUtf8(platform::legacyTextToUtf8(text, hexEscape));
}

} // namespace larkspur::cli
