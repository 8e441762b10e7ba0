// Whole-file helpers for tests: write bytes to a file, read a file back as bytes, and bytes to
// write that do not compress.
#pragma once

#include <cstddef>
#include <string>

namespace larkspur::test {

// Creates (or empties) the file and writes `bytes`; throws when that fails.
void writeFile(const std::string& name, const std::string& bytes);
// The whole file; throws when it cannot be read.
std::string readFile(const std::string& name);
// `size` bytes that no compressor shrinks (the same for the same seed), so sizes on disk are
// predictable.
std::string incompressibleBytes(std::size_t size, unsigned seed);

} // namespace larkspur::test
