// An archive assembled from the records alone (stored entries, a directory entry, entry and
// archive comments) is accepted by the common archive checkers, which show the fields written.
// The checkers are POSIX programs; the Windows build skips this.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "record_test_support.h"
#include "support/file_contents.h"
#include "support/temp_dir.h"
#include "zip/format/end_central.h"
#include "zip/format/memory_stream.h"
#include "zip/format/zip_header_info.h"

namespace larkspur::zip {
namespace {

using test::kSep;

std::uint32_t crc32Of(const std::string& data) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const char c : data) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

struct Item {
  std::string directory, fileName, data, comment;
  std::uint32_t dosTime, attributes;
};

// 2024-05-06 07:08:10, 1999-12-31 23:59:58 and 2010-02-03 04:05:06 as DOS date/times.
const std::vector<Item> kItems{
    {"", "hello.txt", "Hello, world!\n", "", 0x58A63905, 0x21},
    {"docs", "", "", "", 0x279FBF7D, 0x10},
    {"docs", "read me.txt", "stored bytes\n", "an entry comment", 0x3C4320A3, 0x20},
};
const std::string kArchiveComment = "archive comment";

std::string buildArchive() {
  TMemoryStream out;
  std::vector<std::unique_ptr<TZipHeaderInfo>> entries;
  for (const Item& item : kItems) {
    auto e = std::make_unique<TZipHeaderInfo>();
    e->SetDirectory(item.directory);
    e->SetFileName(item.fileName);
    e->CompressionMethod = 0;
    e->InternalAttributes = 0;
    e->FileDateTime = item.dosTime;
    e->ExternalAttributes = item.attributes;
    e->WriteLocalHeader(out);
    out.WriteBuffer(item.data.data(), static_cast<std::int64_t>(item.data.size()));
    // Sizes and CRC go into the local header afterwards, in place, as the writer does.
    const std::int64_t end = out.Position();
    e->Crc32 = item.data.empty() ? 0 : crc32Of(item.data);
    e->CompressedSize = e->UncompressedSize = static_cast<std::int32_t>(item.data.size());
    out.SetPosition(e->LocalHeaderOffset);
    e->WriteLocalHeader(out);
    out.SetPosition(end);
    if (!item.comment.empty())
      e->SetFileComment(item.comment);
    entries.push_back(std::move(e));
  }
  TEndCentral end;
  end.CentralOffset = static_cast<std::uint32_t>(out.Position());
  for (const auto& e : entries)
    e->WriteCentralHeader(out);
  end.CentralSize = static_cast<std::uint32_t>(out.Position()) - end.CentralOffset;
  end.EntriesOnThisDisk = end.TotalEntries = static_cast<std::uint16_t>(entries.size());
  end.SetComment(kArchiveComment);
  end.WriteEndRecord(out);
  return out.Bytes();
}

struct ToolRun {
  int status;
  std::string output;
};

ToolRun run(const std::string& command) {
  ToolRun result{-1, {}};
#ifndef _WIN32
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr)
    return result;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    result.output.append(buffer.data(), n);
  result.status = pclose(pipe);
#else
  (void)command;
#endif
  return result;
}

bool haveTool(const std::string& name) {
  return run("command -v " + name).status == 0;
}

// zipinfo's report with every run of blanks made one space.
std::string squeezed(const std::string& text) {
  return std::regex_replace(text, std::regex("[ \t]+"), " ");
}

class ArchiveTools : public testing::Test {
protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the archive checkers are POSIX programs";
#endif
    archive_ = dir_.file("records.zip");
    larkspur::test::writeFile(archive_, buildArchive());
  }
  void requireTool(const std::string& name) {
    if (!haveTool(name))
      GTEST_SKIP() << name << " is not installed";
  }

  larkspur::test::TempDir dir_;
  std::string archive_;
};

TEST_F(ArchiveTools, PythonZipfileTestsAndReadsTheFieldsWritten) {
  requireTool("python3");
  const ToolRun test = run("python3 -m zipfile -t '" + archive_ + "'");
  EXPECT_EQ(test.status, 0) << test.output;
  EXPECT_NE(test.output.find("Done testing"), std::string::npos) << test.output;

  const ToolRun fields = run(
      "python3 -c \"import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "print(z.comment.decode())\n"
      "for i in z.infolist():\n"
      "    print(i.filename, i.create_system, i.create_version, i.extract_version, i.flag_bits,\n"
      "          i.compress_type, i.date_time, hex(i.external_attr), i.internal_attr,\n"
      "          len(i.extra), i.file_size, i.compress_size, i.comment.decode(),\n"
      "          z.read(i) == z.open(i).read(), sep='|')\" '" +
      archive_ + "'");
  ASSERT_EQ(fields.status, 0) << fields.output;
  EXPECT_EQ(fields.output,
            "archive comment\n"
            "hello.txt|0|20|20|0|0|(2024, 5, 6, 7, 8, 10)|0x21|0|0|14|14||True\n"
            "docs/|0|20|20|0|0|(1999, 12, 31, 23, 59, 58)|0x10|0|0|0|0||True\n"
            "docs/read me.txt|0|20|20|0|0|(2010, 2, 3, 4, 5, 6)|0x20|0|0|13|13|an entry "
            "comment|True\n");
}

TEST_F(ArchiveTools, UnzipFindsNoErrors) {
  requireTool("unzip");
  const ToolRun test = run("unzip -t '" + archive_ + "'");
  EXPECT_EQ(test.status, 0) << test.output;
  EXPECT_NE(test.output.find("No errors detected in compressed data"), std::string::npos)
      << test.output;
  for (const char* name : {"hello.txt", "docs/", "docs/read me.txt"}) {
    EXPECT_NE(test.output.find(std::string("testing: ") + name), std::string::npos) << name;
  }
}

TEST_F(ArchiveTools, ZipinfoShowsVersionsTimesAttributesAndNoExtraFields) {
  requireTool("zipinfo");
  const ToolRun info = run("zipinfo -v '" + archive_ + "'");
  ASSERT_EQ(info.status, 0) << info.output;
  const std::string report = squeezed(info.output);
  for (const std::string line :
       {"The zipfile comment is 15 bytes long", "central directory contains 3 entries",
        "file last modified on (DOS date/time): 2024 May 6 07:08:10",
        "file last modified on (DOS date/time): 1999 Dec 31 23:59:58",
        "file last modified on (DOS date/time): 2010 Feb 3 04:05:06",
        "MS-DOS file attributes (21 hex): rdo arc", "MS-DOS file attributes (10 hex): dir",
        "MS-DOS file attributes (20 hex): arc",
        "file comment begins ----------------------------\nan entry comment\n"}) {
    EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;
  }
  const auto count = [&](const std::string& line) {
    std::size_t n = 0;
    for (std::size_t at = report.find(line); at != std::string::npos;
         at = report.find(line, at + 1)) {
      ++n;
    }
    return n;
  };
  EXPECT_EQ(count("file system or operating system of origin: MS-DOS, OS/2 or NT FAT"), 3u);
  EXPECT_EQ(count("version of encoding software: 2.0"), 3u);
  EXPECT_EQ(count("minimum software version required to extract: 2.0"), 3u);
  EXPECT_EQ(count("compression method: none (stored)"), 3u);
  EXPECT_EQ(count("length of extra field: 0 bytes"), 3u);
  EXPECT_EQ(report.find("warning"), std::string::npos) << report;
}

} // namespace
} // namespace larkspur::zip
