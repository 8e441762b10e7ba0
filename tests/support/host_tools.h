// Runs the host's own programs from a test (the archive checkers, Python's zipfile, Info-ZIP and
// 7-Zip): directly on Linux, and from a Windows test under Wine through the Unix shell, so both
// builds check what they write with the same independent readers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace larkspur::test {

struct ToolResult {
  int exitCode = -1;  // -1 when the command could not be run at all
  std::string output; // standard output and standard error together
};

// Runs a /bin/sh command line on the host and waits for it.
ToolResult runHostShell(const std::string& command);
// A path of this process as the host's shell sees it (Wine's "Z:\x\y" becomes "/x/y").
std::string hostSidePath(const std::string& path);
// Quotes a text for the shell.
std::string shellQuote(const std::string& text);
// Whether a program is installed on the host.
bool hostHasProgram(const std::string& name);

// Empty when `unzip -t`, `python3 -m zipfile -t` and `7z t` all accept the archive; otherwise
// what each rejecting checker said. `password` is given to the checkers that need one.
std::string archiveProblems(const std::string& archive, const std::string& password = "");

// One entry as Python's zipfile reads it from the central directory.
struct CheckedEntry {
  std::string name; // stored name, bytes as stored
  int createVersion = 0;
  int createSystem = 0;
  int extractVersion = 0;
  int flagBits = 0;
  int compressType = 0;
  int internalAttributes = 0;
  std::uint32_t externalAttributes = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t fileSize = 0;
  std::uint64_t headerOffset = 0;
  std::string comment;
};

// Every entry of the archive in stored order, read by Python's zipfile; throws when it fails.
std::vector<CheckedEntry> readEntriesWithPython(const std::string& archive);
// The archive comment as Python's zipfile reads it.
std::string archiveCommentWithPython(const std::string& archive);
// The data of one entry as `unzip -p` extracts it (with `-P password` when one is given).
std::string extractWithUnzip(const std::string& archive, const std::string& name,
                             const std::string& password = "");

} // namespace larkspur::test
