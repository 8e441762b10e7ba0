// Failure counting and reporting of the shell-host program.
#include "host/check.h"

namespace larkspur::wine {

int& FailedChecks() {
  static int failed = 0;
  return failed;
}

int& ChecksRun() {
  static int run = 0;
  return run;
}

int ExitStatus() {
  return FailedChecks() == 0 ? 0 : 1;
}

void ReportFailure(const char* file, int line, const std::string& what) {
  ++FailedChecks();
  std::printf("FAILED %s:%d: %s\n", file, line, what.c_str());
  std::fflush(stdout);
}

void Check(bool passed, const char* file, int line, const std::string& what) {
  ++ChecksRun();
  if (!passed)
    ReportFailure(file, line, what);
}

std::string Escaped(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      text += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      text += escape;
    }
  }
  return text;
}

std::string HexCode(HRESULT code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
  return text;
}

} // namespace larkspur::wine
