// The dialog's writer interface on the product's ZIP writer, with the writer options a command
// line may add on top of what the dialog sets (level, stored paths, lists, action, password).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dialog/archive_writer.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::dialog {

// Settings that override or extend the dialog's own for every run. Empty: the dialog's.
struct WriterOptions {
  std::optional<int> packLevel;
  bool storePaths = false;
  bool relativePaths = false;
  bool recurse = false;
  std::vector<std::string> excludeList;
  std::vector<std::string> noCompressList;
  std::optional<zip::TZipAction> zipAction;
  std::string password;
  // A run that adds nothing to a new archive leaves no archive (the menu writes an empty one).
  bool createEmptyArchive = true;
  // Block size of a split archive (block files NAME.001, NAME.002 ...); empty: a single file.
  std::optional<std::int32_t> splitSize;
};

class ZipWriterAdapter final : public ArchiveWriter {
public:
  explicit ZipWriterAdapter(WriterOptions options = {}) : options_(std::move(options)) {}

  void setRootDir(const std::string& dir) override { writer_.SetRootDir(dir); }
  std::string rootDir() const override { return writer_.RootDir(); }
  void setZipName(const std::string& name) override { writer_.SetZipName(name); }
  void addToFilesList(const std::string& entry) override { writer_.FilesList.push_back(entry); }
  void setRecurse(bool recurse) override { recurse_ = recurse; }
  void setStorePaths(bool storePaths) override { storePaths_ = storePaths; }
  void setPackLevel(int level) override { packLevel_ = level; }
  // The dialog's settings, then the options on top, then one zip operation.
  void zip() override;
  void setOnFilePercentDone(FilePercentEvent event) override;
  void setOnLeftOut(LeftOutEvent event) override;
  // A split archive cannot be added to once written.
  bool takesAllItemsInOneRun() const override { return options_.splitSize.has_value(); }

  const std::string& zipName() const { return writer_.ZipName(); }
  // Entries written from files by every run so far.
  std::int64_t entriesWritten() const { return entriesWritten_; }
  zip::TZipWriter& writer() { return writer_; }

private:
  WriterOptions options_;
  zip::TZipWriter writer_;
  bool recurse_ = false;
  bool storePaths_ = false;
  int packLevel_ = zip::TZipWriter::kDefaultPackLevel;
  std::int64_t entriesWritten_ = 0;
  // Set at the first run: the archive is new, so each run after it adds to what this adapter's
  // own runs wrote, and a file meeting an entry of its name collides with an earlier item.
  std::optional<bool> archiveIsOwn_;
  LeftOutEvent onLeftOut_;
};

} // namespace larkspur::dialog
