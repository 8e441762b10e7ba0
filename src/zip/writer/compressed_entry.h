// One file compressed ahead of the writer: its compressed bytes (in memory while a shared budget
// allows, then in a spill file), the order of the reads and writes that made them, and what the
// writer needs to place it as if it had compressed the file itself (CRC-32, sizes, the
// compressor's decisions, the file's stamp and the carried byte's trace).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "deflate/deflate.h"
#include "platform/file_stamp.h"
#include "zip/format/lfn_file_stream.h"
#include "zip/writer/carried_byte.h"

namespace larkspur::zip {

// The bytes all entries compressed ahead may hold in memory together; beyond it they spill to
// temporary files.
class HeldBytes {
public:
  explicit HeldBytes(std::int64_t cap) : cap_(cap) {}
  // Takes `count` bytes of the budget, or nothing and false when they would exceed it.
  bool take(std::int64_t count);
  void give(std::int64_t count);
  // The most ever held at once.
  std::int64_t peak() const;

private:
  mutable std::mutex mutex_;
  const std::int64_t cap_;
  std::int64_t held_ = 0;
  std::int64_t peak_ = 0;
};

class CompressedEntry {
public:
  // The writer's side of a replay: the same reads (progress, sizes) and writes (the archive's
  // bytes), in the order the compressor made them.
  class Replay {
  public:
    virtual void replayRead(std::uint32_t count) = 0;
    virtual void replayWrite(const std::uint8_t* buffer, std::uint32_t count) = 0;

  protected:
    ~Replay() = default;
  };

  // Spill files, when needed, are made in `spillFolder`.
  CompressedEntry(std::shared_ptr<HeldBytes> budget, std::string spillFolder);
  ~CompressedEntry();
  CompressedEntry(const CompressedEntry&) = delete;
  CompressedEntry& operator=(const CompressedEntry&) = delete;

  // Recording, on the worker.
  void recordRead(std::uint32_t count);
  void recordWrite(const std::uint8_t* buffer, std::uint32_t count);
  // Puts the spilled bytes on disk; raises when they cannot be.
  void finishRecording();

  // Replaying, on the writer thread: every read and write in recorded order.
  void replay(Replay& to);

  int level = 0;
  platform::FileStamp stamp; // of the file as read, unchanged from before to after
  std::uint64_t bytesRead = 0;
  std::uint32_t crc = 0; // final, complemented
  deflate::TDeflateResult deflated;
  CarryTrace carry;

private:
  void spill(const std::uint8_t* buffer, std::uint32_t count);

  std::shared_ptr<HeldBytes> budget_;
  std::string spillFolder_;
  // Reads and writes in order: a byte count, with the top bit set for a write.
  std::vector<std::uint32_t> steps_;
  // Written bytes in memory, in chunks that each hold whole writes; then the spill file.
  std::vector<std::vector<std::uint8_t>> chunks_;
  std::int64_t heldBytes_ = 0;
  std::string spillName_;
  std::unique_ptr<TLFNFileStream> spill_;
};

} // namespace larkspur::zip
