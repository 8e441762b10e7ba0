// Multi-disk reading: how an archive is spread, changing to another disk of the set, the
// volume-label check of a spanned set and the default disk handler.
#include "zip/format/zip_reader.h"

#include <cstdio>

#include "platform/file_dialogs.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/reader_texts.h"
#include "zip/format/zip_helpers.h"

namespace larkspur::zip {

namespace {

// The disk number as the set's file names and volume labels write it ("%3.3d").
std::string threeDigits(int disk) {
  char text[16];
  std::snprintf(text, sizeof text, "%3.3d", disk);
  return text;
}

// "C:\" of "c:\dir\x.zip": the root the drive queries take.
std::string driveRootOf(const std::string& name) {
  return paths::UpperCaseAscii(name.substr(0, 3));
}

std::string missingDiskMessage(int disk, const std::string& name) {
  std::string text = reader_text::kDiskMissing;
  text.replace(text.find("%s"), 2, name);
  text.replace(text.find("%d"), 2, std::to_string(disk));
  return text;
}

} // namespace

TMultiMode TZipReader::spreadOfZipName() const {
  const std::string root = driveRootOf(zipName_);
  if (root.size() < 2 || root[1] != ':')
    return TMultiMode::mmBlocks;
  return platform::driveType(root) == platform::DriveType::Removable ? TMultiMode::mmSpan
                                                                     : TMultiMode::mmBlocks;
}

bool TZipReader::diskLabelMatches(int disk) const {
  if (MultiMode() != TMultiMode::mmSpan)
    return true;
  std::string label = ReadVolumeLabel(driveRootOf(zipName_));
  if (label.size() > kVolumeLabelLength)
    label.resize(kVolumeLabelLength);
  const std::string number = threeDigits(disk);
  return label.size() >= number.size() &&
         label.compare(label.size() - number.size(), number.size(), number) == 0;
}

TStream& TZipReader::SwitchToDisk(int disk) {
  archiveStream_.reset();
  std::string name = zipName_;
  for (int prompt = 0;; ++prompt) {
    if (prompt == kMaxDiskPrompts)
      throw EUserCanceled(reader_text::kUserCanceledNewDisk);
    if (OnGetNextDisk)
      OnGetNextDisk(*this, disk, name);
    if (!CheckDiskLabels() || name.empty() || diskLabelMatches(disk)) {
      if (name.empty())
        throw EUserCanceled(reader_text::kUserCanceledNewDisk);
      if (platform::fileExists(name))
        break;
      // Only a person putting in a disk can make a missing file appear; block files cannot.
      if (MultiMode() != TMultiMode::mmSpan)
        throw EIncompleteZip(missingDiskMessage(disk, name));
    }
  }
  archiveStream_ = std::make_unique<TLFNFileStream>(name, kStreamBufferSize, false, fmOpenRead);
  activeDisk_ = disk - 1;
  archiveTime_ = ArchiveStampOf(name);
  zipName_ = name;
  return *archiveStream_;
}

void TZipReader::DefaultGetNextDisk(TZipReader& Sender, int NextDisk, std::string& FName) {
  if (Sender.MultiMode() != TMultiMode::mmSpan) {
    FName = paths::RemoveFileExt(FName) + "." + threeDigits(NextDisk);
    return;
  }
  platform::showCursor(platform::CursorShape::Default);
  const std::string text =
      reader_text::kInsertDisk + std::to_string(NextDisk) + reader_text::kOfMultiDiskSet;
  if (platform::messageBox(text, "", platform::mbOkCancel) == platform::idCancel)
    FName.clear();
  platform::showCursor(platform::CursorShape::Busy);
}

} // namespace larkspur::zip
