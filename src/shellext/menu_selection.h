// The selection one context-menu object was given, and the rule that decides by name alone
// whether it consists of archives (the menu then offers extraction instead of compression).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur::shell {

// Extensions that mark an archive, dot included, in upper case; compared after ASCII upper-casing.
inline constexpr std::array<std::string_view, 20> ArchiveExtensions = {
    ".ZIP", ".RAR", ".CAB", ".LHA", ".ARJ", ".JAR",  ".GZ",  ".TAR", ".BH",  ".ZOO",
    ".ARC", ".ENC", ".HA",  ".LZH", ".PAK", ".PAK3", ".TGZ", ".UUE", ".XXE", ".Z"};

// Whether the extension of `path`'s file-name part is one of ArchiveExtensions.
bool IsArchivePath(std::string_view path);

class TMenuSelection {
public:
  // Appends one path as the shell delivered it (bytes up to the first NUL); the list only grows,
  // so a second initialisation adds behind the first.
  void AddPath(std::string_view fetched);

  // True when the list is not empty and every path passes IsArchivePath.
  bool IsArchiveSelection() const;

  const std::string& FileName() const { return FFileName; }
  const std::vector<std::string>& FileList() const { return FFileList; }

private:
  std::string FFileName;              // the path fetched last; equals FFileList.back()
  std::vector<std::string> FFileList; // every path in the shell's order, duplicates kept
};

} // namespace larkspur::shell
