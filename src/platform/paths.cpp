// Path functions: the last separator decides file name, extension, path and directory parts.
// Bytes are walked from the start so that the trail byte of a double-byte character (which may
// be 0x5C "\" in GBK) is never mistaken for a separator or a dot.
#include "platform/paths.h"

#include "platform/path_syntax.h"

namespace larkspur::paths {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Whether the byte at `index` is the second byte of a double-byte character.
bool isTrailByte(std::string_view path, std::size_t index, LeadByteTest lead) {
  std::size_t i = 0;
  while (i < index)
    i += lead(static_cast<unsigned char>(path[i])) && i + 1 < path.size() ? 2 : 1;
  return i > index;
}

// Position of the last single-byte character found in `set`, or kNone.
std::size_t lastOf(std::string_view path, std::string_view set, LeadByteTest lead) {
  std::size_t found = kNone;
  for (std::size_t i = 0; i < path.size();) {
    if (lead(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      i += 2;
      continue;
    }
    if (set.find(path[i]) != kNone)
      found = i;
    ++i;
  }
  return found;
}

bool isSeparatorAt(const PathSyntax& s, std::string_view path, std::size_t index,
                   LeadByteTest lead) {
  return index < path.size() && s.separators.find(path[index]) != kNone &&
         !isTrailByte(path, index, lead);
}

char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

namespace syntax {

bool IsPathDelimiterAt(const PathSyntax& s, std::string_view path, std::size_t index,
                       LeadByteTest lead) {
  return index < path.size() && path[index] == s.delimiter && !isTrailByte(path, index, lead);
}

std::string ExtractFileName(const PathSyntax& s, std::string_view path, LeadByteTest lead) {
  const std::size_t last = lastOf(path, s.separators, lead);
  return std::string(last == kNone ? path : path.substr(last + 1));
}

std::string ExtractFileExt(const PathSyntax& s, std::string_view path, LeadByteTest lead) {
  std::string set(s.separators);
  set += '.';
  const std::size_t last = lastOf(path, set, lead);
  if (last == kNone || path[last] != '.')
    return std::string();
  return std::string(path.substr(last));
}

std::string ExtractFilePath(const PathSyntax& s, std::string_view path, LeadByteTest lead) {
  const std::size_t last = lastOf(path, s.separators, lead);
  return std::string(last == kNone ? std::string_view() : path.substr(0, last + 1));
}

std::string ExtractFileDir(const PathSyntax& s, std::string_view path, LeadByteTest lead) {
  const std::size_t last = lastOf(path, s.separators, lead);
  if (last == kNone)
    return std::string();
  // The delimiter stays when it is the root of a drive or of the path ("C:\", "\", "/").
  const bool keep =
      path[last] != s.delimiter || last == 0 || isSeparatorAt(s, path, last - 1, lead);
  return std::string(path.substr(0, keep ? last + 1 : last));
}

std::string ExtractFileDrive(const PathSyntax& s, std::string_view path, LeadByteTest lead) {
  if (!s.drives || path.size() < 2)
    return std::string();
  if (path[1] == ':' && !isTrailByte(path, 1, lead))
    return std::string(path.substr(0, 2));
  if (!IsPathDelimiterAt(s, path, 0, lead) || !IsPathDelimiterAt(s, path, 1, lead))
    return std::string();
  // "\\server\share": up to the delimiter that follows the share name.
  int delimiters = 0;
  for (std::size_t i = 2; i < path.size(); ++i) {
    if (lead(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i; // skip the trail byte
    } else if (path[i] == s.delimiter && ++delimiters == 2) {
      return std::string(path.substr(0, i));
    }
  }
  return std::string(path);
}

std::string RemoveFileExt(const PathSyntax& s, std::string_view path, LeadByteTest lead) {
  const std::size_t extension = ExtractFileExt(s, ExtractFileName(s, path, lead), lead).size();
  return std::string(path.substr(0, path.size() - extension));
}

std::string IncludeTrailingPathDelimiter(const PathSyntax& s, std::string_view path,
                                         LeadByteTest lead) {
  std::string result(path);
  if (path.empty() || !IsPathDelimiterAt(s, path, path.size() - 1, lead))
    result += s.delimiter;
  return result;
}

std::string ExcludeTrailingPathDelimiter(const PathSyntax& s, std::string_view path,
                                         LeadByteTest lead) {
  if (!path.empty() && IsPathDelimiterAt(s, path, path.size() - 1, lead))
    path.remove_suffix(1);
  return std::string(path);
}

} // namespace syntax

bool IsPathDelimiterAt(std::string_view path, std::size_t index, LeadByteTest lead) {
  return syntax::IsPathDelimiterAt(kNativeSyntax, path, index, lead);
}
std::string ExtractFileName(std::string_view path, LeadByteTest lead) {
  return syntax::ExtractFileName(kNativeSyntax, path, lead);
}
std::string ExtractFileExt(std::string_view path, LeadByteTest lead) {
  return syntax::ExtractFileExt(kNativeSyntax, path, lead);
}
std::string ExtractFilePath(std::string_view path, LeadByteTest lead) {
  return syntax::ExtractFilePath(kNativeSyntax, path, lead);
}
std::string ExtractFileDir(std::string_view path, LeadByteTest lead) {
  return syntax::ExtractFileDir(kNativeSyntax, path, lead);
}
std::string ExtractFileDrive(std::string_view path, LeadByteTest lead) {
  return syntax::ExtractFileDrive(kNativeSyntax, path, lead);
}
std::string RemoveFileExt(std::string_view path, LeadByteTest lead) {
  return syntax::RemoveFileExt(kNativeSyntax, path, lead);
}
std::string IncludeTrailingPathDelimiter(std::string_view path, LeadByteTest lead) {
  return syntax::IncludeTrailingPathDelimiter(kNativeSyntax, path, lead);
}
std::string ExcludeTrailingPathDelimiter(std::string_view path, LeadByteTest lead) {
  return syntax::ExcludeTrailingPathDelimiter(kNativeSyntax, path, lead);
}

std::string UpperCaseAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    c = upper(c);
  return result;
}

std::string LowerCaseAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    c = lower(c);
  return result;
}

int CompareTextAscii(std::string_view a, std::string_view b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(upper(a[i]));
    const auto y = static_cast<unsigned char>(upper(b[i]));
    if (x != y)
      return x < y ? -1 : 1;
  }
  if (a.size() == b.size())
    return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  return CompareTextAscii(a, b) == 0;
}

} // namespace larkspur::paths
