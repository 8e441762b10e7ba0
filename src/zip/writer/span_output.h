// Multi-disk output spanned over removable disks: the first disk's room is its free space less
// SaveOnFirstDisk, each full disk is labelled and exchanged through OnGetNextDisk, and the set's
// configuration file goes back onto the first disk. The drive is reached through SpanMedia.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "zip/writer/multi_disk_output.h"

namespace larkspur::zip {

// What spanning needs of the drive an archive is written to. The system's own asks the platform
// layer; tests put a double in its place.
class SpanMedia {
public:
  virtual ~SpanMedia() = default;
  // Raises EWriterMode when disks cannot be spanned on this system at all.
  virtual void CheckAvailable(const std::string& zipName) = 0;
  // Free bytes on the drive of `zipName` (negative when unknown).
  virtual std::int64_t FreeSpace(const std::string& zipName) = 0;
  // Gives the disk in the drive of `zipName` the volume label `label`.
  virtual void WriteLabel(const std::string& zipName, const std::string& label) = 0;
};

// The platform's drives. Only the floppy drives A and B get labels.
std::shared_ptr<SpanMedia> MakeSystemSpanMedia();

// "A:\" or "B:\" for a name on a floppy drive (either case); empty for any other name.
std::string FloppyRoot(const std::string& zipName);
// The volume label of disk `disk` (from 1): "PKBACK# 001" for the first.
std::string DiskLabel(int disk);

class SpanOutput final : public MultiDiskOutput {
public:
  // `media` is the drive; `closeArchive` lets go of the first disk's file once the configuration
  // file is written.
  SpanOutput(TZipWriter& writer, ZipRun& run, int& activeDisk, std::string spillFolder,
             SpanMedia& media, std::function<void()> closeArchive);

private:
  void checkSettings() override;
  std::int64_t firstRoom() override;
  std::string firstName() override;
  std::string nextDisk() override;
  void afterEndRecord() override;
  void reachFirstDisk() override;
  void leaveFirstDisk() override;

  // Labels the disk now in the drive as disk ActiveDisk + 1, when labels are asked for.
  void labelDisk();

  SpanMedia& media_;
  std::function<void()> closeArchive_;
  std::string diskFile_; // the file on the disk in the drive
};

} // namespace larkspur::zip
