// Temporary test folders, made and removed through the platform layer itself.
#include "support/temp_dir.h"

#include <stdexcept>
#include <vector>

#include "platform/platform.h"

namespace larkspur::test {

TempDir::TempDir() : TempDir(platform::tempDirectory()) {}

TempDir::TempDir(const std::string& parent) {
  // Reserve a unique name with a temporary file, kept until the folder beside it is removed
  // (a deleted reservation could be handed out again to a second folder alive at the same time).
  reserved_ = platform::makeTempFile(parent, "LKT");
  path_ = reserved_ + ".d";
  if (!platform::createDirectory(path_)) {
    platform::deleteFile(reserved_);
    throw std::runtime_error("cannot create test folder " + path_);
  }
}

TempDir::~TempDir() {
  removeTree(path_);
  platform::deleteFile(reserved_);
}

std::string TempDir::file(const std::string& name) const {
  return path_ + platform::kPathDelimiter + name;
}

void removeTree(const std::string& path) {
  if (!platform::directoryExists(path))
    return;
  std::vector<platform::FindData> entries;
  for (platform::DirectoryFind find(path + platform::kPathDelimiter + "*.*"); find.ok();
       find.advance()) {
    entries.push_back(find.current());
  }
  for (const auto& entry : entries) {
    if (entry.name == "." || entry.name == "..")
      continue;
    const std::string child = path + platform::kPathDelimiter + entry.name;
    if (entry.attributes & platform::faDirectory) {
      removeTree(child);
    } else {
      platform::setFileAttributes(child, platform::faArchive);
      platform::deleteFile(child);
    }
  }
  platform::removeDirectory(path);
}

} // namespace larkspur::test
