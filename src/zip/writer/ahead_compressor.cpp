// The worker threads that compress files ahead, and the hand-over to the writer in archive order.
#include "zip/writer/ahead_compressor.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "deflate/crc32.h"
#include "platform/platform.h"

namespace larkspur::zip {

namespace {

// How often a waiting writer gets back to its host (messages, cancel).
constexpr std::chrono::milliseconds kWaitSlice{20};

// Thrown through the compressor when the workers are told to stop.
struct Stopped {};

// A worker's side of the compressor: the file in, the recording out, the CRC-32 and the trace of
// the carried byte kept on the way.
class WorkerIo final : public deflate::TDeflateIo {
public:
  WorkerIo(TLFNFileStream& input, CompressedEntry& entry, const deflate::TDeflateBuffers& buffers,
           const std::atomic<bool>& stop)
      : input_(input), entry_(entry), buffers_(buffers), stop_(stop) {}

  std::uint32_t read(std::uint8_t* destination, std::uint32_t count) override {
    if (stop_.load(std::memory_order_relaxed))
      throw Stopped{};
    const std::int64_t got = input_.Read(destination, count);
    if (got <= 0)
      return 0;
    const auto n = static_cast<std::uint32_t>(got);
    bytesRead += n;
    crc = deflate::update_crc(crc, destination, n);
    entry_.recordRead(n);
    entry_.carry.noteRead(buffers_, destination, n);
    return n;
  }

  void write(const std::uint8_t* buffer, std::uint32_t count) override {
    entry_.recordWrite(buffer, count);
  }

  std::uint64_t bytesRead = 0;
  std::uint32_t crc = deflate::kCrcPreset;

private:
  TLFNFileStream& input_;
  CompressedEntry& entry_;
  const deflate::TDeflateBuffers& buffers_;
  const std::atomic<bool>& stop_;
};

bool carryDependent(std::uint64_t size) {
  return size >= kCarryDependentFirst && size <= kCarryDependentLast;
}

} // namespace

AheadCompressor::AheadCompressor(std::vector<AheadJob> jobs, AheadSettings settings)
    : settings_(std::move(settings)), budget_(std::make_shared<HeldBytes>(settings_.memoryCap)),
      carryAfterDone_(settings_.carry) {
  slots_.resize(jobs.size());
  std::size_t wanted = 0;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    slots_[i].job = std::move(jobs[i]);
    if (slots_[i].job.level <= 0)
      slots_[i].state = State::Done; // stored or a folder: nothing touches the carried byte
    else
      ++wanted;
  }
  while (doneBefore_ < slots_.size() && slots_[doneBefore_].state == State::Done)
    ++doneBefore_;
  const std::size_t count = std::min<std::size_t>(wanted, std::max(settings_.threads, 0));
  workers_.reserve(count); // a started thread must never be lost to a reallocation
  for (std::size_t i = 0; i < count; ++i) {
    try {
      workers_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
      break; // fewer workers; the writer compresses what nobody took
    }
  }
}

AheadCompressor::~AheadCompressor() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stop_.store(true);
  changed_.notify_all();
  for (std::thread& worker : workers_)
    worker.join();
}

void AheadCompressor::work() {
  deflate::TDeflateBuffers buffers;
  for (;;) {
    std::size_t index = 0;
    {
      const std::lock_guard lock(mutex_);
      // Jobs done already (not wanted, or claimed by the writer) or passed by the writer.
      while (nextJob_ < slots_.size() &&
             (slots_[nextJob_].state == State::Done || nextJob_ < passedBefore_)) {
        if (slots_[nextJob_].state != State::Done)
          markDone(nextJob_, nullptr);
        ++nextJob_;
      }
      if (stopping_ || nextJob_ == slots_.size())
        break;
      index = nextJob_++;
      slots_[index].state = State::Running;
    }
    std::unique_ptr<CompressedEntry> result = compress(index, buffers);
    {
      const std::lock_guard lock(mutex_);
      markDone(index, std::move(result));
    }
  }
  changed_.notify_all();
}

std::unique_ptr<CompressedEntry> AheadCompressor::compress(std::size_t index,
                                                           deflate::TDeflateBuffers& buffers) {
  // The slot's job does not change once it runs; only its state is shared.
  const AheadJob& job = slots_[index].job;
  try {
    const std::optional<platform::FileStamp> before = platform::fileStamp(job.path);
    if (!before)
      return nullptr;
    TLFNFileStream input(job.path, StreamBufferSize, false, fmOpenRead | fmShareDenyNone);
    auto entry = std::make_unique<CompressedEntry>(budget_, settings_.spillFolder);
    entry->level = job.level;
    entry->stamp = *before;
    if (carryDependent(before->size)) {
      std::uint8_t carry = 0;
      if (!carryFor(index, carry))
        return nullptr;
      buffers.window()[kCarriedPosition] = carry;
    }
    entry->carry.start(buffers);
    WorkerIo io(input, *entry, buffers, stop_);
    entry->deflated = deflate::deflate_entry(buffers, job.level, io);
    entry->bytesRead = io.bytesRead;
    entry->crc = ~io.crc;
    entry->carry.finish(io.bytesRead);
    entry->finishRecording();
    // Read whole and unchanged, or the writer reads it again itself.
    const std::optional<platform::FileStamp> after = platform::fileStamp(job.path);
    if (!after || *after != *before || io.bytesRead != before->size)
      return nullptr;
    return entry;
  } catch (...) {
    // Unreadable, gone, out of memory or disk, stopped: never the worker's to report.
    return nullptr;
  }
}

bool AheadCompressor::carryFor(std::size_t index, std::uint8_t& carry) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stopping_ || doneBefore_ >= index; });
  if (stopping_)
    return false;
  carry = carryAfterDone_;
  return true;
}

void AheadCompressor::markDone(std::size_t index, std::unique_ptr<CompressedEntry> result) {
  Slot& slot = slots_[index];
  slot.state = State::Done;
  slot.carry = result ? result->carry : CarryTrace{};
  if (index >= passedBefore_)
    slot.result = std::move(result);
  while (doneBefore_ < slots_.size() && slots_[doneBefore_].state == State::Done) {
    const CarryTrace& trace = slots_[doneBefore_].carry;
    if (trace.writes)
      carryAfterDone_ = trace.out;
    ++doneBefore_;
  }
  changed_.notify_all();
}

std::unique_ptr<CompressedEntry> AheadCompressor::take(std::size_t index,
                                                       const std::function<void()>& whileWaiting) {
  std::vector<std::unique_ptr<CompressedEntry>> passed;
  std::unique_lock lock(mutex_);
  if (index >= slots_.size())
    return nullptr;
  for (std::size_t i = passedBefore_; i < index; ++i) {
    if (slots_[i].result)
      passed.push_back(std::move(slots_[i].result));
  }
  passedBefore_ = index;
  Slot& slot = slots_[index];
  if (slot.state == State::Waiting && settings_.writerTakesUnstarted) {
    // No worker got to it yet: the writer does it now rather than wait for one.
    markDone(index, nullptr);
    return nullptr;
  }
  while (slot.state != State::Done) {
    if (whileWaiting) {
      lock.unlock();
      whileWaiting();
      lock.lock();
    }
    changed_.wait_for(lock, kWaitSlice, [&] { return slot.state == State::Done; });
  }
  return std::move(slot.result);
}

} // namespace larkspur::zip
