// Reading an archive's directory: the end record (or the configuration file of a multi-disk
// set), what to do without one, the central headers front to back with the repair paths, and
// the comments a multi-disk set must load while its disk is at hand.
#include "zip/format/zip_reader.h"

#include <set>

#include "platform/file_dialogs.h"
#include "zip/format/directory_consistency.h"
#include "zip/format/list_error.h"
#include "zip/format/reader_texts.h"
#include "zip/format/zfc_config.h"

namespace larkspur::zip {

// The state of one ReadDirectory call: which stream the headers come from now.
class TZipReader::DirectoryRead {
public:
  DirectoryRead(TZipReader& reader, TStream& archive)
      : r_(reader), archive_(&archive), in_(&archive) {}

  void run() {
    if (locateEndRecord()) {
      positionAtCentralDirectory();
    } else {
      handleMissingEndRecord();
    }
    if (!r_.entries_)
      r_.entries_ = newDirectory();
    readCentralHeaders();
    const std::string problem = directoryProblem();
    loadMultiDiskComment();
    TEndCentral& end = r_.endRecord_;
    r_.diskCount_ = end.ThisDisk + 1;
    r_.activeDisk_ = config_ ? 0 : end.ThisDisk;
    r_.SortDirectory(r_.SortMode);
    r_.directoryProblem_ = problem;
  }

private:
  // The end record of the archive, else of its configuration file. A comment change not yet
  // written survives a read of the file it belongs to.
  bool locateEndRecord() {
    TEndCentral& end = r_.endRecord_;
    const bool keepComment = end.Modified;
    const std::string pending = end.Comment().value_or(std::string());
    end.Clear();
    bool found = end.LocateEndRecord(*archive_);
    if (!found && !r_.archiveIsStream_) {
      config_ = OpenConfigFile(r_.zipName_, end, kStreamBufferSize);
      if (config_) {
        in_ = config_.get();
        found = true;
      }
    }
    if (keepComment) {
      end.SetComment(pending);
      end.Modified = true;
    }
    return found;
  }

  void positionAtCentralDirectory() {
    const TEndCentral& end = r_.endRecord_;
    if (!config_)
      readZip64End();
    r_.activeDisk_ = config_ ? 0 : end.ThisDisk;
    r_.SetMultiMode(end.ThisDisk == 0 ? TMultiMode::mmNone : r_.spreadOfZipName());
    // A count that wrapped to 0 in a directory of 65536 entries leaves the size to go by.
    if (end.EntryCount() == 0 && !(readsBeyondCount() && end.DirectorySize() != 0))
      return;
    if (!config_ && r_.MultiMode() != TMultiMode::mmNone &&
        end.CentralStartDisk != r_.activeDisk_) {
      switchTo(end.CentralStartDisk + 1);
    }
    in_->Seek(config_ ? 0 : static_cast<std::int64_t>(end.DirectoryOffset()), soBeginning);
  }

  // The 64-bit end record the locator before the end record points at. A damaged one matters
  // only when the end record defers to it; without a locator the classic fields stand.
  void readZip64End() {
    TEndCentral& end = r_.endRecord_;
    const bool marked = end.ThisDisk == kZip64Marker16 || end.CentralStartDisk == kZip64Marker16 ||
                        end.EntriesOnThisDisk == kZip64Marker16 ||
                        end.TotalEntries == kZip64Marker16 || end.CentralSize == kZip64Marker32 ||
                        end.CentralOffset == kZip64Marker32;
    const Zip64EndRead read =
        ReadZip64End(*archive_, static_cast<std::int64_t>(end.CommentPosition) - kEndRecordSize);
    if (read.status == Zip64EndStatus::Damaged && marked)
      throw EBadZipFile(reader_text::kZip64EndDamaged);
    if (read.status != Zip64EndStatus::Found)
      return;
    // Multi-disk sets keep to the classic limits.
    const bool classicSpread = end.ThisDisk != 0 && end.ThisDisk != kZip64Marker16;
    if (classicSpread || read.record.thisDisk != 0 || read.record.centralStartDisk != 0) {
      if (marked)
        throw EBadZipFile(reader_text::kZip64Archive);
      return;
    }
    // A single file: disk fields that only deferred to the 64-bit record say disk 0.
    end.ThisDisk = 0;
    end.CentralStartDisk = 0;
    end.Zip64 = read.record;
  }

  bool hasZip64Locator() {
    const std::int64_t locator = static_cast<std::int64_t>(r_.endRecord_.CommentPosition) -
                                 kEndRecordSize - kZip64LocatorSize;
    if (locator < 0)
      return false;
    const std::string bytes = readBytesAt(*archive_, locator, 4);
    return bytes == std::string("PK\x06\x07", 4);
  }

  // Empty when what was read is the whole directory the end record announces.
  std::string directoryProblem() {
    if (r_.rebuilt_)
      return reader_text::kDirectoryRebuilt;
    DirectoryExtent extent;
    extent.entriesHeld = r_.entries_->ItemCount();
    extent.headersEnd = headersEnd_;
    extent.headersRead = headersEnd_ >= 0;
    extent.singleFile = !config_ && r_.MultiMode() == TMultiMode::mmNone;
    extent.zip64RecordsBefore = extent.singleFile && hasZip64Locator();
    return DirectoryDisagreement(r_.endRecord_, extent);
  }

  // Entries past the 16-bit count: a directory of more than 65535 entries written without
  // 64-bit records keeps only the count's low bits, while its size still covers every header.
  // Read on while the claimed directory goes on, so none of them is silently left out.
  bool readsBeyondCount() const {
    return !config_ && !r_.rebuilt_ && r_.MultiMode() == TMultiMode::mmNone;
  }

  void readEntriesBeyondCount() {
    if (!readsBeyondCount())
      return;
    const std::int64_t end =
        static_cast<std::int64_t>(r_.endRecord_.DirectoryOffset() + r_.endRecord_.DirectorySize());
    while (in_->Position() < end) {
      auto entry = std::make_unique<TZipHeaderInfo>();
      if (!entry->ReadCentralHeader(*in_))
        return;
      if (!addEntry(entry))
        return;
      headersEnd_ = in_->Position();
    }
  }

  void handleMissingEndRecord() {
    if (r_.OnInCompleteZip)
      r_.OnInCompleteZip(r_, r_.IncompleteZipMode);
    switch (r_.IncompleteZipMode) {
    case TIncompleteZipMode::izAssumeNotAZip:
      throw ENotAZipFile(reader_text::kNotAValidZip);
    case TIncompleteZipMode::izAssumeBad:
      if (!r_.rebuildFromLocalHeaders(*archive_)) {
        platform::showCursor(platform::CursorShape::Default);
        fail();
      }
      return;
    default:
      throw EIncompleteZip(reader_text::kIncompleteZip);
    }
  }

  [[noreturn]] void fail() {
    r_.ClearArchive();
    throw EBadZipFile(reader_text::kNotAValidZip);
  }

  // After a rebuild the central headers, if any, follow the last local entry in the archive.
  void rebuildOrFail() {
    if (!r_.rebuildFromLocalHeaders(*archive_))
      fail();
    in_ = archive_;
    config_.reset();
  }

  // The disk's file replaces the archive stream: both the headers and a rebuild go on there.
  TStream& switchTo(int disk) {
    archive_ = in_ = &r_.SwitchToDisk(disk);
    return *in_;
  }

  void readCentralHeaders() {
    const bool spread = !config_ && r_.MultiMode() != TMultiMode::mmNone;
    const bool loadComments = config_ || r_.endRecord_.ThisDisk != 0;
    const TNextDiskHandler nextDisk = [this]() -> TStream& { return switchTo(r_.activeDisk_ + 2); };
    // Bounded by the directory's size when it comes from a 64-bit end record.
    const auto count = static_cast<std::int64_t>(r_.endRecord_.EntryCount());
    for (std::int64_t i = 0; i < count; ++i) {
      auto entry = std::make_unique<TZipHeaderInfo>();
      const bool withHandler = spread && !r_.rebuilt_;
      if (!entry->ReadCentralHeader(*in_, withHandler ? nextDisk : TNextDiskHandler())) {
        if (r_.rebuilt_)
          break;
        if (r_.MultiMode() != TMultiMode::mmNone)
          fail();
        rebuildOrFail();
        i = -1; // start again, now completing the rebuilt entries
        continue;
      }
      if (r_.rebuilt_) {
        completeRebuiltEntry(*entry);
        continue;
      }
      if (loadComments && entry->HasComment())
        loadCommentJustRead(*entry);
      if (!addEntry(entry)) {
        rebuildOrFail();
        i = -1;
        continue;
      }
      headersEnd_ = in_->Position();
    }
    readEntriesBeyondCount();
  }

  bool addEntry(std::unique_ptr<TZipHeaderInfo>& entry) {
    try {
      r_.entries_->AddOwned(entry);
      return true;
    } catch (const EListError&) {
      return false; // a second entry at the same disk and offset
    }
  }

  // The central header of an entry found by the local-header scan fills in what the local
  // header lacks; the entry keeps where its local header really is and its extra length. Only
  // a header of the same name does, and only the first: a second central header pointing at
  // the same local header would give the entry another entry's name and CRC.
  void completeRebuiltEntry(const TZipHeaderInfo& central) {
    TZipHeaderInfo& key = r_.workEntry_;
    key.DiskNumberStart = central.DiskNumberStart;
    key.SetHeaderOffset(central.HeaderOffset());
    int index = 0;
    if (!r_.entries_->Find(&key, index))
      return;
    auto& local = *static_cast<TZipHeaderInfo*>(r_.entries_->Get(index));
    // The stored bytes: the central header may spell the name differently (a Unicode path
    // field, the host byte) from the local header, which has neither.
    if (local.StoredName() != central.StoredName() || !completed_.insert(index).second) {
      return;
    }
    const std::uint64_t offset = local.HeaderOffset();
    const std::uint16_t extra = local.LocalExtraLength;
    local.Assign(central);
    local.SetHeaderOffset(offset);
    local.LocalExtraLength = extra;
  }

  // The comment of the header just read ends where the stream stands now.
  void loadCommentJustRead(TZipHeaderInfo& entry) {
    const std::int64_t end = in_->Position();
    if (end < entry.FileCommentLength)
      return;
    entry.SetFileComment(readBytesAt(*in_, end - entry.FileCommentLength, entry.FileCommentLength));
    in_->Seek(end, soBeginning);
  }

  void loadMultiDiskComment() {
    TEndCentral& end = r_.endRecord_;
    if (end.ThisDisk == 0 || !end.HasComment() || end.Comment())
      return;
    if (config_) {
      end.SetComment(readBytesAt(*config_, end.CommentPosition, end.CommentLength));
      end.Modified = false;
      return;
    }
    if (r_.activeDisk_ != end.ThisDisk)
      switchTo(end.ThisDisk + 1);
    const bool modified = end.Modified;
    end.SetComment(readBytesAt(*in_, end.CommentPosition, end.CommentLength));
    end.Modified = modified;
  }

  TZipReader& r_;
  TStream* archive_; // the archive's file, or the disk switched to last
  TStream* in_;      // where the central headers come from: the archive or the .zfc file
  std::unique_ptr<TLFNFileStream> config_;
  std::int64_t headersEnd_ = -1; // where the last central header read ends; -1: none read
  std::set<int> completed_;      // rebuilt entries a central header has completed
};

void TZipReader::ReadDirectory(TStream& stream) {
  archiveTime_ =
      archiveIsStream_ ? TArchiveStamp{platform::currentDosTime(), 0} : ArchiveStampOf(zipName_);
  // Each read may rebuild once; a flag left from an earlier read would drop every entry.
  rebuilt_ = false;
  dropDirectory();
  try {
    DirectoryRead(*this, stream).run();
  } catch (...) {
    // Half a directory must not pass for the archive's: the next open reads it again.
    dropDirectory();
    archiveTime_ = {};
    throw;
  }
}

} // namespace larkspur::zip
