// A fresh, empty folder for one test, removed with everything in it when the object goes.
#pragma once

#include <string>

namespace larkspur::test {

class TempDir {
public:
  TempDir();
  // A fresh folder inside `parent` instead of the system's temporary folder.
  explicit TempDir(const std::string& parent);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + separator + name.
  std::string file(const std::string& name) const;

private:
  std::string reserved_;  // the temporary file that keeps the name unique
  std::string path_;
};

// Deletes a folder and everything beneath it (read-only files included); missing is fine.
void removeTree(const std::string& path);

} // namespace larkspur::test
