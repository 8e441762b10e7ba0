// A test fixture for tests that make or check archives with the host system's tools (Info-ZIP
// zip, Python's zipfile, tar) in a fresh folder; the test is skipped where they cannot run.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/host_command.h"
#include "support/temp_dir.h"

namespace larkspur::test {

class HostToolTest : public ::testing::Test {
protected:
  // Runs `command` (no double quotes) in the test's folder and expects exit status 0; skips the
  // test where host tools cannot run. Callers return when IsSkipped() or HasFatalFailure().
  void host(const std::string& command, int timeoutSeconds = 300) {
    const auto status = runHostCommand(dir_.path(), command, timeoutSeconds);
    if (!status)
      GTEST_SKIP() << "host tools cannot run here";
    ASSERT_EQ(*status, 0) << command;
  }
  bool stopped() const { return IsSkipped() || HasFatalFailure(); }
  std::string hostPathOf(const std::string& path) { return hostPath(path).value_or(path); }

  TempDir dir_;
};

} // namespace larkspur::test
