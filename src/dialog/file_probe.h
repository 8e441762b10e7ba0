// The two questions the dialog asks the file system: a path's DOS attributes and whether a file
// exists. An interface so controller tests can pose any attribute combination.
#pragma once

#include <cstdint>
#include <string>

namespace larkspur::dialog {

class FileProbe {
public:
  virtual ~FileProbe() = default;
  // DOS attribute bits; 0xFFFFFFFF when they cannot be read.
  virtual std::uint32_t attributes(const std::string& path) const = 0;
  // Exists and is not a directory.
  virtual bool fileExists(const std::string& path) const = 0;
};

// The running system's answers.
const FileProbe& systemFileProbe();

} // namespace larkspur::dialog
