// Where a file goes inside the archive: the directory stored with it (from the path flags and
// the root folder), the case-folded key that finds its entry in an existing archive, and the
// pattern-list test behind ExcludeList and NoCompressList.
#pragma once

#include <string>
#include <vector>

namespace larkspur::zip {

// The writer's path settings that decide a stored name.
struct StorageRule {
  bool storePaths = false;
  bool relativePaths = false;
  bool storeVolumes = false;
  std::string rootDir;     // empty or ending with a separator
  bool shortNames = false; // Store83Names: paths in their short form
};

// Where a file is, or would be, stored.
struct StoredPath {
  std::string path;      // the file's path in the form the entry is named by, as events show it
  std::string directory; // the stored directory (empty, or ending with a separator)
  std::string fileName;  // empty for a folder's entry
};

// Whether a FilesList string names a directory entry: it ends with the path delimiter.
bool IsDirectorySpec(const std::string& spec);

// The one place a FilesList string becomes a stored name: the short form when asked for, the
// code-page round trip, then the stored directory and the file name. The entry writer names new
// entries by it, and the carry-over and freshen find existing entries by it.
StoredPath StoredPathOf(const std::string& spec, const StorageRule& rule);

// The directory stored for `path` (empty, or ending with a separator). `path` and the rule's
// root are already in the form the entry is named by (short form, code-page round trip).
std::string StoredDirectory(const std::string& path, const StorageRule& rule);

// The key of an entry: its stored directory and file name with ASCII letters lower-cased. A file's
// key is built the same way from the directory the entry writer would store it under, so a file
// always finds the entry it was stored as.
std::string EntryKey(const std::string& directory, const std::string& fileName);

// Whether a new entry of this name gets the flag bit that marks its name as UTF-8: on systems
// whose file names are UTF-8, for a valid UTF-8 name that is not plain ASCII, so every other
// tool shows it right. Names in a Windows code page never get it.
bool NeedsUtf8Flag(const std::string& name);

// Whether any of `patterns` matches `path`: a pattern with a separator is matched against the
// whole path, any other against its file name; both lower-cased (ASCII letters only).
bool MatchesAnyPattern(const std::vector<std::string>& patterns, const std::string& path);

} // namespace larkspur::zip
