// The new archive's file while it is written: beside the archive, under a name that is this
// run's own ("<archive>.lk" + eight hex digits + ".tmp") and held so that no other run takes it
// for a leftover, flushed to disk and then moved into the archive's place in one step. What an
// interrupted run left behind is recognised by that name and cleared before the next run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace larkspur::zip {

class TempArchive {
public:
  // Creates the file, empty, beside `zipName`; platform::FileCreateError when it cannot.
  explicit TempArchive(const std::string& zipName);
  // Deletes the file unless it took the archive's name.
  ~TempArchive();
  TempArchive(const TempArchive&) = delete;
  TempArchive& operator=(const TempArchive&) = delete;

  const std::string& Name() const { return name_; }

  // A first write: the file takes `zipName` unless that name exists; false when another run
  // created it meanwhile (this file then stays and is deleted with the object).
  bool PlaceAsNew(const std::string& zipName);
  // An update: the file replaces the archive in one step, so the name never lacks an archive.
  // ECommitFailed when the system refuses; the old archive is then untouched.
  void PlaceOver(const std::string& zipName);

private:
  // Puts the data on disk; where open files cannot be moved, lets go of the file first.
  void readyToMove();
  void placed(const std::string& zipName);

  std::string name_;
  std::optional<platform::File> guard_; // holds the file until it has its final name
  bool placed_ = false;
};

// Whether `path` is the name a run writing `zipName` gives its temporary file.
bool IsTempArchiveOf(const std::string& path, const std::string& zipName);

// Where earlier versions parked the old archive while replacing it: "<zipName>$$$".
std::string ParkedCopyName(const std::string& zipName);

// Clears what an interrupted run left beside `zipName`: temporary files nobody holds are
// deleted, and an old archive parked as "<zipName>$$$" takes its name back when the archive is
// missing. Returns one line for each thing done, for the user, and (with `mentionParkedCopy`)
// one for a parked copy left alone beside the archive.
std::vector<std::string> ClearLeftovers(const std::string& zipName, bool mentionParkedCopy);

} // namespace larkspur::zip
