// Stored-name conversion between the in-memory Directory/FileName pair and header bytes.
#include "zip/format/stored_name.h"

#include "platform/platform.h"

namespace larkspur::zip {

namespace {

// The separator inside stored names, whatever the system.
constexpr char kStoredDelimiter = '/';
// A drive separator that ends a directory part gets the path delimiter after it.
constexpr char kDriveSeparator = ':';

} // namespace

const StoredNameRules& SystemNameRules() {
  static const StoredNameRules system{paths::kNativeSyntax, platform::ansiToOem,
                                      platform::oemNameToNative, platform::isLeadByte};
  return system;
}

std::string EncodeStoredName(std::string_view directory, std::string_view fileName,
                             const StoredNameRules& rules) {
  std::string name;
  name.reserve(directory.size() + fileName.size());
  name.append(directory).append(fileName);
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (rules.isLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) {
      ++i; // a trail byte may be 0x5C and is never a separator
    } else if (name[i] == rules.syntax.delimiter) {
      name[i] = kStoredDelimiter;
    }
  }
  return rules.toOem(name);
}

SplitName DecodeStoredName(std::string stored, bool convertCodePage, const StoredNameRules& rules) {
  // "/" is below every trail byte, so each one is a separator of its own.
  for (char& c : stored) {
    if (c == kStoredDelimiter)
      c = rules.syntax.delimiter;
  }
  if (convertCodePage)
    stored = rules.toAnsi(stored);

  SplitName split;
  split.directory = paths::syntax::ExtractFilePath(rules.syntax, stored, rules.isLeadByte);
  split.fileName = stored.substr(split.directory.size());
  if (!split.directory.empty() && split.directory.back() == kDriveSeparator) {
    split.directory.push_back(rules.syntax.delimiter);
  }
  return split;
}

} // namespace larkspur::zip
