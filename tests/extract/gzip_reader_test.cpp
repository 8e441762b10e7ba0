// The gzip reader against files the host's gzip makes, and against members built here field by
// field, damaged one way each: every fault is an error, never wrong bytes reported as good.
#include <gtest/gtest.h>

#include "deflate/memory_io.h"
#include "extract/gzip_reader.h"
#include "extract/stream_sources.h"
#include "support/file_contents.h"
#include "support/host_tools.h"
#include "support/temp_dir.h"

namespace larkspur::extract::test {
namespace {

using larkspur::test::hostSidePath;
using larkspur::test::runHostShell;
using larkspur::test::shellQuote;

std::string le32(std::uint32_t v) {
  return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// One gzip member with the given flags and fields around our own compressor's stream.
struct Member {
  std::string data = "gzip member data, gzip member data, gzip member data\n";
  std::uint8_t flags = 0;
  std::string extra, name, comment;
  std::uint8_t method = 8;
  int crcDelta = 0, sizeDelta = 0, headerCrcDelta = 0;

  std::string bytes() const {
    std::string out = {'\x1f', '\x8b', char(method), char(flags)};
    out += le32(1700000000) + "\x02\x03";
    if (flags & 0x04)
      out += std::string{char(extra.size()), char(extra.size() >> 8)} + extra;
    if (flags & 0x08)
      out += name + '\0';
    if (flags & 0x10)
      out += comment + '\0';
    if (flags & 0x02) {
      const std::uint32_t crc = ~deflate::update_crc(
          deflate::kCrcPreset, reinterpret_cast<const std::uint8_t*>(out.data()), out.size());
      const std::uint32_t check = (crc & 0xFFFF) + std::uint32_t(headerCrcDelta);
      out += std::string{char(check), char(check >> 8)};
    }
    const deflate::test::Bytes input(data.begin(), data.end());
    const deflate::test::Bytes packed = deflate::test::compress(input, 6).output;
    out.append(packed.begin(), packed.end());
    const std::uint32_t crc = ~deflate::update_crc(deflate::kCrcPreset, input.data(), input.size());
    return out + le32(crc + std::uint32_t(crcDelta)) +
           le32(std::uint32_t(data.size()) + std::uint32_t(sizeDelta));
  }
};

struct Outcome {
  std::string data;
  std::string error;
  GzipMemberInfo first;
};

Outcome readGzip(const std::string& bytes, std::size_t piece) {
  Outcome outcome;
  try {
    TrickleSource source(bytes, piece);
    GzipReader reader(source);
    outcome.first = reader.firstMember();
    outcome.data = drain(reader, 1000);
  } catch (const larkspur::Error& e) {
    outcome.error = e.what();
  }
  return outcome;
}

TEST(GzipReader, ReadsHeaderFieldsAndConcatenatesMembers) {
  Member full;
  full.flags = 0x01 | 0x02 | 0x04 | 0x08 | 0x10;
  full.extra = "AB\x02\x00xy";
  full.name = "report.txt";
  full.comment = "made by hand";
  Member plain;
  plain.data = std::string(100000, 'z') + "tail";
  for (const std::size_t piece : {std::size_t(1), std::size_t(65536)}) {
    const Outcome got = readGzip(full.bytes() + plain.bytes(), piece);
    EXPECT_EQ(got.error, "");
    EXPECT_EQ(got.data, full.data + plain.data);
    EXPECT_EQ(got.first.name, "report.txt");
    EXPECT_EQ(got.first.comment, "made by hand");
    EXPECT_EQ(got.first.mtime, 1700000000u);
    EXPECT_TRUE(got.first.text);
  }
}

TEST(GzipReader, RefusesEveryDamagedMember) {
  const auto with = [](auto change) {
    Member m;
    change(m);
    return m.bytes();
  };
  const std::string good = Member().bytes();
  const struct {
    const char* name;
    std::string bytes;
    const char* error;
  } cases[] = {
      {"Empty", "", "empty"},
      {"NotGzip", "PK\x03\x04 not a gzip file", "gzip signature"},
      {"OtherMethod", with([](Member& m) { m.method = 7; }), "compression method 7"},
      {"ReservedFlag", with([](Member& m) { m.flags = 0x20; }), "reserved flags"},
      {"HeaderCrc", with([](Member& m) { m.flags = 0x02, m.headerCrcDelta = 1; }), "checksum"},
      {"DataCrc", with([](Member& m) { m.crcDelta = 1; }), "CRC-32"},
      {"Size", with([](Member& m) { m.sizeDelta = -1; }), "size"},
      {"TruncatedHeader", good.substr(0, 6), "truncated inside a member header"},
      {"UnendedName", with([](Member& m) { m.flags = 0x08, m.name = "long-name"; }).substr(0, 15),
       "truncated"},
      {"TruncatedData", good.substr(0, 14), "ends before its last block"},
      {"TruncatedTrailer", good.substr(0, good.size() - 3), "truncated inside a member trailer"},
      {"TrailingGarbage", good + "garbage", "after the end of the gzip data"},
      {"GarbageAfterZeros", good + std::string(8, '\0') + "x", "after the end of the gzip data"},
  };
  for (const auto& c : cases)
    for (const std::size_t piece : {std::size_t(1), std::size_t(65536)})
      EXPECT_NE(readGzip(c.bytes, piece).error.find(c.error), std::string::npos)
          << c.name << ": " << readGzip(c.bytes, piece).error;
  // Zeros that pad a file to a block size are not data.
  EXPECT_EQ(readGzip(good + std::string(512, '\0'), 7).error, "");
}

TEST(GzipReader, ReadsWhatTheHostGzipWrites) {
  larkspur::test::TempDir dir;
  const std::string text = larkspur::test::incompressibleBytes(70000, 3) + std::string(50000, 'a');
  larkspur::test::writeFile(dir.file("notes.txt"), text);
  larkspur::test::writeFile(dir.file("two.txt"), "second member\n");
  const std::string d = shellQuote(hostSidePath(dir.path()));
  const auto r =
      runHostShell("cd " + d + " && gzip -9 -k notes.txt && gzip -1 -k two.txt && " +
                   "cat notes.txt.gz two.txt.gz > both.gz && " + "gzip -c < two.txt > unnamed.gz");
  ASSERT_EQ(r.exitCode, 0) << r.output;

  const Outcome single = readGzip(larkspur::test::readFile(dir.file("notes.txt.gz")), 4096);
  EXPECT_EQ(single.error, "");
  EXPECT_TRUE(single.data == text);
  EXPECT_EQ(single.first.name, "notes.txt");
  const Outcome both = readGzip(larkspur::test::readFile(dir.file("both.gz")), 4096);
  EXPECT_TRUE(both.data == text + "second member\n");
  const Outcome unnamed = readGzip(larkspur::test::readFile(dir.file("unnamed.gz")), 4096);
  EXPECT_EQ(unnamed.data, "second member\n");
  EXPECT_EQ(unnamed.first.name, "");
}

} // namespace
} // namespace larkspur::extract::test
