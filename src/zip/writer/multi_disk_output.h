// An archive split over several disks or block files: the room left on the current disk, the
// change to the next one, records kept whole on one disk, an entry's data copied from its spill
// file across disks, and the configuration file that lets the directory be read from the first
// disk. What differs between the modes (names, room, labels, prompts) is in BlockOutput and
// SpanOutput.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "zip/writer/output_file.h"
#include "zip/writer/zip_output.h"

namespace larkspur::zip {

class TZipWriter;
class ZipRun;

class MultiDiskOutput : public ZipOutput {
public:
  // `activeDisk` is the writer's ActiveDisk, which the output advances disk by disk; an entry's
  // data waits in a spill file in `spillFolder` until it is copied onto the disks.
  MultiDiskOutput(TZipWriter& writer, ZipRun& run, int& activeDisk, std::string spillFolder)
      : writer_(writer), run_(run), activeDisk_(activeDisk), spillFolder_(std::move(spillFolder)) {}
  MultiDiskOutput(const MultiDiskOutput&) = delete;
  MultiDiskOutput& operator=(const MultiDiskOutput&) = delete;

  // Checks that the set can be written; raises before anything is written.
  void Check();
  // Sets the first disk's room (SaveOnFirstDisk taken off as it stands now) and creates its file.
  void Open();

  // A split archive is always written anew, disk after disk.
  bool Updates() const override { return false; }
  // Every byte is read from its file once and copied from its spill file once.
  int PassesPerByte() const override { return 2; }
  std::int64_t Position() override { return file_->Stream().Position(); }
  // The data goes to a spill file first, since a disk may fill before it ends and the local
  // header must come first; then the local header goes on the current disk (or the next, when it
  // would not leave a byte of room) and the data is copied after it, across disks.
  void PlaceEntry(TZipHeaderInfo& header, const EntryData& data) override;
  // No record is split across disks.
  void WriteDirectory(const TSortedZip& directory, TEndCentral& end) override;
  // Closes the last disk, puts the set under its final name and, when asked for, writes the
  // configuration file. Its failures are shown, not raised: the set itself is complete.
  void Commit() override;
  // Deletes the file open now and whatever else of the set can still be reached.
  void Discard() override;

  std::int64_t RoomLeft();

protected:
  // Refuses settings the mode cannot write with, before anything is written.
  virtual void checkSettings() {}
  // The first disk's room and file name.
  virtual std::int64_t firstRoom() = 0;
  virtual std::string firstName() = 0;
  // Called with the finished disk closed: brings in the next disk, advances ActiveDisk and sets
  // room_; returns the name of the file to create on it.
  virtual std::string nextDisk() = 0;
  virtual void afterEndRecord() {}
  // The set's final name, after its last disk was closed.
  virtual void finish() {}
  // Around writing the configuration file, which belongs on the first disk.
  virtual void reachFirstDisk() {}
  virtual void leaveFirstDisk() {}
  // After a failure: deletes the set's files this run wrote where they can still be reached
  // (block files; disks already handed back stay as they are).
  virtual void discardSet() {}

  int activeDisk() const { return activeDisk_; }
  void setActiveDisk(int disk);

  TZipWriter& writer_;
  ZipRun& run_;
  std::int64_t room_ = 0; // of the current disk, its file's size not yet taken off

private:
  void openFile(const std::string& name);
  // Changes disk unless `size` bytes fit (with `wantMore`, fit and still leave a byte); a record
  // that does not fit an empty disk either cannot be written at all.
  void keepWhole(std::int64_t size, bool wantMore);
  void changeDisk();
  void copyData(TStream& spill, std::int64_t spillSize, std::int64_t uncompressed);
  void saveConfiguration();
  void writeConfiguration(TStream& out);

  int& activeDisk_;
  std::string spillFolder_;
  std::optional<OutputFile> file_;
  std::string fileName_; // the disk file open now; empty once it is finished
  const TSortedZip* directory_ = nullptr;
  TEndCentral* end_ = nullptr;
  bool committed_ = false;
};

// A disk number as block names and volume labels write it: three digits or more ("%3.3d").
std::string DiskNumberText(int number);

} // namespace larkspur::zip
