// Connects the dialog to the product's ZIP writer. Until the writer component is built, every
// run fails with an error that the dialog reports like any other writer failure.
#include "dialog/archive_writer.h"
#include "platform/error.h"
#include "platform/platform.h"

namespace larkspur::dialog {
namespace {

class UnavailableWriter final : public ArchiveWriter {
public:
  void setRootDir(const std::string& dir) override {
    rootDir_ = dir;
    if (!rootDir_.empty() && rootDir_.back() != platform::kPathDelimiter) {
      rootDir_ += platform::kPathDelimiter;
    }
  }
  std::string rootDir() const override { return rootDir_; }
  void setZipName(const std::string&) override {}
  void addToFilesList(const std::string&) override {}
  void setRecurse(bool) override {}
  void setStorePaths(bool) override {}
  void setPackLevel(int) override {}
  void zip() override { throw Error("The ZIP writer is not available"); }
  void setOnFilePercentDone(FilePercentEvent) override {}

private:
  std::string rootDir_;
};

} // namespace

std::unique_ptr<ArchiveWriter> makeZipWriter() {
  return std::make_unique<UnavailableWriter>();
}

} // namespace larkspur::dialog
