// Which entries a run extracts: every one, or those whose name matches one of the caller's
// wildcard patterns (a pattern without "/" also matches the bare file name at any depth). Keeps
// track of patterns that matched nothing, so they can be reported.
#pragma once

#include <string>
#include <vector>

namespace larkspur::extract {

class PatternSelection {
public:
  explicit PatternSelection(const std::vector<std::string>& patterns)
      : patterns_(patterns), used_(patterns.size(), false) {}

  // `name` with "/" between its parts.
  bool selects(const std::string& name);
  std::vector<std::string> unmatched() const;

private:
  const std::vector<std::string>& patterns_;
  std::vector<bool> used_;
};

} // namespace larkspur::extract
