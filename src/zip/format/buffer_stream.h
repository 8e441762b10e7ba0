// A read/write buffer in front of another stream: header routines read and write a few bytes at
// a time, the source sees whole buffers. Switches between reading and writing need no seek.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "zip/format/stream.h"

namespace larkspur::zip {

class TS_BufferStream : public TStream {
public:
  using TNotifyEvent = std::function<void(TS_BufferStream& Sender)>;

  // `source` is not owned and must outlive the buffer.
  TS_BufferStream(TStream* source, std::int64_t bufferSize);
  ~TS_BufferStream() override;
  TS_BufferStream(const TS_BufferStream&) = delete;
  TS_BufferStream& operator=(const TS_BufferStream&) = delete;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;

  virtual bool Refill();
  virtual bool Drain();
  // Puts one byte back in front of the read position; EStreamError "Putback overflow" when
  // there is no room before it.
  virtual void UnreadByte(std::uint8_t byte);
  virtual void NotifyRefill();
  virtual void NotifyDrain();

  // Hands pending bytes to the source now; EStreamError "Stream write error" when it refuses
  // some. Destruction does the same but cannot report a refusal, so writers call this first.
  void Flush();

  bool SyncOnClose = false; // ask the system to flush the file at destruction
  bool HasWritten = false;
  TNotifyEvent OnRefill;
  TNotifyEvent OnDrain;

protected:
  // Buffer states.
  static constexpr std::uint8_t kIdle = 0, kReading = 1, kWriting = 2;
  static constexpr std::int64_t kNoPos = -1; // BufferPos before the first access / after a seek

  // Drains pending bytes and asks for the flush to disk; runs once. A derived class that owns
  // the source calls it from its own destructor, before the source goes.
  void Close() noexcept;

  TStream* Source;
  std::vector<std::uint8_t> BufferBlock;
  std::int64_t BufferPos = kNoPos; // index into BufferBlock
  std::int64_t BufferEnd;
  std::int64_t BufferSize;
  std::uint8_t BufferState = kIdle;

private:
  std::int64_t logicalPosition();
  void startWriting();
  bool closed_ = false;
};

} // namespace larkspur::zip
