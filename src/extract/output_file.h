// One extracted file on its way to disk: written under a temporary name in its final folder,
// flushed, and only then moved to its real name. Until then (failure, cancel, full disk) the
// temporary file is removed when the object goes, so no half-written file ever carries a real
// name and no existing file is touched.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace larkspur::extract {

class OutputFile {
public:
  // Creates the temporary file in `folder` (EExtractError when it cannot). `shownName` names the
  // file in error messages.
  OutputFile(const std::string& folder, std::string shownName);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // EExtractError when the system takes fewer bytes (a full disk, a quota).
  void write(const std::uint8_t* bytes, std::size_t count);
  // Puts the data on disk (when `flush`), closes the file and gives it its modification time.
  void finish(std::uint32_t dosTime, bool flush);

  // Moves the finished file to `name`; false, leaving the temporary file, when `name` exists.
  bool commitAsNew(const std::string& name);
  // Moves the finished file to `name`, replacing the file there in one step.
  void commitReplacing(const std::string& name);

private:
  std::string shownName_;
  std::string tempName_;
  std::optional<platform::File> file_;
  bool committed_ = false;
};

} // namespace larkspur::extract
