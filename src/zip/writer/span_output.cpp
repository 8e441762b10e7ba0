// Spanned disks: free space, labels, the prompt for each next disk and the way back to the first.
#include "zip/writer/span_output.h"

#include "platform/file_dialogs.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/zip_errors.h"
#include "zip/format/zip_helpers.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {

namespace {

// The label's fixed part; the disk number follows in three digits.
constexpr char kLabelPrefix[] = "PKBACK# ";

class SystemSpanMedia final : public SpanMedia {
public:
  void CheckAvailable(const std::string&) override {
    if (!platform::kCanSpanDisks)
      throw EWriterMode(writer_text::kSpanUnavailable);
  }

  std::int64_t FreeSpace(const std::string& zipName) override {
    // The drive of the name, or the current drive for a name without one.
    const std::string drive = paths::ExtractFileDrive(zipName);
    return platform::diskFreeSpace(drive.empty() ? std::string() : drive + "\\");
  }

  void WriteLabel(const std::string& zipName, const std::string& label) override {
    const std::string root = FloppyRoot(zipName);
    if (!root.empty())
      WriteVolumeLabel(root, label);
  }
};

} // namespace

std::shared_ptr<SpanMedia> MakeSystemSpanMedia() {
  return std::make_shared<SystemSpanMedia>();
}

std::string FloppyRoot(const std::string& zipName) {
  // A drive letter with its colon: a relative name that merely starts with "a" is no floppy.
  if (zipName.size() < 2 || zipName[1] != ':')
    return std::string();
  const char drive = paths::UpperCaseAscii(zipName.substr(0, 1))[0];
  if (drive != 'A' && drive != 'B')
    return std::string();
  return std::string(1, drive) + ":\\";
}

std::string DiskLabel(int disk) {
  return kLabelPrefix + DiskNumberText(disk);
}

SpanOutput::SpanOutput(TZipWriter& writer, ZipRun& run, int& activeDisk, std::string spillFolder,
                       SpanMedia& media, std::function<void()> closeArchive)
    : MultiDiskOutput(writer, run, activeDisk, std::move(spillFolder)), media_(media),
      closeArchive_(std::move(closeArchive)) {}

void SpanOutput::checkSettings() {
  media_.CheckAvailable(writer_.ZipName());
  // Without a handler the same file name would be reopened, and the finished disk deleted.
  if (!writer_.OnGetNextDisk)
    throw EWriterMode(writer_text::kSpanNeedsHandler);
}

std::int64_t SpanOutput::firstRoom() {
  return media_.FreeSpace(writer_.ZipName()) - writer_.MultiZipInfo().SaveOnFirstDisk;
}

std::string SpanOutput::firstName() {
  diskFile_ = writer_.ZipName();
  return diskFile_;
}

void SpanOutput::labelDisk() {
  if (writer_.MultiZipInfo().WriteDiskLabels)
    media_.WriteLabel(writer_.ZipName(), DiskLabel(activeDisk() + 1));
}

std::string SpanOutput::nextDisk() {
  labelDisk();
  std::string name = diskFile_;
  writer_.OnGetNextDisk(writer_, activeDisk() + 2, name);
  if (name.empty())
    throw EUserCanceled(writer_text::kUserCanceledZip);
  setActiveDisk(activeDisk() + 1);
  if (platform::fileExists(name))
    platform::deleteFile(name);
  if (writer_.OnPrepareNextDisk)
    writer_.OnPrepareNextDisk(writer_, activeDisk() + 1);
  room_ = media_.FreeSpace(writer_.ZipName());
  diskFile_ = name;
  return name;
}

void SpanOutput::afterEndRecord() {
  labelDisk();
}

void SpanOutput::reachFirstDisk() {
  writer_.SwitchToDisk(1);
  platform::showCursor(platform::CursorShape::Busy);
}

void SpanOutput::leaveFirstDisk() {
  // The configuration file is written, not read: the first disk's file is not kept open.
  closeArchive_();
  platform::showCursor(platform::CursorShape::Default);
}

} // namespace larkspur::zip
