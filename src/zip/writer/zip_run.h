// The state of one Zip call: the new directory in written order, the name index that refuses a
// second entry of one name, the new end record, the counters, the compressor's work areas, and
// what the call's steps ask of the writer beyond its public settings (the cancel test, reports of
// files left out). It lives from the start of the operation to its commit or failure.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "deflate/deflate_buffers.h"
#include "zip/format/end_central.h"
#include "zip/format/sorted_zip.h"
#include "zip/format/zip_header_info.h"
#include "zip/writer/writer_events.h"
#include "zip/writer/zip_limits.h"

namespace larkspur::zip {

// The writer's own operations a step of Zip may need.
struct RunHooks {
  // Lets the host process messages when allowed, then raises EUserCanceled on a cancel request.
  std::function<void()> pumpAndCheckCancel;
  // The cancel test alone, where messages are not processed (raw copies).
  std::function<void()> raiseIfCanceled;
  // Fires OnLeftOut for `path` with the reason the system gives (`folder`: it was to be listed).
  std::function<void(const std::string& path, bool folder)> reportTrouble;
  // Fires OnLeftOut for `path` with `reason`.
  std::function<void(const std::string& path, TLeftOutReason reason)> reportLeftOut;
};

class ZipRun {
public:
  ZipRun(const ZipLimits& limits, RunHooks hooks);
  ZipRun(const ZipRun&) = delete;
  ZipRun& operator=(const ZipRun&) = delete;

  // Whether the new archive already holds an entry of this directory and file name (compared
  // without regard to case), other than a case variant beside the entry being replaced.
  bool NameTaken(const std::string& directory, const std::string& fileName) const;
  // The exact directory and file name of the archive entry a file is replacing, or empty.
  void SetReplacing(std::string name) { replacing_ = std::move(name); }
  // Refuses one more entry when the entry count would no longer fit its field.
  void CheckRoomForEntry() const;
  // A new or replacing entry written from the file `source`: counted, indexed, appended.
  void AddWrittenEntry(std::unique_ptr<TZipHeaderInfo> header, const std::string& source);
  // An entry carried over unchanged: indexed (unless an entry of its name already is, which a
  // foreign archive may hold) and appended, not counted.
  void AddKeptEntry(std::unique_ptr<TZipHeaderInfo> header);

  // Hands the new directory over to the writer (after a commit).
  std::unique_ptr<TSortedZip> TakeDirectory() { return std::move(newDirectory_); }
  const TSortedZip& Directory() const { return *newDirectory_; }

  TEndCentral& EndRecord() { return newEnd_; }
  deflate::TDeflateBuffers& Buffers();
  void ReleaseBuffers() { buffers_.reset(); }

  const ZipLimits& Limits() const { return limits_; }
  void PumpAndCheckCancel() const { hooks_.pumpAndCheckCancel(); }
  void RaiseIfCanceled() const { hooks_.raiseIfCanceled(); }
  void ReportTrouble(const std::string& path, bool folder) const {
    hooks_.reportTrouble(path, folder);
  }
  void ReportLeftOut(const std::string& path, TLeftOutReason reason) const {
    hooks_.reportLeftOut(path, reason);
  }

  // Entries written from files.
  std::int32_t count = 0;
  std::optional<std::vector<std::string>> disposeList;
  std::int64_t totalBytes = 0;
  std::int64_t bytesDone = 0;

private:
  const TZipHeaderInfo* indexed(const std::string& directory, const std::string& fileName) const;
  void index(std::unique_ptr<TZipHeaderInfo> header);

  const ZipLimits& limits_;
  RunHooks hooks_;
  std::string replacing_;
  std::unique_ptr<TSortedZip> newDirectory_;
  std::unique_ptr<TSortedZip> nameIndex_;
  TEndCentral newEnd_;
  std::unique_ptr<deflate::TDeflateBuffers> buffers_;
};

} // namespace larkspur::zip
