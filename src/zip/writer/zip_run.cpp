// One Zip call's directory structures and counters.
#include "zip/writer/zip_run.h"

#include "zip/writer/writer_errors.h"

namespace larkspur::zip {

ZipRun::ZipRun(const ZipLimits& limits, RunHooks hooks)
    : limits_(limits), hooks_(std::move(hooks)),
      newDirectory_(std::make_unique<TSortedZip>(true, TDuplicates::dupError)),
      nameIndex_(std::make_unique<TSortedZip>(false, TDuplicates::dupError)) {
  newDirectory_->SortMode = TZipSortMode::ByNone;
  nameIndex_->SortMode = TZipSortMode::ByName;
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
  CheckEntryCount(limits_, static_cast<std::uint64_t>(newDirectory_->ItemCount()));
}

void ZipRun::index(std::unique_ptr<TZipHeaderInfo> header) {
  ++newEnd_.EntriesOnThisDisk;
  ++newEnd_.TotalEntries;
  if (!indexed(header->Directory(), header->FileName()))
    nameIndex_->Add(header.get());
  newDirectory_->AddOwned(header);
}

void ZipRun::AddWrittenEntry(std::unique_ptr<TZipHeaderInfo> header, const std::string& source) {
  ++count;
  index(std::move(header));
  if (disposeList)
    disposeList->push_back(source);
}

void ZipRun::AddKeptEntry(std::unique_ptr<TZipHeaderInfo> header) {
  index(std::move(header));
}

deflate::TDeflateBuffers& ZipRun::Buffers() {
  if (!buffers_)
    buffers_ = std::make_unique<deflate::TDeflateBuffers>();
  return *buffers_;
}

} // namespace larkspur::zip
