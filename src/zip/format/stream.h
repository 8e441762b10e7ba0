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

// Where a Seek's offset counts from; the values are those the stream implementations take.
enum TSeekOrigin : int {
  soBeginning = 0,
  soCurrent = 1,
  soEnd = 2,
};

class TStream {
 public:
  virtual ~TStream() = default;

  // Bytes delivered / accepted; fewer than asked means the end or a refusal.
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // `origin` is a TSeekOrigin; returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, int origin) = 0;

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, soBeginning); }
  std::int64_t Size() {
    const std::int64_t here = Seek(0, soCurrent);
    const std::int64_t end = Seek(0, soEnd);
    Seek(here, soBeginning);
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
