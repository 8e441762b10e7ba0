// The abstract byte stream every archive routine reads and writes through (files, buffers,
// memory), with the read/write-exactly helpers that raise on a short transfer.
#pragma once

#include <cstdint>

#include "platform/error.h"

namespace larkspur::zip {

// Buffer and stream failures ("Putback overflow", "Seek error", "Stream read error", ...).
class EStreamError : public Error {
 public:
  using Error::Error;
};

class TStream {
 public:
  virtual ~TStream() = default;

  // Bytes delivered / accepted; fewer than asked means the end or a refusal.
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // origin 0 from the start, 1 from the current position, 2 from the end; returns the position.
  virtual std::int64_t Seek(std::int64_t offset, int origin) = 0;

  std::int64_t Position() { return Seek(0, 1); }
  void SetPosition(std::int64_t position) { Seek(position, 0); }
  std::int64_t Size() {
    const std::int64_t here = Seek(0, 1);
    const std::int64_t end = Seek(0, 2);
    Seek(here, 0);
    return end;
  }

  // Exactly `count` bytes or EStreamError "Stream read error" / "Stream write error".
  void ReadBuffer(void* buffer, std::int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EStreamError("Stream read error");
  }
  void WriteBuffer(const void* buffer, std::int64_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EStreamError("Stream write error");
  }
};

}  // namespace larkspur::zip
