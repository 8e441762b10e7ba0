// Path functions shared by the menu, the dialog and the engine. A separator is "\" or ":" on
// Windows and "/" on POSIX; the trail byte of a double-byte character is never taken for a
// separator or a dot (the lead-byte test is a parameter so tests can pin a code page).
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace larkspur::paths {

using LeadByteTest = bool (*)(unsigned char);

bool IsPathDelimiterAt(std::string_view path, std::size_t index,
                       LeadByteTest lead = platform::isLeadByte);
// Everything after the last separator (the whole string when there is none).
std::string ExtractFileName(std::string_view path, LeadByteTest lead = platform::isLeadByte);
// From the last "." after the last separator to the end, dot included; empty when none.
std::string ExtractFileExt(std::string_view path, LeadByteTest lead = platform::isLeadByte);
// Everything up to and including the last separator.
std::string ExtractFilePath(std::string_view path, LeadByteTest lead = platform::isLeadByte);
// Everything before the last separator, keeping it when the byte before is a separator or ":".
std::string ExtractFileDir(std::string_view path, LeadByteTest lead = platform::isLeadByte);
// "C:" for "C:\x", "\\server\share" for "\\server\share\x", else empty.
std::string ExtractFileDrive(std::string_view path, LeadByteTest lead = platform::isLeadByte);
// Deletes from the end as many bytes as the extension of the file-name part has.
std::string RemoveFileExt(std::string_view path, LeadByteTest lead = platform::isLeadByte);
std::string IncludeTrailingPathDelimiter(std::string_view path,
                                         LeadByteTest lead = platform::isLeadByte);
std::string ExcludeTrailingPathDelimiter(std::string_view path,
                                         LeadByteTest lead = platform::isLeadByte);

// ASCII-only case folding: only "a".."z" / "A".."Z" change.
std::string UpperCaseAscii(std::string_view text);
std::string LowerCaseAscii(std::string_view text);
int CompareTextAscii(std::string_view a, std::string_view b);  // <0, 0, >0 after upper-casing
bool SameTextAscii(std::string_view a, std::string_view b);

}  // namespace larkspur::paths
