// The buffer logic: refills while reading, drains while writing, and keeps the logical position
// (the source's position corrected by what the buffer holds) exact across direction switches.
#include "zip/format/buffer_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "zip/format/format_texts.h"
#include "zip/format/handle_stream.h"
#include "zip/format/seek_support.h"

namespace larkspur::zip {

namespace {

// |offset|, with the one value whose negation overflows taken as the largest.
std::int64_t magnitude(std::int64_t offset) {
  if (offset == std::numeric_limits<std::int64_t>::min())
    return std::numeric_limits<std::int64_t>::max();
  return offset < 0 ? -offset : offset;
}

} // namespace

TS_BufferStream::TS_BufferStream(TStream* source, std::int64_t bufferSize)
    : Source(source), BufferBlock(static_cast<std::size_t>(std::max<std::int64_t>(bufferSize, 1))),
      BufferEnd(static_cast<std::int64_t>(BufferBlock.size())),
      BufferSize(static_cast<std::int64_t>(BufferBlock.size())) {}

TS_BufferStream::~TS_BufferStream() {
  Close();
}

void TS_BufferStream::Close() noexcept {
  if (closed_)
    return;
  closed_ = true;
  try {
    if (BufferState == kWriting)
      Drain();
    if (SyncOnClose && HasWritten) {
      if (auto* handle = dynamic_cast<THandleStream*>(Source))
        handle->FlushToDisk();
    }
  } catch (...) {
    // A destructor cannot report; Flush() is the place to see a refusal.
  }
}

void TS_BufferStream::Flush() {
  if (BufferState == kWriting && !Drain())
    throw EStreamError(texts::kStreamWriteError);
}

std::int64_t TS_BufferStream::logicalPosition() {
  const std::int64_t sourcePos = Source->Seek(0, soCurrent);
  if (BufferState == kWriting)
    return sourcePos + BufferPos;
  if (BufferState == kReading)
    return sourcePos - (BufferEnd - BufferPos);
  return sourcePos;
}

bool TS_BufferStream::Refill() {
  const std::int64_t got = std::max<std::int64_t>(Source->Read(BufferBlock.data(), BufferSize), 0);
  BufferPos = 0;
  BufferEnd = got;
  BufferState = got > 0 ? kReading : kIdle;
  NotifyRefill();
  return got > 0;
}

bool TS_BufferStream::Drain() {
  const std::int64_t pending = BufferPos > 0 ? BufferPos : 0;
  const std::int64_t accepted = pending > 0 ? Source->Write(BufferBlock.data(), pending) : 0;
  BufferPos = 0;
  BufferState = kIdle;
  NotifyDrain();
  return accepted == pending;
}

void TS_BufferStream::UnreadByte(std::uint8_t byte) {
  if (BufferPos <= 0)
    throw EStreamError(texts::kPutbackOverflow);
  BufferBlock[static_cast<std::size_t>(--BufferPos)] = byte;
}

void TS_BufferStream::NotifyRefill() {
  if (OnRefill)
    OnRefill(*this);
}

void TS_BufferStream::NotifyDrain() {
  if (OnDrain)
    OnDrain(*this);
}

std::int64_t TS_BufferStream::Read(void* buffer, std::int64_t count) {
  // Only a reading buffer holds bytes to hand out; an idle one may still hold bytes that were
  // just written (a full buffer drained), which must not be read back as file contents.
  if (BufferState == kWriting)
    Drain();
  if (BufferState != kReading)
    BufferPos = BufferEnd = 0;
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::int64_t copied = 0;
  while (copied < count) {
    if (BufferPos >= BufferEnd && !Refill())
      break;
    const std::int64_t n = std::min(count - copied, BufferEnd - BufferPos);
    std::memcpy(out + copied, BufferBlock.data() + BufferPos, static_cast<std::size_t>(n));
    BufferPos += n;
    copied += n;
  }
  return copied;
}

void TS_BufferStream::startWriting() {
  BufferPos = 0;
  BufferEnd = BufferSize;
  BufferState = kIdle;
}

std::int64_t TS_BufferStream::Write(const void* buffer, std::int64_t count) {
  if (BufferState == kReading) {
    Source->Seek(logicalPosition(), soBeginning);
    startWriting();
  } else if (BufferState == kIdle) {
    // Idle means nothing pending: set up an empty write buffer (after a read that hit the end
    // the old read limits would leave no room and the loop below would never end).
    startWriting();
  }
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  std::int64_t taken = 0;
  std::int64_t inBuffer = 0; // bytes of this call not yet handed to the source
  while (taken < count) {
    const std::int64_t n = std::min(count - taken, BufferEnd - BufferPos);
    std::memcpy(BufferBlock.data() + BufferPos, in + taken, static_cast<std::size_t>(n));
    BufferPos += n;
    taken += n;
    inBuffer += n;
    if (BufferPos == BufferEnd) {
      if (!Drain()) {
        // The refused buffer is gone; report this call's bytes in it as not written.
        HasWritten = true;
        return taken - inBuffer;
      }
      inBuffer = 0;
    }
  }
  if (BufferPos > 0)
    BufferState = kWriting;
  HasWritten = true;
  return taken;
}

std::int64_t TS_BufferStream::Seek(std::int64_t offset, int origin) {
  const std::int64_t here = logicalPosition();
  std::int64_t target = 0;
  switch (origin) {
  case soBeginning:
    target = offset;
    break;
  // Unrepresentable targets saturate; the source then refuses the seek.
  case soCurrent:
    target = AddSaturated(here, offset);
    break;
  case soEnd: {
    // From the end, 10 and -10 both mean ten bytes before it.
    const std::int64_t end = std::max(here, Source->Size());
    target = end - std::min(magnitude(offset), end + 1);
    break;
  }
  default:
    RaiseInvalidSeekOrigin(origin);
  }
  if (target == here)
    return target;
  if (BufferState == kWriting && !Drain())
    throw Error(texts::kSeekError);
  Source->Seek(target, soBeginning);
  BufferPos = kNoPos;
  BufferState = kIdle;
  return target;
}

} // namespace larkspur::zip
