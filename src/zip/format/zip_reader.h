// TZipReader: the archive-reading component. It names an archive, brings its end record and
// directory into memory, keeps them current against the file, answers questions about entries
// and rebuilds the directory of a damaged archive from its local headers. The writer derives
// from it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zip/format/dos_date_time.h"
#include "zip/format/end_central.h"
#include "zip/format/lfn_file_stream.h"
#include "zip/format/sorted_zip.h"
#include "zip/format/zip_errors.h"
#include "zip/format/zip_header_info.h"

namespace larkspur::zip {

// What to assume when a file has no end record.
enum class TIncompleteZipMode : std::uint8_t {
  izAssumeMulti = 0,
  izAssumeBad = 1,
  izAssumeNotAZip = 2
};
// How an archive is spread: one file, removable disks, numbered block files.
enum class TMultiMode : std::uint8_t { mmNone = 0, mmSpan = 1, mmBlocks = 2 };
// An extracting reader's overwrite rule; stored and copied only.
enum class TUZOverwriteMode : std::uint8_t { Prompt = 0, Always, Never, ifNewer, ifOlder };
// Why the writer leaves a file out (the reader only declares the event).
enum class TSkipReason : std::uint8_t { srUnknown = 0, srDuplicate = 1, srNoOpen = 2 };

// What the directory in memory was read from: the archive file's DOS time and its size. The
// size catches the rewrites that the two-second DOS time alone would miss.
struct TArchiveStamp {
  std::uint32_t DosTime = 0;
  std::int64_t Size = -1; // -1: no archive read
  bool operator==(const TArchiveStamp&) const = default;
};

class TZipReader {
public:
  // The component's version, which no setting changes.
  static constexpr int kThisVersion = 222;
  // The buffer of every file stream the engine opens.
  static constexpr int kStreamBufferSize = 8192;
  static_assert(kStreamBufferSize == zip::StreamBufferSize);
  // A self-extracting archive's program comes first; its local headers start after it.
  static constexpr std::int64_t kSfxScanStart = 14000;
  // A volume label holds at most 11 characters.
  static constexpr std::size_t kVolumeLabelLength = 11;
  // No one answers this many prompts for one disk: a handler that never produces the disk
  // (or a platform without volume labels) ends with a cancel instead of asking forever.
  static constexpr int kMaxDiskPrompts = 100;

  // Events. Sender is always the component; references are in/out parameters.
  using TStartUnZipInfoEvent =
      std::function<void(TZipReader& Sender, int NumFiles, std::int64_t TotalBytes, bool& StopNow)>;
  using TPercentDoneEvent = std::function<void(TZipReader& Sender, int Percent)>;
  using TStartUnZipEvent =
      std::function<void(TZipReader& Sender, int FileIndex, std::string& FName, bool& Skip)>;
  using TEndUnZipEvent =
      std::function<void(TZipReader& Sender, int FileIndex, const std::string& FName)>;
  using TPromptForOverwriteEvent =
      std::function<void(TZipReader& Sender, bool& OverWriteIt, int FileIndex, std::string& FName)>;
  using TSkippingFileEvent =
      std::function<void(TZipReader& Sender, TSkipReason Reason, const std::string& FName,
                         int FileIndex, bool& Retry)>;
  using TBadPasswordEvent =
      std::function<void(TZipReader& Sender, int FileIndex, std::string& NewPassword)>;
  using TBadCRCEvent = std::function<void(TZipReader& Sender, std::uint32_t CalcCRC,
                                          std::uint32_t StoredCRC, int FileIndex)>;
  using TInCompleteZipEvent =
      std::function<void(TZipReader& Sender, TIncompleteZipMode& IncompleteMode)>;
  using TGetNextDiskEvent =
      std::function<void(TZipReader& Sender, int NextDisk, std::string& FName)>;
  using TUnZipCompleteEvent = std::function<void(TZipReader& Sender, int FileCount)>;
  using TGetNextBufferEvent =
      std::function<void(TZipReader& Sender, std::vector<std::uint8_t>& Buffer,
                         const std::string& FName, int AmountUsed, int BufferNum, bool& Quit)>;

  TZipReader();
  virtual ~TZipReader();
  TZipReader(const TZipReader&) = delete;
  TZipReader& operator=(const TZipReader&) = delete;

  // ---- Published properties with setter rules --------------------------------------------

  int ThisVersion() const { return kThisVersion; }
  void SetThisVersion(int) {} // the version stays what it is

  const std::string& ZipName() const { return zipName_; }
  // A new name (compared as the file system compares names) drops the directory without
  // reading the new archive. A name ending with "?" asks for the file first.
  virtual void SetZipName(const std::string& name);

  const std::string& DestDir() const { return destDir_; }
  // "?" asks for a folder. The stored value never ends with a separator.
  void SetDestDir(const std::string& dir);

  const std::string& RootDir() const { return rootDir_; }
  // Empty, or always ending with a separator.
  void SetRootDir(const std::string& dir);

  virtual bool CheckDiskLabels() const { return checkDiskLabels_; }
  virtual void SetCheckDiskLabels(bool check) { checkDiskLabels_ = check; }
  virtual TMultiMode MultiMode() const { return multiMode_; }
  virtual void SetMultiMode(TMultiMode mode) { multiMode_ = mode; }

  // Copies every string of `list`.
  void SetFilesList(const std::vector<std::string>& list) { FilesList = list; }

  // ---- Published properties stored as they are -------------------------------------------

  TZipSortMode SortMode = TZipSortMode::ByNone; // change it through SortDirectory
  bool RecreateDirs = false;
  TUZOverwriteMode OverwriteMode = TUZOverwriteMode::Prompt;
  std::vector<std::string> FilesList;
  bool DoAll = false;
  TIncompleteZipMode IncompleteZipMode = TIncompleteZipMode::izAssumeMulti;
  bool KeepZipOpen = false;
  bool DoProcessMessages = true;
  bool RetainAttributes = true;
  bool ReplaceReadOnly = false;
  bool FlushFilesOnClose = false;

  // ---- Events (an empty one is skipped) ----------------------------------------------------

  TStartUnZipInfoEvent OnStartUnZipInfo;
  TPercentDoneEvent OnFilePercentDone;
  TPercentDoneEvent OnTotalPercentDone;
  TStartUnZipEvent OnStartUnZip;
  TEndUnZipEvent OnEndUnZip;
  TPromptForOverwriteEvent OnPromptForOverwrite;
  TSkippingFileEvent OnSkippingFile;
  TBadPasswordEvent OnBadPassword;
  TBadCRCEvent OnBadCRC;
  TInCompleteZipEvent OnInCompleteZip;
  TGetNextDiskEvent OnGetNextDisk; // DefaultGetNextDisk after construction
  TUnZipCompleteEvent OnUnZipComplete;
  TGetNextBufferEvent OnGetNextBuffer;

  // A host's request to stop a long scan; the scan clears it when it stops.
  bool CancelRequested = false;
  std::string EncryptionPassword;

  // ---- Operations ------------------------------------------------------------------------

  // Reads the end record and the central directory of the archive in `stream`.
  void ReadDirectory(TStream& stream);
  // Opens the archive file if needed and reads its directory unless the one in memory is current.
  void OpenArchive();
  // Closes the archive file unless KeepZipOpen.
  void CloseArchive();
  // Forgets the archive entirely, its name included.
  void ClearArchive();

  int EntryCount() const;
  // Rebuilds the sorted view for `mode` and makes it the SortMode.
  void SortDirectory(TZipSortMode mode);

  // Indexes count from 0 in SortedEntries order; outside the directory: EListError.
  DateTime EntryDateTime(int index);
  std::string EntryComment(int index);
  void SetEntryComment(int index, std::string_view text);
  std::string ArchiveComment();
  void SetArchiveComment(std::string_view text);

  // Closes the current disk and opens disk `disk` (counted from 1), asking OnGetNextDisk for
  // its file; returns the new ArchiveStream.
  TStream& SwitchToDisk(int disk);

  // Copies the settings and every event handler; no directory, stream or end record.
  void Assign(const TZipReader& source);

  // The default disk handler: a prompt for a spanned set, "name.00n" for block files.
  static void DefaultGetNextDisk(TZipReader& Sender, int NextDisk, std::string& FName);
  // The stamp the directory cache compares: the file's DOS time and size.
  static TArchiveStamp ArchiveStampOf(const std::string& fileName);

  // ---- State ------------------------------------------------------------------------------

  // The directory in stored order, owned; null before a read.
  TSortedZip* Entries() const { return entries_.get(); }
  // The view in SortMode order: Entries itself for ByNone.
  TSortedZip* SortedEntries() const { return sortedView_ ? sortedView_.get() : entries_.get(); }
  // The entry at `index` of SortedEntries; EListError outside the directory.
  TZipHeaderInfo& Entry(int index) const;
  TEndCentral& EndRecord() { return endRecord_; }
  const TEndCentral& EndRecord() const { return endRecord_; }
  TZipHeaderInfo& WorkEntry() { return workEntry_; }
  TLFNFileStream* ArchiveStream() const { return archiveStream_.get(); }
  const TArchiveStamp& ArchiveTime() const { return archiveTime_; }
  int ActiveDisk() const { return activeDisk_; }
  int DiskCount() const { return diskCount_; }
  bool Rebuilt() const { return rebuilt_; }
  // Why the directory in memory may not be the archive's whole and true directory: it was
  // rebuilt from local headers, or it disagrees with the end record (entry count, directory
  // size, or where the directory ends). Empty when it agrees in every respect.
  const std::string& DirectoryProblem() const { return directoryProblem_; }
  bool ArchiveIsStream() const { return archiveIsStream_; }
  int StreamBufferSize() const { return kStreamBufferSize; }

protected:
  // Opens ZipName for reading, writers denied.
  void openArchiveStream();
  // Frees the sorted view and the directory.
  void dropDirectory();
  // A new directory list: stored order, duplicates an error, owning.
  static std::unique_ptr<TSortedZip> newDirectory();
  // Lets the user interface run (DoProcessMessages) and raises EUserCanceled "User Aborted
  // Operation" when a cancel was asked for, clearing the request.
  void checkCancel();

  std::string zipName_;
  std::string destDir_;
  std::string rootDir_;
  bool checkDiskLabels_ = true;
  TMultiMode multiMode_ = TMultiMode::mmNone;

  std::unique_ptr<TSortedZip> entries_;
  std::unique_ptr<TSortedZip> sortedView_; // null while the view is entries_ itself
  TEndCentral endRecord_;
  TZipHeaderInfo workEntry_;
  std::unique_ptr<TLFNFileStream> archiveStream_;
  TArchiveStamp archiveTime_;
  int activeDisk_ = 0;
  int diskCount_ = 1;
  bool rebuilt_ = false;
  std::string directoryProblem_;
  bool archiveIsStream_ = false;

private:
  class DirectoryRead;
  friend class DirectoryRead;

  void checkIndex(int index) const;
  // Rebuilds the directory from the local headers in `stream`; false when there are none or a
  // rebuild already ran for this read. Leaves the stream after the last local entry.
  bool rebuildFromLocalHeaders(TStream& stream);
  // Reads `length` bytes at `position` (fewer when the file ends first).
  static std::string readBytesAt(TStream& stream, std::int64_t position, std::int64_t length);
  // The mode an end record with ThisDisk above 0 implies for ZipName's drive.
  TMultiMode spreadOfZipName() const;
  bool diskLabelMatches(int disk) const;
};

} // namespace larkspur::zip
