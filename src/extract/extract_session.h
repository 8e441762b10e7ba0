// What every extraction shares, whatever the archive format: the target folder tree, the
// overwrite rule (with the "all" answers given on the way), the file placement and the final
// move, the list of entries left out, progress and cancel.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "extract/extract_options.h"
#include "extract/output_file.h"
#include "extract/pattern_selection.h"
#include "extract/safe_path.h"
#include "extract/target_tree.h"

namespace larkspur::extract {

class ExtractSession {
public:
  // `writing` false: a test run; nothing is created, names are not checked.
  ExtractSession(const ExtractOptions& options, bool writing);

  bool writing() const { return writing_; }
  const ExtractOptions& options() const { return options_; }
  ExtractResult& result() { return result_; }

  // The entry being worked on, as messages and progress name it.
  void beginEntry(const std::string& name, std::uint64_t size);
  void rename(const std::string& name) { entry_ = name; }
  // Tells the caller the entry's data starts.
  void announce() const;
  // Records the current entry as left out (and tells the caller's callback).
  void report(SkipReason reason, const std::string& message);
  // Counts decoded bytes of the current entry and reports progress.
  void advance(std::size_t count);
  // Reports each pattern that selected no entry.
  void reportUnmatched(const PatternSelection& selection);
  // Raises EExtractCanceled when the caller asked to stop.
  void checkCancel() const;
  void addToTotal(std::uint64_t size) { totalSize_ += size; }
  // Progress jumps past an entry that was left out or finished.
  void endEntry();

  // `name` checked against the safe-name rules: EEntryFailure (UnsafeName) when it would leave
  // the target; nothing to check in a test run.
  SafeName checkName(const std::string& name) const;
  // Creates the folders of a folder entry.
  void makeFolder(const SafeName& name);

  // Where a file entry goes and what happens to a file already there (asked before any data is
  // decoded). EEntryFailure when the entry is to be left out.
  struct Placement {
    std::string folder;
    std::string path;
    enum class Kind { New, Replace, Renamed } kind = Kind::New;
  };
  Placement place(const SafeName& name);
  // Moves the finished file into place; the path it got.
  std::string commit(OutputFile& out, const Placement& placement);

private:
  // The target, created on first use so a run that fails at once leaves nothing behind.
  TargetTree& tree();
  OverwritePolicy policy() const { return policy_ ? *policy_ : options_.overwrite; }
  Placement::Kind decide(const std::string& path);
  static bool claim(OutputFile& out, const std::string& name);

  const ExtractOptions& options_;
  const bool writing_;
  std::optional<TargetTree> tree_;
  std::optional<OverwritePolicy> policy_; // an "all" answer to the overwrite question
  ExtractResult result_;
  std::string entry_;
  std::uint64_t entrySize_ = 0;
  std::uint64_t entryDone_ = 0;
  std::uint64_t entryStart_ = 0; // totalDone_ when the entry began
  std::uint64_t totalSize_ = 0;
  std::uint64_t totalDone_ = 0;
};

} // namespace larkspur::extract
