// Recording a compressed file's bytes and steps on a worker, and replaying them on the writer.
#include "zip/writer/compressed_entry.h"

#include <algorithm>

#include "platform/platform.h"
#include "zip/format/zip_helpers.h"
#include "zip/writer/writer_errors.h"

namespace larkspur::zip {

namespace {

// Marks a recorded step as a write; reads and writes are far below it.
constexpr std::uint32_t kWriteStep = 0x80000000u;
// Memory is taken from the budget in chunks that start small (most files compress to a few
// kilobytes) and double up to the largest size (or one write, when larger).
constexpr std::size_t kFirstChunkSize = 4 * 1024;
constexpr std::size_t kLargestChunkSize = 256 * 1024;

} // namespace

bool HeldBytes::take(std::int64_t count) {
  const std::lock_guard lock(mutex_);
  if (held_ + count > cap_)
    return false;
  held_ += count;
  peak_ = std::max(peak_, held_);
  return true;
}

void HeldBytes::give(std::int64_t count) {
  const std::lock_guard lock(mutex_);
  held_ -= count;
}

std::int64_t HeldBytes::peak() const {
  const std::lock_guard lock(mutex_);
  return peak_;
}

CompressedEntry::CompressedEntry(std::shared_ptr<HeldBytes> budget, std::string spillFolder)
    : budget_(std::move(budget)), spillFolder_(std::move(spillFolder)) {}

CompressedEntry::~CompressedEntry() {
  budget_->give(heldBytes_);
  spill_.reset();
  if (!spillName_.empty())
    platform::deleteFile(spillName_);
}

void CompressedEntry::recordRead(std::uint32_t count) {
  steps_.push_back(count);
}

void CompressedEntry::recordWrite(const std::uint8_t* buffer, std::uint32_t count) {
  steps_.push_back(count | kWriteStep);
  if (count == 0)
    return; // the bit output's empty flush: replayed, but nothing to keep
  if (spill_) {
    spill(buffer, count);
    return;
  }
  if (chunks_.empty() || chunks_.back().capacity() - chunks_.back().size() < count) {
    const std::size_t grown =
        std::clamp(static_cast<std::size_t>(heldBytes_), kFirstChunkSize, kLargestChunkSize);
    const std::size_t size = std::max<std::size_t>(grown, count);
    if (!budget_->take(static_cast<std::int64_t>(size))) {
      // Over the budget: this write and every later one of the entry go to disk.
      spillName_ = MakeTempFileName(spillFolder_);
      spill_ = std::make_unique<TLFNFileStream>(spillName_, StreamBufferSize, false, fmCreate);
      spill(buffer, count);
      return;
    }
    heldBytes_ += static_cast<std::int64_t>(size);
    chunks_.emplace_back().reserve(size);
  }
  chunks_.back().insert(chunks_.back().end(), buffer, buffer + count);
}

void CompressedEntry::spill(const std::uint8_t* buffer, std::uint32_t count) {
  if (spill_->Write(buffer, count) != count)
    throw ENotEnoughRoom();
}

void CompressedEntry::finishRecording() {
  if (!spill_)
    return;
  spill_->Flush();
  spill_.reset();
}

void CompressedEntry::replay(Replay& to) {
  std::size_t chunk = 0;
  std::size_t offset = 0;
  std::vector<std::uint8_t> fromDisk;
  for (const std::uint32_t step : steps_) {
    const std::uint32_t count = step & ~kWriteStep;
    if ((step & kWriteStep) == 0) {
      to.replayRead(count);
      continue;
    }
    if (count == 0) {
      static constexpr std::uint8_t kNothing = 0;
      to.replayWrite(&kNothing, 0);
      continue;
    }
    if (chunk < chunks_.size() && offset == chunks_[chunk].size()) {
      ++chunk;
      offset = 0;
    }
    if (chunk < chunks_.size()) {
      to.replayWrite(chunks_[chunk].data() + offset, count);
      offset += count;
      continue;
    }
    // The rest was spilled: read back in the same pieces.
    if (!spill_) {
      spill_ = std::make_unique<TLFNFileStream>(spillName_, StreamBufferSize, false,
                                                fmOpenRead | fmShareDenyNone);
    }
    fromDisk.resize(count);
    if (spill_->Read(fromDisk.data(), count) != count)
      throw EStreamError("Stream read error");
    to.replayWrite(fromDisk.data(), count);
  }
}

} // namespace larkspur::zip
