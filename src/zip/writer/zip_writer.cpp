// TZipWriter's settings: defaults, the linked path flags, the multi-disk settings mirrored into
// the reader, Assign, the name change that writes a pending comment, and the cancel test.
#include "zip/writer/zip_writer.h"

#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/reader_texts.h"
#include "zip/format/zip_helpers.h"
#include "zip/writer/span_output.h"
#include "zip/writer/storage_name.h"
#include "zip/writer/writer_texts.h"

namespace larkspur::zip {

TZipWriter::TZipWriter() = default;

TZipWriter::~TZipWriter() = default;

SpanMedia& TZipWriter::spanMedia() {
  if (!spanMedia_)
    spanMedia_ = MakeSystemSpanMedia();
  return *spanMedia_;
}

void TZipWriter::Assign(const TZipWriter& source) {
  TZipReader::Assign(source);
  packLevel_ = source.packLevel_;
  recurse_ = source.recurse_;
  dispose_ = source.dispose_;
  storePaths_ = source.storePaths_;
  relativePaths_ = source.relativePaths_;
  storeVolumes_ = source.storeVolumes_;
  zipAction_ = source.zipAction_;
  SetMultiZipInfo(source.multiZipInfo_);
  store83Names_ = source.store83Names_;
  tempPath_ = source.tempPath_;
  skipIfArchiveBitNotSet_ = source.skipIfArchiveBitNotSet_;
  resetArchiveBitOnZip_ = source.resetArchiveBitOnZip_;
  excludeList_ = source.excludeList_;
  noCompressList_ = source.noCompressList_;
  addDirEntriesOnRecurse_ = source.addDirEntriesOnRecurse_;
  createEmptyArchive_ = source.createEmptyArchive_;
  compressionThreads_ = source.compressionThreads_;
  storeUtcTime_ = source.storeUtcTime_;
  OnStartZip = source.OnStartZip;
  OnStartZipInfo = source.OnStartZipInfo;
  OnEndZip = source.OnEndZip;
  OnDisposeFile = source.OnDisposeFile;
  OnDeleteEntry = source.OnDeleteEntry;
  OnMessage = source.OnMessage;
  OnNoSuchFile = source.OnNoSuchFile;
  OnZipComplete = source.OnZipComplete;
  OnUpdate = source.OnUpdate;
  OnLeftOut = source.OnLeftOut;
}

void TZipWriter::Loaded() {
  SetCheckDiskLabels(multiZipInfo_.CheckDiskLabels);
  SetMultiMode(multiZipInfo_.MultiMode);
}

void TZipWriter::SetZipName(const std::string& name) {
  // A comment change not yet written goes into the archive it was made for.
  if (EndRecord().Modified && !ZipName().empty() && !SameFileName(name, ZipName())) {
    FilesList.clear();
    runZip();
  }
  TZipReader::SetZipName(name);
}

bool TZipWriter::CheckDiskLabels() const {
  return multiZipInfo_.CheckDiskLabels;
}

void TZipWriter::SetCheckDiskLabels(bool value) {
  multiZipInfo_.CheckDiskLabels = value;
  TZipReader::SetCheckDiskLabels(value);
}

TMultiMode TZipWriter::MultiMode() const {
  return multiZipInfo_.MultiMode;
}

void TZipWriter::SetMultiMode(TMultiMode value) {
  multiZipInfo_.MultiMode = value;
  TZipReader::SetMultiMode(value);
}

void TZipWriter::SetMultiZipInfo(const TMultiZipInfo& value) {
  multiZipInfo_.Assign(value);
}

void TZipWriter::SetStorePaths(bool value) {
  if (value == storePaths_)
    return;
  storePaths_ = value;
  if (!value) {
    storeVolumes_ = false;
    relativePaths_ = false;
  }
}

void TZipWriter::SetRelativePaths(bool value) {
  if (value == relativePaths_)
    return;
  relativePaths_ = value;
  if (value) {
    storePaths_ = true;
    recurse_ = true;
  }
}

void TZipWriter::SetStoreVolumes(bool value) {
  if (value == storeVolumes_)
    return;
  storeVolumes_ = value;
  if (value)
    storePaths_ = true;
}

void TZipWriter::pumpAndCheckCancel() {
  if (DoProcessMessages)
    platform::processMessages();
  raiseIfCanceled();
}

void TZipWriter::raiseIfCanceled() {
  if (platform::cancelRequested())
    CancelRequested = true;
  if (CancelRequested) {
    CancelRequested = false;
    throw EUserCanceled(reader_text::kUserAborted);
  }
}

StorageRule TZipWriter::StoredNameRule() const {
  return {storePaths_, relativePaths_, storeVolumes_, RootDir(), store83Names_};
}

} // namespace larkspur::zip
