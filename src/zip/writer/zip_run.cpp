// One Zip call's output, directory structures and counters.
#include "zip/writer/zip_run.h"

#include "platform/platform.h"
#include "zip/writer/multi_disk_output.h"
#include "zip/writer/writer_errors.h"
#include "zip/writer/zip_writer.h"

namespace larkspur::zip {

ZipRun::ZipRun(TZipWriter& writer) : writer_(writer) {}

ZipRun::~ZipRun() = default;

void ZipRun::openFile(const std::string& name) {
  // The temporary file exists already, held by its guard, which also puts it on disk.
  if (temp && name == temp->Name()) {
    file_ = std::make_unique<TLFNFileStream>(name, StreamBufferSize, false,
                                             fmOpenReadWrite | fmShareDenyNone);
  } else {
    file_ = std::make_unique<TLFNFileStream>(name, StreamBufferSize, writer_.FlushFilesOnClose,
                                             fmCreate);
  }
  // One file takes any size with 64-bit fields; a split archive keeps to the classic ones.
  output_ = std::make_unique<ArchiveOutput>(*file_, multi ? writer_.Limits() : kNoClassicLimits);
}

void ZipRun::OpenNextOutput(const std::string& name) {
  openFile(name);
  outputName = name;
}

void ZipRun::CreateOutput(const std::string& name) {
  openFile(name);
  newDirectory_ = std::make_unique<TSortedZip>(true, TDuplicates::dupError);
  newDirectory_->SortMode = TZipSortMode::ByNone;
  nameIndex_ = std::make_unique<TSortedZip>(false, TDuplicates::dupError);
  nameIndex_->SortMode = TZipSortMode::ByName;
}

void ZipRun::CloseOutput() {
  if (!file_)
    return;
  // Written bytes still in the buffer would otherwise be lost silently when the disk is full.
  try {
    file_->Flush();
  } catch (const EStreamError&) {
    throw ENotEnoughRoom();
  }
  output_.reset();
  file_.reset();
  // A multi-disk set keeps every disk it finished: the failure path deletes only the file open
  // at the time (none, until the next disk's file exists).
  if (multi)
    outputName.clear();
}

void ZipRun::DiscardOutput() {
  output_.reset();
  file_.reset();
  if (temp) {
    temp.reset(); // deletes it
    return;
  }
  if (!outputName.empty())
    platform::deleteFile(outputName);
  if (multi)
    multi->Discard();
}

const TZipHeaderInfo* ZipRun::indexed(const std::string& directory,
                                      const std::string& fileName) const {
  TZipHeaderInfo probe;
  probe.SetDirectory(directory);
  probe.SetFileName(fileName);
  int index = 0;
  return nameIndex_->Find(&probe, index) ? nameIndex_->Get(index) : nullptr;
}

bool ZipRun::NameTaken(const std::string& directory, const std::string& fileName) const {
  const TZipHeaderInfo* holder = indexed(directory, fileName);
  if (!holder)
    return false;
  // The entry being replaced may have a kept neighbour whose name differs only in letter case:
  // the archive held both, so the replacement takes its own entry's place beside it.
  const std::string name = directory + fileName;
  return !(name == replacing_ && holder->Directory() + holder->FileName() != name);
}

void ZipRun::CheckRoomForEntry() const {
  if (multi)
    CheckEntryCount(writer_.Limits(), static_cast<std::uint64_t>(newDirectory_->ItemCount()));
}

void ZipRun::AddWrittenEntry(std::unique_ptr<TZipHeaderInfo> header, const std::string& source) {
  ++count;
  ++newEnd_.EntriesOnThisDisk;
  ++newEnd_.TotalEntries;
  if (!indexed(header->Directory(), header->FileName()))
    nameIndex_->Add(header.get());
  newDirectory_->AddOwned(header);
  if (disposeList)
    disposeList->push_back(source);
}

void ZipRun::AddKeptEntry(std::unique_ptr<TZipHeaderInfo> header) {
  ++newEnd_.EntriesOnThisDisk;
  ++newEnd_.TotalEntries;
  if (!indexed(header->Directory(), header->FileName()))
    nameIndex_->Add(header.get());
  newDirectory_->AddOwned(header);
}

void ZipRun::WriteDirectory() {
  TStream& out = *output_;
  const std::int64_t start = out.Position();
  for (int i = 0; i < newDirectory_->ItemCount(); ++i) {
    newDirectory_->Get(i)->WriteCentralHeader(out);
  }
  // What passes the classic fields goes into the 64-bit end record written before the classic.
  const ZipLimits& limits = writer_.Limits();
  newEnd_.SetDirectory(static_cast<std::uint64_t>(newDirectory_->ItemCount()),
                       static_cast<std::uint64_t>(out.Position() - start),
                       static_cast<std::uint64_t>(start), limits.sizeLimit, limits.entryLimit);
  newEnd_.WriteEndRecord(out);
}

deflate::TDeflateBuffers& ZipRun::Buffers() {
  if (!buffers_)
    buffers_ = std::make_unique<deflate::TDeflateBuffers>();
  return *buffers_;
}

} // namespace larkspur::zip
