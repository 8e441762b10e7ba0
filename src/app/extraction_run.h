// One run of Larkspur.exe's extraction: checks the archive, drives the engine with the progress
// window's and the questions' answers, and says how it ended: the summary of what was left out
// (in Chinese, with each entry's reason) and the process exit code.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "extract/extract_options.h"

namespace larkspur::app {

// Exit codes of Larkspur.exe; 0 only when every entry was extracted.
inline constexpr int kExitComplete = 0;
inline constexpr int kExitUsage = 1;      // the command line is not understood
inline constexpr int kExitFailed = 2;     // no archive, not an archive, unsupported, disk error
inline constexpr int kExitIncomplete = 3; // entries were left out (the summary names them)
inline constexpr int kExitCanceled = 4;   // the user stopped the run

// What the progress window and the questions offer the run (a test plays them too).
class RunView {
public:
  virtual ~RunView() = default;
  virtual void showEntry(const std::string& entry) = 0;
  virtual void showPercent(int percent) = 0;
  // Also where the window keeps answering the user while the engine works.
  virtual bool cancelRequested() = 0;
  // Nothing: leave the encrypted entries out.
  virtual std::optional<std::string> askPassword(bool again) = 0;
  virtual extract::OverwriteAnswer askOverwrite(const std::string& path) = 0;
};

struct RunRequest {
  std::string archive;
  std::string target;
  extract::OverwritePolicy overwrite = extract::OverwritePolicy::Ask;
};

enum class RunStatus { Complete, Incomplete, Canceled, Failed };

struct RunOutcome {
  RunStatus status = RunStatus::Complete;
  std::vector<extract::EntryProblem> problems;
  std::string failure; // GBK, for Failed
  int exitCode() const;
};

// The folder the menu's "extract to" item announces; an archive named without an extension gets
// a folder beside it (it cannot be its own folder).
std::string targetFolderFor(const std::string& archive);

// Why the archive cannot be extracted at all (GBK message), before anything is written: missing,
// a format we do not extract, or a file that holds no ZIP archive.
std::optional<std::string> archiveRefusal(const std::string& archive);

RunOutcome runExtraction(const RunRequest& request, RunView& view);

// The reason of a left-out entry as the summary shows it (GBK).
std::string_view reasonText(extract::SkipReason reason);
// What the end box says (GBK): the failure, the cancel, or every left-out entry with its reason;
// empty when everything was extracted.
std::string summaryText(const RunOutcome& outcome);

} // namespace larkspur::app
