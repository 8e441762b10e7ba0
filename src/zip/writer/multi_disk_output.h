// An archive split over several disks or block files: the room left on the current disk, the
// change to the next one, records kept whole on one disk, an entry's data copied from its spill
// file across disks, and the configuration file that lets the directory be read from the first
// disk. What differs between the modes (names, room, labels, prompts) is in BlockOutput and
// SpanOutput.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "zip/format/stream.h"
#include "zip/format/zip_header_info.h"

namespace larkspur::zip {

class TZipWriter;
class ZipRun;

class MultiDiskOutput {
public:
  MultiDiskOutput(TZipWriter& writer, ZipRun& run) : writer_(writer), run_(run) {}
  virtual ~MultiDiskOutput() = default;
  MultiDiskOutput(const MultiDiskOutput&) = delete;
  MultiDiskOutput& operator=(const MultiDiskOutput&) = delete;

  // Checks that the set can be written, reserves SaveOnFirstDisk, sets the first disk's room and
  // returns the first output file's name. Raises before anything is written.
  std::string Start();

  // Puts the local header of `header` on the current disk (or the next, when it would not leave
  // a byte of room) with its disk and offset, then the entry's data from `spill`, if any, with
  // the progress of the copy. `spill` is read from its start.
  void PlaceEntry(TZipHeaderInfo& header, TStream* spill);

  // The central directory and the end record; no record is split across disks.
  void WriteDirectory();

  // Closes the last disk, puts the set under its final name and, when asked for, writes the
  // configuration file. Its failures are shown, not raised: the set itself is complete.
  void Commit();

  std::int64_t RoomLeft();

  // After a failure: deletes what the set's files this run wrote where they can still be
  // reached (block files; disks already handed back stay as they are).
  virtual void Discard() {}

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

  int activeDisk() const;
  void setActiveDisk(int disk);

  TZipWriter& writer_;
  ZipRun& run_;
  std::int64_t room_ = 0; // of the current disk, its file's size not yet taken off

private:
  // Changes disk unless `size` bytes fit (with `wantMore`, fit and still leave a byte); a record
  // that does not fit an empty disk either cannot be written at all.
  void keepWhole(std::int64_t size, bool wantMore);
  void changeDisk();
  void copyData(TStream& spill, std::int64_t spillSize, std::int64_t uncompressed);
  void growSaveOnFirstDisk();
  void saveConfiguration();
  void writeConfiguration(TStream& out);
};

// A disk number as block names and volume labels write it: three digits or more ("%3.3d").
std::string DiskNumberText(int number);

// The output of the writer's MultiZipInfo.MultiMode (not mmNone).
std::unique_ptr<MultiDiskOutput> MakeMultiDiskOutput(TZipWriter& writer, ZipRun& run);

} // namespace larkspur::zip
