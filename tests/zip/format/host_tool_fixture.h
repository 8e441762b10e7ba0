// A test fixture for tests that make or check archives with the host system's tools (Info-ZIP
// zip, Python's zipfile, tar) in a fresh folder; the test is skipped where they cannot run.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/host_tools.h"
#include "support/temp_dir.h"

namespace larkspur::test {

class HostToolTest : public ::testing::Test {
protected:
  // Runs `command` in the test's folder and expects exit status 0; skips the test where host
  // tools cannot run. Callers return when stopped().
  void host(const std::string& command) {
    const ToolResult result =
        runHostShell("cd " + shellQuote(hostSidePath(dir_.path())) + " && " + command);
    if (result.exitCode == -1)
      GTEST_SKIP() << "host tools cannot run here: " << result.output;
    ASSERT_EQ(result.exitCode, 0) << command << "\n" << result.output;
  }
  bool stopped() const { return IsSkipped() || HasFatalFailure(); }
  std::string hostPathOf(const std::string& path) { return shellQuote(hostSidePath(path)); }

  TempDir dir_;
};

} // namespace larkspur::test
