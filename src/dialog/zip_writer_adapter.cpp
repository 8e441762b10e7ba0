// Connects the add-to-archive dialog to the product's ZIP writer.
#include "dialog/zip_writer_adapter.h"

namespace larkspur::dialog {

void ZipWriterAdapter::zip() {
  writer_.SetStorePaths(storePaths_ || options_.storePaths);
  writer_.SetRecurse(recurse_ || options_.recurse);
  // Relative paths bring stored paths and recursion with them.
  if (options_.relativePaths)
    writer_.SetRelativePaths(true);
  writer_.SetPackLevel(options_.packLevel.value_or(packLevel_));
  writer_.SetExcludeList(options_.excludeList);
  writer_.SetNoCompressList(options_.noCompressList);
  writer_.SetZipAction(options_.zipAction.value_or(zip::TZipAction::zaUpdate));
  writer_.EncryptionPassword = options_.password;
  writer_.Zip();
}

void ZipWriterAdapter::setOnFilePercentDone(FilePercentEvent event) {
  if (!event) {
    writer_.OnFilePercentDone = nullptr;
    return;
  }
  writer_.OnFilePercentDone = [event = std::move(event)](zip::TZipReader&, int percent) {
    event(percent);
  };
}

std::unique_ptr<ArchiveWriter> makeZipWriter() {
  return std::make_unique<ZipWriterAdapter>();
}

} // namespace larkspur::dialog
