// Folder creation inside the target with the link check on every step.
#include "extract/target_tree.h"

#include "extract/entry_failure.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/target_files.h"

namespace larkspur::extract {

namespace {

// Built piece by piece: g++ 12 warns falsely (-Wrestrict) on chains of operator+.
std::string quoted(const char* before, const std::string& path) {
  std::string text = before;
  text += " (\"";
  text += path;
  text += "\")";
  return text;
}

// Makes `path` a folder, creating missing parents first; false when it cannot be one.
bool makeFolders(const std::string& path) {
  if (platform::directoryExists(path))
    return true;
  const std::string parent = paths::ExtractFileDir(path);
  if (!parent.empty() && parent != path && !makeFolders(parent))
    return false;
  return platform::createDirectory(path) || platform::directoryExists(path);
}

} // namespace

TargetTree::TargetTree(const std::string& root)
    : root_(root.empty() ? std::string(1, '.') : paths::ExcludeTrailingPathDelimiter(root)) {
  if (!makeFolders(root_))
    throw EExtractError(quoted("Cannot create the folder", root_));
}

std::string TargetTree::folder(const std::vector<std::string>& components, std::size_t depth) {
  std::string current = root_;
  for (std::size_t i = 0; i < depth; ++i) {
    current += platform::kPathDelimiter;
    current += components[i];
    if (known_.count(current))
      continue;
    switch (platform::pathKind(current)) {
    case platform::PathKind::Directory:
      break;
    case platform::PathKind::Missing:
      if (!platform::createDirectory(current) &&
          platform::pathKind(current) != platform::PathKind::Directory) {
        throw EExtractError(quoted("Cannot create the folder", current));
      }
      break;
    case platform::PathKind::Link:
      throw EEntryFailure(
          SkipReason::LinkInPath,
          quoted("a symbolic link or junction inside the target lies on its way", current));
    default:
      throw EEntryFailure(SkipReason::NotAFolder,
                          quoted("a file stands where it needs a folder", current));
    }
    known_.insert(current);
  }
  return current;
}

std::string TargetTree::path(const std::vector<std::string>& components) const {
  std::string result = root_;
  for (const std::string& component : components) {
    result += platform::kPathDelimiter;
    result += component;
  }
  return result;
}

} // namespace larkspur::extract
