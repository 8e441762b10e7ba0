// Files compressed ahead on worker threads give, entry for entry, the bytes the writer would have
// produced compressing them one after the other on one set of buffers, whatever the number of
// threads, the memory cap, the entries the writer passes by, and the byte one entry hands the
// next (entries just below 64 KB may depend on it). Workers that cannot read a file whole give
// nothing, and stopping leaves no spill file behind.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "deflate/crc32.h"
#include "platform/platform.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "zip/writer/ahead_compressor.h"

namespace larkspur::zip {
namespace {

using larkspur::test::readFile;
using larkspur::test::writeFile;

// What one entry came to: its stream, CRC-32 and the compressor's decisions.
struct Outcome {
  std::string stream;
  std::uint32_t crc = 0;
  std::uint16_t method = 0;
  std::uint16_t attributes = 0;
  std::uint16_t flags = 0;
  bool operator==(const Outcome&) const = default;
};

// The writer's own compression of a file: read through, collect the stream.
class FileIo final : public deflate::TDeflateIo {
public:
  explicit FileIo(const std::string& path) : bytes_(readFile(path)) {}
  std::uint32_t read(std::uint8_t* destination, std::uint32_t count) override {
    const std::size_t n = std::min<std::size_t>(count, bytes_.size() - at_);
    std::memcpy(destination, bytes_.data() + at_, n);
    at_ += n;
    crc = deflate::update_crc(crc, destination, n);
    return static_cast<std::uint32_t>(n);
  }
  void write(const std::uint8_t* buffer, std::uint32_t count) override {
    stream.append(reinterpret_cast<const char*>(buffer), count);
  }
  std::string stream;
  std::uint32_t crc = deflate::kCrcPreset;

private:
  std::string bytes_;
  std::size_t at_ = 0;
};

Outcome outcomeOf(FileIo& io, const deflate::TDeflateResult& r) {
  return {io.stream, ~io.crc, r.method, r.internalAttributes, r.flagBits};
}

// The replay side: reads counted, writes collected.
class Collect final : public CompressedEntry::Replay {
public:
  void replayRead(std::uint32_t count) override { read += count; }
  void replayWrite(const std::uint8_t* buffer, std::uint32_t count) override {
    stream.append(reinterpret_cast<const char*>(buffer), count);
  }
  std::uint64_t read = 0;
  std::string stream;
};

// Three-letter noise: matches and literals, and a last byte that the next entry may meet in its
// own data (at 65,535 bytes the output at levels 6 and 9 changes with the byte handed on).
std::string content(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(size, '\0');
  for (char& c : s)
    c = static_cast<char>(random() % 3);
  return s;
}

class AheadCompressorTest : public ::testing::Test {
protected:
  AheadCompressorTest() { platform::createDirectory(spillDir()); }

  std::string spillDir() const { return dir.file("spill"); }

  std::string make(std::size_t size, unsigned seed) {
    const std::string p = dir.file("f" + std::to_string(files.size()));
    writeFile(p, content(size, seed));
    files.push_back(p);
    return p;
  }

  // One set of buffers, the files one after the other, `skipped` never compressed.
  std::vector<Outcome> sequential(int level, const std::vector<bool>& skipped) const {
    deflate::TDeflateBuffers buffers;
    std::vector<Outcome> out(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (skipped[i])
        continue;
      FileIo io(files[i]);
      out[i] = outcomeOf(io, deflate::deflate_entry(buffers, level, io));
    }
    return out;
  }

  // The writer's way with the component: take each file in order, replay what fits the
  // sequence, compress the rest itself.
  std::vector<Outcome> ahead(int level, int threads, std::int64_t cap,
                             const std::vector<bool>& skipped, bool writerTakesUnstarted,
                             int& replayed) const {
    std::vector<AheadJob> jobs;
    for (const std::string& f : files)
      jobs.push_back({f, level});
    AheadCompressor compressor(
        jobs, {threads, cap, spillDir() + platform::kPathDelimiter, 0, writerTakesUnstarted});
    deflate::TDeflateBuffers own;
    CarriedByte carry;
    std::vector<Outcome> out(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (skipped[i])
        continue;
      const std::unique_ptr<CompressedEntry> entry = compressor.take(i, {});
      if (entry && carry.fits(entry->carry)) {
        Collect c;
        entry->replay(c);
        EXPECT_EQ(c.read, entry->bytesRead);
        carry.follow(entry->carry);
        out[i] = {c.stream, entry->crc, entry->deflated.method, entry->deflated.internalAttributes,
                  entry->deflated.flagBits};
        ++replayed;
      } else {
        FileIo io(files[i]);
        out[i] = outcomeOf(io, carry.deflateNext(own, level, io));
      }
    }
    EXPECT_LE(compressor.peakHeldBytes(), cap);
    return out;
  }

  // Files in the spill folder (none once the component is gone).
  int spillFiles() const {
    int n = 0;
    for (platform::DirectoryFind f(spillDir() + platform::kPathDelimiter + "*.*"); f.ok();
         f.advance())
      n += f.current().name != "." && f.current().name != "..";
    return n;
  }

  larkspur::test::TempDir dir;
  std::vector<std::string> files;
};

TEST_F(AheadCompressorTest, EveryThreadCountAndCapGivesTheSequentialBytes) {
  const std::size_t sizes[] = {70001, 65535, 0,     65279, 200001, 65535, 100,    65536,
                               65278, 90001, 65535, 65279, 1,      65535, 300001, 65535};
  unsigned seed = 1;
  for (const std::size_t size : sizes)
    make(size, seed++);
  std::vector<bool> none(files.size(), false);
  std::vector<bool> some(files.size(), false);
  some[0] = some[4] = some[9] = true; // passed by: their bytes never reach the sequence
  struct Case {
    int level;
    int threads;
    std::int64_t cap;
    const std::vector<bool>* skipped;
  };
  const Case cases[] = {
      {9, 1, 64 << 20, &none}, {9, 2, 64 << 20, &none}, {6, 3, 64 << 20, &some},
      {6, 2, 300000, &none},   {1, 3, 300000, &some},   {9, 2, 0, &some},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("level " + std::to_string(c.level) + ", threads " + std::to_string(c.threads) +
                 ", cap " + std::to_string(c.cap));
    int replayed = 0;
    // Where the writer may take jobs no worker started, which entries it replays varies.
    const bool writerTakes = c.skipped == &some;
    const std::vector<Outcome> got =
        ahead(c.level, c.threads, c.cap, *c.skipped, writerTakes, replayed);
    const std::vector<Outcome> expected = sequential(c.level, *c.skipped);
    for (std::size_t i = 0; i < files.size(); ++i)
      EXPECT_TRUE(got[i] == expected[i]) << "entry " << i << " of " << files.size();
    if (!writerTakes) {
      EXPECT_GT(replayed, 0);
    }
    EXPECT_EQ(spillFiles(), 0);
  }
}
TEST_F(AheadCompressorTest, FilesThatCannotBeReadGiveNothing) {
  make(1000, 1);
  const std::string folder = dir.file("folder");
  platform::createDirectory(folder);
  AheadCompressor compressor({{files[0], 9}, {dir.file("missing"), 9}, {folder, 9}, {files[0], 0}},
                             {2, 1 << 20, spillDir() + platform::kPathDelimiter, 0, false});
  const auto first = compressor.take(0, {});
  ASSERT_TRUE(first);
  EXPECT_EQ(first->bytesRead, 1000u);
  EXPECT_EQ(first->stamp, platform::fileStamp(files[0]));
  EXPECT_FALSE(compressor.take(1, {}));
  EXPECT_FALSE(compressor.take(2, {}));
  EXPECT_FALSE(compressor.take(3, {})); // not wanted ahead: the writer stores it
}

TEST_F(AheadCompressorTest, StoppingMidwayLeavesNoSpillFileAndWaitingCanBeGivenUp) {
  for (unsigned i = 0; i < 6; ++i)
    make(3 << 20, i);
  std::vector<AheadJob> jobs;
  for (const std::string& f : files)
    jobs.push_back({f, 9});
  {
    // Nothing may be held in memory, so every written byte spills.
    AheadCompressor compressor(jobs, {2, 0, spillDir() + platform::kPathDelimiter, 0, false});
    int waits = 0;
    struct GiveUp {};
    EXPECT_THROW(compressor.take(5,
                                 [&] {
                                   if (++waits == 3)
                                     throw GiveUp{};
                                 }),
                 GiveUp);
  }
  EXPECT_EQ(spillFiles(), 0);
}

} // namespace
} // namespace larkspur::zip
