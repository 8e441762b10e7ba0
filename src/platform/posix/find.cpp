// Directory listing on POSIX with the Windows find semantics the search relies on: "." and ".."
// first, then the entries in byte order of their names, so archives made here are reproducible.
#include <dirent.h>
#include <fnmatch.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/stat_attributes.h"

namespace larkspur::platform {

namespace {

// What FindNextFileA reports when the listing is over (ERROR_NO_MORE_FILES) and when the
// pattern named nothing (ERROR_FILE_NOT_FOUND).
constexpr int kNoMoreFiles = 18;
constexpr int kFileNotFound = 2;

bool hasWildcard(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

// "*" and "*.*" mean every entry, with or without a dot, as on Windows.
bool matchesMask(const std::string& mask, const std::string& name) {
  if (mask == "*" || mask == "*.*")
    return true;
  return ::fnmatch(mask.c_str(), name.c_str(), 0) == 0;
}

} // namespace

struct DirectoryFind::Impl {
  std::string directory; // with a trailing "/" (or empty for the current directory)
  std::vector<std::string> names;
  std::size_t next = 0;
  bool listing = false; // a directory listing, not the lookup of a single path
  FindData current;
  int result = kFileNotFound;

  // Makes the next describable name current. Entries that vanished since the listing are
  // skipped, and so are symbolic links to directories: following them could loop forever.
  void step() {
    while (next < names.size()) {
      const std::string& name = names[next++];
      const auto info = posix::pathInfo(directory + name);
      const int error = errno;
      if (!info && listing && error != ENOENT) {
        // Listed but not describable (a path too long, a folder listable but not searchable):
        // yielded as a file all the same, so that whoever opens it learns and reports why.
        current = FindData{name, std::string(), faArchive, 0, 0};
        result = 0;
        return;
      }
      if (!info || (listing && info->symlinkToDirectory))
        continue;
      current = FindData{name, std::string(), info->attributes, info->size, info->dosTime};
      result = 0;
      return;
    }
    current = FindData{};
    result = kNoMoreFiles;
  }
};

DirectoryFind::DirectoryFind(const std::string& pattern) : impl_(std::make_unique<Impl>()) {
  const std::size_t slash = pattern.rfind('/');
  const std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  impl_->directory = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
  if (mask.empty())
    return;
  if (!hasWildcard(mask)) {
    // A single path: report that entry alone, as FindFirstFileA does.
    impl_->names.push_back(mask);
    impl_->step();
    if (impl_->result != 0)
      impl_->result = kFileNotFound;
    return;
  }
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(
      ::opendir(impl_->directory.empty() ? "." : impl_->directory.c_str()), ::closedir);
  if (!dir)
    return;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != ".." && matchesMask(mask, name))
      names.push_back(name);
  }
  impl_->listing = true;
  std::sort(names.begin(), names.end());
  if (matchesMask(mask, "."))
    impl_->names = {".", ".."};
  impl_->names.insert(impl_->names.end(), names.begin(), names.end());
  impl_->step();
  if (impl_->result != 0)
    impl_->result = kFileNotFound;
}

DirectoryFind::DirectoryFind(DirectoryFind&&) noexcept = default;
DirectoryFind& DirectoryFind::operator=(DirectoryFind&&) noexcept = default;
DirectoryFind::~DirectoryFind() = default;

bool DirectoryFind::ok() const {
  return impl_ && impl_->result == 0;
}
const FindData& DirectoryFind::current() const {
  return impl_->current;
}
int DirectoryFind::lastResult() const {
  return impl_ ? impl_->result : kNoMoreFiles;
}

int DirectoryFind::advance() {
  if (!ok())
    return lastResult();
  impl_->step();
  return impl_->result;
}

} // namespace larkspur::platform
