// The depth-first directory walker that turns a path pattern with wildcards into file
// names: one open platform listing per level, directories reported (with a trailing separator)
// before their contents when recursing, folders that cannot be listed named to the caller, no list
// of results kept.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace larkspur::zip {

// One directory level: a platform listing of Path followed by "*.*".
class TSearchData {
public:
  // An empty path lists the current directory; any other gets a trailing separator.
  TSearchData(const std::string& path, const std::string& pattern);
  TSearchData(const TSearchData&) = delete;
  TSearchData& operator=(const TSearchData&) = delete;

  // Moves to the next entry unless the listing is over already.
  void Advance();

  std::string Path;    // the directory, ending with a separator (empty: the current directory)
  std::string Pattern; // the pattern given for this level (not consulted by the walk)
  int LastResult = 0;  // 0 while an entry is current
  platform::FindData FindData;
  bool FindOpen = false; // whether a listing is held (released when the level goes)

private:
  std::optional<platform::DirectoryFind> find_;
};

class TDirSearch {
public:
  // Receives a folder (with its trailing separator) that the walk meant to list but could not.
  using UnlistableEvent = std::function<void(const std::string& folder)>;

  // `startPath` may hold wildcards in its directory names ("data/2*"): they select the
  // directories whose files are listed. `mask` is matched against file names.
  TDirSearch(const std::string& startPath, bool recurse, const std::string& mask,
             UnlistableEvent onUnlistable = {});
  TDirSearch(const TDirSearch&) = delete;
  TDirSearch& operator=(const TDirSearch&) = delete;

  // The next file (full path; `findData.size` receives its size, nothing else is set) or, when
  // recursing, the next directory about to be entered (full path with a trailing separator;
  // `findData` untouched). An empty name ends the search.
  void Next(platform::FindData& findData, std::string& name);

  // The open levels, index 0 the start directory; grows as deep as the tree goes.
  std::vector<std::unique_ptr<TSearchData>> Levels;
  int Depth = 0;
  std::string Mask;
  bool RecurseDirs = false;
  std::vector<std::string> DirPatterns; // for the directory levels above the file level
  int DirPatternCount = 0;
  int DirPatternIndex = -1;

private:
  UnlistableEvent onUnlistable_;
  TSearchData& push(const std::string& directory, const std::string& pattern);
};

} // namespace larkspur::zip
