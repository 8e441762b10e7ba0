// What a caller tells the extraction engine (target, selection, overwrite rule, password, and the
// callbacks a progress window or a terminal answers) and what it gets back: every entry that was
// left out, with its reason.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"

namespace larkspur::extract {

// The whole run stops: the archive cannot be read, a file cannot be written (disk full), or the
// format is not one the engine extracts. Nothing half-written is left under a real name.
class EExtractError : public Error {
public:
  using Error::Error;
};
// The caller's cancel callback asked to stop; the partial file is gone.
class EExtractCanceled : public Error {
public:
  using Error::Error;
};

enum class OverwritePolicy { Never, Always, Rename, Ask };
enum class OverwriteAnswer { Yes, YesToAll, No, NoToAll };

// Why an entry was left out (the GUI shows its own text for each, the CLI the message).
enum class SkipReason {
  UnsafeName,    // would land outside the target, or the system cannot name it
  LinkInPath,    // a symbolic link or junction inside the target lies on its way
  NotAFolder,    // a file stands where the name needs a folder
  Exists,        // the file exists and the overwrite rule keeps it
  Unsupported,   // compression method, strong encryption, or a size we cannot handle
  NeedsPassword, // encrypted, and no password was given
  WrongPassword, // the password's check byte does not match
  BadData,       // CRC or size mismatch, corrupt compressed data, missing local header
  NotMatched,    // a pattern that selected no entry (the entry is the pattern)
};

struct EntryProblem {
  std::string entry; // the entry's name as stored, with "/" separators, in the system's encoding
  SkipReason reason;
  std::string message; // English, for the terminal: what is wrong
};

struct ExtractProgress {
  const std::string& entry;
  std::uint64_t entryDone;
  std::uint64_t entrySize;
  std::uint64_t totalDone;
  std::uint64_t totalSize; // uncompressed bytes of every selected entry
};

struct ExtractCallbacks {
  // A new entry starts; then progress after every block of it.
  std::function<void(const ExtractProgress&)> onEntryStart;
  std::function<void(const ExtractProgress&)> onProgress;
  // An entry was left out (also collected in the result).
  std::function<void(const EntryProblem&)> onProblem;
  // Policy Ask: whether to replace `path`.
  std::function<OverwriteAnswer(const std::string& path)> askOverwrite;
  // A password for encrypted entries, asked when none was given or (`again`) the last one was
  // wrong; nothing: leave the encrypted entries out.
  std::function<std::optional<std::string>(bool again)> askPassword;
  // Asked between blocks; true stops the run (EExtractCanceled).
  std::function<bool()> cancelRequested;
};

struct ExtractOptions {
  std::string targetDir;             // created when missing
  std::vector<std::string> patterns; // wildcard patterns; empty: every entry
  OverwritePolicy overwrite = OverwritePolicy::Never;
  std::optional<std::string> password;
  bool restoreAttributes = true;
  // Each file is put on disk before it takes its name, so a crash leaves the old file or the
  // complete new one; a scratch extraction (the fuzzer) may skip that.
  bool flushFiles = true;
  ExtractCallbacks callbacks;
};

struct ExtractResult {
  int filesWritten = 0;
  int foldersCreated = 0;
  std::uint64_t bytesWritten = 0;
  std::vector<EntryProblem> problems;
  bool complete() const { return problems.empty(); }
};

} // namespace larkspur::extract
