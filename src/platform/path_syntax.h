// The rules behind the path functions, spelled out so both systems' rules can be exercised on
// either: which bytes separate, which one is the path delimiter, whether drives exist.
#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace larkspur::paths {

struct PathSyntax {
  std::string_view separators; // bytes that end a directory name ("\" and ":" on Windows)
  char delimiter;              // the one that joins components
  bool drives;                 // "C:" and "\\server\share" prefixes exist
};

inline constexpr PathSyntax kWindowsSyntax{"\\:", '\\', true};
inline constexpr PathSyntax kPosixSyntax{"/", '/', false};
inline constexpr PathSyntax kNativeSyntax =
    platform::kWindowsNameRules ? kWindowsSyntax : kPosixSyntax;
static_assert(kNativeSyntax.delimiter == platform::kPathDelimiter);

// The same operations as paths.h under explicit rules.
namespace syntax {

bool IsPathDelimiterAt(const PathSyntax& s, std::string_view path, std::size_t index,
                       LeadByteTest lead);
std::string ExtractFileName(const PathSyntax& s, std::string_view path, LeadByteTest lead);
std::string ExtractFileExt(const PathSyntax& s, std::string_view path, LeadByteTest lead);
std::string ExtractFilePath(const PathSyntax& s, std::string_view path, LeadByteTest lead);
std::string ExtractFileDir(const PathSyntax& s, std::string_view path, LeadByteTest lead);
std::string ExtractFileDrive(const PathSyntax& s, std::string_view path, LeadByteTest lead);
std::string RemoveFileExt(const PathSyntax& s, std::string_view path, LeadByteTest lead);
std::string IncludeTrailingPathDelimiter(const PathSyntax& s, std::string_view path,
                                         LeadByteTest lead);
std::string ExcludeTrailingPathDelimiter(const PathSyntax& s, std::string_view path,
                                         LeadByteTest lead);

} // namespace syntax
} // namespace larkspur::paths
