// TZipReader: construction, the property setters, Assign, the life of the archive stream and
// the directory, the sorted view, and the per-entry questions (date-time, comments).
#include "zip/format/zip_reader.h"

#include "platform/file_dialogs.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "zip/format/list_error.h"
#include "zip/format/reader_texts.h"
#include "zip/format/zip_helpers.h"

namespace larkspur::zip {

namespace {

// Whether two archive names name the same file: Windows file names ignore letter case, POSIX
// ones do not.
std::string formatIndexMessage(int index) {
  std::string text = reader_text::kIndexOutOfRange;
  text.replace(text.find("%d"), 2, std::to_string(index));
  return text;
}

} // namespace

TZipReader::TZipReader() {
  OnGetNextDisk = &TZipReader::DefaultGetNextDisk;
}

TZipReader::~TZipReader() {
  ClearArchive();
}

// ---- Properties ---------------------------------------------------------------------------

void TZipReader::SetZipName(const std::string& name) {
  if (SameFileName(name, zipName_))
    return;
  std::string chosen = name;
  if (!name.empty() && name.back() == '?') {
    const std::string asked = paths::ExtractFileDir(name.substr(0, name.size() - 1));
    const std::string initial =
        platform::directoryExists(asked) ? asked : std::string(reader_text::kOpenZipFallbackDir);
    auto file =
        platform::chooseOpenFile(reader_text::kOpenZipTitle, reader_text::kOpenZipFilter, initial);
    if (!file)
      throw EUserCanceled(reader_text::kUserCanceledZipName);
    chosen = *file;
  }
  zipName_ = chosen;
  dropDirectory();
  archiveTime_ = {};
  endRecord_.Clear();
  archiveStream_.reset();
  rebuilt_ = false;
  archiveIsStream_ = false;
}

void TZipReader::SetDestDir(const std::string& dir) {
  std::string value = dir;
  if (dir == "?") {
    const std::string start = platform::directoryExists(destDir_) ? destDir_ : std::string();
    auto folder = platform::chooseFolder(start);
    if (!folder)
      throw EUserCanceled(reader_text::kUserCanceledDestDir);
    value = *folder;
  }
  destDir_ = paths::ExcludeTrailingPathDelimiter(value);
}

void TZipReader::SetRootDir(const std::string& dir) {
  rootDir_ = dir.empty() ? std::string() : paths::IncludeTrailingPathDelimiter(dir);
}

void TZipReader::Assign(const TZipReader& source) {
  if (&source == this)
    return;
  SetZipName(source.zipName_);
  destDir_ = source.destDir_;
  rootDir_ = source.rootDir_;
  SortMode = source.SortMode;
  RecreateDirs = source.RecreateDirs;
  OverwriteMode = source.OverwriteMode;
  FilesList = source.FilesList;
  DoAll = source.DoAll;
  IncompleteZipMode = source.IncompleteZipMode;
  KeepZipOpen = source.KeepZipOpen;
  DoProcessMessages = source.DoProcessMessages;
  RetainAttributes = source.RetainAttributes;
  ReplaceReadOnly = source.ReplaceReadOnly;
  OnStartUnZipInfo = source.OnStartUnZipInfo;
  OnFilePercentDone = source.OnFilePercentDone;
  OnTotalPercentDone = source.OnTotalPercentDone;
  OnStartUnZip = source.OnStartUnZip;
  OnEndUnZip = source.OnEndUnZip;
  OnPromptForOverwrite = source.OnPromptForOverwrite;
  OnSkippingFile = source.OnSkippingFile;
  OnBadPassword = source.OnBadPassword;
  OnBadCRC = source.OnBadCRC;
  OnInCompleteZip = source.OnInCompleteZip;
  OnGetNextDisk = source.OnGetNextDisk;
  OnUnZipComplete = source.OnUnZipComplete;
  OnGetNextBuffer = source.OnGetNextBuffer;
}

// ---- The archive stream and the directory ----------------------------------------------------

TArchiveStamp TZipReader::ArchiveStampOf(const std::string& fileName) {
  TArchiveStamp stamp;
  stamp.DosTime = platform::fileDosTime(fileName);
  try {
    stamp.Size =
        platform::File::open(fileName, platform::Access::Read, platform::Share::DenyNone).size();
  } catch (const Error&) {
    stamp.Size = -2; // unreadable now: never equal to a stamp taken from a read
  }
  return stamp;
}

void TZipReader::openArchiveStream() {
  archiveStream_ = std::make_unique<TLFNFileStream>(zipName_, kStreamBufferSize, FlushFilesOnClose,
                                                    fmOpenRead | fmShareDenyWrite);
}

void TZipReader::OpenArchive() {
  const bool wasOpen = archiveStream_ != nullptr;
  if (!wasOpen)
    openArchiveStream();
  if (entries_) {
    if (archiveIsStream_ || ArchiveStampOf(zipName_) == archiveTime_)
      return;
    // A stream kept open from before may still read the file that was replaced.
    if (wasOpen)
      openArchiveStream();
  }
  ReadDirectory(*archiveStream_);
}

void TZipReader::CloseArchive() {
  if (!KeepZipOpen)
    archiveStream_.reset();
}

void TZipReader::ClearArchive() {
  archiveStream_.reset();
  dropDirectory();
  endRecord_.Clear();
  rebuilt_ = false;
  archiveTime_ = {};
  diskCount_ = 1;
  SetMultiMode(TMultiMode::mmNone);
  if (!archiveIsStream_)
    zipName_.clear();
}

void TZipReader::dropDirectory() {
  sortedView_.reset();
  entries_.reset();
  directoryProblem_.clear();
}

std::unique_ptr<TSortedZip> TZipReader::newDirectory() {
  return std::make_unique<TSortedZip>(true, TDuplicates::dupError);
}

int TZipReader::EntryCount() const {
  return entries_ ? entries_->ItemCount() : 0;
}

void TZipReader::SortDirectory(TZipSortMode mode) {
  sortedView_.reset();
  if (mode != TZipSortMode::ByNone && entries_) {
    auto view = std::make_unique<TSortedZip>(false, TDuplicates::dupAccept);
    view->SortMode = mode;
    for (int i = 0; i < entries_->ItemCount(); ++i)
      view->Add(entries_->Get(i));
    sortedView_ = std::move(view);
  }
  SortMode = mode;
}

void TZipReader::checkCancel() {
  if (!DoProcessMessages)
    return;
  platform::processMessages();
  if (platform::cancelRequested())
    CancelRequested = true;
  if (CancelRequested) {
    CancelRequested = false;
    throw EUserCanceled(reader_text::kUserAborted);
  }
}

// ---- Entries ---------------------------------------------------------------------------------

void TZipReader::checkIndex(int index) const {
  if (index < 0 || index >= EntryCount())
    throw EListError(formatIndexMessage(index));
}

TZipHeaderInfo& TZipReader::Entry(int index) const {
  checkIndex(index);
  return *static_cast<TZipHeaderInfo*>(SortedEntries()->Get(index));
}

DateTime TZipReader::EntryDateTime(int index) {
  return DosDateTimeToDateTime(Entry(index).FileDateTime).value_or(NowDateTime());
}

std::string TZipReader::readBytesAt(TStream& stream, std::int64_t position, std::int64_t length) {
  std::string bytes(static_cast<std::size_t>(length), '\0');
  stream.Seek(position, soBeginning);
  // A length that runs past the end of the file keeps what is there.
  bytes.resize(static_cast<std::size_t>(stream.Read(bytes.data(), length)));
  return bytes;
}

std::string TZipReader::EntryComment(int index) {
  const TZipHeaderInfo* entry = &Entry(index);
  if (!entry->HasComment())
    return {};
  if (entry->FileComment())
    return *entry->FileComment();
  OpenArchive();
  // The directory may have been read again: look the entry up anew.
  TZipHeaderInfo& current = Entry(index);
  if (!current.HasComment())
    return {};
  if (current.FileComment())
    return *current.FileComment();
  std::string fixed =
      readBytesAt(*archiveStream_, current.CentralHeaderPosition, kCentralHeaderSize);
  std::string comment;
  if (fixed.size() == static_cast<std::size_t>(kCentralHeaderSize)) {
    const auto byte = [&](int at) { return static_cast<unsigned char>(fixed[at]); };
    const int nameLength = byte(28) | (byte(29) << 8);
    const int extraLength = byte(30) | (byte(31) << 8);
    comment =
        readBytesAt(*archiveStream_,
                    current.CentralHeaderPosition + kCentralHeaderSize + nameLength + extraLength,
                    current.FileCommentLength);
  }
  current.SetFileComment(comment);
  if (MultiMode() == TMultiMode::mmNone)
    CloseArchive();
  return comment;
}

void TZipReader::SetEntryComment(int index, std::string_view text) {
  if (EntryComment(index) == text)
    return;
  Entry(index).SetFileComment(text.empty() ? std::nullopt : std::optional<std::string_view>(text));
  endRecord_.Modified = true;
}

std::string TZipReader::ArchiveComment() {
  if (!endRecord_.HasComment())
    return {};
  if (endRecord_.Comment())
    return *endRecord_.Comment();
  OpenArchive();
  if (!endRecord_.HasComment())
    return {};
  if (endRecord_.Comment())
    return *endRecord_.Comment();
  const std::string comment =
      readBytesAt(*archiveStream_, endRecord_.CommentPosition, endRecord_.CommentLength);
  const bool modified = endRecord_.Modified;
  endRecord_.SetComment(comment);
  endRecord_.Modified = modified;
  if (MultiMode() == TMultiMode::mmNone)
    CloseArchive();
  return comment;
}

void TZipReader::SetArchiveComment(std::string_view text) {
  if (ArchiveComment() == text)
    return;
  endRecord_.SetComment(text);
  endRecord_.Modified = true;
}

} // namespace larkspur::zip
