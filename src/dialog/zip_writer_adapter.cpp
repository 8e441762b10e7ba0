// Connects the add-to-archive dialog to the product's ZIP writer.
#include "dialog/zip_writer_adapter.h"

#include "platform/platform.h"

namespace larkspur::dialog {

namespace {

LeftOutReason leftOutReason(zip::TLeftOutReason reason) {
  switch (reason) {
  case zip::TLeftOutReason::lrNotFound:
    return LeftOutReason::NotFound;
  case zip::TLeftOutReason::lrUnreadable:
    return LeftOutReason::Unreadable;
  case zip::TLeftOutReason::lrNotRegular:
    return LeftOutReason::NotRegular;
  case zip::TLeftOutReason::lrNameTaken:
    return LeftOutReason::NameTaken;
  case zip::TLeftOutReason::lrPathTooLong:
    break;
  }
  return LeftOutReason::PathTooLong;
}

} // namespace

void ZipWriterAdapter::zip() {
  if (!archiveIsOwn_)
    archiveIsOwn_ = !platform::fileExists(writer_.ZipName());
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
  writer_.SetCreateEmptyArchive(options_.createEmptyArchive);
  if (options_.splitSize) {
    zip::TMultiZipInfo info = writer_.MultiZipInfo();
    info.MultiMode = zip::TMultiMode::mmBlocks;
    info.FirstBlockSize = *options_.splitSize;
    info.BlockSize = *options_.splitSize;
    writer_.SetMultiZipInfo(info);
  }
  entriesWritten_ += writer_.Zip();
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

void ZipWriterAdapter::setOnLeftOut(LeftOutEvent event) {
  onLeftOut_ = std::move(event);
  if (!onLeftOut_) {
    writer_.OnLeftOut = nullptr;
    writer_.OnUpdate = nullptr;
    return;
  }
  writer_.OnLeftOut = [this](zip::TZipWriter&, const std::string& name,
                             zip::TLeftOutReason reason) {
    onLeftOut_(LeftOutFile{name, leftOutReason(reason)});
  };
  // Items of one selection whose files share a bare name meet in later runs as an update: one
  // of the two files is not in the archive (the entry is kept, or replaced by the newer file).
  writer_.OnUpdate = [this](zip::TZipWriter& sender, zip::TUpdateAction, std::int32_t index) {
    if (!archiveIsOwn_.value_or(false) || index < 0 || index >= sender.EntryCount())
      return;
    const zip::TZipHeaderInfo& entry = *sender.Entries()->Get(index);
    onLeftOut_(LeftOutFile{entry.Directory() + entry.FileName(), LeftOutReason::NameTaken});
  };
}

std::unique_ptr<ArchiveWriter> makeZipWriter() {
  return std::make_unique<ZipWriterAdapter>();
}

} // namespace larkspur::dialog
