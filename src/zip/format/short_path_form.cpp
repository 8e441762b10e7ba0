// The short (8.3) form of a Windows path, built component by component from the aliases the
// directory lookup reports.
#include <algorithm>

#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "zip/format/zip_helpers.h"

namespace larkspur::zip {

namespace {

using paths::kWindowsSyntax;
namespace syntax = paths::syntax;

bool isBackslashAt(const std::string& path, std::size_t index, paths::LeadByteTest lead) {
  return syntax::IsPathDelimiterAt(kWindowsSyntax, path, index, lead);
}

} // namespace

std::string ShortPathFormUsing(const std::string& original, const ShortNameLookup& shortNameOf,
                               paths::LeadByteTest lead) {
  // Built with append only: g++ 12 at -O3 warns falsely (-Wrestrict) on operator+ chains here.
  std::string path = original.substr(0, 2);
  // "C:data" means "C:\data" here.
  if (path.size() == 2 && path[1] == ':' && !isBackslashAt(original, 2, lead))
    path += '\\';
  path.append(original, std::min<std::size_t>(2, original.size()));
  const bool trailing = !path.empty() && isBackslashAt(path, path.size() - 1, lead);
  if (trailing)
    path.pop_back();

  // The drive ("C:" or "\\server\share") or a leading "\" is kept; components follow it.
  std::string result = syntax::ExtractFileDrive(kWindowsSyntax, path, lead);
  if (!result.empty() || (!path.empty() && isBackslashAt(path, 0, lead)))
    result += '\\';
  const std::size_t start = result.size();

  // Walk the components, stepping over both bytes of double-byte characters.
  std::size_t begin = start;
  for (std::size_t i = start; i <= path.size(); ++i) {
    const bool end = i == path.size();
    if (!end && lead(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (!end && path[i] != '\\')
      continue;
    if (begin < path.size() || !end) {
      const std::string component = path.substr(begin, i - begin);
      // A wildcard would make the lookup name some other entry.
      const bool plain = !component.empty() && component.find_first_of("*?") == std::string::npos;
      std::string lookupName = result;
      lookupName += component;
      const std::string alias = plain ? shortNameOf(lookupName) : std::string();
      result += alias.empty() ? component : alias;
      result += '\\';
    }
    begin = i + 1;
  }

  if (!trailing && !result.empty() && result.back() == '\\')
    result.pop_back();
  return result;
}

std::string ShortPathForm(const std::string& path) {
  if constexpr (!platform::kShortNamesExist)
    return path;
  const auto lookup = [](const std::string& name) {
    platform::DirectoryFind find(name);
    return find.ok() ? find.current().shortName : std::string();
  };
  return ShortPathFormUsing(path, lookup, platform::isLeadByte);
}

} // namespace larkspur::zip
