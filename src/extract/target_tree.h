// The folders inside the target that extracted entries go into: created on demand, and never
// entered through a symbolic link or junction that already sits inside the target.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace larkspur::extract {

class TargetTree {
public:
  // Creates `root` and its missing parents (EExtractError when that fails).
  explicit TargetTree(const std::string& root);

  // The folder that holds the first `depth` components, created as needed; EEntryFailure when a
  // link or a file stands on the way.
  std::string folder(const std::vector<std::string>& components, std::size_t depth);
  // The full path of all components.
  std::string path(const std::vector<std::string>& components) const;
  const std::string& root() const { return root_; }

private:
  std::string root_;
  std::set<std::string> known_; // folders checked or created in this run
};

} // namespace larkspur::extract
