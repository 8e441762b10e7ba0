// The tar reader against archives the host's tar writes in its GNU and pax formats (plain and
// through gzip), and against headers built here: numbers in both encodings, every damaged
// field an error, and links reported as skipped with their reason.
#include <gtest/gtest.h>

#include <cstdio>

#include "extract/gzip_reader.h"
#include "extract/stream_sources.h"
#include "extract/tar_reader.h"
#include "support/file_contents.h"
#include "support/host_tools.h"
#include "support/temp_dir.h"

namespace larkspur::extract::test {
namespace {

using larkspur::test::hostSidePath;
using larkspur::test::runHostShell;
using larkspur::test::shellQuote;

struct Seen {
  std::string name;
  TarEntryType type;
  std::string data;
  std::string reason;
  std::uint32_t mode;
};

std::vector<Seen> readAll(TarReader& reader, bool readData = true) {
  std::vector<Seen> seen;
  TarEntry entry;
  while (reader.next(entry)) {
    std::string data = readData ? drain(reader, 3000) : "";
    EXPECT_TRUE(!readData || data.size() == entry.size) << entry.name;
    seen.push_back({entry.name, entry.type, data, entry.skipReason, entry.mode});
  }
  return seen;
}

const Seen* find(const std::vector<Seen>& seen, const std::string& name) {
  for (const Seen& s : seen)
    if (s.name == name)
      return &s;
  return nullptr;
}

// A header block with the given fields (octal numbers) and a correct checksum.
std::string header(const std::string& name, char type, const std::string& size,
                   const std::string& extra = "") {
  std::string block(512, '\0');
  block.replace(0, name.size(), name);
  block.replace(100, 7, "0000644");
  block.replace(124, std::min<std::size_t>(size.size(), 12), size.substr(0, 12));
  block.replace(136, 11, "14536604000");
  block[156] = type;
  block.replace(257, 6, std::string("ustar\0", 6));
  block.replace(263, 2, "00");
  if (!extra.empty())
    block.replace(345, extra.size(), extra); // ustar prefix
  unsigned sum = 0;
  for (int i = 0; i < 512; ++i)
    sum += (i >= 148 && i < 156) ? ' ' : std::uint8_t(block[std::size_t(i)]);
  char checksum[8];
  std::snprintf(checksum, sizeof checksum, "%06o", sum);
  block.replace(148, 7, std::string(checksum, 6) + '\0');
  return block;
}

std::string octal(std::size_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%011o", unsigned(value));
  return text;
}

std::string padded(const std::string& data) {
  return data + std::string((512 - data.size() % 512) % 512, '\0');
}

const std::string kEnd(1024, '\0');

TEST(TarReader, ReadsWhatTheHostTarWrites) {
  larkspur::test::TempDir dir;
  const std::string longName = std::string(120, 'n') + ".txt";
  const std::string big = larkspur::test::incompressibleBytes(10000, 5);
  const std::string d = shellQuote(hostSidePath(dir.path()));
  auto r =
      runHostShell("cd " + d + " && mkdir -p tree/sub tree/empty && printf 'hello' > tree/a.txt" +
                   " && printf x > tree/sub/" + longName + " && ln -s a.txt tree/link" +
                   " && ln tree/a.txt tree/hard");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  larkspur::test::writeFile(dir.file("tree/big.bin"), big);
  r = runHostShell("cd " + d + " && tar --format=gnu -cf gnu.tar tree && " +
                   "tar --format=pax -cf pax.tar tree && tar --format=gnu -czf gnu.tgz tree");
  ASSERT_EQ(r.exitCode, 0) << r.output;

  for (const char* archive : {"gnu.tar", "pax.tar", "gnu.tgz"}) {
    SCOPED_TRACE(archive);
    TrickleSource file(larkspur::test::readFile(dir.file(archive)), 777);
    std::optional<GzipReader> gzip;
    if (std::string(archive).ends_with(".tgz"))
      gzip.emplace(file);
    TarReader reader(gzip ? static_cast<ByteSource&>(*gzip) : file);
    const std::vector<Seen> seen = readAll(reader);
    // The two names of one file: whichever tar met first holds the data, the other is a link.
    ASSERT_NE(find(seen, "tree/a.txt"), nullptr);
    ASSERT_NE(find(seen, "tree/hard"), nullptr);
    const bool hardFirst = find(seen, "tree/hard")->type == TarEntryType::File;
    const Seen* data = find(seen, hardFirst ? "tree/hard" : "tree/a.txt");
    const Seen* link = find(seen, hardFirst ? "tree/a.txt" : "tree/hard");
    EXPECT_EQ(data->data, "hello");
    EXPECT_EQ(link->type, TarEntryType::Skipped);
    EXPECT_NE(link->reason.find("hard link to \"tree/"), std::string::npos) << link->reason;
    ASSERT_NE(find(seen, "tree/big.bin"), nullptr);
    EXPECT_TRUE(find(seen, "tree/big.bin")->data == big);
    ASSERT_NE(find(seen, "tree/sub/" + longName), nullptr) << "long name";
    EXPECT_EQ(find(seen, "tree/sub/" + longName)->data, "x");
    ASSERT_NE(find(seen, "tree/empty/"), nullptr);
    EXPECT_EQ(find(seen, "tree/empty/")->type, TarEntryType::Directory);
    ASSERT_NE(find(seen, "tree/link"), nullptr);
    EXPECT_EQ(find(seen, "tree/link")->type, TarEntryType::Skipped);
    EXPECT_EQ(find(seen, "tree/link")->reason, "symbolic link to \"a.txt\" is not extracted");
    EXPECT_EQ(seen.size(), 8u);
  }
  // The gzip trailer is the only check of the files' bytes: the archive's end verifies it.
  std::string damaged = larkspur::test::readFile(dir.file("gnu.tgz"));
  damaged[damaged.size() - 8] ^= 1;
  MemoryByteSource file(
      std::span(reinterpret_cast<const std::uint8_t*>(damaged.data()), damaged.size()));
  GzipReader gzip(file);
  TarReader reader(gzip);
  EXPECT_THROW(readAll(reader), EGzipError);
}

TEST(TarReader, SkipsUnreadDataAndHonoursPaxAndLongNames) {
  const std::string pax = "31 path=pax/overrides/name.txt\n10 size=3\n";
  const std::string archive =
      header("first.bin", '0', "00000001750") + padded(std::string(1000, 'f')) +
      header("././@LongLink", 'L', "00000000023") + padded("gnu/long/name.txt\0") +
      header("short", '0', "00000000002") + padded("ab") +
      header("PaxHeader", 'x', octal(pax.size())) + padded(pax) +
      header("ignored", '0', "00000000007") + padded("xyz") + header("g", 'g', "00000000000") +
      header("dir/", '5', "00000000000") + header("name", '0', "00000000001", "prefix/path") +
      padded("p") +
      // base-256 size (used for files of 8 GiB and more)
      header("b256", '0', std::string("\x80\0\0\0\0\0\0\0\0\0\0\x04", 12)) + padded("four") + kEnd;
  TrickleSource source(archive, 100);
  TarReader reader(source);
  TarEntry entry;
  ASSERT_TRUE(reader.next(entry)); // first.bin: not read, skipped by the next call
  EXPECT_EQ(entry.size, 1000u);
  const std::vector<Seen> rest = readAll(reader);
  ASSERT_EQ(rest.size(), 5u);
  EXPECT_EQ(rest[0].name, "gnu/long/name.txt");
  EXPECT_EQ(rest[0].data, "ab");
  EXPECT_EQ(rest[1].name, "pax/overrides/name.txt");
  EXPECT_EQ(rest[1].data, "xyz");
  EXPECT_EQ(rest[2].type, TarEntryType::Directory);
  EXPECT_EQ(rest[3].name, "prefix/path/name");
  EXPECT_EQ(rest[4].data, "four");
  EXPECT_EQ(rest[4].mode, 0644u);
}

TEST(TarReader, RefusesDamagedArchives) {
  const std::string file = header("a", '0', "00000000005") + padded("hello");
  std::string badChecksum = file;
  badChecksum[0] = 'b';
  const struct {
    const char* name;
    std::string bytes;
    const char* error;
  } cases[] = {
      {"Checksum", badChecksum + kEnd, "checksum"},
      {"NotTar", std::string(600, 'x'), "invalid checksum field"},
      {"TruncatedHeader", file.substr(0, 300), "truncated"},
      {"TruncatedData", file.substr(0, 514), "truncated"},
      {"NoEndMarker", file, "end-of-archive marker"},
      {"HugeSize", header("a", '0', "77777777777") + "abc", "truncated"},
      {"OctalDigits", header("a", '0', "0000000009x") + kEnd, "invalid size field"},
      {"NegativeBase256",
       header("a", '0', std::string("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xfe", 12)) + kEnd,
       "invalid size"},
      {"OversizedLongName", header("L", 'L', "00000400000") + kEnd, "oversized"},
      {"MalformedPax", header("x", 'x', "00000000010") + padded("9 path=a\n") + file + kEnd,
       "malformed pax"},
      {"PaxLengthPastEnd", header("x", 'x', "00000000010") + padded("99 path=\n") + kEnd,
       "malformed pax"},
  };
  for (const auto& c : cases) {
    std::string error;
    try {
      TrickleSource source(c.bytes, 512);
      TarReader reader(source);
      readAll(reader);
    } catch (const larkspur::Error& e) {
      error = e.what();
    }
    EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
  }
}

} // namespace
} // namespace larkspur::extract::test
