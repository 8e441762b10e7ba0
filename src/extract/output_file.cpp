// Temporary file, flush, and the final move of one extracted file.
#include "extract/output_file.h"

#include "extract/extract_options.h"
#include "platform/target_files.h"

namespace larkspur::extract {

namespace {

// Three letters as GetTempFileNameA uses them, telling our leftovers apart from other programs'.
constexpr char kTempPrefix[] = "LKX";

} // namespace

OutputFile::OutputFile(const std::string& folder, std::string shownName)
    : shownName_(std::move(shownName)) {
  try {
    tempName_ = platform::makeTempFile(folder, kTempPrefix);
    file_.emplace(
        platform::File::open(tempName_, platform::Access::Write, platform::Share::DenyWrite));
  } catch (const Error& e) {
    if (!tempName_.empty())
      platform::deleteFile(tempName_);
    throw EExtractError("Cannot create \"" + shownName_ + "\": " + e.what());
  }
}

OutputFile::~OutputFile() {
  if (committed_)
    return;
  file_.reset();
  platform::deleteFile(tempName_);
}

void OutputFile::write(const std::uint8_t* bytes, std::size_t count) {
  if (file_->write(bytes, count) != count) {
    throw EExtractError("Cannot write \"" + shownName_ +
                        "\": the disk is full or refused the data");
  }
}

void OutputFile::finish(std::uint32_t dosTime, bool flush) {
  if (flush)
    file_->flushToDisk();
  file_.reset();
  platform::setFileDosTime(tempName_, dosTime);
}

bool OutputFile::commitAsNew(const std::string& name) {
  if (!platform::renameFile(tempName_, name))
    return false;
  committed_ = true;
  return true;
}

void OutputFile::commitReplacing(const std::string& name) {
  if (!platform::renameReplacing(tempName_, name))
    throw EExtractError("Cannot replace \"" + name + "\"");
  committed_ = true;
}

} // namespace larkspur::extract
