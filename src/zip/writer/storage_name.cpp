// Stored names, directories, storage keys and pattern lists.
#include "zip/writer/storage_name.h"

#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/wildcard_match.h"
#include "zip/format/zip_helpers.h"

namespace larkspur::zip {

namespace {

bool startsWithText(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         paths::SameTextAscii(std::string_view(text).substr(0, prefix.size()), prefix);
}

} // namespace

bool IsDirectorySpec(const std::string& spec) {
  return !spec.empty() && paths::IsPathDelimiterAt(spec, spec.size() - 1);
}

std::string StoredDirectory(const std::string& path, const StorageRule& rule) {
  if (!rule.storePaths)
    return {};
  constexpr char sep = platform::kPathDelimiter;
  // The directory part with exactly one separator at its end (a root keeps its own).
  std::string d = paths::ExtractFileDir(path) + sep;
  if (d.size() >= 2 && paths::IsPathDelimiterAt(d, d.size() - 2))
    d.pop_back();
  if (!rule.rootDir.empty() && rule.relativePaths && startsWithText(d, rule.rootDir)) {
    d = d.size() == rule.rootDir.size() ? std::string() : d.substr(rule.rootDir.size());
  }
  if (!rule.storeVolumes && !d.empty()) {
    d.erase(0, paths::ExtractFileDrive(d).size());
    if (!d.empty() && d.front() == sep)
      d.erase(0, 1);
  }
  return d.empty() ? d : paths::IncludeTrailingPathDelimiter(d);
}

StoredPath StoredPathOf(const std::string& spec, const StorageRule& rule) {
  StorageRule named = rule;
  std::string path = spec;
  if (rule.shortNames) {
    path = ShortPathForm(path);
    if (!named.rootDir.empty())
      named.rootDir = ShortPathForm(named.rootDir);
  }
  OemRoundTrip(path);
  StoredPath stored;
  stored.directory = StoredDirectory(path, named);
  stored.fileName = paths::ExtractFileName(path);
  stored.path = std::move(path);
  return stored;
}

std::string EntryKey(const std::string& directory, const std::string& fileName) {
  return paths::LowerCaseAscii(directory + fileName);
}

bool NeedsUtf8Flag(const std::string& name) {
  if constexpr (!platform::kNamesAreUtf8)
    return false;
  bool nonAscii = false;
  for (std::size_t i = 0; i < name.size();) {
    const auto c = static_cast<unsigned char>(name[i]);
    std::size_t length = 1;
    if (c >= 0x80) {
      nonAscii = true;
      if (c >= 0xC2 && c <= 0xDF)
        length = 2;
      else if (c >= 0xE0 && c <= 0xEF)
        length = 3;
      else if (c >= 0xF0 && c <= 0xF4)
        length = 4;
      else
        return false;
      if (i + length > name.size())
        return false;
      for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(name[i + k]) & 0xC0) != 0x80)
          return false;
      }
    }
    i += length;
  }
  return nonAscii;
}

bool MatchesAnyPattern(const std::vector<std::string>& patterns, const std::string& path) {
  if (patterns.empty())
    return false;
  const std::string whole = paths::LowerCaseAscii(path);
  const std::string name = paths::ExtractFileName(whole);
  for (const std::string& pattern : patterns) {
    const std::string p = paths::LowerCaseAscii(pattern);
    const bool againstPath = p.find(platform::kPathDelimiter) != std::string::npos;
    if (WildcardMatch(p, againstPath ? whole : name))
      return true;
  }
  return false;
}

} // namespace larkspur::zip
