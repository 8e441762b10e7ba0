// Whole-file helpers for tests: write bytes to a file, read a file back as bytes.
#pragma once

#include <string>

namespace larkspur::test {

// Creates (or empties) the file and writes `bytes`; throws when that fails.
void writeFile(const std::string& name, const std::string& bytes);
// The whole file; throws when it cannot be read.
std::string readFile(const std::string& name);

} // namespace larkspur::test
