// The directory walker: levels of platform listings on a stack, directory patterns of the start
// path applied to the levels above the file level, the mask to the file names.
#include "zip/format/dir_search.h"

#include "platform/paths.h"
#include "zip/format/wildcard_match.h"

namespace larkspur::zip {

namespace {

// Every entry of a directory, as the Windows find spells it.
constexpr const char* kAllEntries = "*.*";

bool isDirectory(const platform::FindData& entry) {
  return (entry.attributes & platform::faDirectory) != 0;
}

// The listing's entries for the folder itself and its parent. Other names that begin with a dot
// (".git", ".config") are folders like any other: skipping them would leave files out unseen.
bool isSelfOrParent(const std::string& name) {
  return name == "." || name == "..";
}

// Calls `visit(index)` for each single-byte character of `path` (trail bytes are skipped, so a
// GBK character ending in 0x5C is never cut); stops when `visit` returns true.
template <typename Visit>
std::size_t findSingleByte(const std::string& path, std::size_t from, Visit visit) {
  for (std::size_t i = from; i < path.size(); ++i) {
    if (platform::isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size())
      ++i;
    else if (visit(i))
      return i;
  }
  return std::string::npos;
}

} // namespace

TSearchData::TSearchData(const std::string& path, const std::string& pattern)
    : Path(path.empty() ? path : paths::IncludeTrailingPathDelimiter(path)), Pattern(pattern) {
  find_.emplace(Path + kAllEntries);
  LastResult = find_->lastResult();
  FindOpen = find_->ok();
  if (FindOpen)
    FindData = find_->current();
  else
    find_.reset();
}

void TSearchData::Advance() {
  if (LastResult != 0)
    return;
  LastResult = find_->advance();
  if (LastResult == 0)
    FindData = find_->current();
}

TDirSearch::TDirSearch(const std::string& startPath, bool recurse, const std::string& mask,
                       UnlistableEvent onUnlistable)
    : Mask(mask), RecurseDirs(recurse), onUnlistable_(std::move(onUnlistable)) {
  std::string path = startPath.empty() ? startPath : paths::IncludeTrailingPathDelimiter(startPath);
  const auto isDelimiter = [&path](std::size_t i) { return path[i] == platform::kPathDelimiter; };
  const std::size_t wildcard = findSingleByte(path, 0, [&path](std::size_t i) {
    return kWildcardChars.find(path[i]) != std::string_view::npos;
  });
  if (wildcard != std::string::npos) {
    // The directories before the first wildcard are the start; each name after it is a pattern.
    std::size_t cut = 0;
    for (std::size_t i = 0; (i = findSingleByte(path, i, isDelimiter)) < wildcard; ++i)
      cut = i + 1;
    for (std::size_t begin = cut, end;
         (end = findSingleByte(path, begin, isDelimiter)) != std::string::npos; begin = end + 1) {
      // "a//b" names the same folder as "a/b": an empty name is no level of its own.
      if (end > begin)
        DirPatterns.push_back(path.substr(begin, end - begin));
    }
    path.resize(cut);
    DirPatternCount = static_cast<int>(DirPatterns.size());
    DirPatternIndex = 0;
  }
  Levels.push_back(
      std::make_unique<TSearchData>(path, DirPatternCount >= 1 ? DirPatterns.front() : Mask));
  if (!Levels.front()->FindOpen && onUnlistable_)
    onUnlistable_(Levels.front()->Path);
}

TSearchData& TDirSearch::push(const std::string& directory, const std::string& pattern) {
  ++Depth;
  TSearchData& level = *Levels.emplace_back(std::make_unique<TSearchData>(directory, pattern));
  // Even an empty folder lists itself and its parent: a failure means the folder was refused.
  if (!level.FindOpen && onUnlistable_)
    onUnlistable_(level.Path);
  return level;
}

void TDirSearch::Next(platform::FindData& findData, std::string& name) {
  if (Levels.empty()) {
    name.clear(); // the search is over already
    return;
  }
  for (;;) {
    TSearchData* s = Levels[Depth].get();
    if (s->LastResult != 0) {
      // This level is used up: go back to the one that entered it, past the directory.
      Levels.pop_back();
      if (Depth == 0) {
        name.clear();
        return;
      }
      --Depth;
      if (Depth < DirPatternCount)
        --DirPatternIndex;
      Levels[Depth]->Advance();
      continue;
    }

    if (Depth < DirPatternCount) {
      const std::string& pattern = DirPatterns[DirPatternIndex];
      while (s->LastResult == 0 &&
             !(isDirectory(s->FindData) && !isSelfOrParent(s->FindData.name) &&
               WildcardMatch(pattern, s->FindData.name)))
        s->Advance();
      if (s->LastResult != 0)
        continue;
      ++DirPatternIndex;
      const bool fileLevelNext = Depth + 1 >= DirPatternCount;
      push(s->Path + s->FindData.name, fileLevelNext ? Mask : DirPatterns[DirPatternIndex]);
      continue;
    }

    if (!RecurseDirs) {
      while (s->LastResult == 0 && isDirectory(s->FindData))
        s->Advance();
      if (s->LastResult != 0)
        continue;
    }
    const platform::FindData& entry = s->FindData;
    if (isDirectory(entry)) {
      if (RecurseDirs && !isSelfOrParent(entry.name)) {
        // This level stays on the directory until the new one is used up.
        name = push(s->Path + entry.name, Mask).Path;
        return;
      }
    } else {
      // A name without extension is matched as "name." so that "*.*" takes it too.
      std::string candidate = entry.name;
      const bool dotAdded = paths::ExtractFileExt(candidate).empty();
      if (dotAdded)
        candidate += '.';
      if (WildcardMatch(Mask, candidate)) {
        if (dotAdded)
          candidate.pop_back();
        findData.size = entry.size;
        name = s->Path + candidate;
        s->Advance();
        return;
      }
    }
    s->Advance();
  }
}

} // namespace larkspur::zip
