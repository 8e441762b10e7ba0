// Block files: their names, sizes and the name the finished set goes by.
#include "zip/writer/block_output.h"

#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {

std::string NumberedName(const std::string& name, int number) {
  return paths::RemoveFileExt(name) + "." + DiskNumberText(number);
}

std::string BlockOutput::blockName(int disk) const {
  return NumberedName(zipName_, disk + 1);
}

void BlockOutput::checkSettings() {
  zipName_ = writer_.ZipName();
  const TMultiZipInfo& info = writer_.MultiZipInfo();
  if (info.FirstBlockSize <= 0 || info.BlockSize <= 0)
    throw EWriterMode(writer_text::kBlockSizeInvalid);
  // A first block of an earlier set: writing over it would mix two sets.
  if (platform::fileExists(blockName(0)))
    throw EWriterMode(writer_text::kMultiDiskExists + blockName(0));
}

std::int64_t BlockOutput::firstRoom() {
  return writer_.MultiZipInfo().FirstBlockSize;
}

std::string BlockOutput::firstName() {
  blocksCreated_ = 1;
  return blockName(0);
}

std::string BlockOutput::nextDisk() {
  setActiveDisk(activeDisk() + 1);
  room_ = writer_.MultiZipInfo().BlockSize;
  blocksCreated_ = activeDisk() + 1;
  return blockName(activeDisk());
}

void BlockOutput::discardSet() {
  for (int disk = 0; disk < blocksCreated_; ++disk)
    platform::deleteFile(blockName(disk));
  blocksCreated_ = 0;
}

void BlockOutput::finish() {
  if (activeDisk() == 0) {
    if (!platform::renameFile(blockName(0), zipName_)) {
      // The single block is a whole archive under a name nobody asked for: it goes.
      platform::deleteFile(blockName(0));
      throw EWriterMode(writer_text::kBlockNotRenamed + zipName_);
    }
    return;
  }
  writer_.TZipReader::SetZipName(blockName(activeDisk()));
}

} // namespace larkspur::zip
