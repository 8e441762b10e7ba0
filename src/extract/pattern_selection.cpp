// Entry selection by the engine's own wildcard matcher.
#include "extract/pattern_selection.h"

#include "zip/format/wildcard_match.h"

namespace larkspur::extract {

bool PatternSelection::selects(const std::string& name) {
  if (patterns_.empty())
    return true;
  const std::size_t slash = name.find_last_of('/', name.size() > 1 ? name.size() - 2 : 0);
  const std::string fileName = slash == std::string::npos ? name : name.substr(slash + 1);
  bool selected = false;
  for (std::size_t p = 0; p < patterns_.size(); ++p) {
    const std::string& pattern = patterns_[p];
    if (zip::WildcardMatch(pattern, name) ||
        (pattern.find('/') == std::string::npos && zip::WildcardMatch(pattern, fileName))) {
      used_[p] = true;
      selected = true;
    }
  }
  return selected;
}

std::vector<std::string> PatternSelection::unmatched() const {
  std::vector<std::string> result;
  for (std::size_t p = 0; p < patterns_.size(); ++p) {
    if (!used_[p])
      result.push_back(patterns_[p]);
  }
  return result;
}

} // namespace larkspur::extract
