// Terminal text: a UTF-8 check, the conversion of legacy code-page bytes (iconv from GBK on
// POSIX, the ANSI code page on Windows) and the escaping of control characters.
#include "cli/terminal_text.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

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

#ifdef _WIN32

std::string legacyToTerminal(std::string_view text) {
  const int wideLength =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      wideLength);
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
  return escapeUtf8(utf8);
}

#else

// A GBK lead byte and the trail bytes that may follow it.
bool isGbkLead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}
bool isGbkTrail(unsigned char c) {
  return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Converts one double-byte character; false when GBK has no character there.
bool appendGbkPair(iconv_t converter, std::string& out, const char* pair) {
  char in[2] = {pair[0], pair[1]};
  char buffer[8];
  char* inPointer = in;
  char* outPointer = buffer;
  std::size_t inLeft = 2, outLeft = sizeof buffer;
  if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) ==
      static_cast<std::size_t>(-1)) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    return false;
  }
  out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
  return true;
}

std::string legacyToTerminal(std::string_view text) {
  iconv_t converter = iconv_open("UTF-8", "GBK");
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c < 0x80) {
      appendAscii(out, c);
      ++at;
    } else if (converter != reinterpret_cast<iconv_t>(-1) && isGbkLead(c) && at + 1 < text.size() &&
               isGbkTrail(static_cast<unsigned char>(text[at + 1])) &&
               appendGbkPair(converter, out, text.data() + at)) {
      at += 2;
    } else {
      appendHexEscape(out, c);
      ++at;
    }
  }
  if (converter != reinterpret_cast<iconv_t>(-1))
    iconv_close(converter);
  return out;
}

#endif

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
  return legacyToTerminal(text);
}

} // namespace larkspur::cli
