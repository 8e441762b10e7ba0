// Extraction file calls on POSIX: lstat, rename, chmod, and iconv for names from other systems.
#include "platform/target_files.h"

#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace larkspur::platform {

namespace {

// Converts with iconv; nothing when a byte does not belong to `from`.
std::optional<std::string> convert(const char* from, const std::string& text) {
  iconv_t cd = ::iconv_open("UTF-8", from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::nullopt;
  std::string in = text;
  std::string out(text.size() * 4 + 4, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const std::size_t result = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  ::iconv_close(cd);
  if (result == static_cast<std::size_t>(-1) || inLeft != 0)
    return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

// Every byte has a character in code page 437, the format's original name encoding.
std::string fromCodePage437(const std::string& text) {
  if (auto converted = convert("IBM437", text))
    return *converted;
  std::string escaped; // no converter installed: keep ASCII, show other bytes by value
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x80) {
      escaped += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "#%02X", static_cast<unsigned char>(c));
      escaped += hex;
    }
  }
  return escaped;
}

} // namespace

PathKind pathKind(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0)
    return PathKind::Missing;
  if (S_ISLNK(st.st_mode))
    return PathKind::Link;
  if (S_ISDIR(st.st_mode))
    return PathKind::Directory;
  if (S_ISREG(st.st_mode))
    return PathKind::File;
  return PathKind::Other;
}

bool renameReplacing(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool setUnixMode(const std::string& path, std::uint32_t mode) {
  return ::chmod(path.c_str(), static_cast<mode_t>(mode & 0777)) == 0;
}

std::optional<std::string> utf8NameToNative(const std::string& utf8) {
  return utf8;
}

std::string oemNameToNative(const std::string& oem) {
  if (isValidUtf8(oem))
    return oem;
  if (auto converted = convert("GBK", oem))
    return *converted;
  return fromCodePage437(oem);
}

} // namespace larkspur::platform
