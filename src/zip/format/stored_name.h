// How an entry's name is stored in its headers: directory plus file name with "/" separators,
// in the OEM code page; and back: native separators, the ANSI code page, split into the
// directory part (ending with a separator) and the file name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "platform/target_files.h"

namespace larkspur::zip {

// The separators, code-page pair and lead-byte test names go through; toAnsi turns a name in
// the archive's code page into the system's (POSIX: GBK or code page 437 into UTF-8). The system's
// own are the normal choice; tests pin others (a Windows syntax natively, a double-byte code page).
struct StoredNameRules {
  paths::PathSyntax syntax;
  std::string (*toOem)(const std::string&);
  std::string (*toAnsi)(const std::string&);
  paths::LeadByteTest isLeadByte;
  // A UTF-8 name as the system spells it; nothing when it cannot.
  std::optional<std::string> (*fromUtf8)(const std::string&) = platform::utf8NameToNative;
  // Whether the system's names are UTF-8: then a name in no known encoding is read as OEM,
  // whatever host wrote it.
  bool namesAreUtf8 = platform::kNamesAreUtf8;
};

const StoredNameRules& SystemNameRules();

struct SplitName {
  std::string directory; // empty, or ending with a separator
  std::string fileName;
};

// The bytes stored for `directory` + `fileName`: the path delimiter becomes "/" (never a trail
// byte), then ANSI -> OEM.
std::string EncodeStoredName(std::string_view directory, std::string_view fileName,
                             const StoredNameRules& rules);

// A stored name read back: "/" becomes the path delimiter, OEM -> ANSI when `convertCodePage`,
// then a split after the last separator; a colon gets the delimiter after it ("a:b" -> "a:\"
// and "b").
SplitName DecodeStoredName(std::string stored, bool convertCodePage, const StoredNameRules& rules);

} // namespace larkspur::zip
