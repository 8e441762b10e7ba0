// Files compressed ahead of the writer by worker threads, each with its own compressor buffers,
// and handed back in archive order. The workers only ever produce a candidate: a file they could
// not read whole and unchanged gives nothing, and the writer thread, which alone fires events
// and decides what goes into the archive, compresses it itself as it always did.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "zip/writer/compressed_entry.h"

namespace larkspur::zip {

// One file of the archive's sequence; level 0 means the writer does not want it ahead (a folder,
// a stored file), and it only keeps its place.
struct AheadJob {
  std::string path;
  int level = 0;
};

struct AheadSettings {
  int threads = 2;
  // Compressed bytes held in memory by all finished and running jobs together.
  std::int64_t memoryCap = 64 * 1024 * 1024;
  // Where spill files go (the writer's temporary folder).
  std::string spillFolder;
  // The carried byte as the writer's sequence holds it before the first job.
  std::uint8_t carry = 0;
  // A job no worker has started when the writer gets to it is the writer's own (faster than
  // waiting); tests turn this off to see the workers' results.
  bool writerTakesUnstarted = true;
};

class AheadCompressor {
public:
  AheadCompressor(std::vector<AheadJob> jobs, AheadSettings settings);
  // Stops the workers (a running compression stops at its next read) and drops what they held.
  ~AheadCompressor();
  AheadCompressor(const AheadCompressor&) = delete;
  AheadCompressor& operator=(const AheadCompressor&) = delete;

  // Job `index` once its worker is done with it; null when it gave nothing. Indexes must rise
  // from call to call; the jobs passed by are dropped. `whileWaiting` runs on the caller's
  // thread now and then while it waits, and may raise to stop waiting.
  std::unique_ptr<CompressedEntry> take(std::size_t index,
                                        const std::function<void()>& whileWaiting);

  // The most compressed bytes held in memory at once so far.
  std::int64_t peakHeldBytes() const { return budget_->peak(); }

private:
  enum class State { Waiting, Running, Done };
  struct Slot {
    AheadJob job;
    State state = State::Waiting;
    std::unique_ptr<CompressedEntry> result;
    CarryTrace carry; // kept for the jobs after it when the result has gone
  };

  void work();
  // Compresses one job; null when the file could not be read whole and unchanged.
  std::unique_ptr<CompressedEntry> compress(std::size_t index, deflate::TDeflateBuffers& buffers);
  // The carried byte the sequence gives job `index`: waits until every job before it is done.
  bool carryFor(std::size_t index, std::uint8_t& carry);
  // Under the lock: job `index` is done, with `result` or nothing.
  void markDone(std::size_t index, std::unique_ptr<CompressedEntry> result);

  AheadSettings settings_;
  std::shared_ptr<HeldBytes> budget_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;
  std::size_t nextJob_ = 0;      // the next job a worker takes
  std::size_t passedBefore_ = 0; // jobs below this the writer has taken or passed by
  // Jobs 0 to doneBefore_ - 1 are all done; the carried byte after them.
  std::size_t doneBefore_ = 0;
  std::uint8_t carryAfterDone_ = 0;
  bool stopping_ = false;
  // Also read by running compressions at every read, without the lock.
  std::atomic<bool> stop_{false};
  std::vector<std::thread> workers_;
};

} // namespace larkspur::zip
