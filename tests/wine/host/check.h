// A minimal check recorder for the shell-host program: every check is counted, every failed one
// printed with its place; the process exit code is the number of failures.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace larkspur::wine {

int& FailedChecks();
int& ChecksRun();
// The process exit status: 1 after any failed check. Not the count, which the system keeps only
// modulo 256 (256 failures would read as success).
int ExitStatus();

void ReportFailure(const char* file, int line, const std::string& what);
// Counts one check and reports it when it failed.
void Check(bool passed, const char* file, int line, const std::string& what);

// Bytes as C escapes, so GBK texts show up readably in a failure report.
std::string Escaped(const std::string& bytes);
std::string HexCode(HRESULT code);

} // namespace larkspur::wine

#define HOST_CHECK(condition) ::larkspur::wine::Check((condition), __FILE__, __LINE__, #condition)

#define HOST_CHECK_EQ_TEXT(actual, expected)                                                       \
  do {                                                                                             \
    const std::string a_ = (actual), e_ = (expected);                                              \
    ::larkspur::wine::Check(a_ == e_, __FILE__, __LINE__,                                          \
                            #actual ": \"" + ::larkspur::wine::Escaped(a_) + "\" != \"" +          \
                                ::larkspur::wine::Escaped(e_) + "\"");                             \
  } while (0)

#define HOST_CHECK_HR(actual, expected)                                                            \
  do {                                                                                             \
    const HRESULT a_ = (actual), e_ = (expected);                                                  \
    ::larkspur::wine::Check(a_ == e_, __FILE__, __LINE__,                                          \
                            std::string(#actual) + " = " + ::larkspur::wine::HexCode(a_) +         \
                                ", expected " + ::larkspur::wine::HexCode(e_));                    \
  } while (0)
