// TZipWriter: the archive-writing component. It inherits the reader (archive name, file list,
// root folder, the archive's directory) and adds the writing settings, the events and Zip, which
// turns FilesList into a committed archive, written under a temporary name beside it and moved
// into place at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zip/format/zip_reader.h"
#include "zip/writer/multi_zip_info.h"
#include "zip/writer/storage_name.h"
#include "zip/writer/writer_events.h"
#include "zip/writer/zip_limits.h"

namespace larkspur::zip {

class ZipRun;
class ZipOutput;
class EntryWriter;
class SpanMedia;
struct RunHooks;

class TZipWriter : public TZipReader {
public:
  // The compressor's default level: a balance of speed and size.
  static constexpr std::int32_t kDefaultPackLevel = 6;

  TZipWriter();
  ~TZipWriter() override;
  TZipWriter(const TZipWriter&) = delete;
  TZipWriter& operator=(const TZipWriter&) = delete;

  // The reader's settings, every writer property (lists and MultiZipInfo by content) and the
  // events except OnPrepareNextDisk and OnRecursingFile.
  void Assign(const TZipWriter& source);
  // After the settings were loaded as a whole: the reader's copies follow MultiZipInfo.
  void Loaded();

  // Writes the archive named ZipName from FilesList, which is empty afterwards whatever happens.
  // Returns the number of entries written from files (new and replaced ones).
  std::int32_t Zip();

  // A different name first writes a pending comment change to the current archive.
  void SetZipName(const std::string& name) override;
  bool CheckDiskLabels() const override;
  void SetCheckDiskLabels(bool value) override;
  TMultiMode MultiMode() const override;
  void SetMultiMode(TMultiMode value) override;

  // ---- Published properties, in declaration order ----
  std::int32_t PackLevel() const { return packLevel_; }
  void SetPackLevel(std::int32_t value) { packLevel_ = value; }
  bool Recurse() const { return recurse_; }
  void SetRecurse(bool value) { recurse_ = value; }
  bool Dispose() const { return dispose_; }
  void SetDispose(bool value) { dispose_ = value; }
  bool StorePaths() const { return storePaths_; }
  // Off also turns StoreVolumes and RelativePaths off.
  void SetStorePaths(bool value);
  bool RelativePaths() const { return relativePaths_; }
  // On also turns StorePaths and Recurse on.
  void SetRelativePaths(bool value);
  bool StoreVolumes() const { return storeVolumes_; }
  // On also turns StorePaths on.
  void SetStoreVolumes(bool value);
  TZipAction ZipAction() const { return zipAction_; }
  void SetZipAction(TZipAction value) { zipAction_ = value; }
  const TMultiZipInfo& MultiZipInfo() const { return multiZipInfo_; }
  void SetMultiZipInfo(const TMultiZipInfo& value);
  bool Store83Names() const { return store83Names_; }
  void SetStore83Names(bool value) { store83Names_ = value; }
  const std::string& TempPath() const { return tempPath_; }
  void SetTempPath(const std::string& value) { tempPath_ = value; }
  bool SkipIfArchiveBitNotSet() const { return skipIfArchiveBitNotSet_; }
  void SetSkipIfArchiveBitNotSet(bool value) { skipIfArchiveBitNotSet_ = value; }
  bool ResetArchiveBitOnZip() const { return resetArchiveBitOnZip_; }
  void SetResetArchiveBitOnZip(bool value) { resetArchiveBitOnZip_ = value; }
  const std::vector<std::string>& ExcludeList() const { return excludeList_; }
  void SetExcludeList(const std::vector<std::string>& value) { excludeList_ = value; }
  const std::vector<std::string>& NoCompressList() const { return noCompressList_; }
  void SetNoCompressList(const std::vector<std::string>& value) { noCompressList_ = value; }
  bool AddDirEntriesOnRecurse() const { return addDirEntriesOnRecurse_; }
  void SetAddDirEntriesOnRecurse(bool value) { addDirEntriesOnRecurse_ = value; }

  // Whether a new archive is written when nothing at all went into it (true, the default: an
  // archive of its end record alone). A front end that reports "nothing added" turns it off.
  bool CreateEmptyArchive() const { return createEmptyArchive_; }
  void SetCreateEmptyArchive(bool value) { createEmptyArchive_ = value; }

  // Threads that compress files ahead of the one writing the archive (1, the default: every
  // file in turn on the caller's thread). Events still reach the caller on its own thread in
  // order, and the archive is the same byte for byte whatever the count.
  int CompressionThreads() const { return compressionThreads_; }
  void SetCompressionThreads(int value) { compressionThreads_ = value < 1 ? 1 : value; }

  // Whether new entries carry the extended timestamp field with their UTC modification time,
  // so they extract at the right time in every time zone. Written only where the system keeps
  // Unix times (POSIX); Windows archives never carry it.
  bool StoreUtcTime() const { return storeUtcTime_; }
  void SetStoreUtcTime(bool value) { storeUtcTime_ = value; }

  // The format's field limits; lowered only by tests, which cannot write 4 GiB.
  const ZipLimits& Limits() const { return limits_; }
  // The path settings that decide the name a file is stored under.
  StorageRule StoredNameRule() const;

  // ---- Events, in the order one Zip fires them ----
  TZipFileEvent OnRecursingFile;
  TZipFileEvent OnNoSuchFile;
  TUpdateEvent OnUpdate;
  TStartZipInfoEvent OnStartZipInfo;
  TStartZipEvent OnStartZip;
  TEndZipEvent OnEndZip;
  TPrepareNextDiskEvent OnPrepareNextDisk;
  TZipSkipFileEvent OnDisposeFile;
  TZipCompleteEvent OnZipComplete;
  // Every file or folder left out against the caller's wish (not found, unreadable, not a
  // regular file, name taken, path too long), beside OnNoSuchFile and OnSkippingFile, which
  // tell only some of them. Files excluded on purpose (ExcludeList, OnStartZip, zaFreshen, the
  // archive bit) are not reported.
  TLeftOutEvent OnLeftOut;
  // Belongs to an entry-deletion mode nothing starts; never fired.
  TZipSkipFileEvent OnDeleteEntry;
  // What the writer did on its own that the user should know: a leftover of an interrupted run
  // cleared or put back, a wait for another run. Unassigned: a plain message box (on POSIX a
  // line on stderr).
  TZipFileEvent OnMessage;

protected:
  void SetLimits(const ZipLimits& limits) { limits_ = limits; }
  // The drive spanned disks are written to; tests put a double in the system's place.
  void SetSpanMedia(std::shared_ptr<SpanMedia> media) { spanMedia_ = std::move(media); }

private:
  // Zip without OnZipComplete (also used to write a pending comment before a name change);
  // a first write that another run beat to the name is done again as an update.
  std::int32_t runZip();
  std::int32_t runOnce();
  // The run's output, decided here once: a single file beside the archive, or a set of disks or
  // block files. Raises before anything is written.
  std::unique_ptr<ZipOutput> createOutput(ZipRun& run);
  // A single-file archive: leftovers cleared, the archive held when it exists, the temporary
  // file created.
  std::unique_ptr<ZipOutput> startSingleFile();
  // SaveOnFirstDisk grown by this run's reserve for the directory.
  void growSaveOnFirstDisk();
  // What the run's steps may ask of the writer beyond its public face.
  RunHooks runHooks();
  // Tells the user what the writer did on its own (leftovers cleared, a wait for another run).
  void tellUser(const std::string& text);
  // Lets the host process messages when allowed, then raises EUserCanceled when a cancel was
  // requested (by the host or by Ctrl-C in a terminal).
  void pumpAndCheckCancel();
  // The cancel test alone, where messages are not processed (raw copies).
  void raiseIfCanceled();
  // Steps of Zip (zip_operation.cpp).
  void initEndRecord(ZipRun& run, bool updating);
  // The new files of FilesList, each written after the entries so far.
  void addFiles(ZipRun& run, const ZipOutput& output, EntryWriter& entries);
  // Starts the workers that compress the new files ahead.
  void startAhead(ZipRun& run, const std::vector<std::string>& specs);
  std::string tempFolder() const;
  void commit(ZipRun& run, ZipOutput& output, TZipSortMode sortMode);
  void disposeFiles(const std::vector<std::string>& files);
  SpanMedia& spanMedia();
  // Fires OnLeftOut for `path` with the reason the system gives (`folder`: it was to be listed).
  void reportLeftOut(const std::string& path, bool folder);
  void reportLeftOut(const std::string& path, TLeftOutReason reason);

  std::int32_t packLevel_ = kDefaultPackLevel;
  bool recurse_ = false;
  bool dispose_ = false;
  bool storePaths_ = false;
  bool relativePaths_ = false;
  bool storeVolumes_ = false;
  TZipAction zipAction_ = TZipAction::zaUpdate;
  TMultiZipInfo multiZipInfo_;
  bool store83Names_ = false;
  std::string tempPath_;
  bool skipIfArchiveBitNotSet_ = false;
  bool resetArchiveBitOnZip_ = false;
  std::vector<std::string> excludeList_;
  std::vector<std::string> noCompressList_;
  bool addDirEntriesOnRecurse_ = false;
  bool createEmptyArchive_ = true;
  int compressionThreads_ = 1;
  bool storeUtcTime_ = true;
  ZipLimits limits_;
  // SaveOnFirstDisk as configured, and as the last multi-disk run grew it: a run reserves room
  // from the configured value, not from an earlier run's.
  std::int32_t saveOnFirstDiskBase_ = 0;
  std::int32_t grownSaveOnFirstDisk_ = -1;
  std::shared_ptr<SpanMedia> spanMedia_;
  // The archive whose old copy, left beside it by an interrupted run, the user was told about.
  std::string parkedCopyMentioned_;
};

} // namespace larkspur::zip
