// Runs a program of the host system (the Linux tools: zip, python3, unzip) from a test, in a
// given folder, also from a Windows test under Wine, so tests can make and check archives with
// other tools.
#pragma once

#include <optional>
#include <string>

namespace larkspur::test {

// The host system's name for a native path of this test's system (itself on POSIX); nullopt
// when host programs cannot be run here.
std::optional<std::string> hostPath(const std::string& path);

// Runs `command` with /bin/sh in `directory` (a native path of this test's system) and returns
// its exit status; nullopt when host programs cannot be run here (Windows outside Wine) or the
// command did not finish within `timeoutSeconds`. `command` must not contain double quotes.
std::optional<int> runHostCommand(const std::string& directory, const std::string& command,
                                  int timeoutSeconds = 120);

} // namespace larkspur::test
