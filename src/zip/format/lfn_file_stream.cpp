// Maps the runtime's open modes onto the platform file and owns that file.
#include "zip/format/lfn_file_stream.h"

namespace larkspur::zip {

namespace {

constexpr std::uint16_t kAccessMask = 0x0003;
constexpr std::uint16_t kShareMask = 0x00F0;

platform::File openFile(const std::string& name, std::uint16_t mode) {
  if (mode == fmCreate)
    return platform::File::create(name);
  platform::Access access = platform::Access::Read;
  switch (mode & kAccessMask) {
  case fmOpenRead:
    access = platform::Access::Read;
    break;
  case fmOpenWrite:
    access = platform::Access::Write;
    break;
  default:
    access = platform::Access::ReadWrite;
    break;
  }
  platform::Share share = platform::Share::DenyNone;
  switch (mode & kShareMask) {
  case fmShareCompat:
  case fmShareExclusive:
    share = platform::Share::Exclusive;
    break;
  case fmShareDenyWrite:
    share = platform::Share::DenyWrite;
    break;
  case fmShareDenyRead:
    share = platform::Share::DenyRead;
    break;
  default:
    share = platform::Share::DenyNone;
    break;
  }
  return platform::File::open(name, access, share);
}

} // namespace

bool ModeGrantsWrite(std::uint16_t mode) {
  return mode == fmCreate || (mode & kAccessMask) != fmOpenRead;
}

TLFNFileStream::TLFNFileStream(const std::string& fileName, std::int64_t bufferSize,
                               bool flushOnClose, std::uint16_t mode)
    : TLFNFileStream(std::make_unique<THandleStream>(openFile(fileName, mode)), bufferSize,
                     flushOnClose, mode) {}

TLFNFileStream::TLFNFileStream(std::unique_ptr<THandleStream> file, std::int64_t bufferSize,
                               bool flushOnClose, std::uint16_t mode)
    : TS_BufferStream(file.get(), bufferSize), OwnedFile(std::move(file)) {
  SyncOnClose = flushOnClose && ModeGrantsWrite(mode);
}

// The buffer is flushed while the file it belongs to is still open.
TLFNFileStream::~TLFNFileStream() {
  Close();
}

bool TLFNFileStream::SetSize(std::int64_t size) {
  const std::int64_t here = Position();
  Flush();
  // Drop whatever was read ahead: it may lie beyond the new end.
  Source->Seek(here, soBeginning);
  BufferPos = kNoPos;
  BufferState = kIdle;
  return OwnedFile->SetSize(size);
}

} // namespace larkspur::zip
