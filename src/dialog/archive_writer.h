// What the add-to-archive dialog needs of the ZIP writer: the settings it sets before each run,
// the one-item files list, the run itself, the per-file progress and the files left out. The real
// writer is plugged in through an adapter; tests use a fake.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "dialog/left_out.h"

namespace larkspur::dialog {

class ArchiveWriter {
public:
  // Sender is implied; the argument is the percentage (0 to 100) of the file being read.
  using FilePercentEvent = std::function<void(int percent)>;
  using LeftOutEvent = std::function<void(const LeftOutFile& file)>;

  virtual ~ArchiveWriter() = default;

  // The writer keeps a non-empty RootDir ending in a separator; rootDir() answers that form.
  virtual void setRootDir(const std::string& dir) = 0;
  virtual std::string rootDir() const = 0;
  virtual void setZipName(const std::string& name) = 0;
  virtual void addToFilesList(const std::string& entry) = 0;
  virtual void setRecurse(bool recurse) = 0;
  virtual void setStorePaths(bool storePaths) = 0;
  virtual void setPackLevel(int level) = 0;
  // One zip operation over FilesList, which it empties; raises larkspur::Error on failure.
  virtual void zip() = 0;
  virtual void setOnFilePercentDone(FilePercentEvent event) = 0;
  // Every file or folder a run leaves out against the user's wish, as the run meets it.
  virtual void setOnLeftOut(LeftOutEvent event) = 0;
  // Whether the archive must be written by one run over every item, because it cannot be added
  // to once written; otherwise each item gets a run of its own.
  virtual bool takesAllItemsInOneRun() const { return false; }
};

// The product's writer (defined beside the writer adapter).
std::unique_ptr<ArchiveWriter> makeZipWriter();

} // namespace larkspur::dialog
